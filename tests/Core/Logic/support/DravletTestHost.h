#pragma once
// A scripted stand-in for the program around the Dravlet handler: it records what the handler
// asks of the data store, the logic manager and the hub, and answers from a setup it is given.
#include "Core/Base/ILogger.h"
#include "Core/Logic/Dravlet/DravletHost.h"
#include "Core/Logic/Dravlet/DravletProtocolHandler.h"

#include <atomic>

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QStringList>
#include <QVector>

class CDravletTestHost : public IDravletHost
{
public:
    DravletSetupView ReadSetup() override { QMutexLocker l(&m_lock); return m_setup; }
    void CreateDataEntries(int kind) override
    {
        log(QStringLiteral("entries %1").arg(kind));
        QMutexLocker l(&m_lock);
        m_entryRows << m_rows.size(); // rows stored before this run's folder was made
        ++m_entries;
    }
    void InitBeforeRun() override { log(QStringLiteral("init")); }
    void ConvertAndStoreRows(const double* rows, int rowCount, int count, const unsigned char* positions) override
    {
        QMutexLocker l(&m_lock);
        for (int row = 0; row < rowCount; ++row) {
            QVector<double> r;
            for (int i = 0; i < count; ++i) r << rows[row * count + i];
            m_rows << r;
        }
        m_positions.clear();
        for (int i = 0; i < count; ++i) m_positions << positions[i];
    }
    void ConvertAndStoreLastOnlineSamples(int, const unsigned char*) override { log(QStringLiteral("last")); }
    // Rows of the current run, as the data store counts them.
    qint64 SamplesStored() override
    {
        QMutexLocker l(&m_lock);
        return m_rows.size() - (m_entryRows.isEmpty() ? 0 : m_entryRows.last());
    }
    double CalculateTimingValue(unsigned char method, double a, double b, double c, double d, double e) override
    {
        QMutexLocker l(&m_lock);
        m_timingArgs << QVector<double>{double(method), a, b, c, d, e};
        return m_timingResults.isEmpty() ? 0.0 : m_timingResults.takeFirst();
    }
    bool HasTimingBranch() override { return m_hasTimingBranch; }
    bool AppendTimingResult(double x, double y) override
    {
        QMutexLocker l(&m_lock);
        m_timingStored << qMakePair(x, y);
        return true;
    }
    void LoggerIdentified(bool tables) override { log(tables ? QStringLiteral("identified") : QStringLiteral("identified-boot")); }
    void UpdateSetupInfoFromCore() override { log(QStringLiteral("update-setup")); }
    void RequestFirmwareUpload() override { log(QStringLiteral("firmware")); }
    void WriteSnapshot(const QList<int>& values) override
    {
        QMutexLocker l(&m_lock);
        m_snapshot = values.toVector();
    }
    bool RelayOn() override { return m_relay; }
    void SetRelayOn(bool on) override { m_relay = on; }
    int PreviousEventValue() override { return m_previous; }
    void SetPreviousEventValue(int v) override { m_previous = v; }
    void SetLastTimingRun() override { log(QStringLiteral("timing-run")); }
    QString LastPort() override { QMutexLocker l(&m_lock); return m_lastPort; }
    bool LastPortKnown() override { return m_lastPortKnown; }
    void SetLastPort(const QString& port) override { QMutexLocker l(&m_lock); m_lastPort = port; }
    void SetLastPortKnown(bool known) override { m_lastPortKnown = known; }
    void SaveSettings() override { log(QStringLiteral("save-settings")); }
    void UpdateSensorsInfo() override { log(QStringLiteral("update-sensors")); }
    // The logic manager's command operations, as far as the tests need them.
    void SendSetupCmd(bool start) override
    {
        log(QStringLiteral("setup-cmd"));
        if (!m_pLogger) return;
        CommandParametersStruct c(CmdSetup);
        c.SetWord(ParSetupRateCode, quint16(m_setupLoggerRate));
        c.SetWord(ParSetupSamples, quint16(m_setupSamples));
        c.SetWord(ParSetupTriggerLevel, 0xFFFF);
        c.SetWord(ParSetupTriggerChannel, 0xFFFF);
        m_pLogger->SendCmd(c, start);
    }
    void SendRunCmd(bool start) override
    {
        log(QStringLiteral("run-cmd"));
        if (m_pLogger) m_pLogger->SendCmd(CommandParametersStruct(CmdRun), start);
    }
    void SendTimingRunCmd(bool start) override
    {
        log(QStringLiteral("timing-cmd"));
        if (!m_pLogger) return;
        if (m_pLogger->m_pProtocolState) m_pLogger->m_pProtocolState->m_TimingEventCounter = -1;
        m_pLogger->SendCmd(CommandParametersStruct(CmdTimingRun), start);
    }
    void SendManualSampleCmd(bool start) override
    {
        log(QStringLiteral("manual-cmd"));
        if (m_pLogger) m_pLogger->SendCmd(CommandParametersStruct(CmdManualSample), start);
    }
    ExperimentRunMode RunMode() override { return ExperimentRunMode(m_runMode); }
    // The hub's signals, recorded by name (the new-data signals counted).
    void Announce(DravletEvent event, int arg = 0) override
    {
        switch (event) {
        case DravletEvent::StartDetection: log(QStringLiteral("start-detection")); break;
        case DravletEvent::EndDetection: log(QStringLiteral("end-detection %1").arg(arg != 0 ? 1 : 0)); break;
        case DravletEvent::StatusArrived: log(QStringLiteral("status %1").arg(arg)); break;
        case DravletEvent::ExperimentEnd: log(QStringLiteral("end")); break;
        case DravletEvent::NewDataArrived: { QMutexLocker l(&m_lock); ++m_newData; } break;
        case DravletEvent::SnapShotArrived: log(QStringLiteral("snapshot")); break;
        case DravletEvent::PressBeforeTrigger: log(QStringLiteral("press-before-trigger %1").arg(arg)); break;
        }
    }

