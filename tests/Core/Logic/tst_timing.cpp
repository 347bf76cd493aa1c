// Timing results of both logger models, each computed in its logger's room: ready
// differences (Dravlet) and paired gate edges (Pelorin). Width and distance are entered in
// centimetres. The run's series is the store's.
#include "common/TestMain.h"
#include <memory>

#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Logic/Dravlet/DravletCoreHost.h"
#include "Core/Logic/Dravlet/DravletTiming.h"
#include "Core/Logic/LogicManager.h"
#include "Core/Logic/Pelorin/PelorinCoreHost.h"
#include "Core/Logic/Pelorin/PelorinTiming.h"

class TestTiming : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<CSetupInfo> m_setup;
    std::unique_ptr<CDataManager> m_dm;
    std::unique_ptr<CDravletTiming> m_dravlet;
    std::unique_ptr<CPelorinTiming> m_pelorin;

    // Pelorin method from the setup's kind (0 time, 1 velocity, 2 acceleration) and approach.
    void Method(int kind, int approach)
    {
        m_setup->m_TimingMeasurement = kind;
        m_setup->m_TimingApproach = approach;
        bool valid = false;
        m_pelorin->Edge(-1, 0, false, m_setup.get(), valid);
    }

    double Edge(int gate, long us, bool unblock, bool& valid)
    {
        valid = false;
        return m_pelorin->Edge(gate, us, unblock, m_setup.get(), valid);
    }

    // The Dravlet's host before it has its interface: no results.
    struct CDravletHostWithoutLogger
    {
        CLogicManager logic;
        CDravletCoreHost host{&logic};
    };
    std::unique_ptr<CDravletHostWithoutLogger> m_noLogger;
    CDravletCoreHost& NoLogger()
    {
        m_noLogger.reset(new CDravletHostWithoutLogger);
        return m_noLogger->host;
    }

