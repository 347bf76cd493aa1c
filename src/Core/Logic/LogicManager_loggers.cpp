// The logic manager's dealings with the two logger managers and the device-detection manager.
#include "Core/Logic/Detection/DeviceDetectionManager.h"
#include "Core/Base/Diagnostics.h"
#include "Core/Base/ILogger.h"
#include "Core/Logic/LogicManager.h"
#include "Core/Logic/Dravlet/DravletCoreHost.h"
#include "Core/Logic/Dravlet/DravletManager.h"
#include "Core/Logic/Pelorin/PelorinManager.h"
#include "platform/PortEnumerator.h"

void CLogicManager::createLoggerManagers()
{
    if (m_pPelorinManager || m_pDravletManager)
        return;
    // One list of serial devices serves both searches and the plug notifications.
    if (!m_pPortEnumerator) {
        m_pOwnPortEnumerator = new CSerialPortEnumerator();
        m_pPortEnumerator = m_pOwnPortEnumerator;
    }
    m_pPelorinManager = new CPelorinManager(this);
    m_pDravletHost = new CDravletCoreHost(this);
    m_pDravletManager = new CDravletManager(m_pDravletHost, m_pPortEnumerator);
    m_pDravletHost->SetLogger(m_pDravletManager);
    m_pLoggers[0] = m_pPelorinManager->Logger();
    m_pLoggers[1] = m_pDravletManager;
    m_pLoggers[2] = nullptr;
    m_pLoggers[3] = nullptr;
    m_pDeviceDetectionManager = new CDeviceDetectionManager(this, nullptr, m_pPortEnumerator);
    IPortEnumerator* ports = m_pDeviceDetectionManager->Enumerator();
    // The search looks at these ports, and a lost link is reported through them.
    m_pPelorinManager->SetPortEnumerator(ports);
}

void CLogicManager::deleteLoggerManagers()
{
    if (m_pPelorinManager)
        m_pPelorinManager->SetPortEnumerator(nullptr);
    delete m_pDeviceDetectionManager;
    m_pDeviceDetectionManager = nullptr;
    for (ILogger*& logger : m_pLoggers)
        logger = nullptr;
    m_pDetectedLogger = nullptr;
    delete m_pPelorinManager;
    m_pPelorinManager = nullptr;
    delete m_pDravletManager;
    m_pDravletManager = nullptr;
    delete m_pDravletHost;
    m_pDravletHost = nullptr;
    if (m_pPortEnumerator == m_pOwnPortEnumerator)
        m_pPortEnumerator = nullptr;
    delete m_pOwnPortEnumerator;
    m_pOwnPortEnumerator = nullptr;
}

bool CLogicManager::pelorinSearchPorts()
{
    if (!m_pPelorinManager || !m_pPelorinManager->DeviceDetectionComSearchList())
        return false;
    m_pDetectedLogger = m_pPelorinManager->Logger();
    return true;
}

bool CLogicManager::dravletSearchPorts()
{
    if (m_pDravletManager && m_pDravletManager->DeviceDetectionComSearchList()) {
        m_pDetectedLogger = static_cast<ILogger*>(m_pDravletManager);
        return true;
    }
    return false;
}

void CLogicManager::CancelLoggersDetection()
{
    if (!IsSearchUnderWay())
        return;
    MyOutputDebugString("CancelLoggersDetection", DiagLogic);
    m_bSearching = false;
    m_bEnumerationCancelled = true;
    if (m_pPelorinManager)
        m_pPelorinManager->CancelDetection();
    if (m_pDravletManager)
        m_pDravletManager->CancelDetection();
}

bool CLogicManager::pelorinOnBluetooth() const
{
    return m_pPelorinManager && m_pPelorinManager->IsBluetoothLink();
}

void CLogicManager::pelorinStopWatchdog()
{
    if (m_pPelorinManager)
        m_pPelorinManager->StopKeepAliveTimer();
}

void CLogicManager::pelorinRequestExit()
{
    if (m_pPelorinManager)
        m_pPelorinManager->RequestExit();
}

bool CLogicManager::pelorinDetectionInProgress() const
{
    return m_pPelorinManager && m_pPelorinManager->detectionInProgress();
}

qint64 CLogicManager::dravletMsSinceLastRun() const
{
    return m_pDravletManager ? m_pDravletManager->MsSinceStop() : -1;
}

void CLogicManager::dravletSendSetup()
{
    if (m_pDravletManager)
        m_pDravletManager->SendCmdEx(CmdSetup, 250);
}

void CLogicManager::CloseDravletLogger()
{
    if (m_pDravletManager)
        m_pDravletManager->CloseLogger(true);
}

void CLogicManager::ReleaseConnectedLogger()
{
    if (m_pDravletManager && m_pDravletManager->IsConnected())
        m_pDravletManager->CloseLogger(false);
    if (m_pPelorinManager && m_pPelorinManager->IsConnected())
        m_pPelorinManager->CloseLogger(false);
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
// without counting as a sample of a run.
float CLogicManager::ConvertDataSample(int channel, int position, int index, int measurement, int raw)
{
    ILogger* logger = m_pDetectedLogger;
    if (!logger || measurement < 0 || measurement >= CSensorParametersInfo::s_MaxMeasurements)
        return 0.0f;
    short flag = 0;
    const double value = m_DataManager.ConvertDataSample(logger, channel, position, index, raw, 0, flag,
                                                         static_cast<short>(measurement), false, true);
    return float(value);
}

QString CLogicManager::GetConnectedPortName()
{
    for (int i = 0; i < NumLoggerSlots; ++i) {
        ILogger* logger = m_pLoggers[i];
        if (!logger || !logger->IsConnected())
            continue;
        if (m_pPelorinManager && logger == m_pPelorinManager->Logger())
            return m_pPelorinManager->CurrentPortName();
        if (m_pDravletManager && logger == static_cast<ILogger*>(m_pDravletManager))
            return m_pDravletManager->portName();
        return QString();
    }
    return QString();
}
