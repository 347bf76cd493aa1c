// The setup record: defaults, counts over the selected sensors, electrode checks and the
// manual-X check.
#include "Core/Data/SetupInfo.h"

#include "common/TestMain.h"
#include <cstring>

namespace {

// A sensor on the given channel with one setup per active flag.
CSesnorProperties* sensor(int channel, int catalogueIndex, std::initializer_list<bool> active)
{
    auto* s = new CSesnorProperties;
    s->m_Channel = channel;
    s->m_SensorIndex = catalogueIndex;
    for (bool a : active) {
        auto* m = new CMeasurementSetup;
        m->m_bActive = a;
        s->m_MeasurementList.append(m);
    }
    return s;
}

} // namespace

class TestDatastoreSetup : public QObject
{
    Q_OBJECT
private:
    QList<CSesnorProperties*> m_Owned;
    CSesnorProperties* keep(CSesnorProperties* s)
    {
        m_Owned.append(s);
        return s;
    }

private slots:
    void cleanup()
    {
        qDeleteAll(m_Owned);
        m_Owned.clear();
    }

    void newRecordDefaults()
    {
        CSetupInfo setup;
        QCOMPARE(setup.m_RateCode, 0);
        QCOMPARE(setup.m_NumberOfSamples, -1);
        QCOMPARE(setup.m_TriggerType, 0);
        QCOMPARE(setup.m_TriggerChannel, -1);
        QCOMPARE(setup.m_TriggerLevel, -1);
        QVERIFY(setup.m_bAutoDetect);
        QCOMPARE(setup.m_TimingWidth, 3.0);
        QCOMPARE(setup.m_TimingDistance, 20.0);
        QVERIFY(!setup.m_bManualX);
        QCOMPARE(setup.m_LoggerStatusList.size(), 1);
        const CCurrentLoggerStatus& status = setup.m_LoggerStatusList.first();
        QVERIFY(status.m_SensorList.isEmpty());
        QCOMPARE(status.m_RateCode, 0);
        QCOMPARE(status.m_NumberOfSamples, 0);
        for (int v : status.m_Version)
            QCOMPARE(v, 0);
        QCOMPARE(setup.GetActiveMeasurementCount(), 0);
        QVERIFY(setup.ISEHasSelections());
    }

    void resetKeepsTimingElectrodesAndManualX()
    {
        CSetupInfo setup;
        setup.m_SelectedSensorList << keep(sensor(0, 4, {true}));
        setup.m_RateCode = 9;
        setup.m_NumberOfSamples = 500;
        setup.m_TriggerType = 5;
        setup.m_TriggerChannel = 1;
        setup.m_TriggerLevel = 2000;
        setup.m_bAutoDetect = false;
        setup.m_XAxisChannel = 2;
        setup.m_TimingWidth = 5.0;
        setup.m_ISEId[3] = 5002;
        setup.m_bManualX = true;
        setup.m_ManualXName = QStringLiteral("Mass");
        setup.Reset();
        QVERIFY(setup.m_SelectedSensorList.isEmpty());
        QCOMPARE(setup.m_RateCode, 0);
        QCOMPARE(setup.m_NumberOfSamples, -1);
        QCOMPARE(setup.m_TriggerType, 0);
        QCOMPARE(setup.m_TriggerChannel, -1);
        QCOMPARE(setup.m_TriggerLevel, -1);
        QVERIFY(setup.m_bAutoDetect);
        QCOMPARE(setup.m_XAxisChannel, -1);
        QCOMPARE(setup.m_TimingWidth, 5.0);
        QCOMPARE(setup.m_ISEId[3], 5002);
        QVERIFY(setup.m_bManualX);
        QCOMPARE(setup.m_ManualXName, QStringLiteral("Mass"));
    }

