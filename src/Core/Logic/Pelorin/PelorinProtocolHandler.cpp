#include "Core/Logic/Pelorin/PelorinProtocolHandler.h"

#include "Core/Logic/Pelorin/PelorinDiagnostics.h"

using namespace Pelorin;

namespace {

void Log(const char* text) { MyOutputDebugString(text, DiagPelorinHan); }

} // namespace

CPelorinProtocolHandler::CPelorinProtocolHandler()
{
    m_ProtocolState.ClearRunArea();
}

CPelorinProtocolHandler::~CPelorinProtocolHandler() = default;

void CPelorinProtocolHandler::SetLogger(ILogger* logger)
{
    m_pLogger = logger;
    if (logger)
        logger->m_pProtocolState = &m_ProtocolState;
}

void CPelorinProtocolHandler::Announce(PelorinEvent event, int arg)
{
    if (m_pHost)
        m_pHost->Announce(event, arg);
}

void CPelorinProtocolHandler::CheckResync()
{
    if (m_bResync.exchange(false))
        m_Rx.Reset(this);
}

bool CPelorinProtocolHandler::DataReceivedHandler()
{
    CheckResync();
    return m_Rx.Step(*this, *this);
}

int CPelorinProtocolHandler::ProcessReceivedData(int maxSteps)
{
    CheckResync();
    return m_Rx.Run(*this, *this, maxSteps);
}

void CPelorinProtocolHandler::ResetReceiveState()
{
    m_bResync = true;
    SetExpected(1);
}

bool CPelorinProtocolHandler::HasExpected() const { return AvailableBytes() >= ExpectedLength(); }

const unsigned char* CPelorinProtocolHandler::Take(int count)
{
    static const unsigned char s_Empty = 0;
    if (count == 0)
        return &s_Empty;
    long sum = 0;
    return ReadCycliceBuffer(count, sum);
}

void CPelorinProtocolHandler::SetExpected(qint64 count) { SetExpectedLength(count); }

void CPelorinProtocolHandler::SendCommandHandler(CommandParametersStruct& cmd, unsigned char&)
{
    Log("SendCommandHandler");
    switch (cmd.CommandId()) {
    case CmdStatus: StatusReq(); break;
    case CmdRun:
        // A resend repeats the request of the same run: a run it may already have started
        // keeps its counters.
        if (!m_bResending) {
            PreRunReqHandler();
            m_bRunRequested = true;
            m_bRunAnswered = false;
            // In manual sampling the Run itself brings the first sample.
            Pelorin::SetupView s;
            m_ManualSamplesOwed = (ReadSetup(s) && s.rateCode == 0) ? 1 : -1;
        }
        RunReq();
        break;
    case CmdManualSample:
        if (!m_bResending && m_ManualSamplesOwed >= 0)
            ++m_ManualSamplesOwed;
        RunReq();
        break;
    case CmdDownload:
        PreRunReqHandler();
        DownloadDataReq();
        break;
    case CmdStop: StopReq(); break;
    case CmdTimingRun:
        PreRunReqHandler();
        TimingByTriggerAfterReq();
        break;
    case CmdSnapshot: SnapShotReq(); break;
    case CmdUploadFirmware: EnterBootloaderModeReq(); break;
    case CmdSetSensorRange: SetSensorRangeReq(); break;
    case CmdSetCalibration: SetCalibrationReq(); break;
    case CmdWriteSensorId: WriteSensorIdReq(); break;
    case CmdHello: HelloReq(); break;
    case CmdKeepAlive: KeepAliveReq(); break;
    case CmdGoodbye: GoodbyeReq(); break;
    default: break;
    }
}

void CPelorinProtocolHandler::SignalCmdRecivedEvent()
{
    QMutexLocker lock(&m_CmdEventLock);
    // The event holds at most one token: repeated acknowledgements do not pile up.
    if (m_CmdEvent.available() == 0)
        m_CmdEvent.release(1);
}

void CPelorinProtocolHandler::ResetCmdRecivedEvent()
{
    QMutexLocker lock(&m_CmdEventLock);
    m_CmdEvent.tryAcquire(m_CmdEvent.available());
}

bool CPelorinProtocolHandler::WaitforCmdRecivedEvent(int ms) { return m_CmdEvent.tryAcquire(1, ms); }

