#include "Core/Logic/Dravlet/DravletProtocol.h"

#include "Core/Logic/Dravlet/DravletDiagnostics.h"

#include <QThread>

CDravletProtocol::CDravletProtocol() = default;

CDravletProtocol::~CDravletProtocol() = default;

DravletInterfaceState CDravletProtocol::StateSnapshot() const
{
    QMutexLocker lock(&m_StateLock);
    return m_State;
}

bool CDravletProtocol::WriteFrame(const unsigned char* data, int size)
{
    return SendToMulti(data, size);
}

bool CDravletProtocol::WriteFrame(const QByteArray& frame)
{
    if (frame.isEmpty()) return false;
    return WriteFrame(reinterpret_cast<const unsigned char*>(frame.constData()), frame.size());
}

void CDravletProtocol::StopReq(int /*reason*/)
{
    MyOutputDebugString("StopReq", DiagDravletPro);
    if (m_StopDelayMs > 0) QThread::msleep(static_cast<unsigned long>(m_StopDelayMs));
    WriteFrame(DravletFrames::DravletStopString, 4);
}

void CDravletProtocol::GoodbyeReq()
{
    MyOutputDebugString("GoodbyeReq", DiagDravletPro);
    WriteFrame(DravletFrames::DravletGoodByeString, 4);
}

void CDravletProtocol::RunReq()
{
    MyOutputDebugString("RunReq", DiagDravletPro);
    WriteFrame(DravletFrames::DravletRunString, 4);
}

void CDravletProtocol::SnapshotReq()
{
    MyOutputDebugString("SnapshotReq", DiagDravletPro);
    WriteFrame(DravletFrames::DravletSnapshotString, 4);
}

void CDravletProtocol::StatusReq()
{
    MyOutputDebugString("StatusReq", DiagDravletPro);
    WriteFrame(DravletFrames::DravletStatusString, 4);
}

void CDravletProtocol::RunBootLoaderReq()
{
    MyOutputDebugString("RunBootLoaderReq", DiagDravletPro);
    WriteFrame(DravletFrames::DravletBootloaderModeString, 4);
}

void CDravletProtocol::DetectStringReq()
{
    MyOutputDebugString("DetectStringReq", DiagDravletPro);
    WriteFrame(DravletFrames::DetectString());
}

void CDravletProtocol::AutoDetectReq(bool on)
{
    MyOutputDebugString("AutoDetectReq", DiagDravletPro);
    WriteFrame(DravletFrames::AutoDetect(on));
}

void CDravletProtocol::TimingRunReq()
{
    MyOutputDebugString("TimingRunReq", DiagDravletPro);
    WriteFrame(DravletFrames::TimingRun(StateSnapshot().numberOfGates));
}

void CDravletProtocol::TurnOnControlRelayReq()
{
    MyOutputDebugString("TurnOnControlRelayReq", DiagDravletPro);
    WriteFrame(DravletFrames::TurnOnControlRelay(StateSnapshot().triggerChannel));
}

void CDravletProtocol::TurnOffControlRelayReq()
{
    MyOutputDebugString("TurnOffControlRelayReq", DiagDravletPro);
    WriteFrame(DravletFrames::TurnOffControlRelay(StateSnapshot().triggerChannel));
}

void CDravletProtocol::Setup1Req(CommandParametersStruct command)
{
    MyOutputDebugString("Setup1Req", DiagDravletPro);
    DravletSetupView setup;
    if (m_pHost) setup = m_pHost->ReadSetup();
    QByteArray frame;
    {
        QMutexLocker lock(&m_StateLock);
        frame = DravletFrames::Setup1(command.m_Data, m_State.autoDetect, setup.channels, setup.numChannels, m_Types,
                                      *this);
    }
    WriteFrame(frame);
}

void CDravletProtocol::Setup2Req(CommandParametersStruct command)
{
    MyOutputDebugString("Setup2Req", DiagDravletPro);
    DravletSetupView setup;
    if (m_pHost) setup = m_pHost->ReadSetup();
    int method = 0, gates = 1;
    const QByteArray frame = DravletFrames::Setup2(command.m_Data, setup.timingRow, setup.timingColumn,
                                                   setup.timingParameter1, setup.timingParameter2, method, gates);
    {
        QMutexLocker lock(&m_StateLock);
        m_State.timingMethod = method;
        m_State.numberOfGates = gates;
        m_State.timingParameter[0] = static_cast<unsigned char>(frame[5]);
        m_State.timingParameter[1] = static_cast<unsigned char>(frame[6]);
    }
    WriteFrame(frame);
}

bool CDravletProtocol::HandShakeRes(const unsigned char* packet, int length)
{
    bool calibrated = false;
    {
        QMutexLocker lock(&m_StateLock);
        if (!DravletReplies::ParseHandshake(packet, length, m_State)) return false;
        calibrated = m_State.calibrated;
    }
    if (!calibrated)
        MyOutputDebugString("Handshake reference counts are equal: readings used uncalibrated", DiagDravletPro);
    m_ProtocolState.m_TimingEventCounter = -1;
    return true;
}

bool CDravletProtocol::StatusRes(const unsigned char* packet, int length)
{
    QMutexLocker lock(&m_StateLock);
    return DravletReplies::ParseStatus(packet, length, m_Types, *this, m_State);
}
