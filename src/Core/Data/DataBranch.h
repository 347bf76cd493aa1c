#pragma once
// One data series: X and Y values, each list under its own lock because the logger threads
// append while the interface thread reads, plus the description the windows show and the keys
// that tie the series to its run and to the series computed from it.
#include "Core/Data/SafeArray.h"
#include "Core/Data/SampleStore.h"

#include <QColor>
#include <QList>
#include <QMutex>
#include <QString>
#include <QTime>
#include <QVector>

class QDataStream;

// Results of the workspace record readers (folder and branch).
enum RecordResult {
    RecordOk = 0,
    RecordTruncated = -4,     // the stream ended (or failed) before the end tag
    RecordBadMarker = -5,     // an array's first marker is not 1000
    RecordBadMarker2 = -6,    // an array's second marker is not 1001
    RecordCorrupt = -7,       // a count or a key outside anything a valid file holds
    RecordWriteFailed = -8    // the stream refused the written record (disk full, closed)
};

// Keys handed out by the data manager stay below this bound; a record naming a larger key
// (or a negative one where a key is required) is corrupt.
constexpr int MaxDataKey = 0x3FFFFFFF;

class CDataBranch
{
public:
    CDataBranch();
    CDataBranch(const CDataBranch&) = delete;
    CDataBranch& operator=(const CDataBranch&) = delete;

    // Per-sample access. AddSample takes the X lock, then the Y lock, so a reader holding
    // either lock sees whole pairs.
    bool AddSample(double x, double y);
    // The value at index, or MissingValue outside the list.
    double GetXSample(int index) const;
    double GetYSample(int index) const;
    // Rewrites one stored value (table editing); false outside the list.
    bool SetXSample(int index, double x);
    bool SetYSample(int index, double y);
    // Appends to one list only (the repeat-last-value storage appends X, then Y).
    bool AddXSample(double x);
    bool AddYSample(double y);
    int GetXSize() const;
    int GetYSize() const;
    // Number of complete pairs (the shorter list).
    int GetNumSamples() const;
    // The last X value truncated towards zero; -1 when the branch has no samples (or the
    // value is not a finite number inside the int range).
    int GetLastXSample() const;
    void ClearSamples();

    // Bulk access for drawing, analysis and saving.
    // Appends count pairs: one lock per list; returns the number appended.
    int AppendSamples(const double* x, const double* y, int count);
    // Appends count values to one list under one lock; returns the number appended.
    int AppendXValues(const double* x, int count);
    int AppendYValues(const double* y, int count);
    // Copies pairs [first, first + count), clamped to the stored range, under one lock per
    // list; x and y are resized to the number copied, which is returned.
    int CopyRange(int first, int count, QVector<double>& x, QVector<double>& y) const;
    // The same for the Y values alone (a branch may hold more Y than X values).
    int CopyYRange(int first, int count, QVector<double>& y) const;
    // Asks the processor to start loading Y values [firsts[k] + offset, + length) for each of
    // the n starts, for a reader that will copy them shortly (CSampleStore::prefetch).
    void PrefetchY(const int* firsts, int n, int offset, int length) const;
    // False when no Y value of [first, last) is a gap (CSampleStore::mayHoldGap).
    bool YMayHoldGap(int first, int last) const;
    QVector<double> GetXSnapshot() const;
    QVector<double> GetYSnapshot() const;
    // Bytes held by the sample lists (for memory accounting).
    size_t SampleBytesReserved() const;
    // What the X and Y values occupy in memory, summaries included.
    size_t SampleBytesInUse() const;

    // Queries for drawing long series from the lists' summaries, each under one lock of the
    // list it reads. Gaps (the missing value) and NaN are left out of the extremes.
    bool IsXNonDecreasing() const;
    bool GetXMinMax(int first, int last, float& lo, float& hi) const;
    bool GetYMinMax(int first, int last, float& lo, float& hi) const;
    int FirstValidY(int first, int last) const;
    // The extremes of runs of CSampleStore::SummarySize (coarse: SummarySize2) Y values from run
    // firstRun on, read in one go (CSampleStore::runExtremes); lo and hi are resized to the
    // number of runs copied.
    int CopyYRunExtremes(int firstRun, int count, QVector<float>& lo, QVector<float>& hi,
                         bool coarse = false) const;
    int LastValidY(int first, int last) const;
    // The first index of [first, last) whose X value makes pred true (pred false before it,
    // true from it on); pred must not take locks.
    template <typename Pred>
    int PartitionX(int first, int last, Pred pred) const
    {
        QMutexLocker lock(&m_XMutex);
        return m_X.partitionPoint(first, last, pred);
    }
    template <typename Pred>
    int PartitionXNear(int first, int last, int hint, Pred pred) const
    {
        QMutexLocker lock(&m_XMutex);
        return m_X.partitionPointNear(first, last, hint, pred);
    }
    // Runs fn(x, y) on the two lists with both locks held (X first, as the writers take them),
    // for a reader that makes many small queries in a row: one lock per query keeps every read
    // waiting for the one before. fn must be short (the logger threads wait meanwhile) and
    // must not paint, emit or take other locks.
    template <typename Fn>
    void ReadLocked(Fn&& fn) const
    {
        QMutexLocker lockX(&m_XMutex);
        QMutexLocker lockY(&m_YMutex);
        fn(static_cast<const CSampleStore&>(m_X), static_cast<const CSampleStore&>(m_Y));
    }

    // Manual-X branches: seconds from the first manual sample to each one.
    void AddManualTime(double seconds) { m_ManualTimes.Add(seconds); }
    double GetManualTime(int index) const { return m_ManualTimes.GetAt(index); }
    int GetNumManualTimes() const { return m_ManualTimes.GetSize(); }

    // Workspace record (tag 12 is written by the data manager before it).
    int SaveToFile(QDataStream* stream);
    // Returns a RecordResult; keyOffset is added to every key read except the related key.
    // The largest key read (own or referenced) is reported through largestKeySeen so the data
    // manager can keep its key counter above all of them.
    int LoadFromFile(QDataStream* stream, int keyOffset, int* largestKeySeen = nullptr);

    QString m_Name;
    QString m_Unit;
    short m_UnitPrefix = 0;
    int m_Key = -1;
    CSafeArray<int> m_DerivedKeys;
    int m_ParentKey = -1;
    CSafeArray<int> m_ChildKeys;
    int m_OwnerKey = -1;
    double m_Interval = 0.0;
    int m_RateCode = 0;
    int m_SensorIndex = 0;
    int m_IconVariant = -1;
    int m_Channel = -1;
    int m_Measurement = -1;
    QString m_FunctionText;
    QColor m_Color;
    QTime m_ManualStartTime;
    CSafeArray<double> m_ManualTimes;
    QList<int> m_MarkedPositions;
    int m_RelatedKey = -1;

private:
    int readField(QDataStream& in, qint16 tag, int keyOffset, int* largestKeySeen);
    int readArray(QDataStream& in, CSampleStore* store, CSafeArray<double>* list, QMutex* lock);
    // Sums a byte count of the X and Y stores, each under its own lock.
    size_t sampleBytes(size_t (CSampleStore::*count)() const) const;
    int readIntArray(QDataStream& in);

    CSampleStore m_X;
    mutable QMutex m_XMutex;
    CSampleStore m_Y;
    mutable QMutex m_YMutex;
};
