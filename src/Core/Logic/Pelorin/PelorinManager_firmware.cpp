// Firmware update of the Pelorin logger: the boot-loader's replies drive the transfer of the
// file in numbered 1024-byte blocks; progress and the result go to the signal hub.
#include "Core/Logic/Pelorin/PelorinDiagnostics.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Logic/LogicServices.h"
#include "Core/Logic/Pelorin/PelorinManager.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QThread>

namespace {

void Log(const char* text) { MyOutputDebugString(text, DiagPelorinHan); }

QString FwText(const char* text)
{
    return QCoreApplication::translate("CSerialPort", text, "FW update");
}

constexpr int kBlockSize = 1024;

} // namespace

void CPelorinManager::FwProgTick(int percent, const QString& text)
{
    ILogicServices* logic = m_pLogic;
    if (!logic)
        return;
    auto raise = [logic, percent, text] {
        if (CKorvantaSignals* hub = logic->GetSignals())
            hub->SignalLoggerBootLoaderProgUpdate(percent, text);
    };
    if (QThread::currentThread() == logic->InterfaceObject()->thread())
        raise();
    else
        QMetaObject::invokeMethod(logic->InterfaceObject(), raise, Qt::QueuedConnection);
}

void CPelorinManager::NoteFirmwareWait(FirmwareWait wait)
{
    m_FirmwareWaitSinceMs = m_Clock.elapsed();
    m_FirmwareWait = wait;
}

CPelorinManager::FirmwareWait CPelorinManager::PendingFirmwareWait(qint64& waitedMs) const
{
    const FirmwareWait wait = m_FirmwareWait;
    waitedMs = wait == FirmwareWait::None ? 0 : m_Clock.elapsed() - m_FirmwareWaitSinceMs;
    return wait;
}

void CPelorinManager::AbandonFirmwareUpdate()
{
    Log("AbandonFirmwareUpdate");
    m_FirmwareWait = FirmwareWait::None;
    m_bFirmwareBusy = false;
    ClearFirmwareFlags();
    QMutexLocker lock(&m_ProcessDataLock);
    if (m_FirmwareFile.isOpen())
        m_FirmwareFile.close();
}

void CPelorinManager::EnterBootLoaderModeAckHandler()
{
    Log("EnterBootLoaderModeAckHandler");
    if (m_FirmwareWait != FirmwareWait::EnterReply) {
        Log("EnterBootLoaderModeAckHandler no update under way");
        return;
    }
    StopKeepAliveTimer();
    m_bFirmwareBusy = true;
    // The logger restarts in its boot-loader, comes back as a new device and asks for the file.
    NoteFirmwareWait(FirmwareWait::BootLoaderReady);
    FwProgTick(4, FwText("Starting firmware update    "));
    m_Host.Announce(PelorinEvent::EnteredBootLoader);
}

void CPelorinManager::StartFirmwareTransfer()
{
    const QFileInfo file(m_pLogic ? m_pLogic->GetFirmwareFileName() : QString());
    const qint64 size = file.exists() ? file.size() : 0;
    // The size goes out in four bytes; a file that does not fit is announced as empty.
    EnterBootloaderInfoModeReq(size > 0 && size <= 0xFFFFFFFFLL ? quint32(size) : 0u);
}

void CPelorinManager::EnterBootLoaderModeInfoAckHandler()
{
    Log("EnterBootLoaderModeInfoAckHandler");
    // A boot-loader's reply after the update was given up starts nothing.
    if (!m_bFirmwareBusy)
        return;
    if (m_FirmwareFile.isOpen())
        m_FirmwareFile.close();
    NoteFirmwareWait(FirmwareWait::BlockAck);
    m_FirmwareFile.setFileName(m_pLogic ? m_pLogic->GetFirmwareFileName() : QString());
    m_bTransferUnderWay = false;
    if (m_FirmwareFile.open(QIODevice::ReadOnly))
        SendNextFirmwareBlock();
    FwProgTick(26, FwText("Updating                    "));
}

void CPelorinManager::SendNextFirmwareBlock()
{
    char block[kBlockSize];
    const qint64 n = m_FirmwareFile.read(block, kBlockSize);
    if (n > 0)
        SendBootloaderDataPacketReq(block, int(n));
}

