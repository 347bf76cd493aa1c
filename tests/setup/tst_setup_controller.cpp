// The setup controller: its request queue, the status poll, the selected-sensor list built
// from status replies (automatic and manual detection), the edits and the connection.
#include "support/SetupRig.h"

#include "Core/Data/SensorsCalibration.h"
#include "Core/Logic/Detection/DeviceDetectionManager.h"
#include "platform/TestPortEnumerator.h"

#include <QSignalSpy>
#include <QtConcurrent>
#include "common/TestMain.h"

class TestSetupController : public QObject
{
    Q_OBJECT
private slots:
    void queueKeepsOneOutstanding();
    void queueRepliesClearPending();
    void pollOnlyWhenAllowed();
    void statusBuildsList();
    void statusUnchangedKeepsList();
    void statusOneChannelFewer();
    void statusUnknownIndexIsEmpty();
    void measurementCountBounded();
    void statusWhileHiddenChangesNothing();
    void manualDetectionStatusKeepsRows();
    void detectionModeSwitch();
    void addSensorKeepsPositions();
    void edits();
    void measurementChangedBounds();
    void iseRangeRequest();
    void sensorChanged();
    void connectionAndEnabling();
    void calibrationGoesToRowSensor();
    void clearingOnlineFunctionsWaitsForTheTable();
    void dravletSnapshotsOnlyWhileCalibrating();
    void updateTimeoutAsksForTheLogger_data();
    void updateTimeoutAsksForTheLogger();
};

void TestSetupController::queueKeepsOneOutstanding()
{
    CFakeSetupHost host;
    CSetupWindow& c = *host.m_pController;
    QSignalSpy status(&c, &CSetupWindow::statusRequest);
    QSignalSpy snapshot(&c, &CSetupWindow::requestSnapshot);
    c.SendQueuedRequest(CSetupWindow::StatusRequest);
    QCOMPARE(status.count(), 1);
    QCOMPARE(status.first().first().toInt(), 1);
    QCOMPARE(c.requestPending(), 1);
    c.SendQueuedRequest(CSetupWindow::StatusRequest);
    c.SendQueuedRequest(CSetupWindow::SnapshotRequest);
    QCOMPARE(c.requestQueue().size(), 2);
    QCOMPARE(status.count(), 1);
    // The third while the reply is still missing gives the lost reply up.
    c.SendQueuedRequest(CSetupWindow::StatusRequest);
    QVERIFY(c.requestQueue().isEmpty());
    QCOMPARE(c.requestPending(), 0);
    QCOMPARE(status.count(), 1);
    QCOMPARE(snapshot.count(), 0);
    c.SendQueuedRequest(CSetupWindow::StatusRequest);
    QCOMPARE(status.count(), 2);
}

void TestSetupController::queueRepliesClearPending()
{
    CFakeSetupHost host;
    host.plugLogger(70.0);
    CSetupWindow& c = *host.m_pController;
    c.initWindow();
    QSignalSpy range(&c, &CSetupWindow::requestSetRange);
    QSignalSpy snapshot(&c, &CSetupWindow::requestSnapshot);
    c.SendQueuedRequest(CSetupWindow::SetRangeRequest);
    QCOMPARE(range.count(), 1);
    c.SendQueuedRequest(CSetupWindow::SnapshotRequest);
    QCOMPARE(snapshot.count(), 0);
    host.m_Hub.SignalLoggerSetRangeFinished();
    QCOMPARE(c.requestPending(), 0);
    // The reply does not send what waits; the next call sends the oldest.
    QCOMPARE(snapshot.count(), 0);
    c.SendQueuedRequest(CSetupWindow::StatusRequest);
    QCOMPARE(snapshot.count(), 1);
    QCOMPARE(c.requestQueue().size(), 1);
    c.ApproveSendingRequest();
    QCOMPARE(c.requestPending(), 0);
    c.SendQueuedRequest(CSetupWindow::SnapshotRequest);
    QCOMPARE(c.requestPending(), 1);
    host.setStatus({});
    host.m_Hub.SignalLoggerStatusArrived(1); // a status reply clears it too
    QCOMPARE(c.requestPending(), 0);
}

