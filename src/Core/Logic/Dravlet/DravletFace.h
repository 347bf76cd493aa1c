#pragma once
// The Dravlet interface as the program outside its room sees it: what the model can do and needs
// (CDravletFace, the same for every Dravlet interface), and the making and ending of its
// manager, which is that face with the live link behind it. The room's one header for the
// outside.
#include "Core/Logic/LoggerFace.h"

class CDravletManager;
class ILogicServices;
class IPortEnumerator;

class CDravletFace : public ILoggerFace
{
public:
    // After a run at its fastest rates the interface needs this long before the next one.
    static constexpr qint64 s_RecoveryMs = 1000;

    LoggerModel Model() const override { return LoggerModel::Dravlet; }
    int FastestRateCode() const override { return 13; }
    // Its fastest rate is shared by the active sensors.
    int SharedTopRate(int rateCode) const override;
    QVector<int> LongestSampleCounts() const override { return {32000}; }
    // Its channel 0 entry is the interface itself, not a sensor.
    bool ListsEmptyChannels() const override { return false; }
    bool ReadsOnlyWhileCalibrating() const override { return true; }
    bool ConvertsRawTriggerLevels(unsigned short dataKind, bool placeholder) const override;
    EventTiming TimesEvents() const override { return EventTiming::TimerInput; }
    // Its timing runs are plain runs, and its link needs no keep-alive.
    short TimingRunCommand() const override;
    bool KeepsTimingRunAlive() const override { return false; }
    unsigned char TimingParametersKind() const override { return 1; }
    bool AllowsRunNow(const CSetupInfo* setup) const override;
    bool TakesStatusRequest(ILogger* logger, const CSetupInfo* setup) const override;
    bool CanDownload() const override { return false; }
    QString FirmwareRefusal() const override;
    bool ClaimsPlug(const CPortInfo& info) const override;
    bool ClaimsUnplug(const CPortInfo& info) const override { return ClaimsPlug(info); }

protected:
    // Milliseconds since the last run stopped (-1: none since the program started).
    virtual qint64 MsSinceLastRun() const { return -1; }
};

// The room as the logic manager makes and ends it (the manager has its own host).
CDravletManager* NewDravletManager(ILogicServices* logic, IPortEnumerator* ports);
void DeleteDravletManager(CDravletManager* manager);
ILoggerFace* DravletFaceOf(CDravletManager* manager);
// The manager behind a face its kind made (null for any other face).
CDravletManager* DravletManagerOf(ILoggerFace* face);
// The model as the registry of the loggers the program knows lists it.
const CLoggerKind& DravletKind();
