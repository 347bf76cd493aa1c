#include "Core/Logic/LogicManager.h"

#include "Core/Base/Diagnostics.h"
#include "Core/Base/ILogger.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Logic/LoggerKinds.h"
#include "Core/Logic/LogicContext.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <chrono>

CLogicManager* p_LogicManager = nullptr;

ILogicServices* CurrentLogicServices() { return p_LogicManager; }

namespace {
void Log(const char* text) { MyOutputDebugString(text, DiagLogic); }
} // namespace

CLogicManager::CLogicManager(QObject* parent, ILogicContext* context)
    : QObject(parent), m_pContext(context)
{
    qRegisterMetaType<CommandParametersStruct>();
    qRegisterMetaType<TriggerLevel>();
    qRegisterMetaType<CCurrentLoggerStatus>();
    m_TimingKeepAliveTimer.setInterval(1000);
    m_ExitTimer.setInterval(1000);
    connect(&m_EnumerationWatcher, &QFutureWatcher<void>::finished, this,
            &CLogicManager::LoggerEnumerationFinished);
    connect(&m_TimingKeepAliveTimer, &QTimer::timeout, this, &CLogicManager::timingRunSendKeepAlive);
    p_LogicManager = this;
    m_DataManager.SetRunServices(this);
    m_DataManager.SetSensorCatalogue(&m_SensorInfo);
    SetSetupInfo(context ? context->GetSetupInfo() : nullptr);
    m_CalculateOnLineFunctions.SetTable(m_OnLineFunctions, &m_NumOnLineFunctions);
    // A branch deleted while a run records must be let go by the online functions before it
    // is freed; the data manager waits for a running pass through the calculator's lock.
    m_DataManager.SetBranchDeletedCallback(
        [this](const CDataBranch* branch) { m_CalculateOnLineFunctions.BranchDeleted(branch); });
    m_NotesText = QString(700, QLatin1Char(' '));
    m_DataManager.InitAverageRelatedArrays();
    connectHub();
}

CLogicManager::~CLogicManager()
{
    // Loggers first: their threads store into the data manager and call back into this object.
    // Only the managers made here are closed here; a logger someone else put in a slot is
    // theirs to close.
    if (!m_Managers.isEmpty())
        ExitLogicManager();
    deleteLoggerManagers();
    // The calculator goes before the data manager, which still destroys its branches.
    m_DataManager.SetBranchDeletedCallback(nullptr);
    if (p_LogicManager == this)
        p_LogicManager = nullptr;
}

void CLogicManager::SetContext(ILogicContext* context)
{
    m_pContext = context;
    SetSetupInfo(context ? context->GetSetupInfo() : nullptr);
    connectHub();
}

void CLogicManager::SetSetupInfo(CSetupInfo* setup)
{
    m_pSetupInfo = setup;
    m_DataManager.SetSetupInfo(setup);
}

void CLogicManager::connectHub()
{
    CKorvantaSignals* hub = GetSignals();
    if (hub == m_pConnectedHub)
        return;
    if (m_pConnectedHub)
        disconnect(m_pConnectedHub, nullptr, this, nullptr);
    m_pConnectedHub = hub;
    if (!hub)
        return;
    connect(hub, &CKorvantaSignals::UserStartedRun, this, &CLogicManager::UserStartedRun);
    connect(hub, &CKorvantaSignals::UserDetectionModeChanged, this, &CLogicManager::UserDetectionModeChanged);
    connect(hub, &CKorvantaSignals::UserFirmwareUpdate, this, &CLogicManager::UserFirmwareUpdate);
    connect(hub, &CKorvantaSignals::UserSetSensorRange, this, &CLogicManager::UserSetSensorRange);
    connect(hub, &CKorvantaSignals::UserStopKeepAliveTimer, this, &CLogicManager::UserStopKeepAliveTimer);
    connect(hub, &CKorvantaSignals::UserWriteSensorId, this, &CLogicManager::UserWriteSensorId);
    connect(hub, &CKorvantaSignals::LoggerEndDtetection, this, [this] {
        m_bSearching = false;
        forgetStatusRequests();
    });
    connect(hub, &CKorvantaSignals::LoggerDisconnected, this, [this] { forgetStatusRequests(); });
}

CKorvantaSignals* CLogicManager::GetSignals() const
{
    return m_pContext ? m_pContext->GetSignals() : nullptr;
}

ExperimentRunMode CLogicManager::GetCurrentRunMode() const
{
    return m_pContext ? m_pContext->GetCurrentRunMode() : ExperimentRunMode::Sampling;
}

void CLogicManager::CalculateOnLineFunctions()
{
    m_CalculateOnLineFunctions.CalculateOnLineFunctions();
}

