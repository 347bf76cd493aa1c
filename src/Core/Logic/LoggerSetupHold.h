#pragma once
// Which logger is connected, and the teacher's setup held while it is away. When the logger goes
// (pulled out, restarted, fallen silent, or on its way through a firmware update) the setup
// record and the calibration table stay as the teacher left them; the first status of the
// logger found next says whether it is the one that went. Only another logger, or the same one
// with other sensors, starts afresh, keeping only the online functions whose sensors are still
// where they were.
#include "Core/Base/LoggerStatus.h"

#include <QList>
#include <QStringList>

class CCalculateOnLineFunctions;
class CSensorsCalibration;

// A logger as the program tells loggers apart: its model and the sensor on each of its ports.
class CLoggerIdentity
{
public:
    CLoggerIdentity() = default;
    // type: the logger's GetType (70 the Pelorin logger, 12 the Dravlet interface); the
    // status: its channels as its last status reply gave them.
    CLoggerIdentity(double type, const CCurrentLoggerStatus& status);

    // A logger that has said what it is (a model), whatever its sensors.
    bool IsKnown() const { return m_Type != 0.0; }
    bool operator==(const CLoggerIdentity& other) const;
    bool operator!=(const CLoggerIdentity& other) const { return !(*this == other); }

    double m_Type = 0.0;
    QList<CLoggerChannel> m_Channels;
};

class CLoggerSetupHold
{
public:
    enum class Verdict { NothingHeld, SameLogger, OtherLogger };

    // calibration: the table the teacher's calibrations live in (the held setup's part of it);
    // online: the functions the teacher set to be computed during the runs.
    CLoggerSetupHold(CSensorsCalibration* calibration, CCalculateOnLineFunctions* online)
        : m_pCalibration(calibration), m_pOnline(online)
    {
    }

    // Each status of the connected logger says who it is.
    void Reported(const CLoggerIdentity& identity);
    // The logger went away: true when a setup now waits for its return. A logger that never
    // reported itself brought no setup of its own, and one already waiting goes on waiting.
    bool Hold();
    bool IsHolding() const { return m_State == State::Waiting; }
    const CLoggerIdentity& HeldIdentity() const { return m_Held; }
    // The logger found after a hold reported itself for the first time: the held setup is its
    // own again, or it goes and the calibration table is back to its defaults, as any other
    // logger finds it. Going, it takes the online functions of a sensor that is not on its
    // channel any more; dropped (when given) receives their names.
    Verdict Claim(const CLoggerIdentity& found, QStringList* dropped = nullptr);
    // A logger was detected: the calibration table goes back to its defaults, unless it is the
    // held setup's (while its logger may be the one found) or was given back to its logger.
    void LoggerDetected();

private:
    enum class State { Free, Waiting, Returned };

    CSensorsCalibration* m_pCalibration;
    CCalculateOnLineFunctions* m_pOnline;
    State m_State = State::Free;
    CLoggerIdentity m_LastReported;
    CLoggerIdentity m_Held;
};
