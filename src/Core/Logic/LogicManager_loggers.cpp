// The logic manager's dealings with the loggers: it makes and ends their managers through their
// rooms' faces, and asks the faces what the loggers can do.
#include "Core/Logic/Detection/DeviceDetectionManager.h"
#include "Core/Base/Diagnostics.h"
#include "Core/Base/ILogger.h"
#include "Core/Data/ConversionMarkers.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Logic/LoggerKinds.h"
#include "Core/Logic/LogicManager.h"
#include "platform/PortEnumerator.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <utility>

void CLogicManager::createLoggerManagers()
{
    if (!m_Managers.isEmpty())
        return;
    // One list of serial devices serves every search and the plug notifications.
    if (!m_pPortEnumerator) {
        m_pOwnPortEnumerator = new CSerialPortEnumerator();
        m_pPortEnumerator = m_pOwnPortEnumerator;
    }
    for (ILogger*& logger : m_pLoggers)
        logger = nullptr;
    // The search looks at these ports, and a lost link is reported through them.
    const QVector<const CLoggerKind*>& kinds = LoggerKinds();
    Q_ASSERT(kinds.size() <= NumLoggerSlots);
    for (int slot = 0; slot < kinds.size(); ++slot) {
        ILoggerFace* manager = kinds[slot]->newManager(this, m_pPortEnumerator);
        m_Managers.append(manager);
        if (slot < NumLoggerSlots)
            m_pLoggers[slot] = manager->Logger();
    }
    QVector<int> order(kinds.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&kinds](int a, int b) { return kinds[a]->searchRank < kinds[b]->searchRank; });
    for (int slot : order)
        m_LiveFaces.append(m_Managers[slot]);
    m_pDeviceDetectionManager = new CDeviceDetectionManager(this, nullptr, m_pPortEnumerator);
}

void CLogicManager::deleteLoggerManagers()
{
    // Nothing reaches the managers while the detection that reports through their ports ends;
    // they end after it.
    const QList<ILoggerFace*> managers = std::exchange(m_Managers, {});
    m_LiveFaces.clear();
    delete m_pDeviceDetectionManager;
    m_pDeviceDetectionManager = nullptr;
    for (ILogger*& logger : m_pLoggers)
        logger = nullptr;
    m_pDetectedLogger = nullptr;
    const QVector<const CLoggerKind*>& kinds = LoggerKinds();
    for (int slot = 0; slot < managers.size(); ++slot)
        kinds[slot]->deleteManager(managers[slot]);
    if (m_pPortEnumerator == m_pOwnPortEnumerator)
        m_pPortEnumerator = nullptr;
    delete m_pOwnPortEnumerator;
    m_pOwnPortEnumerator = nullptr;
}

// ---- the faces

ILoggerFace& CLogicManager::FaceOfModel(LoggerModel model)
{
    if (ILoggerFace* live = LiveFace(model))
        return *live;
    return LoggerFaceOf(model);
}

ILoggerFace& CLogicManager::FaceOf(ILogger* logger)
{
    return FaceOfModel(LoggerModelOf(logger));
}

ILoggerFace* CLogicManager::LiveFace(LoggerModel model)
{
    for (ILoggerFace* face : qAsConst(m_LiveFaces))
        if (face->Model() == model)
            return face;
    return nullptr;
}

QList<ILoggerFace*> CLogicManager::LiveFaces() const { return m_LiveFaces; }

ILoggerFace* CLogicManager::ConnectedFace()
{
    // A logger that has not said what it is has no face to ask.
    for (ILogger* logger : m_pLoggers) {
        if (logger && logger->IsConnected()) {
            const LoggerModel model = LoggerModelOf(logger);
            ILoggerFace* live = LiveFace(model);
            return live ? live : KnownLoggerFace(model);
        }
    }
    return nullptr;
}

void CLogicManager::LoggerFound(ILoggerFace* face)
{
    if (face && face->Logger())
        m_pDetectedLogger = face->Logger();
}

void CLogicManager::LoggerIdentified(ILogger* logger, LoggerModel model)
{
    m_DetectedLoggerType = LoggerTypeOf(model);
    if (logger)
        m_pDetectedLogger = logger;
}

int CLogicManager::CountRun(bool timingRun)
{
    const int run = ++m_RunCounter;
    if (timingRun)
        m_TimingRunNumber = run;
    return run;
}

// ---- searching and letting go

