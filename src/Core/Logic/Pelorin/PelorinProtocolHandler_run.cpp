// Runs of the Pelorin logger: start on acknowledgement or first packet, data packets decoded row
// by row into the data store, downloads of stored runs, snapshots and photogate events.
#include "Core/Logic/Pelorin/PelorinProtocolHandler.h"

#include "Core/Logic/Pelorin/PelorinDiagnostics.h"

#include <QList>

#include <algorithm>
#include <cmath>

using namespace Pelorin;

namespace {

void Log(const char* text) { MyOutputDebugString(text, DiagPelorinHan); }

// Photogate numbers index the data store's table of 14 gates.
constexpr int kTimingGates = 14;

} // namespace

bool CPelorinProtocolHandler::SetupTriggered()
{
    // A hand-sampled run starts on its acknowledgement whatever trigger the setup holds: the
    // logger takes each sample when asked, so its first packet starts no second run.
    SetupView s;
    return ReadSetup(s) && s.rateCode != 0 && (s.triggerType == 1 || s.triggerType == 2);
}

void CPelorinProtocolHandler::RunAckHandler()
{
    Log("RunAckHandler");
    ClearDataReceptionStamp();
    SetupView s;
    ReadSetup(s);
    qint32 counter = 0;
    {
        QMutexLocker lock(&m_RecordLock);
        counter = m_Logger.packetCounter;
    }
    // One Run request is one run: an acknowledgement that comes after its run started (late,
    // repeated, or the answer to a resend) changes nothing.
    if (!m_bSnapShot && (m_bRunAnswered || (s.rateCode != 0 && m_bRunning && counter > 0))) {
        Log("RunAckHandler repeated acknowledgement");
        return;
    }
    m_RateCode = s.rateCode;
    if (s.rateCode != 0) {
        QMutexLocker lock(&m_RecordLock);
        m_Logger.packetCounter = 0;
        counter = 0;
    }
    if (m_bSnapShot)
        return;
    // A triggered run starts with its first data packet.
    if (s.rateCode != 0 && (s.triggerType == 1 || s.triggerType == 2))
        return;
    // A further manual sample of a run already started.
    if (s.rateCode == 0 && counter != 0)
        return;
    ExperimentStartedHandler(1);
}

void CPelorinProtocolHandler::ExperimentStartedHandler(int kind)
{
    StopKeepAliveTimer();
    m_bRunning = true;
    if (m_pHost)
        m_pHost->ClearControlRelay();
    m_bRunRequested = false;
    if (kind == 1)
        m_bRunAnswered = true;
    m_LastPacketNumber = 0;
    if (kind != 4)
        CreateDataEntry(0, kind);
    PreRunResetVaribles();
}

void CPelorinProtocolHandler::CreateDataEntry(int, int kind)
{
    m_ExperimentType = kind;
    if (m_pHost) {
        m_pHost->CreateDataEntries(m_pLogger, static_cast<unsigned char>(kind));
        m_pHost->CountRun(false);
    }
    Log("CreateDataEntry LEFT");
}

int CPelorinProtocolHandler::DataRowBytes(int& channels)
{
    m_PlanMode = m_bSnapShot ? PacketMode::Snapshot : m_bDownload ? PacketMode::Download : PacketMode::Live;
    m_SelectedIndex.clear();
    if (m_pHost && m_PlanMode != PacketMode::Download)
        m_pHost->SelectedIndexes(m_SelectedIndex);
    const ICatalogView& catalog = Catalog();
    int bytes = 0;
    {
        // The plan and the calibration pairs of this packet are taken from one consistent view.
        QMutexLocker lock(&m_RecordLock);
        bytes = BuildDecodePlan(m_Logger, catalog, m_SelectedIndex, m_PlanMode, m_Plan, channels);
        m_PlanChannels = std::clamp(channels, 0, kMaxChannels);
        std::copy(std::begin(m_Logger.positions), std::end(m_Logger.positions), std::begin(m_PlanPositions));
        m_PlanPairs = 0;
        for (int ch = 0; ch < m_PlanChannels; ++ch) {
            const int t = TableIndexOf(m_Logger, m_PlanMode, ch);
            if (t >= 0 && t < kMaxPositions && t < m_Logger.channelCount)
                m_PlanPair[m_PlanPairs++] = {t, m_Logger.channels[t].gain, m_Logger.channels[t].offset};
        }
    }
    return bytes;
}

