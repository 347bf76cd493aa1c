// The slots that take the user's edits of the setup and write them into the setup record.
#include "setup/SetupWindow.h"

#include "Core/Logic/LoggerFace.h"
#include "setup/FullSetupWindow.h"
#include "setup/SetupSummary.h"

#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/SensorInfo.h"
#include "Core/Data/SensorsCalibration.h"
#include "Core/Data/SetupInfo.h"
#include "setup/LogicQueries.h"
#include "setup/SetupColumnRules.h"
#include "setup/SetupHost.h"

#include <QLabel>
#include <QTimer>

namespace {
CMeasurementSetup* measurementAt(CSetupInfo* setup, int tableIndex, int measurementIndex)
{
    CSesnorProperties* sensor = setup->GetSelectedSensor(tableIndex);
    return sensor ? sensor->GetMeasurement(measurementIndex) : nullptr;
}
} // namespace

int CSetupWindow::currentRate() const
{
    // What the rate choice shows: the last rate the user picked, -1 before any.
    return m_pFull ? m_pFull->getCurrentRate() : m_LastChosenRate;
}

void CSetupWindow::refreshDuration()
{
    QString text;
    if (durationText(&text))
        m_DurationText = text;
    if (m_pFull)
        m_pFull->updateDurationLabel();
    refreshSummary();
}

void CSetupWindow::activeMeasurementsChanged()
{
    CKorvantaSignals* hub = m_pHost ? m_pHost->GetSignals() : nullptr;
    if (hub)
        emit hub->sensorListHasChanged();
    createRateList(detectedLoggerType());
    if (m_pHost)
        m_pHost->SetRunButtonEnabled(m_pSetupInfo->GetActiveMeasurementCount() > 0);
    if (m_pFull)
        m_pFull->initRateAndDuration();
    if (ILogicQueries* logic = m_pHost ? m_pHost->GetLogicQueries() : nullptr)
        logic->ClearOnlineFunctions();
    emit updateXAxis();
}

void CSetupWindow::XAxisChanged(int ComboIndex)
{
    if (ComboIndex < 0 || ComboIndex >= m_XAxisList.size())
        return;
    const XAxisInfo& x = m_XAxisList.at(ComboIndex);
    m_pSetupInfo->m_XAxisChannel = x.m_Channel;
    m_pSetupInfo->m_XAxisMeasurement = x.m_Measurement;
    m_pSetupInfo->m_bXAxisDefault = x.m_bDefault;
}

void CSetupWindow::samplingTypeChanged(int comboIndex)
{
    if (comboIndex == 1) {
        if (m_pHost)
            m_pHost->ShowRunManualButton(false);
        if (currentRate() < 0)
            return;
        m_pSetupInfo->m_RateCode = currentRate();
        if (m_pFull) {
            m_pFull->setRateEnabled(true);
            m_pFull->setManualValuesEnabled(false);
        }
    } else {
        if (m_pHost && m_pHost->GetCurrentRunMode() != ExperimentRunMode::Timing)
            m_pHost->ShowRunManualButton(true);
        m_pSetupInfo->m_RateCode = 0;
        if (m_pFull) {
            m_pFull->setRateEnabled(false);
            m_pFull->setManualValuesEnabled(true);
        }
    }
    emit updateXAxis();
    if (m_pFull)
        m_pFull->updateManualX(comboIndex == 0);
    refreshDuration();
}

void CSetupWindow::rateChanged(int comboIndex)
{
    // An index the list does not have leaves the rate as it was.
    if (comboIndex < 0 || comboIndex >= m_UiRateCodes.size())
        return;
    m_pSetupInfo->m_RateCode = m_UiRateCodes.at(comboIndex);
    m_LastChosenRate = m_pSetupInfo->m_RateCode;
    refreshDuration();
}

void CSetupWindow::durationChanged(int comboIndex)
{
    m_pSetupInfo->m_NumberOfSamples =
        (comboIndex >= 0 && comboIndex < m_SampleCounts.size()) ? m_SampleCounts.at(comboIndex) : 0;
    refreshDuration();
}

void CSetupWindow::triggerChanged(bool triggerActive, int SourceChannel, int triggerLevelIndex, int triggerValue,
                                  int triggerType)
{
    setTrigger(triggerActive, SourceChannel, triggerLevelIndex, triggerValue, triggerType);
    refreshWindows();
}

