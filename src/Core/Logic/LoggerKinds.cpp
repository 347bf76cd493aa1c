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

const QVector<const CLoggerKind*>& LoggerKinds()
{
    static const QVector<const CLoggerKind*> kinds{
        &PelorinKind(),
        &DravletKind(),
    };
    return kinds;
}

int LoggerSlotOf(LoggerModel model)
{
    const QVector<const CLoggerKind*>& kinds = LoggerKinds();
    for (int slot = 0; slot < kinds.size(); ++slot)
        if (kinds[slot]->modelFace.Model() == model)
            return slot;
    return -1;
}

ILoggerFace* KnownLoggerFace(LoggerModel model)
{
    const int slot = LoggerSlotOf(model);
    return slot < 0 ? nullptr : &LoggerKinds()[slot]->modelFace;
}

ILoggerFace& LoggerFaceOf(LoggerModel model)
{
    // Stateless: the same object serves every thread.
    static CNoLoggerFace none;
    ILoggerFace* known = KnownLoggerFace(model);
    return known ? *known : none;
}

QString FirmwareFileProblem(const QString& path)
{
    for (const CLoggerKind* kind : LoggerKinds()) {
        if (kind->modelFace.CanUpdateFirmware())
            return kind->modelFace.FirmwareFileProblem(path);
    }
    return QString();
}