void TestSetupController::pollOnlyWhenAllowed()
{
    CFakeSetupHost host;
    CSetupWindow& c = *host.m_pController;
    QSignalSpy status(&c, &CSetupWindow::statusRequest);
    c.setupTimout(); // no logger detected
    QCOMPARE(status.count(), 0);
    host.plugLogger(70.0);
    host.setup().m_bAutoDetect = false;
    c.setupTimout();
    QCOMPARE(status.count(), 0);
    host.setup().m_bAutoDetect = true;
    c.disableSetup(true);
    c.setupTimout();
    QCOMPARE(status.count(), 0);
    c.disableSetup(false);
    c.setupTimout();
    QCOMPARE(status.count(), 1);
    QVERIFY(c.isStatusPollRunning());
    c.stopTimers(true);
    QVERIFY(!c.isStatusPollRunning());
    c.stopTimers(false);
    QVERIFY(c.isStatusPollRunning());
}

void TestSetupController::statusBuildsList()
{
    CFakeSetupHost host;
    host.plugLogger(70.0);
    CSetupWindow& c = *host.m_pController;
    host.m_Logic.m_NumOnLineFunctions = 2;
    host.setStatus({1, 25, 7});
    c.updateSetupWindow(1);
    const QList<CSesnorProperties*>& list = host.setup().m_SelectedSensorList;
    QCOMPARE(list.size(), 3);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(list.at(i)->m_Channel, i);
        QCOMPARE(list.at(i)->m_Port, 10 + i);
    }
    QCOMPARE(list.at(1)->m_SensorIndex, 25);
    QCOMPARE(list.at(1)->m_Name, QString("Distance"));
    const CSensorParametersInfo* distance = host.m_Logic.m_SensorInfo.GetSensorInfo(25);
    QCOMPARE(list.at(1)->GetNumMeasurements(), int(distance->m_NumOfMeasurements));
    // New channels take their measurement defaults into the settings, which are saved.
    for (int m = 0; m < distance->m_NumOfMeasurements; ++m) {
        QCOMPARE(host.m_Settings.IsMeasurementActive(1, m), distance->m_Measurements[m].m_DefaultActive);
        QCOMPARE(list.at(1)->GetMeasurement(m)->m_bActive, distance->m_Measurements[m].m_DefaultActive);
    }
    QCOMPARE(host.m_Settings.GetSensorInfoIndex(2), 7);
    QCOMPARE(host.m_Settings.m_Saves, 1);
    QCOMPARE(host.m_Logic.m_NumOnLineFunctions, short(0));
    const CMeasurementSetup* v = list.at(0)->GetMeasurement(0);
    QCOMPARE(v->m_Name, QString("Voltage"));
    QCOMPARE(v->m_Unit, QString("V"));
    QCOMPARE(v->m_Min, -25.0);
    QCOMPARE(v->m_Max, 25.0);
    QVERIFY(v->m_Color.isValid());
}

void TestSetupController::statusUnchangedKeepsList()
{
    CFakeSetupHost host;
    host.plugLogger(70.0);
    CSetupWindow& c = *host.m_pController;
    host.setStatus({1, 25});
    c.updateSetupWindow(1);
    const QList<CSesnorProperties*> before = host.setup().m_SelectedSensorList;
    const QColor colour = before.at(0)->GetMeasurement(0)->m_Color;
    before.at(0)->GetMeasurement(0)->m_bActive = false;
    const int saves = host.m_Settings.m_Saves;
    c.updateSetupWindow(1);
    QCOMPARE(host.setup().m_SelectedSensorList, before);
    QCOMPARE(before.at(0)->GetMeasurement(0)->m_Color, colour);
    QVERIFY(!before.at(0)->GetMeasurement(0)->m_bActive);
    QCOMPARE(host.m_Settings.m_Saves, saves);
    // A command other than 1 is not a status reply.
    host.setStatus({2});
    c.updateSetupWindow(0);
    QCOMPARE(host.setup().m_SelectedSensorList, before);
}

