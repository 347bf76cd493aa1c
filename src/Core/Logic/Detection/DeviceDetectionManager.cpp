#include "Core/Logic/Detection/DeviceDetectionManager.h"
#include "Core/Logic/Transport/PortNumber.h"

#include "Core/Base/Diagnostics.h"
#include "Core/Base/ILogger.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Logic/LogicContext.h"
#include "Core/Logic/LoggerFace.h"
#include "Core/Logic/LogicServices.h"
#include "Core/Logic/Pelorin/PelorinFace.h"

#include <QDebug>
#include <QPointer>
#include <QRegularExpression>

namespace {

void Log(const char* text) { MyOutputDebugString(text, DiagLogic); }

QString FwText(const char* text) { return QCoreApplication::translate("CDeviceDetectionManager", text, "FW update"); }

} // namespace

CDeviceDetectionManager::CDeviceDetectionManager(ILogicServices* logic, QObject* parent, IPortEnumerator* enumerator)
    : QObject(parent), m_pLogic(logic)
{
    if (!enumerator) {
        m_OwnEnumerator = std::make_unique<CSerialPortEnumerator>();
        enumerator = m_OwnEnumerator.get();
    }
    m_pEnumerator = enumerator;
    if (m_pEnumerator) {
        // Queued: removals are also reported from the logger threads, and the plug handling
        // waits in local event loops.
        connect(m_pEnumerator, &IPortEnumerator::deviceDiscovered, this, &CDeviceDetectionManager::DevicePluged,
                Qt::QueuedConnection);
        connect(m_pEnumerator, &IPortEnumerator::deviceRemoved, this, &CDeviceDetectionManager::DeviceUnPluged,
                Qt::QueuedConnection);
        m_pEnumerator->setUpNotifications(true);
    }
    connect(&m_ConnectionTimer, &QTimer::timeout, this, &CDeviceDetectionManager::ConnectionTimeOut);
    if (logic && logic->GetSignals())
        connect(logic->GetSignals(), &CKorvantaSignals::LoggerEndDtetection, this,
                &CDeviceDetectionManager::LoggerEndDetection);
    m_ConnectionTimer.setInterval(ConnectionTimeoutMs);
    m_FirmwareWatch.setInterval(100);
    connect(&m_FirmwareWatch, &QTimer::timeout, this, &CDeviceDetectionManager::firmwareWatchTick);
    m_bDetected = false;
}

CDeviceDetectionManager::~CDeviceDetectionManager() = default;

// Each logger's room knows its own devices; these name them for the callers that ask by name.
bool CDeviceDetectionManager::IsDravletDevice(const CPortInfo& info)
{
    return LoggerFaceOf(LoggerModel::Dravlet).ClaimsPlug(info);
}

bool CDeviceDetectionManager::IsPelorinUsbDevice(const CPortInfo& info)
{
    return CPelorinFace::IsUsbDevice(info);
}

bool CDeviceDetectionManager::IsPelorinOnUnplug(const CPortInfo& info)
{
    return LoggerFaceOf(LoggerModel::Pelorin).ClaimsUnplug(info);
}

bool CDeviceDetectionManager::IsPelorinOnPlug(const CPortInfo& info)
{
    return LoggerFaceOf(LoggerModel::Pelorin).ClaimsPlug(info);
}

ILoggerFace* CDeviceDetectionManager::updatingFace() const
{
    // The logger whose firmware this program updates is the one its reconnection concerns.
    ILoggerFace* face = m_pLogic ? m_pLogic->LiveFace(LoggerModel::Pelorin) : nullptr;
    return face && face->CanUpdateFirmware() ? face : nullptr;
}

int CDeviceDetectionManager::GetPortNumer(QString name)
{
    return PortNumberOfName(name);
}

void CDeviceDetectionManager::wait(int ms)
{
    if (m_pLogic)
        m_pLogic->WaitHere(int(ms * m_WaitScale));
}

void CDeviceDetectionManager::FwProgTick(int percent, QString text)
{
    if (ILoggerFace* face = updatingFace())
        face->FwProgTick(percent, text);
}

void CDeviceDetectionManager::btDisconnectMessage()
{
    if (CKorvantaSignals* hub = m_pLogic ? m_pLogic->GetSignals() : nullptr)
        hub->SignalGuiModallessMsg(QString(),
                                   tr("Logger is disconnected. Please make sure that it is in range and turned on. "
                                      "The experiment data is stored in the Logger memory and you can later use "
                                      "Download to retrieve the data."),
                                   true);
}

