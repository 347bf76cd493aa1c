// The Pelorin manager's search for its logger among the serial ports, the detection poller and
// the keep-alive watchdog of Bluetooth links.
#include "Core/Logic/Pelorin/PelorinDiagnostics.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Logic/InterfaceThread.h"
#include "Core/Data/Settings.h"
#include "Core/Logic/LogicServices.h"
#include "Core/Logic/Pelorin/PelorinManager.h"

#include <QCoreApplication>
#include <QThread>

#include <cmath>

namespace {

void Log(const char* text) { MyOutputDebugString(text, DiagPelorinMan); }

constexpr quint16 kPelorinVendor = 0x0483;
constexpr quint16 kPelorinProduct = 0x5740;
constexpr int kBaud = 115200;

bool IsBluetoothPort(const CPortInfo& p)
{
    return p.bluetooth || p.enumName == QLatin1String("BTHENUM") || p.portName.contains(QLatin1String("Pelorin")) ||
           p.portName.contains(QLatin1String("rfcomm"), Qt::CaseInsensitive) ||
           p.enumName.contains(QLatin1String("95C7A0A0-3094-11D7-A202-00508B9D7D5A"), Qt::CaseInsensitive) ||
           p.enumName.contains(QLatin1String("BLUETOOTH"), Qt::CaseInsensitive) ||
           p.friendName.contains(QLatin1String("bt port"), Qt::CaseInsensitive);
}


} // namespace

void CPelorinManager::SetRememberedPort(const QString& name, bool valid)
{
    QMutexLocker lock(&m_PortNameLock);
    m_RememberedPort = name;
    m_bRememberedPortValid = valid;
}

QString CPelorinManager::RememberedPort() const
{
    QMutexLocker lock(&m_PortNameLock);
    return m_RememberedPort;
}

void CPelorinManager::ReportPortRemoval(const QString& name, quint16 vendor, quint16 product)
{
    CPortInfo info;
    info.portName = name;
    info.vendorID = vendor;
    info.productID = product;
    // The enumerator's removal reaches the unplug handling on the interface thread.
    if (IPortEnumerator* ports = m_pEnumerator)
        ports->reportRemoval(info);
}

void CPelorinManager::LinkLost()
{
    // A read that fails or finds the line hung up means the logger is gone even while the
    // enumerator still lists its port: handled as an unplug, once per opening.
    if (!m_bPortOpen || m_bExit || m_bLinkLost.exchange(true))
        return;
    Log("PelorinRx read failed: link lost");
    if (m_bConnected)
        ReportPortRemoval(portName(), kPelorinVendor, kPelorinProduct);
}

void CPelorinManager::StartDeviceDetection()
{
    // After the shutdown the workers are gone; a late plug event finds nothing to start.
    if (m_bExit || !m_DtWorker)
        return;
    // A search given up a moment ago may still be leaving its last step.
    QElapsedTimer leaving;
    leaving.start();
    while (m_bDetectionCancelled && IsDetectionPolling() && leaving.elapsed() < 2000)
        QThread::msleep(5);
    m_bDetectionCancelled = false;
    if (m_pLogic && m_pLogic->GetSignals())
        m_pLogic->GetSignals()->SignalLoggerStartDetection();
    m_bBluetooth = false;
    ResetLoggerInfo();
    DeviceDetection();
    m_DetectionState = m_bPortOpen ? 3 : 1;
    m_DtWorker->StartWork(250);
}

void CPelorinManager::DeviceDetection()
{
    Log("DeviceDetection");
    DeviceDetectionComSearchList();
    const QString remembered = RememberedPort();
    // A remembered port that is gone (a device that came back under another name) would only
    // be retried for forty seconds: the search takes over.
    if (m_bRememberedPortValid && !remembered.isEmpty() && PortPresent(remembered))
        CheckDeviceOnComPort(remembered);
    else
        SearchDeviceComPorts();
}

QStringList CPelorinManager::CandidatePortNames() const
{
    QMutexLocker lock(&m_PortNameLock);
    QStringList names;
    for (const CPortInfo& p : m_CandidatePorts)
        names << p.portName;
    return names;
}

