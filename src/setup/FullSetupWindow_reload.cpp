// The full setup window reloading rows for another sensor or measurement, the calls of the
// setup summary, the read-back queries of the controller and the live readings.
#include "setup/FullSetupWindow.h"

#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/Globals.h"
#include "Core/Data/SensorInfo.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Logic/LoggerKinds.h"
#include "setup/LogicQueries.h"
#include "setup/MeasurementColumns.h"
#include "setup/SensorColumns.h"
#include "setup/SetupColumnRules.h"
#include "setup/SetupColumns.h"
#include "setup/SetupHost.h"
#include "setup/SetupWindow.h"
#include "setup/TriggerCalibrateColumns.h"

#include <QRadioButton>
#include <QTableWidget>

#include <algorithm>

namespace {
constexpr unsigned short kPlaceholderKind = 153;
}

void CFullSetupWindow::updateNameColumn(int channel, int sensorIndex, bool autoDetect)
{
    auto* name = cell<FullSetupSensorNameColumn>(channel, NameColumn);
    if (!name)
        return;
    if (autoDetect)
        name->setAuto(sensorIndex);
    else
        name->setManual(sensorIndex);
    const CSensorParametersInfo* r = record(sensorIndex);
    const int count = r ? std::clamp<int>(r->m_NumOfMeasurements, 0, CSensorParametersInfo::s_MaxMeasurements) : 0;
    ui->SensorsTable->setRowHeight(findTableRow(channel), std::max(s_RowHeightPerMeasurement * count, s_MinRowHeight));
}

void CFullSetupWindow::updateRangeColumn(int channel, int sensorIndex)
{
    auto* range = cell<FullSetupSensorRangeColumn>(channel, RangeColumn);
    if (!range)
        return;
    range->setDisabled(sensorIndex == 0);
    range->update(sensorIndex);
}

void CFullSetupWindow::updateIconColumn(int channel, int sensorIndex)
{
    auto* icon = cell<FullSetupIconColumn>(channel, IconColumn);
    const CSensorParametersInfo* r = record(sensorIndex);
    if (icon)
        icon->setPixmap(r ? r->m_Icon : QPixmap());
}

void CFullSetupWindow::updateMeasurementColumn(int channel, int sensorIndex)
{
    auto* column = cell<FullSetupMeasurementsColumn>(channel, MeasurementColumn);
    if (!column)
        return;
    column->clearMeasurements();
    const CSensorParametersInfo* r = record(sensorIndex);
    if (sensorIndex == 0 || !r || r->m_DataKind == kPlaceholderKind)
        return;
    const int count = std::clamp<int>(r->m_NumOfMeasurements, 0, CSensorParametersInfo::s_MaxMeasurements);
    for (int m = 0; m < count; ++m) {
        const CSensorMeasuremntInfo* mi = r->GetMeasurement(m);
        const QString unit = mi ? GetUnitPrefix(mi->m_UnitPrefix) + mi->m_Unit : QString();
        const QString name = mi ? mi->m_Name : QString();
        column->addMeasurement(m, unit.isEmpty() ? name : name + " (" + unit + ")");
        column->setMeasurement(m, m_pSetupWindow && m_pSetupWindow->GetSettingsMeasurmentActive(channel, m));
    }
    column->addSeperators();
}

namespace {
const CMeasurementSetup* measurementOf(const CSetupInfo* info, int channel, int m)
{
    const CSesnorProperties* sensor = info ? info->GetSelectedSensor(channel) : nullptr;
    return sensor ? sensor->GetMeasurement(m) : nullptr;
}
} // namespace

// The colour, plot and scale cells show one measurement of the row's sensor; without a sensor
// they show nothing and take no edit. Null when there is nothing more to load.
template <class T> T* CFullSetupWindow::activateCell(int channel, int column, int sensorIndex, int m)
{
    T* widget = cell<T>(channel, column);
    if (!widget)
        return nullptr;
    const bool has = sensorIndex != 0;
    setCellColour(channel, column, has ? m_ActiveColor : parityColour(channel));
    widget->setDisabled(!has);
    if (!has)
        return nullptr;
    widget->setMeasurementIndex(m);
    return widget;
}

void CFullSetupWindow::updateColorColumn(int channel, int sensorIndex, int m)
{
    auto* colour = activateCell<FullSetupColorSelection>(channel, ColorColumn, sensorIndex, m);
    if (!colour)
        return;
    if (const CMeasurementSetup* ms = measurementOf(setup(), channel, m))
        colour->setColor(ms->m_Color);
}

