#pragma once
// What the Dravlet stack needs of the program around it: the setup record, the sensor catalogue,
// the data store, the logic manager's services, the manager's port and settings and the signal
// hub. The running program uses CDravletManagerHost; CDravletCoreHost reaches the same objects
// without threads of its own; tests give the handler a scripted host and watch what it is asked.
#include "Core/Base/ExperimentRunMode.h"
#include "Core/Logic/Dravlet/DravletFrames.h"

#include <QList>
#include <QString>
#include <QtGlobal>

#include <functional>

// The parts of the current setup the interface's frames and triggers are made from.
struct DravletSetupView
{
    static constexpr int s_Channels = 8;
    DravletFrames::ChannelSelection channels[s_Channels];
    int numChannels = 0;        // selected entries, one per channel from channel 0
    bool autoDetect = true;
    int timingRow = -1;         // timing-result kind
    int timingColumn = -1;      // timing approach
    double timingParameter1 = 0.0;
    double timingParameter2 = 0.0;
    int triggerChannel = -1;
    int triggerLevel = -1;      // the code of the level the readings are compared with
    // Active sensor positions as the data store stores them (list positions = channels).
    unsigned char activePositions[s_Channels] = {};
    int activeCount = 0;
    // What the setup command carries (DravletCommands). Without a setup record to take them
    // from no setup command is sent.
    bool fromRecord = false;
    int selectedSensors = 0;    // sensors chosen with an active measurement
    int rateCode = 0;           // the setup's rate code (the interface gives its own for it)
    int numberOfSamples = 0;
    int rawTriggerType = 0;     // the trigger kind as the logger takes it (falling levels turned)
    int triggerType = 0;        // the trigger kind as the teacher chose it
    int triggerLevelEntry = -1; // the record's level field: the entry's place in the dialog's list
    bool timingRun = false;     // the run mode is event timing
};

class CSensorInfo;

// Hub signals the Dravlet stack raises.
enum class DravletEvent {
    StartDetection,
    EndDetection,   // arg: found
    StatusArrived,  // arg: request source
    ExperimentEnd,
    NewDataArrived,
    SnapShotArrived,
    // A press of a run sampled by hand found the reading short of the trigger level: the run
    // still waits, and the press took no sample. arg: the trigger kind the teacher chose (1 above,
    // 2 below), which a falling calibration sends to the interface turned round.
    PressBeforeTrigger
};

class IDravletHost
{
public:
    virtual ~IDravletHost() = default;

    // ---- setup
    // The sensor catalogue the interface's types are read from when detection starts; null
    // keeps the types the manager was given.
    virtual const CSensorInfo* Catalogue() { return nullptr; }
    virtual DravletSetupView ReadSetup() = 0;
    // Snapshot readings of the identified channels, one per channel from channel 0: written
    // into the status record, from which the setup shows them.
    virtual void WriteSnapshot(const QList<int>& values) = 0;
    // Copies the interface's state into the setup's first logger status.
    virtual void UpdateSetupInfoFromCore() = 0;

    // ---- data store
    // A run begins: the run's folder and branches (kind 1 live, 3 timing) and the run counter.
    virtual void CreateDataEntries(int kind) = 0;
    // Clears the data store's per-run counters and the conversion's run state.
    virtual void InitBeforeRun() = 0;
    // rowCount rows of count raw values each (row-major), one value per active position,
    // converted and stored in row order: a packet's rows go over as one block.
    virtual void ConvertAndStoreRows(const double* rows, int rowCount, int count, const unsigned char* positions) = 0;
    virtual void ConvertAndStoreLastOnlineSamples(int count, const unsigned char* positions) = 0;
    // Samples stored so far in the current run.
    virtual qint64 SamplesStored() = 0;
    virtual double CalculateTimingValue(unsigned char method, double a, double b, double c, double d,
                                        double e) = 0;
    // Whether the last data folder has a first branch to take timing results.
    virtual bool HasTimingBranch() = 0;
    // Appends to the first branch of the last folder; false when there is none.
    virtual bool AppendTimingResult(double x, double y) = 0;

    // ---- logic manager
    // The logic manager records a detected logger of type 12 (and, after a normal handshake,
    // sets its tables for it).
    virtual void LoggerIdentified(bool setTables) = 0;
    // The run counted last is a timing run.
    virtual void SetLastTimingRun() = 0;
    virtual bool RelayOn() = 0;
    virtual void SetRelayOn(bool on) = 0;
    virtual ExperimentRunMode RunMode() = 0;
    // Restores the calibration records every conversion reads.
    virtual void UpdateSensorsInfo() = 0;
    virtual void SaveSettings() = 0;

    // ---- commands, built in the room (DravletCommands) from the setup as ReadSetup gives it
    // The interface came up in its boot-loader: the firmware transfer it asks for is started.
    virtual void RequestFirmwareUpload() = 0;
    // The commands sent before a run and in one.
    virtual void SendSetupCmd(bool startNow) = 0;
    virtual void SendRunCmd(bool startNow) = 0;
    virtual void SendTimingRunCmd(bool startNow) = 0;
    virtual void SendManualSampleCmd(bool startNow) = 0;

    // ---- manager: what it keeps between runs and where its work runs
    // Runs fn where the setup record may be read: the program's interface thread (queued from
    // a logger thread). A host without threads of its own runs it at once.
    virtual void RunOnInterfaceThread(std::function<void()> fn) { fn(); }
    // The port the interface was last found on, and whether it is known to be there.
    virtual QString LastPort() = 0;
    virtual bool LastPortKnown() = 0;
    virtual void SetLastPort(const QString& port) = 0;
    virtual void SetLastPortKnown(bool known) = 0;
    // The last value of event recording.
    virtual int PreviousEventValue() = 0;
    virtual void SetPreviousEventValue(int value) = 0;

    // ---- signal hub
    // A host raises every hub signal through Announce.
    virtual void Announce(DravletEvent event, int arg = 0) = 0;
};
