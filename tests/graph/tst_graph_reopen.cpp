// What a graph shows after the workspace is saved and read back: for every catalogue measurement
// whose unit has a prefix, its pickers, titles, prefixes, read-out and CSV header, also from a
// record written before the prefixes were kept; and a new graph shows its timed run in seconds.
#include "common/GraphTestHost.h"
#include "support/ScaleBoxes.h"
#include "graph/GraphCsv.h"
#include "graph/GraphWindow.h"
#include "support/GraphRig.h"
#include "Core/Data/RecordIO.h"
#include "Core/Data/SensorInfo.h"

#include <QComboBox>
#include <QDropEvent>
#include <QMimeData>
#include "common/TestMain.h"

namespace {

CSensorInfo* Catalogue()
{
    static CSensorInfo* c = [] { auto* s = new CSensorInfo; s->LoadSensorInfo(); return s; }();
    return c;
}

// A graph window on host; the host's store and graphs take the catalogue.
CGraphWindow* NewGraph(CGraphTestHost& host)
{
    host.m_pCatalogue = Catalogue();
    host.m_Data.SetSensorCatalogue(Catalogue());
    auto* g = new CGraphWindow(&host);
    g->resize(800, 600);
    host.SetLastActiveGraph(g);
    return g;
}

// from's store and g written as a workspace file holds them, then read into into's.
CGraphWindow* Reopen(CGraphTestHost& from, CGraphWindow* g, CGraphTestHost& into)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    from.m_Data.SaveAllBranchesAndFoldersToFile(&out);
    out << qint16(1105);   // the graph window's tag
    g->saveToFile(&out);
    QDataStream in(bytes);
    for (qint16 tag = 0; in >> tag, tag != 1105;)
        if ((tag == RecordIO::TagFolder ? into.m_Data.LoadFolderFromFile(&in) : into.m_Data.LoadBranchFromFile(&in)) != 0)
            return nullptr;
    CGraphWindow* back = NewGraph(into);
    return back->loadFromFile(&in) == 0 ? back : nullptr;
}

// Pickers, titles with prefixes, cursor 1's read-out on plot 1 at sample 2 and the CSV header.
QStringList Shown(CGraphWindow* g)
{
    QStringList shown{g->X().AxisTitle()};
    for (int i = 0; i < ScaleBox(g, "xScaleCombo")->count(); ++i)
        shown << ScaleBox(g, "xScaleCombo")->itemText(i) << ScaleBox(g, "leftScaleCombo")->itemText(i);
    for (const CGraphPlot& p : g->m_Plots)
        shown << CGraphX::PlotTitle(p) + QString::number(p.m_UnitPrefix) + QString::number(p.m_DataUnitPrefix);
    g->Cursors().SetPlot(1, 1);
    g->Cursors().SetX(1, float(g->GetDataBranch(0)->GetYSample(2)));
    g->Cursors().SetY(1, float(g->GetDataBranch(1)->GetYSample(2)));
    g->grab();
    return shown << g->Cursors().First().m_Text << GraphCsv::Build(g->CsvColumns(), QLocale::c(), "Time", "Samples").section("\r\n", 0, 0);
}

} // namespace