void CLogicManager::BindOnlineFunctions(int folderKey, const int keyTable[NumKeyChannels][NumKeyMeasurements],
                                        double interval)
{
    m_CalculateOnLineFunctions.BindRun(m_DataManager, folderKey, keyTable, interval);
}

// ---- detection

void CLogicManager::InitLogicManager()
{
    createLoggerManagers();
}

void CLogicManager::StartLoggersDetection()
{
    Log("StartLoggersDetection");
    if (m_bExited)
        return;
    CKorvantaSignals* hub = GetSignals();
    if (hub)
        hub->SignalLoggerStartDetection();
    m_bSearching = true;
    // An enumeration still running (one whose search was given up, among others) answers
    // this search as well.
    const bool running = m_EnumerationWatcher.isRunning();
    m_bEnumerationCancelled = false;
    if (hub)
        hub->SignalGuiModallessMsg(tr("Pavix"), tr("Trying to connect..."), false);
    if (running)
        return;
    m_EnumerationWatcher.setFuture(QtConcurrent::run([this] { StartLoggerEnumeration(); }));
}

bool CLogicManager::IsSearchUnderWay() const
{
    return m_bSearching && !IsFirmwareUpdateUnderWay();
}


void CLogicManager::LoggerEnumerationFinished()
{
    // A search given up (or the program closing) hears nothing of its enumeration.
    if (m_bEnumerationCancelled)
        return;
    ILogger* logger = m_pDetectedLogger;
    if (logger) {
        logger->StartDetection();
        return;
    }
    if (CKorvantaSignals* hub = GetSignals())
        hub->SignalLoggerEndDtetection(false);
}

// ---- queries over the logger slots

ILogger* CLogicManager::GetActiveLogger()
{
    Log("GetActiveLogger");
    if (!m_pLoggers[0])
        return nullptr;
    for (ILogger* logger : m_pLoggers)
        if (logger && logger->IsConnected())
            return logger;
    return nullptr;
}

bool CLogicManager::IsLoggerConnected()
{
    Log("IsLoggerConnected");
    return GetNumConnLoggers() > 0;
}

int CLogicManager::GetNumConnLoggers()
{
    Log("GetNumConnLoggers");
    int count = 0;
    for (ILogger* logger : m_pLoggers)
        if (logger && logger->IsConnected())
            ++count;
    return count;
}

bool CLogicManager::IsLoggerRunning()
{
    Log("IsLoggerRunning");
    return std::any_of(std::begin(m_pLoggers), std::end(m_pLoggers),
                       [](ILogger* l) { return l && l->IsRunning(); });
}

bool CLogicManager::IsLoggerOnFirmwareUpdate()
{
    Log("IsLoggerOnFirmwareUpdate");
    return std::any_of(std::begin(m_pLoggers), std::end(m_pLoggers),
                       [](ILogger* l) { return l && l->IsFirmwareBusy(); });
}

int CLogicManager::GetConnectedPort()
{
    for (ILogger* logger : m_pLoggers)
        if (logger && logger->IsConnected())
            return logger->GetPortNumber();
    return 0;
}

double CLogicManager::GetConnectedLoggerType()
{
    Log("GetConnectedLoggerType");
    for (ILogger* logger : m_pLoggers)
        if (logger && logger->IsConnected())
            return logger->GetType();
    return 0.0;
}

bool CLogicManager::IsConnectedViaBlueThooth()
{
    ILogger* logger = m_pDetectedLogger;
    return logger && FaceOf(logger).OnBluetooth();
}

bool CLogicManager::IsLoggerAllowToRun()
{
    Log("IsLoggerAllowToRun");
    ILogger* logger = m_pDetectedLogger;
    if (!logger || FaceOf(logger).AllowsRunNow(GetSetupInfo()))
        return true;
    Log("ExecuteHalvorenCmd LAST RUN LESS THEN  SEC");
    return false;
}

ILogger* CLogicManager::GetLoggerByType(int type)
{
    Log("GetLoggerByType");
    // Each kind of logger has its slot.
    const int slot = LoggerSlotOf(LoggerModelOf(double(type)));
    return slot >= 0 && slot < NumLoggerSlots ? m_pLoggers[slot] : nullptr;
}

ExperimentInterval CLogicManager::GetExperimentInterval(short rate, short samples, short type)
{
    Log("GetExperimentInterval");
    ILogger* logger = GetLoggerByType(type);
    if (!logger)
        return ExperimentInterval{};
    return logger->GetExperimentInterval(rate, samples);
}

// ---- services

