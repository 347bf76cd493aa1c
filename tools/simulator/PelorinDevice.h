#pragma once
// A simulated Pelorin logger for the simulator harness. It answers the host's requests with the
// logger's frames ("=" 0xB7, length, opcode, payload, numbers big-endian), streams data packets
// at the requested rate and count, records runs offline and serves them for download, sends
// snapshots and photogate events, runs the boot-loader with its CRC-16 check, and can announce
// its shutdown. It is written from the wire format alone and shares no code with the program.
#include "simulator/DeviceModel.h"
#include "simulator/PhotogateLesson.h"

#include <QByteArray>
#include <QList>
#include <QVector>
#include <memory>

namespace kvsim {

class CPelorinDevice : public IDeviceModel
{
public:
    // One plug as the status reply reports it. A plain sensor has idHigh 0 and one value; a
    // multi-range or multi-sensor plug (idHigh not 0) has one value per entry of valueWidths.
    struct Sensor
    {
        unsigned char channel = 0;
        unsigned char idHigh = 0;
        unsigned char idLow = 0;
        unsigned char range = 0;
        unsigned char gain = 0x80;  // 1.00
        unsigned char offset = 0;
        QVector<int> valueWidths = {2};  // bytes per value (2 or 4)
        // Where the signal of its 12-bit values moves (not for the counting pattern). Values of
        // four bytes always count.
        RawSpan span;
    };

    // The run the logger holds in memory (recorded offline or preset by a test).
    struct StoredRun
    {
        quint32 rateWord = 10;
        qint32 samples = 0;
        // Per downloaded channel: id high, id low, gain byte, offset byte.
        QList<QByteArray> channels;
        QVector<int> widths;  // bytes per value of each channel
        QVector<RawSpan> spans;  // of each channel; the default span when missing
    };

    CPelorinDevice();

    QString name() const override { return QStringLiteral("pelorin"); }
    quint16 vendorId() const override { return 0x0483; }
    quint16 productId() const override { return 0x5740; }
    int frameLength(const unsigned char* data, int size) const override;
    void onFrame(const QByteArray& frame, ISimOutput& out) override;
    int tickIntervalMs() const override { return 2; }
    void onTick(ISimOutput& out) override;
    void onReplug() override;
    void setSignal(const SignalSettings& settings) override { m_Signal = settings; }

    // ---- set-up by tests (on the simulator thread, through CLoggerSimulator::invoke)
    void setSensors(const QList<Sensor>& sensors) { m_Sensors = sensors; }
    void setVersion(const QByteArray& six) { m_Version = six.left(6); }
    void setStoredRun(const StoredRun& run) { m_Stored = run; }
    // A run the logger recorded on its own, as Download fetches it: samples readings of every
    // sensor set so far, at the rate word given (10: ten a second).
    void holdRecordedRun(qint32 samples, quint32 rateWord = 10);
    // A level-triggered run waits until the reading on its trigger channel passes the level the
    // request gives (above or below in the sensor's value: for a type whose counts fall as its
    // value rises the counts are compared the other way round); its first sample is the one
    // that passed. With a delay set (0 or more) it starts that long after its acknowledgement
    // instead, whatever the readings.
    void setTriggerDelayMs(int ms) { m_TriggerDelayMs = ms; }
    // Photogates on the first one or two channels, in place of the other sensors: sampled
    // runs read the gates' levels and timing runs report the lesson's gate edges.
    void setPhotogates(const PhotogateSettings& settings);
    // Photogate events of a timing run without photogates set: one edge every intervalMs.
    void setTimingEventIntervalMs(int ms) { m_EventIntervalMs = ms; }
    // How many of the boot-loader's transfer requests (file size, blocks, end) it answers before
    // it falls silent; negative: all of them.
    void setBootTransferReplies(int count) { m_BootRepliesLeft = count; }
    // The user's reset with the power button: the logger leaves its boot-loader (and, when it
    // restarts as a new device, leaves the bus and comes back).
    void restartFirmware();
    // How long the logger is away from the bus when it restarts: into its boot-loader, out of
    // it after an update, after a reset. Negative: it keeps its port (for tests that plug it
    // back in themselves).
    void setRestartAbsenceMs(int ms) { m_RestartAbsenceMs = ms; }
    // Long enough for a port list polled about once a second to see the logger gone.
    static constexpr int kDefaultRestartAbsenceMs = 2500;
    // Queues the unsolicited shutdown frame.
    void announceShutdown() { m_Unsolicited.append(Frame(0x14, {})); }

