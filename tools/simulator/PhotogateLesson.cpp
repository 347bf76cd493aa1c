#include "simulator/PhotogateLesson.h"

#include <algorithm>
#include <cmath>

namespace kvsim {

namespace {

const char* const s_LessonNames[] = {"pendulum", "cart", "accel", "collision"};

void Put(QByteArray& a, quint64 v, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        a.append(char((v >> (8 * i)) & 0xFF));
}

// Reads a positive number; an empty text keeps `value`.
bool Positive(const QString& text, const char* what, double& value, QString& error)
{
    if (text.isEmpty())
        return true;
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !std::isfinite(v) || v <= 0.0 || v > 1e4) {
        error = QStringLiteral("%1 must be a positive number, not '%2'").arg(QLatin1String(what), text);
        return false;
    }
    value = v;
    return true;
}

// Seconds a cart starting at `speed` with `accel` takes to cover `metres`.
double TimeToCover(double metres, double speed, double accel)
{
    if (accel == 0.0)
        return metres / speed;
    return (std::sqrt(speed * speed + 2.0 * accel * metres) - speed) / accel;
}

} // namespace

QStringList PhotogateLessonNames()
{
    QStringList names;
    for (const char* n : s_LessonNames)
        names << QLatin1String(n);
    return names;
}

bool PhotogateSettingsFrom(const QString& gates, const QString& lesson, const QString& speed, const QString& width,
                           const QString& distance, const QString& swing, const QString& accel,
                           const QString& speedAfter, const QString& every, PhotogateSettings& out, QString& error)
{
    PhotogateSettings s;
    if (!gates.isEmpty()) {
        bool ok = false;
        s.gates = gates.toInt(&ok);
        if (!ok || s.gates < 1 || s.gates > 2) {
            error = QStringLiteral("--gates takes 1 or 2, not '%1'").arg(gates);
            return false;
        }
    }
    if (!lesson.isEmpty()) {
        const int at = PhotogateLessonNames().indexOf(lesson.toLower());
        if (at < 0) {
            error = QStringLiteral("unknown lesson '%1'; known: %2").arg(lesson, PhotogateLessonNames().join(QStringLiteral(", ")));
            return false;
        }
        s.lesson = PhotogateLessonKind(at);
    }
    s.speedAfter = -1.0;
    if (!Positive(speed, "--speed", s.speed, error) || !Positive(width, "--width", s.widthCm, error)
        || !Positive(distance, "--distance", s.distanceCm, error) || !Positive(swing, "--swing", s.swingPeriod, error)
        || !Positive(accel, "--accel", s.accel, error) || !Positive(speedAfter, "--speed-after", s.speedAfter, error)
        || !Positive(every, "--every", s.every, error))
        return false;
    // The struck cart of equal mass that sticks to the first one leaves at half the speed.
    if (s.speedAfter < 0.0)
        s.speedAfter = s.speed / 2.0;
    out = s;
    return true;
}

CPhotogateLesson::CPhotogateLesson(const PhotogateSettings& settings) : m_Settings(settings)
{
    if (m_Settings.lesson == PhotogateLessonKind::Pendulum) {
        m_Step = m_Settings.swingPeriod / 2.0;
        return;
    }
    // The next cart comes only after the last one has left every gate.
    m_Step = m_Settings.every;
    double end = 0.0;
    for (const GatePassage& p : Trial(0))
        end = std::max(end, p.unblock - kLead);
    m_Step = std::max(m_Settings.every, end + 0.1);
}

QVector<GatePassage> CPhotogateLesson::Trial(qint64 k) const
{
    const PhotogateSettings& s = m_Settings;
    const double start = TrialStart(k);
    const double w = s.widthCm / 100.0;
    const double d = s.distanceCm / 100.0;
    const bool two = s.gates >= 2;
    QVector<GatePassage> out;
    switch (s.lesson) {
    case PhotogateLessonKind::Pendulum:
        out.append({0, start, start + w / s.speed});
        break;
    case PhotogateLessonKind::Cart:
        out.append({0, start, start + w / s.speed});
        if (two)
            out.append({1, start + d / s.speed, start + (d + w) / s.speed});
        break;
    case PhotogateLessonKind::AcceleratingCart: {
        const auto at = [&](double metres) { return start + TimeToCover(metres, s.speed, s.accel); };
        if (two) {
            out.append({0, at(0.0), at(w)});
            out.append({1, at(d), at(d + w)});
        } else {
            // One gate: the flag has two bars as wide as the gap between them.
            out.append({0, at(0.0), at(w)});
            out.append({0, at(2.0 * w), at(3.0 * w)});
        }
        break;
    }
    case PhotogateLessonKind::Collision: {
        out.append({0, start, start + w / s.speed});
        // The carts meet half-way between the gates; the struck one goes on to the second.
        const double meet = start + (d / 2.0) / s.speed;
        const double arrive = meet + (d / 2.0) / s.speedAfter;
        if (two)
            out.append({1, arrive, arrive + w / s.speedAfter});
        break;
    }
    }
    std::sort(out.begin(), out.end(), [](const GatePassage& a, const GatePassage& b) { return a.block < b.block; });
    return out;
}

