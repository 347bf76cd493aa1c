#pragma once
// Owner of every data folder (run) and data branch (series) of the workspace. Folders and
// branches draw their keys from one counter; the rest of the program keeps keys, not pointers.
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/SafeArray.h"
#include "Core/Data/SafeSampleList.h"
#include "Core/Data/DataConversion.h"
#include "Core/Data/TimingData.h"
#include "Core/Base/ExperimentInterval.h"
#include "Core/Base/ILogger.h"
#include "Core/Data/RunServices.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QVector>
#include <atomic>
#include <functional>

class CSensorInfo;
class CSetupInfo;
class QDataStream;

class CDataManager
{
public:
    // Room for whatever a logger writes into a sensor list (one byte per entry, at most 255).
    static constexpr int SensorListRoom = 256;
    static constexpr int NumPacketPositions = 32;
    static constexpr int NumAverageMeasurements = 6;

    explicit CDataManager(CSetupInfo* setup = nullptr);
    ~CDataManager();
    CDataManager(const CDataManager&) = delete;
    CDataManager& operator=(const CDataManager&) = delete;

    void SetSetupInfo(CSetupInfo* setup) { m_pSetupInfo = setup; }
    CSetupInfo* GetSetupInfo() const { return m_pSetupInfo; }
    // The run services of the logic manager (null in a store that only holds data).
    void SetRunServices(IRunServices* services) { m_pRunServices = services; }
    IRunServices* GetRunServices() const { return m_pRunServices; }
    // The sensor catalogue that names new branches (the logic manager's).
    void SetSensorCatalogue(const CSensorInfo* catalogue) { m_pCatalogue = catalogue; }
    const CSensorInfo* GetSensorCatalogue() const { return m_pCatalogue; }

    // Called with every branch just before it is destroyed (delete, clear, destruction), so
    // holders of branch pointers (the online functions) can let go of it in time.
    void SetBranchDeletedCallback(std::function<void(const CDataBranch*)> callback)
    {
        m_BranchDeleted = std::move(callback);
    }
    // What the folders read by LoadFolderFromFile ask of the layers above (DataFolder.h): the
    // shell gives the workspace file's path, the video window counts tracking runs.
    void SetWorkspacePathProvider(std::function<QString()> provider)
    {
        m_FolderReadHooks.workspacePath = std::move(provider);
    }
    void SetTrackingRunLoaded(std::function<void()> counter)
    {
        m_FolderReadHooks.trackingRunLoaded = std::move(counter);
    }

    // Creation. A run is numbered among runs: past the count of runs (video tracks are none)
    // and past the highest "Run n" still listed.
    CDataFolder* CreateDataFolder();
    // The folder of a video track, named and marked before it is listed; it takes no run's
    // number.
    CDataFolder* CreateVideoAnalysisFolder(const QString& name);
    int CreateDataBranch(int sensorIndex, double interval, int channel, int measurement,
                         int ownerKey);
    void AddChildBranch(int childKey, int parentKey);

