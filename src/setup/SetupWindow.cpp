#include "setup/SetupWindow.h"

#include "Core/Data/Globals.h"
#include "Core/Data/SensorInfo.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Base/Diagnostics.h"
#include "Core/Base/ILogger.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Logic/LoggerKinds.h"
#include "Core/Logic/LogicManager.h"
#include "setup/FullSetupWindow.h"
#include "setup/LogicQueries.h"
#include "setup/SetupSummary.h"
#include "setup/SetupHost.h"
#include "setup/SetupSettings.h"

#include <QComboBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>
#include <QWidget>

#include <algorithm>

CSetupWindow::CSetupWindow(QWidget* parent)
    : QObject(parent), m_pHost(dynamic_cast<ISetupHost*>(parent)), m_pWindowsManager(parent)
{
    m_pSetupInfo = new CSetupInfo(this);
    m_pTriggerDelayTimer = new QTimer(this);
    m_pTriggerDelayTimer->setSingleShot(true);
    m_pStatusTimer = new QTimer(this);
    m_pStatusTimer->setInterval(s_StatusPollMs);
    // The setup windows live in the window area; a host that has none keeps the record alone.
    if (auto* area = qobject_cast<QMdiArea*>(parent)) {
        m_pFull = new CFullSetupWindow(area, Qt::SubWindow);
        m_pFull->setSetupWindow(this);
        area->addSubWindow(m_pFull);
        m_pFull->hide();
        m_pFullSetupWindow = m_pFull;
        m_pMinimal = new CMinimalSetupWindow(area, Qt::SubWindow);
        m_pMinimal->setSetupWindow(this);
        area->addSubWindow(m_pMinimal);
        m_pMinimal->hide();
        m_pMinimalSetupWindow = m_pMinimal;
    }
}

CSetupWindow::~CSetupWindow()
{
    delete m_pFull.data();
    delete m_pMinimal.data();
    clearSensorList();
}

void CSetupWindow::show()
{
    displaySetupWindow(m_SetupWindowType);
}

void CSetupWindow::hide()
{
    if (m_pFullSetupWindow)
        m_pFullSetupWindow->hide();
    if (m_pMinimalSetupWindow)
        m_pMinimalSetupWindow->hide();
}

void CSetupWindow::displaySetupWindow(SetupWindowType type)
{
    m_SetupWindowType = type;
    QWidget* shown = type == 1 ? m_pFullSetupWindow : m_pMinimalSetupWindow;
    QWidget* hidden = type == 1 ? m_pMinimalSetupWindow : m_pFullSetupWindow;
    if (hidden)
        hidden->hide();
    if (shown) {
        shown->show();
        if (shown->isMinimized()) {
            shown->setWindowState(shown->windowState() & ~Qt::WindowMinimized);
            shown->activateWindow();
        }
        // The full setup is opened to be worked in: it is taller than the summary's place, and
        // the history below that place must not hide its foot ("<< Minimal Setup", the X axis).
        if (type == 1)
            bringToFront(shown);
    }
}

void CSetupWindow::bringToFront(QWidget* window)
{
    window->raise();
    auto* sub = qobject_cast<QMdiSubWindow*>(window);
    QMdiArea* area = sub ? sub->mdiArea() : nullptr;
    if (!area)
        return;
    // Activated, the window would take over a maximized graph's state and fill the area.
    const bool keep = area->testOption(QMdiArea::DontMaximizeSubWindowOnActivation);
    area->setOption(QMdiArea::DontMaximizeSubWindowOnActivation, true);
    area->setActiveSubWindow(sub);
    area->setOption(QMdiArea::DontMaximizeSubWindowOnActivation, keep);
}

QWidget* CSetupWindow::currentWindow() const
{
    return m_SetupWindowType == 1 ? m_pFullSetupWindow : m_pMinimalSetupWindow;
}

