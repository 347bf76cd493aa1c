// Finding the Dravlet interface among the serial ports, and the manager's answers to the
// logger queries.
#include "Core/Logic/Dravlet/DravletDiagnostics.h"
#include "Core/Logic/Dravlet/DravletManager.h"
#include "Core/Logic/LogicServices.h"
#include "Core/Logic/Transport/PortNumber.h"

#include <QElapsedTimer>
#include <QThread>

// ---------------------------------------------------------------------------------------------
// Its device coming and going (the device detection's calls, on the interface thread)

void CDravletManager::Plugged(const CPortInfo&, ILoggerPlugs& plugs)
{
    plugs.Logic().LoggerFound(this);
    StartDetection();
}

void CDravletManager::Unplugged(const CPortInfo& info, bool silent, ILoggerPlugs& plugs)
{
    ILogicServices& logic = plugs.Logic();
    // The device is not the connected logger's when another logger is connected.
    ILoggerFace* connected = logic.ConnectedFace();
    if (!silent && connected && !connected->ClaimsUnplug(info))
        return;
    // Closing the interface ends a run under way itself (with every sample received), so
    // the end is not announced a second time.
    const bool wasRunning = logic.IsLoggerRunning();
    Release(true);
    using Notice = ILoggerPlugs::LossNotice;
    plugs.AfterRelease(false, silent ? Notice::StoppedAnswering : wasRunning ? Notice::RunLost : Notice::None)();
}

// ---------------------------------------------------------------------------------------------
// Detection

void CDravletManager::StartDetection()
{
    MyOutputDebugString("StartDetection", DiagDravletMan);
    // The catalogue is filled after the managers are made; read the types from it now.
    if (const CSensorInfo* catalogue = m_pHost ? m_pHost->Catalogue() : nullptr) {
        QMutexLocker lock(&m_StateLock);
        m_Types.Load(*catalogue);
    }
    if (m_pHost) m_pHost->Announce(DravletEvent::StartDetection);
    StartDeviceDetection();
}

void CDravletManager::StartDeviceDetection()
{
    // A search given up a moment ago may still be leaving its last step.
    QElapsedTimer leaving;
    leaving.start();
    while (m_bDetectionCancelled && m_Poller.IsWorking() && leaving.elapsed() < 2000)
        QThread::msleep(5);
    m_bDetectionCancelled = false;
    DeviceDetection();
    m_DetectionState = m_bPortOpen ? DetectWaitHandshake : DetectSearch;
    m_Poller.StartWork(s_PollerMs);
}

bool CDravletManager::DeviceDetectionComSearchList()
{
    const QList<CPortInfo> ports = m_pEnumerator ? m_pEnumerator->getPorts() : QList<CPortInfo>();
    m_SearchList.clear();
    for (const CPortInfo& port : ports) {
        if (port.vendorID != s_VendorId || port.productID != s_ProductId) continue;
        if (m_pHost && port.portName == m_pHost->LastPort() && m_pHost->LastPortKnown()) return true;
        m_SearchList.append(port);
        return true;
    }
    return false;
}

bool CDravletManager::LastPortStillOurs() const
{
    if (!m_pHost || !m_pHost->LastPortKnown()) return false;
    // The last port is opened directly, even when the port list does not show it. But an
    // interface the list shows on another port came back under a new name, and the old name
    // may by now be another device's: that one must not be taken for ours.
    const QString last = m_pHost->LastPort();
    bool elsewhere = false;
    for (const CPortInfo& port : m_pEnumerator ? m_pEnumerator->getPorts() : QList<CPortInfo>()) {
        const bool interface = port.vendorID == s_VendorId && port.productID == s_ProductId;
        if (port.portName == last) return interface;
        elsewhere = elsewhere || interface;
    }
    return !elsewhere;
}

void CDravletManager::DeviceDetection()
{
    DeviceDetectionComSearchList();
    if (LastPortStillOurs()) CheckDeviceOnComPort(m_pHost->LastPort());
    else SearchDeviceComPorts();
}

void CDravletManager::SearchDeviceComPorts()
{
    if (m_SearchList.isEmpty()) {
        m_DetectionState = DetectNotFound;
        if (m_pHost) {
            m_pHost->SetLastPortKnown(false);
            m_pHost->SaveSettings();
        }
        return;
    }
    const QString name = m_SearchList.takeFirst().portName;
    CheckDeviceOnComPort(name);
}

