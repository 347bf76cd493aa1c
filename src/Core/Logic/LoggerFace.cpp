#include "Core/Logic/LoggerFace.h"

#include "Core/Base/CommandParameters.h"

short ILoggerFace::TimingRunCommand() const { return CmdTimingRun; }
