// The graph's Export command: every sample of every plot into a CSV file in the Documents
// folder, written whole or not at all, then opened in the desktop's spreadsheet.
#include "graph/GraphWindow.h"

#include "windowbase/ChildWindowHost.h"
#include "windowbase/PlatformServices.h"
#include "windowbase/Prompter.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/Globals.h"
#include "graph/GraphCsv.h"
#include "graph/GraphRules.h"
#include "workspace/WorkspaceFormat.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QStandardPaths>

#include <cmath>

namespace {
const char* const s_CsvFolder = "Korvanta";
const char* const s_CsvSuffix = "CSV";

// What the export says when the file is written but nothing opens it.
QString CsvNotOpenedText(const QString& path)
{
    return QCoreApplication::translate("CGraphWindow", "The CSV file was saved as\n%1\nbut no program was found to open it.")
        .arg(QDir::toNativeSeparators(path));
}

// The file name offered on a date.
QString DefaultCsvName(const QDate& date)
{
    return QString::fromLatin1(s_dataFilePrefix) + QLatin1Char(' ') + date.toString(QStringLiteral("yyyy-MM-dd"))
        + QLatin1Char('.') + QString::fromLatin1(s_CsvSuffix);
}
} // namespace

IPrompter* GraphPrompter(IChildWindowHost* host)
{
    IPrompter* p = host ? host->GetPrompter() : nullptr;
    return p ? p : ShellPrompter();
}

QList<CCsvColumn> CGraphWindow::CsvColumns() const
{
    QList<CCsvColumn> columns;
    // Every plot is written, hidden or not and whatever the X axis shows: the file is the data
    // of the graph, not its picture. The rows count the positions of the first series written.
    int first = -1;
    for (int i = 0; i < m_Plots.size() && first < 0; ++i)
        if (GetDataBranch(i))
            first = i;
    const GraphRules::XAxisContent rows = first >= 0 ? m_X.PositionContent(first) : GraphRules::XAxisContent::Samples;
    for (int i = 0; i < m_Plots.size(); ++i) {
        const CGraphPlot& plot = m_Plots.at(i);
        CCsvColumn c;
        c.m_Name = plot.m_Name;
        c.m_Unit = plot.m_Unit;
        c.m_UnitPrefix = plot.m_UnitPrefix;
        c.m_bScientific = plot.m_bScientific;
        if (const CDataBranch* b = GetDataBranch(i)) {
            c.m_bHasBranch = true;
            // A plot of an analysis result is made with its name only; its series carries the
            // unit, as the meters show it: prefix included ("kPa/s" beside prefix code 1).
            if (c.m_Unit.isEmpty()) {
                c.m_Unit = b->m_Unit;
                c.m_UnitPrefix = 0;
            }
            c.m_Unit = GraphCsv::ColumnUnit(b->m_SensorIndex, c.m_Unit);
            // A series whose positions count something else (a spectrum's bins beside a run, a
            // run sampled by hand beside a timed one) has no time of its own among these rows:
            // its sample k stands in the row of the first series' sample k.
            c.m_PositionStep = m_X.PositionContent(i) == rows ? m_X.PositionStep(i) : 0.0;
            // One lock per list; samples that arrive after this are not written.
            c.m_X = b->GetXSnapshot();
            c.m_Y = b->GetYSnapshot();
            // The values as the graph shows them, in the prefix the header names; the stored
            // ones may carry another (kPa stored, Pa chosen in Graph Properties).
            const double factor = GetMultiplier(short(plot.m_DataUnitPrefix), short(plot.m_UnitPrefix));
            if (factor != 1.0 && std::isfinite(factor))
                for (double& y : c.m_Y)
                    if (y != MissingValue)
                        y *= factor;
        }
        columns.append(c);
    }
    return columns;
}

namespace {

// The file an export goes to, asked of the teacher in the documents' CSV folder.
QString ChooseCsvFile(QWidget* parent, IPrompter* prompter)
{
    const QString suffix = QStringLiteral(" (*.") + QString::fromLatin1(s_CsvSuffix) + QLatin1Char(')');
    const QString caption = QCoreApplication::translate("QTranslator", "Save CSV File");
    const QStringList documents = QStandardPaths::standardLocations(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        return prompter->getSaveFileName(parent, caption, QDir::homePath(),
                                         QCoreApplication::translate("QTranslator", "CSV Files") + suffix);
    QDir dir(documents.first());
    const QString folder = QString::fromLatin1(s_CsvFolder);
    if (!dir.exists(folder))
        dir.mkpath(folder);
    dir.cd(folder);
    return prompter->getSaveFileName(parent, caption, dir.filePath(DefaultCsvName(QDate::currentDate())),
                                     QCoreApplication::translate("QTranslator", "Pavix Files") + suffix);
}

} // namespace

void CGraphWindow::OnExportGraph()
{
    const QString path = ChooseCsvFile(this, GraphPrompter(m_pHost));
    if (path.isEmpty())
        return;
    const QLocale locale;
    const QString samples = GraphRules::TimeAxisName(GraphRules::XAxisContent::Samples);
    if (!GraphCsv::WriteFile(path, CsvColumns(), locale, m_X.CsvTitle(), samples)) {
        GraphPrompter(m_pHost)->warning(nullptr, MessageBoxTitle(), tr("Saving file failed."));
        return;
    }
    if (m_Plots.isEmpty())
        return;
    // The file is written whatever happens next: without a spreadsheet program the teacher is
    // told where it is rather than that something failed.
    if (!WindowPlatformServices()->openLocalFile(path))
        GraphPrompter(m_pHost)->information(nullptr, MessageBoxTitle(), CsvNotOpenedText(path));
}