void TestSetupController::statusOneChannelFewer()
{
    CFakeSetupHost host;
    host.plugLogger(70.0);
    CSetupWindow& c = *host.m_pController;
    host.setStatus({1, 25, 7});
    c.updateSetupWindow(1);
    host.setup().m_ISEId[0] = 5003;
    host.setStatus({1, 25});
    c.updateSetupWindow(1);
    QCOMPARE(host.setup().m_SelectedSensorList.size(), 2);
    QCOMPARE(host.m_Settings.GetSensorInfoIndex(2), 0);
    QCOMPARE(host.setup().m_ISEId[0], 0);
    QCOMPARE(host.setup().m_SelectedSensorList.at(1)->m_SensorIndex, 25);
}

void TestSetupController::statusUnknownIndexIsEmpty()
{
    CFakeSetupHost host;
    host.plugLogger(70.0);
    CSetupWindow& c = *host.m_pController;
    host.setStatus({500, -3, 148});
    c.updateSetupWindow(1);
    const QList<CSesnorProperties*>& list = host.setup().m_SelectedSensorList;
    QCOMPARE(list.size(), 3);
    QCOMPARE(list.at(0)->m_SensorIndex, 0);
    QCOMPARE(list.at(1)->m_SensorIndex, 0);
    QCOMPARE(list.at(2)->m_SensorIndex, 148);
    // A status without any logger record reads as no channels.
    host.setup().m_LoggerStatusList.clear();
    c.updateSetupWindow(1);
    QVERIFY(host.setup().m_SelectedSensorList.isEmpty());
}

void TestSetupController::measurementCountBounded()
{
    // A catalogue record claiming more measurements than it has slots gives only the slots.
    CFakeSetupHost host;
    host.m_Logic.m_SensorInfo.m_Sensors[1].m_NumOfMeasurements = 50;
    host.m_pController->addSensor2ActiveSensorList(1, 0, 0);
    QCOMPARE(host.setup().m_SelectedSensorList.at(0)->GetNumMeasurements(), CSensorParametersInfo::s_MaxMeasurements);
    host.m_Logic.m_SensorInfo.m_Sensors[1].m_NumOfMeasurements = -4;
    host.m_pController->addSensor2ActiveSensorList(1, 1, 0);
    QCOMPARE(host.setup().m_SelectedSensorList.at(1)->GetNumMeasurements(), 0);
}

void TestSetupController::statusWhileHiddenChangesNothing()
{
    CFakeSetupHost host;
    host.plugLogger(70.0);
    CSetupWindow& c = *host.m_pController;
    c.m_bSetupShown = false;
    host.setStatus({1, 2});
    c.updateSetupWindow(1);
    QVERIFY(host.setup().m_SelectedSensorList.isEmpty());
    QCOMPARE(host.m_Settings.m_Saves, 0);
    // Without an active logger nothing happens either.
    CFakeSetupHost idle;
    idle.setStatus({1});
    idle.m_pController->updateSetupWindow(1);
    QVERIFY(idle.setup().m_SelectedSensorList.isEmpty());
}

void TestSetupController::manualDetectionStatusKeepsRows()
{
    CFakeSetupHost host;
    host.plugLogger(70.0);
    CSetupWindow& c = *host.m_pController;
    // First status after a connection in manual detection: eight rows from an empty list.
    c.loggerConnected(true);
    host.setStatus({1, 25}, false);
    c.updateSetupWindow(1);
    QVERIFY(!host.setup().m_bAutoDetect);
    QList<CSesnorProperties*> list = host.setup().m_SelectedSensorList;
    QCOMPARE(list.size(), 8);
    QCOMPARE(list.at(1)->m_SensorIndex, 25);
    QCOMPARE(list.at(7)->m_SensorIndex, 0);
    // The user picks a sensor on row 3; the next status keeps every row as it is.
    c.sensorChanged(14, 3);
    QCOMPARE(host.setup().m_SelectedSensorList.at(3)->m_SensorIndex, 14);
    list = host.setup().m_SelectedSensorList;
    c.updateSetupWindow(1);
    QCOMPARE(host.setup().m_SelectedSensorList, list);
    for (int i = 0; i < 8; ++i)
        QCOMPARE(host.setup().m_SelectedSensorList.at(i)->m_Channel, i);
    // A list shorter than eight is completed, never extended by eight more.
    delete host.setup().m_SelectedSensorList.takeLast();
    delete host.setup().m_SelectedSensorList.takeLast();
    c.updateSetupWindow(1);
    QCOMPARE(host.setup().m_SelectedSensorList.size(), 8);
    QCOMPARE(host.setup().m_SelectedSensorList.at(6)->m_Channel, 6);
}

