#pragma once
// The Pelorin stack's host over the real objects: the setup record, the catalogue, the data store
// and the hub, all reached through the logic manager at each call (with none given, the current
// one, so a logic manager created later, or replaced in a test, is the one used). It has no threads
// of its own and raises hub signals at once, on the calling thread; CPelorinManagerHost adds what
// a live link needs on top.
#include "Core/Logic/Pelorin/PelorinCatalog.h"
#include "Core/Logic/Pelorin/PelorinHost.h"
#include "Core/Logic/Pelorin/PelorinTiming.h"

class ILogicServices;
class CKorvantaSignals;
class CSetupInfo;

// Raises the hub signal of a Pelorin event (nothing without a hub).
void RaisePelorinEvent(CKorvantaSignals* hub, PelorinEvent event, int arg);

class CPelorinCoreHost : public IPelorinHost
{
public:
    // With a null logic manager the host follows the current logic manager.
    explicit CPelorinCoreHost(ILogicServices* logic = nullptr) : m_pLogic(logic) {}

    // ---- setup
    const Pelorin::ICatalogView& Catalog() override;
    bool ReadSetup(Pelorin::SetupView& out) override;
    void SelectedIndexes(std::vector<int>& out) override;
    void WriteCalibrationPair(int position, float gain, float offset) override;
    void WriteSnapshot(const QList<int>& values) override;
    void WriteDownloadedSamples(int samples) override;
    void UpdateSetupInfoFromCore(ILogger* logger, const Pelorin::LoggerRecord& record) override;

    // ---- data store
    void CreateDataEntries(ILogger* logger, unsigned char kind) override;
    void InitBeforeRun(ILogger* logger) override;
    void ConvertAndStoreRows(ILogger* logger, const double* rows, int rowCount, int count,
                             const unsigned char* positions, bool download) override;
    void StoreMissingRows(ILogger* logger, int rowCount, int count, const unsigned char* positions,
                          bool download) override;
    double CalculateTimingValue(int gate, qint64 time, bool unblock, ILogger* logger, bool& valid) override;
    bool HasTimingBranch() override;
    bool AppendTimingResult(double x, double y) override;

    // ---- logic manager
    void LoggerIdentified(ILogger* logger, bool bootLoader) override;
    void CountRun(bool timingRun) override;
    void ClearControlRelay() override {}
    void KeepAliveReplied() override {}
    void StopSetupTimers() override {}

    // ---- manager
    void WaitHere(int ms) override;
    void ReportPortRemoval(const QString& portName, quint16 vendor, quint16 product) override;

    // ---- signal hub: every signal goes through Announce
    void Announce(PelorinEvent event, int arg = 0) override;
    void Notify(PelorinNotice notice) override;
    static void RaiseNotice(ILogicServices* logic, PelorinNotice notice);

    int RunCounter() const { return m_RunCounter; }

private:
    ILogicServices* Logic() const;
    // The setup record the logic manager was handed.
    CSetupInfo* Setup() const;

    ILogicServices* m_pLogic;
    CPelorinCatalog m_Catalog;
    // The timing run's formulas and what they keep between the logger's edges.
    CPelorinTiming m_Timing;
    int m_RunCounter = 0;
};