bool CPelorinManager::PortPresent(const QString& name) const
{
    IPortEnumerator* ports = m_pEnumerator;
    if (!ports)
        return false;
    for (const CPortInfo& p : ports->getPorts())
        if (p.portName == name)
            return true;
    return false;
}

bool CPelorinManager::DeviceDetectionComSearchList()
{
    Log("DeviceDetectionComSearchList");
    IPortEnumerator* enumerator = m_pEnumerator;
    const QList<CPortInfo> ports = enumerator ? enumerator->getPorts() : QList<CPortInfo>();
    const QString remembered = RememberedPort();
    QList<CPortInfo> candidates;
    bool found = false;
    // Only the first USB logger is considered.
    for (const CPortInfo& p : ports) {
        if (p.vendorID != kPelorinVendor || p.productID != kPelorinProduct)
            continue;
        if (!(m_bRememberedPortValid && p.portName == remembered))
            candidates.append(p);
        found = true;
        break;
    }
    if (!found) {
        for (const CPortInfo& p : ports) {
            if (!IsBluetoothPort(p))
                continue;
            candidates.append(p);
            m_bBluetooth = true;
        }
    }
    QMutexLocker lock(&m_PortNameLock);
    m_CandidatePorts = candidates;
    return found || !candidates.isEmpty();
}

void CPelorinManager::SearchDeviceComPorts()
{
    Log("SearchDeviceComPorts");
    QString name;
    {
        QMutexLocker lock(&m_PortNameLock);
        if (!m_CandidatePorts.isEmpty())
            name = m_CandidatePorts.takeFirst().portName;
    }
    if (name.isEmpty()) {
        m_DetectionState = 5;
        m_bRememberedPortValid = false;
        OnInterfaceThread(m_pLogic, [logic = m_pLogic] { logic->LoggerSettings().SaveSettings(); });
        return;
    }
    m_CandidateName = name;
    CheckDeviceOnComPort(name);
}

void CPelorinManager::CheckDeviceOnComPort(const QString& name)
{
    ILogicServices* logic = m_pLogic;
    OnInterfaceThread(logic, [logic, self = this] {
        // A search given up meanwhile says nothing more.
        if (self->m_bDetectionCancelled)
            return;
        if (CKorvantaSignals* hub = logic->GetSignals())
            hub->SignalGuiModallessMsg(QCoreApplication::translate("CPelorinManager", "Pavix"),
                                       QCoreApplication::translate("CPelorinManager", "Trying to connect..."), false);
    });
    Log("CheckDeviceOnComPort");
    CloseLogger(false);
    m_DetectionTries = 0;
    SetRememberedPort(name, m_bRememberedPortValid);
    setPortName(name);
    if (m_pLogic)
        m_Host.WaitHere(150);
    StartRxEvent();
    m_DetectionState = m_bPortOpen ? 3 : 1;
}

bool CPelorinManager::StartRxEvent()
{
    Log("StartRxEvent");
    if (m_bExit || !m_RxWorker)
        return false;
    m_bOpenFinished = false;
    // The bytes of a new opening must not meet the backlog of the last one.
    WaitForClose(2000);
    bool open = OpenPort(kBaud);
    for (int attempt = 0; !open && attempt < OpenRetries && !m_bOpenRetryAbort && !m_bDetectionCancelled; ++attempt) {
        m_Host.WaitHere(1000);
        if (m_bOpenRetryAbort || m_bDetectionCancelled)
            break;
        open = OpenPort(kBaud);
    }
    m_bOpenFinished = true;
    m_bLinkLost = false;
    m_bPortOpen = open;
    if (open) {
        m_RxWorker->StartWork(10);
        Log("StartRxEvent ----SUCCESS");
    } else {
        Log("StartRxEvent ----FAILED");
    }
    return open;
}

void CPelorinManager::CancelDetection()
{
    if (m_bExit || m_bConnected)
        return;
    Log("CancelDetection");
    if (IsDetectionPolling()) {
        // The poller closes what it opened: it may be opening a port this very moment.
        m_bDetectionCancelled = true;
        return;
    }
    m_DetectionState = 0;
    if (m_bPortOpen)
        CloseLogger(false);
}

