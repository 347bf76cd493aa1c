#pragma once
// What the Pelorin stack needs of the program around it: the setup record, the sensor catalogue,
// the data store, the logic manager's services, the setup controller and the signal hub. The
// running program uses CPelorinManagerHost; CPelorinCoreHost reaches the same objects without
// threads of its own; tests give the handler a scripted host and watch what it is asked.
#include "Core/Logic/Pelorin/PelorinTypes.h"

#include <QList>
#include <QString>

class ILogger;

// Hub signals the Pelorin stack raises.
enum class PelorinEvent {
    StatusArrived,     // arg: request source
    NewDataArrived,
    ExperimentEnd,
    SnapShotArrived,
    DownloadStarted,
    DownloadFinished,  // arg: offline run
    ShutDown,
    SetRangeFinished,
    EndDetection,      // arg: detected
    EnteredBootLoader
};

// What the Pelorin stack tells the user in a notice of its own.
enum class PelorinNotice {
    NoStoredRun,           // a download found no run stored in the logger
    BootLoaderWithoutUpdate  // a detection found the logger in its boot-loader, no update under way
};

class IPelorinHost
{
public:
    virtual ~IPelorinHost() = default;

    // ---- setup
    virtual const Pelorin::ICatalogView& Catalog() = 0;
    // The fields of the current setup the requests read; false when there is no setup record.
    virtual bool ReadSetup(Pelorin::SetupView& out) = 0;
    // Catalogue index per list position of the selected sensors (for the generic inputs).
    virtual void SelectedIndexes(std::vector<int>& out) = 0;
    virtual void WriteCalibrationPair(int position, float gain, float offset) = 0;
    virtual void WriteSnapshot(const QList<int>& values) = 0;
    virtual void WriteDownloadedSamples(int samples) = 0;
    // Copies the logger's state (and its channel table) into the first logger status of the setup.
    virtual void UpdateSetupInfoFromCore(ILogger* logger, const Pelorin::LoggerRecord& record) = 0;

    // ---- data store
    virtual void CreateDataEntries(ILogger* logger, unsigned char kind) = 0;
    virtual void InitBeforeRun(ILogger* logger) = 0;
    // rows rows of count raw values each (row-major), converted and stored in row order; positions
    // is null for a download, whose sensors are the logger's own list.
    virtual void ConvertAndStoreRows(ILogger* logger, const double* rows, int rowCount, int count,
                                     const unsigned char* positions, bool download) = 0;
    // rowCount rows of count values each that the logger sent but that were lost on the way,
    // stored as missing values in their places; arguments as for ConvertAndStoreRows.
    virtual void StoreMissingRows(ILogger* logger, int rowCount, int count, const unsigned char* positions,
                                  bool download)
    {
        (void)logger, (void)rowCount, (void)count, (void)positions, (void)download;
    }
    virtual double CalculateTimingValue(int gate, qint64 time, bool unblock, ILogger* logger,
                                               bool& valid) = 0;
    // Whether the last data folder has a first branch to take timing results.
    virtual bool HasTimingBranch() = 0;
    // Appends x and y to the first branch of the last data folder; false when there is none.
    virtual bool AppendTimingResult(double x, double y) = 0;

    // ---- logic manager
    // The logger answered its hello: the detected type becomes 70 and, outside the boot-loader,
    // the conversion loads the logger's tables.
    virtual void LoggerIdentified(ILogger* logger, bool bootLoader) = 0;
    // Adds one to the run counter; a timing run's number is kept as well.
    virtual void CountRun(bool timingRun) = 0;
    virtual void ClearControlRelay() = 0;
    virtual void KeepAliveReplied() = 0;
    virtual void StopSetupTimers() = 0;

    // ---- manager: waits and the unplug path
    virtual void WaitHere(int ms) = 0;
    // The unplug path for a link the logger closed itself or that went silent.
    virtual void ReportPortRemoval(const QString& portName, quint16 vendor, quint16 product) = 0;

    // ---- signal hub
    // A host raises every hub signal through Announce.
    virtual void Announce(PelorinEvent event, int arg = 0) = 0;
    // Tells the user; nothing else happens.
    virtual void Notify(PelorinNotice notice) { (void)notice; }
};