void TestSetupController::detectionModeSwitch()
{
    CFakeSetupHost host;
    host.plugLogger(12.0);
    CSetupWindow& c = *host.m_pController;
    QSignalSpy mode(&host.m_Hub, &CKorvantaSignals::UserDetectionModeChanged);
    host.setStatus({1, 2, 3});
    c.updateSetupWindow(1);
    c.detectionTypeChanged(1);
    const QList<CSesnorProperties*>& list = host.setup().m_SelectedSensorList;
    QCOMPARE(list.size(), 8);
    for (int i = 3; i < 8; ++i) {
        QCOMPARE(list.at(i)->m_SensorIndex, 0);
        QCOMPARE(list.at(i)->m_Port, -1);
        QCOMPARE(list.at(i)->m_Channel, i);
    }
    QCOMPARE(mode.count(), 1);
    c.detectionTypeChanged(1);
    QCOMPARE(mode.count(), 1);
    QCOMPARE(list.size(), 8);
    c.detectionTypeChanged(0); // back to automatic: the status decides again
    QCOMPARE(mode.count(), 2);
    QVERIFY(host.setup().m_bAutoDetect);
    QCOMPARE(host.setup().m_SelectedSensorList.size(), 3);
}

void TestSetupController::addSensorKeepsPositions()
{
    CFakeSetupHost host;
    CSetupWindow& c = *host.m_pController;
    c.addSensor2ActiveSensorList(1, 0, 4);
    c.addSensor2ActiveSensorList(25, 3, 5); // positions 1 and 2 are filled with empty rows
    const QList<CSesnorProperties*>& list = host.setup().m_SelectedSensorList;
    QCOMPARE(list.size(), 4);
    QCOMPARE(list.at(3)->m_SensorIndex, 25);
    QCOMPARE(list.at(1)->m_SensorIndex, 0);
    c.addSensor2ActiveSensorList(7, 1, 6); // replaces, does not append
    QCOMPARE(list.size(), 4);
    QCOMPARE(list.at(1)->m_SensorIndex, 7);
    QCOMPARE(list.at(1)->m_Port, 6);
    c.addSensor2ActiveSensorList(149, 4, 0); // outside the catalogue: an empty row
    c.addSensor2ActiveSensorList(5, -1, 0);  // no such position: ignored
    QCOMPARE(list.size(), 5);
    QCOMPARE(list.at(4)->m_SensorIndex, 0);
    // Settings decide which measurements start active.
    host.m_Settings.SetMeasurementActive(5, 0, true);
    c.addSensor2ActiveSensorList(1, 5, 0);
    QVERIFY(list.at(5)->GetMeasurement(0)->m_bActive);
    c.updateSensorInActiveSensorList(2, 99); // no such row
    c.updateSensorInActiveSensorList(200, 0); // no such type
    QCOMPARE(list.at(0)->m_SensorIndex, 1);
    const QColor colour = list.at(0)->GetMeasurement(0)->m_Color;
    c.updateSensorInActiveSensorList(2, 0);
    QCOMPARE(list.at(0)->m_SensorIndex, 2);
    QCOMPARE(list.at(0)->m_Port, 4);
    QCOMPARE(list.at(0)->GetMeasurement(0)->m_Color, colour);
}