bool CPhotogateLesson::Blocked(int gate, double t) const
{
    if (gate < 0 || gate >= m_Settings.gates || t < kLead || !std::isfinite(t))
        return false;
    const qint64 last = qint64(std::floor((t - kLead) / m_Step));
    for (qint64 k = std::max<qint64>(0, last - 1); k <= last; ++k)
        for (const GatePassage& p : Trial(k))
            if (p.gate == gate && p.block <= t && t < p.unblock)
                return true;
    return false;
}

quint64 CPhotogateFeed::Ticks(double seconds)
{
    return kTickOffsetUs + quint64(std::llround(seconds * 1e6));
}

quint32 CPhotogateFeed::Counts(double seconds)
{
    // The interface's 32-bit counter wraps after about three minutes.
    return quint32(quint64(std::llround(seconds * 24e6)) & 0xFFFFFFFFu);
}

void CPhotogateFeed::Start(const QVector<int>& gateCodes, bool twoGates)
{
    m_GateCodes = gateCodes;
    m_TwoGates = twoGates;
    m_Running = m_pLesson != nullptr;
    m_Trial = 0;
    m_Next = 0;
}

QVector<GateEdge> CPhotogateFeed::EdgesOf(qint64 trial) const
{
    QVector<GateEdge> edges;
    for (const GatePassage& p : m_pLesson->Trial(trial)) {
        if (p.gate >= m_GateCodes.size() || m_GateCodes[p.gate] < 0)
            continue;
        edges.append({p.gate, false, p.block});
        edges.append({p.gate, true, p.unblock});
    }
    std::stable_sort(edges.begin(), edges.end(), [](const GateEdge& a, const GateEdge& b) { return a.time < b.time; });
    return edges;
}

QList<QByteArray> CPhotogateFeed::PelorinDue(double seconds)
{
    QList<QByteArray> out;
    while (m_Running) {
        const QVector<GateEdge> edges = EdgesOf(m_Trial);
        if (edges.isEmpty())
            break;  // every trial looks alike: no gate of this lesson was asked for
        if (m_Next >= edges.size()) {
            ++m_Trial;
            m_Next = 0;
            continue;
        }
        const GateEdge& e = edges[m_Next];
        if (e.time > seconds)
            break;
        QByteArray p;
        p.append(char(m_GateCodes[e.gate] & 0x3F));
        p.append(char(e.unblock ? 1 : 0));
        Put(p, Ticks(e.time), 5);
        out.append(p);
        ++m_Next;
    }
    return out;
}

QList<QByteArray> CPhotogateFeed::DravletDue(double seconds)
{
    QList<QByteArray> out;
    while (m_Running) {
        const QVector<GatePassage> trial = m_pLesson->Trial(m_Trial);
        QVector<QByteArray> values;
        double last = 0.0;
        if (m_TwoGates) {
            const GatePassage* first = nullptr;
            const GatePassage* second = nullptr;
            for (const GatePassage& p : trial) {
                if (p.gate == 0 && !first)
                    first = &p;
                if (p.gate == 1 && !second)
                    second = &p;
            }
            if (first && second) {
                QByteArray v;
                for (double t : {first->block, first->unblock, second->block, second->unblock})
                    Put(v, Counts(t), 4);
                values.append(v);
                last = std::max(first->unblock, second->unblock);
            }
        } else {
            for (const GatePassage& p : trial) {
                if (p.gate != 0)
                    continue;
                QByteArray v;
                Put(v, Counts(p.block), 4);
                Put(v, Counts(p.unblock), 4);
                values.append(v);
                last = std::max(last, p.unblock);
            }
        }
        if (values.isEmpty())
            break;  // the lesson gives this arrangement nothing to report
        if (last > seconds)
            break;
        // A trial's values leave together once its last passage is over.
        for (int i = m_Next; i < values.size(); ++i)
            out.append(values[i]);
        ++m_Trial;
        m_Next = 0;
    }
    return out;
}

} // namespace kvsim