    // Lookup.
    CDataBranch* GetDataBranch(int key) const;
    // How many look-ups of a series by key the store has answered: a caller that looks every
    // series up again for each of the others shows here as the square of their count.
    quint64 BranchLookups() const;
    // How many series the look-ups by key have visited in scans of the list (a key the index
    // does not hold): a load that scanned for each series it reads shows here as the square of
    // their count.
    quint64 BranchesScanned() const;
    CDataFolder* GetDataFolder(int key) const;
    CDataFolder* GetDataFolderByIndex(int index) const;
    CDataBranch* GetDataBranchByIndex(int index) const;
    CDataFolder* GetLastDataFolder() const;
    CDataFolder* GetDataFolderByBranch(int key) const;
    CDataBranch* GetLastFolderDataBranch(int code) const;
    CDataBranch* GetXManualBranch() const;
    // Runs and their series (DataManager_runs.cpp). The run a series belongs to: its owner
    // folder, or for a computed series the run of the series it was computed from.
    CDataFolder* GetRunOfBranch(int key) const;
    // The first series of a run's own list with that sensor index or special code (a run's
    // manual X values: SensorIndexManualX); null when the run has none.
    CDataBranch* GetRunBranchByCode(int folderKey, int code) const;
    // Whether series key belongs to a run sampled by hand: the run's stored flag, or for runs
    // read from files that predate it, the manual X values the run holds. Such a run's samples
    // have no time between them; its series' interval is the period of no rate.
    bool IsSampledByHand(int key) const;
    // One more than the highest number n of the folders named prefix + n ("Video Analysis 3"),
    // 1 when none is: a new folder so numbered takes the name of none other.
    int NextFolderNumber(const QString& prefix) const;
    // A folder named by a reader of older files: a new run is numbered past it ("Run 7").
    void NoteFolderName(const CDataFolder& folder);
    // The series of run folderKey that holds the quantity of series likeKey: that series itself
    // when it belongs to the run, else one of the same quantity (SameQuantity), the one on the
    // same channel first; null when the run holds none.
    CDataBranch* GetRunCounterpart(int folderKey, int likeKey) const;
    static bool SameQuantity(const CDataBranch& a, const CDataBranch& b);
    // What series branchKey is drawn against when another series (xKey) gives the X axis: the
    // counterpart of xKey in branchKey's own run; null when that run holds no such values.
    CDataBranch* GetOwnXBranch(int branchKey, int xKey) const;
    int GetBranchPostion(int key) const;
    int GetNumDataBranches() const { return m_Branches.GetSize(); }
    int GetNumDataFolders() const { return m_Folders.GetSize(); }
    void GetAllBranchChildren(CDataBranch* branch, QList<int>& out) const;
    void GetAllFolderAssociatedKeys(int folderKey, QList<int>& out) const;
    int GetLargestXIndexOnFolder(CDataFolder* folder) const;

    // Removal.
    void RemoveBranchFromFolderList(int folderKey, int key);
    void RemoveBranchFromBranchList(int branchKey, int key);
    void RemoveBranchFromDataList(int key);
    void DeleteDataBranch(int key);
    void DeleteDataFolder(int key);
    void ClearAllData();

    // Workspace records.
    int SaveAllBranchesAndFoldersToFile(QDataStream* stream);
    int LoadFolderFromFile(QDataStream* stream);
    int LoadBranchFromFile(QDataStream* stream);

    // While a workspace file is read, the workspace it is to replace waits aside, whole: a file
    // that cannot be read puts it back, one read to its end drops it. Holding back leaves the
    // store empty with its key counter at 0, as ClearAllData does; a second hold before the
    // first ends clears the store and keeps the first set aside.
    void HoldBackAllData();
    // What the store holds now goes; the set-aside workspace returns with its key counter.
    void RestoreHeldBackData();
    void DropHeldBackData();

    // The key the next folder or branch will get.
    int GetNextKey() const { return m_NextKey.load(); }

    // Run-time storage of the current run (filled while a run records).
    CSafeSampleList m_WorkLists[NumPacketPositions];
    CSafeArray<double> m_AverageLists[NumPacketPositions][NumAverageMeasurements];
    qint64 m_AverageCounters[NumPacketPositions][NumAverageMeasurements] = {};
    qint64 m_AverageXCounters[NumPacketPositions][NumAverageMeasurements] = {};
    short m_InputViewCount = 0;
    short m_TimingSampleCount = 0;
    unsigned char m_RunMode = 0;

