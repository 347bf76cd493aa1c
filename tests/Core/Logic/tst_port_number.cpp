// The number in a serial port's name, shared by both logger stacks and device detection.
#include "common/TestMain.h"

#include "Core/Logic/Dravlet/DravletManager.h"
#include "Core/Logic/Transport/PortNumber.h"

class TestPortNumber : public QObject
{
    Q_OBJECT
private slots:
    void numbers_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("number");
        QTest::newRow("upper") << "COM7" << 7;
        QTest::newRow("lower") << "com12" << 12;
        QTest::newRow("mixed") << "Com3" << 3;
        QTest::newRow("twice") << "comCOM4" << 4;
        QTest::newRow("device path") << "/dev/ttyACM0" << 0;
        QTest::newRow("pty") << "/dev/pts/5" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("no number") << "COMx" << 0;
    }
    void numbers()
    {
        QFETCH(QString, name);
        QFETCH(int, number);
        QCOMPARE(PortNumberOfName(name), number);
        // The Dravlet stack reads port names the same way, in any letter case.
        QCOMPARE(CDravletManager::PortNumberOf(name), number);
    }
};

KORVANTA_TEST_GUILESS_MAIN(TestPortNumber)
#include "tst_port_number.moc"