bool CSetupWindow::isStatusPollRunning() const
{
    return m_pStatusTimer->isActive();
}

CKorvantaSignals* CSetupWindow::signalHub() const
{
    return m_pHost ? m_pHost->GetSignals() : nullptr;
}

ILogicQueries* CSetupWindow::logicQueries() const
{
    return m_pHost ? m_pHost->GetLogicQueries() : nullptr;
}

CSensorsCalibration* CSetupWindow::calibrationTable() const
{
    ILogicQueries* logic = logicQueries();
    return logic ? logic->GetCalibration() : nullptr;
}

int CSetupWindow::getSensorIdAtSourceChannel(int channel) const
{
    if (m_pFull && m_pFull->findTableRow(channel) >= 0)
        return m_pFull->getSensorIdAtSourceChannel(channel);
    const CSesnorProperties* sensor = m_pSetupInfo->GetSelectedSensor(channel);
    return sensor ? sensor->m_SensorIndex : 0;
}

float CSetupWindow::convertReading(int channel, int sensorIndex, int measurement, int raw) const
{
    ILogicQueries* logic = logicQueries();
    return logic ? logic->ConvertDataSample(channel, channel, sensorIndex, measurement, raw) : 0.0f;
}

void CSetupWindow::WaitHere(int ms)
{
    if (m_pHost)
        m_pHost->WaitWhileHandlingEvents(ms);
}

bool CSetupWindow::hasActiveLogger() const
{
    return m_pHost && m_pHost->GetLogicQueries() && m_pHost->GetLogicQueries()->GetActiveLogger();
}

double CSetupWindow::detectedLoggerType() const
{
    ILogicQueries* logic = m_pHost ? m_pHost->GetLogicQueries() : nullptr;
    return logic ? logic->GetDetectedLoggerType() : 0.0;
}

const ILoggerFace& CSetupWindow::detectedFace() const
{
    return LoggerFaceOf(LoggerModelOf(detectedLoggerType()));
}

const CSensorInfo* CSetupWindow::catalogue() const
{
    if (m_pSensorCatalogue)
        return m_pSensorCatalogue;
    ILogicQueries* logic = m_pHost ? m_pHost->GetLogicQueries() : nullptr;
    return logic ? logic->GetSensorCatalogue() : nullptr;
}

void CSetupWindow::stopTimers(bool stop)
{
    if (stop)
        m_pStatusTimer->stop();
    else if (hasActiveLogger() && !m_pStatusTimer->isActive())
        m_pStatusTimer->start();
}

void CSetupWindow::initWindow()
{
    if (m_bInitialized)
        return;
    m_bInitialized = 1;
    m_pSensorCatalogue = catalogue();
    createSensorList();
    if (m_pFull) {
        m_pFull->initWindow();
        connect(this, &CSetupWindow::updateXAxis, m_pFull.data(), &CFullSetupWindow::updateXAxisCombo);
        if (CKorvantaSignals* hub = m_pHost ? m_pHost->GetSignals() : nullptr)
            connect(hub, &CKorvantaSignals::LoggerSnapShotArrived, m_pFull.data(), &CFullSetupWindow::snapshotHasArrived);
    }
    if (m_pMinimal) {
        m_pMinimal->initWindow();
        if (m_pFull) {
            QComboBox* rates = m_pFull->form()->RateComboBox;
            connect(rates, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this] { refreshSummary(); });
            m_DurationText = m_pFull->form()->DurationLabel->text();
            refreshSummary();
        }
    }
    if (auto* logic = qobject_cast<CLogicManager*>(m_pHost ? m_pHost->GetLogicManagerObject() : nullptr)) {
        // The logic manager takes the setup's requests.
        connect(this, &CSetupWindow::setupChanged, logic, &CLogicManager::UserSetupModified);
        connect(this, &CSetupWindow::statusRequest, logic, &CLogicManager::UserStatusRequest);
        connect(this, &CSetupWindow::requestSnapshot, logic, &CLogicManager::UserSnapshotRequest);
        connect(this, &CSetupWindow::requestSetRange, logic, &CLogicManager::UserSetSensorRange);
    }
    if (CKorvantaSignals* hub = m_pHost ? m_pHost->GetSignals() : nullptr) {
        connect(hub, &CKorvantaSignals::LoggerStatusArrived, this, &CSetupWindow::updateSetupWindow);
        connect(hub, &CKorvantaSignals::LoggerSetRangeFinished, this, &CSetupWindow::setRangeFinished);
    }
    connect(m_pStatusTimer, &QTimer::timeout, this, &CSetupWindow::setupTimout);
}

