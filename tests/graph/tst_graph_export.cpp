// The graph's CSV export compared byte for byte with files worked out by hand for both
// decimal separators, the row layout of uneven and damaged series, the export command with
// its file chooser, failures and the spreadsheet, and the graph as a copied and printed
// picture.
#include "common/GraphTestHost.h"
#include "graph/GraphCsv.h"
#include "graph/GraphWindow.h"
#include "support/GraphRig.h"

#include <QApplication>
#include <QClipboard>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QRegularExpression>
#include "common/TestMain.h"

#include <sys/stat.h>

namespace {

CCsvColumn Column(const QString& name, const QString& unit, QVector<double> y, double dt = 0.5, int prefix = 0,
                  bool scientific = false)
{
    CCsvColumn c;
    c.m_Name = name;
    c.m_Unit = unit;
    c.m_UnitPrefix = prefix;
    c.m_bScientific = scientific;
    c.m_bHasBranch = true;
    c.m_PositionStep = dt;
    for (int i = 0; i < y.size(); ++i)
        c.m_X.append(i);
    c.m_Y = y;
    return c;
}

// Five, three and two samples; a name holding the separator, a unit prefix, a missing value
// and a plot shown in scientific form.
QList<CCsvColumn> MixedColumns()
{
    return {Column(QStringLiteral("A,B"), QStringLiteral("V"), {20.5, 20.6, 20.7, MissingValue, 12.345}),
            Column(QStringLiteral("T2"), QStringLiteral("V"), {21, 21.1, 21.2}, 0.5, 2),
            Column(QStringLiteral("S"), QString(), {12.345, 2}, 0.5, 0, true)};
}

QByteArray Golden(const char* name)
{
    QFile f(qEnvironmentVariable("KORVANTA_SOURCE_DIR") + QStringLiteral("/tests/graph/golden/") + QLatin1String(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("missing golden file");
}

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString Csv(const QList<CCsvColumn>& columns, const QLocale& locale = QLocale::c())
{
    return GraphCsv::Build(columns, locale, QStringLiteral("Time"), QStringLiteral("Samples"));
}

struct CRig : CGraphRig
{
    QTemporaryDir dir;

    // A run of two branches of n and m samples at 1 s per sample, plotted.
    void plotRun(int n, int m)
    {
        CDataFolder* run = host.addRun();
        CDataBranch* a = host.addBranch(run, SensorIndexOnlineFunction, 1.0, QStringLiteral("T1"));
        CDataBranch* b = host.addBranch(run, SensorIndexOnlineFunction, 1.0, QStringLiteral("T2"));
        a->m_Unit = b->m_Unit = QStringLiteral("V");
        CGraphTestHost::fill(a, n, [](int i) { return 20.5 + 0.1 * i; });
        CGraphTestHost::fill(b, m, [](int i) { return 21.0 + 0.1 * i; });
        graph->AddPlotsFromKeyArray({a->m_Key, b->m_Key});
    }
};

} // namespace

class TestGraphExport : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
    }
    void cleanup()
    {
        QLocale::setDefault(QLocale::c());
    }

    void goldenFilesForBothDecimalSeparators()
    {
        QTemporaryDir dir;
        const QString point = dir.filePath(QStringLiteral("point.csv"));
        const QString comma = dir.filePath(QStringLiteral("comma.csv"));
        QVERIFY(GraphCsv::WriteFile(point, MixedColumns(), QLocale::c(), QStringLiteral("Time"), QStringLiteral("Samples")));
        QVERIFY(GraphCsv::WriteFile(comma, MixedColumns(), QLocale(QLocale::German), QStringLiteral("Time"),
                                    QStringLiteral("Samples")));
        QCOMPARE(ReadAll(point), Golden("export_point.csv"));
        QCOMPARE(ReadAll(comma), Golden("export_comma.csv"));
    }

    void separatorFollowsTheDecimalPoint()
    {
        QCOMPARE(GraphCsv::Separator(QLocale::c()), QStringLiteral(","));
        QCOMPARE(GraphCsv::Separator(QLocale(QLocale::German)), QStringLiteral(";"));
        QCOMPARE(GraphCsv::Separator(QLocale(QLocale::French)), QStringLiteral(";"));
    }