    // Run entries and sample storage (DataManager_run.cpp).
    void CreateDataEntries(ILogger* logger, unsigned char mode);
    // Appends one result to the run's timing series at x (or after what it holds); false
    // without one. slot: the gate of a collision's result (0 the first gate passed, 1 the
    // other), whose results alternate between the gates; -1 for any other result
    // (DataManager_timing.cpp).
    bool AppendTimingResult(double x, double y, int slot = -1);
    // The series of a run's sensors that share a name are told apart by their ports.
    void NameRepeatedMeasurements(CDataFolder* folder);
    void InitAverageRelatedArrays();
    int GetNumberOfInputViewsEntries(ILogger* logger);
    // One row of raw values, one per packet position. Always false (the protocol handlers
    // ignore the result); failures are diagnostics.
    bool ConvertAndStore(ILogger* logger, double* samples, int count, unsigned char* positions, bool live,
                         bool loggerList);
    // rows rows of count values each (row-major), stored per branch as one block.
    bool ConvertAndStoreBlock(ILogger* logger, const double* samples, int rows, int count,
                              const unsigned char* positions, bool live, bool loggerList);
    // rows rows the logger sent but that never arrived: stored as missing values, so the rows
    // after them keep their places in the run. False when there is no run to store into.
    bool StoreMissingRows(ILogger* logger, int rows, int count, const unsigned char* positions, bool loggerList);
    void StoreDataSample(ILogger* logger, double y, int branchPosition, int position, int flag);
    double ConvertDataSample(ILogger* logger, int channel, int position, int index, double raw, long sample,
                             short& flag, short measurement, bool lastMeasurement, bool plainReading);
    void ConvertAndStoreLastOnlineSamples(ILogger* logger, int count, unsigned char* positions);
    // The X values a user types for a hand-sampled run (DataManager_manualx.cpp). The k-th
    // value given since BeginManualXValues is the X of the run's k-th reading, whichever of the
    // two comes first: a value asked before its reading waits for it, a reading stored before
    // its value waits for the value. Nothing typed for one run reaches the next, and a value
    // whose reading never came is not stored. Any thread; the shell calls them.
    void BeginManualXValues();
    void AddManualXValue(double value);
    // The conversion, pointed at the current catalogue, calibration and setup (the protocol
    // handlers call its InitBeforRun through this).
    CDataConversion* GetDataConversion()
    {
        WireConversion();
        return &m_DataConversion;
    }
    const ExperimentInterval& GetRunInterval() const { return m_RunInterval; }

    static constexpr int NumKeyChannels = IRunServices::NumKeyChannels;
    static constexpr int NumKeyMeasurements = IRunServices::NumKeyMeasurements;
    static constexpr int MaxInputViews = NumPacketPositions * NumKeyMeasurements;
    CDataConversion m_DataConversion;
    // The (list position, measurement) pairs of the active measurements of the run.
    short m_InputViewPositions[MaxInputViews] = {};
    short m_InputViewMeasurements[MaxInputViews] = {};
    ExperimentInterval m_RunInterval;

private:
    CLoggerProtocolState* RunState(ILogger* logger);
    // Zeroes the run's sample counters before its first stored row.
    void StartRunCounters(CLoggerProtocolState* st, int count);
    // What storing rows of a packet starts from (DataManager_store.cpp): the run's counters,
    // the sensors of the packet's positions and the branches they store into. False when the
    // setup has no active sensor or the run has no folder with branches.
    struct RunTargets;
    bool PrepareRunTargets(ILogger* logger, int count, const unsigned char* positions, bool loggerList,
                           RunTargets& run);
    void RunOnlineFunctions();
    void StoreManualSample(ILogger* logger);
    // Appends the readings that have their value to the run's manual-X series; the number
    // appended. Under m_ManualXMutex.
    int pairManualXValuesLocked();
    const CSensorInfo* Catalogue() const { return m_pCatalogue; }
    // Points the conversion at the catalogue, calibration, setup and this store.
    void WireConversion();
    // What the conversion was last pointed at: the storing thread and the interface thread
    // (live readings) both wire it, and a call that finds it wired only reads.
    struct WiredParts
    {
        const CSensorInfo* catalogue = nullptr;
        CSetupInfo* setup = nullptr;
        IRunServices* services = nullptr;
        bool done = false;
    } m_Wired;

