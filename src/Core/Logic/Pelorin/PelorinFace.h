#pragma once
// The Pelorin logger as the program outside its room sees it: what the model can do and needs
// (CPelorinFace, the same for every Pelorin logger), and the making and ending of its manager,
// which is that face with the live link behind it. The room's one header for the outside.
#include "Core/Logic/LoggerFace.h"

class CPelorinManager;
class ILogicServices;
class IPortEnumerator;

class CPelorinFace : public ILoggerFace
{
public:
    LoggerModel Model() const override { return LoggerModel::Pelorin; }
    int FastestRateCode() const override { return 14; }
    // Its fastest rate is shared by the active sensors.
    int SharedTopRate(int rateCode) const override { return rateCode == 14 ? 100000 : 0; }
    QVector<int> LongestSampleCounts() const override { return {100000, 250000}; }
    bool DetectsSensorsItself() const override { return true; }
    bool WritesSensorIds() const override { return true; }
    // A sensor that takes two ports holds an even port from 6 on and the odd one after it.
    bool IsPairedPort(int port) const override { return port >= 6 && (port & 1); }
    bool OffersLegacySensor(int index, bool keep) const override;
    bool ConvertsRawTriggerLevels(unsigned short dataKind, bool placeholder) const override;
    bool ComparesTriggerInSensorDirection() const override { return true; }
    EventTiming TimesEvents() const override { return EventTiming::Photogates; }
    short TimingRunCommand() const override;
    bool TakesStatusRequest(ILogger*, const CSetupInfo*) const override { return true; }
    bool ClaimsPlug(const CPortInfo& info) const override;
    bool ClaimsUnplug(const CPortInfo& info) const override;
    QString FirmwareFileProblem(const QString& path) const override;

    // The logger's own USB device (not its Bluetooth link).
    static bool IsUsbDevice(const CPortInfo& info);
};

// The room as the logic manager makes and ends it. ports: the serial devices its search looks
// at and a lost link is reported through.
CPelorinManager* NewPelorinManager(ILogicServices* logic, IPortEnumerator* ports);
void DeletePelorinManager(CPelorinManager* manager);
ILoggerFace* PelorinFaceOf(CPelorinManager* manager);
// The manager behind a face its kind made (null for any other face).
CPelorinManager* PelorinManagerOf(ILoggerFace* face);
// The model as the registry of the loggers the program knows lists it.
const CLoggerKind& PelorinKind();