    void countsOverSelectedSensors()
    {
        CSetupInfo setup;
        // Channel 0 empty but active, channel 1 two of three active, channel 2 none active,
        // channel 3 one active.
        setup.m_SelectedSensorList << keep(sensor(0, 0, {true})) << keep(sensor(1, 38, {true, false, true}))
                                   << keep(sensor(2, 5, {false})) << keep(sensor(3, 25, {true}));
        QCOMPARE(setup.GetActiveMeasurementCount(), 4);
        QCOMPARE(setup.GetActiveSensorsCount(), 3);
        QCOMPARE(setup.GetNumSelectedSensors(), 2);
        unsigned char positions[8];
        std::memset(positions, 0xAA, sizeof positions);
        QCOMPARE(setup.GetSensorListIndex(positions), 2);
        const unsigned char expected[8] = {1, 3, 0, 0, 0, 0, 0, 0};
        QCOMPARE(QByteArray(reinterpret_cast<char*>(positions), 8),
                 QByteArray(reinterpret_cast<const char*>(expected), 8));
        QCOMPARE(setup.GetSensorListIndex(nullptr), 0);
        QCOMPARE(setup.m_SelectedSensorList.at(1)->ActiveMeasurementCount(), 2);
        QVERIFY(!setup.m_SelectedSensorList.at(2)->IsActive());
    }

    void atMostEightPositionsAreListed()
    {
        CSetupInfo setup;
        for (int c = 0; c < 10; ++c)
            setup.m_SelectedSensorList << keep(sensor(c, 4, {true}));
        unsigned char positions[8];
        QCOMPARE(setup.GetSensorListIndex(positions), 8);
        QCOMPARE(int(positions[7]), 7);
    }

    void lookups()
    {
        CSetupInfo setup;
        CSesnorProperties* a = keep(sensor(0, 4, {true, false}));
        CSesnorProperties* b = keep(sensor(1, 4, {false}));
        setup.m_SelectedSensorList << a << b;
        QCOMPARE(setup.GetSelectedSensor(1), b);
        QVERIFY(!setup.GetSelectedSensor(-1));
        QVERIFY(!setup.GetSelectedSensor(2));
        QCOMPARE(setup.GetSensorProperties(4), a);
        QVERIFY(!setup.GetSensorProperties(7));
        QCOMPARE(setup.Measurement(0, 4, 1), a->m_MeasurementList.at(1));
        QCOMPARE(setup.Measurement(1, 4, 0), b->m_MeasurementList.at(0));
        QVERIFY(!setup.Measurement(1, 4, 1));
        QVERIFY(!setup.Measurement(2, 4, 0));
        QVERIFY(!a->GetMeasurement(2));
        QVERIFY(!a->GetMeasurement(-1));
        QCOMPARE(a->GetNumMeasurements(), 2);
    }

    void electrodeInputsNeedAnElectrode()
    {
        CSetupInfo setup;
        setup.m_SelectedSensorList << keep(sensor(0, 4, {true})) << keep(sensor(1, 4, {false}))
                                   << keep(sensor(2, 130, {true, false}));
        QVERIFY(!setup.ISEHasSelections());
        // Without an electrode the input's measurements do not count.
        QCOMPARE(setup.GetActiveMeasurementCount(), 1);
        setup.m_ISEId[2] = 5003;
        QVERIFY(setup.ISEHasSelections());
        // With one, every measurement setup of the input counts, active or not.
        QCOMPARE(setup.GetActiveMeasurementCount(), 3);
        // An inactive electrode input needs nothing.
        setup.m_ISEId[2] = 0;
        setup.m_SelectedSensorList.at(2)->m_MeasurementList.at(0)->m_bActive = false;
        QVERIFY(setup.ISEHasSelections());
    }

    void electrodeInputsBeyondEightChannelsHaveNoElectrode()
    {
        CSetupInfo setup;
        for (int c = 0; c < 9; ++c)
            setup.m_SelectedSensorList << keep(sensor(c, c == 8 ? 131 : 0, {c == 8}));
        QCOMPARE(setup.GetISEId(8), 0);
        QCOMPARE(setup.GetISEId(-1), 0);
        QVERIFY(!setup.ISEHasSelections());
    }

    void manualXNeedsNameAndUnit()
    {
        CSetupInfo setup;
        QVERIFY(setup.xManualRunEnabled());
        setup.m_ManualXName = QStringLiteral("Volume");
        QVERIFY(setup.xManualRunEnabled());
        setup.m_bManualX = true;
        QVERIFY(!setup.xManualRunEnabled());
        setup.m_ManualXUnit = QStringLiteral("mL");
        QVERIFY(setup.xManualRunEnabled());
        setup.m_ManualXName.clear();
        QVERIFY(!setup.xManualRunEnabled());
    }
};

KORVANTA_TEST_GUILESS_MAIN(TestDatastoreSetup)
#include "tst_datastore_setup.moc"
