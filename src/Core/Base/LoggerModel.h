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

// The model of a GetType answer is looked up in the registry of the loggers the program knows
// (LoggerModelOf, Core/Logic/LoggerKinds.h).

// The GetType number of a model (0 for None).
constexpr double LoggerTypeOf(LoggerModel model) { return double(int(model)); }

// What the conversion of stored readings needs to know of the logger that recorded them, by the
// type number stored with them. Data conversion lies below the loggers' faces and also converts
// files opened with no logger attached, so it asks these properties instead of the model.
struct CStoredLoggerTraits
{
    double type;
    // The first revision of the thermistor reads one step off on this logger.
    bool thermistorRevisionStep;
    // The drop counter's third measurement is the sensor's linear value (else 0).
    bool counterRateIsLinear;
    // A distance sensor's raw reading divided by this is its distance; 0: the sensor's own scale.
    double distanceDivisor;
};

// The stored types whose readings convert differently; any other number converts as unknown.
inline const CStoredLoggerTraits& StoredLoggerTraitsOf(double type)
{
    // The loggers the program talks to, then types only older stored data carries.
    static constexpr CStoredLoggerTraits known[] = {
        {LoggerTypeOf(LoggerModel::Dravlet), false, true, 1.0},
        {LoggerTypeOf(LoggerModel::Pelorin), true, false, 0.0},
        {14.0, false, true, 1.0},
        {60.0, false, true, 10.0},
    };
    static constexpr CStoredLoggerTraits unknown{0.0, false, true, 0.0};
    for (const CStoredLoggerTraits& traits : known)
        if (traits.type == type)
            return traits;
    return unknown;
}