bool CPelorinProtocolHandler::AcceptDataHeader(const unsigned char* header, int lengthByte)
{
    // The length byte of a data packet covers its opcode and header, not its rows.
    if (lengthByte != 1 + Pelorin::CPelorinRxMachine::kDataHeaderSize)
        return false;
    const qint64 number = ReadU32(header);
    const int rows = ReadU16(header + 4);
    // A snapshot asks for one row.
    if (m_bSnapShot)
        return rows <= 1;
    QMutexLocker lock(&m_RecordLock);
    const int packetSize = m_bDownload ? kDownloadPacketRows : int(m_Logger.runPacketSize);
    if (packetSize > 0 && rows > packetSize)
        return false;
    // Numbers run from 1 to the packets the run (or the download) has.
    const qint64 expected = m_Logger.packetsExpected;
    return expected <= 0 || number <= expected;
}

void CPelorinProtocolHandler::DataPacketHeaderHandler(const unsigned char* header)
{
    if (!m_bSnapShot) {
        // A triggered run starts here; so does a requested run whose acknowledgement got lost.
        if (RecordCopy().packetCounter == 0 && !m_bDownload) {
            const bool lostAck = m_bRunRequested && !m_bRunning;
            if (lostAck || SetupTriggered())
                ExperimentStartedHandler(1);
            // Data of a requested run answer the request as well as its acknowledgement would:
            // the sender must not send it again and start a second run.
            if (lostAck)
                SignalCmdRecivedEvent();
        }
    }
    const quint32 number = ReadU32(header);
    // Packets are numbered from 1 in each run and download: a number already taken is a packet
    // the link delivered twice, and a skipped number a lost one, whose rows become gaps.
    m_bRepeatedPacket = !m_bSnapShot && m_LastPacketNumber > 0 && number <= m_LastPacketNumber;
    m_LostRows = 0;
    if (m_bRepeatedPacket) {
        Log("DataPacketHeaderHandler repeated packet dropped");
    } else if (!m_bSnapShot && (m_bRunning || m_bDownload)) {
        QMutexLocker lock(&m_RecordLock);
        const qint64 lost = LostPacketsBefore(number);
        m_Logger.packetCounter += qint32(1 + lost);
        m_LastPacketNumber = number;
        m_LostRows = lost * (m_bDownload ? kDownloadPacketRows : qint64(m_Logger.runPacketSize));
    }
    QMutexLocker lock(&m_RecordLock);
    m_Logger.packetNumber = number;
    m_Logger.samplesPerPacket = ReadU16(header + 4);
}

qint64 CPelorinProtocolHandler::LostPacketsBefore(quint32 number) const
{
    // Only a run of known length has whole packets to miss (the header's number was checked
    // against it); a manual sample that went missing is simply not there.
    const qint64 expected = m_Logger.packetsExpected;
    if (expected <= 0 || (!m_bDownload && m_RateCode == 0) || number <= m_LastPacketNumber + 1u)
        return 0;
    const qint64 lost = qint64(number) - qint64(m_LastPacketNumber) - 1;
    if (lost > 0)
        Log("DataPacketHeaderHandler lost packets stored as gaps");
    return std::min(lost, expected);
}

