#include "Core/Logic/Pelorin/PelorinProtocol.h"

#include "Core/Logic/Pelorin/PelorinDiagnostics.h"

#include <QDateTime>

#include <algorithm>
#include <cmath>

using namespace Pelorin;

namespace {

void Log(const char* text) { MyOutputDebugString(text, DiagPelorinPro); }

// Stands in for the catalogue when no host is set: every record empty.
class CEmptyCatalog : public ICatalogView
{
public:
    bool TypeAt(int, SensorTypeView&) const override { return false; }
};

} // namespace

CPelorinProtocol::CPelorinProtocol() = default;
CPelorinProtocol::~CPelorinProtocol() = default;

void CPelorinProtocol::ResetLoggerInfo()
{
    {
        QMutexLocker lock(&m_RecordLock);
        m_Logger.Reset();
    }
    m_BootCrc = 0;
    m_BootBlockCounter = 0;
    m_BootFileSize = 0;
    m_BootBlockTotal = 0;
    m_BootEchoedBlock = 0;
    m_bBootSuccess = false;
}

const ICatalogView& CPelorinProtocol::Catalog()
{
    static const CEmptyCatalog s_Empty;
    return m_pHost ? m_pHost->Catalog() : static_cast<const ICatalogView&>(s_Empty);
}

bool CPelorinProtocol::ReadSetup(SetupView& out) { return m_pHost && m_pHost->ReadSetup(out); }

void CPelorinProtocol::WriteFrame(const QByteArray& frame) { SendToMulti(frame); }

void CPelorinProtocol::WriteFixed(const unsigned char* frame)
{
    WriteFrame(QByteArray(reinterpret_cast<const char*>(frame), kFixedRequestSize));
}

void CPelorinProtocol::GoodbyeReq()
{
    Log("GoodByeReq");
    WriteFixed(PelorinGoodByeString);
}

void CPelorinProtocol::StopReq(int)
{
    Log("StopReq");
    ClearCyclicCBuffer();
    OnReceiveRingCleared();
    WriteFixed(PelorinStopString);
}

void CPelorinProtocol::StatusReq() { WriteFixed(PelorinStatusString); }
void CPelorinProtocol::OpenUartBridgeReq() { WriteFixed(PelorinOpenUartBridgeString); }
void CPelorinProtocol::CloseUartBridgeReq() { WriteFixed(PelorinCloseUartBridgeString); }
void CPelorinProtocol::SendUartBridgeDataReq() { WriteFixed(PelorinSendUartBridgeDataString); }
void CPelorinProtocol::ReadUartBridgeDataReq() { WriteFixed(PelorinReadUartBridgeDataString); }

void CPelorinProtocol::SendLogReq()
{
    Log("SendLogReq");
    WriteFixed(PelorinSendLogString);
}

void CPelorinProtocol::DownloadDataReq()
{
    Log("DownloadDataReq");
    WriteFixed(PelorinDownloadDataString);
}

void CPelorinProtocol::KeepAliveReq() { WriteFixed(PelorinKeepAliveString); }
void CPelorinProtocol::EnterBootloaderModeReq() { WriteFixed(PelorinEnterBootloaderModeString); }

void CPelorinProtocol::ShutdownReq()
{
    Log("ShutdownReq");
    WriteFixed(PelorinShutdownString);
}

void CPelorinProtocol::HelloReq()
{
    MyOutputDebugString(QStringLiteral("HelloReq to port:%1").arg(portName()), DiagPelorinPro);
    WriteFrame(BuildHelloReq(QDateTime::currentDateTime()));
}

void CPelorinProtocol::CalcPacketSize()
{
    Log("CalcPacketSize");
    SetupView s;
    ReadSetup(s);
    const int active = int(s.RunPositions().size());
    const quint16 size = quint16(PacketSize(s.rateCode, active));
    {
        QMutexLocker lock(&m_RecordLock);
        m_Logger.samplesPerPacket = size;
        m_Logger.runPacketSize = size;
        m_Logger.packetsExpected = PacketsExpected(s.numberOfSamples, size);
    }
    MyOutputDebugString(QStringLiteral("PacketSize %1 NumberOfSample %2 RateCode  %3")
                            .arg(size)
                            .arg(s.numberOfSamples)
                            .arg(s.rateCode),
                        DiagPelorinPro);
}