void TestSetupController::edits()
{
    CFakeSetupHost host;
    host.plugLogger(70.0);
    CSetupWindow& c = *host.m_pController;
    c.loggerConnected(true);
    host.setStatus({1});
    c.updateSetupWindow(1);
    c.triggerChanged(true, 0, 12, 345, 1);
    QCOMPARE(host.setup().m_TriggerType, 1);
    QCOMPARE(host.setup().m_TriggerLevel, 12);
    c.triggerChanged(false, 0, 12, 345, 1);
    QCOMPARE(host.setup().m_TriggerType, 0);
    QCOMPARE(host.setup().m_TriggerChannel, -1);
    QCOMPARE(host.setup().m_TriggerLevel, -1);
    QCOMPARE(host.setup().m_TriggerValue, 0);

    c.durationChanged(0);
    QCOMPARE(host.setup().m_NumberOfSamples, 10);
    c.durationChanged(-1);
    QCOMPARE(host.setup().m_NumberOfSamples, 0);
    c.durationChanged(c.m_SampleCounts.size());
    QCOMPARE(host.setup().m_NumberOfSamples, 0);
    c.durationChanged(3);
    QCOMPARE(host.setup().m_NumberOfSamples, 100);

    const int rateIndex = c.m_UiRateCodes.indexOf(6);
    QVERIFY(rateIndex >= 0);
    c.rateChanged(rateIndex);
    QCOMPARE(host.setup().m_RateCode, 6);
    QCOMPARE(c.currentDurationText(), QString("1 minutes 40 seconds"));
    c.rateChanged(-1);
    c.rateChanged(999);
    QCOMPARE(host.setup().m_RateCode, 6);

    c.samplingTypeChanged(0); // manual sampling
    QCOMPARE(host.setup().m_RateCode, 0);
    QCOMPARE(host.m_ManualShown, 1);
    QCOMPARE(c.currentDurationText(), QString());
    c.samplingTypeChanged(1);
    QCOMPARE(host.m_ManualShown, 0);
    QCOMPARE(host.setup().m_RateCode, 6);
    host.m_RunMode = 1;
    host.m_ManualShown = -1;
    c.samplingTypeChanged(0); // event timing has no manual sampling button
    QCOMPARE(host.m_ManualShown, -1);

    c.colorChanged(Qt::red, 0, 0);
    QCOMPARE(host.setup().m_SelectedSensorList.at(0)->GetMeasurement(0)->m_Color, QColor(Qt::red));
    c.colorChanged(Qt::blue, 5, 0);
    c.colorChanged(Qt::blue, 0, 9);
    c.plotStyleChanged(2, 0, 0);
    c.scaleTypeChanged(1, 0, 0);
    c.scaleChanged(-1.5, 7.5, 0, 0);
    c.zeroChanged(true, 0.25, 0, 0);
    const CMeasurementSetup* m = host.setup().m_SelectedSensorList.at(0)->GetMeasurement(0);
    QCOMPARE(m->m_PlotStyle, 2);
    QCOMPARE(m->m_ScaleType, 1);
    QCOMPARE(m->m_Min, -1.5);
    QCOMPARE(m->m_Max, 7.5);
    QVERIFY(m->m_bZero);
    QCOMPARE(m->m_ZeroLevel, 0.25);

    c.m_XAxisList = {XAxisInfo(), XAxisInfo{0, 0, false}};
    c.XAxisChanged(1);
    QCOMPARE(host.setup().m_XAxisChannel, 0);
    QVERIFY(!host.setup().m_bXAxisDefault);
    c.XAxisChanged(7);
    QCOMPARE(host.setup().m_XAxisChannel, 0);

    QSignalSpy range(&c, &CSetupWindow::requestSetRange);
    c.rangeChanged(2, 0);
    QCOMPARE(range.count(), 1);
    QCOMPARE(int(host.setup().m_RangeValue), 2);
}

void TestSetupController::measurementChangedBounds()
{
    CFakeSetupHost host;
    host.plugLogger(12.0);
    CSetupWindow& c = *host.m_pController;
    host.setStatus({1, 25});
    c.updateSetupWindow(1);
    QSignalSpy changed(&host.m_Hub, &CKorvantaSignals::sensorListHasChanged);
    // Ten entries for a one-measurement sensor: only the first has a measurement to switch.
    c.measurementChanged(QList<bool>{false, true, true, true, true, true, true, true, true, true}, 0);
    QCOMPARE(host.setup().m_SelectedSensorList.at(0)->GetNumMeasurements(), 1);
    QVERIFY(!host.setup().m_SelectedSensorList.at(0)->GetMeasurement(0)->m_bActive);
    QVERIFY(!host.m_Settings.IsMeasurementActive(0, 0));
    QVERIFY(!host.m_Settings.IsMeasurementActive(0, 1));
    QCOMPARE(changed.count(), 1);
    c.measurementChanged(QList<bool>{true}, 9); // no such row
    QCOMPARE(changed.count(), 1);
    // With every measurement off the Run button is disabled.
    QList<bool> off;
    for (int i = 0; i < host.setup().m_SelectedSensorList.at(1)->GetNumMeasurements(); ++i)
        off << false;
    c.measurementChanged(off, 1);
    QCOMPARE(host.m_RunButtonEnabled, 0);
    c.measurementChanged(QList<bool>{true}, 0);
    QCOMPARE(host.m_RunButtonEnabled, 1);
}