void CLogicManager::UpdateSetupInfoFromCore(ILogger* logger, const QList<int>* channelStatus)
{
    if (!logger)
        return;
    CCurrentLoggerStatus status;
    status.m_RateCode = logger->GetUiRateCode(logger->GetSampleRateCode());
    status.m_NumberOfSamples = logger->GetNumberOfSamples();
    status.m_bAutoDetect = logger->IsAutoDetectMode();
    unsigned char list[ILogger::MaxSensorList] = {};
    const int count = std::clamp(logger->GetLoggerSensorList(list), 0, int(ILogger::MaxSensorList));
    for (int i = 0; i < count; ++i) {
        const int value = channelStatus && i < channelStatus->size() ? channelStatus->at(i) : 0;
        status.m_SensorList.append(CLoggerChannel(value, list[i]));
    }
    logger->GetVersion(status.m_Version[0], status.m_Version[1], status.m_Version[2],
                       status.m_Version[3], status.m_Version[4], status.m_Version[5]);
    // The windows read the setup record without a lock; a logger thread must not change its
    // lists under them, so the record is written on the interface thread.
    // The face says which logger this is: the setup is kept for that logger.
    const CLoggerIdentity identity = FaceOf(logger).Identity(status);
    if (QThread::currentThread() == thread())
        applyLoggerStatus(identity, status);
    else
        QMetaObject::invokeMethod(this, [this, identity, status] { applyLoggerStatus(identity, status); },
                                  Qt::QueuedConnection);
}

void CLogicManager::applyLoggerStatus(const CLoggerIdentity& identity, const CCurrentLoggerStatus& status)
{
    m_SetupHold.Reported(identity);
    forgetStatusRequests();
    CSetupInfo* setup = GetSetupInfo();
    if (!setup)
        return;
    if (setup->m_LoggerStatusList.isEmpty())
        setup->m_LoggerStatusList.append(CCurrentLoggerStatus());
    CCurrentLoggerStatus& first = setup->m_LoggerStatusList.first();
    first.m_RateCode = status.m_RateCode;
    first.m_NumberOfSamples = status.m_NumberOfSamples;
    first.m_bAutoDetect = status.m_bAutoDetect;
    first.m_SensorList = status.m_SensorList;
    std::copy(std::begin(status.m_Version), std::end(status.m_Version), std::begin(first.m_Version));
}

void CLogicManager::ExperimentEnded(ILogger*)
{
    if (CKorvantaSignals* hub = GetSignals())
        hub->SignalLoggerExperimentEnd();
}

void CLogicManager::UpdateSetupInfoToCore()
{
    Log("UpdateSetupInfoToCore");
    if (ILogger* logger = m_pDetectedLogger)
        FaceOf(logger).SetupChanged();
}

void CLogicManager::UserSetupModified(int)
{
    UpdateSetupInfoToCore();
}

void CLogicManager::WaitHere(int ms)
{
    if (ms <= 0)
        return;
    // Off the interface thread there is no event loop to keep alive: a plain sleep will do.
    if (QThread::currentThread() != thread() || !QCoreApplication::instance()) {
        QThread::msleep(static_cast<unsigned long>(ms));
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void CLogicManager::SortSensorsNames()
{
    m_SortedSensorIndexes.clear();
    for (int i = 0; i < CSensorInfo::s_NumOfSensors; ++i)
        if (!m_SensorInfo.m_Sensors[i].m_Name.isEmpty())
            m_SortedSensorIndexes.append(i);
    std::stable_sort(m_SortedSensorIndexes.begin(), m_SortedSensorIndexes.end(), [this](int a, int b) {
        return m_SensorInfo.m_Sensors[a].m_Name.localeAwareCompare(m_SensorInfo.m_Sensors[b].m_Name) < 0;
    });
}

qint64 CLogicManager::monotonicMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// ---- shut-down

bool CLogicManager::ExitLogicManager()
{
    Log("ExitLogicManager");
    // The loggers are closed once; the destructor calls this again.
    if (m_bExited.exchange(true))
        return true;
    m_bEnumerationCancelled = true;
    requestLoggersExit();
    m_EnumerationWatcher.waitForFinished();
    m_TimingKeepAliveTimer.stop();
    m_ExitTimer.stop();
    for (ILogger*& logger : m_pLoggers) {
        if (!logger)
            continue;
        logger->Exit();
    }
    return true;
}

void CLogicManager::DetectExitLogicManager()
{
    disconnect(&m_ExitTimer, &QTimer::timeout, this, &CLogicManager::DoExitLogicManager);
    connect(&m_ExitTimer, &QTimer::timeout, this, &CLogicManager::DoExitLogicManager);
    m_ExitTimer.start(1000);
}

void CLogicManager::DoExitLogicManager()
{
    requestLoggersExit();
    if (IsLoggerSearchInProgress())
        return;
    m_ExitTimer.stop();
    if (m_pContext)
        m_pContext->QuitApplication();
}