void CFullSetupWindow::updatePlotColumn(int channel, int sensorIndex, int m)
{
    auto* plot = activateCell<FullSetupPenStyleColumn>(channel, PlotColumn, sensorIndex, m);
    if (!plot)
        return;
    if (const CMeasurementSetup* ms = measurementOf(setup(), channel, m))
        plot->setPlotStyle(ms->m_PlotStyle);
}

void CFullSetupWindow::updateScaleColumn(int channel, int sensorIndex, int m)
{
    auto* scale = activateCell<FullSetupSensorScaleColumn>(channel, ScaleColumn, sensorIndex, m);
    if (!scale)
        return;
    if (const CMeasurementSetup* ms = measurementOf(setup(), channel, m)) {
        scale->setScaleType(ms->m_ScaleType);
        scale->setScale(ms->m_Min, ms->m_Max);
    }
    const CSensorInfo* catalogue = m_pSetupWindow ? m_pSetupWindow->sensorCatalogue() : nullptr;
    const CSensorMeasuremntInfo* mi = catalogue ? catalogue->GetMeasurementInfo(sensorIndex, m) : nullptr;
    scale->setUnit(mi ? mi->m_Unit : QString());
}

void CFullSetupWindow::updateZeroColumn(int channel, int sensorIndex, int m)
{
    auto* zero = cell<FullSetupSetZeroColumn>(channel, ZeroColumn);
    if (!zero)
        return;
    const CSensorParametersInfo* r = record(sensorIndex);
    zero->setDisabled(!r || !r->m_ZeroAllowed);
    setCellColour(channel, ZeroColumn, sensorIndex == 0 ? parityColour(channel) : m_ActiveColor);
    zero->setMeasurementIndex(m);
    if (LoggerFaceOf(LoggerModelOf(activeLoggerType())).ReadsOnlyWhileCalibrating())
        zero->UnsupportShowReading();
}

void CFullSetupWindow::updateTriggerColumn(int channel, int sensorIndex)
{
    auto* trigger = cell<FullSetupTriggerColumn>(channel, TriggerColumn);
    if (!trigger)
        return;
    trigger->updateTriggerList(sensorIndex);
    const CSensorParametersInfo* r = record(sensorIndex);
    trigger->setTriggerAllowed(sensorIndex != 0 && r, SetupColumnRules::TriggerRefusal(r, sensorIndex));
}

void CFullSetupWindow::refreshTriggerLevels()
{
    const CSetupInfo* info = setup();
    for (int channel = 0; info && channel < info->m_SelectedSensorList.size(); ++channel)
        if (auto* trigger = cell<FullSetupTriggerColumn>(channel, TriggerColumn))
            trigger->refreshLevels();
}

void CFullSetupWindow::updateCalibrateColumn(int channel, int sensorIndex)
{
    auto* calibrate = cell<FullSetupCalibrateColumn>(channel, CalibrateColumn);
    if (!calibrate)
        return;
    CSensorsCalibration* table = m_pSetupWindow ? m_pSetupWindow->calibrationTable() : nullptr;
    const SensorCalibrationInfo stored = table ? table->GetCalibration(sensorIndex) : SensorCalibrationInfo();
    calibrate->setCalibrationValues(SetupColumnRules::CalibrationValuesOf(stored));
    const CSensorParametersInfo* r = record(sensorIndex);
    const bool usable = sensorIndex != 0 && r && r->m_CalibrationKind != 0;
    calibrate->setShownMeasurement(0);
    if (usable)
        calibrate->setSensorID(sensorIndex, 0);
    calibrate->setDisabled(!usable);
}

void CFullSetupWindow::updateFullSetupWindow(int SensorID, int SourceChannel)
{
    updateNameColumn(SourceChannel, SensorID, false);
    updateRangeColumn(SourceChannel, SensorID);
    updateIconColumn(SourceChannel, SensorID);
    updateMeasurementColumn(SourceChannel, SensorID);
    updateColorColumn(SourceChannel, SensorID, 0);
    updatePlotColumn(SourceChannel, SensorID, 0);
    updateScaleColumn(SourceChannel, SensorID, 0);
    updateZeroColumn(SourceChannel, SensorID, 0);
    updateTriggerColumn(SourceChannel, SensorID);
    updateCalibrateColumn(SourceChannel, SensorID);
}