void TestSetupController::iseRangeRequest()
{
    CFakeSetupHost host;
    host.plugLogger(70.0);
    CSetupWindow& c = *host.m_pController;
    host.setStatus({1, 130});
    c.updateSetupWindow(1);
    QSignalSpy range(&c, &CSetupWindow::requestSetRange);
    c.subSensorChanged(5005, 1);
    QCOMPARE(range.count(), 1);
    QCOMPARE(host.setup().m_ISEId[1], 5005);
    QCOMPARE(int(host.setup().m_RangeValue), 1);
    QCOMPARE(int(host.setup().m_RangeChannel), 1);
    c.setRangeFinished();
    c.subSensorChanged(5005, 1);
    QCOMPARE(range.count(), 1);
    c.subSensorChanged(5001, 0); // not an electrode row
    c.subSensorChanged(5001, 40);
    QCOMPARE(range.count(), 1);
    c.subSensorChanged(5001, 1);
    QCOMPARE(int(host.setup().m_RangeValue), 0);
}

void TestSetupController::sensorChanged()
{
    CFakeSetupHost host;
    host.plugLogger(70.0);
    CSetupWindow& c = *host.m_pController;
    host.setStatus({1, 2});
    c.updateSetupWindow(1);
    host.m_Logic.m_NumOnLineFunctions = 4;
    c.sensorChanged(5000, 0);
    QCOMPARE(host.setup().m_SelectedSensorList.at(0)->m_SensorIndex, 1);
    QCOMPARE(host.m_Logic.m_NumOnLineFunctions, short(0));
    c.sensorChanged(25, 1);
    QCOMPARE(host.setup().m_SelectedSensorList.at(1)->m_SensorIndex, 25);
    c.sensorChanged(300, 1); // not a catalogue index
    c.sensorChanged(3, 9);   // no such row
    QCOMPARE(host.setup().m_SelectedSensorList.at(1)->m_SensorIndex, 25);
    // A placeholder row on the Pelorin logger has its new id written to the logger.
    host.m_pController->getSetupInfo()->m_SelectedSensorList.at(1)->m_bPlaceholder = true;
    QSignalSpy write(&host.m_Hub, &CKorvantaSignals::UserWriteSensorId);
    c.sensorChanged(14, 1);
    QCOMPARE(write.count(), 1);
    QCOMPARE(int(host.setup().m_WriteIdChannel), 11);
    QCOMPARE(host.setup().m_WriteIdValue, short(14));
}

void TestSetupController::connectionAndEnabling()
{
    CFakeSetupHost host;
    host.plugLogger(70.0);
    CSetupWindow& c = *host.m_pController;
    c.loggerConnected(true);
    QVERIFY(c.isStatusPollRunning());
    QVERIFY(c.controlsEnabled());
    QCOMPARE(c.m_SampleCounts.size(), 14);
    host.setStatus({1});
    c.updateSetupWindow(1);
    host.setup().m_TriggerType = 5;
    c.disableSetup(true);
    QVERIFY(!c.isStatusPollRunning());
    QVERIFY(!c.controlsEnabled());
    host.setup().m_bAutoDetect = false;
    c.enableSetup(); // after a run the Pelorin logger is back in automatic detection
    QVERIFY(host.setup().m_bAutoDetect);
    QCOMPARE(host.setup().m_TriggerType, 5);
    QVERIFY(c.controlsEnabled());
    c.enableSetup(); // outside a run it clears the trigger
    QCOMPARE(host.setup().m_TriggerType, 0);

    c.SendQueuedRequest(CSetupWindow::StatusRequest);
    c.SendQueuedRequest(CSetupWindow::StatusRequest);
    c.loggerConnected(false);
    QVERIFY(host.setup().m_SelectedSensorList.isEmpty());
    QVERIFY(c.requestQueue().isEmpty());
    QVERIFY(!c.isStatusPollRunning());
    QVERIFY(!c.controlsEnabled());
    QCOMPARE(host.setup().m_NumberOfSamples, -1);
}

