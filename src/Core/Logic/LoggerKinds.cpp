#include "Core/Logic/LoggerKinds.h"

#include "Core/Base/CommandParameters.h"
#include "Core/Logic/Dravlet/DravletFace.h"
#include "Core/Logic/Pelorin/PelorinFace.h"

namespace {
// No logger, or one that has not said what it is: the answers the program gives before any
// logger is found (the rates and run lengths a setup prepared without a logger may choose).
class CNoLoggerFace : public ILoggerFace
{
public:
    LoggerModel Model() const override { return LoggerModel::None; }
    int FastestRateCode() const override { return 13; }
    int SharedTopRate(int rateCode) const override { return rateCode == 14 ? 100000 : 0; }
    QVector<int> LongestSampleCounts() const override { return {100000, 250000}; }
    short TimingRunCommand() const override { return CmdTimingRun; }
};
} // namespace

const LoggerKindList& LoggerKinds()
{
    static const LoggerKindList kinds{
        &PelorinKind(),
        &DravletKind(),
    };
    return kinds;
}

LoggerModel LoggerModelOf(double type, const LoggerKindList& kinds)
{
    for (const CLoggerKind* kind : kinds) {
        const LoggerModel model = kind->modelFace.Model();
        if (type == LoggerTypeOf(model))
            return model;
    }
    return LoggerModel::None;
}

LoggerModel LoggerModelOf(double type) { return LoggerModelOf(type, LoggerKinds()); }

LoggerModel LoggerModelOf(ILogger* logger)
{
    return logger ? LoggerModelOf(logger->GetType()) : LoggerModel::None;
}

int LoggerSlotOf(LoggerModel model, const LoggerKindList& kinds)
{
    for (int slot = 0; slot < kinds.size(); ++slot)
        if (kinds[slot]->modelFace.Model() == model)
            return slot;
    return -1;
}

int LoggerSlotOf(LoggerModel model) { return LoggerSlotOf(model, LoggerKinds()); }

ILoggerFace* KnownLoggerFace(LoggerModel model)
{
    const int slot = LoggerSlotOf(model);
    return slot < 0 ? nullptr : &LoggerKinds()[slot]->modelFace;
}

ILoggerFace& LoggerFaceOf(LoggerModel model, const LoggerKindList& kinds)
{
    // Stateless: the same object serves every thread.
    static CNoLoggerFace none;
    const int slot = LoggerSlotOf(model, kinds);
    return slot < 0 ? none : kinds[slot]->modelFace;
}

ILoggerFace& LoggerFaceOf(LoggerModel model) { return LoggerFaceOf(model, LoggerKinds()); }

QString FirmwareFileProblem(const QString& path)
{
    for (const CLoggerKind* kind : LoggerKinds()) {
        if (kind->modelFace.CanUpdateFirmware())
            return kind->modelFace.FirmwareFileProblem(path);
    }
    return QString();
}
