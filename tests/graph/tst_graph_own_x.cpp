// An XY graph of Run 2's temperature against its typed masses draws a dropped run against that
// run's own masses, refuses with a notice a run that has none, and keeps its scales on curves.
#include "graph/GraphRules.h"
#include "support/GraphRig.h"

#include <QDropEvent>
#include <QMimeData>
#include "common/TestMain.h"

class TestGraphOwnX : public QObject
{
    Q_OBJECT
private slots:
    void droppedRunsStandOnTheirOwnMasses_data()
    {
        QTest::addColumn<int>("run");
        QTest::addColumn<QString>("notice");
        QTest::newRow("run sampled by hand") << 1 << "Run 1 has no Mass(g) values";
        QTest::newRow("run with masses of its own") << 3 << "";
    }
    void droppedRunsStandOnTheirOwnMasses()
    {
        QFETCH(int, run);
        QFETCH(QString, notice);
        CGraphRig g;
        CDataBranch *t[4], *m[4] = {};
        for (int r = 1; r <= 3; ++r) {
            CDataFolder* f = g.host.addRun(QStringLiteral("Run %1").arg(r));
            t[r] = g.host.addBranch(f, SensorIndexOnlineFunction, 1.0, "Temperature", 0);
            t[r]->m_Color = QColor(0, 60 * r, 0);
            CGraphTestHost::fill(t[r], 4, [](int i) { return 20.0 + i; });
            if (r > 1) {   // Run 1 was sampled by hand, without masses
                m[r] = g.host.addBranch(f, SensorIndexManualX, 1.0, "Mass", 0);
                m[r]->m_Unit = "g";
                CGraphTestHost::fill(m[r], 4, [r](int i) { return 40.0 * r - 70.0 + 10.0 * i; });   // 10..40, 50..80
            }
        }
        CGraphWindow* w = g.graph;
        w->AddPlotsFromKeyArray({t[2]->m_Key, m[2]->m_Key});
        w->OnXScaleComboChanged(2);   // Run 2's masses, as the X picker chooses them
        QMimeData mime;
        mime.setText(QStringLiteral("Run %1,%2").arg(run).arg(t[run]->m_Key));
        QDragEnterEvent enter(w->m_GraphRect.center(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QDropEvent drop(w->m_GraphRect.center(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &enter);
        QCoreApplication::sendEvent(w, &drop);

        const bool taken = notice.isEmpty();
        QCOMPARE(w->m_Plots.size(), taken ? 3 : 2);
        QCOMPARE(w->XBranchOfPlot(2), m[run]);
        QVERIFY(w->m_XMin <= 10.0f && w->m_XMax >= (taken ? 80.0f : 40.0f));
        // The scales name curves that are shown, never the hidden mass plot.
        for (int s : {w->m_LeftScalePlot, w->m_RightScalePlot})
            QVERIFY(s == -1 || (w->PlotIsDrawn(s) && w->m_Plots.at(s).m_Key != m[2]->m_Key));
        // Run 3's last point stands at its own 80 g, beyond every mass of Run 2.
        const QImage image = w->grab().toImage();
        const int x80 = GraphRules::ToPixelX(80.0f, w->m_XMin, w->m_XMax, w->m_GraphRect);
        bool at80 = false;
        for (int py = w->m_GraphRect.top(); py <= w->m_GraphRect.bottom(); ++py)
            at80 = at80 || image.pixelColor(x80 - 1, py) == t[3]->m_Color;
        QCOMPARE(at80, taken);
        QTRY_COMPARE(g.services.prompter.m_Notices.size(), taken ? 0 : 1);
        QVERIFY(taken || g.services.prompter.m_Notices.first().startsWith(notice));
    }
};

KORVANTA_TEST_MAIN(TestGraphOwnX)
#include "tst_graph_own_x.moc"