void TestSetupController::calibrationGoesToRowSensor()
{
    CFakeSetupHost host;
    host.plugLogger(70.0);
    CSetupWindow& c = *host.m_pController;
    host.setStatus({1, 13});
    c.updateSetupWindow(1);
    CalibrationValues v;
    v.type = 1;
    v.real1 = 7.0;
    v.measured1 = 6.5;
    c.calibrationChanged(v, 1);
    const SensorCalibrationInfo stored = host.m_Logic.m_SensorsCalibration.GetCalibration(13);
    QCOMPARE(stored.type, 1);
    QCOMPARE(stored.real1, 7.0);
    QCOMPARE(host.m_Logic.m_SensorsCalibration.GetCalibration(1).type, 0);
    c.calibrationChanged(v, 5); // no such row: nothing stored anywhere
    QCOMPARE(host.m_Logic.m_SensorsCalibration.GetCalibration(0).type, 0);
}

void TestSetupController::clearingOnlineFunctionsWaitsForTheTable()
{
    CFakeSetupHost host;
    host.m_Logic.m_NumOnLineFunctions = 2;
    // The logic thread binds the table of a starting run: a clear from the interface waits.
    QMutexLocker bind(host.m_Logic.m_CalculateOnLineFunctions.TableMutex());
    QFuture<void> clear = QtConcurrent::run([&host] { host.GetLogicQueries()->ClearOnlineFunctions(); });
    QTest::qWait(100);
    QVERIFY(!clear.isFinished());
    QCOMPARE(int(host.m_Logic.m_NumOnLineFunctions), 2);
    bind.unlock();
    clear.waitForFinished();
    QCOMPARE(int(host.m_Logic.m_CalculateOnLineFunctions.GetNumOnLineFunctions()), 0);
}

void TestSetupController::dravletSnapshotsOnlyWhileCalibrating()
{
    for (const double type : {12.0, 70.0}) {
        CFakeSetupHost host;
        host.plugLogger(type);
        CSetupWindow& c = *host.m_pController;
        c.initWindow();
        c.displaySetupWindow(1);
        host.setStatus({1});
        QSignalSpy snapshot(&c, &CSetupWindow::requestSnapshot);
        c.updateSetupWindow(1);
        c.ApproveSendingRequest();
        QCOMPARE(snapshot.count(), type == 12.0 ? 0 : 1);
        c.setCalibrationSnapshot(true);
        c.updateSetupWindow(1);
        QCOMPARE(snapshot.count(), type == 12.0 ? 1 : 2);
    }
}

void TestSetupController::updateTimeoutAsksForTheLogger_data()
{
    QTest::addColumn<bool>("plugged");
    QTest::addColumn<int>("problems");
    QTest::newRow("no logger came back") << false << 1;
    QTest::newRow("the logger is back") << true << 0;
}

// When the wait for a logger's return after its firmware update runs out, the logic manager
// asks the window manager (the host here) whether a logger is detected: only without one is
// the update reported as a problem.
void TestSetupController::updateTimeoutAsksForTheLogger()
{
    QFETCH(bool, plugged);
    QFETCH(int, problems);
    CFakeSetupHost host;
    if (plugged)
        host.plugLogger(70.0);
    QSignalSpy finished(&host.m_Hub, &CKorvantaSignals::LoggerBootLoaderFinshed);
    QSignalSpy notices(&host.m_Hub, &CKorvantaSignals::GuiModallessMsg);
    CTestPortEnumerator ports;
    CDeviceDetectionManager detection(&host.m_Logic, nullptr, &ports);
    detection.ConnectionTimeOut();
    QCOMPARE(finished.count(), problems);
    QCOMPARE(notices.count(), problems);
    if (problems)
        QCOMPARE(finished.first().first().toInt(), 0);
}

KORVANTA_TEST_MAIN(TestSetupController)
#include "tst_setup_controller.moc"