    // ---- what the device saw
    bool isRunning() const { return m_Running; }
    bool inBootLoader() const { return m_BootLoader; }
    int runsStarted() const { return m_RunsStarted; }
    int packetsSent() const { return m_PacketsSent; }
    qint64 samplesSent() const { return m_SamplesSent; }
    QByteArray lastRunRequest() const { return m_LastRun; }
    QByteArray lastSensorIdWrite() const { return m_LastIdWrite; }
    QByteArray lastCalibration() const { return m_LastCalibration; }
    int bootBlocks() const { return m_BootBlocksOk; }
    bool bootCrcMatched() const { return m_BootCrcOk; }
    quint16 bootCrc() const { return m_BootCrc; }
    const StoredRun& storedRun() const { return m_Stored; }

    // The value a channel sends for a sample (tests recompute it).
    static quint32 SampleValue(int valueIndex, qint64 sample, int width);
    static quint16 Crc16(quint16 crc, const unsigned char* data, int n);

private:
    static QByteArray Frame(unsigned char opcode, const QByteArray& payload, int lengthExtra = 0);
    static QByteArray DataPacket(quint32 number, const QByteArray& rows, int count);
    void HandleRun(const QByteArray& f, ISimOutput& out);
    void HandleStatus(ISimOutput& out);
    void HandleSnapshot(ISimOutput& out);
    void HandleDownload(ISimOutput& out);
    void HandleTiming(ISimOutput& out);
    void HandleBoot(unsigned char op, const QByteArray& f, ISimOutput& out);
    void Restart(ISimOutput& out);
    void StreamDue(ISimOutput& out, qint64 nowMs);
    void EmitTiming(ISimOutput& out, qint64 nowMs);
    QByteArray Row(qint64 sample) const;
    // Until the trigger passes: false while the run still waits.
    bool WaitForTrigger(qint64 nowMs);
    bool TriggerPassed(qint64 sample) const;
    // Which value of a row the request's trigger byte names; -1 for none.
    int TriggerValueIndex(const QByteArray& request) const;
    // What value valueIndex of a row sends for a sample taken t seconds into the run.
    quint32 Reading(int valueIndex, qint64 sample, int width, const RawSpan& span, double t) const;
    void FinishOfflineRun(ISimOutput& out);
    // Bytes per value of each value of a run's rows, and the span of each.
    QVector<int> RunWidths(const QByteArray& request, QVector<RawSpan>* spans = nullptr) const;
    int WidthOfChannel(unsigned char channel, int variant) const;
    const Sensor* SensorOnChannel(unsigned char channel) const;

    QList<Sensor> m_Sensors;
    SignalSettings m_Signal{SignalShape::Counter};
    QByteArray m_Version;
    StoredRun m_Stored;
    QList<QByteArray> m_Unsolicited;

    // Current run.
    bool m_Running = false;
    bool m_Offline = false;
    bool m_Timing = false;
    QByteArray m_LastRun;
    QVector<int> m_RunWidths;
    QVector<RawSpan> m_RunSpans;
    double m_SecondsPerSample = 1.0;
    double m_RatePerMs = 0;
    qint64 m_RunSamples = 0;
    qint64 m_SamplesDone = 0;
    int m_PacketSize = 1;
    quint32 m_PacketNumber = 0;
    qint64 m_StartMs = -1;
    bool m_StartPending = false;
    qint64 m_AckMs = 0;
    int m_TriggerDelayMs = -1;
    // The level trigger: the value it watches, the samples looked at while waiting, and the
    // sample of the signal the run's first row is.
    int m_TriggerValue = -1;
    qint64 m_WaitSamples = 0;
    qint64 m_FirstSample = 0;
    QByteArray m_OfflineRows;

    // Timing run.
    int m_EventIntervalMs = 20;
    qint64 m_NextEventMs = 0;
    int m_EventCount = 0;
    unsigned char m_GateChannel = 0;
    std::unique_ptr<CPhotogateLesson> m_pPhotogates;
    std::unique_ptr<CPhotogateFeed> m_pFeed;
    qint64 m_TimingStartMs = 0;

    // Boot-loader.
    bool m_BootLoader = false;
    quint32 m_BootSize = 0;
    quint32 m_BootReceived = 0;
    quint16 m_BootExpectBlock = 0;
    quint16 m_BootCrc = 0;
    int m_BootBlocksOk = 0;
    int m_BootRepliesLeft = -1;
    bool m_BootCrcOk = false;
    int m_RestartAbsenceMs = kDefaultRestartAbsenceMs;
    bool m_ResetPending = false;

    int m_RunsStarted = 0;
    int m_PacketsSent = 0;
    qint64 m_SamplesSent = 0;
    QByteArray m_LastIdWrite;
    QByteArray m_LastCalibration;
};

} // namespace kvsim
