#pragma once
// Photogates for the simulated loggers: what one or two gates see during the usual timing
// lessons (a pendulum, a cart through one gate or two, an accelerating cart, a collision), both
// as the level a sampled gate reads and as the timing reports of an event-timing run: single
// gate edges in microseconds for the Pelorin logger, ready passages in 24 MHz clock counts for
// the Dravlet interface. A gate reads high while the flag blocks it.
#include "simulator/SignalShape.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

namespace kvsim {

enum class PhotogateLessonKind { Pendulum, Cart, AcceleratingCart, Collision };

struct PhotogateSettings
{
    int gates = 0;  // 0: no photogates, the model keeps its own sensors
    PhotogateLessonKind lesson = PhotogateLessonKind::Cart;
    double speed = 0.5;        // m/s: the cart's speed at the first gate, the bob's at the bottom
    double widthCm = 2.0;      // flag (or bob) width
    double distanceCm = 50.0;  // between the two gates
    double swingPeriod = 2.0;  // s: the pendulum's period
    double accel = 0.5;        // m/s²: the accelerating cart
    double speedAfter = 0.25;  // m/s: the struck cart after a collision
    double every = 1.5;        // s: a cart comes through again this often
};

// One flag passage through a gate, in seconds from the start of the run.
struct GatePassage
{
    int gate = 0;
    double block = 0.0;
    double unblock = 0.0;
};

// One gate edge of the Pelorin form.
struct GateEdge
{
    int gate = 0;
    bool unblock = false;
    double time = 0.0;
};

QStringList PhotogateLessonNames();
// Reads the command-line knobs; false (with the reason) when one is unusable. Empty texts keep
// the defaults.
bool PhotogateSettingsFrom(const QString& gates, const QString& lesson, const QString& speed, const QString& width,
                           const QString& distance, const QString& swing, const QString& accel,
                           const QString& speedAfter, const QString& every, PhotogateSettings& out, QString& error);

class CPhotogateLesson
{
public:
    explicit CPhotogateLesson(const PhotogateSettings& settings);

    const PhotogateSettings& settings() const { return m_Settings; }
    // The passages of trial k (k >= 0), in time order. A pendulum's trial is one half swing.
    QVector<GatePassage> Trial(qint64 k) const;
    // Seconds from one trial's start to the next.
    double TrialStep() const { return m_Step; }
    // Whether a flag blocks `gate` at t seconds into the run.
    bool Blocked(int gate, double t) const;
    // The raw 12-bit reading of a sampled gate: full scale when blocked, 0 when open.
    quint32 Raw(int gate, double t) const { return Blocked(gate, t) ? 0x0FFF : 0; }

    static constexpr double kLead = 0.3;  // s before the first trial

private:
    double TrialStart(qint64 k) const { return kLead + double(k) * m_Step; }

    PhotogateSettings m_Settings;
    double m_Step = 1.0;
};

// Hands out the reports of an event-timing run as time passes. Start() at the run's start;
// then each call returns the reports whose last edge lies at or before `seconds` into the run.
class CPhotogateFeed
{
public:
    explicit CPhotogateFeed(const CPhotogateLesson* lesson) : m_pLesson(lesson) {}

    // gateCodes: the code each gate reports in (the channels the timing request named; a gate
    // without a code stays silent). twoGates: the Dravlet form pairs the two gates' passages.
    void Start(const QVector<int>& gateCodes, bool twoGates);
    bool Running() const { return m_Running; }
    void Stop() { m_Running = false; }

    // Pelorin timing events: opcode 13 payloads (gate code, attribute 1 on unblock, 40-bit
    // microsecond ticks most significant first).
    QList<QByteArray> PelorinDue(double seconds);
    // Dravlet timing values: opcode 17 payloads of 8 bytes (t1 t2 of a passage) or 16 bytes
    // (t1 t2 of gate 1, t3 t4 of gate 2), big-endian counts of a 24 MHz clock.
    QList<QByteArray> DravletDue(double seconds);

    static constexpr quint64 kTickOffsetUs = 1000000;  // the logger's clock does not start at 0
    static quint64 Ticks(double seconds);
    static quint32 Counts(double seconds);

private:
    QVector<GateEdge> EdgesOf(qint64 trial) const;

    const CPhotogateLesson* m_pLesson = nullptr;
    QVector<int> m_GateCodes;
    bool m_TwoGates = false;
    bool m_Running = false;
    qint64 m_Trial = 0;
    int m_Next = 0;  // within the trial
};

} // namespace kvsim
