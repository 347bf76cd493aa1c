#include "graph/GraphCsv.h"

#include "Core/Data/Globals.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <limits>

namespace GraphCsv {

namespace {

// A column whose sample numbers jump further than this past its sample count is not laid out
// by sample number: a damaged X value would otherwise ask for billions of empty rows.
constexpr long long s_MaxGapRows = 1000000;

bool WholeX(double x, long long& out)
{
    if (!std::isfinite(x) || x < 0.0 || x > 9.0e15)
        return false;
    out = static_cast<long long>(x);
    return true;
}

QString Cell(QString text, QChar decimalPoint)
{
    if (decimalPoint != QLatin1Char('.'))
        text.replace(QLatin1Char('.'), decimalPoint);
    return text;
}

double FirstTimeBase(const QList<CCsvColumn>& columns)
{
    for (const CCsvColumn& c : columns)
        if (c.m_bHasBranch)
            return std::isfinite(c.m_PositionStep) ? c.m_PositionStep : 0.0;
    return 0.0;
}

// Series at steps other than the first column's: their samples stand at their own times.
bool StepsDiffer(const QList<CCsvColumn>& columns, double dt)
{
    for (const CCsvColumn& c : columns)
        if (c.m_bHasBranch && c.m_PositionStep > 0.0 && std::isfinite(c.m_PositionStep)
            && std::fabs(c.m_PositionStep - dt) > 1.0e-9 * std::max(c.m_PositionStep, dt))
            return true;
    return false;
}

// One row per time that any column has a sample at, in time order; a column without a sample
// at a row's time leaves its cell empty. A sample's time is its position (its whole X value,
// or its place in the list when the column is not laid out by X) times its column's step.
void WriteByTime(QTextStream& out, const QList<CCsvColumn>& columns, const QVector<CRowPlan>& plans, double dt,
                 const QString& sep, QChar point, const QString& lineEnd)
{
    const int n = columns.size();
    QVector<double> steps(n, dt);
    double finest = dt;
    for (int j = 0; j < n; ++j) {
        const double step = columns.at(j).m_PositionStep;
        if (step > 0.0 && std::isfinite(step))
            steps[j] = step;
        finest = std::min(finest, steps.at(j));
    }
    // Times a millionth of the finest step apart are one time: 5 x 0.04 s is 2 x 0.1 s.
    const double tolerance = finest * 1.0e-6;
    QVector<int> next(n, 0);
    auto timeOf = [&](int j) {
        long long position = next.at(j);
        if (plans.at(j).m_bByX)
            WholeX(columns.at(j).m_X.at(next.at(j)), position);
        return double(position) * steps.at(j);
    };
    for (;;) {
        double t = std::numeric_limits<double>::infinity();
        for (int j = 0; j < n; ++j)
            if (next.at(j) < plans.at(j).m_Samples)
                t = std::min(t, timeOf(j));
        if (!std::isfinite(t))
            break;
        out << Cell(Double2String(t, 5, false, false), point);
        for (int j = 0; j < n; ++j) {
            out << sep;
            if (next.at(j) >= plans.at(j).m_Samples || timeOf(j) > t + tolerance)
                continue;
            const CCsvColumn& c = columns.at(j);
            out << Cell(Double2String(c.m_Y.at(next.at(j)), 5, false, c.m_bScientific), point);
            ++next[j];
        }
        out << lineEnd;
    }
}

} // namespace

QString Separator(const QLocale& locale)
{
    return locale.decimalPoint() == QLatin1Char('.') ? QStringLiteral(",") : QStringLiteral(";");
}

CRowPlan PlanRows(const CCsvColumn& column)
{
    CRowPlan plan;
    if (!column.m_bHasBranch)
        return CRowPlan{true, 0, 0};
    plan.m_Samples = std::min(column.m_X.size(), column.m_Y.size());
    long long previous = -1;
    for (int i = 0; i < plan.m_Samples && plan.m_bByX; ++i) {
        long long whole = 0;
        if (!WholeX(column.m_X.at(i), whole) || whole <= previous)
            plan.m_bByX = false;
        previous = whole;
    }
    if (plan.m_bByX && previous >= plan.m_Samples + s_MaxGapRows)
        plan.m_bByX = false;
    plan.m_Rows = plan.m_bByX ? previous + 1 : plan.m_Samples;
    return plan;
}

void Write(QTextStream& out, const QList<CCsvColumn>& columns, const QLocale& locale, const QString& xHeader,
           const QString& samplesHeader)
{
    if (columns.isEmpty())
        return;
    const QString sep = Separator(locale);
    const QChar point = locale.decimalPoint();
    const QString lineEnd = QStringLiteral("\r\n");
    const double dt = FirstTimeBase(columns);

    out << (dt != 0.0 ? xHeader : samplesHeader);
    for (const CCsvColumn& c : columns) {
        QString name = c.m_Name;
        name.replace(sep, QStringLiteral(" "));
        out << sep << name << '(' << GetUnitPrefix(short(c.m_UnitPrefix)) << c.m_Unit << ')';
    }
    out << lineEnd;

    QVector<CRowPlan> plans;
    QVector<int> next(columns.size(), 0);
    long long rows = 0;
    for (const CCsvColumn& c : columns) {
        plans.append(PlanRows(c));
        rows = std::max(rows, plans.last().m_Rows);
    }
    if (dt != 0.0 && StepsDiffer(columns, dt)) {
        WriteByTime(out, columns, plans, dt, sep, point, lineEnd);
        return;
    }
    for (long long r = 0; r < rows; ++r) {
        const QString first = dt != 0.0 ? Double2String(double(r) * dt, 5, false, false)
                                        : Double2String(double(r), 3, false, false);
        out << Cell(first, point);
        for (int j = 0; j < columns.size(); ++j) {
            out << sep;
            const CCsvColumn& c = columns.at(j);
            const CRowPlan& plan = plans.at(j);
            int& pos = next[j];
            if (pos >= plan.m_Samples)
                continue;
            long long whole = r;
            if (plan.m_bByX)
                WholeX(c.m_X.at(pos), whole);
            if (whole != r)
                continue;
            out << Cell(Double2String(c.m_Y.at(pos), 5, false, c.m_bScientific), point);
            ++pos;
        }
        out << lineEnd;
    }
}

QString Build(const QList<CCsvColumn>& columns, const QLocale& locale, const QString& xHeader,
              const QString& samplesHeader)
{
    QString text;
    QTextStream out(&text);
    Write(out, columns, locale, xHeader, samplesHeader);
    out.flush();
    return text;
}

bool WriteFile(const QString& path, const QList<CCsvColumn>& columns, const QLocale& locale,
               const QString& xHeader, const QString& samplesHeader)
{
    // A save file is renamed into place when it is done: whatever is not a plain file (a
    // folder, a device) must not be replaced by it.
    const QFileInfo existing(path);
    if (existing.exists() && !existing.isFile())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QTextStream out(&file);
    Write(out, columns, locale, xHeader, samplesHeader);
    out.flush();
    if (out.status() != QTextStream::Ok)
        return false;   // the QSaveFile is discarded; the old file, if any, stays
    return file.commit();
}

QString ColumnUnit(int sensorIndex, const QString& unit)
{
    // A tracked position has no length calibration: it is measured in pixels of the video.
    if (unit.isEmpty() && sensorIndex == SensorIndexVideoTrack)
        return QCoreApplication::translate("CGraphWindow", "px");
    return unit;
}

} // namespace GraphCsv
