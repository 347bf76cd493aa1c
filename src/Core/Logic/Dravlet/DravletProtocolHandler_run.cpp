// Data packets, triggers, the control relay, snapshots and timing values of the Dravlet
// protocol handler.
#include "Core/Base/Diagnostics.h"
#include "Core/Logic/Dravlet/DravletProtocolHandler.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// The interface's timing methods of the pendulum and of a collision.
constexpr int s_PendulumMethod = 20;
constexpr int s_CollisionMethod = 21;

bool limitedRun(int samples) { return samples != DravletFrames::s_NoSampleLimit && samples != 0; }

// A decoded value as an integer, for values the interface keeps as whole numbers.
bool truncatedInt(double v, int lo, int hi, int& out)
{
    if (!std::isfinite(v)) return false;
    const double t = std::trunc(v);
    if (t < lo || t > hi) return false;
    out = int(t);
    return true;
}

} // namespace

void CDravletProtocolHandler::EndRunNow()
{
    m_SilenceLimitMs = 0;
    m_SilenceProbeSinceMs = -1;
    m_bRunning = false;
    ExperimentEndHandler();
    if (m_pHost) m_pHost->Announce(DravletEvent::ExperimentEnd);
}

void CDravletProtocolHandler::EndSilentRun()
{
    MyOutputDebugString("Run fell silent but the interface answers: the run ends with what it stored",
                        DiagDravletHan);
    m_bRunStart = false;
    EndRunNow();
    // The interface is told as well, so that it does not take the next Run for a repeat of
    // a run it still counts as going on.
    StopReq(4);
}

void CDravletProtocolHandler::TakeView()
{
    QMutexLocker lock(&m_StateLock);
    m_View = m_State;
    m_ViewRate = m_CurrentRateInfo;
    m_ViewActiveCount = m_ActiveCount;
    for (int i = 0; i < DravletSetupView::s_Channels; ++i) m_ViewActive[i] = m_ActivePositions[i];
}

bool CDravletProtocolHandler::DataPacketStep(const unsigned char* packet)
{
    m_WaitForTrigger = false;
    TakeView();
    bool accepted = true;
    if (!packet) {
        // The ring was cleared under us (the link closed): the run is over.
        EndRunNow();
        m_bSnapshotPending = false;
    } else if (m_bSnapshotPending) {
        SnapShotDataPackHandler(packet);
        return true;
    } else {
        accepted = DataPacketHandle(packet);
    }

    const int samples = m_View.numberOfSamples;
    if (!m_WaitForTrigger && limitedRun(samples) && m_pHost && m_pHost->SamplesStored() >= samples) {
        m_bRunning = false;
        if (m_bRunStart) {
            m_StopCounter = 0;
            EndRunNow();
            m_bRunStart = false;
        }
        // The interface may keep streaming for a moment; one stop request per further packet.
        ++m_StopCounter;
        if (m_StopCounter <= s_MaxStopRequests) StopReq(2);
    }
    return accepted;
}

void CDravletProtocolHandler::StartLiveRun()
{
    if (m_pHost) m_pHost->SetRelayOn(false);
    m_bRunning = true;
    m_ExperimentKind = 1;
    RefreshActiveSensors();
    TakeView();
    if (m_pHost) m_pHost->CreateDataEntries(1);
    m_ProtocolState.ClearRunArea();
    if (m_pHost) m_pHost->InitBeforeRun();
    m_ProtocolState.m_TimingEventCounter = 0;
}

bool CDravletProtocolHandler::AcceptDataPacket()
{
    // Before a run's first data only a requested run takes packets: bytes that merely look like
    // a packet would otherwise start a run of made-up values. Within a run every packet is
    // stored: the interface gives its first byte no meaning, so nothing in it tells a packet
    // delivered twice from the next one.
    if (m_ProtocolState.m_TimingEventCounter < 0 && !m_bRunStart) {
        MyOutputDebugString("Data packet outside a requested run refused", DiagDravletHan);
        return false;
    }
    return true;
}

bool CDravletProtocolHandler::TakeOwedManualSample()
{
    int owed = m_ManualSamplesOwed.load();
    while (owed > 0) {
        if (m_ManualSamplesOwed.compare_exchange_weak(owed, owed - 1)) return true;
    }
    // Outside a manual-sampling run every packet is taken.
    return owed < 0;
}

bool CDravletProtocolHandler::DataPacketHandle(const unsigned char* packet)
{
    // A refused packet goes back to the receive machine, which hunts through it again.
    if (!AcceptDataPacket())
        return false;
    if (!TakeOwedManualSample()) {
        MyOutputDebugString("Manual sample nobody asked for dropped", DiagDravletHan);
        return true;
    }
    if (m_ProtocolState.m_TimingEventCounter < 0) {
        const int mode = m_View.triggerMode;
        if ((mode == 1 || mode == 2 || mode == 3) && m_View.triggerChannel < DravletInterfaceState::s_Channels) {
            ConvertLoggerDataSample(packet, true, false);
            if (TriggerHandler()) {
                m_WaitForTrigger = true;
                if (m_View.loggerRateCode == 0 && mode != 3 && m_pHost)
                    m_pHost->Announce(DravletEvent::PressBeforeTrigger, ChosenTriggerKind(mode));
                return true;
            }
        }
        StartLiveRun();
    }
    ConvertLoggerDataSample(packet, false, true);
    NoteDataArrival();
    return true;
}