void CDeviceDetectionManager::runLostMessage()
{
    if (CKorvantaSignals* hub = m_pLogic ? m_pLogic->GetSignals() : nullptr)
        hub->SignalGuiLastingMsg(QString(), tr("The logger was disconnected, so the run has stopped. The samples "
                                               "recorded so far are kept."));
}

// ---- plug

void CDeviceDetectionManager::DevicePluged(const CPortInfo& info)
{
    Log("<<    DevicePluged    >>");
    qCritical().noquote() << QStringLiteral("Device Pluged: %1@pid:%2vid:%3")
                                 .arg(info.portName).arg(info.productID).arg(info.vendorID);
    if (!m_pLogic || m_pLogic->IsShutDown() || m_pLogic->IsLoggerConnected())
        return;
    if (IsDravletDevice(info)) {
        ILoggerFace* dravlet = m_pLogic->LiveFace(LoggerModel::Dravlet);
        if (dravlet && dravlet->Logger()) {
            m_pLogic->LoggerFound(dravlet);
            dravlet->Logger()->StartDetection();
        }
        return;
    }
    qCritical().noquote() << QStringLiteral("Device Pluged2: %1@pid:%2vid:%3")
                                 .arg(info.portName).arg(info.productID).arg(info.vendorID);
    if (!IsPelorinOnPlug(info) || m_bDetected)
        return;
    m_LostPelorinPort.clear();
    pelorinPlugged(info);
}

void CDeviceDetectionManager::pelorinPlugged(const CPortInfo& info)
{
    ILoggerFace* pelorin = m_pLogic->LiveFace(LoggerModel::Pelorin);
    if (!pelorin)
        return;
    m_pLogic->LoggerFound(pelorin);
    const bool busy = m_pLogic->IsLoggerOnFirmwareUpdate();
    const bool written = pelorin->IsFirmwareWritten();
    if (!busy && !written) {
        m_pLogic->StartLoggersDetection();
        return;
    }
    if (busy && !written) {
        bootLoaderPlugged(info);
        return;
    }
    Log("<< Detection After Firmware burned                           >>");
    pelorin->ReturnAfterUpdate(info.portName);
    FwProgTick(90, FwText("Trying to connect...        "));
    wait(2300);
    m_ConnectionTimer.start();
    m_pLogic->StartLoggersDetection();
}

void CDeviceDetectionManager::bootLoaderPlugged(const CPortInfo& info)
{
    ILoggerFace* pelorin = m_pLogic->LiveFace(LoggerModel::Pelorin);
    if (pelorin)
        pelorin->ResumeInBootLoader(info.portName, [this](int ms) { wait(ms); });
}

// ---- unplug

QString CDeviceDetectionManager::DeviceUnplugLine(const CPortInfo& info)
{
    // The ids as they are written on the device and in the port lists: four hex digits.
    const auto hex = [](quint16 id) { return QStringLiteral("0x%1").arg(id, 4, 16, QLatin1Char('0')); };
    return QStringLiteral("Device UnPluged@: %1, pid: %2, vid: %3")
        .arg(info.portName, hex(info.productID), hex(info.vendorID));
}

void CDeviceDetectionManager::DeviceUnPluged(const CPortInfo& info)
{
    Log("<<    DeviceUnPluged    >>");
    qCritical().noquote() << DeviceUnplugLine(info);
    if (!m_pLogic || m_pLogic->IsShutDown())
        return;
    if (IsDravletDevice(info)) {
        // The device is not the connected logger's when another logger is connected.
        ILoggerFace* connected = m_pLogic->ConnectedFace();
        if (!connected || connected->ClaimsUnplug(info))
            dravletUnplugged();
        return;
    }
    if (IsPelorinOnUnplug(info))
        pelorinUnplugged(info);
}

void CDeviceDetectionManager::LoggerStoppedAnswering()
{
    if (!m_pLogic || m_pLogic->IsShutDown() || !m_pLogic->IsLoggerConnected())
        return;
    Log("<<    Logger stopped answering    >>");
    ILoggerFace* connected = m_pLogic->ConnectedFace();
    if (connected && connected->IsOwnDevice()) {
        dravletUnplugged(true);
        return;
    }
    CPortInfo info;
    info.portName = m_pLogic->GetConnectedPortName();
    info.vendorID = 0x0483;
    info.productID = 0x5740;
    pelorinUnplugged(info, true);
}