    // Run counters for a logger that brings no protocol state of its own.
    CLoggerProtocolState m_FallbackRunState;
    int takeKey();
    int setupRateCode() const;
    // Name, unit and prefix of a new branch from the catalogue measurement it records.
    void nameFromCatalogue(CDataBranch* branch, int sensorIndex, int channel, int measurement) const;
    void keepKeysAbove(int largestKeySeen);
    // Folders by key, kept as the branches' index is; indexFolder (re)files a folder under its
    // current key.
    void indexFolder(CDataFolder* folder);
    void releaseAll();
    bool keyInUse(int key, const void* except) const;
    void destroyBranch(CDataBranch* branch);

    CSafeArray<CDataBranch*> m_Branches;
    CSafeArray<CDataFolder*> m_Folders;
    // Listed branches by key, so a lookup costs the same with 30,000 branches as with 30. Only
    // listed branches are in it (addBranch, unlistBranch, clearBranchIndex keep it so); a key
    // changed after listing is found by a scan of the list and indexed anew.
    void addBranch(CDataBranch* branch);
    void unlistBranch(CDataBranch* branch);
    void clearBranchIndex();
    void indexBranchLocked(CDataBranch* branch) const;
    // By the indexes alone, no scan of a list: what a load asks of the records it read so far.
    CDataBranch* indexedBranch(int key) const;
    CDataFolder* indexedFolder(int key) const;
    // IsSampledByHand for a series just read from a file (DataManager_runs.cpp).
    bool loadedSampledByHand(const CDataBranch* branch) const;
    mutable QMutex m_BranchIndexMutex;
    mutable QHash<int, CDataBranch*> m_BranchByKey;
    mutable QHash<const CDataBranch*, int> m_IndexedKeyOf;  // the key each is indexed under
    mutable quint64 m_BranchLookups = 0;   // under m_BranchIndexMutex
    mutable quint64 m_BranchesScanned = 0; // under m_BranchIndexMutex
    mutable QMutex m_FolderIndexMutex;
    QHash<int, CDataFolder*> m_FolderByKey;
    QHash<const CDataFolder*, int> m_FolderIndexedKey;
    std::atomic<int> m_NextKey{0};
    // The highest n of the folders named "Run n" (or higher, while a folder so numbered is
    // renamed): new runs are numbered past it, so that no two share a name after deletions.
    std::atomic<int> m_HighestRunNumber{0};
    // How many listed folders are video tracks (their flag set when listed or read).
    std::atomic<int> m_VideoFolders{0};
    static int RunNumberOf(const QString& name);
    int nextRunNumber() const;
    QString runName(int number) const;
    // Makes a folder with the next key and lists it under that name.
    CDataFolder* listNewFolder(const QString& name, bool videoAnalysis);
    void noteRunNumber(int number);
    void recountRunNumbers();
    CSetupInfo* m_pSetupInfo = nullptr;
    IRunServices* m_pRunServices = nullptr;
    const CSensorInfo* m_pCatalogue = nullptr;
    std::function<void(const CDataBranch*)> m_BranchDeleted;
    CFolderReadHooks m_FolderReadHooks;

    struct HeldBackData
    {
        bool held = false;
        QVector<CDataFolder*> folders;
        QVector<CDataBranch*> branches;
        int nextKey = 0;
        short timingSampleCount = 0;
    };
    HeldBackData m_HeldBack;

    // The manual X values of the current hand-sampled run and how far they are paired with
    // its readings (the readings of the manual-X series m_ManualXBranchKey).
    QMutex m_ManualXMutex;
    QVector<double> m_ManualXValues;
    int m_ManualXReadings = 0;
    int m_ManualXPaired = 0;
    int m_ManualXBranchKey = -1;
    QElapsedTimer m_ManualXClock;  // since the run's first reading
};
