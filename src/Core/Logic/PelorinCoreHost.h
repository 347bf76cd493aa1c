#pragma once
// The Pelorin stack's view of the running program: the setup record, the catalogue, the data
// store, the logic manager's services and the signal hub, all reached through the logic
// manager it was given.
#include "Core/Logic/PelorinCatalog.h"
#include "Core/Logic/PelorinHost.h"

#include <atomic>
#include <functional>

class CLogicManager;
class CPelorinManager;

class CPelorinCoreHost : public IPelorinHost
{
public:
    CPelorinCoreHost(CLogicManager* logic, CPelorinManager* manager);

    const Pelorin::ICatalogView& Catalog() override { return m_Catalog; }
    bool ReadSetup(Pelorin::SetupView& out) override;
    void SelectedIndexes(std::vector<int>& out) override;
    void WriteCalibrationPair(int position, float gain, float offset) override;
    void WriteSnapshot(const QList<int>& values) override;
    void WriteDownloadedSamples(int samples) override;

    void CreateDataEntries(ILogger* logger, unsigned char kind) override;
    void ConvertAndStoreRows(ILogger* logger, const double* rows, int rowCount, int count,
                             const unsigned char* positions, bool download) override;
    double CalculatePelorinTimingValue(int gate, qint64 time, bool unblock, ILogger* logger,
                                       bool& valid) override;
    bool HasTimingBranch() override;
    bool AppendTimingResult(double x, double y) override;
    void InitBeforeRun(ILogger* logger) override;

    void UpdateSetupInfoFromCore(ILogger* logger, const Pelorin::LoggerRecord& record) override;
    void LoggerIdentified(ILogger* logger, bool bootLoader) override;
    void CountRun(bool timingRun) override;
    void ClearControlRelay() override;
    void KeepAliveReplied() override;
    void WaitHere(int ms) override;
    void ReportPortRemoval(const QString& portName, quint16 vendor, quint16 product) override;
    void StopSetupTimers() override;
    void Announce(PelorinEvent event, int arg = 0) override;

    // Called after every stored block (benchmarks and tests measure the storage delay).
    void SetStoreObserver(std::function<void(int rows)> observer) { m_StoreObserver = std::move(observer); }

private:
    CLogicManager* m_pLogic;
    CPelorinManager* m_pManager;
    CPelorinCatalog m_Catalog;
    std::function<void(int rows)> m_StoreObserver;
    std::atomic<int> m_PendingNewData{0};
};