    void workedRowsOfOneRun()
    {
        const QList<CCsvColumn> run = {Column(QStringLiteral("T1"), QStringLiteral("V"), {20.5, 20.6, 20.7}, 1.0),
                                       Column(QStringLiteral("T2"), QStringLiteral("V"), {21, 21.1, 21.2}, 1.0)};
        QCOMPARE(Csv(run), QStringLiteral("Time,T1(V),T2(V)\r\n0,20.5,21\r\n1,20.6,21.1\r\n2,20.7,21.2\r\n"));
        const QList<CCsvColumn> german = {Column(QStringLiteral("X"), QStringLiteral("s"), {1.23456}, 0.5)};
        QCOMPARE(Csv(german, QLocale(QLocale::German)), QStringLiteral("Time;X(s)\r\n0;1,23456\r\n"));
    }

    // Runs at 10/s and 25/s: a row per time either has a sample at, a gap in one run stays a gap.
    void runsAtOtherRatesShareOneTimeColumn()
    {
        CCsvColumn slow = Column(QStringLiteral("A"), QStringLiteral("V"), {1, 2, 3}, 0.1);
        const CCsvColumn fast = Column(QStringLiteral("B"), QStringLiteral("V"), {10, 11, 12, 13, 14, 15}, 0.04);
        QCOMPARE(Csv({slow, fast}), QStringLiteral("Time,A(V),B(V)\r\n0,1,10\r\n0.04,,11\r\n0.08,,12\r\n"
                                                   "0.1,2,\r\n0.12,,13\r\n0.16,,14\r\n0.2,3,15\r\n"));
        slow.m_X = {0, 3, 4};
        QCOMPARE(Csv({fast, slow}, QLocale(QLocale::German)),
                 QStringLiteral("Time;B(V);A(V)\r\n0;10;1\r\n0,04;11;\r\n0,08;12;\r\n0,12;13;\r\n0,16;14;\r\n"
                                "0,2;15;\r\n0,3;;2\r\n0,4;;3\r\n"));
    }

    void withoutTimeBaseTheFirstColumnCountsSamples()
    {
        const QList<CCsvColumn> c = {Column(QStringLiteral("N"), QStringLiteral("m"), {5, 6, 7}, 0.0)};
        QCOMPARE(Csv(c), QStringLiteral("Samples,N(m)\r\n0,5\r\n1,6\r\n2,7\r\n"));
    }

    void laterSamplesOfAnOffsetSeriesAreWritten()
    {
        // A series over a cursor range starts at sample 2: its rows lie beyond the count of
        // the longest series, and every one of its samples is written.
        CCsvColumn late = Column(QStringLiteral("D"), QString(), {7, 8}, 0.0);
        late.m_X = {2, 3};
        const QList<CCsvColumn> c = {Column(QStringLiteral("N"), QString(), {1, 2}, 0.0), late};
        QCOMPARE(Csv(c), QStringLiteral("Samples,N(),D()\r\n0,1,\r\n1,2,\r\n2,,7\r\n3,,8\r\n"));
    }

    void gapsInSampleNumbersLeaveEmptyCells()
    {
        CCsvColumn gap = Column(QStringLiteral("G"), QString(), {1, 2, 3}, 0.0);
        gap.m_X = {0, 2, 3};
        QCOMPARE(Csv({gap}), QStringLiteral("Samples,G()\r\n0,1\r\n1,\r\n2,2\r\n3,3\r\n"));
    }

    void unorderedOrDamagedSampleNumbersGoRowByRow_data()
    {
        QTest::addColumn<QVector<double>>("x");
        QTest::newRow("repeated whole parts") << QVector<double>{0, 0.5, 1, 1.5};
        QTest::newRow("falling") << QVector<double>{3, 2, 1, 0};
        QTest::newRow("negative") << QVector<double>{-1, 0, 1, 2};
        QTest::newRow("not a number") << QVector<double>{0, qQNaN(), 2, 3};
        QTest::newRow("far jump") << QVector<double>{0, 1, 2, 5.0e9};
    }
    void unorderedOrDamagedSampleNumbersGoRowByRow()
    {
        QFETCH(QVector<double>, x);
        CCsvColumn c = Column(QStringLiteral("V"), QString(), {4, 5, 6, 7}, 0.0);
        c.m_X = x;
        QCOMPARE(Csv({c}), QStringLiteral("Samples,V()\r\n0,4\r\n1,5\r\n2,6\r\n3,7\r\n"));
    }

