#pragma once
#include <functional>
// The Dravlet handler's view of the running program: the logic manager with its data store,
// settings and command operations, the current setup record and the signal hub.
//
// The last event value of event recording and the last port are kept here: the settings file
// has no place for the port.
#include "Core/Logic/Dravlet/DravletHost.h"
#include "Core/Logic/HubHandOver.h"

#include <atomic>

#include <QMutex>

class ILogicServices;
class CSetupInfo;
class CKorvantaSignals;
class ILogger;

class CDravletCoreHost : public IDravletHost
{
public:
    explicit CDravletCoreHost(ILogicServices* logic);
    // The interface's own logger object, handed to the data store as the producer.
    void SetLogger(ILogger* logger) { m_pLogger = logger; }

    DravletSetupView ReadSetup() override;
    void RunOnInterfaceThread(std::function<void()> fn) override { onInterfaceThread(std::move(fn)); }
    void CreateRunEntries(int kind) override;
    void InitBeforeRun() override;
    void ConvertAndStore(const double* row, int count, const unsigned char* positions) override;
    void ConvertAndStoreRows(const double* rows, int rowCount, int count, const unsigned char* positions) override;
    void ConvertAndStoreLastOnlineSamples(int count, const unsigned char* positions) override;
    qint64 SamplesStored() override;
    double CalculateTimingValue(unsigned char method, double a, double b, double c, double d, double e) override;
    bool HasTimingBranch() override;
    bool AppendTimingResult(double x, double y) override;

    void LoggerIdentified(bool setTables) override;
    void UpdateSetupInfoFromCore() override;
    void RequestFirmwareUpload() override;
    void StoreSnapshotReadings(const int* readings, int count) override;
    bool RelayOn() override;
    void SetRelayOn(bool on) override;
    int PreviousEventValue() override { return m_PreviousEvent; }
    void SetPreviousEventValue(int value) override { m_PreviousEvent = value; }
    void SetLastTimingRun() override;
    const CSensorInfo* Catalogue() override;

    void LoggerStartDetection() override;
    QString LastPort() override;
    bool LastPortKnown() override { return m_LastPortKnown; }
    void SetLastPort(const QString& port) override;
    void SetLastPortKnown(bool known) override { m_LastPortKnown = known; }
    void SaveSettings() override;
    void UpdateSensorsInfo() override;
    void SendSetupCmd(bool startNow) override;
    void SendRunCmd(bool startNow) override;
    void SendTimingRunCmd(bool startNow) override;
    void SendManualSampleCmd(bool startNow) override;
    ExperimentRunMode RunMode() override;

    void LoggerEndDetection(bool found) override;
    void LoggerStatusArrived(int source) override;
    void LoggerExperimentEnd() override;
    void LoggerNewDataArrived() override;
    void LoggerSnapShotArrived() override;

    int RunCounter() const;

private:
    CSetupInfo* setup() const;
    // The setup record and the settings belong to the interface thread, where the setup window
    // changes them too: the logger threads hand their changes over.
    void onInterfaceThread(std::function<void()> fn);

    ILogicServices* m_pLogic;
    ILogger* m_pLogger = nullptr;
    // Every hub signal goes through it, raised on the interface thread.
    CHubHandOver m_HubHandOver;
    std::atomic<int> m_PreviousEvent{-1};
    std::atomic<bool> m_LastPortKnown{false};
    QMutex m_PortLock;
    QString m_LastPort;
};