int CDravletProtocolHandler::ChosenTriggerKind(int rawMode) const
{
    // The interface compares raw codes, so a falling calibration has it test the other way
    // round from the kind chosen; the teacher is told in the kind chosen.
    if (!m_pHost)
        return rawMode;
    const DravletSetupView setup = m_pHost->ReadSetup();
    const bool chosen = setup.fromRecord && setup.rawTriggerType == rawMode
                        && (setup.triggerType == 1 || setup.triggerType == 2);
    return chosen ? setup.triggerType : rawMode;
}

void CDravletProtocolHandler::NoteDataArrival()
{
    // How long the interface may stay silent before the run is given up: a few packet periods
    // of this run and a margin, so that a slow run is never cut short.
    const int perPacket = std::max(1, DravletData::SamplesPerPacket(m_View.loggerRateCode, m_ViewRate));
    double packetSec = GetLoggertExperimentInterval(GetUiRateCode(m_View.loggerRateCode), m_ViewActiveCount).m_PeriodSec
                     * perPacket;
    if (!std::isfinite(packetSec) || packetSec < 0.0)
        packetSec = 0.0;
    packetSec = std::min(packetSec, 1.0e6);
    m_LastDataMs = m_DataClock.elapsed();
    // Data again: a status asked for while the run was quiet does not end it.
    m_SilenceProbeSinceMs = -1;
    // A run sampled by hand is quiet for as long as the user takes between presses: it is not
    // watched (an unplug still ends it through the port list).
    if (m_View.loggerRateCode == 0) {
        m_SilenceLimitMs = 0;
        return;
    }
    m_SilenceLimitMs = std::max<qint64>(m_MinSilenceMs, qint64(3000.0 * packetSec) + 2000);
}

bool CDravletProtocolHandler::RunFellSilent() const
{
    const qint64 limit = m_SilenceLimitMs;
    return limit > 0 && m_bRunning && m_DataClock.elapsed() - m_LastDataMs > limit;
}

void CDravletProtocolHandler::ConvertLoggerDataSample(const unsigned char* packet, bool decodeOnly, bool store)
{
    const int perPacket = DravletData::SamplesPerPacket(m_View.loggerRateCode, m_ViewRate);
    const int samples = m_View.numberOfSamples;
    const qint64 counter = m_ProtocolState.m_TimingEventCounter;
    const bool storing = store && !decodeOnly && m_pHost;
    // A packet's rows go to the store as one block. Rows hold one value per active position,
    // in position order. Each row is written whole before it goes, so the block is not zeroed:
    // clearing all of it for every packet cost more than a packet's few rows.
    const int width = std::clamp(m_ViewActiveCount, 0, int(DravletSetupView::s_Channels));
    double rows[s_BlockRows * DravletSetupView::s_Channels];
    int pending = 0;
    // Once the run has its samples nothing more is stored; the packet step asks the interface
    // to stop. The rows of this packet count as stored as soon as they are taken.
    const bool limited = !decodeOnly && limitedRun(samples) && m_pHost;
    const qint64 storedBefore = limited ? m_pHost->SamplesStored() : 0;
    qint64 taken = 0;
    int position = 1;
    for (int k = 0; k < perPacket; ++k) {
        if (samples != 0 && samples <= counter + k) break;
        if (limited && storedBefore + taken >= samples) break;
        if (!DravletData::DecodeSample(packet, DravletFrames::s_DataPacketLength, position, m_View, m_Types,
                                       m_RunValues))
            break;
        ControlRelay();
        if (!storing) continue;
        double* row = rows + pending * width;
        for (int i = 0; i < width; ++i) row[i] = m_RunValues[m_ViewActive[i] % DravletData::s_MaxValues];
        ++taken;
        if (++pending == s_BlockRows) {
            m_pHost->ConvertAndStoreRows(rows, pending, width, m_ViewActive);
            pending = 0;
        }
    }
    if (pending > 0) m_pHost->ConvertAndStoreRows(rows, pending, width, m_ViewActive);
    if (taken > 0) m_pHost->Announce(DravletEvent::NewDataArrived);
}

void CDravletProtocolHandler::ControlRelay()
{
    if (!m_pHost || m_View.triggerMode != 4 || m_View.triggerChannel < 0 || m_View.triggerChannel >= 4) return;
    const double v = m_RunValues[m_View.triggerChannel];
    const double level = m_View.triggerLevel;
    if (m_pHost->RelayOn() && level > v) {
        TurnOffControlRelayReq();
        m_pHost->SetRelayOn(false);
    } else if (!m_pHost->RelayOn() && v > level) {
        TurnOnControlRelayReq();
        m_pHost->SetRelayOn(true);
    }
}