void CSetupWindow::setTrigger(bool triggerActive, int SourceChannel, int triggerLevelIndex, int triggerValue,
                              int triggerType)
{
    if (triggerActive) {
        m_pSetupInfo->m_TriggerChannel = SourceChannel;
        m_pSetupInfo->m_TriggerLevel = triggerLevelIndex;
        m_pSetupInfo->m_TriggerValue = triggerValue;
        m_pSetupInfo->m_TriggerType = triggerType;
    } else {
        m_pSetupInfo->m_TriggerType = 0;
        m_pSetupInfo->m_TriggerChannel = -1;
        m_pSetupInfo->m_TriggerLevel = -1;
        m_pSetupInfo->m_TriggerValue = 0;
    }
    refreshTriggerDirection();
}

bool CSetupWindow::refreshTriggerDirection()
{
    CSetupInfo* s = m_pSetupInfo;
    bool falls = false;
    const CSesnorProperties* sensor = s->GetSelectedSensor(s->m_TriggerChannel);
    ILogicQueries* logic = m_pHost ? m_pHost->GetLogicQueries() : nullptr;
    if ((s->m_TriggerType == 1 || s->m_TriggerType == 2) && sensor && logic) {
        // The levels as the trigger dialog offers them: the same conversion, calibration included.
        // A logger that minds its sensor's direction itself needs turning round only where the
        // calibration turned the sensor's reading round.
        QList<TriggerLevel> levels, sensorLevels;
        logic->GetTriggeringLevels(s->m_TriggerChannel, sensor->m_SensorIndex, &levels, &sensorLevels);
        falls = SetupColumnRules::TriggerLevelFalls(levels, s->m_TriggerValue) !=
                (!sensorLevels.isEmpty() && SetupColumnRules::TriggerLevelFalls(sensorLevels, s->m_TriggerValue));
    }
    const bool changed = falls != s->m_bTriggerFalls;
    s->m_bTriggerFalls = falls;
    return changed;
}

void CSetupWindow::triggerLevelsChanged()
{
    if (m_pFull)
        m_pFull->refreshTriggerLevels();
    // A level trigger the logger already holds is compared the other way round from now on.
    if (refreshTriggerDirection())
        emit setupChanged(-1);
}

void CSetupWindow::sensorChanged(int SensorID, int SourceChannel)
{
    ILogicQueries* logic = m_pHost ? m_pHost->GetLogicQueries() : nullptr;
    if (logic)
        logic->ClearOnlineFunctions();
    CKorvantaSignals* hub = m_pHost ? m_pHost->GetSignals() : nullptr;
    if (SensorID <= 4999 && CSensorInfo::IsValidIndex(SensorID) && m_pSetupInfo->GetSelectedSensor(SourceChannel)) {
        updateSensorInActiveSensorList(SensorID, SourceChannel);
        refreshWindows();
        if (m_pFull)
            m_pFull->updateFullSetupWindow(SensorID, SourceChannel);
        createRateList(detectedLoggerType());
        if (m_pFull)
            m_pFull->initRateAndDuration();
        if (hub)
            emit hub->sensorListHasChanged();
        emit updateXAxis();
    }
    const CSesnorProperties* sensor = m_pSetupInfo->GetSelectedSensor(SourceChannel);
    if (detectedFace().WritesSensorIds() && sensor && sensor->m_bPlaceholder) {
        const int port = statusChannelPort(SourceChannel);
        m_pSetupInfo->m_WriteIdChannel = static_cast<unsigned char>(port & 0xff);
        m_pSetupInfo->m_WriteIdValue = static_cast<short>(SensorID);
        if (hub)
            hub->SignalUserWriteSensorId();
    }
}

void CSetupWindow::rangeChanged(int RangeIndex, int SourceChannel)
{
    m_pSetupInfo->m_RangeValue = static_cast<unsigned char>(RangeIndex);
    m_pSetupInfo->m_RangeChannel = static_cast<unsigned char>(SourceChannel);
    SendQueuedRequest(SetRangeRequest);
    emit updateXAxis();
}

