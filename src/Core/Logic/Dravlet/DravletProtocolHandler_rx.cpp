// What the frames of the Dravlet receive machine mean to the handler: acknowledgements of the
// command being sent (`current`), status, handshakes and the firmware replies. The machine
// cuts the frames out of the receive ring; this file turns them into the handler's steps.
#include "Core/Logic/Dravlet/DravletProtocolHandler.h"

#include "Core/Logic/Dravlet/DravletDiagnostics.h"

static_assert(CDravletProtocolHandler::s_IdleState == Dravlet::CDravletRxMachine::Hunt,
              "the handler's idle state is the machine's hunt");

const unsigned char* CDravletProtocolHandler::Take(int count)
{
    long sum = 0;
    return ReadCycliceBuffer(count, sum);
}

void CDravletProtocolHandler::ResetReceive() { m_Rx.Reset(*this); }

void CDravletProtocolHandler::SkipReceived(int count) { m_Rx.Skip(*this, count); }

void CDravletProtocolHandler::DataReceivedHandler(CommandParametersStruct& current)
{
    m_pCurrent = &current;
    m_Rx.Step(*this, *this);
    m_pCurrent = nullptr;
}

void CDravletProtocolHandler::OnSnapshotAck()
{
    if (m_pCurrent->CommandId() == CmdManualSample) ManualSampleShotAckHandler();
    else SnapShotAckHandler(*m_pCurrent);
}

void CDravletProtocolHandler::OnSetupAck(unsigned char opcode)
{
    const unsigned char id = m_pCurrent->CommandId();
    if ((opcode == 0x06 && id == CmdDravletSetup1) || (opcode == 0x07 && id == CmdDravletSetup2)) Acknowledge();
}

void CDravletProtocolHandler::OnInputModeAck()
{
    if (m_pCurrent->CommandId() != CmdSetInputMode) return;
    QMutexLocker lock(&m_StateLock);
    m_State.autoDetect = m_pCurrent->GetByte(ParFlag) != 0;
    Acknowledge();
}

void CDravletProtocolHandler::OnTimingRunStarted()
{
    m_ProtocolState.m_TimingEventCounter = -1;
    m_RunStartTime.start();
    if (m_pCurrent->CommandId() == CmdTimingRun) Acknowledge();
}

void CDravletProtocolHandler::OnFirmwareStage(unsigned char opcode)
{
    CommandParametersStruct& current = *m_pCurrent;
    switch (opcode) {
    case 0xF1:
        if (current.GetByte(ParFirmwareFirst) == 1) {
            current.SetWord(48, current.GetWord(46));
            current.SetByte(ParFirmwareFirst, 2);
            m_bFirmwareBusy = true;
            current.SetWord(46, 0);
        }
        break;
    case 0xF2:
        if (current.GetByte(ParFirmwareFirst) == 2) {
            current.SetWord(48, quint16(current.GetWord(48) + current.GetWord(46)));
            current.SetByte(ParFirmwareFirst, 3);
            m_bFirmwareBusy = true;
            current.SetWord(46, 0);
        }
        break;
    case 0xF4:
        if (current.GetByte(ParFirmwareFirst) == 0) Acknowledge();
        break;
    default: break;
    }
}

void CDravletProtocolHandler::OnStatus(const unsigned char* packet)
{
    if (m_bRunning && m_SilenceProbeSinceMs >= 0) EndSilentRun();
    else StatusResHandler(m_pCurrent->CommandId(), packet);
}

void CDravletProtocolHandler::OnHandshake(const unsigned char* packet)
{
    // Only a search asks for the handshake, and a run starts after the search ended: a handshake
    // during a run is the late answer to a request the search repeated. Taken, it would restart
    // the packet count and split the run in two.
    if (m_bConnected && m_bRunning) {
        MyOutputDebugString("Late handshake during a run: ignored", DiagDravletHan);
        return;
    }
    if (HandShakeRes(packet, DravletFrames::s_HandshakeLength)) HandShakeHandler();
}

void CDravletProtocolHandler::FirmwareEchoStep(CommandParametersStruct& current, const unsigned char* p)
{
    if (current.GetByte(ParFirmwareFirst) != 3) return;
    const quint16 total = quint16(current.GetWord(48) + current.GetWord(46));
    current.SetWord(48, total);
    const quint16 echoTotal = quint16((p[0] << 8) | p[1]);
    const quint16 echoBlock = quint16((p[2] << 8) | p[3]);
    if (echoTotal == total && echoBlock == current.GetWord(ParFirmwareBlock))
        current.SetWord(ParFirmwareBlock, quint16(current.GetWord(ParFirmwareBlock) + 64));
    current.SetByte(ParFirmwareFirst, 1);
    m_bFirmwareBusy = true;
    current.SetWord(46, 0);
}