bool CPelorinManager::EndCancelledDetection()
{
    if (!m_bDetectionCancelled)
        return false;
    Log("PoolDeviceDetection cancelled");
    m_DtWorker->StopWork();
    m_DetectionState = 0;
    if (!m_bConnected)
        CloseLogger(false);
    m_bDetectionCancelled = false;
    return true;
}

void CPelorinManager::PoolDeviceDetection()
{
    Log("PoolDeviceDetection");
    if (m_bExit)
        return;
    if (EndCancelledDetection())
        return;
    switch (m_DetectionState.load()) {
    case 1:
        Log("PelorinPortResearch");
        m_DetectionTries = 0;
        SearchDeviceComPorts();
        break;
    case 3: {
        Log("PoolDeviceDetection Wait For Detection");
        HelloReq();
        // The answer ends the wait early: the hello reply moves the state on.
        QElapsedTimer t;
        t.start();
        while (!m_bExit && !m_bDetectionCancelled && m_DetectionState == 3 && t.elapsed() < 1500)
            QThread::msleep(10);
        const int before = m_DetectionTries++;
        if (m_DetectionState == 3 && !m_bKeepWaitingAfterUpdate && before > m_MaxHelloTries - 1) {
            m_DetectionState = 1;
            CloseLogger(false);
        }
        break;
    }
    case 4:
        Log("PoolDeviceDetection Pelorin Found!!");
        m_bConnected = true;
        m_bFirmwareBusy = false;
        m_DtWorker->StopWork();
        m_DetectionState = 0;
        m_bOpenFinished = true;
        m_bRememberedPortValid = true;
        OnInterfaceThread(m_pLogic, [logic = m_pLogic, self = this] {
            logic->UpdateSenosrsInfo(self);
            logic->LoggerSettings().SaveSettings();
        });
        break;
    case 5:
        Log("PoolDeviceDetection Pelorin Not Found");
        CloseLogger(false);
        m_DtWorker->StopWork();
        m_DetectionState = 0;
        m_Host.Announce(PelorinEvent::EndDetection, 0);
        break;
    case 6:
        Log("PoolDeviceDetection Pelorin LOGGER_BOOTLOADER_WAS_FOUND!!");
        m_DtWorker->StopWork();
        m_DetectionState = 0;
        if (m_FirmwareWait == FirmwareWait::None && !m_bKeepWaitingAfterUpdate) {
            // Left there by an update that never finished: nothing would ever take it further,
            // so the detection ends here and the user is told what to do.
            Log("PoolDeviceDetection boot-loader without an update under way");
            m_bConnected = false;
            CloseLogger(false);
            m_Host.Notify(PelorinNotice::BootLoaderWithoutUpdate);
            break;
        }
        m_bConnected = true;
        m_bFirmwareBusy = true;
        m_Host.Announce(PelorinEvent::EnteredBootLoader);
        break;
    default:
        break;
    }
    // A step the user's cancel cut short ends the search now rather than a period later.
    EndCancelledDetection();
}

// ---- keep-alive watchdog

void CPelorinManager::StampDataReception()
{
    m_KeepAliveDataTimeStamp = m_Clock.elapsed();
    // A closed link is not watched: the packets still stored after a close are its backlog.
    if (m_KeepAliveWorker && !m_bExit && m_bPortOpen && !m_KeepAliveWorker->IsWorking())
        StartKeepAliveTimer();
}

void CPelorinManager::StampStatusReception()
{
    StampDataReception();
}

void CPelorinManager::StopKeepAliveTimer()
{
    if (m_KeepAliveWorker)
        m_KeepAliveWorker->StopWork();
}

void CPelorinManager::StartKeepAliveTimer()
{
    if (!m_KeepAliveWorker)
        return;
    m_KeepAliveWorker->StopWork();
    int tick = 1000;
    if (m_bRunning) {
        const CSetupInfo* setup = m_pLogic ? m_pLogic->GetSetupInfo() : nullptr;
        const double period = setup ? GetExperimentInterval(short(setup->m_RateCode), 1).m_PeriodSec : 0.0;
        // A USB link is watched only for silence within a run, where packets, not samples,
        // are what arrives: several samples a packet stretch the silence a run allows.
        const double packet = m_bBluetooth ? period : period * std::max(1, int(RecordCopy().runPacketSize));
        tick = 500;
        // Slow runs get a tick of a quarter of (one period plus a second).
        if (std::isfinite(packet) && packet >= 1.0 && packet < 1.0e6)
            tick = int((packet * 1000.0 + 1000.0) * 0.25);
    }
    m_KeepAliveTickMs = tick;
    MyOutputDebugString(QStringLiteral("StartKeepAliveTimer with TimeSlice: %1").arg(tick), DiagPelorinMan);
    m_KeepAliveCountWarn = 0;
    m_KeepAliveWorker->StartWork(tick);
}