void CDeviceDetectionManager::stoppedAnsweringNotice()
{
    if (CKorvantaSignals* hub = m_pLogic ? m_pLogic->GetSignals() : nullptr)
        emit hub->LoggerStoppedAnswering();
}

void CDeviceDetectionManager::dravletUnplugged(bool silent)
{
    // Closing the interface ends a run under way itself (with every sample received), so
    // the end is not announced a second time here.
    const bool wasRunning = m_pLogic->IsLoggerRunning();
    if (ILoggerFace* dravlet = m_pLogic->LiveFace(LoggerModel::Dravlet))
        dravlet->Release(true);
    announceDisconnection(false);
    if (silent)
        stoppedAnsweringNotice();
    else if (wasRunning)
        runLostMessage();
}

void CDeviceDetectionManager::pelorinUnplugged(const CPortInfo& info, bool silent)
{
    ILoggerFace* pelorin = m_pLogic->LiveFace(LoggerModel::Pelorin);
    if (!pelorin)
        return;
    const bool wasRunning = m_pLogic->IsLoggerRunning();
    const bool connected = m_pLogic->IsLoggerConnected();
    const bool busy = m_pLogic->IsLoggerOnFirmwareUpdate();
    const QString connectedPort = m_pLogic->GetConnectedPortName();
    m_bDetected = false;
    if (busy && !connected)
        return;
    // Port numbers mean nothing on every platform: the names tell whether the device that
    // left is the connected logger. The watchdog's and the shutdown frame's reports name no
    // device and always concern it.
    const bool namedDevice = !info.portName.isEmpty() && info.portName != pelorin->LostLinkName();
    if (connected && namedDevice && info.portName != connectedPort)
        return;
    // The reader notices a dead port before the port poll does; the poll's later report of the
    // same port is no second unplug.
    if (!connected && !busy && namedDevice && info.portName == m_LostPelorinPort)
        return;
    m_LostPelorinPort = connected ? connectedPort : QString();
    // The run ends, and the loss is told, once everything received before it is stored.
    const bool timer = info.portName == pelorin->LostLinkName();
    QPointer<CDeviceDetectionManager> self(this);
    pelorin->Release(true, [self, wasRunning, timer, silent] {
        if (!self)
            return;
        self->announceDisconnection(wasRunning);
        // The watchdog's loss has a message of its own, which says what became of the run.
        if (silent)
            self->stoppedAnsweringNotice();
        else if (timer)
            self->btDisconnectMessage();
        else if (wasRunning)
            self->runLostMessage();
    });
}

void CDeviceDetectionManager::announceDisconnection(bool wasRunning)
{
    CKorvantaSignals* hub = m_pLogic->GetSignals();
    if (wasRunning && hub)
        hub->SignalLoggerExperimentEnd();
    if (CSetupInfo* setup = m_pLogic->GetSetupInfo())
        if (!setup->m_LoggerStatusList.isEmpty())
            setup->m_LoggerStatusList.first().m_SensorList.clear();
    if (hub)
        hub->SignalLoggerDisconnected();
}

// ---- after a firmware update

void CDeviceDetectionManager::LoggerEndDetection(bool isDetected)
{
    if (!isDetected || !m_pLogic)
        return;
    ILoggerFace* pelorin = updatingFace();
    if (pelorin && pelorin->IsFirmwareWritten()) {
        FwProgTick(100, FwText("Update successful."));
        m_ConnectionTimer.stop();
        if (CKorvantaSignals* hub = m_pLogic->GetSignals())
            hub->SignalGuiModallessMsg(tr("Firmware update"), tr("Update successful."), true);
        pelorin->ClearFirmwareFlags();
    }
    m_bDetected = true;
    // A logger that answers with its firmware is done with any update.
    m_bUpdateUnderWay = false;
}

void CDeviceDetectionManager::upgradeProblemMessage()
{
    if (CKorvantaSignals* hub = m_pLogic ? m_pLogic->GetSignals() : nullptr)
        hub->SignalGuiModallessMsg(tr("Firmware update."),
                                   tr("There was a problem with the upgrade. Reset by pressing the power button "
                                      "until the LED turns red. Then release and try upgrading again."),
                                   true);
}