void CDravletManager::CheckDeviceOnComPort(const QString& name)
{
    CloseLogger(false);
    m_RetryCounter = 0;
    if (m_pHost) m_pHost->SetLastPort(name);
    setPortName(name);
    m_bPortOpen = OpenPort(s_Baud);
    if (m_bPortOpen && !m_Reader.IsWorking()) m_Reader.StartWork(s_ReaderMs);
    m_DetectionState = m_bPortOpen ? DetectWaitHandshake : DetectSearch;
}

void CDravletManager::CancelDetection()
{
    if (m_bExit || m_bConnected) return;
    MyOutputDebugString("CancelDetection", DiagDravletMan);
    if (m_Poller.IsWorking()) {
        // The poller closes what it opened: it may be opening a port this very moment.
        m_bDetectionCancelled = true;
        return;
    }
    m_DetectionState = 0;
    if (m_bPortOpen) CloseLogger(false);
}

void CDravletManager::PoolDeviceDetection()
{
    if (m_bDetectionCancelled) {
        MyOutputDebugString("PoolDeviceDetection cancelled", DiagDravletMan);
        m_Poller.StopWork();
        m_DetectionState = 0;
        if (!m_bConnected) CloseLogger(false);
        m_bDetectionCancelled = false;
        return;
    }
    switch (m_DetectionState.load()) {
    case DetectSearch:
        m_RetryCounter = 0;
        SearchDeviceComPorts();
        break;
    case DetectWaitHandshake: {
        const int retry = m_RetryCounter.load();
        if (retry == 0 || retry == 3 || retry == 7) DetectStringReq();
        ++m_RetryCounter;
        QThread::msleep(100);
        if (m_RetryCounter >= 11) {
            m_DetectionState = DetectSearch;
            ClosePort();
            m_bPortOpen = false;
        }
        break;
    }
    case DetectFound:
    case DetectBootLoader:
        m_bConnected = true;
        m_Poller.StopWork();
        if (m_pHost) {
            m_pHost->SetLastPortKnown(true);
            m_pHost->UpdateSensorsInfo();
            m_pHost->SaveSettings();
        }
        break;
    case DetectNotFound:
        CloseLogger(false);
        if (m_pHost) m_pHost->Announce(DravletEvent::EndDetection, 0);
        m_Poller.StopWork();
        break;
    default: break;
    }
}

// ---------------------------------------------------------------------------------------------
// Queries

int CDravletManager::GetNumberOfSensors()
{
    const int n = StateSnapshot().sensorCount;
    return n < 0 ? 0 : (n > DravletInterfaceState::s_Channels ? DravletInterfaceState::s_Channels : n);
}

int CDravletManager::GetLoggerSensorList(unsigned char* list)
{
    const DravletInterfaceState state = StateSnapshot();
    const int n = GetNumberOfSensors();
    if (!list) return n;
    for (int ch = 0; ch < n; ++ch) list[ch] = static_cast<unsigned char>(state.channelIndex[ch]);
    return n;
}

int CDravletManager::GetActiveSensorListIndex(unsigned char* list)
{
    QMutexLocker lock(&m_StateLock);
    if (list)
        for (int i = 0; i < m_ActiveCount; ++i) list[i] = m_ActivePositions[i];
    return m_ActiveCount;
}

int CDravletManager::GetNumberOfSamples(unsigned char code)
{
    return int(CGlobalTable::GetNumberOfSamples(code));
}

ExperimentInterval CDravletManager::GetExperimentInterval(short rateCode, short samples)
{
    return GetLoggertExperimentInterval(rateCode, samples);
}

double CDravletManager::GetZeroConst(int channel, int /*measurement*/)
{
    if (channel < 0 || channel >= DravletInterfaceState::s_Channels) return 0.0;
    return StateSnapshot().zeroConst[channel];
}

int CDravletManager::PortNumberOf(const QString& name) { return PortNumberOfName(name); }

int CDravletManager::GetPortNumber() { return PortNumberOf(portName()); }

void CDravletManager::GetVersion(int& v1, int& v2, int& v3, int& v4, int& v5, int& v6)
{
    const DravletInterfaceState state = StateSnapshot();
    v1 = state.firmwareMajor;
    v2 = state.firmwareMinor;
    v3 = state.hardwareMajor;
    v4 = state.hardwareMinor;
    v5 = 1;
    v6 = 0;
}