void CPelorinProtocol::RunReq()
{
    Log("RunReq");
    SetupView s;
    if (!ReadSetup(s))
        return;
    const std::vector<unsigned char> positions = s.RunPositions();
    const int active = std::min(int(positions.size()), int(kMaxPositions));
    {
        QMutexLocker lock(&m_RecordLock);
        m_Logger.positionCount = active;
        std::copy(positions.begin(), positions.begin() + active, m_Logger.positions);
    }
    CalcPacketSize();

    RunRequest r;
    r.rateWord = LoggerRateWord(s.rateCode, active);
    const double period = GetLoggertExperimentInterval(short(s.rateCode), short(active)).m_PeriodSec;
    // Faster than a Bluetooth link carries: the logger records the run and we fetch it afterwards.
    r.offline = LinkIsBluetooth() && period > 0.0 && double(active) / period > 10000.0;
    r.numberOfSamples = s.numberOfSamples;
    r.triggerType = s.triggerType;
    r.triggerSensor = TriggerSensorByte(s, Catalog());
    r.triggerLevel = s.triggerLevel;
    {
        QMutexLocker lock(&m_RecordLock);
        m_Logger.offline = r.offline;
        r.packetSize = m_Logger.samplesPerPacket;
    }
    r.entries = RunEntries(s, Catalog(), positions);
    WriteFrame(BuildRunReq(r));
}

void CPelorinProtocol::SnapShotReq()
{
    Log("SnapShotReq");
    SetupView s;
    if (!ReadSetup(s))
        return;
    WriteFrame(BuildSnapShotReq(SnapshotEntries(s, Catalog())));
}

void CPelorinProtocol::SetCalibrationReq()
{
    Log("SetCalibrationReq");
    SetupView s;
    if (!ReadSetup(s))
        return;
    WriteFrame(BuildSetCalibrationReq(s.calibration));
}

void CPelorinProtocol::SetSensorRangeReq()
{
    Log("SetSensorRangeReq");
    SetupView s;
    if (!ReadSetup(s))
        return;
    WriteFrame(BuildSetSensorRangeReq(s, Catalog()));
}

void CPelorinProtocol::WriteSensorIdReq()
{
    Log("WriteSensorIdReq");
    SetupView s;
    if (!ReadSetup(s))
        return;
    WriteFrame(BuildWriteSensorIdReq(s));
}

void CPelorinProtocol::TimingByTriggerAfterReq()
{
    Log("TimingByTriggerAfterReq");
    SetupView s;
    if (!ReadSetup(s))
        return;
    int gates = 0;
    unsigned char where[2] = {0, 0};
    const QByteArray frame = BuildTimingRunReq(s, Catalog(), gates, where);
    {
        QMutexLocker lock(&m_RecordLock);
        m_Logger.positionCount = gates;
        std::fill(std::begin(m_Logger.positions), std::end(m_Logger.positions), 0);
        std::copy(where, where + std::clamp(gates, 0, 2), m_Logger.positions);
        // The timing run starts with its first event.
        m_Logger.packetCounter = -1;
    }
    WriteFrame(frame);
}

void CPelorinProtocol::OpenDigitalOutReq()
{
    Log("OpenDigitalOutReq");
    WriteFrame(BuildOpenDigitalOutReq());
}

void CPelorinProtocol::RenameReq()
{
    Log("RenameReq");
    WriteFrame(BuildRenameReq());
}

void CPelorinProtocol::EnterBootloaderInfoModeReq(quint32 fileSize)
{
    Log("EnterBootloaderInfoModeReq");
    m_BootFileSize = fileSize;
    m_BootBlockTotal = (fileSize + kBootBlockSize - 1) / kBootBlockSize;
    m_BootBlockCounter = 0;
    m_BootCrc = 0;
    WriteFrame(BuildBootloaderInfoReq(fileSize));
}

void CPelorinProtocol::SendBootloaderDataPacketReq(const char* data, int n)
{
    Log("BootloaderDataPacketReq");
    n = data ? std::clamp(n, 0, kBootBlockSize) : 0;
    const QByteArray frame = BuildBootloaderDataPacketReq(m_BootBlockCounter, reinterpret_cast<const unsigned char*>(data), n);
    CalcBootloaderCRC(data, n);
    WriteFrame(frame);
}