// ---- status poll and request queue ----

void CSetupWindow::setupTimout()
{
    if (m_pSetupInfo->m_bAutoDetect && !m_bSetupDisabled && m_pHost && m_pHost->IsLoggerDetected())
        SendQueuedRequest(StatusRequest);
}

void CSetupWindow::SendQueuedRequest(RequestType kind)
{
    m_RequestQueue.append(kind);
    if (m_bRequestPending == 1) {
        // A reply that never came is given up once three requests wait behind it.
        if (m_RequestQueue.size() >= s_QueueDropLength) {
            m_RequestQueue.clear();
            m_bRequestPending = 0;
        }
        return;
    }
    const int next = m_RequestQueue.takeFirst();
    m_bRequestPending = 1;
    switch (next) {
    case StatusRequest:
        emit statusRequest(1);
        break;
    case SnapshotRequest:
        emit requestSnapshot();
        break;
    default:
        emit requestSetRange();
        break;
    }
}

void CSetupWindow::ApproveSendingRequest()
{
    m_bRequestPending = 0;
}

void CSetupWindow::setRangeFinished()
{
    m_bRequestPending = 0;
}

// ---- connection, enabling ----

void CSetupWindow::setCalibrationSnapshot(bool on)
{
    const bool stopped = m_bCalibrationSnapshot && !on;
    m_bCalibrationSnapshot = on;
    // A logger that reads only for a calibration sends nothing afterwards: the last reading
    // would stand in the setup as if it were current.
    if (stopped && m_pFull && detectedFace().ReadsOnlyWhileCalibrating())
        m_pFull->showReadingsUnavailable();
}

void CSetupWindow::loggerConnected(bool on)
{
    m_bNewConnection = on;
    m_RequestQueue.clear();
    if (on) {
        const double type = detectedLoggerType();
        createRateList(type);
        createDurationList(type);
        if (hasActiveLogger() && !m_pStatusTimer->isActive())
            m_pStatusTimer->start();
        enableSetup();
        if (m_pFull)
            m_pFull->initDetectionType();
        return;
    }
    m_bNewConnection = false;
    clearSensorList();
    m_pSetupInfo->Reset();
    m_RequestQueue.clear();
    if (m_pFull)
        m_pFull->removeAllRows();
    refreshWindows();
    disableSetup(false);
    m_pStatusTimer->stop();
}

void CSetupWindow::disableSetup(bool loggerRunning)
{
    if (loggerRunning)
        m_pStatusTimer->stop();
    else if (hasActiveLogger() && !m_pStatusTimer->isActive())
        m_pStatusTimer->start();
    m_bSetupDisabled = loggerRunning;
    m_bControlsEnabled = false;
    if (m_pFull)
        m_pFull->setRunControlsEnabled(false);
    if (m_pMinimal)
        m_pMinimal->setSetupHeld(true);
}

void CSetupWindow::waitForLogger()
{
    disableSetup(true);
    // The last readings of a logger that is gone would stand there as if they were current.
    if (m_pFull)
        m_pFull->showReadingsUnavailable();
}

