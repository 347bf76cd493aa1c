#pragma once
// CDravletProtocol: the serial link, the rate tables and the receive ring of the Dravlet USB
// sensor interface in one object, with every request the program sends to it. The protocol
// handler and the manager derive from it, so one object holds port, tables, ring and state.
#include "Core/Base/CommandParameters.h"
#include "Core/Base/ILogger.h"
#include "Core/Logic/Transport/CyclicBuffer.h"
#include "Core/Logic/Dravlet/DravletFrames.h"
#include "Core/Logic/Dravlet/DravletReplies.h"
#include "Core/Logic/Dravlet/DravletHost.h"
#include "Core/Logic/Dravlet/DravletProtocolTables.h"
#include "platform/SerialPort.h"

#include <QMutex>

#include <atomic>

// The interface's own commands beside the shared ones: its setup travels in two frames.
constexpr LoggerCommandId CmdDravletSetup1 = LoggerCommandId(22);
constexpr LoggerCommandId CmdDravletSetup2 = LoggerCommandId(23);

class CDravletProtocol : public CSerialPort, public CDravletProtocolTables, public CCyclicBuffer
{
public:
    static constexpr int s_Baud = 19200;

    CDravletProtocol();
    ~CDravletProtocol() override;

    // The handler calls out through the host; the manager sets it before the port opens.
    void SetHost(IDravletHost* host) { m_pHost = host; }
    IDravletHost* Host() const { return m_pHost; }
    CDravletSensorTypes& SensorTypes() { return m_Types; }
    // A copy of the interface's state, safe from any thread.
    DravletInterfaceState StateSnapshot() const;
    bool IsAutoDetectFlag() const { return StateSnapshot().autoDetect; }
    // The record the logger interface exposes to the logic manager and the data store.
    CLoggerProtocolState* ProtocolState() { return &m_ProtocolState; }

    // ---- requests
    void StopReq(int reason);
    void GoodbyeReq();
    void RunReq();
    void SnapshotReq();
    void StatusReq();
    void RunBootLoaderReq();
    void DetectStringReq();
    void AutoDetectReq(bool on);
    void TimingRunReq();
    void TurnOnControlRelayReq();
    void TurnOffControlRelayReq();
    void Setup1Req(CommandParametersStruct command);
    void Setup2Req(CommandParametersStruct command);

    // Starts a timing run's data; the handler does the work.
    virtual void CreateTimingData() {}

    // ---- replies
    bool HandShakeRes(const unsigned char* packet, int length);
    bool StatusRes(const unsigned char* packet, int length);

    // Milliseconds a stop request waits before it goes out (the interface needs the pause
    // after a packet); tests shorten it.
    int m_StopDelayMs = 100;

protected:
    // Every frame leaves through here (tests capture it). False when nothing went out.
    virtual bool WriteFrame(const unsigned char* data, int size);
    bool WriteFrame(const QByteArray& frame);

    IDravletHost* m_pHost = nullptr;
    CDravletSensorTypes m_Types;
    // The packet processor, the command sender and the caller's thread all touch the state,
    // the current rate record and the active positions: each access takes this lock, never
    // across a call out of the object.
    mutable QMutex m_StateLock;
    DravletInterfaceState m_State;
    // The packet counter lives in the logger interface's state record, so that the logic
    // manager can mark a timing run as not started.
    CLoggerProtocolState m_ProtocolState;
};
