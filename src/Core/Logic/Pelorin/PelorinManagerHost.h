#pragma once
// The Pelorin manager's host: the core host's setup, catalogue and data-store access, with what
// a live link needs on top. Events of the logger threads reach the hub on the interface thread,
// in the order they happened; the setup record is written there too; the keep-alive answer,
// the run counter, the relay flag and the shutdown go to the logic manager; a lost link goes
// down the unplug path; waits on the logger threads give way to the program's exit.
#include "Core/Logic/HubHandOver.h"
#include "Core/Logic/Pelorin/PelorinCoreHost.h"

#include <QMutex>

#include <atomic>
#include <functional>

class CPelorinManager;

class CPelorinManagerHost : public CPelorinCoreHost
{
public:
    CPelorinManagerHost(ILogicServices* logic, CPelorinManager* manager);

    // ---- setup
    // The setup record belongs to the interface thread: the command sender and the packet
    // processor read the copy taken there when the last command was given.
    bool ReadSetup(Pelorin::SetupView& out) override;
    void SelectedIndexes(std::vector<int>& out) override;
    void RefreshSetup();
    void WriteCalibrationPair(int position, float gain, float offset) override;
    void WriteSnapshot(const QList<int>& values) override;
    void UpdateSetupInfoFromCore(ILogger* logger, const Pelorin::LoggerRecord& record) override;

    // ---- data store
    void ConvertAndStoreRows(ILogger* logger, const double* rows, int rowCount, int count,
                             const unsigned char* positions, bool download) override;

    // ---- logic manager
    void CountRun(bool timingRun) override;
    void ClearControlRelay() override;
    void KeepAliveReplied() override;
    void StopSetupTimers() override;

    // ---- manager
    void WaitHere(int ms) override;
    void ReportPortRemoval(const QString& portName, quint16 vendor, quint16 product) override;

    // ---- signal hub
    void Announce(PelorinEvent event, int arg = 0) override;
    void Notify(PelorinNotice notice) override;

    // Called after every stored block (benchmarks measure the storage delay).
    void SetStoreObserver(std::function<void(int rows)> observer) { m_StoreObserver = std::move(observer); }

private:
    ILogicServices* m_pLogicManager;
    CPelorinManager* m_pManager;
    std::function<void(int rows)> m_StoreObserver;
    CHubHandOver m_HubHandOver;
    QMutex m_SetupLock;
    Pelorin::SetupView m_Setup;
    bool m_bSetupTaken = false;
    // The pairs last handed to the interface thread (packet processor only).
    struct Pair
    {
        bool known = false;
        float gain = 0.0f;
        float offset = 0.0f;
    };
    Pair m_SentPairs[Pelorin::kMaxPositions];
};
