// Which run a series belongs to and what it is drawn against when another series gives the X
// axis: the values of that quantity in its own run, never another run's.
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"

#include "common/TestMain.h"

namespace {

// Run 1 sampled by hand (temperature on channel 0), Run 2 with typed masses (temperatures on
// channels 0 and 1, Mass in g), Run 3 alike with masses of its own, Run 4 with lengths typed
// instead of masses, and derivatives of Run 3's temperature.
struct CRuns
{
    CDataManager dm;
    QHash<QString, int> key;

    int series(CDataFolder* run, int sensorIndex, int channel, const QString& name, const QString& unit)
    {
        const int k = dm.CreateDataBranch(sensorIndex, 1.0, channel, 0, run->m_Key);
        run->AddBranchKey(k);
        CDataBranch* b = dm.GetDataBranch(k);
        b->m_Name = name;
        b->m_Unit = unit;
        b->m_SensorIndex = sensorIndex;
        return k;
    }
    CRuns()
    {
        const int temperature = 72;
        for (int r = 1; r <= 4; ++r) {
            CDataFolder* run = dm.CreateDataFolder();
            run->m_Name = QStringLiteral("Run %1").arg(r);
            key[QStringLiteral("T%1").arg(r)] = series(run, temperature, 0, "Temperature", "°C");
            if (r == 2 || r == 3)
                key[QStringLiteral("T%1b").arg(r)] = series(run, temperature, 1, "Temperature", "°C");
            if (r == 2 || r == 3)
                key[QStringLiteral("M%1").arg(r)] = series(run, SensorIndexManualX, -1, "Mass", "g");
            if (r == 4)
                key["L4"] = series(run, SensorIndexManualX, -1, "Length", "cm");
        }
        // Computed series are owned by their source, not listed by the run.
        const int d = dm.CreateDataBranch(SensorIndexDerivedFunction, 1.0, -1, -1, key["T3"]);
        dm.AddChildBranch(d, key["T3"]);
        key["dT3"] = d;
        const int dd = dm.CreateDataBranch(SensorIndexDerivedFunction, 1.0, -1, -1, d);
        key["ddT3"] = dd;
    }
};

} // namespace

class TestDatastoreRuns : public QObject
{
    Q_OBJECT
private slots:
    void seriesStandOnTheirOwnRunsX_data()
    {
        QTest::addColumn<QString>("series");
        QTest::addColumn<QString>("xAxis");
        QTest::addColumn<QString>("run");
        QTest::addColumn<QString>("drawnAgainst");   // empty: not drawn
        QTest::newRow("own run's masses") << "T2" << "M2" << "Run 2" << "M2";
        QTest::newRow("sampled by hand, no masses") << "T1" << "M2" << "Run 1" << "";
        QTest::newRow("masses of its own") << "T3" << "M2" << "Run 3" << "M3";
        QTest::newRow("lengths are not masses") << "T4" << "M2" << "Run 4" << "";
        QTest::newRow("derivative of run 3") << "dT3" << "M2" << "Run 3" << "M3";
        QTest::newRow("derivative of a derivative") << "ddT3" << "M2" << "Run 3" << "M3";
        QTest::newRow("a measurement as X axis") << "M3" << "T2" << "Run 3" << "T3";
        QTest::newRow("same channel first") << "M3" << "T2b" << "Run 3" << "T3b";
        QTest::newRow("another channel otherwise") << "L4" << "T2b" << "Run 4" << "T4";
    }
    void seriesStandOnTheirOwnRunsX()
    {
        QFETCH(QString, series);
        QFETCH(QString, xAxis);
        QFETCH(QString, run);
        QFETCH(QString, drawnAgainst);
        CRuns r;
        const CDataFolder* owner = r.dm.GetRunOfBranch(r.key[series]);
        QVERIFY(owner);
        QCOMPARE(owner->m_Name, run);
        const CDataBranch* x = r.dm.GetOwnXBranch(r.key[series], r.key[xAxis]);
        QCOMPARE(x ? x->m_Key : -1, drawnAgainst.isEmpty() ? -1 : r.key[drawnAgainst]);
    }

    void ownerKeysThatLoopEndInNoRun()
    {
        CRuns r;
        // Keys read from a damaged file: two series owning each other, listed by no run.
        CDataBranch* a = r.dm.GetDataBranch(r.dm.CreateDataBranch(SensorIndexDerivedFunction, 1.0, -1, -1, -1));
        CDataBranch* b = r.dm.GetDataBranch(r.dm.CreateDataBranch(SensorIndexDerivedFunction, 1.0, -1, -1, a->m_Key));
        a->m_OwnerKey = b->m_Key;
        QVERIFY(!r.dm.GetRunOfBranch(a->m_Key));
        QVERIFY(!r.dm.GetRunBranchByCode(a->m_Key, SensorIndexManualX));
        QCOMPARE(r.dm.GetRunBranchByCode(r.dm.GetRunOfBranch(r.key["T2"])->m_Key, SensorIndexManualX)->m_Key,
                 r.key["M2"]);
    }
};

KORVANTA_TEST_MAIN(TestDatastoreRuns)
#include "tst_datastore_runs.moc"