void CPelorinProtocol::LeaveBootloaderModeReq()
{
    Log("LeaveBootloaderModeReq");
    WriteFrame(BuildLeaveBootloaderReq(m_BootCrc));
}

quint16 CPelorinProtocol::CalcBootloaderCRC(const char* data, int n)
{
    Log("CalcBootloaderCRC");
    m_BootCrc = Crc16Update(m_BootCrc, reinterpret_cast<const unsigned char*>(data), data ? n : 0);
    return m_BootCrc;
}

void CPelorinProtocol::HelloRes(const unsigned char* data, int n)
{
    Log("HelloRes");
    QMutexLocker lock(&m_RecordLock);
    if (!ParseHelloRes(data, n, m_Logger))
        Log("HelloRes short reply");
}

void CPelorinProtocol::StatusRes(const unsigned char* data, int n)
{
    Log("StatusRes");
    const ICatalogView& catalog = Catalog();
    QMutexLocker lock(&m_RecordLock);
    if (!ParseStatusRes(data, n, m_Logger.version[5] == 16, catalog, m_Logger))
        Log("StatusRes channel count does not match the reply");
}

void CPelorinProtocol::DownloadDataRes(const unsigned char* data, int n)
{
    Log("DownloadDataRes");
    const ICatalogView& catalog = Catalog();
    qint32 samples = 0;
    {
        QMutexLocker lock(&m_RecordLock);
        if (!ParseDownloadDataRes(data, n, catalog, m_Logger))
            Log("DownloadDataRes channel count does not match the reply");
        samples = m_Logger.numberOfSamples;
    }
    if (m_pHost)
        m_pHost->WriteDownloadedSamples(samples);
}

void CPelorinProtocol::KeepAliveRes(const unsigned char* data, int n)
{
    Log("KeepAliveRes");
    {
        QMutexLocker lock(&m_RecordLock);
        ParseKeepAliveRes(data, n, m_Logger);
    }
    if (m_pHost)
        m_pHost->KeepAliveReplied();
}

void CPelorinProtocol::BootLoaderInfoPacketRes(const unsigned char* data, int n)
{
    Log("BootLoaderInfoPacketRes");
    if (data && n >= 2)
        m_BootEchoedBlock = ReadU16(data);
}

void CPelorinProtocol::LeaveBootloaderRes(const unsigned char* data, int n)
{
    const unsigned char result = (data && n >= 1) ? data[0] : 0;
    m_bBootSuccess = result == 1;
    Log(result == 1 ? "LeaveBootloaderRes  SUCCESS" : "LeaveBootloaderRes  FAILED");
}

void CPelorinProtocol::SendLogRes(const unsigned char* data, int n)
{
    // The first byte gives the log's length; only the bytes that arrived are copied.
    if (!data || n < 1)
        return;
    m_LogBuffer = QByteArray(reinterpret_cast<const char*>(data) + 1, std::min<int>(data[0], n - 1));
}

int CPelorinProtocol::ConvertFwSensoreIdToSensorInfoPostion(int id) { return IndexBySensorId(Catalog(), id); }

int CPelorinProtocol::LoggerSensorList(unsigned char* out) const
{
    if (!out)
        return 0;
    std::fill(out, out + kMaxPositions, 0);
    QMutexLocker lock(&m_RecordLock);
    const int n = std::clamp(m_Logger.channelCount, 0, kMaxChannels);
    for (int i = 0; i < n; ++i)
        out[i] = static_cast<unsigned char>(m_Logger.channels[i].catalogIndex);
    return n;
}

int CPelorinProtocol::ActiveSensorListIndex(unsigned char* out) const
{
    if (!out)
        return 0;
    std::fill(out, out + kMaxPositions, 0);
    QMutexLocker lock(&m_RecordLock);
    const int n = std::clamp(m_Logger.positionCount, 0, kMaxPositions);
    std::copy(m_Logger.positions, m_Logger.positions + n, out);
    return n;
}

void CPelorinProtocol::Version(int& v1, int& v2, int& v3, int& v4, int& v5, int& v6) const
{
    QMutexLocker lock(&m_RecordLock);
    const unsigned char* v = m_Logger.version;
    v1 = v[0];
    v2 = v[1];
    v3 = v[4];
    v4 = v[5];
    v5 = v[2];
    v6 = v[3];
}