void CPelorinManager::BootLoaderInfoPacketAckHandler()
{
    // An acknowledgement of any other block than the one just sent (a repeated reply) would
    // skip a block of the file: it is ignored.
    if (!m_bFirmwareBusy || !m_FirmwareFile.isOpen() || m_BootBlockTotal == 0 ||
        m_BootEchoedBlock != m_BootBlockCounter) {
        Log("BootLoaderInfoPacketAckHandler ignored");
        return;
    }
    m_bTransferUnderWay = true;
    if (quint32(m_BootBlockCounter) + 1 >= m_BootBlockTotal) {
        NoteFirmwareWait(FirmwareWait::LeaveReply);
        LeaveBootloaderModeReq();
        m_FirmwareFile.close();
        return;
    }
    NoteFirmwareWait(FirmwareWait::BlockAck);
    const float share = float(m_BootBlockCounter) / float(m_BootBlockTotal) * 60.0f;
    FwProgTick(30 + int(share), FwText("Firmware file transfer..."));
    ++m_BootBlockCounter;
    SendNextFirmwareBlock();
}

void CPelorinManager::BootLoaderEndtAckHandler()
{
    Log("BootLoaderEndtAckHandler");
    if (m_FirmwareWait != FirmwareWait::LeaveReply) {
        Log("BootLoaderEndtAckHandler no transfer under way");
        return;
    }
    const int result = m_bBootSuccess ? 1 : 0;
    // A boot-loader that refused the file keeps the old firmware: the logger's return is then
    // no successful update. (Noted before the wait ends, which the update's watch reads.)
    m_bFirmwareRefused = result == 0;
    m_bKeepWaitingAfterUpdate = result != 0;
    m_FirmwareWait = FirmwareWait::None;
    m_bPortOpen = false;
    if (m_RxWorker)
        m_RxWorker->StopWork();
    ClosePort();
    m_bFirmwareBusy = false;
    m_bTransferUnderWay = false;
    ILogicServices* logic = m_pLogic;
    if (logic)
        QMetaObject::invokeMethod(logic->InterfaceObject(),
            [logic, result] {
                if (CKorvantaSignals* hub = logic->GetSignals())
                    hub->SignalLoggerBootLoaderFinshed(result);
            },
            QThread::currentThread() == logic->InterfaceObject()->thread() ? Qt::DirectConnection : Qt::QueuedConnection);
}

bool CPelorinManager::TakeFirmwareRefusal()
{
    return m_bFirmwareRefused.exchange(false);
}

void CPelorinManager::ClearFirmwareFlags()
{
    m_bKeepWaitingAfterUpdate = false;
    m_bFirmwareRefused = false;
    m_bTransferUnderWay = false;
    QMutexLocker lock(&m_RecordLock);
    m_Logger.bootLoader = false;
}

// ---- the logger coming back as a device during an update

namespace {
// These steps were the device detection's; their texts and diagnostics stay its own.
void DetectionLog(const char* text) { MyOutputDebugString(text, DiagLogic); }
QString DetectionText(const char* text)
{
    return QCoreApplication::translate("CDeviceDetectionManager", text, "FW update");
}
} // namespace

void CPelorinManager::ResumeInBootLoader(const QString& portName, const std::function<void(int)>& wait)
{
    wait(2000);
    // The boot-loader may come back under another device name.
    if (!portName.isEmpty())
        setPortName(portName);
    StartRxEvent();
    wait(2000);
    if (!IsComInitilazied() || IsBootLoaderFlag()) {
        DetectionLog("<< BootLoaderMode Com Open FAILED >>");
        return;
    }
    HelloReq();
    wait(300);
    DetectionLog("<< BootLoaderMode Com Open Successfuly >>");
    FwProgTick(22, DetectionText("Connected                   "));
    StartFirmwareTransfer();
    FwProgTick(24, DetectionText("Starting update             "));
    wait(300);
}

void CPelorinManager::ReturnAfterUpdate(const QString& portName)
{
    CheckDeviceOnComPort(portName.isEmpty() ? CurrentPortName() : portName);
}
