#include "Core/Data/DataBranch.h"

#include "Core/Data/Globals.h"

#include <QDataStream>
#include <algorithm>

CDataBranch::CDataBranch() = default;

bool CDataBranch::AddSample(double x, double y)
{
    QMutexLocker lockX(&m_XMutex);
    QMutexLocker lockY(&m_YMutex);
    // Room in both lists first, so a failure never leaves an X value without its Y.
    if (!m_X.ensureRoom(1) || !m_Y.ensureRoom(1))
        return false;
    m_X.append(x);
    m_Y.append(y);
    return true;
}

double CDataBranch::GetXSample(int index) const
{
    QMutexLocker lock(&m_XMutex);
    return (index >= 0 && index < m_X.size()) ? m_X.at(index) : MissingValue;
}

double CDataBranch::GetYSample(int index) const
{
    QMutexLocker lock(&m_YMutex);
    return (index >= 0 && index < m_Y.size()) ? m_Y.at(index) : MissingValue;
}

bool CDataBranch::SetXSample(int index, double x)
{
    QMutexLocker lock(&m_XMutex);
    if (index < 0 || index >= m_X.size())
        return false;
    m_X.set(index, x);
    return true;
}

bool CDataBranch::SetYSample(int index, double y)
{
    QMutexLocker lock(&m_YMutex);
    if (index < 0 || index >= m_Y.size())
        return false;
    m_Y.set(index, y);
    return true;
}

bool CDataBranch::AddXSample(double x)
{
    QMutexLocker lock(&m_XMutex);
    return m_X.append(x);
}

bool CDataBranch::AddYSample(double y)
{
    QMutexLocker lock(&m_YMutex);
    return m_Y.append(y);
}

int CDataBranch::GetXSize() const
{
    QMutexLocker lock(&m_XMutex);
    return m_X.size();
}

int CDataBranch::GetYSize() const
{
    QMutexLocker lock(&m_YMutex);
    return m_Y.size();
}

int CDataBranch::GetNumSamples() const
{
    return std::min(GetXSize(), GetYSize());
}

int CDataBranch::GetLastXSample() const
{
    double last;
    {
        QMutexLocker lock(&m_XMutex);
        if (m_X.isEmpty())
            return -1;
        last = m_X.at(m_X.size() - 1);
    }
    int result;
    SafeDoubleToInt(last, result, -1);
    return result;
}

void CDataBranch::ClearSamples()
{
    QMutexLocker lockX(&m_XMutex);
    QMutexLocker lockY(&m_YMutex);
    m_X.clear();
    m_Y.clear();
}

int CDataBranch::AppendSamples(const double* x, const double* y, int count)
{
    if (!x || !y || count <= 0)
        return 0;
    QMutexLocker lockX(&m_XMutex);
    QMutexLocker lockY(&m_YMutex);
    if (!m_X.ensureRoom(count) || !m_Y.ensureRoom(count))
        return 0;
    m_X.append(x, count);
    m_Y.append(y, count);
    return count;
}

int CDataBranch::AppendXValues(const double* x, int count)
{
    QMutexLocker lock(&m_XMutex);
    return x && count > 0 ? m_X.append(x, count) : 0;
}

int CDataBranch::AppendYValues(const double* y, int count)
{
    QMutexLocker lock(&m_YMutex);
    return y && count > 0 ? m_Y.append(y, count) : 0;
}

int CDataBranch::CopyRange(int first, int count, QVector<double>& x, QVector<double>& y) const
{
    qint64 start = first;
    qint64 wanted = count;
    if (start < 0) {
        wanted += start;
        start = 0;
    }
    int n = 0;
    {
        QMutexLocker lock(&m_XMutex);
        const qint64 avail = qMax<qint64>(0, qMin<qint64>(wanted, qint64(m_X.size()) - start));
        x.resize(int(avail));
        n = m_X.copy(int(start), int(avail), x.data());
    }
    {
        QMutexLocker lock(&m_YMutex);
        y.resize(n);
        n = m_Y.copy(int(start), n, y.data());
    }
    x.resize(n);
    y.resize(n);
    return n;
}

int CDataBranch::CopyYRange(int first, int count, QVector<double>& y) const
{
    const qint64 start = qMax(0, first);
    const qint64 wanted = qint64(count) - (start - first);
    QMutexLocker lock(&m_YMutex);
    const qint64 avail = qMax<qint64>(0, qMin<qint64>(wanted, qint64(m_Y.size()) - start));
    y.resize(int(avail));
    const int n = m_Y.copy(int(start), int(avail), y.data());
    y.resize(n);
    return n;
}

void CDataBranch::PrefetchY(const int* firsts, int n, int offset, int length) const
{
    QMutexLocker lock(&m_YMutex);
    for (int k = 0; k < n; ++k) {
        const int first = firsts[k] + offset;
        for (int i = 0; i < length; i += 8)
            m_Y.prefetch(first + i);
        m_Y.prefetch(first + length - 1);
    }
}

bool CDataBranch::YMayHoldGap(int first, int last) const
{
    QMutexLocker lock(&m_YMutex);
    return m_Y.mayHoldGap(first, last);
}

QVector<double> CDataBranch::GetXSnapshot() const
{
    QMutexLocker lock(&m_XMutex);
    QVector<double> out(m_X.size());
    m_X.copy(0, out.size(), out.data());
    return out;
}

QVector<double> CDataBranch::GetYSnapshot() const
{
    QMutexLocker lock(&m_YMutex);
    QVector<double> out(m_Y.size());
    m_Y.copy(0, out.size(), out.data());
    return out;
}

size_t CDataBranch::sampleBytes(size_t (CSampleStore::*count)() const) const
{
    size_t bytes;
    {
        QMutexLocker lock(&m_XMutex);
        bytes = (m_X.*count)();
    }
    QMutexLocker lock(&m_YMutex);
    return bytes + (m_Y.*count)();
}

size_t CDataBranch::SampleBytesReserved() const
{
    return sampleBytes(&CSampleStore::bytesReserved);
}

size_t CDataBranch::SampleBytesInUse() const
{
    return sampleBytes(&CSampleStore::bytesInUse);
}

bool CDataBranch::IsXNonDecreasing() const
{
    QMutexLocker lock(&m_XMutex);
    return m_X.isNonDecreasing();
}

bool CDataBranch::GetXMinMax(int first, int last, float& lo, float& hi) const
{
    QMutexLocker lock(&m_XMutex);
    return m_X.minMax(first, last, lo, hi);
}

bool CDataBranch::GetYMinMax(int first, int last, float& lo, float& hi) const
{
    QMutexLocker lock(&m_YMutex);
    return m_Y.minMax(first, last, lo, hi);
}

int CDataBranch::CopyYRunExtremes(int firstRun, int count, QVector<float>& lo, QVector<float>& hi, bool coarse) const
{
    count = std::max(count, 0);
    lo.resize(count);
    hi.resize(count);
    int n = 0;
    {
        QMutexLocker lock(&m_YMutex);
        n = m_Y.runExtremes(firstRun, count, lo.data(), hi.data(), coarse);
    }
    lo.resize(n);
    hi.resize(n);
    return n;
}

int CDataBranch::FirstValidY(int first, int last) const
{
    QMutexLocker lock(&m_YMutex);
    return m_Y.firstValid(first, last);
}

int CDataBranch::LastValidY(int first, int last) const
{
    QMutexLocker lock(&m_YMutex);
    return m_Y.lastValid(first, last);
}