void CFullSetupWindow::highlightMeasurementInfo(int SourceChannel, int measurementIndex)
{
    const int s = rowSensor(SourceChannel);
    updateColorColumn(SourceChannel, s, measurementIndex);
    updatePlotColumn(SourceChannel, s, measurementIndex);
    updateScaleColumn(SourceChannel, s, measurementIndex);
    updateZeroColumn(SourceChannel, s, measurementIndex);
    if (auto* calibrate = cell<FullSetupCalibrateColumn>(SourceChannel, CalibrateColumn))
        calibrate->setShownMeasurement(measurementIndex);
}

void CFullSetupWindow::UpdateMeasurements(int channel, int sensorIndex, bool first)
{
    auto* column = cell<FullSetupMeasurementsColumn>(channel, MeasurementColumn);
    if (!column)
        return;
    column->clearMeasurements();
    const CSensorParametersInfo* r = record(sensorIndex);
    if (sensorIndex != 0 && r && r->m_DataKind != kPlaceholderKind) {
        const int count = std::clamp<int>(r->m_NumOfMeasurements, 0, CSensorParametersInfo::s_MaxMeasurements);
        for (int m = 0; m < count; ++m) {
            const CSensorMeasuremntInfo* mi = r->GetMeasurement(m);
            const QString unit = mi ? GetUnitPrefix(mi->m_UnitPrefix) + mi->m_Unit : QString();
            const QString name = mi ? mi->m_Name : QString();
            column->addMeasurement(m, unit.isEmpty() ? name : name + " (" + unit + ")");
            column->setMeasurement(m, false);
        }
        if (first && count > 0)
            column->setMeasurement(0, true);
    }
    column->addSeperators();
    if (m_pSetupWindow)
        m_pSetupWindow->OnSetupSummaryChanged();
}

void CFullSetupWindow::UpdateMeasurementCheck(int channel, int measurementIndex, bool checked)
{
    auto* column = cell<FullSetupMeasurementsColumn>(channel, MeasurementColumn);
    if (!column || !m_pSetupWindow)
        return;
    column->setMeasurement(measurementIndex, checked);
    m_pSetupWindow->OnSetupSummaryChanged();
}

int CFullSetupWindow::getSensorIdAtSourceChannel(int channel) const
{
    auto* name = cell<FullSetupSensorNameColumn>(channel, NameColumn);
    return name ? name->currentSensor() : 0;
}

QColor CFullSetupWindow::getColorAtSourceChannel(int channel) const
{
    auto* colour = cell<FullSetupColorSelection>(channel, ColorColumn);
    return colour ? colour->color() : QColor();
}

int CFullSetupWindow::getPlotTypeAtSourceChannel(int channel) const
{
    auto* plot = cell<FullSetupPenStyleColumn>(channel, PlotColumn);
    return plot ? plot->plotStyle() : 0;
}

// A snapshot reading of a channel that has no row is dropped: it belongs to no cell.
void CFullSetupWindow::snapshotHasArrived()
{
    if (!m_pSetupWindow)
        return;
    m_pSetupWindow->ApproveSendingRequest();
    // Readings that belong to a calibration are no longer current once it closed.
    if (LoggerFaceOf(LoggerModelOf(activeLoggerType())).ReadsOnlyWhileCalibrating()
        && !m_pSetupWindow->calibrationSnapshot())
        return;
    const CSetupInfo* info = setup();
    if (!info || info->m_LoggerStatusList.isEmpty())
        return;
    const QList<int> snapshot = info->m_LoggerStatusList.first().m_SnapshotList;
    for (int k = 0; k < snapshot.size(); ++k) {
        auto* zero = cell<FullSetupSetZeroColumn>(k, ZeroColumn);
        auto* calibrate = cell<FullSetupCalibrateColumn>(k, CalibrateColumn);
        if (!zero || !calibrate)
            continue;
        const int raw = snapshot.at(k);
        const int measurement = zero->measurementIndex();
        const float v = m_pSetupWindow->convertReading(k, rowSensor(k), measurement, raw);
        zero->setReading(v);
        // A calibration reads the measurement its line goes on, which may not be the one shown.
        const int calibrated = calibrate->calibrationMeasurement();
        calibrate->setReading(calibrated == measurement ? v : m_pSetupWindow->convertReading(k, rowSensor(k), calibrated, raw),
                              raw, calibrated);
    }
}

void CFullSetupWindow::showReadingsUnavailable()
{
    const int rows = ui->SensorsTable->rowCount();
    for (int channel = 0; channel < rows; ++channel)
        if (auto* zero = cell<FullSetupSetZeroColumn>(channel, ZeroColumn))
            zero->UnsupportShowReading();
}