    int count(const QString& event) const { QMutexLocker l(&m_lock); return m_events.count(event); }
    QStringList events() const { QMutexLocker l(&m_lock); return m_events; }
    QList<QVector<double>> rows() const { QMutexLocker l(&m_lock); return m_rows; }
    int newData() const { QMutexLocker l(&m_lock); return m_newData; }

    void setSetup(const DravletSetupView& s) { QMutexLocker l(&m_lock); m_setup = s; }

    DravletSetupView m_setup;
    ILogger* m_pLogger = nullptr;
    int m_setupLoggerRate = 6;
    int m_setupSamples = 89;
    int m_runMode = 0;
    QString m_lastPort;
    std::atomic<bool> m_lastPortKnown{false};
    QList<QVector<double>> m_rows;
    QVector<int> m_positions;
    QVector<int> m_entryRows;
    QList<QVector<double>> m_timingArgs;
    QList<double> m_timingResults;
    QList<QPair<double, double>> m_timingStored;
    QVector<int> m_snapshot;
    bool m_hasTimingBranch = true;
    std::atomic<bool> m_relay{false};
    std::atomic<int> m_previous{-1};
    std::atomic<int> m_entries{0};
    int m_newData = 0;

private:
    void log(const QString& e) { QMutexLocker l(&m_lock); m_events << e; }
    mutable QMutex m_lock;
    QStringList m_events;
};

// The handler with its frames captured instead of written to a port.
class CCapturingDravletHandler : public CDravletProtocolHandler
{
public:
    CCapturingDravletHandler() { m_StopDelayMs = 0; }
    QList<QByteArray> m_sent;
    DravletInterfaceState& state() { return m_State; }

    // Feeds bytes and runs the machine as the packet processor would.
    void feed(const QByteArray& bytes, CommandParametersStruct& current)
    {
        WriteCycliceBuffer(bytes.size(), reinterpret_cast<const unsigned char*>(bytes.constData()));
        int guard = 0;
        while (SomethingInCycliceBufferFunction() && ++guard < 100000) DataReceivedHandler(current);
    }
    int sentCount(const QByteArray& frame) const { return m_sent.count(frame); }

protected:
    bool WriteFrame(const unsigned char* data, int size) override
    {
        m_sent << QByteArray(reinterpret_cast<const char*>(data), size);
        return true;
    }
};
