// Port enumeration: list diffs, the test enumerator's arrivals and removals, the
// KORVANTA_EXTRA_PORTS entries and Bluetooth links found by name.
#include "platform/PortEnumerator.h"
#include "platform/TestPortEnumerator.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include "common/TestMain.h"

namespace {

CPortInfo port(const QString& name, quint16 vid, quint16 pid)
{
    return CTestPortEnumerator::makePort(name, vid, pid);
}

QStringList names(const QList<CPortInfo>& ports)
{
    QStringList out;
    for (const CPortInfo& p : ports) out << p.portName;
    return out;
}

QString nameOf(const QSignalSpy& spy, int i)
{
    return spy.at(i).at(0).value<CPortInfo>().portName;
}

} // namespace

class TestPortEnumerator : public QObject
{
    Q_OBJECT
private slots:
    void diffFindsArrivalsRemovalsAndChangedIds()
    {
        const QList<CPortInfo> before = {port("/dev/ttyACM0", 0x0483, 0x5740), port("/dev/ttyUSB0", 0x1F0C, 0x1000),
                                         port("/dev/ttyS0", 0, 0)};
        const QList<CPortInfo> now = {port("/dev/ttyS0", 0, 0), port("/dev/ttyUSB0", 0x1F0C, 0x1001),
                                      port("/dev/rfcomm0", 0, 0)};
        QList<CPortInfo> arrived;
        QList<CPortInfo> removed;
        IPortEnumerator::diffPorts(before, now, &arrived, &removed);
        QCOMPARE(names(removed), (QStringList{"/dev/ttyACM0", "/dev/ttyUSB0"}));
        QCOMPARE(names(arrived), (QStringList{"/dev/ttyUSB0", "/dev/rfcomm0"}));
        QCOMPARE(arrived.at(0).productID, quint16(0x1001));
        QVERIFY(arrived.at(1).bluetooth);
        arrived.clear();
        removed.clear();
        IPortEnumerator::diffPorts(now, now, &arrived, &removed);
        QVERIFY(arrived.isEmpty() && removed.isEmpty());
    }

    void testEnumeratorRaisesWhatItIsTold()
    {
        CTestPortEnumerator en;
        QSignalSpy found(&en, &IPortEnumerator::deviceDiscovered);
        QSignalSpy gone(&en, &IPortEnumerator::deviceRemoved);
        en.setPorts({port("/dev/pts/3", 0x0483, 0x5740)});
        QCOMPARE(found.count(), 1);
        en.plug(port("/dev/pts/4", 0x1F0C, 0x1000));
        QCOMPARE(found.count(), 2);
        QCOMPARE(nameOf(found, 1), QStringLiteral("/dev/pts/4"));
        QCOMPARE(found.at(1).at(0).value<CPortInfo>().vendorID, quint16(0x1F0C));
        QCOMPARE(names(en.getPorts()), (QStringList{"/dev/pts/3", "/dev/pts/4"}));
        QVERIFY(en.unplug("/dev/pts/3"));
        QCOMPARE(gone.count(), 1);
        QCOMPARE(nameOf(gone, 0), QStringLiteral("/dev/pts/3"));
        QVERIFY(!en.unplug("/dev/pts/3"));
        QCOMPARE(gone.count(), 1);
        // Plugging the same name with other ids is a removal and an arrival.
        en.plug(port("/dev/pts/4", 0x0483, 0x5740));
        QCOMPARE(gone.count(), 2);
        QCOMPARE(found.count(), 3);
        // With notifications off the list changes silently.
        en.setUpNotifications(false);
        en.setPorts({});
        QCOMPARE(gone.count(), 2);
        QVERIFY(en.getPorts().isEmpty());
    }

    void reportedRemovalReachesReceivers()
    {
        CTestPortEnumerator en;
        QSignalSpy gone(&en, &IPortEnumerator::deviceRemoved);
        CPortInfo lost;
        lost.portName = QStringLiteral("Timer Disconnection");
        lost.vendorID = 0x0483;
        lost.productID = 0x5740;
        en.reportRemoval(lost);
        QCOMPARE(gone.count(), 1);
        QCOMPARE(gone.at(0).at(0).value<CPortInfo>().productID, quint16(0x5740));
    }

