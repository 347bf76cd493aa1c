// What a graph shows of its series after the workspace is saved and read back: for every
// catalogue measurement whose unit has a prefix, the names in the pickers, the titles, the
// cursor read-outs, Graph Properties' prefix and the CSV header are what they were, also from
// a record written before the prefixes were kept; and a run's time axis says what the run's
// record says it was (timed or sampled by hand), in the reopened graph and in a new one.
#include "common/GraphTestHost.h"
#include "graph/GraphCsv.h"
#include "graph/GraphWindow.h"
#include "Core/Data/RecordIO.h"
#include "Core/Data/SensorInfo.h"

#include <QComboBox>
#include <QDataStream>
#include <QDropEvent>
#include <QMimeData>
#include "common/TestMain.h"

#include <memory>

namespace {

const CSensorInfo& Catalogue()
{
    static const std::unique_ptr<CSensorInfo> catalogue = [] {
        auto c = std::make_unique<CSensorInfo>();
        c->LoadSensorInfo();
        return c;
    }();
    return *catalogue;
}

// A graph host with the catalogue, whose store names measured series as a run does.
struct CReopenRig
{
    CGraphTestHost host;
    CGraphWindow* graph = nullptr;

    CReopenRig()
    {
        host.m_pCatalogue = const_cast<CSensorInfo*>(&Catalogue());
        host.m_Data.SetSensorCatalogue(&Catalogue());
        host.resize(1000, 800);
        host.show();
        graph = newGraph();
    }
    CGraphWindow* newGraph()
    {
        auto* g = new CGraphWindow(&host);
        g->resize(800, 600);
        g->show();
        host.SetLastActiveGraph(g);
        return g;
    }
    // A run of one measured series (five samples from 121.9 up) and a plain one, drawn as
    // the graph draws a run it recorded.
    void recordRun(int sensorIndex, int measurement, bool byHand)
    {
        host.m_Setup.m_RateCode = byHand ? 0 : 8;   // 8: 25 samples a second
        CDataFolder* run = host.m_Data.CreateDataFolder();
        run->m_bSampledByHand = byHand;
        const int key = host.m_Data.CreateDataBranch(sensorIndex, 0.04, 0, measurement, run->m_Key);
        run->AddBranchKey(key);
        CDataBranch* plain = host.addBranch(run, SensorIndexOnlineFunction, 0.04, QStringLiteral("T"));
        plain->m_Unit = QStringLiteral("C");
        CGraphTestHost::fill(host.m_Data.GetDataBranch(key), 5, [](int i) { return 121.9 + 2 * i; });
        CGraphTestHost::fill(plain, 5, [](int i) { return 20.0 + i; });
        emit host.m_Hub.LoggerStartedRun();
        emit host.m_Hub.LoggerExperimentEnd();
    }
    // The workspace as the saver writes it: the store's records, then each graph's.
    QByteArray save(const QList<CGraphWindow*>& graphs)
    {
        QByteArray bytes;
        QDataStream out(&bytes, QIODevice::WriteOnly);
        QByteArray data;
        {
            QDataStream d(&data, QIODevice::WriteOnly);
            host.m_Data.SaveAllBranchesAndFoldersToFile(&d);
        }
        out << data;
        for (CGraphWindow* g : graphs) {
            QByteArray record;
            QDataStream r(&record, QIODevice::WriteOnly);
            g->saveToFile(&r);
            out << record;
        }
        return bytes;
    }
    // Reads what save wrote into this (empty) rig: the store, then one graph per record.
    QList<CGraphWindow*> open(const QByteArray& bytes)
    {
        QDataStream in(bytes);
        QByteArray data;
        in >> data;
        QDataStream d(data);
        while (!d.atEnd()) {
            qint16 tag = 0;
            d >> tag;
            const int result = tag == RecordIO::TagFolder ? host.m_Data.LoadFolderFromFile(&d)
                                                          : host.m_Data.LoadBranchFromFile(&d);
            if (result != 0)
                return {};
        }
        QList<CGraphWindow*> graphs;
        while (!in.atEnd()) {
            QByteArray record;
            in >> record;
            QDataStream r(record);
            CGraphWindow* g = newGraph();
            if (g->loadFromFile(&r) != 0)
                return {};
            graphs << g;
        }
        return graphs;
    }
};

QStringList Items(const QComboBox* combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

// Everything the graph says of its plots: picker entries, titles, prefixes, the X title, the
// read-out of cursor 1 on `cursorPlot` at sample 2 and the CSV header.
QStringList Shown(CGraphWindow* g, int cursorPlot, float cursorX)
{
    QStringList shown = Items(g->m_pLeftScaleCombo) + Items(g->m_pXScaleCombo);
    for (const CGraphPlot& p : g->m_Plots)
        shown << CGraphWindow::PlotTitle(p) << QString::number(p.m_UnitPrefix) << QString::number(p.m_DataUnitPrefix);
    shown << g->XAxisTitle();
    const CDataBranch* b = g->GetDataBranch(cursorPlot);
    g->m_Cursor1Plot = cursorPlot;
    g->m_Cursor1Sample = 2;
    g->m_Cursor1X = cursorX;
    g->m_Cursor1Y = b ? float(b->GetYSample(2)) : 0.0f;
    g->m_RepaintMode = CGraphWindow::RepaintFull;
    g->grab();
    shown << g->m_Cursor1Text;
    shown << GraphCsv::Build(g->CsvColumns(), QLocale::c(), QStringLiteral("Time"), QStringLiteral("Samples"))
                 .section(QStringLiteral("\r\n"), 0, 0);
    return shown;
}

// The measured series as the XY graph's X axis: the plain series drawn against it.
void MakeXY(CGraphWindow* g)
{
    CGraphPlot x = g->GetPlot(0);
    g->m_XPlotIndex = 0;
    g->SetXPlot(&x, false, 0);
    g->m_GraphType = CGraphWindow::XYGraph;
    g->BuildScaleCombos();
    g->AutoScaleAllAxis(false);
}

} // namespace

class TestGraphReopen : public QObject
{
    Q_OBJECT
private slots:
    void prefixedUnitsReadBackAsShown_data();
    void prefixedUnitsReadBackAsShown();
    void timeAxisSaysHowTheRunWasSampled_data();
    void timeAxisSaysHowTheRunWasSampled();
};

void TestGraphReopen::prefixedUnitsReadBackAsShown_data()
{
    QTest::addColumn<int>("sensor");
    QTest::addColumn<int>("measurement");
    QTest::addColumn<QString>("unit");   // with its prefix, as the run showed it
    QTest::addColumn<bool>("olderRecord");
    int rows = 0;
    for (int s = 1; s < CSensorInfo::s_NumOfSensors; ++s) {
        for (int m = 0; m < CSensorParametersInfo::s_MaxMeasurements; ++m) {
            const CSensorMeasuremntInfo* mi = Catalogue().GetMeasurementInfo(s, m);
            if (!mi || mi->m_UnitPrefix < 1 || mi->m_UnitPrefix > 3)
                continue;
            const QString unit = GetUnitPrefix(mi->m_UnitPrefix) + mi->m_Unit;
            for (bool older : {false, true})
                QTest::addRow("%d.%d %s%s", s, m, qPrintable(unit), older ? " older record" : "")
                    << s << m << unit << older;
            ++rows;
        }
    }
    QVERIFY(rows >= 30);   // kPa, mV, mA, mT, μC and the rest
}

void TestGraphReopen::prefixedUnitsReadBackAsShown()
{
    QFETCH(int, sensor);
    QFETCH(int, measurement);
    QFETCH(QString, unit);
    QFETCH(bool, olderRecord);
    CReopenRig before;
    before.recordRun(sensor, measurement, false);
    CGraphWindow* timeGraph = before.graph;
    CGraphWindow* xyGraph = before.newGraph();
    xyGraph->AddPlotsFromKeyArray({before.host.m_Data.GetDataBranchByIndex(0)->m_Key,
                                   before.host.m_Data.GetDataBranchByIndex(1)->m_Key});
    MakeXY(xyGraph);
    const QStringList timeShown = Shown(timeGraph, 0, 2.0f);
    const QStringList xyShown = Shown(xyGraph, 1, 125.9f);
    // The run shows its unit with the prefix: in the pickers, the read-outs and the header.
    QVERIFY2(timeShown.filter(QStringLiteral("(") + unit + QStringLiteral(")")).size() >= 3, qPrintable(timeShown.join('|')));
    QVERIFY2(timeShown.at(timeShown.size() - 2).contains(QStringLiteral("y=125.9") + unit), qPrintable(timeShown.join('|')));
    QVERIFY2(xyShown.at(xyShown.size() - 2).startsWith(QStringLiteral("x=125.9") + unit), qPrintable(xyShown.join('|')));
    if (olderRecord) {
        // Written as before the prefixes were kept: the catalogue's unit without them.
        for (CGraphWindow* g : {timeGraph, xyGraph})
            for (CGraphPlot& p : g->m_Plots)
                p.m_UnitPrefix = p.m_DataUnitPrefix = 0;
    }
    const QByteArray file = before.save({timeGraph, xyGraph});

    CReopenRig after;
    const QList<CGraphWindow*> graphs = after.open(file);
    QCOMPARE(graphs.size(), 2);
    QCOMPARE(Shown(graphs.at(0), 0, 2.0f), timeShown);
    QCOMPARE(Shown(graphs.at(1), 1, 125.9f), xyShown);
}

void TestGraphReopen::timeAxisSaysHowTheRunWasSampled_data()
{
    QTest::addColumn<bool>("byHand");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("picker");
    QTest::newRow("25 samples a second") << false << "Time (s)" << "Time";
    QTest::newRow("sampled by hand") << true << "Samples (s)" << "Samples";
}

void TestGraphReopen::timeAxisSaysHowTheRunWasSampled()
{
    QFETCH(bool, byHand);
    QFETCH(QString, title);
    QFETCH(QString, picker);
    CReopenRig before;
    before.recordRun(71, 0, byHand);
    QCOMPARE(before.graph->XAxisTitle(), title);
    CReopenRig after;
    const QList<CGraphWindow*> graphs = after.open(before.save({before.graph}));
    QCOMPARE(graphs.size(), 1);
    // The reopened graph, and a new graph the reopened run is dropped into (its series carry
    // no rate code any more).
    CGraphWindow* dropped = after.newGraph();
    QMimeData mime;
    mime.setText(QStringLiteral("Run 1,%1").arg(after.host.m_Data.GetDataBranchByIndex(0)->m_Key));
    QDropEvent drop(QPointF(400, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    static_cast<QObject*>(dropped)->event(&drop);
    for (CGraphWindow* g : {graphs.first(), dropped}) {
        QCOMPARE(g->GetNumPlots() > 0, true);
        QCOMPARE(g->XAxisTitle(), title);
        QCOMPARE(g->m_pXScaleCombo->itemText(0), picker);
    }
}

KORVANTA_TEST_MAIN(TestGraphReopen)
#include "tst_graph_reopen.moc"
