#pragma once
// A recording host for the Pelorin handler tests: the setup is a plain SetupView the test fills,
// the catalogue is the small test catalogue, and every call into the data store, the logic
// manager and the hub is written down as text (rows with their values).
#include "Core/Logic/Pelorin/PelorinHost.h"
#include "PelorinTestCatalog.h"

#include <QStringList>

class CPelorinScriptHost : public IPelorinHost
{
public:
    Pelorin::SetupView setup;
    bool hasSetup = true;
    bool timingBranch = true;
    // Results the timing computation hands back, in order (valid when not negative).
    QList<double> timingResults;
    QStringList calls;
    QList<int> snapshot;
    QList<QPair<double, double>> timingPoints;
    float pairs[8][2] = {};

    const Pelorin::ICatalogView& Catalog() override { return m_Catalog; }
    bool ReadSetup(Pelorin::SetupView& out) override;
    void SelectedIndexes(std::vector<int>& out) override { out = setup.selectedIndex; }
    void WriteCalibrationPair(int position, float gain, float offset) override;
    void WriteSnapshot(const QList<int>& values) override { snapshot = values; }
    void WriteDownloadedSamples(int samples) override { calls << QStringLiteral("downloaded %1").arg(samples); }
    void CreateDataEntries(ILogger*, unsigned char kind) override { calls << QStringLiteral("entries %1").arg(kind); }
    void ConvertAndStoreRows(ILogger*, const double* rows, int rowCount, int count, const unsigned char* positions,
                             bool download) override;
    double CalculateTimingValue(int gate, qint64 time, bool unblock, ILogger*, bool& valid) override;
    bool HasTimingBranch() override { return timingBranch; }
    bool AppendTimingResult(double x, double y) override;
    void InitBeforeRun(ILogger*) override { calls << QStringLiteral("init"); }
    void UpdateSetupInfoFromCore(ILogger*, const Pelorin::LoggerRecord&) override { calls << QStringLiteral("status to setup"); }
    void LoggerIdentified(ILogger*, bool boot) override { calls << QStringLiteral("identified %1").arg(boot); }
    void CountRun(bool timing) override { calls << QStringLiteral("count run %1").arg(timing); }
    void ClearControlRelay() override {}
    void KeepAliveReplied() override { calls << QStringLiteral("keep-alive"); }
    void WaitHere(int ms) override { calls << QStringLiteral("wait %1").arg(ms); }
    void ReportPortRemoval(const QString& name, quint16 vendor, quint16 product) override;
    void StopSetupTimers() override { calls << QStringLiteral("stop setup timers"); }
    void Announce(PelorinEvent event, int arg) override;

    void ConvertAndStoreRow(const double* row, int count, const unsigned char* positions, bool download);
    // Only the calls that start with prefix.
    QStringList Calls(const QString& prefix) const;

private:
    CPelorinTestCatalog m_Catalog;
};