void CPelorinProtocolHandler::OnDataBlock(const unsigned char* data, int rows)
{
    if (m_PlanMode == PacketMode::Snapshot) {
        SnapShotHandler(data, rows);
    } else if (m_bRepeatedPacket) {
        m_bRepeatedPacket = false;
    } else if (!m_bRunning && m_PlanMode == PacketMode::Live) {
        // Packets still in flight after a stop belong to no run: storing them would extend the
        // finished one.
        Log("DataPacketHandler packet outside a run dropped");
    } else if (m_PlanMode == PacketMode::Live && !TakeOwedManualSample()) {
        Log("DataPacketHandler manual sample nobody asked for dropped");
    } else {
        DataPacketHandler(data, rows);
    }
}

bool CPelorinProtocolHandler::TakeOwedManualSample()
{
    int owed = m_ManualSamplesOwed.load();
    while (owed > 0) {
        if (m_ManualSamplesOwed.compare_exchange_weak(owed, owed - 1))
            return true;
    }
    // Outside a manual-sampling run every packet is taken.
    return owed < 0;
}

void CPelorinProtocolHandler::ConvertLoggerDataSample(const unsigned char* data, int rows, bool isSnapshot)
{
    const int channels = m_PlanChannels;
    const bool download = m_PlanMode == PacketMode::Download;
    // The logger's gain and offset of each position, for the conversion formulas.
    if (m_pHost) {
        for (int i = 0; i < m_PlanPairs; ++i)
            m_pHost->WriteCalibrationPair(m_PlanPair[i].position, m_PlanPair[i].gain, m_PlanPair[i].offset);
    }
    if (isSnapshot) {
        // One row was asked for.
        if (rows > 0)
            DecodeRow(m_Plan, channels, data, m_Row);
        return;
    }
    // The rows are decoded into one block and stored together; a value of a kind without bytes
    // keeps the previous row's value.
    if (m_Block.size() < size_t(rows) * size_t(channels))
        m_Block.resize(size_t(rows) * size_t(channels));
    int at = 0;
    for (int r = 0; r < rows; ++r) {
        at += DecodeRow(m_Plan, channels, data + at, m_Row);
        std::copy(m_Row, m_Row + channels, m_Block.begin() + r * channels);
    }
    if (!m_pHost || rows < 1)
        return;
    m_pHost->ConvertAndStoreRows(m_pLogger, m_Block.data(), rows, channels, download ? nullptr : m_PlanPositions,
                                 download);
    if (!download) {
        for (int r = 0; r < rows; ++r)
            Announce(PelorinEvent::NewDataArrived);
    }
}

void CPelorinProtocolHandler::DataPacketHandler(const unsigned char* data, int rows)
{
    const bool download = m_bDownload;
    if (m_LostRows > 0 && m_pHost)
        m_pHost->StoreMissingRows(m_pLogger, int(std::min<qint64>(m_LostRows, 0x7FFFFFFF)), m_PlanChannels,
                                  download ? nullptr : m_PlanPositions, download);
    m_LostRows = 0;
    ConvertLoggerDataSample(data, rows, false);
    // Every live run is watched, over any link: a logger that falls silent (or whose last
    // packet was lost) would otherwise leave the run running for good.
    if (!download && m_RateCode != 0 && m_bRunning)
        StampDataReception();
    // The last packet ends the run even when one before it was lost on the way.
    const Pelorin::LoggerRecord r = RecordCopy();
    const bool last = r.packetCounter == r.packetsExpected
                   || (r.packetsExpected > 0 && r.packetNumber >= quint32(r.packetsExpected));
    if (!last)
        return;
    if (!download) {
        Log("ExperimentEndedHandler");
        ExperimentEndedHandler();
    } else {
        DownloadFinshed();
    }
    m_bDownload = false;
}

void CPelorinProtocolHandler::ExperimentEndedHandler()
{
    StopKeepAliveTimer();
    {
        QMutexLocker lock(&m_RecordLock);
        m_Logger.packetCounter = 0;
    }
    m_bRunning = false;
    m_bRunRequested = false;
    Announce(PelorinEvent::ExperimentEnd);
}