void CPelorinManager::KeepAliveTimerFun()
{
    Log("KeepAliveTimerFun");
    if (!m_bBluetooth && !m_bRunning) {
        // Outside a run a USB link is watched by the port poll alone.
        StopKeepAliveTimer();
        return;
    }
    const qint64 stamp = m_KeepAliveDataTimeStamp;
    if (stamp == m_KeepAliveTimeOldStamp) {
        ++m_KeepAliveCountWarn;
        Log("KeepAliveTimerFun **CountWarn  !!!!!!!");
    } else {
        m_KeepAliveCountWarn = 0;
    }
    m_KeepAliveTimeOldStamp = stamp;
    if (m_KeepAliveCountWarn < WatchdogSilentTicks)
        return;
    Log("KeepAliveTimerFun UNIT>>Dissconnected!!!!!!!");
    m_KeepAliveCountWarn = 0;
    StopKeepAliveTimer();
    ResetReceiveState();
    ReportPortRemoval(s_TimerDisconnectionName, kPelorinVendor, kPelorinProduct);
}

// ---- its devices coming and going (the device detection's calls, on the interface thread)

void CPelorinManager::Plugged(const CPortInfo& info, ILoggerPlugs& plugs)
{
    if (plugs.IsDetected())
        return;
    m_LostPort.clear();
    ILogicServices& logic = plugs.Logic();
    logic.LoggerFound(this);
    const bool busy = logic.IsLoggerOnFirmwareUpdate();
    const bool written = IsFirmwareWritten();
    if (!busy && !written) {
        logic.StartLoggersDetection();
        return;
    }
    if (busy && !written) {
        ResumeInBootLoader(info.portName, [&plugs](int ms) { plugs.Wait(ms); });
        return;
    }
    MyOutputDebugString("<< Detection After Firmware burned                           >>", DiagLogic);
    ReturnAfterUpdate(info.portName);
    FwProgTick(90, QCoreApplication::translate("CDeviceDetectionManager", "Trying to connect...        ",
                                               "FW update"));
    plugs.Wait(2300);
    plugs.StartReturnWait();
    logic.StartLoggersDetection();
}

void CPelorinManager::Unplugged(const CPortInfo& info, bool silent, ILoggerPlugs& plugs)
{
    ILogicServices& logic = plugs.Logic();
    const bool wasRunning = logic.IsLoggerRunning();
    const bool connected = logic.IsLoggerConnected();
    const bool busy = logic.IsLoggerOnFirmwareUpdate();
    const QString connectedPort = logic.GetConnectedPortName();
    plugs.SetDetected(false);
    if (busy && !connected)
        return;
    // Port numbers mean nothing on every platform: the names tell whether the device that
    // left is the connected logger. The watchdog's and the shutdown frame's reports name no
    // device and always concern it.
    const bool namedDevice = !info.portName.isEmpty() && info.portName != s_TimerDisconnectionName;
    if (connected && namedDevice && info.portName != connectedPort)
        return;
    // The reader notices a dead port before the port poll does; the poll's later report of the
    // same port is no second unplug.
    if (!connected && !busy && namedDevice && info.portName == m_LostPort)
        return;
    m_LostPort = connected ? connectedPort : QString();
    // The run ends, and the loss is told, once everything received before it is stored. The
    // watchdog's loss has a message of its own, which says what became of the run.
    using Notice = ILoggerPlugs::LossNotice;
    const bool timer = info.portName == s_TimerDisconnectionName;
    const Notice notice = silent ? Notice::StoppedAnswering
                          : timer ? Notice::LinkLost
                          : wasRunning ? Notice::RunLost
                                       : Notice::None;
    Release(true, plugs.AfterRelease(wasRunning, notice));
}
