#pragma once
// What a kind of logger can do and needs, asked by the rest of the program instead of which
// kind it is. Each logger's room answers for its model (its face, the room's one header for
// the outside), and its manager is that face with the live link behind it: the logic manager hands out the manager
// when there is one and the model's answers alone otherwise (a logger another part of the
// program put in a slot, a search not yet made).
#include "Core/Base/LoggerModel.h"
#include "Core/Logic/LoggerSetupHold.h"

#include <QString>
#include <QVector>

#include <functional>

class CSetupInfo;
class ILogicServices;
class IPortEnumerator;
struct CPortInfo;

// What the device detection gives a logger's face for its devices coming and going: the logic
// manager's services, the detection's state and waits, and what follows a loss.
class ILoggerPlugs
{
public:
    // What the user is told once a lost logger has been let go.
    enum class LossNotice { None, RunLost, StoppedAnswering, LinkLost };

    virtual ILogicServices& Logic() = 0;
    // A logger answered since it was last lost: another of its devices arriving is not looked at.
    virtual bool IsDetected() const = 0;
    virtual void SetDetected(bool detected) = 0;
    // A pause of the reconnection (tests shorten them).
    virtual void Wait(int ms) = 0;
    // The logger is about to come back with its new firmware: the wait for it begins.
    virtual void StartReturnWait() = 0;
    // What follows the logger's release: the disconnection announced (with the run's end when
    // announceRunEnd), the setup's sensors cleared, and the notice. Safe to call after the
    // detection has gone (then nothing happens).
    virtual std::function<void()> AfterRelease(bool announceRunEnd, LossNotice notice) = 0;

protected:
    ~ILoggerPlugs() = default;
};

class ILoggerFace
{
public:
    // How a logger times events: on the channel of the catalogue's timer input (a sensor
    // interface's), on the photogates it finds on its ports, or not at all.
    enum class EventTiming { TimerInput, Photogates, None };
    // What a firmware update under way waits for; the device-detection manager gives each wait
    // its time.
    enum class FirmwareWait { None, EnterReply, BootLoaderReady, BlockAck, LeaveReply };

    virtual LoggerModel Model() const = 0;
    // The live logger behind the face; null for the model's answers alone.
    virtual ILogger* Logger() { return nullptr; }
    // Which logger this is, as the setup kept for it across a departure is matched.
    CLoggerIdentity Identity(const CCurrentLoggerStatus& status) const
    {
        return CLoggerIdentity(LoggerTypeOf(Model()), status);
    }

    // ---- rates and run lengths the setup offers: every model states its own (a face that
    // forgot one would otherwise offer another model's)
    virtual int FastestRateCode() const = 0;
    // The top rate that the active sensors share at a rate code (0: the code has a rate of its own).
    virtual int SharedTopRate(int rateCode) const = 0;
    // The sample counts beyond the common ones.
    virtual QVector<int> LongestSampleCounts() const = 0;

    // ---- channels and sensors
    // The logger finds its sensors by itself: no manual detection mode.
    virtual bool DetectsSensorsItself() const { return false; }
    // A sensor without an identity of its own can be given one from the setup.
    virtual bool WritesSensorIds() const { return false; }
    // The port is the second of a pair that one sensor holds.
    virtual bool IsPairedPort(int port) const { (void)port; return false; }
    // A channel with no sensor is listed in the setup summary.
    virtual bool ListsEmptyChannels() const { return true; }
    // Whether the setup offers the catalogue's legacy sensor at index (keep: the current one is
    // kept however it is).
    virtual bool OffersLegacySensor(int index, bool keep) const { (void)index, (void)keep; return true; }
    // Live readings come only while a calibration asks for them (none in the setup otherwise).
    virtual bool ReadsOnlyWhileCalibrating() const { return false; }
    // Trigger levels of a sensor of this data kind are the logger's raw codes converted.
    virtual bool ConvertsRawTriggerLevels(unsigned short dataKind, bool placeholder) const
    {
        (void)dataKind, (void)placeholder;
        return false;
    }
    // A level trigger is compared by the logger itself, which knows which way its own sensor's
    // codes run; only a calibration that turns the sensor's reading round needs the opposite
    // kind sent. Otherwise the codes are compared as they come, so every falling level needs it.
    virtual bool ComparesTriggerInSensorDirection() const { return false; }
    virtual EventTiming TimesEvents() const { return EventTiming::None; }