    void extraPortsParseHexIds()
    {
        QStringList errors;
        const QList<CPortInfo> ports = CSerialPortEnumerator::parseExtraPorts(
            " /dev/pts/5:0483:5740 ,/dev/pts/6:0x1F0C:1000,,/tmp/a:b/link:483:1,/dev/rfcomm1:1:2", &errors);
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join("; ")));
        QCOMPARE(names(ports), (QStringList{"/dev/pts/5", "/dev/pts/6", "/tmp/a:b/link", "/dev/rfcomm1"}));
        QCOMPARE(ports.at(0).vendorID, quint16(0x0483));
        QCOMPARE(ports.at(0).productID, quint16(0x5740));
        QCOMPARE(ports.at(1).vendorID, quint16(0x1F0C));
        QCOMPARE(ports.at(1).productID, quint16(0x1000));
        QCOMPARE(ports.at(2).vendorID, quint16(0x0483));
        QVERIFY(ports.at(3).bluetooth);
        QVERIFY(!ports.at(0).bluetooth);
    }

    void badExtraPortEntriesAreReportedAndSkipped()
    {
        QStringList errors;
        const QList<CPortInfo> ports = CSerialPortEnumerator::parseExtraPorts(
            "/dev/pts/5,/dev/pts/6:0483,:0483:5740,/dev/pts/7:zz:1,/dev/pts/8:10000:1,/dev/pts/9:1:2", &errors);
        QCOMPARE(names(ports), QStringList{"/dev/pts/9"});
        QCOMPARE(errors.size(), 5);
    }

    void realEnumeratorListsExistingExtraPortsAndRfcommLinks()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString present = dir.filePath("sim0");
        QFile f(present);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        const QString absent = dir.filePath("sim1");
        CSerialPortEnumerator en(QStringLiteral("%1:0483:5740,%2:1f0c:1000").arg(present, absent));
        en.setDeviceDir(dir.path());
        QFile rf(dir.filePath("rfcomm3"));
        QVERIFY(rf.open(QIODevice::WriteOnly));
        rf.close();
        // A plain file stands in for the rfcomm character device.
        QVERIFY(IPortEnumerator::isBluetoothName("/dev/RFCOMM0"));
        QVERIFY(!IPortEnumerator::isBluetoothName("/dev/ttyACM0"));
        QList<CPortInfo> ports = en.getPorts();
        QVERIFY(names(ports).contains(present));
        QVERIFY(!names(ports).contains(absent));
        QVERIFY(names(ports).contains(dir.filePath("rfcomm3")));
        for (const CPortInfo& p : ports)
            if (p.portName == dir.filePath("rfcomm3")) QVERIFY(p.bluetooth);

        // The poll turns a vanished extra port into a removal and a new one into an arrival.
        QSignalSpy found(&en, &IPortEnumerator::deviceDiscovered);
        QSignalSpy gone(&en, &IPortEnumerator::deviceRemoved);
        en.setUpNotifications(true);
        en.poll();   // the first list, taken in the background, holds what is there: no arrival
        QCOMPARE(found.count() + gone.count(), 0);
        QVERIFY(QFile::remove(present));
        QFile g(absent);
        QVERIFY(g.open(QIODevice::WriteOnly));
        g.close();
        en.poll();
        QCOMPARE(gone.count(), 1);
        QCOMPARE(nameOf(gone, 0), present);
        QCOMPARE(found.count(), 1);
        QCOMPARE(nameOf(found, 0), absent);
        QCOMPARE(found.at(0).at(0).value<CPortInfo>().vendorID, quint16(0x1F0C));
        en.poll();
        QCOMPARE(gone.count(), 1);
        QCOMPARE(found.count(), 1);
        // Left to its timer, the comparison lists in the background and reports on this thread.
        QVERIFY(QFile::remove(absent));
        QTRY_COMPARE_WITH_TIMEOUT(gone.count(), 2, 5 * CSerialPortEnumerator::kPollMs);
        QCOMPARE(nameOf(gone, 1), absent);
        QCOMPARE(found.count(), 1);
        en.setUpNotifications(false);
    }
};

KORVANTA_TEST_GUILESS_MAIN(TestPortEnumerator)
#include "tst_portenumerator.moc"
