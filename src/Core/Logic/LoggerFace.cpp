#include "Core/Logic/LoggerFace.h"

#include "Core/Base/CommandParameters.h"
#include "Core/Logic/Dravlet/DravletFace.h"
#include "Core/Logic/Pelorin/PelorinFace.h"

namespace {
// No logger, or one that has not said what it is: the answers the program gives before any
// logger is found.
class CNoLoggerFace : public ILoggerFace
{
public:
    LoggerModel Model() const override { return LoggerModel::None; }
};
} // namespace

short ILoggerFace::TimingRunCommand() const { return CmdTimingRun; }

ILoggerFace& LoggerFaceOf(LoggerModel model)
{
    // Stateless: the same objects serve every thread.
    static CPelorinFace pelorin;
    static CDravletFace dravlet;
    static CNoLoggerFace none;
    switch (model) {
    case LoggerModel::Pelorin: return pelorin;
    case LoggerModel::Dravlet: return dravlet;
    case LoggerModel::None: break;
    }
    return none;
}

QString FirmwareFileProblem(const QString& path)
{
    for (LoggerModel model : {LoggerModel::Dravlet, LoggerModel::Pelorin}) {
        const ILoggerFace& face = LoggerFaceOf(model);
        if (face.CanUpdateFirmware())
            return face.FirmwareFileProblem(path);
    }
    return QString();
}