void CPelorinProtocolHandler::PreRunReqHandler()
{
    m_bSnapShot = false;
    m_ManualSamplesOwed = -1;
    if (m_bBluetooth)
        StopKeepAliveTimer();
    QMutexLocker lock(&m_RecordLock);
    m_Logger.packetCounter = 0;
}

void CPelorinProtocolHandler::PreRunResetVaribles()
{
    Log("PreRunResetVaribles");
    m_ProtocolState.ClearRunArea();
    std::fill(std::begin(m_Row), std::end(m_Row), 0.0);
    if (m_pHost)
        m_pHost->InitBeforeRun(m_pLogger);
}

void CPelorinProtocolHandler::OnHello(const unsigned char* p, int n)
{
    if (!DetectionWanted()) {
        Log("OnHello after the search was given up: ignored");
        return;
    }
    HelloRes(p, n);
    m_LoggerType = 70.0;
    m_bConnected = true;
    const bool boot = RecordCopy().bootLoader;
    if (m_pHost)
        m_pHost->LoggerIdentified(m_pLogger, boot);
    if (!boot) {
        m_DetectionState = 4;
        Announce(PelorinEvent::EndDetection, 1);
    } else {
        m_DetectionState = 6;
    }
}

void CPelorinProtocolHandler::OnStatus(const unsigned char* p, int n)
{
    StatusRes(p, n);
    if (m_pHost)
        m_pHost->UpdateSetupInfoFromCore(m_pLogger, RecordCopy());
    Announce(PelorinEvent::StatusArrived, 1);
    if (m_bBluetooth && !m_bDownload) {
        Log("KeepAliveStatusRecStamp");
        StampStatusReception();
    }
}

void CPelorinProtocolHandler::OnKeepAlive(const unsigned char* p, int n)
{
    Log("PELORIN_STATE_RESPOND_TO_KEEP_ALIVE");
    KeepAliveRes(p, n);
}

void CPelorinProtocolHandler::OnShutdown()
{
    Log("Pelorin sent shutting down signal");
    Log("ShutDownAckHAndler");
    if (m_bBluetooth) {
        StopKeepAliveTimer();
        if (m_pHost)
            m_pHost->ReportPortRemoval(QString(), 0x0483, 0x5740);
    }
    if (m_pHost)
        m_pHost->StopSetupTimers();
    Announce(PelorinEvent::ShutDown);
}

void CPelorinProtocolHandler::OnGoodbyeAck() { Log("Pelorin ack the goodbye command"); }

void CPelorinProtocolHandler::OnDownloadReply(const unsigned char* p, int n)
{
    DownloadDataRes(p, n);
    DownloadAckHandler();
}

void CPelorinProtocolHandler::OnCalibrationSet() { Log("SetCalibrationAckHandler"); }

void CPelorinProtocolHandler::OnSnapshotAck()
{
    Log("SnapShotAckHandler");
    m_bSnapShot = true;
}

void CPelorinProtocolHandler::OnRangeSet()
{
    Log("SetRangeAckHandler");
    Announce(PelorinEvent::SetRangeFinished);
}

void CPelorinProtocolHandler::OnSensorIdWritten() { Log("WriteSensorIdAckHandler"); }

void CPelorinProtocolHandler::OnStoredRunEnded()
{
    // The logger recorded a run by itself: end it here and fetch it.
    Announce(PelorinEvent::ExperimentEnd);
    if (m_pHost)
        m_pHost->WaitHere(3000);
    PreRunReqHandler();
    DownloadDataReq();
}

void CPelorinProtocolHandler::EnterBootLoaderModeAckHandler()
{
    Log("EnterBootLoaderModeAckHandler");
    StopKeepAliveTimer();
    m_bFirmwareBusy = true;
    Announce(PelorinEvent::EnteredBootLoader);
}

void CPelorinProtocolHandler::OnBootBlockAck(const unsigned char* p, int n)
{
    BootLoaderInfoPacketRes(p, n);
    BootLoaderInfoPacketAckHandler();
}

void CPelorinProtocolHandler::OnBootFinished(const unsigned char* p, int n)
{
    LeaveBootloaderRes(p, n);
    BootLoaderEndtAckHandler();
}

void CPelorinProtocolHandler::OnBadFrame(const char* why) { Log(why); }
void CPelorinProtocolHandler::OnReadFailed(const char* what) { Log(what); }