    void missingAndEmptyBranchesKeepTheirColumn()
    {
        CCsvColumn gone;
        gone.m_Name = QStringLiteral("Gone");
        gone.m_Unit = QStringLiteral("V");
        CCsvColumn empty = Column(QStringLiteral("E"), QString(), {}, 0.0);
        const QList<CCsvColumn> c = {gone, Column(QStringLiteral("N"), QString(), {1, 2}, 0.0), empty};
        QCOMPARE(Csv(c), QStringLiteral("Samples,Gone(V),N(),E()\r\n0,,1,\r\n1,,2,\r\n"));
        // The first column with a branch gives the time base.
        CCsvColumn timed = Column(QStringLiteral("T"), QString(), {1}, 2.0);
        QCOMPARE(Csv({gone, timed}), QStringLiteral("Time,Gone(V),T()\r\n0,,1\r\n"));
    }

    void yListShorterThanXListStopsAtTheLastPair()
    {
        CCsvColumn c = Column(QStringLiteral("V"), QString(), {1, 2}, 0.0);
        c.m_X = {0, 1, 2, 3};
        QCOMPARE(Csv({c}), QStringLiteral("Samples,V()\r\n0,1\r\n1,2\r\n"));
    }

    void failedWriteKeepsTheOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("sub/none.csv"));
        QVERIFY(!GraphCsv::WriteFile(path, MixedColumns(), QLocale::c(), QStringLiteral("Time"), QStringLiteral("Samples")));
        QVERIFY(!QFile::exists(path));
        // A folder in the file's place: refused, the folder left as it was.
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("taken.csv")));
        QVERIFY(!GraphCsv::WriteFile(dir.filePath(QStringLiteral("taken.csv")), MixedColumns(), QLocale::c(),
                                     QStringLiteral("Time"), QStringLiteral("Samples")));
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("taken.csv"))).isDir());
        // Nor is a special file (here a pipe) replaced by the file.
        const QString pipe = dir.filePath(QStringLiteral("pipe.csv"));
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        QVERIFY(!GraphCsv::WriteFile(pipe, MixedColumns(), QLocale::c(), QStringLiteral("Time"), QStringLiteral("Samples")));
        QVERIFY(!QFileInfo(pipe).isFile() && QFileInfo::exists(pipe));
    }

    void exportCommandWritesOpensAndOffersTheDocumentsName()
    {
        CRig rig;
        rig.plotRun(5, 3);
        const QString path = rig.dir.filePath(QStringLiteral("graph.CSV"));
        rig.services.prompter.m_SaveFile = path;
        rig.graph->OnExportGraph();
        QCOMPARE(rig.services.prompter.m_Log.filter("savefile|"),
                 QStringList{QStringLiteral("savefile|Save CSV File|Pavix Files (*.CSV)")});
        const QString documents = QStandardPaths::standardLocations(QStandardPaths::DocumentsLocation).value(0);
        QCOMPARE(rig.services.prompter.m_LastDir,
                 documents + QStringLiteral("/Korvanta/korvanta data ")
                     + QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(".CSV"));
        QCOMPARE(ReadAll(path), QByteArray("Time(s),T1(V),T2(V)\r\n0,20.5,21\r\n1,20.6,21.1\r\n2,20.7,21.2\r\n"
                                           "3,20.8,\r\n4,20.9,\r\n"));
        QCOMPARE(rig.services.platform.m_Opened, QStringList{path});
        QVERIFY(rig.services.prompter.said().isEmpty());
    }

    // The file holds every plot, whatever the graph draws: a hidden series, and a curve fitted
    // against another X on a time graph, each sample in the row of its own time.
    void everyPlotIsWrittenHiddenOrNotDrawn()
    {
        CRig rig;
        CDataFolder* run = rig.host.addRun();
        CDataBranch* t = rig.host.addBranch(run, SensorIndexOnlineFunction, 0.5, QStringLiteral("T"));
        CDataBranch* p = rig.host.addBranch(run, SensorIndexOnlineFunction, 0.5, QStringLiteral("P"));
        t->m_Unit = QStringLiteral("V");
        p->m_Unit = QStringLiteral("kPa");
        CGraphTestHost::fill(p, 6, [](int i) { return 100.0 + i; });
        CGraphTestHost::fill(t, 6, [](int i) { return 10.0 + 3.0 * i; });
        CGraphEngine engine(rig.host.m_Data);
        CDataBranch* fit = engine.functions.FunctionPolynomialRegression(t, 2, 4, 2, p);
        QVERIFY(fit);
        fit->m_Name = QStringLiteral("Fit");
        rig.graph->AddPlotsFromKeyArray({t->m_Key, p->m_Key, fit->m_Key});
        rig.graph->m_Plots[1].m_bVisible = false;
        QVERIFY(!rig.graph->X().PlotIsDrawn(1) && !rig.graph->X().PlotIsDrawn(2));
        rig.services.prompter.m_SaveFile = rig.dir.filePath(QStringLiteral("all.CSV"));
        rig.graph->OnExportGraph();
        QCOMPARE(ReadAll(rig.services.prompter.m_SaveFile),
                 QByteArray("Time(s),T(V),P(kPa),Fit(V)\r\n0,10,100,\r\n0.5,13,101,\r\n1,16,102,16\r\n"
                            "1.5,19,103,19\r\n2,22,104,22\r\n2.5,25,105,\r\n"));
    }

    void analysisResultsExportTheUnitsOfTheirSeries()
    {
        CRig rig;
        rig.plotRun(2, 2);
        CDataBranch* source = rig.host.m_Data.GetDataBranch(rig.graph->GetPlot(0).m_Key);
        CDataBranch* fit = rig.host.addBranch(rig.host.m_Data.GetDataFolderByIndex(0), SensorIndexDerivedFunction, 1.0,
                                              QStringLiteral("d(T1) / dt"));
        // As the engine names the derivative of a series in mV: the unit text holds the prefix.
        fit->m_Unit = QStringLiteral("mV/s");
        fit->m_UnitPrefix = 2;
        CGraphTestHost::fill(fit, 2, [](int i) { return 0.1 * i; });
        rig.graph->NewFunctionData(fit->m_Key, source->m_Key, -1);
        // A tracked position has no unit of its own: it is measured in video pixels.
        CDataBranch* track = rig.host.addBranch(rig.host.m_Data.GetDataFolderByIndex(0), SensorIndexVideoTrack, 1.0,
                                                QStringLiteral("X Position"));
        rig.graph->AddPlotsFromKeyArray({track->m_Key});
        rig.services.prompter.m_SaveFile = rig.dir.filePath(QStringLiteral("units.CSV"));
        rig.graph->OnExportGraph();
        QCOMPARE(ReadAll(rig.services.prompter.m_SaveFile).split('\r').value(0),
                 QStringLiteral("Time(s),T1(V),T2(V),d(T1) / dt(mV/s),X Position(px)").toUtf8());
    }

    // A function computed during a run is headed with its run, as the run's measurements are,
    // so the same function made from the run afterwards has a title of its own.
    void onlineFunctionColumnsCarryTheirRun()
    {
        CRig rig;
        const QString name = QStringLiteral("2 * abs(3 * Temperature)");
        CDataFolder* run = rig.host.addRun(QStringLiteral("Run 1"));
        CDataBranch* online = rig.host.addBranch(run, SensorIndexOnlineFunction, 1.0, name);
        online->m_Unit = QStringLiteral("°C");
        CGraphTestHost::fill(online, 3, [](int i) { return 6.0 * i; });
        rig.graph->StartRunning();
        CDataBranch* after = rig.host.addBranch(run, SensorIndexDerivedFunction, 1.0, name);
        after->m_Unit = QStringLiteral("°C");
        CGraphTestHost::fill(after, 3, [](int i) { return 6.0 * i; });
        rig.graph->NewFunctionData(after->m_Key, -1, -1);
        const QString header = GraphCsv::Build(rig.graph->CsvColumns(), QLocale::c(), QStringLiteral("Time"),
                                               QStringLiteral("Samples")).section(QStringLiteral("\r\n"), 0, 0);
        QCOMPARE(header.section(QLatin1Char(','), 1),
                 QStringLiteral("Run 1-2 * abs(3 * Temperature)(°C),2 * abs(3 * Temperature)(°C)"));
    }

    void axisCursorsAndCsvSayWhatThePositionsAre_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("axis");
        QTest::addColumn<QString>("header");
        QTest::addColumn<QStringList>("cells");    // the first cells of the first three rows
        QTest::addColumn<QString>("cursor");       // cursor 2's x and dx
        QTest::newRow("timed run") << "timed" << "Time (s)" << "Time(s),T(V)" << QStringList{"0", "0.5", "1"}
                                   << "x=7.5s dx=2s";
        QTest::newRow("run sampled by hand") << "counted" << "Samples" << "Samples,T(V)" << QStringList{"0", "1", "2"}
                                             << "x=15 dx=4";
        QTest::newRow("Fourier spectrum") << "spectrum" << "Frequency (Hz)" << "Frequency(Hz),Spectrum(V)"
                                          << QStringList{"0", "0.25", "0.5"} << "x=3.5Hz dx=1Hz";
        QTest::newRow("photogate events") << "events" << "Event" << "Event,Gate(s)" << QStringList{"0", "1", "2"} << "";
    }
    // The axis title, the cursors' read-outs and the CSV's first column say one quantity in one
    // unit: a spectrum in hertz, a run sampled by hand and timing results in counts.
    void axisCursorsAndCsvSayWhatThePositionsAre()
    {
        QFETCH(QString, kind);
        CRig rig;
        CDataFolder* run = rig.host.addRun();
        const bool counted = kind == "counted";
        run->m_bSampledByHand = counted;   // as the store records a run sampled by hand
        CDataBranch* b = rig.host.addBranch(run, kind == "events" ? int(SensorIndexTimingResult) : 7,
                                            kind == "spectrum" ? 0.1 : counted ? 1.0 : 0.5,
                                            kind == "events" ? QStringLiteral("Gate") : QStringLiteral("T"), counted ? 0 : 10);
        b->m_Unit = kind == "events" ? QStringLiteral("s") : QStringLiteral("V");
        CGraphTestHost::fill(b, 40, [](int i) { return 1.0 + i + (i % 4); });
        if (kind == "spectrum") {
            CGraphEngine engine(rig.host.m_Data);
            CDataBranch* axis = nullptr;
            b = engine.functions.FunctionFourier(b, 0, -1, QStringLiteral("Spectrum"), QString(), &axis);
            QVERIFY(b && axis);
        }
        rig.graph->AddPlotsFromKeyArray({b->m_Key});
        if (kind == "events")
            rig.graph->m_GraphType = CGraphWindow::BarGraph;
        QTEST(rig.graph->X().AxisTitle(), "axis");
        rig.services.prompter.m_SaveFile = rig.dir.filePath(QStringLiteral("x.CSV"));
        rig.graph->OnExportGraph();
        const QStringList lines = QString::fromUtf8(ReadAll(rig.services.prompter.m_SaveFile)).split(QStringLiteral("\r\n"));
        QTEST(lines.value(0), "header");
        QStringList cells;
        for (int row = 1; row <= 3; ++row)
            cells << lines.value(row).section(QLatin1Char(','), 0, 0);
        QTEST(cells, "cells");
        QFETCH(QString, cursor);
        if (cursor.isEmpty())
            return;
        CGraphWindow* g = rig.graph;
        // Over positions 0 to 20 cursor 1 goes to the middle plus one, cursor 2 half-way on.
        g->SetAxisMinMax(-1, 0.0f, 20.0f, false);
        g->SelectCursorPlot(-1, true, nullptr);
        g->SelectCursor2Plot(nullptr, false);
        g->grab();
        const QString x = cursor.section(QLatin1Char(' '), 0, 0), dx = cursor.section(QLatin1Char(' '), 1, 1);
        QVERIFY2(g->Cursors().Second().m_Text.startsWith(x + QStringLiteral("  ")), qPrintable(g->Cursors().Second().m_Text));
        QVERIFY2(g->Cursors().Second().m_Text.contains(QLatin1Char(' ') + dx + QLatin1Char(' ')), qPrintable(g->Cursors().Second().m_Text));
    }

    void exportInACommaLocale()
    {
        QLocale::setDefault(QLocale(QLocale::German));
        CRig rig;
        rig.plotRun(2, 2);
        rig.services.prompter.m_SaveFile = rig.dir.filePath(QStringLiteral("de.CSV"));
        rig.graph->OnExportGraph();
        QCOMPARE(ReadAll(rig.services.prompter.m_SaveFile),
                 QByteArray("Time(s);T1(V);T2(V)\r\n0;20,5;21\r\n1;20,6;21,1\r\n"));
    }

    void exportFailuresAreReported()
    {
        CRig rig;
        rig.plotRun(2, 2);
        // Cancelled: nothing written, nothing said.
        rig.graph->OnExportGraph();
        QVERIFY(rig.services.prompter.said().isEmpty());
        QVERIFY(rig.services.platform.m_Opened.isEmpty());
        // A folder that does not exist: the failure is reported and nothing is opened.
        rig.services.prompter.m_SaveFile = rig.dir.filePath(QStringLiteral("no/such.CSV"));
        rig.graph->OnExportGraph();
        QCOMPARE(rig.services.prompter.said(), QStringList{QStringLiteral("Saving file failed.")});
        QVERIFY(rig.services.platform.m_Opened.isEmpty());
        // Written, but no spreadsheet: the notice says where the file is and that nothing
        // opened it, and the file stays.
        rig.services.prompter.m_Log.clear();
        rig.services.platform.m_bAnswer = false;
        rig.services.prompter.m_SaveFile = rig.dir.filePath(QStringLiteral("ok.CSV"));
        rig.graph->OnExportGraph();
        QCOMPARE(rig.services.prompter.said().size(), 1);
        const QString notice = rig.services.prompter.said().first();
        QVERIFY2(notice.contains(QDir::toNativeSeparators(rig.services.prompter.m_SaveFile)), qPrintable(notice));
        QVERIFY2(notice.contains(QStringLiteral("no program was found to open it")), qPrintable(notice));
        QVERIFY(!ReadAll(rig.services.prompter.m_SaveFile).isEmpty());
    }

    void graphWithoutPlotsWritesAnEmptyFileAndOpensNothing()
    {
        CRig rig;
        rig.services.prompter.m_SaveFile = rig.dir.filePath(QStringLiteral("empty.CSV"));
        rig.graph->OnExportGraph();
        QVERIFY(QFile::exists(rig.services.prompter.m_SaveFile));
        QCOMPARE(ReadAll(rig.services.prompter.m_SaveFile), QByteArray());
        QVERIFY(rig.services.platform.m_Opened.isEmpty());
    }

    void copyPutsTheGraphWithoutTitleAndToolBarOnTheClipboard()
    {
        CRig rig;
        rig.plotRun(10, 10);
        QApplication::clipboard()->clear();
        rig.graph->OnCopyGraph();
        const QImage image = QApplication::clipboard()->image();
        const QRect r = rig.graph->PictureRect();
        QCOMPARE(r.top(), rig.graph->GetTitleBarHeight());
        QCOMPARE(r.bottom(), rig.graph->height() - 42);
        QCOMPARE(image.size(), r.size());
        // The plot area's background is in the picture, moved up by the title bar.
        const QPoint inside = rig.graph->GraphRect().center() - r.topLeft();
        QVERIFY(image.rect().contains(inside));
    }

    void printsOnePdfPage()
    {
        CRig rig;
        rig.plotRun(10, 10);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString pdf = rig.dir.filePath(QStringLiteral("graph.pdf"));
        printer.setOutputFileName(pdf);
        rig.graph->on_print(&printer);
        const QByteArray bytes = ReadAll(pdf);
        QVERIFY(bytes.startsWith("%PDF"));
        QCOMPARE(bytes.count("/Type /Page") - bytes.count("/Type /Pages"), 1);
        // The print command asks through the print dialog; a cancelled one prints nothing.
        rig.services.prompter.m_DialogAnswer = [](QDialog*) { return int(QDialog::Rejected); };
        rig.graph->OnPrint();
        QCOMPARE(rig.services.prompter.count("dialog"), 1);
    }

    // Two long plots print as one page of vector drawing: no picture in the file wider than an
    // icon, and the file stays small.
    void printsTwoLongPlotsAsAVectorPage()
    {
        CRig rig;
        rig.graph->resize(900, 600);
        rig.plotRun(20000, 20000);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString pdf = rig.dir.filePath(QStringLiteral("two.pdf"));
        printer.setOutputFileName(pdf);
        rig.graph->on_print(&printer);
        const QByteArray bytes = ReadAll(pdf);
        QVERIFY(bytes.startsWith("%PDF"));
        QCOMPARE(bytes.count("/Type /Page") - bytes.count("/Type /Pages"), 1);
        QVERIFY2(bytes.size() < 300 * 1024, qPrintable(QString::number(bytes.size())));
        const QRegularExpression width(QStringLiteral("/Width (\\d+)"));
        for (auto m = width.globalMatch(QString::fromLatin1(bytes)); m.hasNext();)
            QVERIFY(m.next().captured(1).toInt() <= 128);
    }
};

KORVANTA_TEST_MAIN(TestGraphExport)
#include "tst_graph_export.moc"