private slots:
    void init()
    {
        m_setup.reset(new CSetupInfo);
        m_dm.reset(new CDataManager(m_setup.get()));
        m_dravlet.reset(new CDravletTiming);
        m_pelorin.reset(new CPelorinTiming);
    }

    void dravletOneGate()
    {
        QCOMPARE(m_dravlet->Result(0, 0.25, 0, 0, 0, 0, m_setup.get()), 0.25);
        // 3 cm in 0.03 s is 1 m/s: the same unit as every other speed.
        QVERIFY(qAbs(m_dravlet->Result(1, 0.03, 0, 0, 0, 0, m_setup.get()) - 1.0) < 1e-12);
        // A zero duration has no speed: the "not stored" value, never infinity.
        QCOMPARE(m_dravlet->Result(1, 0.0, 0, 0, 0, 0, m_setup.get()), -2000.0);
        QCOMPARE(NoLogger().CalculateTimingValue(1, 0.03, 0, 0, 0, 0), 0.0);
        QCOMPARE(m_dravlet->Result(99, 1, 1, 1, 1, 1, m_setup.get()), 0.0);
    }

    void dravletAcceleration()
    {
        m_dravlet->Result(255, 0, 0, 0, 0, 0, m_setup.get());
        // First passage 1.00-1.03 s (1 m/s): no result yet.
        QCOMPARE(m_dravlet->Result(2, 1.0, 0, 0, 1.0, 1.03, m_setup.get()), -2000.0);
        // Second passage 2.00-2.015 s (2 m/s); middles 1.015 and 2.0075 -> 1 / 0.9925
        const double a = m_dravlet->Result(2, 2.0, 0, 0, 2.0, 2.015, m_setup.get());
        QVERIFY(qAbs(a - 1.0 / 0.9925) < 1e-9);
        // The same start time again gives nothing and changes nothing.
        QCOMPARE(m_dravlet->Result(2, (2.0 + 2.015) * 0.5, 0, 0, 3.0, 3.03, m_setup.get()), -2000.0);
        // e - d of 0 takes b as the speed.
        m_dravlet->Result(255, 0, 0, 0, 0, 0, m_setup.get());
        m_dravlet->Result(2, 1.0, 1.0, 0, 1.0, 1.0, m_setup.get());
        QVERIFY(qAbs(m_dravlet->Result(2, 3.0, 3.0, 0, 3.0, 3.0, m_setup.get()) - 1.0) < 1e-12);
    }

    void dravletBetweenGatesAndPendulum()
    {
        QCOMPARE(m_dravlet->Result(10, 0, 0.4, 0, 0, 0, m_setup.get()), 0.4);
        QVERIFY(qAbs(m_dravlet->Result(11, 0, 0.4, 0, 0, 0, m_setup.get()) - 0.5) < 1e-12);  // 20 cm
        // A collision times each cart by its flag: 3 cm in 0.015 s.
        QVERIFY(qAbs(m_dravlet->Result(21, 0.015, 0.2, 0, 0, 0, m_setup.get()) - 2.0) < 1e-12);
        QCOMPARE(m_dravlet->Result(11, 0, 0.0, 0, 0, 0, m_setup.get()), -2000.0);
        // Widths 0.03 s then 0.015 s, 0.5 s apart: (2 - 1) / ((1 + 0.015 - 0.03) x 0.5)
        const double a = m_dravlet->Result(12, 0.03, 0.5, 0.015, 0, 0, m_setup.get());
        QVERIFY(qAbs(a - 1.0 / 0.4925) < 1e-9);
        QCOMPARE(m_dravlet->Result(12, 0.0, 0.5, 0.015, 0, 0, m_setup.get()), -2000.0);
        m_dravlet->Result(255, 0, 0, 0, 0, 0, m_setup.get());
        QCOMPARE(m_dravlet->Result(20, 0, 0, 0, 0, 1.0, m_setup.get()), -1.0);
        QCOMPARE(m_dravlet->Result(20, 0, 0, 0, 0, 1.9, m_setup.get()), -1.0);
        QVERIFY(qAbs(m_dravlet->Result(20, 0, 0, 0, 0, 3.1, m_setup.get()) - 2.1) < 1e-12);
    }

    void collisionResultsKeepTheirGatesTurns_data()
    {
        QTest::addColumn<int>("approach");   // 2 collision, 0 one gate
        QTest::addColumn<QList<int>>("passages");   // the gate of each passage in turn
        QTest::addColumn<QList<double>>("series");  // 3 cm in 40 ms at gate 2 and in 80 ms at gate 5; 0 a gap
        QTest::newRow("each cart at its gate") << 2 << QList<int>{2, 5, 2, 5} << QList<double>{.75, .375, .75, .375};
        QTest::newRow("struck cart missed") << 2 << QList<int>{2, 5, 2, 2} << QList<double>{.75, .375, .75, 0, .75};
        QTest::newRow("one gate, no turns") << 0 << QList<int>{2, 2} << QList<double>{.75, .75};
    }
    void collisionResultsKeepTheirGatesTurns()
    {
        QFETCH(int, approach);
        QFETCH(QList<int>, passages);
        QFETCH(QList<double>, series);
        CDataFolder* run = m_dm->CreateDataFolder();
        run->AddBranchKey(m_dm->CreateDataBranch(SensorIndexTimingResult, 1.0, 0, 0, run->m_Key));
        Method(1, approach);
        bool valid = false;
        for (int k = 0, stored = 0; k < passages.size(); ++k) {   // stored: the handler's count
            Edge(passages[k], 1000000 * k, false, valid);
            const double v = Edge(passages[k], 1000000 * k + (passages[k] == 2 ? 40000 : 80000), true, valid);
            stored += m_dm->AppendTimingResult(stored, v, m_pelorin->TakeResultSlot()) ? 1 : 0;
        }
        QList<double> results;
        for (double y : m_dm->GetDataBranch(run->GetBranchKey(0))->GetYSnapshot())
            results << (y == MissingValue ? 0.0 : y);
        QCOMPARE(results, series);
    }

    void pelorinVelocityAtGate()
    {
        Method(1, 0);
        bool valid = false;
        QCOMPARE(Edge(2, 1000000, false, valid), -1.0);
        QVERIFY(!valid);
        const double v = Edge(2, 1030000, true, valid);
        QVERIFY(valid);
        QVERIFY(qAbs(v - 1.0) < 1e-12);
        // Blocked and unblocked in the same microsecond: no speed.
        Edge(2, 2000000, false, valid);
        QCOMPARE(Edge(2, 2000000, true, valid), -1.0);
        QVERIFY(!valid);
    }

    void pelorinAccelerationUsesMiddles()
    {
        Method(2, 0);
        bool valid = false;
        Edge(0, 1000000, false, valid);
        QCOMPARE(Edge(0, 1030000, true, valid), 0.03);  // first passage: its duration, not valid
        QVERIFY(!valid);
        Edge(0, 2000000, false, valid);
        const double a = Edge(0, 2015000, true, valid);
        QVERIFY(valid);
        // (2 - 1) m/s over the 0.9925 s between the passages' middles.
        QVERIFY(qAbs(a - 1.0 / 0.9925) < 1e-9);
    }

    void pelorinBetweenGates()
    {
        Method(1, 1);
        bool valid = false;
        QCOMPARE(Edge(3, 1000000, false, valid), -1.0);  // only the first gate seen
        QVERIFY(!valid);
        const double v = Edge(5, 1400000, false, valid);
        QVERIFY(valid);
        QVERIFY(qAbs(v - 0.5) < 1e-12);  // 20 cm in 0.4 s
        Method(0, 1);
        Edge(3, 1000000, false, valid);
        QVERIFY(qAbs(Edge(5, 1250000, false, valid) - 0.25) < 1e-12);
        // Same instant at both gates: no speed.
        Method(1, 1);
        Edge(3, 1000000, false, valid);
        valid = false;
        QCOMPARE(Edge(5, 1000000, false, valid), -1.0);
        QVERIFY(!valid);
    }

    void pelorinAccelerationBetweenGates()
    {
        Method(2, 1);
        bool valid = false;
        Edge(0, 1000000, false, valid);
        Edge(0, 1030000, true, valid);
        Edge(1, 1500000, false, valid);
        const double a = Edge(1, 1515000, true, valid);
        QVERIFY(valid);
        QVERIFY(qAbs(a - 1.0 / 0.4925) < 1e-9);
    }

    void pelorinPendulum()
    {
        Method(0, 2);
        bool valid = false;
        QCOMPARE(Edge(4, 1000000, false, valid), -1.0);
        QCOMPARE(Edge(4, 1900000, false, valid), -1.0);
        QVERIFY(!valid);
        QVERIFY(qAbs(Edge(4, 3100000, false, valid) - 2.1) < 1e-12);
        QVERIFY(valid);
    }

    void gateNumbersFromTheLogger()
    {
        Method(1, 0);
        bool valid = false;
        // Gates exist 0..13 only; 14 and beyond are refused, not written past the table.
        QCOMPARE(Edge(14, 1000000, false, valid), -1.0);
        QCOMPARE(Edge(255, 1030000, true, valid), -1.0);
        QVERIFY(!valid);
        // The refused edges did not become the first gate.
        Edge(13, 1000000, false, valid);
        QVERIFY(qAbs(Edge(13, 1030000, true, valid) - 1.0) < 1e-12);
        // Kind 2 with approach 2 has no method: no result.
        Method(2, 2);
        Edge(0, 1, false, valid);
        valid = false;
        QCOMPARE(Edge(0, 5, true, valid), -1.0);
        QVERIFY(!valid);
        CLogicManager logic;
        CPelorinCoreHost host(&logic);
        QCOMPARE(host.CalculateTimingValue(0, 1, false, nullptr, valid), -1.0);
    }
};

KORVANTA_TEST_GUILESS_MAIN(TestTiming)
#include "tst_timing.moc"