bool CDravletProtocolHandler::TriggerHandler()
{
    if (m_pHost) {
        const DravletSetupView setup = m_pHost->ReadSetup();
        m_TriggerChannel = setup.triggerChannel;
        m_TriggerLevel = setup.triggerLevel;
    }
    // A trigger on a channel the packet does not carry cannot fire; the run starts at once.
    if (m_TriggerChannel < 0 || m_TriggerChannel >= DravletInterfaceState::s_Channels) return false;
    const double v = m_RunValues[m_TriggerChannel];
    const double level = m_TriggerLevel;
    switch (m_View.triggerMode) {
    case 1: return !(v > level);
    case 2: return !(v < level);
    case 3: {
        const int p = m_pHost ? m_pHost->PreviousEventValue() : -1;
        if (p >= 0 && ((p <= level && level < v) || (p >= level && level > v)) && m_View.numberOfSamples == 0) {
            StopReq(3);
            ShowDravletEventRecording();
        }
        int next = 0;
        if (v != level && m_pHost && truncatedInt(v, -32768, 32767, next)) m_pHost->SetPreviousEventValue(next);
        return true;
    }
    default: return false;
    }
}

void CDravletProtocolHandler::ShowDravletEventRecording()
{
    MyOutputDebugString("Event recording: trigger level crossed", DiagDravletHan);
}

// A snapshot is the channels' readings of the moment, shown live while the setup calibrates.
// It is no new zero: the zero constants come from the interface's status, and a reading taken
// as the zero would make every later reading of that level read 0.
void CDravletProtocolHandler::SnapShotDataPackHandler(const unsigned char* packet)
{
    m_bSnapshotPending = false;
    TakeView();
    int position = 1;
    if (!DravletData::DecodeSample(packet, DravletFrames::s_DataPacketLength, position, m_View, m_Types, m_RunValues))
        return;
    int readings[DravletInterfaceState::s_Channels] = {};
    const int count = std::clamp(m_View.sensorCount, 0, int(DravletInterfaceState::s_Channels));
    for (int ch = 0; ch < count; ++ch) {
        // A value that is no integer reads as the channel's zero: no signal.
        readings[ch] = m_View.zeroConst[ch];
        truncatedInt(m_RunValues[ch], INT_MIN, INT_MAX, readings[ch]);
    }
    if (m_pHost) {
        m_pHost->WriteSnapshot(QList<int>(readings, readings + count));
        m_pHost->Announce(DravletEvent::SnapShotArrived);
    }
}

void CDravletProtocolHandler::TimingValueStep(const unsigned char* p, int length)
{
    TakeView();
    if (p && m_pHost && m_pHost->HasTimingBranch()) {
        const uint32_t t1 = DravletData::ReadU32(p);
        const uint32_t t2 = DravletData::ReadU32(p + 4);
        uint32_t t3 = 0, t4 = 0;
        double b = 0.0, c = 0.0;
        if (length == 16) {
            t3 = DravletData::ReadU32(p + 8);
            t4 = DravletData::ReadU32(p + 12);
            b = DravletData::CountDifferenceSeconds(t3, t1);
            c = DravletData::CountDifferenceSeconds(t4, t3);
        }
        const double a = DravletData::CountDifferenceSeconds(t2, t1);
        StoreTimingResult(a, b, c, DravletData::CountsToSeconds(t1), DravletData::CountsToSeconds(t2));
        // A collision reports one cart at each gate: the second gate's passage is timed as well.
        if (m_View.timingMethod == s_CollisionMethod && length == 16)
            StoreTimingResult(c, b, a, DravletData::CountsToSeconds(t3), DravletData::CountsToSeconds(t4));
    }
    if (m_pHost) m_pHost->Announce(DravletEvent::NewDataArrived);
}

void CDravletProtocolHandler::StoreTimingResult(double a, double b, double c, double d, double e)
{
    const auto method = static_cast<unsigned char>(m_View.timingMethod);
    const double result = m_pHost->CalculateTimingValue(method, a, b, c, d, e);
    // A division by a zero time gives no usable result; it is not stored. Neither is the -1
    // with which the pendulum answers the passages that close no period: a period is never
    // negative, and the -1 would be stored as a swing of -1 s.
    const bool noPeriod = m_View.timingMethod == s_PendulumMethod && result < 0.0;
    if (std::isfinite(result) && result >= -1000.0 && !noPeriod) {
        if (m_pHost->AppendTimingResult(double(m_TimingCounter), result)) ++m_TimingCounter;
    }
}

void CDravletProtocolHandler::CreateTimingData()
{
    if (m_ProtocolState.m_TimingEventCounter >= 0) return;
    m_ProtocolState.m_TimingEventCounter = 0;
    m_TimingCounter = 0;
    m_bRunning = true;
    CreateDataEntry(0, 3);
    m_ProtocolState.ClearRunArea();
    if (m_pHost) {
        m_pHost->InitBeforeRun();
        m_pHost->CalculateTimingValue(255, 0, 0, 0, 0, 0);
        m_pHost->SetLastTimingRun();
    }
}

void CDravletProtocolHandler::CreateDataEntry(int /*channel*/, int kind)
{
    m_ExperimentKind = kind;
    RefreshActiveSensors();
    if (m_pHost) m_pHost->CreateDataEntries(kind);
}