void CDeviceDetectionManager::ConnectionTimeOut()
{
    if (!m_pLogic)
        return;
    ILogicContext* context = m_pLogic->GetContext();
    if (!(context && context->IsLoggerDetected())) {
        // The update's progress, shown until the logger's return, ends with this result.
        if (CKorvantaSignals* hub = m_pLogic->GetSignals())
            hub->SignalLoggerBootLoaderFinshed(0);
        upgradeProblemMessage();
    }
    // Once is enough: a reconnection that never came is reported once.
    m_ConnectionTimer.stop();
    m_bUpdateUnderWay = false;
    ILoggerFace* pelorin = updatingFace();
    if (!pelorin)
        return;
    pelorin->ClearFirmwareFlags();
    // Back in its boot-loader instead of with the new firmware: nothing takes it further, and
    // the link is let go so that the logger can be connected again after its reset.
    if (pelorin->Logger() && pelorin->Logger()->IsFirmwareBusy()) {
        pelorin->AbandonFirmwareUpdate();
        m_bDetected = false;
        pelorin->Release(true);
    }
}

// ---- the waits of a firmware update

bool CDeviceDetectionManager::IsWaitingForUpdatedLogger() const
{
    const ILoggerFace* pelorin = updatingFace();
    return m_bUpdateUnderWay && pelorin && pelorin->IsFirmwareWritten();
}

void CDeviceDetectionManager::StopWaitingForUpdatedLogger()
{
    if (!IsWaitingForUpdatedLogger())
        return;
    Log("<< Firmware update: the wait for the logger was given up >>");
    m_ConnectionTimer.stop();
    m_bUpdateUnderWay = false;
    if (ILoggerFace* pelorin = updatingFace())
        pelorin->ClearFirmwareFlags();
    // Its search is now the user's, and is given up as Cancel gives up any search.
    m_pLogic->CancelLoggersDetection();
}

void CDeviceDetectionManager::WatchFirmwareUpdate()
{
    m_bUpdateUnderWay = true;
    m_FirmwareWatch.start();
}

void CDeviceDetectionManager::firmwareWatchTick()
{
    ILoggerFace* pelorin = updatingFace();
    qint64 waited = 0;
    using FirmwareWait = ILoggerFace::FirmwareWait;
    const FirmwareWait pending = pelorin ? pelorin->PendingFirmwareWait(waited) : FirmwareWait::None;
    int limit = 0;
    switch (pending) {
    case FirmwareWait::None:
        m_FirmwareWatch.stop();
        if (pelorin && pelorin->TakeFirmwareRefusal()) {
            // The boot-loader checked the file and refused it: a failure, told as one.
            Log("<< Firmware update: the boot-loader refused the file >>");
            m_ConnectionTimer.stop();
            m_bUpdateUnderWay = false;
            upgradeProblemMessage();
            return;
        }
        // Written: the logger's return with its new firmware is bounded too, even when it never
        // shows up as a device again. Not written: nothing was started (no Pelorin logger took
        // the command).
        if (pelorin && pelorin->IsFirmwareWritten()) {
            if (!m_ConnectionTimer.isActive())
                m_ConnectionTimer.start();
        } else {
            m_bUpdateUnderWay = false;
        }
        return;
    case FirmwareWait::EnterReply: limit = FirmwareEnterReplyMs; break;
    case FirmwareWait::BootLoaderReady: limit = FirmwareBootLoaderMs; break;
    case FirmwareWait::BlockAck: limit = FirmwareBlockAckMs; break;
    case FirmwareWait::LeaveReply: limit = FirmwareLeaveReplyMs; break;
    }
    if (waited >= qint64(limit * m_FirmwareWaitScale))
        firmwareUpdateFailed();
}

void CDeviceDetectionManager::firmwareUpdateFailed()
{
    Log("<< Firmware update: the logger stopped answering >>");
    m_FirmwareWatch.stop();
    m_ConnectionTimer.stop();
    ILoggerFace* pelorin = updatingFace();
    if (!pelorin)
        return;
    const bool connected = pelorin->Logger() && pelorin->Logger()->IsConnected();
    pelorin->AbandonFirmwareUpdate();
    // Ready to find the logger again: by a plug (after its reset) or by the Connect command.
    m_bDetected = false;
    m_LostPelorinPort.clear();
    QPointer<CDeviceDetectionManager> self(this);
    pelorin->Release(true, [self, connected] {
        if (!self)
            return;
        // Still part of the update: the setup is kept for the logger's return.
        if (connected)
            self->announceDisconnection(false);
        self->m_bUpdateUnderWay = false;
    });
    // The progress dialog closes on the result; the message says what to do.
    if (CKorvantaSignals* hub = m_pLogic->GetSignals())
        hub->SignalLoggerBootLoaderFinshed(0);
    upgradeProblemMessage();
}
