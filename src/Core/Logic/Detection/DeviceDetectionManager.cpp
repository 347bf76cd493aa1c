#include "Core/Logic/Detection/DeviceDetectionManager.h"
#include "Core/Logic/Transport/PortNumber.h"

#include "Core/Base/Diagnostics.h"
#include "Core/Base/ILogger.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Logic/LogicContext.h"
#include "Core/Logic/LogicServices.h"

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

ILoggerFace* CDeviceDetectionManager::updatingFace() const
{
    // The logger whose firmware this program updates is the one its reconnection concerns.
    if (m_pLogic)
        for (ILoggerFace* face : m_pLogic->LiveFaces())
            if (face->CanUpdateFirmware())
                return face;
    return nullptr;
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
    if (DiagnosticsEnabled(DiagLogic))
        MyOutputDebugString(QStringLiteral("Device Pluged: %1@pid:%2vid:%3")
                                .arg(info.portName).arg(info.productID).arg(info.vendorID),
                            DiagLogic);
    if (!m_pLogic || m_pLogic->IsShutDown() || m_pLogic->IsLoggerConnected())
        return;
    // The first logger in the search's order that claims the device takes it up.
    for (ILoggerFace* face : m_pLogic->LiveFaces()) {
        if (face->ClaimsPlug(info)) {
            face->Plugged(info, *this);
            return;
        }
    }
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
    if (DiagnosticsEnabled(DiagLogic))
        MyOutputDebugString(DeviceUnplugLine(info), DiagLogic);
    if (!m_pLogic || m_pLogic->IsShutDown())
        return;
    for (ILoggerFace* face : m_pLogic->LiveFaces()) {
        if (face->ClaimsUnplug(info)) {
            face->Unplugged(info, false, *this);
            return;
        }
    }
}

void CDeviceDetectionManager::LoggerStoppedAnswering()
{
    if (!m_pLogic || m_pLogic->IsShutDown() || !m_pLogic->IsLoggerConnected())
        return;
    Log("<<    Logger stopped answering    >>");
    // Let go as its device leaving; only the port it was found on is known of that device.
    ILoggerFace* connected = m_pLogic->ConnectedFace();
    if (!connected)
        for (ILoggerFace* face : m_pLogic->LiveFaces())
            if (face->Logger() && face->Logger()->IsConnected())
                connected = face;
    if (!connected)
        return;
    CPortInfo info;
    info.portName = m_pLogic->GetConnectedPortName();
    connected->Unplugged(info, true, *this);
}

void CDeviceDetectionManager::stoppedAnsweringNotice()
{
    if (CKorvantaSignals* hub = m_pLogic ? m_pLogic->GetSignals() : nullptr)
        emit hub->LoggerStoppedAnswering();
}

std::function<void()> CDeviceDetectionManager::AfterRelease(bool announceRunEnd, LossNotice notice)
{
    QPointer<CDeviceDetectionManager> self(this);
    return [self, announceRunEnd, notice] {
        if (!self)
            return;
        self->announceDisconnection(announceRunEnd);
        switch (notice) {
        case LossNotice::None: break;
        case LossNotice::RunLost: self->runLostMessage(); break;
        case LossNotice::StoppedAnswering: self->stoppedAnsweringNotice(); break;
        case LossNotice::LinkLost: self->btDisconnectMessage(); break;
        }
    };
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
    ILoggerFace* updating = updatingFace();
    if (updating && updating->IsFirmwareWritten()) {
        FwProgTick(100, FwText("Update successful."));
        m_ConnectionTimer.stop();
        if (CKorvantaSignals* hub = m_pLogic->GetSignals())
            hub->SignalGuiModallessMsg(tr("Firmware update"), tr("Update successful."), true);
        updating->ClearFirmwareFlags();
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
    ILoggerFace* updating = updatingFace();
    if (!updating)
        return;
    updating->ClearFirmwareFlags();
    // Back in its boot-loader instead of with the new firmware: nothing takes it further, and
    // the link is let go so that the logger can be connected again after its reset.
    if (updating->Logger() && updating->Logger()->IsFirmwareBusy()) {
        updating->AbandonFirmwareUpdate();
        m_bDetected = false;
        updating->Release(true);
    }
}

// ---- the waits of a firmware update

bool CDeviceDetectionManager::IsWaitingForUpdatedLogger() const
{
    const ILoggerFace* updating = updatingFace();
    return m_bUpdateUnderWay && updating && updating->IsFirmwareWritten();
}

void CDeviceDetectionManager::StopWaitingForUpdatedLogger()
{
    if (!IsWaitingForUpdatedLogger())
        return;
    Log("<< Firmware update: the wait for the logger was given up >>");
    m_ConnectionTimer.stop();
    m_bUpdateUnderWay = false;
    if (ILoggerFace* updating = updatingFace())
        updating->ClearFirmwareFlags();
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
    ILoggerFace* updating = updatingFace();
    qint64 waited = 0;
    using FirmwareWait = ILoggerFace::FirmwareWait;
    const FirmwareWait pending = updating ? updating->PendingFirmwareWait(waited) : FirmwareWait::None;
    int limit = 0;
    switch (pending) {
    case FirmwareWait::None:
        m_FirmwareWatch.stop();
        if (updating && updating->TakeFirmwareRefusal()) {
            // The boot-loader checked the file and refused it: a failure, told as one.
            Log("<< Firmware update: the boot-loader refused the file >>");
            m_ConnectionTimer.stop();
            m_bUpdateUnderWay = false;
            upgradeProblemMessage();
            return;
        }
        // Written: the logger's return with its new firmware is bounded too, even when it never
        // shows up as a device again. Not written: nothing was started (no logger that takes an
        // update took the command).
        if (updating && updating->IsFirmwareWritten()) {
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
    ILoggerFace* updating = updatingFace();
    if (!updating)
        return;
    const bool connected = updating->Logger() && updating->Logger()->IsConnected();
    updating->AbandonFirmwareUpdate();
    // Ready to find the logger again: by a plug (after its reset) or by the Connect command.
    m_bDetected = false;
    updating->ForgetLostDevice();
    QPointer<CDeviceDetectionManager> self(this);
    updating->Release(true, [self, connected] {
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
