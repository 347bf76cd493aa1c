#include "Core/Logic/Dravlet/DravletProtocolHandler.h"

#include "Core/Logic/Dravlet/DravletDiagnostics.h"

CDravletProtocolHandler::CDravletProtocolHandler() { m_DataClock.start(); }

CDravletProtocolHandler::~CDravletProtocolHandler() = default;

// ---------------------------------------------------------------------------------------------
// Acknowledgement event

void CDravletProtocolHandler::SignalCmdRecivedEvent()
{
    QMutexLocker lock(&m_CmdEventLock);
    if (m_CmdEvent.available() == 0) m_CmdEvent.release();
}

void CDravletProtocolHandler::ResetCmdRecivedEvent()
{
    QMutexLocker lock(&m_CmdEventLock);
    const int n = m_CmdEvent.available();
    if (n > 0) m_CmdEvent.acquire(n);
}

bool CDravletProtocolHandler::WaitforCmdRecivedEvent(int ms)
{
    return m_CmdEvent.tryAcquire(1, ms);
}

void CDravletProtocolHandler::Acknowledge()
{
    m_bCmdAcknowledged = true;
    SignalCmdRecivedEvent();
}

// ---------------------------------------------------------------------------------------------
// Command records to frames

void CDravletProtocolHandler::SendCommandHandler(CommandParametersStruct& command, unsigned char& reply)
{
    reply = 0;
    switch (command.CommandId()) {
    case CmdStatus: StatusReq(); break;
    case CmdRun:
        // In manual sampling the run starts with one sample.
        if (!m_bResending) m_ManualSamplesOwed = StateSnapshot().loggerRateCode == 0 ? 1 : -1;
        m_bRunStart = true;
        // Packets that arrive before the acknowledgement (when it was lost) start this run,
        // not the end of the last one.
        if (!m_bRunning) m_ProtocolState.m_TimingEventCounter = -1;
        RunReq();
        break;
    case CmdStop:
        StopReq(1);
        ExperimentEndHandler();
        if (m_pHost) m_pHost->Announce(DravletEvent::ExperimentEnd);
        break;
    case CmdTimingRun:
        m_ManualSamplesOwed = -1;
        m_bRunStart = true;
        CreateTimingData();
        TimingRunReq();
        break;
    case CmdManualSample:
        if (!m_bResending && m_ManualSamplesOwed >= 0) ++m_ManualSamplesOwed;
        m_bRunStart = true;
        SnapshotReq();
        break;
    case CmdSnapshot:
        m_bRunStart = true;
        SnapshotReq();
        break;
    case CmdSetInputMode: AutoDetectReq(command.GetByte(ParFlag) != 0); break;
    case CmdUploadFirmware:
        // The interface's firmware is not transferred by this program.
        command.SetWord(46, 0);
        m_bFirmwareBusy = false;
        break;
    case CmdDravletSetup1: Setup1Req(command); break;
    case CmdDravletSetup2: Setup2Req(command); break;
    default: break;
    }
}

// ---------------------------------------------------------------------------------------------
// Steps

void CDravletProtocolHandler::RunAckHandler(const CommandParametersStruct& current)
{
    // The acknowledgement of a re-sent Run may come after the run's first packets: the run
    // then goes on in its folder instead of starting a second one.
    const bool streaming = m_bRunning && m_ProtocolState.m_TimingEventCounter >= 0;
    if (!streaming) {
        m_SilenceLimitMs = 0;
        m_SilenceProbeSinceMs = -1;
        m_ProtocolState.m_TimingEventCounter = -1;
        m_RunStartTime.start();
        m_StopCounter = 0;
        m_ProtocolState.ClearRunArea();
        if (m_pHost) m_pHost->InitBeforeRun();
    }
    if (current.CommandId() == CmdRun) {
        // The acknowledged Run is the run the coming packets belong to.
        m_bRunStart = true;
        Acknowledge();
    }
}

void CDravletProtocolHandler::StopAckHandler(const CommandParametersStruct& current)
{
    if (current.CommandId() != CmdStop) return;
    m_bRunning = false;
    if (m_pHost) m_pHost->Announce(DravletEvent::ExperimentEnd);
    Acknowledge();
}

void CDravletProtocolHandler::SnapShotAckHandler(const CommandParametersStruct& current)
{
    if (current.CommandId() == CmdSnapshot) m_bSnapshotPending = true;
    // What the interface sends behind this acknowledgement is not used.
    SkipReceived(DravletFrames::s_SnapshotSkipLength);
    Acknowledge();
}

void CDravletProtocolHandler::ManualSampleShotAckHandler()
{
    SkipReceived(DravletFrames::s_SnapshotSkipLength);
    Acknowledge();
    Acknowledge();
}

void CDravletProtocolHandler::HandShakeHandler()
{
    if (m_bDetectionCancelled) {
        MyOutputDebugString("Handshake after the search was given up: ignored", DiagDravletHan);
        return;
    }
    m_bConnected = true;
    const short previous = m_DetectionState.exchange(DetectFound);
    m_LoggerType = 12.0;
    if (m_pHost) {
        m_pHost->LoggerIdentified(true);
        if (previous != DetectFound) m_pHost->Announce(DravletEvent::EndDetection, 1);
    }
}

void CDravletProtocolHandler::BootLoaderHandShake()
{
    m_bBootLoaderMode = true;
    m_DetectionState = DetectBootLoader;
    m_LoggerType = 12.0;
    m_bConnected = true;
    if (m_pHost) {
        m_pHost->LoggerIdentified(false);
        m_pHost->RequestFirmwareUpload();
    }
}

void CDravletProtocolHandler::StatusResHandler(unsigned char commandId, const unsigned char* packet)
{
    if (!m_bStatusAnswered) {
        // The first answer only tells the status re-send worker that the interface is there.
        m_bStatusAnswered = true;
        if (!StateSnapshot().autoDetect) return;
    }
    if (commandId == CmdRun || commandId == CmdDravletSetup1) {
        if (m_pHost) m_pHost->Announce(DravletEvent::StatusArrived, 0);
        return;
    }
    StatusRes(packet, DravletFrames::s_StatusLength);
    if (commandId == CmdDravletSetup2) {
        if (m_pHost) m_pHost->Announce(DravletEvent::StatusArrived, 0);
        return;
    }
    if (m_pHost) {
        m_pHost->UpdateSetupInfoFromCore();
        m_pHost->Announce(DravletEvent::StatusArrived, 1);
    }
    Acknowledge();
}

void CDravletProtocolHandler::ExperimentEndHandler()
{
    m_StopTime.start();
    unsigned char positions[DravletSetupView::s_Channels] = {};
    int count = 0;
    {
        QMutexLocker lock(&m_StateLock);
        count = m_ActiveCount;
        for (int i = 0; i < count; ++i) positions[i] = m_ActivePositions[i];
    }
    if (m_pHost) m_pHost->ConvertAndStoreLastOnlineSamples(count, positions);
}

void CDravletProtocolHandler::RefreshActiveSensors()
{
    if (!m_pHost) return;
    const DravletSetupView setup = m_pHost->ReadSetup();
    int n = setup.activeCount;
    if (n < 0) n = 0;
    if (n > DravletSetupView::s_Channels) n = DravletSetupView::s_Channels;
    QMutexLocker lock(&m_StateLock);
    for (int i = 0; i < DravletSetupView::s_Channels; ++i)
        m_ActivePositions[i] = i < n ? setup.activePositions[i] : 0;
    m_ActiveCount = n;
}