void CSetupWindow::measurementChanged(QList<bool> measurements, int tableIndex)
{
    CSesnorProperties* sensor = m_pSetupInfo->GetSelectedSensor(tableIndex);
    if (!sensor)
        return;
    // Entries past the sensor's own measurements have nothing to switch.
    const int count = std::min(measurements.size(), sensor->GetNumMeasurements());
    for (int k = 0; k < count; ++k) {
        sensor->m_MeasurementList.at(k)->m_bActive = measurements.at(k);
        UpdateSettingsFile(sensor->m_SensorIndex, sensor->m_Channel, k, measurements.at(k));
    }
    activeMeasurementsChanged();
    refreshWindows();
}

void CSetupWindow::OnSetupSummaryChanged()
{
    activeMeasurementsChanged();
}

void CSetupWindow::calibrationChanged(CalibrationValues calibrationValues, int tableIndex)
{
    const CSesnorProperties* sensor = m_pSetupInfo->GetSelectedSensor(tableIndex);
    ILogicQueries* logic = m_pHost ? m_pHost->GetLogicQueries() : nullptr;
    CSensorsCalibration* calibration = logic ? logic->GetCalibration() : nullptr;
    if (!sensor || !calibration)
        return;
    calibration->setCalibrationValues(calibrationValues, sensor->m_SensorIndex);
    refreshWindows();
    triggerLevelsChanged();
}

void CSetupWindow::UseCalibrationChanged(bool, int)
{
    // The calibration table keeps no per-use flag; a calibration removed changes the levels.
    triggerLevelsChanged();
}

void CSetupWindow::colorChanged(QColor color, int tableIndex, int measurementIndex)
{
    if (CMeasurementSetup* m = measurementAt(m_pSetupInfo, tableIndex, measurementIndex)) {
        m->m_Color = color;
        refreshWindows();
    }
}

void CSetupWindow::plotStyleChanged(int plotStyle, int tableIndex, int measurementIndex)
{
    if (CMeasurementSetup* m = measurementAt(m_pSetupInfo, tableIndex, measurementIndex))
        m->m_PlotStyle = plotStyle;
}

void CSetupWindow::scaleTypeChanged(int type, int tableIndex, int measurementIndex)
{
    if (CMeasurementSetup* m = measurementAt(m_pSetupInfo, tableIndex, measurementIndex))
        m->m_ScaleType = type;
}

void CSetupWindow::scaleChanged(double min, double max, int tableIndex, int measurementIndex)
{
    if (CMeasurementSetup* m = measurementAt(m_pSetupInfo, tableIndex, measurementIndex)) {
        m->m_Max = max;
        m->m_Min = min;
    }
}

void CSetupWindow::zeroChanged(bool zeroEnabled, double zeroLevel, int tableIndex, int measurementIndex)
{
    if (CMeasurementSetup* m = measurementAt(m_pSetupInfo, tableIndex, measurementIndex)) {
        m->m_bZero = zeroEnabled;
        m->m_ZeroLevel = zeroLevel;
        refreshWindows();
        triggerLevelsChanged();
    }
}

void CSetupWindow::subSensorChanged(int selection, int sourceChannel)
{
    const CSesnorProperties* sensor = m_pSetupInfo->GetSelectedSensor(sourceChannel);
    if (!sensor || !CSensorInfo::IsISEIndex(sensor->m_SensorIndex) || sourceChannel >= CSetupInfo::NumISEChannels)
        return;
    if (selection == m_pSetupInfo->m_ISEId[sourceChannel])
        return;
    m_pSetupInfo->m_ISEId[sourceChannel] = selection;
    m_pSetupInfo->m_RangeValue = (selection == 5002 || selection == 5005) ? 1 : 0;
    m_pSetupInfo->m_RangeChannel = static_cast<unsigned char>(sourceChannel);
    SendQueuedRequest(SetRangeRequest);
    refreshWindows();
    if (m_pFull) {
        m_pFull->setMeasurementColumn(sourceChannel);
        m_pFull->setRangeColumn(sourceChannel);
        m_pFull->setColorColumn(sourceChannel);
        m_pFull->setScaleColumn(sourceChannel);
        m_pFull->setPlotColumn(sourceChannel);
        m_pFull->setCalibrateColumn(sourceChannel);
    }
    if (CKorvantaSignals* hub = m_pHost ? m_pHost->GetSignals() : nullptr)
        emit hub->sensorListHasChanged();
}
