#pragma once
// The extremes of a series and the envelope through them, found by one scan that serves both a
// finished run and a run still recording. A sample is judged only once the three samples after
// it are known, and no later sample changes a judgement, so a series fed block by block gives,
// point for point, what the whole series gives.
//
// An extreme (a maximum; a minimum with every comparison reversed) is the last sample p of a run
// of equal values that lies strictly above the three samples after it and the one before the
// run, and not below the two before that (fewer at the start of the range, but at least one
// sample before the run must be known). It is accepted when it lies
// more than the minimum distance after the last accepted extreme (branch indices; -1000 before
// the first). An envelope runs from accepted extreme to accepted extreme, bending at the
// samples that would otherwise stand outside it: the upper one is never below a sample, the
// lower one never above.
#include <QVector>
#include <QtGlobal>
#include <functional>

struct EnvelopeCorner
{
    qint64 index;
    double value;
};

// What the scan carries from one block of samples to the next.
struct ExtremeScanState
{
    qint64 m_Last = -1000;    // the last accepted extreme
    qint64 m_Judged = -1;     // the last sample judged
    qint64 m_RunStart = 0;    // first sample of the run of equal values that ends at m_Judged
    QVector<EnvelopeCorner> m_Corners;  // the envelope from m_Last to m_Judged
};

class CExtremeScan
{
public:
    // Per accepted extreme p: the one before it (-1000 for the first) and, when the scan keeps an
    // envelope, its corners from that one to p (empty for the first).
    using Sink = std::function<void(qint64 p, qint64 previous, const QVector<EnvelopeCorner>& corners)>;

    // first: the first sample of the range; a fresh state starts there.
    CExtremeScan(ExtremeScanState& state, bool maxima, double minDistance, bool envelope, qint64 first = 0);

    // The first sample the next Scan must be handed.
    qint64 NeedFrom() const;
    // y holds samples base .. base + y.size() - 1 of the series, base no later than NeedFrom()
    // (a later base judges nothing). Judges every sample that has three known successors.
    void Scan(const QVector<double>& y, qint64 base, const Sink& sink);

    // The envelope at samples corners.first().index + 1 .. corners.last().index, appended to out.
    static void EnvelopeValues(const QVector<EnvelopeCorner>& corners, QVector<double>& out);
    // The frequency of one cycle between the X values of two maxima; false when the cycle has
    // no duration (equal X values, no sample interval) or no finite frequency.
    static bool CycleFrequency(double xPrevious, double x, double secondsPerSample, double& frequency);

private:
    bool IsExtreme(const QVector<double>& y, qint64 base, qint64 p) const;
    void AddCorner(qint64 index, double value);

    ExtremeScanState& m_State;
    const bool m_bMaxima;
    const double m_MinDistance;
    const bool m_bEnvelope;
    const qint64 m_First;
};
