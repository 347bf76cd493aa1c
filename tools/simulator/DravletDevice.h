#pragma once
// A stand-in for the Dravlet USB sensor interface: answers the detect request with its
// handshake (or the boot-loader's), reports its status with the setup it was given, streams
// data packets from Run until Stop or until the run's number of samples (with a level trigger
// set up, until Stop: the program counts from its trigger), answers snapshots with
// one packet of current readings; in manual sampling (logger rate code 0) a run sends one
// sample when it starts and one per sample request, nothing by itself; sends timing events
// during a timing run,
// keeps the auto-detect flag and the control relay. Resent requests are answered again without
// disturbing a run in progress.
#include "simulator/DeviceModel.h"
#include "simulator/PhotogateLesson.h"

#include <QByteArray>
#include <QVector>
#include <memory>

namespace kvsim {

class CDravletDeviceModel : public IDeviceModel
{
public:
    // One plugged sensor: the 12-bit id it reports and how its readings travel
    // (0x1000 two bytes, 0x2000/0x3000/0x4000 four bytes, anything else none).
    struct Sensor
    {
        int id = 0xFFF;
        quint16 kind = 0x1000;
        // Raw reading of sample n in the counting pattern: base + step * n (12-bit values are
        // masked to 12 bits).
        qint64 base = 0;
        qint64 step = 0;
        // Where the signal of a 12-bit reading moves otherwise. Readings of four bytes
        // (times, counts, distances) always count.
        RawSpan span;
    };

    static constexpr int kChannels = 8;

    CDravletDeviceModel();

    QString name() const override { return QStringLiteral("dravlet"); }
    quint16 vendorId() const override { return 0x1F0C; }
    quint16 productId() const override { return 0x1000; }
    int frameLength(const unsigned char* data, int size) const override;
    void onFrame(const QByteArray& frame, ISimOutput& out) override;
    int tickIntervalMs() const override;
    void onTick(ISimOutput& out) override;
    void onReplug() override;
    void setSignal(const SignalSettings& settings) override { m_signal = settings; }

    // ---- configuration (call through CLoggerSimulator::invoke while running)
    void setSensors(const QVector<Sensor>& sensors);
    void setBootLoader(bool on) { m_bootLoader = on; }
    void setCalibration(qint16 c1, qint16 c2) { m_c1 = c1; m_c2 = c2; }
    void setVersions(int fwMajor, int fwMinor, int hwMajor, int hwMinor);
    void setPacketIntervalMs(int ms) { m_packetIntervalMs = ms; }
    // Raw zero readings reported in the status, per channel.
    void setZeroReading(int channel, quint16 raw);
    // Packets still streamed after the run's number of samples was reached, stop or not.
    void setOverrunPackets(int count) { m_overrun = count; }
    // The first byte of a data packet, which the interface gives no meaning: a constant (0) by
    // default, or the packet count modulo 256.
    void setFirstByteCounting(bool on) { m_firstByteCounts = on; }
    // Photogates (catalogue entry 2) on the first one or two channels, in place of the other
    // sensors: sampled runs read the gates' levels, timing runs report the lesson's passages.
    void setPhotogates(const PhotogateSettings& settings);
    // Timing events sent, one per tick, during a timing run: t1..t4 clock counts.
    void queueTimingEvent(quint32 t1, quint32 t2, quint32 t3 = 0, quint32 t4 = 0);
    // The interface restarts (its power cycled): it forgets the setup and the detection mode it
    // was given, leaves the bus and comes back as a new device absentMs later.
    void restart(int absentMs = kDefaultRestartAbsenceMs);
    // Long enough for a port list polled about once a second to see the interface gone.
    static constexpr int kDefaultRestartAbsenceMs = 2500;

    // ---- what the host made of it
    bool isRunning() const { return m_running; }
    bool isTimingRun() const { return m_timingRun; }
    bool relayOn() const { return m_relayOn; }
    int relayChannelBits() const { return m_relayBits; }
    bool autoDetect() const { return m_autoDetect; }
    bool inBootLoader() const { return m_bootLoaderRequested; }
    int samplesSent() const { return m_sampleIndex; }
    int packetsSent() const { return m_packets; }
    int runsStarted() const { return m_runs; }
    int numberOfSamples() const { return m_numberOfSamples; }
    int loggerRateCode() const { return m_loggerRate; }
    int timingMethod() const { return m_timingMethod; }
    int numberOfGates() const { return m_gates; }
    int opcodeCount(unsigned char opcode) const { return m_opcodeCount[opcode]; }
    QByteArray lastSetup1() const { return m_setup1; }
    QByteArray lastSetup2() const { return m_setup2; }

    // The 61 status bytes the device would report now.
    QByteArray statusPayload() const;
    QByteArray handshakePayload() const;
    // One 29-byte data packet of the samples from `firstSample` on; with atSec of 0 or more, the
    // readings the signal has that many seconds after the start (a snapshot's).
    QByteArray dataPacket(int firstSample, int samples, double atSec = -1.0) const;

    static int hostFrameLength(unsigned char opcode);

private:
    static QByteArray reply(unsigned char opcode, const QByteArray& payload = QByteArray());
    void applySetup1(const QByteArray& f);
    void applySetup2(const QByteArray& f);
    // False when a run was streaming already (a resent Run).
    bool startRun();
    bool manualSampling() const { return m_loggerRate == 0; }
    void sendNextSample(ISimOutput& out);
    int samplesPerPacket() const;
    qint64 rawReading(int channel, int sample, double t) const;
    // Seconds from one sample to the next at the logger rate code of the setup.
    double samplePeriodSec() const;

    QVector<Sensor> m_sensors;
    SignalSettings m_signal{SignalShape::Counter};
    quint16 m_zeroReading[kChannels] = {};
    bool m_bootLoader = false;
    bool m_bootLoaderRequested = false;
    qint16 m_c1 = 4095, m_c2 = 2047; // identity calibration
    int m_fwMajor = 2, m_fwMinor = 5, m_hwMajor = 1, m_hwMinor = 3;
    int m_packetIntervalMs = 20;
    bool m_firstByteCounts = false;

    bool m_autoDetect = true;
    quint8 m_timerCount = 255, m_timerReload = 245;
    quint16 m_ticks = 4;
    int m_perPacketSetting = 0;
    int m_numberOfSamples = 89;
    int m_loggerRate = 6;
    int m_timingMethod = 0, m_gates = 1;
    quint8 m_timingParam[2] = {};
    quint16 m_triggerLevel = 0;
    quint8 m_triggerByte = 0;
    QByteArray m_setup1, m_setup2;

    bool m_running = false;
    bool m_timingRun = false;
    int m_runs = 0;
    int m_sampleIndex = 0;
    int m_packets = 0;
    int m_overrun = 0;
    int m_overrunLeft = 0;
    bool m_relayOn = false;
    int m_relayBits = 0;
    QVector<QVector<quint32>> m_timingEvents;
    std::unique_ptr<CPhotogateLesson> m_photogates;
    std::unique_ptr<CPhotogateFeed> m_feed;
    int m_restartAbsentMs = -1;  // a restart asked for, carried out at the next tick
    qint64 m_timingStartMs = 0;
    int m_opcodeCount[256] = {};
};

} // namespace kvsim
