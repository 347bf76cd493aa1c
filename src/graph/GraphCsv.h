#pragma once
// The CSV form of a graph: one header line, then one row per sample number (per time, for runs
// at other rates) with the first cell the time (or the sample number) and one cell per plot.
// Pure text building, so tests compare whole files without a window.
#include <QList>
#include <QLocale>
#include <QString>
#include <QVector>

class QTextStream;

struct CCsvColumn
{
    QString m_Name;
    QString m_Unit;
    int m_UnitPrefix = 0;
    bool m_bScientific = false;
    // false: the plot's branch is gone; the column keeps its header and empty cells.
    bool m_bHasBranch = false;
    // What one position (sample number) of the series is worth in the unit of the first column
    // (seconds, hertz, or 1 for counted samples); 0 for a series without a time base.
    double m_PositionStep = 0.0;
    QVector<double> m_X;
    QVector<double> m_Y;
};

namespace GraphCsv {

// "," when the locale writes "." as its decimal point, ";" otherwise.
QString Separator(const QLocale& locale);

// The unit a column is headed with: the plot's, or what an unlabelled series of that sensor
// index is measured in.
QString ColumnUnit(int sensorIndex, const QString& unit);

// How a column's samples find their rows: by the whole part of their X value (the sample
// number of a recorded run), or, when those are not whole numbers from 0 up that rise strictly within reach, one
// sample per row in stored order, so no sample is ever left out.
struct CRowPlan
{
    bool m_bByX = true;
    int m_Samples = 0;   // samples written (the shorter of the X and Y lists)
    long long m_Rows = 0;   // rows the column needs
};
CRowPlan PlanRows(const CCsvColumn& column);

// The whole file, lines ended by CR LF; the first header cell is xHeader when the first column
// with a branch has a position step, and its cells the row numbers times that step; without one
// the cell is samplesHeader over the row numbers. When columns have other steps (runs at other
// rates), the rows are the times any column has a sample at, each sample in the row of its own
// time and the cells of columns without a sample then left empty: a spreadsheet plotting any
// column against the first then draws it at its true times.
void Write(QTextStream& out, const QList<CCsvColumn>& columns, const QLocale& locale, const QString& xHeader,
           const QString& samplesHeader);
QString Build(const QList<CCsvColumn>& columns, const QLocale& locale, const QString& xHeader,
              const QString& samplesHeader);

// Writes the file in the locale's text encoding through a QSaveFile, so a failed write
// leaves no half file and an existing file as it was; false when the path names something
// other than a plain file or the file cannot be opened, written or committed.
bool WriteFile(const QString& path, const QList<CCsvColumn>& columns, const QLocale& locale,
               const QString& xHeader, const QString& samplesHeader);

} // namespace GraphCsv
