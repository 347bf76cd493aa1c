#include "Core/Logic/Dravlet/DravletManager.h"

#include "Core/Logic/Dravlet/DravletDiagnostics.h"
#include "Core/Logic/Dravlet/DravletManagerHost.h"
#include "Core/Logic/LogicServices.h"
#include "Core/Data/SensorInfo.h"

#include <QThread>

CDravletManager::CDravletManager(IDravletHost* host, IPortEnumerator* enumerator) : m_pEnumerator(enumerator)
{
    SetHost(host);
    m_pProtocolState = &m_ProtocolState;
    if (!m_pEnumerator) {
        m_pOwnEnumerator = std::make_unique<CSerialPortEnumerator>();
        m_pEnumerator = m_pOwnEnumerator.get();
    }
    m_Sender.SetRunOnce(true);
    m_Processor.SetRunOnce(true);
    m_Reader.InitProc(&CDravletManager::ReaderProc, this);
    m_Sender.InitProc(&CDravletManager::SenderProc, this);
    m_Processor.InitProc(&CDravletManager::ProcessorProc, this);
    m_Poller.InitProc(&CDravletManager::PollerProc, this);
    m_StatusResend.InitProc(&CDravletManager::StatusResendProc, this);
}

CDravletManager::CDravletManager(ILogicServices* logic, IPortEnumerator* enumerator)
    : CDravletManager(static_cast<IDravletHost*>(nullptr), enumerator)
{
    m_pOwnHost = std::make_unique<CDravletManagerHost>(logic, this);
    SetHost(m_pOwnHost.get());
    if (logic) m_Types.Load(logic->SensorCatalogue());
}

void CDravletManager::AdoptHost(std::unique_ptr<CDravletManagerHost> host)
{
    m_pOwnHost = std::move(host);
    SetHost(m_pOwnHost.get());
}

void CDravletManager::Release(bool unplugged, std::function<void()> done)
{
    // Closing stores what was received on the caller's thread: done follows at once.
    CloseLogger(unplugged);
    if (done)
        done();
}

void CDravletManager::SetupChanged() { SendCmdEx(CmdSetup, 250); }

CDravletManager::~CDravletManager()
{
    *m_pAlive = false;
    if (!m_bExit) ExitManager();
    ClosePort();
}

// ---------------------------------------------------------------------------------------------
// Worker procedures

void CDravletManager::ReaderProc(void* self) { static_cast<CDravletManager*>(self)->readOnce(); }
void CDravletManager::SenderProc(void* self) { static_cast<CDravletManager*>(self)->senderLoop(); }
void CDravletManager::ProcessorProc(void* self) { static_cast<CDravletManager*>(self)->processorLoop(); }
void CDravletManager::PollerProc(void* self) { static_cast<CDravletManager*>(self)->PoolDeviceDetection(); }
void CDravletManager::StatusResendProc(void* self) { static_cast<CDravletManager*>(self)->statusTick(); }

void CDravletManager::readOnce()
{
    unsigned char buffer[s_ReadChunk];
    {
        QMutexLocker readLock(&m_ReadLock);
        const int n = Read(buffer, s_ReadChunk);
        if (n < 1) {
            if (RunFellSilent()) probeSilentRun();
            return;
        }
        WriteCycliceBuffer(n, buffer);
    }
    StartRxEvent();
}

void CDravletManager::probeSilentRun()
{
    // The interface that still answers lost a packet on the way: its run ends normally when the
    // status comes (DataReceivedHandler). One that does not answer is gone.
    const qint64 now = m_DataClock.elapsed();
    qint64 since = m_SilenceProbeSinceMs;
    if (since < 0) {
        m_SilenceProbeSinceMs = since = now;
        m_SilenceProbeSentMs = -1;
    }
    if (now - since >= s_SilenceProbeMs) {
        // The answer may have ended the run meanwhile.
        if (m_bRunning) reportSilentRun();
        return;
    }
    const qint64 sent = m_SilenceProbeSentMs;
    if (sent < 0 || now - sent >= s_SilenceProbeEveryMs) {
        m_SilenceProbeSentMs = now;
        StatusReq();
    }
}

