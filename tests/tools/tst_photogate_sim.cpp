// The simulated photogates: what each logger model reports for them and the bytes of the
// timing reports a lesson produces.
#include "simulator/DravletDevice.h"
#include "simulator/PelorinDevice.h"
#include "simulator/PhotogateModels.h"
#include "support/SimDriver.h"

#include "common/TestMain.h"

#include <QtTest>

using namespace kvsim;

namespace {
QByteArray Hex(const char* text) { return QByteArray::fromHex(text); }

PhotogateSettings TwoGateCart()
{
    PhotogateSettings s;
    s.gates = 2;  // cart at 0.5 m/s, flag 2 cm, gates 50 cm apart
    return s;
}
} // namespace

class TestPhotogateSim : public QObject
{
    Q_OBJECT
private slots:
    void pelorinReportsGateEdges()
    {
        CPelorinDevice d;
        QVERIFY(ApplyPhotogates(d, TwoGateCart()));
        CClockOutput out;
        Feed(d, out, Hex("bc9e0104"));
        // Two photogates (sensor id 76) on channels 1 and 2.
        QVERIFY(out.Take().value(0).endsWith(Hex("02" "01004c008000" "02004c008000")));
        // Timing request naming channels 1 and 2.
        Feed(d, out, Hex("bc9e0e0c00000000020100080002000800"));
        QCOMPARE(out.Take(), QList<QByteArray>{Hex("3db7010c")});
        out.now = 1000;
        d.onTick(out);
        // The first gate: blocked 0.3 s into the run, open again 0.04 s later (2 cm at 0.5 m/s).
        QCOMPARE(out.Take(), (QList<QByteArray>{Hex("3db7080d0100000013d620"), Hex("3db7080d01010000147260")}));
        out.now = 1500;  // the next cart comes at 1.8 s
        d.onTick(out);
        // The second gate 1 s after the first (50 cm).
        QCOMPARE(out.Take(), (QList<QByteArray>{Hex("3db7080d02000000231860"), Hex("3db7080d0201000023b4a0")}));
    }

    void dravletReportsPassages_data()
    {
        QTest::addColumn<int>("gates");
        QTest::addColumn<QList<QByteArray>>("values");
        // 0.3 s, 0.34 s, 1.3 s and 1.34 s of a 24 MHz clock.
        QTest::newRow("one gate") << 1 << QList<QByteArray>{Hex("3db711" "006ddd00" "007c8300")};
        QTest::newRow("two gates") << 2 << QList<QByteArray>{Hex("3db711" "006ddd00" "007c8300" "01dc1300" "01eab900")};
    }
    void dravletReportsPassages()
    {
        QFETCH(int, gates);
        QFETCH(QList<QByteArray>, values);
        CDravletDeviceModel d;
        QVERIFY(ApplyPhotogates(d, TwoGateCart()));
        CClockOutput out;
        Feed(d, out, QByteArray(Hex("bc9e0c")).append(char(gates)));
        QCOMPARE(out.Take(), QList<QByteArray>{Hex("3db70c")});
        QVERIFY(d.tickIntervalMs() > 0);
        out.now = 1200;
        d.onTick(out);
        // Two gates pair both passages of a cart; their report waits for the second.
        QCOMPARE(out.Take(), gates == 1 ? values : QList<QByteArray>{});
        out.now = 1400;
        d.onTick(out);
        QCOMPARE(out.Take(), gates == 1 ? QList<QByteArray>{} : values);
    }

    void gateLevels_data()
    {
        QTest::addColumn<int>("lesson");
        QTest::addColumn<double>("t");
        QTest::addColumn<int>("gate");
        QTest::addColumn<bool>("blocked");
        const int pendulum = int(PhotogateLessonKind::Pendulum);
        const int accel = int(PhotogateLessonKind::AcceleratingCart);
        // Pendulum of 2 s, bob 2 cm at 0.5 m/s: blocked 0.3-0.34 s, again each second.
        QTest::newRow("pendulum before") << pendulum << 0.29 << 0 << false;
        QTest::newRow("pendulum first pass") << pendulum << 0.33 << 0 << true;
        QTest::newRow("pendulum after") << pendulum << 0.35 << 0 << false;
        QTest::newRow("pendulum half swing later") << pendulum << 1.31 << 0 << true;
        QTest::newRow("pendulum never the second gate") << pendulum << 1.31 << 1 << false;
        // Two bars at 0.5 m/s + 0.5 m/s²: the second bar reaches the gate after 4 cm.
        QTest::newRow("accel gap") << accel << 0.3 + 0.07 << 0 << false;
        QTest::newRow("accel second bar") << accel << 0.3 + (std::sqrt(0.25 + 0.04) - 0.5) / 0.5 + 0.001 << 0 << true;
    }
    void gateLevels()
    {
        QFETCH(int, lesson);
        QFETCH(double, t);
        QFETCH(int, gate);
        QFETCH(bool, blocked);
        PhotogateSettings s;
        s.gates = lesson == int(PhotogateLessonKind::Pendulum) ? 2 : 1;
        s.lesson = PhotogateLessonKind(lesson);
        const CPhotogateLesson l(s);
        QCOMPARE(l.Blocked(gate, t), blocked);
        QCOMPARE(l.Raw(gate, t), blocked ? 0x0FFFu : 0u);
    }

    void knobsAreChecked()
    {
        PhotogateSettings s;
        QString error;
        QVERIFY(PhotogateSettingsFrom("2", "collision", "0.8", "", "", "", "", "", "", s, error));
        QCOMPARE(s.gates, 2);
        QCOMPARE(s.speedAfter, 0.4);  // half the speed unless given
        QVERIFY(!PhotogateSettingsFrom("3", "", "", "", "", "", "", "", "", s, error));
        QVERIFY(!PhotogateSettingsFrom("1", "swing", "", "", "", "", "", "", "", s, error));
        QVERIFY(!PhotogateSettingsFrom("1", "", "-1", "", "", "", "", "", "", s, error));
        QVERIFY(error.contains("--speed"));
    }
};

KORVANTA_TEST_MAIN(TestPhotogateSim)
#include "tst_photogate_sim.moc"