void CSetupWindow::enableSetup()
{
    if (!hasActiveLogger()) {
        disableSetup(false);
        return;
    }
    if (m_bSetupDisabled) {
        // Manual sampling has no rate: the box stays held after a manual run.
        if (m_pFull)
            m_pFull->setRateEnabled(m_pSetupInfo->m_RateCode != 0);
        const bool detectsItself = detectedFace().DetectsSensorsItself();
        if (detectsItself)
            m_pSetupInfo->m_bAutoDetect = true;
        if (m_pFull)
            m_pFull->form()->DetectionModeCombo->setEnabled(!detectsItself);
        m_bSetupDisabled = false;
    } else {
        // No trigger for the next run; the trigger's channel and level stay where they were.
        setTrigger(true, m_pSetupInfo->m_TriggerChannel, m_pSetupInfo->m_TriggerLevel, m_pSetupInfo->m_TriggerValue, 0);
    }
    m_bControlsEnabled = true;
    if (m_pFull)
        m_pFull->setRunControlsEnabled(true);
    if (m_pMinimal)
        m_pMinimal->setSetupHeld(false);
}

// ---- the selected-sensor list ----

void CSetupWindow::clearSensorList()
{
    // The record lists the sensors; this controller owns them.
    qDeleteAll(m_pSetupInfo->m_SelectedSensorList);
    m_pSetupInfo->m_SelectedSensorList.clear();
}

int CSetupWindow::statusChannelCount() const
{
    const QList<CCurrentLoggerStatus>& l = m_pSetupInfo->m_LoggerStatusList;
    return l.isEmpty() ? 0 : l.first().m_SensorList.size();
}

int CSetupWindow::statusChannelIndex(int position) const
{
    if (position < 0 || position >= statusChannelCount())
        return 0;
    const int index = m_pSetupInfo->m_LoggerStatusList.first().m_SensorList.at(position).m_SensorIndex;
    // A logger may report a code the catalogue does not know: that channel reads as empty.
    return CSensorInfo::IsValidIndex(index) ? index : 0;
}

int CSetupWindow::statusChannelPort(int position) const
{
    if (position < 0 || position >= statusChannelCount())
        return -1;
    return m_pSetupInfo->m_LoggerStatusList.first().m_SensorList.at(position).m_Port;
}

CSesnorProperties* CSetupWindow::makeSensor(int catalogueIndex, int position, int port)
{
    CSesnorProperties* sensor = new CSesnorProperties;
    const CSensorInfo* info = catalogue();
    const CSensorParametersInfo* type = info ? info->GetSensorInfo(catalogueIndex) : nullptr;
    sensor->m_SensorIndex = type ? catalogueIndex : 0;
    sensor->m_Name = type ? type->m_Name : QString();
    sensor->m_Channel = position;
    sensor->m_Port = port;
    sensor->m_bPlaceholder = type && type->m_DataKind == 153;
    return sensor;
}

void CSetupWindow::fillMeasurements(CSesnorProperties* sensor, bool fromSettings, const QList<QColor>& colours,
                                    const QList<int>& styles)
{
    qDeleteAll(sensor->m_MeasurementList);
    sensor->m_MeasurementList.clear();
    const CSensorInfo* info = catalogue();
    const CSensorParametersInfo* type = info ? info->GetSensorInfo(sensor->m_SensorIndex) : nullptr;
    if (!type)
        return;
    const bool placeholder = type->m_DataKind == 153;
    // The record's count is trusted only as far as the measurement slots go.
    const int count = std::clamp<int>(type->m_NumOfMeasurements, 0, CSensorParametersInfo::s_MaxMeasurements);
    ISetupSettings* settings = m_pHost ? m_pHost->GetSetupSettings() : nullptr;
    for (int m = 0; m < count; ++m) {
        const CSensorMeasuremntInfo* mi = type->GetMeasurement(m);
        if (!mi)
            break;
        CMeasurementSetup* ms = new CMeasurementSetup;
        ms->m_Name = mi->m_Name;
        ms->m_Unit = GetUnitPrefix(mi->m_UnitPrefix) + mi->m_Unit;
        ms->m_Min = mi->m_Min;
        ms->m_Max = mi->m_Max;
        if (placeholder)
            ms->m_bActive = false;
        else if (fromSettings)
            ms->m_bActive = settings && settings->IsMeasurementActive(sensor->m_Channel, m);
        else
            ms->m_bActive = mi->m_DefaultActive;
        ms->m_Color = m < colours.size() ? colours.at(m) : GetNextGlobalColor();
        ms->m_PlotStyle = m < styles.size() ? styles.at(m) : 0;
        sensor->m_MeasurementList.append(ms);
    }
}