void CPelorinProtocolHandler::DownloadFinshed()
{
    Log("DownloadFinshed");
    // The download is over: the logger no longer counts as running.
    m_bRunning = false;
    Announce(PelorinEvent::DownloadFinished, RecordCopy().offline ? 1 : 0);
}

void CPelorinProtocolHandler::StopAckHandler()
{
    Log("StopAckHandler");
    Log("ExperimentEndedHandler");
    ExperimentEndedHandler();
}

void CPelorinProtocolHandler::SnapShotHandler(const unsigned char* data, int rows)
{
    Log("SnapShotHandler");
    QList<int> values;
    if (rows > 0) {
        ConvertLoggerDataSample(data, rows, true);
        for (int ch = 0; ch < m_PlanChannels; ++ch) {
            const double v = m_Row[ch];
            values << (std::isfinite(v) ? int(std::clamp(v, -2147483648.0, 2147483647.0)) : 0);
        }
    }
    if (m_pHost)
        m_pHost->WriteSnapshot(values);
    Announce(PelorinEvent::SnapShotArrived);
    m_bSnapShot = false;
}

void CPelorinProtocolHandler::DownloadAckHandler()
{
    Log("DownloadAckHandler");
    const Pelorin::LoggerRecord r = RecordCopy();
    if (r.storedSamples <= 0) {
        // Nothing starts; without a word the Download command would seem to have been lost.
        if (m_pHost)
            m_pHost->Notify(PelorinNotice::NoStoredRun);
        return;
    }
    m_bDownload = true;
    m_LastPacketNumber = 0;
    if (!r.offline) {
        ExperimentStartedHandler(2);
    } else {
        // Recorded offline: its data folder exists already.
        if (m_bBluetooth)
            StopKeepAliveTimer();
        m_bRunning = true;
        if (m_pHost)
            m_pHost->ClearControlRelay();
        PreRunResetVaribles();
    }
    Announce(PelorinEvent::DownloadStarted);
}

void CPelorinProtocolHandler::CreateTimingData()
{
    {
        QMutexLocker lock(&m_RecordLock);
        if (m_Logger.packetCounter >= 0)
            return;
        m_Logger.packetCounter = 0;
    }
    m_bRunning = true;
    m_ExperimentType = 3;
    if (m_pHost) {
        m_pHost->CreateDataEntries(m_pLogger, 3);
        m_pHost->CountRun(true);
    }
    Log("CreateDataEntry LEFT");
    PreRunResetVaribles();
    // Results are numbered from 0 in every timing run.
    m_ProtocolState.m_TimingEventCounter = 0;
    if (m_pHost) {
        bool valid = false;
        m_pHost->CalculateTimingValue(-1, 0, false, m_pLogger, valid);
    }
}

void CPelorinProtocolHandler::HandleTimingData(const unsigned char* event, int n)
{
    if (!event || n < 7) {
        Log("HandleTimingData short event");
        return;
    }
    const int gate = event[0] & 0x3F;
    if (gate >= kTimingGates) {
        Log("HandleTimingData gate out of range");
        return;
    }
    const qint64 ticks = (qint64(event[2]) << 32) | qint64(ReadU32(event + 3));
    if (m_pHost && m_pHost->HasTimingBranch()) {
        bool valid = false;
        const double y = m_pHost->CalculateTimingValue(gate, ticks, event[1] != 0, m_pLogger, valid);
        // A result that is not a number (two edges at the same time) is no result.
        if (valid && std::isfinite(y)) {
            if (m_ProtocolState.m_TimingEventCounter < 0)
                m_ProtocolState.m_TimingEventCounter = 0;
            if (m_pHost->AppendTimingResult(double(m_ProtocolState.m_TimingEventCounter), y))
                ++m_ProtocolState.m_TimingEventCounter;
        }
    }
    Announce(PelorinEvent::NewDataArrived);
}
