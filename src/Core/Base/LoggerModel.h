#pragma once
// Which kind of logger a logger is. ILogger::GetType answers with a number that stored data and
// the sensor catalogue's formulas rely on; this names the numbers the program knows, so that no
// code compares a type with a bare literal.
#include "Core/Base/ILogger.h"

enum class LoggerModel {
    None = 0,     // no logger, or one that has not said what it is
    Dravlet = 12, // the Dravlet USB sensor interface
    Pelorin = 70  // the Pelorin data logger
};

// The model of a GetType answer; any number the program does not know is None.
inline LoggerModel LoggerModelOf(double type)
{
    if (type == double(LoggerModel::Dravlet))
        return LoggerModel::Dravlet;
    if (type == double(LoggerModel::Pelorin))
        return LoggerModel::Pelorin;
    return LoggerModel::None;
}

inline LoggerModel LoggerModelOf(ILogger* logger)
{
    return logger ? LoggerModelOf(logger->GetType()) : LoggerModel::None;
}

// The GetType number of a model (0 for None).
inline double LoggerTypeOf(LoggerModel model) { return double(int(model)); }