void CSetupWindow::addSensor2ActiveSensorList(int catalogueIndex, int position, int port)
{
    QList<CSesnorProperties*>& list = m_pSetupInfo->m_SelectedSensorList;
    if (position < 0)
        return;
    // The list holds the sensor of position i at index i: gaps are filled with empty
    // channels and a position already present is replaced, never appended a second time.
    while (list.size() < position) {
        CSesnorProperties* empty = makeSensor(0, list.size(), -1);
        fillMeasurements(empty, true, {}, {});
        list.append(empty);
    }
    CSesnorProperties* sensor = makeSensor(catalogueIndex, position, port);
    fillMeasurements(sensor, true, {}, {});
    if (position < list.size()) {
        delete list.at(position);
        list[position] = sensor;
    } else {
        list.append(sensor);
    }
}

void CSetupWindow::updateSensorInActiveSensorList(int catalogueIndex, int position)
{
    CSesnorProperties* sensor = m_pSetupInfo->GetSelectedSensor(position);
    const CSensorInfo* info = catalogue();
    const CSensorParametersInfo* type = info ? info->GetSensorInfo(catalogueIndex) : nullptr;
    if (!sensor || !type)
        return;
    // The row keeps the colours and plot styles it shows.
    QList<QColor> colours;
    QList<int> styles;
    for (const CMeasurementSetup* m : sensor->m_MeasurementList) {
        colours << (m ? m->m_Color : QColor());
        styles << (m ? m->m_PlotStyle : 0);
    }
    // What the full window shows for the row wins: the user sees those.
    if (m_pFull && m_pFull->findTableRow(position) >= 0) {
        if (!colours.isEmpty())
            colours[0] = m_pFull->getColorAtSourceChannel(position);
        if (!styles.isEmpty())
            styles[0] = m_pFull->getPlotTypeAtSourceChannel(position);
    }
    sensor->m_SensorIndex = catalogueIndex;
    sensor->m_Name = type->m_Name;
    sensor->m_Channel = position;
    fillMeasurements(sensor, false, colours, styles);
}

void CSetupWindow::UpdateSettingsFile(int catalogueIndex, int channel, int measurement, bool active)
{
    ISetupSettings* settings = m_pHost ? m_pHost->GetSetupSettings() : nullptr;
    if (!settings)
        return;
    settings->SetMeasurementActive(channel, measurement, active);
    settings->SetSensorInfoIndex(channel, catalogueIndex);
    if (!settings->SaveSettings())
        MyOutputDebugString("UpdateSettingsFile: the settings file could not be written", DiagGui);
}

bool CSetupWindow::GetSettingsMeasurmentActive(int channel, int measurement) const
{
    ISetupSettings* settings = m_pHost ? m_pHost->GetSetupSettings() : nullptr;
    return settings && settings->IsMeasurementActive(channel, measurement);
}

void CSetupWindow::refreshWindows()
{
    if (m_pMinimal)
        m_pMinimal->updateMinimalSetupWindow();
}

CFullSetupWindow* CSetupWindow::fullSetupWindow() const
{
    return m_pFull.data();
}

CMinimalSetupWindow* CSetupWindow::summaryWindow() const
{
    return m_pMinimal.data();
}