void CDravletManager::reportSilentRun()
{
    // Handled as an unplug: the run ends with every sample received and the user is told.
    m_SilenceLimitMs = 0;
    m_SilenceProbeSinceMs = -1;
    MyOutputDebugString("Dravlet silent during a run: handled as unplugged", DiagDravletMan);
    CPortInfo info;
    info.portName = portName();
    info.vendorID = s_VendorId;
    info.productID = s_ProductId;
    if (m_pEnumerator) m_pEnumerator->reportRemoval(info);
}

void CDravletManager::StartRxEvent()
{
    if (!m_Processor.IsWorking()) m_Processor.StartWork(0);
    m_ProcessorWake.wake();
}

void CDravletManager::processorLoop()
{
    while (!m_bExit) {
        // A wake that came before this wait is kept, so no buffered bytes are left waiting.
        m_ProcessorWake.wait(100);
        if (m_bExit) break;
        QMutexLocker lock(&m_CurrentLock);
        while (!m_bExit && SomethingInCycliceBufferFunction()) DataReceivedHandler(m_Current);
    }
}

void CDravletManager::drainReceived()
{
    // Called with m_CurrentLock held: whatever whole frames arrived are still handled.
    int guard = 0;
    while (SomethingInCycliceBufferFunction() && ++guard < 1000000) DataReceivedHandler(m_Current);
}

// ---------------------------------------------------------------------------------------------
// Command queue and sender

void CDravletManager::SendCmd(CommandParametersStruct cmd, bool bStartNow)
{
    QThread::msleep(50);
    if (cmd.CommandId() == CmdSetup) AddSetupCmd(cmd);
    else AddSafeCommand(cmd, bStartNow);
}

void CDravletManager::AddSetupCmd(CommandParametersStruct cmd)
{
    RefreshActiveSensors();
    // The interface takes a setup as two frames, each acknowledged on its own.
    CommandParametersStruct first = cmd;
    first.SetCommandId(CmdDravletSetup1);
    CommandParametersStruct second = cmd;
    second.SetCommandId(CmdDravletSetup2);
    AddSafeCommand(first, false);
    AddSafeCommand(second, true);
}

void CDravletManager::AddSafeCommand(CommandParametersStruct cmd, bool start)
{
    if (!m_bConnected) return;
    // The command is carried out with the setup as it is now.
    if (m_pOwnHost) m_pOwnHost->RefreshSetup();
    m_Queue.append(cmd);
    if (start) StartTxEvent();
}

void CDravletManager::StartTxEvent()
{
    if (!m_Sender.IsWorking()) {
        m_bCmdAcknowledged = false;
        ResetCmdRecivedEvent();
        m_Sender.StartWork(250);
    }
    m_SenderWake.wake();
}

void CDravletManager::senderLoop()
{
    while (!m_bExit) {
        m_SenderWake.wait(100);
        CommandParametersStruct record;
        while (!m_bExit && m_Queue.takeFront(record)) {
            sendOne(record);
            QThread::msleep(200);
        }
    }
}

void CDravletManager::sendOne(const CommandParametersStruct& record)
{
    unsigned char reply = 0;
    {
        QMutexLocker lock(&m_CurrentLock);
        m_Current = record;
        m_bCmdAcknowledged = false;
        ResetCmdRecivedEvent();
        SendCommandHandler(m_Current, reply);
    }
    const unsigned char id = record.CommandId();
    const int waitMs = id == CmdRun ? 300 : 250;
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (WaitforCmdRecivedEvent(waitMs) || m_bExit) return;
        if (id == CmdStop) return; // a stop is never repeated by the sender
        QMutexLocker lock(&m_CurrentLock);
        m_bResending = true;
        SendCommandHandler(m_Current, reply);
        m_bResending = false;
    }
    MyOutputDebugString("Logger Stcuk Not Responding !!!!!!!!!!!!", DiagDravletMan);
}

// ---------------------------------------------------------------------------------------------
// Status re-send before a run or setup

void CDravletManager::ExecuteHalvorenCmd(short id)
{
    if (id == CmdRun) m_bRunning = false;
    ExecuteDravletCmd(id);
}