    // ---- runs
    // The command that starts a timing run, and whether the run's link needs a keep-alive.
    virtual short TimingRunCommand() const = 0;
    virtual bool KeepsTimingRunAlive() const { return true; }
    // The kind byte its timing parameters command carries.
    virtual unsigned char TimingParametersKind() const { return 0; }
    // A sampling run at this rate needs the keep-alive (a link that may be lost unnoticed).
    virtual bool NeedsSamplingKeepAlive(int rateCode) const { (void)rateCode; return false; }
    // The logger may start a run now (it may need time to recover from the last one).
    virtual bool AllowsRunNow(const CSetupInfo* setup) const { (void)setup; return true; }
    // The setup's poll may ask the logger for its status now.
    virtual bool TakesStatusRequest(ILogger* logger, const CSetupInfo* setup) const
    {
        (void)logger, (void)setup;
        return false;
    }
    // The teacher changed the setup: a logger that keeps a copy of its own is sent it.
    virtual void SetupChanged() {}
    virtual bool CanDownload() const { return true; }
    // Empty when this program updates the logger's firmware; else why it cannot.
    virtual QString FirmwareRefusal() const { return QString(); }
    // Why a file cannot be sent as this logger's firmware, for the user; empty when it can.
    virtual QString FirmwareFileProblem(const QString& path) const { (void)path; return QString(); }
    bool CanUpdateFirmware() const { return FirmwareRefusal().isEmpty(); }
    virtual bool OnBluetooth() const { return false; }
    virtual void StopWatchdog() {}

    // ---- the link
    // Whether the serial device is this logger's, arriving or leaving.
    virtual bool ClaimsPlug(const CPortInfo& info) const { (void)info; return false; }
    virtual bool ClaimsUnplug(const CPortInfo& info) const { (void)info; return false; }
    // Looks for the logger among the serial ports (a pool thread); true when one was found.
    virtual bool SearchPorts() { return false; }
    virtual void CancelSearch() {}
    virtual bool IsSearching() const { return false; }
    virtual void RequestExit() {}
    virtual QString LinkPortName() const { return QString(); }
    // Lets the logger go: unplugged when its device left (no goodbye). done runs on the
    // interface thread once everything received before is stored.
    virtual void Release(bool unplugged, std::function<void()> done = {})
    {
        (void)unplugged;
        if (done)
            done();
    }

    // ---- the firmware update (loggers that take one)
    virtual FirmwareWait PendingFirmwareWait(qint64& waitedMs) const { waitedMs = 0; return FirmwareWait::None; }
    virtual bool IsFirmwareWritten() const { return false; }
    virtual bool TakeFirmwareRefusal() { return false; }
    virtual void ClearFirmwareFlags() {}
    virtual void AbandonFirmwareUpdate() {}
    virtual void FwProgTick(int percent, const QString& text) { (void)percent, (void)text; }
    // The device an update failed on may be reported lost again: it is let go anew.
    virtual void ForgetLostDevice() {}

    // ---- its devices coming and going, as the device detection hands them over
    // A device this logger claims arrived while no logger is connected: the logger's own way
    // of taking it up (a search, or the steps of a firmware update under way).
    virtual void Plugged(const CPortInfo& info, ILoggerPlugs& plugs) { (void)info, (void)plugs; }
    // A device this logger claims left, or (silent) the connected logger stopped answering and
    // info names only the port it was found on: it is let go and its loss announced.
    virtual void Unplugged(const CPortInfo& info, bool silent, ILoggerPlugs& plugs)
    {
        (void)info, (void)silent, (void)plugs;
    }

protected:
    ~ILoggerFace() = default;
};

// A kind of logger the program knows, as its room describes it: the model's own answers and
// the making and ending of its manager (which is that face with the live link behind it).
struct CLoggerKind
{
    ILoggerFace& modelFace;
    // A search tries the kinds of lower rank first.
    int searchRank;
    // ports: the serial devices its search looks at and a lost link is reported through.
    ILoggerFace* (*newManager)(ILogicServices* logic, IPortEnumerator* ports);
    void (*deleteManager)(ILoggerFace* manager);
};
