#pragma once
// The Dravlet stack's host over the real objects: the setup record, the catalogue, the data
// store, the logic manager's services and the hub. It has no threads of its own and raises hub
// signals at once, on the calling thread; CDravletManagerHost adds what a live link needs on top.
// A manager's threads may still call it (tests drive a live manager over it): what it writes
// into the setup record or the settings is done on the interface thread, where the setup window
// writes them too, and the port and the last event value it keeps are safe to share.
#include "Core/Logic/Dravlet/DravletHost.h"
#include "Core/Logic/Dravlet/DravletTiming.h"

#include <QMutex>
#include <QString>

#include <atomic>

class ILogicServices;
class CKorvantaSignals;
class CSetupInfo;
class ILogger;

// Raises the hub signal of a Dravlet event (nothing without a hub).
void RaiseDravletEvent(CKorvantaSignals* hub, DravletEvent event, int arg);

class CDravletCoreHost : public IDravletHost
{
public:
    explicit CDravletCoreHost(ILogicServices* logic);
    // The interface's own logger object, handed to the data store as the producer.
    void SetLogger(ILogger* logger) { m_pLogger = logger; }

    // ---- setup
    const CSensorInfo* Catalogue() override;
    DravletSetupView ReadSetup() override;
    void WriteSnapshot(const QList<int>& values) override;
    void UpdateSetupInfoFromCore() override;

    // ---- data store
    void CreateDataEntries(int kind) override;
    void InitBeforeRun() override;
    void ConvertAndStoreRows(const double* rows, int rowCount, int count, const unsigned char* positions) override;
    void ConvertAndStoreLastOnlineSamples(int count, const unsigned char* positions) override;
    qint64 SamplesStored() override;
    double CalculateTimingValue(unsigned char method, double a, double b, double c, double d, double e) override;
    bool HasTimingBranch() override;
    bool AppendTimingResult(double x, double y) override;

    // ---- logic manager
    void LoggerIdentified(bool setTables) override;
    void SetLastTimingRun() override;
    bool RelayOn() override;
    void SetRelayOn(bool on) override;
    ExperimentRunMode RunMode() override;
    void UpdateSensorsInfo() override;
    void SaveSettings() override;

    // ---- commands
    void RequestFirmwareUpload() override;
    void SendSetupCmd(bool startNow) override;
    void SendRunCmd(bool startNow) override;
    void SendTimingRunCmd(bool startNow) override;
    void SendManualSampleCmd(bool startNow) override;

    // ---- manager
    void RunOnInterfaceThread(std::function<void()> fn) override;
    QString LastPort() override;
    bool LastPortKnown() override { return m_bLastPortKnown; }
    void SetLastPort(const QString& port) override;
    void SetLastPortKnown(bool known) override { m_bLastPortKnown = known; }
    int PreviousEventValue() override { return m_PreviousEvent; }
    void SetPreviousEventValue(int value) override { m_PreviousEvent = value; }

    // ---- signal hub
    void Announce(DravletEvent event, int arg = 0) override;

    int RunCounter() const;

protected:
    ILogicServices* Logic() const { return m_pLogic; }
    ILogger* Logger() const { return m_pLogger; }
    // The setup record the logic manager was handed.
    CSetupInfo* Setup() const;

private:
    // One row, as the rows wider than the interface's channels are stored.
    void storeRow(const double* row, int count, const unsigned char* positions);

    ILogicServices* m_pLogic;
    ILogger* m_pLogger = nullptr;
    // The timing run's formulas and what they keep between the interface's results.
    CDravletTiming m_Timing;
    // The settings file has no place for the port.
    QMutex m_PortLock;
    QString m_LastPort;
    std::atomic<bool> m_bLastPortKnown{false};
    std::atomic<int> m_PreviousEvent{-1};
};