void CDravletManager::ExecuteDravletCmd(short id)
{
    if (m_bPortOpen && m_bConnected && m_bBootLoaderMode) return;
    if (!m_bRunning) {
        SendCmdEx(static_cast<unsigned char>(id), s_StatusResendMs);
    } else if (StateSnapshot().loggerRateCode == 0) {
        // A manual-sampling run takes one sample per Run press.
        if (m_pHost) m_pHost->SendManualSampleCmd(true);
    }
}

void CDravletManager::SendCmdEx(unsigned char id, int ms)
{
    m_PendingKind = id;
    m_bStatusAnswered = false;
    m_StatusTicks = 0;
    StartSendCmdEx(ms);
}

void CDravletManager::StartSendCmdEx(int ms) { m_StatusResend.StartWork(ms); }

void CDravletManager::statusTick()
{
    const int ticks = ++m_StatusTicks;
    if (m_bStatusAnswered) {
        m_bStatusAnswered = false;
        m_StatusResend.StopWork();
        // The commands are made from the setup record, which the interface thread changes.
        if (m_pHost) {
            std::shared_ptr<std::atomic<bool>> alive = m_pAlive;
            m_pHost->RunOnInterfaceThread([this, alive] {
                if (*alive && !m_bExit)
                    DravletPreCommandGuiUpdate();
            });
        }
    } else if (ticks > s_MaxStatusTicks) {
        m_StatusResend.StopWork();
        MyOutputDebugString("Dravlet Stuck Not Responding !!!!!!!!!!!!!!!!!", DiagDravletMan);
    } else {
        StatusReq();
    }
}

void CDravletManager::DravletPreCommandGuiUpdate()
{
    if (!m_pHost) return;
    switch (m_PendingKind.load()) {
    case CmdTimingRun:
        m_pHost->SendTimingRunCmd(false);
        StartTxEvent();
        break;
    case CmdSetup:
        m_pHost->SendSetupCmd(false);
        StartTxEvent();
        break;
    case CmdRun:
        if (!m_bConnected) break;
        m_pHost->SendSetupCmd(true);
        if (m_pHost->RunMode() == ExperimentRunMode::Timing) m_pHost->SendTimingRunCmd(true);
        else m_pHost->SendRunCmd(true);
        break;
    default: break;
    }
}

// ---------------------------------------------------------------------------------------------
// Closing and shutdown

void CDravletManager::CloseLogger(bool quiet)
{
    // A command still waiting for the interface's status dies with the link: the status of
    // the next connection must not carry it out.
    m_PendingKind = 0;
    m_StatusResend.StopWork();
    if (!quiet && m_bConnected) GoodbyeReq();
    // Bytes that already arrived are read before the port goes, so nothing received is lost.
    {
        QMutexLocker readLock(&m_ReadLock);
        unsigned char buffer[s_ReadChunk];
        for (int i = 0; i < 64 && isOpen(); ++i) {
            const int n = Read(buffer, s_ReadChunk);
            if (n < 1) break;
            WriteCycliceBuffer(n, buffer);
        }
        ClosePort();
    }
    QMutexLocker lock(&m_CurrentLock);
    drainReceived();
    m_Current = CommandParametersStruct();
    m_bPortOpen = false;
    m_bConnected = false;
    ResetReceive();
    ClearCyclicCBuffer();
    m_Queue.ClearPacketQueue();
    if (m_bRunning) {
        // The link is gone in the middle of a run: the run ends with what was received.
        m_bRunStart = false;
        EndRunNow();
    }
}

void CDravletManager::ExitManager()
{
    m_StatusResend.Exit();
    m_Poller.Exit();
    m_bExit = true;
    m_SenderWake.release();
    m_ProcessorWake.release();
    m_Processor.Exit();
    m_Sender.Exit();
    m_Reader.Exit();
    m_StatusResend.Shutdown(s_ShutdownWaitMs);
    m_Poller.Shutdown(s_ShutdownWaitMs);
    m_Processor.Shutdown(s_ShutdownWaitMs);
    m_Sender.Shutdown(s_ShutdownWaitMs);
    m_Reader.Shutdown(s_ShutdownWaitMs);
}

void CDravletManager::Exit()
{
    QThread::msleep(100);
    CloseLogger(false);
    ExitManager();
}