class TestGraphReopen : public QObject
{
    Q_OBJECT
private slots:
    void prefixedUnitsReadBackAsShown_data()
    {
        QTest::addColumn<int>("sensor");
        QTest::addColumn<int>("measurement");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<int>("record");   // 1 written before prefixes were kept, 2 shown without its prefix
        for (int s = 1; s < CSensorInfo::s_NumOfSensors; ++s)
            for (int m = 0; m < CSensorParametersInfo::s_MaxMeasurements; ++m)
                if (const CSensorMeasuremntInfo* mi = Catalogue()->GetMeasurementInfo(s, m))
                    for (int record = 0; record < 3 && mi->m_UnitPrefix >= 1 && mi->m_UnitPrefix <= 3; ++record)
                        QTest::addRow("%d.%d-%d", s, m, record) << s << m << GetUnitPrefix(mi->m_UnitPrefix) + mi->m_Unit << record;
    }
    void prefixedUnitsReadBackAsShown()
    {
        QFETCH(int, sensor);
        QFETCH(int, measurement);
        QFETCH(QString, unit);
        QFETCH(int, record);
        // A run of one measurement on two ports (121.9, 123.9, ... and 20, 21, ...) at 25 a
        // second as the graph draws it, then port 2 against port 1.
        CGraphTestHost before, after;
        CGraphWindow* g = NewGraph(before);
        before.m_Setup.m_RateCode = 8;
        CDataFolder* run = before.m_Data.CreateDataFolder();
        for (int port = 0; port < 2; ++port) {
            run->AddBranchKey(before.m_Data.CreateDataBranch(sensor, 0.04, port, measurement, run->m_Key));
            CGraphTestHost::fill(before.m_Data.GetDataBranchByIndex(port), 5, [port](int i) { return port ? 20.0 + i : 121.9 + 2 * i; });
        }
        emit before.m_Hub.LoggerStartedRun();
        g->OnXScaleComboChanged(1);
        g->m_Plots[0].m_UnitPrefix = g->m_Plots[1].m_UnitPrefix = record == 2 ? 0 : g->m_Plots[1].m_UnitPrefix;
        g->BuildScaleCombos();
        g->AutoScaleAllAxis(false);
        const QStringList shown = Shown(g);
        QVERIFY2(record == 2 || (shown.join('|').contains(QStringLiteral("x=125.9%1  y=22%1").arg(unit))
                                 && shown.first().endsWith('(' + unit + ')') && shown.last().count('(' + unit + ')') == 2),
                 qPrintable(shown.join('|')));
        for (CGraphPlot& p : g->m_Plots)   // older records hold the unit alone
            if (record == 1)
                p.m_UnitPrefix = p.m_DataUnitPrefix = 0;
        CGraphWindow* reopened = Reopen(before, g, after);
        QVERIFY(reopened);
        QCOMPARE(Shown(reopened), shown);
        // In a new graph the timed run's series, whose rate code no file keeps, is on a time axis.
        CGraphWindow* dropped = NewGraph(after);
        QMimeData mime;
        mime.setText(QStringLiteral("Run 1,%1").arg(after.m_Data.GetDataBranchByIndex(0)->m_Key));
        QDropEvent drop(QPointF(400, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        static_cast<QObject*>(dropped)->event(&drop);
        QCOMPARE(dropped->X().AxisTitle() + ScaleBox(dropped, "xScaleCombo")->itemText(0), QString("Time (s)Time"));
    }

    // A spectrum's graph shows the spectrum against its frequency axis; the series of that
    // axis is no curve and takes no scale, when the spectrum is made and after Open, also
    // from a file that lists it among the plots.
    void spectrumsFrequencyAxisIsNoCurve()
    {
        CGraphTestHost before, after;
        CGraphEngine engine(before.m_Data);
        CDataFolder* run = before.m_Data.CreateDataFolder();
        CDataBranch* t = before.m_Data.GetDataBranch(before.m_Data.CreateDataBranch(SensorIndexOnlineFunction, 0.1, 0, 0, run->m_Key));
        run->AddBranchKey(t->m_Key);
        CGraphTestHost::fill(t, 64, [](int i) { return (i % 8) - 4.0; });
        CDataBranch* axis = nullptr;
        CDataBranch* spectrum = engine.functions.FunctionFourier(t, 0, -1, QStringLiteral("FFT"), QString(), &axis);
        QVERIFY(spectrum && axis);
        CGraphWindow* made = NewGraph(before);
        for (CDataBranch* b : {axis, spectrum})
            emit before.m_Hub.newFunctionData(b->m_Key, t->m_Key, -1);
        QCOMPARE(made->GetNumPlots() == 1 ? made->GetPlot(0).m_Key : -1, spectrum->m_Key);
        // A graph written with the axis first, on the left scale.
        CGraphWindow* old = NewGraph(before);
        old->AddPlotsFromKeyArray({axis->m_Key, spectrum->m_Key});
        QVERIFY(ChooseScale(old, "leftScaleCombo", 0));
        QVERIFY(!old->X().PlotIsDrawn(0) && old->X().PlotIsDrawn(1));
        CGraphWindow* reopened = Reopen(before, old, after);
        QVERIFY(reopened);
        QCOMPARE(reopened->GetNumPlots() == 1 ? reopened->GetPlot(0).m_Key : -1, spectrum->m_Key);
        QCOMPARE(reopened->LeftScalePlot(), 0);
        QCOMPARE(reopened->X().AxisTitle(), QStringLiteral("Frequency (Hz)"));
    }
};

KORVANTA_TEST_MAIN(TestGraphReopen)
#include "tst_graph_reopen.moc"