void CLogicManager::StartLoggerEnumeration()
{
    // On a pool thread, while the main thread goes through the faces as well (copies of the
    // list from LiveFaces included): the list is only ever read once made, here and there, as a
    // loop over it that is not const would detach it from its copies, which writes it.
    for (ILoggerFace* face : qAsConst(m_LiveFaces)) {
        if (face->SearchPorts()) {
            m_pDetectedLogger = face->Logger();
            return;
        }
    }
}

void CLogicManager::CancelLoggersDetection()
{
    if (!IsSearchUnderWay())
        return;
    MyOutputDebugString("CancelLoggersDetection", DiagLogic);
    m_bSearching = false;
    m_bEnumerationCancelled = true;
    for (ILoggerFace* face : qAsConst(m_LiveFaces))
        face->CancelSearch();
}

void CLogicManager::requestLoggersExit()
{
    for (ILoggerFace* face : qAsConst(m_LiveFaces))
        face->RequestExit();
}

bool CLogicManager::IsLoggerSearchInProgress() const
{
    for (ILoggerFace* face : qAsConst(m_LiveFaces))
        if (face->IsSearching())
            return true;
    return false;
}

void CLogicManager::ReleaseConnectedLogger()
{
    for (ILoggerFace* face : qAsConst(m_LiveFaces))
        if (face->Logger() && face->Logger()->IsConnected())
            face->Release(false);
}

bool CLogicManager::IsFirmwareUpdateUnderWay() const
{
    return m_pDeviceDetectionManager && m_pDeviceDetectionManager->IsUpdateUnderWay();
}

void CLogicManager::showDisconnectMessage()
{
    if (m_pDeviceDetectionManager)
        m_pDeviceDetectionManager->btDisconnectMessage();
}

void CLogicManager::SetTables(ILogger* logger)
{
    if (logger)
        m_DataManager.GetDataConversion()->SetTables(logger, this);
}

void CLogicManager::UpdateSenosrsInfo(ILogger*)
{
    // The calibrations go back to their defaults, unless they belong to a setup held for
    // the logger that may be the one found.
    m_SetupHold.LoggerDetected();
    m_SensorInfo.m_SensorCount = CSensorInfo::s_NumOfSensors;
    m_SensorsCalibration.SetNumOfRecords(CSensorInfo::s_NumOfSensors);
}

// A live reading: the measurement's value of one raw reading, as a run would store it but
// without counting as a sample of a run, and without touching a run's conversion state (a
// snapshot may arrive after a run started).
float CLogicManager::ConvertDataSample(int channel, int position, int index, int measurement, int raw)
{
    ILogger* logger = m_pDetectedLogger;
    if (!logger || measurement < 0 || measurement >= CSensorParametersInfo::s_MaxMeasurements)
        return 0.0f;
    const double value = m_DataManager.GetDataConversion()->ConvertLiveSample(logger, channel, position, index, raw,
                                                                              static_cast<short>(measurement));
    return float(value);
}

bool CLogicManager::GetTriggeringLevel(int position, int index, int code, float* level)
{
    const CSensorParametersInfo* record = m_SensorInfo.GetSensorInfo(index);
    if (!level || !record)
        return false;
    const unsigned short kind = record->m_DataKind;
    ILogger* logger = m_pDetectedLogger;
    const CSetupInfo* setup = GetSetupInfo();
    const CSesnorProperties* sensor = setup ? setup->GetSelectedSensor(position) : nullptr;
    const bool placeholder = sensor && sensor->m_bPlaceholder;
    if (logger && FaceOf(logger).ConvertsRawTriggerLevels(kind, placeholder)) {
        const double value = m_DataManager.GetDataConversion()->ConvertBySensorType(logger, position, position, index, code);
        // A code that reads as no value has none to show.
        if (value == ConversionMarkers::s_NoSample || value == ConversionMarkers::s_Missing || !std::isfinite(value))
            return false;
        *level = float(value);
        return true;
    }
    // These codes are the levels themselves, in thousandths or whole.
    if (kind == 3 || kind == 16384) {
        *level = kind == 3 ? float(code / 1000.0) : float(code);
        return true;
    }
    return false;
}

QString CLogicManager::GetConnectedPortName()
{
    for (int i = 0; i < NumLoggerSlots; ++i) {
        ILogger* logger = m_pLoggers[i];
        if (!logger || !logger->IsConnected())
            continue;
        for (ILoggerFace* face : qAsConst(m_LiveFaces))
            if (face->Logger() == logger)
                return face->LinkPortName();
        return QString();
    }
    return QString();
}
