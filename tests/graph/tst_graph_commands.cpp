// The graph's own tool-bar commands and what other windows ask of it: each command's enable
// rule on the real tool bar, prediction curves, the properties dialog, the questions about
// functions and the X axis, the refused close during a run, the reactions to downloads,
// tracking runs and playback, and the window record with its plots.
#include "common/GraphTestHost.h"
#include "support/ScaleBoxes.h"
#include "windowbase/MultiAction.h"
#include "graph/GraphProperties.h"
#include "Core/Data/Globals.h"
#include "graph/GraphWindow.h"
#include "common/GraphToolBar.h"
#include "Core/Data/SetupInfo.h"
#include "support/GraphRig.h"

#include <QAbstractItemView>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDataStream>
#include <QDialogButtonBox>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>

#include <memory>

#include "common/RecordCuts.h"
#include "common/TestMain.h"

namespace {

// Whether the graph takes a dragged series now: it takes none while it follows a run or a
// video's playback.
bool TakesDrags(CGraphWindow* graph)
{
    QMimeData mime;
    mime.setText(QStringLiteral("Run1,1"));
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(graph, &enter);
    return enter.isAccepted();
}

struct CRig : CGraphRig
{
    CDataFolder* run(const QList<int>& sensorIndexes, int n, const QString& name = QStringLiteral("Run1"))
    {
        CDataFolder* f = host.addRun(name);
        for (int idx : sensorIndexes) {
            CDataBranch* b = host.addBranch(f, idx, 0.1, QStringLiteral("B%1").arg(f->GetNumberBranches()));
            CGraphTestHost::fill(b, n, [](int i) { return 1.0 + i; });
        }
        return f;
    }
    QList<int> keys(const CDataFolder* f) const { return f->GetBranchKeys().toList(); }
    bool enabled(int action) const { return GraphAction(graph, action)->isEnabled(); }
};

// The dialog's controls, found by their object names as the form names them.
struct CForm
{
    QComboBox* plotsComboBox;
    QCheckBox* autoScaleCheckBox;
    QPushButton* colorButton;
    QComboBox* unitComboBox;
    QComboBox* plotStyleComboBox;
    QLineEdit* maxEdit;
    QLineEdit* minEdit;
    QDialogButtonBox* buttonBox;
    explicit CForm(QDialog* d)
        : plotsComboBox(d->findChild<QComboBox*>(QStringLiteral("plotsComboBox"))),
          autoScaleCheckBox(d->findChild<QCheckBox*>(QStringLiteral("autoScaleCheckBox"))),
          colorButton(d->findChild<QPushButton*>(QStringLiteral("colorButton"))),
          unitComboBox(d->findChild<QComboBox*>(QStringLiteral("unitComboBox"))),
          plotStyleComboBox(d->findChild<QComboBox*>(QStringLiteral("plotStyleComboBox"))),
          maxEdit(d->findChild<QLineEdit*>(QStringLiteral("maxEdit"))),
          minEdit(d->findChild<QLineEdit*>(QStringLiteral("minEdit"))),
          buttonBox(d->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox")))
    {
    }
};

QByteArray Saved(CGraphWindow* g)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << qint16(1105);
    g->saveToFile(&out);
    return bytes;
}

// The records of the round trips seed the record fuzzer: with KORVANTA_GRAPH_SEEDS naming a
// folder, each is written there without its window tag.
void Seed(const char* name, const QByteArray& bytes)
{
    const QString dir = qEnvironmentVariable("KORVANTA_GRAPH_SEEDS");
    if (dir.isEmpty())
        return;
    QFile f(dir + QLatin1Char('/') + QLatin1String(name));
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes.mid(2));
}

int Load(CGraphWindow* g, const QByteArray& bytes)
{
    QDataStream in(bytes);
    qint16 tag = 0;
    in >> tag;
    return g->loadFromFile(&in);
}

} // namespace

class TestGraphCommands : public QObject
{
    Q_OBJECT
private slots:
    void commandsEnabledByTheirRules()
    {
        CRig rig;
        rig.graph->UpdateButtons();
        for (int a : {CGraphWindow::ActProperties, CGraphWindow::ActCopyGraph, CGraphWindow::ActExport,
                      CGraphWindow::ActPrint, CGraphWindow::ActAddPredict, CGraphWindow::ActErasePredict})
            QVERIFY2(!rig.enabled(a), qPrintable(QString::number(a)));
        QVERIFY(rig.enabled(CGraphWindow::ActPredict));   // a prediction may come before any data
        rig.graph->AddPlotsFromKeyArray(rig.keys(rig.run({SensorIndexOnlineFunction}, 5)));
        rig.graph->UpdateButtons();
        for (int a : {CGraphWindow::ActProperties, CGraphWindow::ActCopyGraph, CGraphWindow::ActExport,
                      CGraphWindow::ActPrint, CGraphWindow::ActPredict})
            QVERIFY2(rig.enabled(a), qPrintable(QString::number(a)));
        QVERIFY(!rig.enabled(CGraphWindow::ActAddPredict));
        QVERIFY(!rig.enabled(CGraphWindow::ActErasePredict));
        // Predict mode offers the other two prediction commands.
        GraphAction(rig.graph, CGraphWindow::ActPredict)->trigger();
        QVERIFY(rig.graph->Predictions().IsOn());
        QVERIFY(rig.enabled(CGraphWindow::ActAddPredict) && rig.enabled(CGraphWindow::ActErasePredict));
        QVERIFY(GraphAction(rig.graph, CGraphWindow::ActPredict)->isChecked());
        GraphAction(rig.graph, CGraphWindow::ActErasePredict)->trigger();
        QCOMPARE(rig.graph->GetMouseMode(), int(CGraphWindow::MouseErasePredict));
        QVERIFY(GraphAction(rig.graph, CGraphWindow::ActErasePredict)->isChecked());
        GraphAction(rig.graph, CGraphWindow::ActErasePredict)->trigger();
        QCOMPARE(rig.graph->GetMouseMode(), int(CGraphWindow::MouseNormal));
        // During a run the export, copy, print and properties commands wait.
        emit rig.host.m_Hub.LoggerStartedRun();
        QVERIFY(rig.graph->IsRunning());
        rig.graph->UpdateButtons();
        for (int a : {CGraphWindow::ActProperties, CGraphWindow::ActCopyGraph, CGraphWindow::ActExport,
                      CGraphWindow::ActPrint})
            QVERIFY2(!rig.enabled(a), qPrintable(QString::number(a)));
        QVERIFY(rig.enabled(CGraphWindow::ActPredict));
        emit rig.host.m_Hub.LoggerExperimentEnd();
        // A bar graph (a timing run's) has no prediction.
        rig.run({SensorIndexTimingResult}, 5, QStringLiteral("Run2"));
        emit rig.host.m_Hub.LoggerStartedRun();
        emit rig.host.m_Hub.LoggerExperimentEnd();
        QCOMPARE(rig.graph->GraphType(), int(CGraphWindow::BarGraph));
        rig.graph->UpdateButtons();
        QVERIFY(!rig.enabled(CGraphWindow::ActPredict));
        QVERIFY(rig.enabled(CGraphWindow::ActExport));
    }

    void predictModeHoldsTheDrawLimitAndStartsACurve()
    {
        CRig rig;
        rig.graph->AddPlotsFromKeyArray(rig.keys(rig.run({SensorIndexOnlineFunction}, 120)));
        CGraphPlot first = rig.graph->GetPlot(0);
        first.m_Min = -2.0f;
        first.m_Max = 8.0f;
        rig.graph->UpdatePlot(first, 0);
        rig.graph->OnPredict();
        QVERIFY(rig.graph->Predictions().IsOn());
        QCOMPARE(rig.graph->GetMouseMode(), int(CGraphWindow::MouseAddPredict));
        QCOMPARE(rig.graph->m_LastShownSample, qint64(120));
        QCOMPARE(rig.graph->Predictions().Curves().size(), 1);
        QCOMPARE(rig.graph->Predictions().Curves().at(0).m_Plot.m_Min, -2.0f);
        QCOMPARE(rig.graph->Predictions().Curves().at(0).m_Plot.m_Max, 8.0f);
        QVERIFY(!rig.graph->Predictions().Curves().at(0).m_Plot.m_bAutoScale);
        // More samples arrive; the limit stays until predict mode ends, the curve stays after.
        CGraphTestHost::fill(rig.graph->GetDataBranch(0), 10, [](int) { return 1.0; }, 120);
        QCOMPARE(rig.graph->m_LastShownSample, qint64(120));
        rig.graph->OnPredict();
        QVERIFY(!rig.graph->Predictions().IsOn());
        QCOMPARE(rig.graph->GetMouseMode(), int(CGraphWindow::MouseNormal));
        QCOMPARE(rig.graph->m_LastShownSample, qint64(-1));
        QCOMPARE(int(rig.graph->PaintCounts().m_NextRepaint), int(CGraphWindow::RepaintPredictOff));
        QCOMPARE(rig.graph->Predictions().Curves().size(), 1);
    }

    void predictModeWithoutPlots()
    {
        CRig rig;
        rig.graph->m_LastShownSample = 40;
        rig.graph->OnPredict();
        QCOMPARE(rig.graph->m_LastShownSample, qint64(-1));
        QCOMPARE(rig.graph->Predictions().Curves().size(), 1);
        QCOMPARE(rig.graph->Predictions().Curves().at(0).m_Plot.m_Min, 0.0f);
        QCOMPARE(rig.graph->Predictions().Curves().at(0).m_Plot.m_Max, 10.0f);
    }

    void newCurvesTakeConsecutivePaletteColours()
    {
        CRig rig;
        InitGlobalColors();
        GraphAction(rig.graph, CGraphWindow::ActAddPredict)->setEnabled(true);
        rig.graph->OnAddPredict();
        rig.graph->OnAddPredict();
        QCOMPARE(rig.graph->Predictions().Curves().size(), 2);
        QCOMPARE(rig.graph->Predictions().Curves().at(0).m_Plot.m_Color, colorsTable[0]);
        QCOMPARE(rig.graph->Predictions().Curves().at(1).m_Plot.m_Color, colorsTable[1]);
        // From slot 6 on: the grid's blue and orange (slots 7 and 8) are passed over.
        globalColorIndex = 6;
        rig.graph->OnAddPredict();
        rig.graph->OnAddPredict();
        QCOMPARE(rig.graph->Predictions().Curves().at(2).m_Plot.m_Color, colorsTable[6]);
        QCOMPARE(rig.graph->Predictions().Curves().at(3).m_Plot.m_Color, colorsTable[9]);
        // So is the pale yellow of slot 11.
        globalColorIndex = 11;
        rig.graph->OnAddPredict();
        QCOMPARE(rig.graph->Predictions().Curves().at(4).m_Plot.m_Color, colorsTable[0]);
    }

    void xAxisFunctionsNeedRisingXValues_data()
    {
        QTest::addColumn<QVector<double>>("x");
        QTest::addColumn<bool>("legal");
        QTest::newRow("equal pair") << QVector<double>{1, 2, 2, 3} << false;
        QTest::newRow("rising") << QVector<double>{1, 2, 3} << true;
        QTest::newRow("single") << QVector<double>{1} << true;
        QTest::newRow("falling end") << QVector<double>{1, 2, 3, 0} << false;
    }
    void xAxisFunctionsNeedRisingXValues()
    {
        QFETCH(QVector<double>, x);
        QFETCH(bool, legal);
        CRig rig;
        CDataFolder* f = rig.run({SensorIndexOnlineFunction, SensorIndexOnlineFunction}, 0);
        CDataBranch* xb = rig.host.m_Data.GetDataBranch(f->GetBranchKey(1));
        for (int i = 0; i < x.size(); ++i)
            xb->AddSample(i, x.at(i));
        rig.graph->AddPlotsFromKeyArray(rig.keys(f));
        QVERIFY(rig.graph->XAxisFuntionsAreLegal());   // time axis
        rig.graph->OnXScaleComboChanged(2);
        QCOMPARE(rig.graph->X().PlotIndex(), 1);
        QCOMPARE(rig.graph->XAxisFuntionsAreLegal(), legal);
    }

    void functionsApplyExceptToBarGraphs()
    {
        CRig rig;
        QVERIFY(rig.graph->EnableFunctions());
        rig.graph->AddPlotsFromKeyArray(rig.keys(rig.run({SensorIndexOnlineFunction, SensorIndexOnlineFunction}, 5)));
        rig.graph->OnXScaleComboChanged(1);
        QCOMPARE(rig.graph->GraphType(), int(CGraphWindow::XYGraph));
        QVERIFY(rig.graph->EnableFunctions());
        rig.run({SensorIndexTimingResult}, 5, QStringLiteral("Run2"));
        emit rig.host.m_Hub.LoggerStartedRun();
        emit rig.host.m_Hub.LoggerExperimentEnd();
        QCOMPARE(rig.graph->GraphType(), int(CGraphWindow::BarGraph));
        QVERIFY(!rig.graph->EnableFunctions());
    }

    void slopeAndAreaReadOutsSwitch()
    {
        CRig rig;
        rig.graph->EnableSlopeMode(true);
        QVERIFY(rig.graph->SlopeMode());
        rig.graph->EnableAreaMode(true);
        rig.graph->EnableSlopeMode(false);
        QVERIFY(!rig.graph->SlopeMode() && rig.graph->AreaMode());
        QCOMPARE(int(rig.graph->PaintCounts().m_NextRepaint), int(CGraphWindow::RepaintFull));
    }

    void closingDuringARunIsRefused()
    {
        CRig rig;
        emit rig.host.m_Hub.LoggerStartedRun();
        QVERIFY(!rig.graph->close());
        QVERIFY(rig.graph->isVisible());
        emit rig.host.m_Hub.LoggerExperimentEnd();
        QPointer<CGraphWindow> g = rig.graph;
        QVERIFY(g->close());
    }

    void propertiesListAndSwitchPlots()
    {
        CRig rig;
        CDataFolder* f = rig.run({SensorIndexOnlineFunction, SensorIndexOnlineFunction}, 3);
        rig.graph->AddPlotsFromKeyArray(rig.keys(f));
        CGraphPlot a = rig.graph->GetPlot(0);
        a.m_Name = QStringLiteral("Voltage");
        a.m_Unit = QStringLiteral("V");
        a.m_UnitPrefix = a.m_DataUnitPrefix = 2;
        a.m_bAutoScale = false;
        a.m_Min = 0.0f;
        a.m_Max = 10.0f;
        rig.graph->UpdatePlot(a, 0);
        CGraphPlot b = rig.graph->GetPlot(1);
        b.m_Name = QStringLiteral("Count");
        b.m_Unit.clear();
        rig.graph->UpdatePlot(b, 1);

        CGraphProperties dialog;
        dialog.Init(rig.graph);
        CForm form(&dialog);
        CForm* ui = &form;
        QCOMPARE(ui->plotsComboBox->itemText(0), QStringLiteral("Voltage (mV)"));
        QCOMPARE(ui->plotsComboBox->itemText(1), QStringLiteral("Count"));
        QCOMPARE(ui->unitComboBox->count(), 4);
        QCOMPARE(ui->plotStyleComboBox->count(), 4);
        QCOMPARE(ui->minEdit->text(), QStringLiteral("0"));
        QCOMPARE(ui->maxEdit->text(), QStringLiteral("10"));
        QVERIFY(ui->minEdit->isEnabled());
        QCOMPARE(ui->unitComboBox->currentIndex(), 2);
        // "k" writes the range in kV: the same range in the new prefix.
        ui->unitComboBox->setCurrentIndex(1);
        QCOMPARE(ui->maxEdit->text(), QStringLiteral("0.00001"));
        ui->maxEdit->setText(QStringLiteral("12.5"));
        // To plot B and back: A's unconfirmed edits are kept.
        ui->plotsComboBox->setCurrentIndex(1);
        QCOMPARE(dialog.CurrentIndex(), 1);
        ui->plotsComboBox->setCurrentIndex(0);
        QCOMPARE(ui->maxEdit->text(), QStringLiteral("12.5"));
        QCOMPARE(dialog.Plots().at(0).m_UnitPrefix, 1);
        // Nothing reaches the graph without OK.
        QCOMPARE(rig.graph->GetPlot(0).m_Max, 10.0f);
        QCOMPARE(rig.graph->GetPlot(0).m_UnitPrefix, 2);
        // Auto scale disables the range edits and keeps their texts.
        ui->autoScaleCheckBox->click();
        QVERIFY(!ui->minEdit->isEnabled() && !ui->maxEdit->isEnabled());
        ui->autoScaleCheckBox->click();
        QVERIFY(ui->minEdit->isEnabled());
        QCOMPARE(ui->maxEdit->text(), QStringLiteral("12.5"));
    }

    void propertiesOkWritesEveryPlotBack()
    {
        CRig rig;
        rig.graph->AddPlotsFromKeyArray(rig.keys(rig.run({SensorIndexOnlineFunction, SensorIndexOnlineFunction}, 3)));
        const CGraphPlot untouched = rig.graph->GetPlot(1);
        CGraphProperties dialog;
        rig.services.prompter.m_Color = QColor(10, 20, 30);
        dialog.SetPrompter(&rig.services.prompter);
        dialog.Init(rig.graph);
        CForm form(&dialog);
        CForm* ui = &form;
        ui->autoScaleCheckBox->setChecked(false);
        ui->minEdit->setText(QStringLiteral("-2,5"));
        ui->maxEdit->setText(QStringLiteral("1e30"));
        ui->plotStyleComboBox->setCurrentIndex(3);
        ui->colorButton->click();
        QCOMPARE(ui->colorButton->styleSheet(), QStringLiteral("background-color: #0a141e"));
        // A cancelled colour chooser keeps the colour chosen.
        rig.services.prompter.m_Color = QColor();
        ui->colorButton->click();
        QCOMPARE(ui->colorButton->styleSheet(), QStringLiteral("background-color: #0a141e"));
        ui->buttonBox->button(QDialogButtonBox::Ok)->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        const CGraphPlot p = rig.graph->GetPlot(0);
        QVERIFY(!p.m_bAutoScale);
        QCOMPARE(p.m_Min, -2.5f);
        QCOMPARE(p.m_Max, CGraphPlot::MaxRange);
        QCOMPARE(p.m_Style, 3);
        QCOMPARE(p.m_Color, QColor(10, 20, 30));
        QCOMPARE(rig.graph->GetPlot(1).m_Color, untouched.m_Color);
        QCOMPARE(rig.graph->GetPlot(1).m_Min, untouched.m_Min);
    }

    void propertiesRangeInTheShownUnit_data()
    {
        QTest::addColumn<int>("stored");     // the data's prefix (0 none, 1 k, 2 m)
        QTest::addColumn<int>("shown");      // the prefix the plot is shown in
        QTest::addColumn<QStringList>("fields");   // min and max as the dialog shows them
        QTest::addColumn<QString>("typed");        // a new max, in the shown unit
        QTest::addColumn<float>("max");            // the max kept, in the stored unit
        QTest::newRow("Pa over kPa") << 1 << 0 << QStringList{"94551", "306660"} << "200000" << 200.0f;
        QTest::newRow("kPa over Pa") << 0 << 1 << QStringList{"94.551", "306.66"} << "250" << 250000.0f;
        QTest::newRow("mPa over Pa") << 0 << 2 << QStringList{"94551000", "306660000"} << "150000000" << 150000.0f;
        QTest::newRow("as stored") << 1 << 1 << QStringList{"94.551", "306.66"} << "250" << 250.0f;
    }
    // The range fields speak the unit the plot's scale, cursors and legend name: shown in it,
    // and what is typed is taken in it. A min left alone comes back as it was.
    void propertiesRangeInTheShownUnit()
    {
        QFETCH(int, stored);
        QFETCH(int, shown);
        QFETCH(QStringList, fields);
        QFETCH(QString, typed);
        QFETCH(float, max);
        CRig rig;
        rig.graph->AddPlotsFromKeyArray(rig.keys(rig.run({SensorIndexOnlineFunction}, 3)));
        CGraphPlot p = rig.graph->GetPlot(0);
        p.m_Unit = QStringLiteral("Pa");
        p.m_DataUnitPrefix = stored;
        p.m_UnitPrefix = shown;
        p.m_bAutoScale = false;
        // 94.551 kPa to 306.66 kPa, kept in the stored unit as the scale keeps its range.
        const double perKilo = GetMultiplier(1, short(stored));
        p.m_Min = float(94.551 * perKilo);
        p.m_Max = float(306.66 * perKilo);
        rig.graph->UpdatePlot(p, 0);
        QStringList opened;
        rig.services.prompter.m_DialogAnswer = [&](QDialog* d) {
            CForm form(d);
            opened = QStringList{form.minEdit->text(), form.maxEdit->text()};
            form.maxEdit->setText(typed);
            form.buttonBox->button(QDialogButtonBox::Ok)->click();
            return d->result();
        };
        rig.graph->OnProperties();
        QCOMPARE(opened, fields);
        const CGraphPlot after = rig.graph->GetPlot(0);
        QCOMPARE(after.m_UnitPrefix, shown);
        QCOMPARE(after.m_Max, max);
        QVERIFY2(qAbs(after.m_Min - p.m_Min) <= 1e-5f * qAbs(p.m_Min), qPrintable(QString::number(after.m_Min)));
    }

    // Choosing another prefix in the dialog shows the range in it and leaves where it lies:
    // 9.465 to 43.334 kPa reads 9465 to 43334 Pa and is kept as it was.
    void propertiesPrefixChoiceKeepsTheRange()
    {
        CRig rig;
        rig.graph->AddPlotsFromKeyArray(rig.keys(rig.run({SensorIndexOnlineFunction}, 3)));
        CGraphPlot p = rig.graph->GetPlot(0);
        p.m_Unit = QStringLiteral("Pa");
        p.m_UnitPrefix = p.m_DataUnitPrefix = 1;
        p.m_Min = 9.465f;
        p.m_Max = 43.334f;
        rig.graph->UpdatePlot(p, 0);
        QStringList shown;
        rig.services.prompter.m_DialogAnswer = [&](QDialog* d) {
            CForm form(d);
            form.unitComboBox->setCurrentIndex(0);
            shown = QStringList{form.minEdit->text(), form.maxEdit->text()};
            form.buttonBox->button(QDialogButtonBox::Ok)->click();
            return d->result();
        };
        rig.graph->OnProperties();
        QCOMPARE(shown, (QStringList{"9465", "43334"}));
        const CGraphPlot after = rig.graph->GetPlot(0);
        QCOMPARE(after.m_UnitPrefix, 0);
        QCOMPARE(QPointF(after.m_Min, after.m_Max), QPointF(9.465f, 43.334f));
    }

    void propertiesRefuseAMinNotBelowMax_data()
    {
        QTest::addColumn<bool>("autoScale");
        QTest::addColumn<QString>("min");
        QTest::addColumn<QString>("max");
        QTest::addColumn<QPointF>("range");   // the plot's range afterwards; 40 to 41 as it was: refused
        QTest::newRow("min above max") << false << "40" << "39.15" << QPointF(40, 41);
        QTest::newRow("min equal to max") << false << "5" << "5" << QPointF(40, 41);
        QTest::newRow("min below max") << false << "2" << "3" << QPointF(2, 3);
        // A plot that scales itself reads no fields and takes its data's range at once.
        QTest::newRow("auto scale") << true << "40" << "39" << QPointF(0.7f, 13);
    }
    void propertiesRefuseAMinNotBelowMax()
    {
        QFETCH(bool, autoScale);
        QFETCH(QString, min);
        QFETCH(QString, max);
        QFETCH(QPointF, range);
        CRig rig;
        rig.graph->AddPlotsFromKeyArray(rig.keys(rig.run({SensorIndexOnlineFunction}, 10)));   // 1 to 10
        rig.graph->SetAxisMinMax(0, 40.0f, 41.0f, false);
        rig.services.prompter.m_DialogAnswer = [&](QDialog* d) {
            CForm form(d);
            form.minEdit->setText(min);
            form.maxEdit->setText(max);
            form.autoScaleCheckBox->setChecked(autoScale);
            form.buttonBox->button(QDialogButtonBox::Ok)->click();
            return d->result();
        };
        rig.graph->OnProperties();
        QCOMPARE(QPointF(rig.graph->GetPlot(0).m_Min, rig.graph->GetPlot(0).m_Max), range);
        QCOMPARE(rig.services.prompter.said(),
                 range == QPointF(40, 41) ? QStringList{QStringLiteral("Min must be less than Max.")} : QStringList{});
    }

    void propertiesCommandThroughThePrompter()
    {
        CRig rig;
        // No plots: nothing to edit, no dialog.
        rig.graph->OnProperties();
        QCOMPARE(rig.services.prompter.count("dialog"), 0);
        CGraphProperties empty;
        empty.Init(rig.graph);
        QVERIFY(empty.Plots().isEmpty());
        QVERIFY(!CForm(&empty).autoScaleCheckBox->isEnabled());
        empty.on_buttonBox_accepted();

        rig.graph->AddPlotsFromKeyArray(rig.keys(rig.run({SensorIndexOnlineFunction}, 3)));
        QSignalSpy unsaved(&rig.host.m_Hub, &CKorvantaSignals::HasNewDataToSave);
        rig.services.prompter.m_DialogAnswer = [](QDialog* d) {
            auto* p = qobject_cast<CGraphProperties*>(d);
            CForm(p).plotStyleComboBox->setCurrentIndex(1);
            CForm(p).buttonBox->button(QDialogButtonBox::Cancel)->click();
            return p->result();
        };
        rig.graph->OnProperties();
        QCOMPARE(rig.graph->GetPlot(0).m_Style, 0);
        QCOMPARE(unsaved.count(), 0);
        rig.services.prompter.m_DialogAnswer = [](QDialog* d) {
            auto* p = qobject_cast<CGraphProperties*>(d);
            CForm(p).plotStyleComboBox->setCurrentIndex(2);
            CForm(p).buttonBox->button(QDialogButtonBox::Ok)->click();
            return p->result();
        };
        GraphAction(rig.graph, CGraphWindow::ActProperties)->trigger();
        QCOMPARE(rig.graph->GetPlot(0).m_Style, 2);
        QVERIFY(unsaved.count() >= 1);
    }

    void propertiesFixTheXAxisOfAnXYGraph()
    {
        CRig rig;
        rig.graph->AddPlotsFromKeyArray(rig.keys(rig.run({SensorIndexOnlineFunction, SensorIndexOnlineFunction}, 30)));
        rig.graph->OnXScaleComboChanged(2);   // plot 1, values 1 to 30, becomes the X axis
        rig.services.prompter.m_DialogAnswer = [](QDialog* d) {
            CForm form(d);
            form.plotsComboBox->setCurrentIndex(1);
            form.autoScaleCheckBox->setChecked(false);
            form.minEdit->setText(QStringLiteral("5"));
            form.maxEdit->setText(QStringLiteral("12"));
            form.buttonBox->button(QDialogButtonBox::Ok)->click();
            return d->result();
        };
        rig.graph->OnProperties();
        // The range stays through the Autoscale command and the scrolling autoscale of a live run.
        rig.graph->OnAutoscale();
        rig.graph->AutoScaleXAxis(true);
        QCOMPARE(QPointF(rig.graph->X().Min(), rig.graph->X().Max()), QPointF(5, 12));
    }

    void xPlotPrefixKeepsItsCurveBackOnTime_data()
    {
        QTest::addColumn<int>("prefix");      // chosen for the X plot, stored in kPa
        QTest::addColumn<QString>("title");   // the plot's title in the lists afterwards
        QTest::newRow("Pa") << 0 << "Pressure(Pa)";
        QTest::newRow("kPa as stored") << 1 << "Pressure(kPa)";
        QTest::newRow("mPa") << 2 << "Pressure(mPa)";
    }
    // A unit prefix chosen for the plot an XY graph is drawn against changes how its values are
    // shown, never where they lie: back on a time axis the plot's scale still holds its curve
    // (a range in the shown unit would lie a thousand times beside it), and the lists name it
    // in the unit chosen.
    void xPlotPrefixKeepsItsCurveBackOnTime()
    {
        QFETCH(int, prefix);
        QFETCH(QString, title);
        CRig rig;
        rig.graph->AddPlotsFromKeyArray(rig.keys(rig.run({SensorIndexOnlineFunction, SensorIndexOnlineFunction}, 30)));
        CGraphPlot pressure = rig.graph->GetPlot(1);   // 1 to 30 kPa
        pressure.m_Name = QStringLiteral("Pressure");
        pressure.m_Unit = QStringLiteral("Pa");
        pressure.m_UnitPrefix = pressure.m_DataUnitPrefix = 1;
        rig.graph->UpdatePlot(pressure, 1);
        rig.graph->OnXScaleComboChanged(2);
        rig.services.prompter.m_DialogAnswer = [prefix](QDialog* d) {
            CForm form(d);
            form.plotsComboBox->setCurrentIndex(1);
            form.unitComboBox->setCurrentIndex(prefix);
            form.buttonBox->button(QDialogButtonBox::Ok)->click();
            return d->result();
        };
        rig.graph->OnProperties();
        QCOMPARE(ScaleBox(rig.graph, "xScaleCombo")->itemText(2), title);
        QVERIFY(rig.graph->X().Min() <= 1.0f && rig.graph->X().Max() >= 30.0f && rig.graph->X().Max() < 60.0f);

        rig.graph->OnXScaleComboChanged(0);
        const CGraphPlot back = rig.graph->GetPlot(1);
        QVERIFY(back.m_bVisible && rig.graph->X().PlotIsDrawn(1));
        QVERIFY2(back.m_Min <= 1.0f && back.m_Max >= 30.0f && back.m_Max < 60.0f,
                 qPrintable(QStringLiteral("%1 to %2").arg(back.m_Min).arg(back.m_Max)));
        QCOMPARE(ScaleBox(rig.graph, "leftScaleCombo")->itemText(1), title);
        QCOMPARE(ScaleBox(rig.graph, "xScaleCombo")->itemText(2), title);
    }

    // The scale boxes build their lists when first opened: box and list end as those of a box
    // styled the usual way (same size, same item delegate), with the list's size policy.
    void scaleCombosOpenTheirListsStyled()
    {
        CRig rig;
        rig.graph->AddPlotsFromKeyArray(rig.keys(rig.run({SensorIndexOnlineFunction, SensorIndexOnlineFunction}, 5)));
        for (QComboBox* box : {ScaleBox(rig.graph, "leftScaleCombo"), ScaleBox(rig.graph, "rightScaleCombo"), ScaleBox(rig.graph, "xScaleCombo")}) {
            QComboBox plain(rig.graph);
            plain.setStyleSheet(box->styleSheet());
            for (int i = 0; i < box->count(); ++i)
                plain.addItem(box->itemText(i));
            QVERIFY(plain.view());
            QVERIFY(box->count() >= 2);
            QCOMPARE(box->sizeHint(), plain.sizeHint());
            box->showPopup();
            QTRY_VERIFY(box->view()->isVisible());
            QCOMPARE(box->view()->sizePolicy().horizontalPolicy(), QSizePolicy::MinimumExpanding);
            QCOMPARE(box->view()->sizePolicy().verticalPolicy(), QSizePolicy::Ignored);
            QCOMPARE(box->view()->model()->rowCount(), box->count());
            QCOMPARE(QByteArray(box->itemDelegate()->metaObject()->className()),
                     QByteArray(plain.itemDelegate()->metaObject()->className()));
            box->hidePopup();
        }
    }

    // Each scale box shows the strip it lies on and its dark arrow in the 12-pixel square
    // centred in its 20-pixel drop-down area; the arrow sits a pixel lower and righter while
    // the list is open.
    void scaleCombosShowTheirStripAndArrow()
    {
        CRig rig;
        rig.graph->AddPlotsFromKeyArray(rig.keys(rig.run({SensorIndexOnlineFunction, SensorIndexOnlineFunction}, 5)));
        auto darkBox = [](QComboBox* box, QRgb strip) {
            QImage image(box->size(), QImage::Format_RGB32);
            image.fill(Qt::red);
            box->render(&image);
            QRect dark;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (qGray(image.pixel(x, y)) < qGray(strip) - 60)
                        dark |= QRect(x, y, 1, 1);
            return qMakePair(image, dark);
        };
        const QList<QPair<QComboBox*, QRgb>> boxes {{ScaleBox(rig.graph, "leftScaleCombo"), qRgb(232, 232, 232)},
                                                    {ScaleBox(rig.graph, "rightScaleCombo"), qRgb(232, 232, 232)},
                                                    {ScaleBox(rig.graph, "xScaleCombo"), qRgb(128, 128, 128)}};
        for (const auto& b : boxes) {
            QComboBox* box = b.first;
            QCOMPARE(box->size(), QSize(20, 20));
            const auto closed = darkBox(box, b.second);
            for (QPoint corner : {QPoint(0, 0), QPoint(19, 0), QPoint(0, 19), QPoint(19, 19)})
                QCOMPARE(closed.first.pixel(corner), b.second);
            QVERIFY2(!closed.second.isEmpty() && QRect(4, 4, 12, 12).contains(closed.second),
                     qPrintable(QStringLiteral("arrow at %1,%2 %3x%4").arg(closed.second.x()).arg(closed.second.y())
                                    .arg(closed.second.width()).arg(closed.second.height())));
            box->showPopup();
            QTRY_VERIFY(box->view()->isVisible());
            const auto open = darkBox(box, b.second);
            box->hidePopup();
            QCOMPARE(open.second, closed.second.translated(1, 1));
            QCOMPARE(darkBox(box, b.second).second, closed.second);
        }
    }

    void downloadLandsInTheLastActiveGraphOnly()
    {
        CRig rig;
        auto* other = new CGraphWindow(&rig.host);
        rig.host.SetLastActiveGraph(rig.graph);
        other->AddPlotsFromKeyArray(rig.keys(rig.run({SensorIndexOnlineFunction}, 4, QStringLiteral("Old"))));
        rig.graph->Cursors().SetPlot(1, 0);
        rig.run({SensorIndexOnlineFunction}, 5, QStringLiteral("Dl1"));
        CDataFolder* last = rig.run({SensorIndexOnlineFunction, SensorIndexOnlineFunction}, 5, QStringLiteral("Dl2"));
        emit rig.host.m_Hub.LoggerDownloadFinshed(true);
        QCOMPARE(rig.graph->GetNumPlots(), 2);
        QCOMPARE(rig.graph->GetPlot(0).m_Key, last->GetBranchKey(0));
        QCOMPARE(rig.graph->GetPlot(1).m_Key, last->GetBranchKey(1));
        QCOMPARE(rig.graph->Cursors().First().m_Plot, -1);
        QCOMPARE(rig.graph->GraphType(), int(CGraphWindow::TimeGraph));
        QCOMPARE(rig.graph->GetPlot(0).m_Min, 1.0f * 0.7f);   // autoscaled from 1..5
        QCOMPARE(other->GetNumPlots(), 1);
    }

    // A downloaded run reads as a run recorded here: "Run N-" names, the setup's colours.
    void downloadedRunIsNamedAndColouredAsItsSetup()
    {
        auto sensor = std::make_unique<CSesnorProperties>();   // the setup's list does not own it
        CRig rig;
        sensor->m_Channel = 0;
        sensor->m_SensorIndex = 7;
        sensor->m_MeasurementList.append(new CMeasurementSetup);
        sensor->m_MeasurementList.first()->m_Color = QColor(0, 150, 70);
        rig.host.m_Setup.m_SelectedSensorList.append(sensor.get());
        CDataFolder* run = rig.host.addRun(QStringLiteral("Run 3"));
        const int key = rig.host.m_Data.CreateDataBranch(7, 0.1, 0, 0, run->m_Key);
        run->AddBranchKey(key);
        CDataBranch* b = rig.host.m_Data.GetDataBranch(key);
        b->m_Name = QStringLiteral("Temperature (port 1)");
        b->m_Color = QColor(1, 2, 3);   // as a branch read from the logger may come
        CGraphTestHost::fill(b, 5, [](int i) { return 20.0 + i; });
        emit rig.host.m_Hub.LoggerDownloadFinshed(true);
        QCOMPARE(rig.graph->GetNumPlots(), 1);
        QCOMPARE(rig.graph->GetPlot(0).m_Name, QStringLiteral("Run 3-Temperature (port 1)"));
        QCOMPARE(rig.graph->GetPlot(0).m_Color, QColor(0, 150, 70));
    }

    void downloadWithAnEmptyStoreEmptiesTheGraph()
    {
        CRig rig;
        rig.graph->m_Plots.append(CGraphPlot());
        emit rig.host.m_Hub.LoggerDownloadFinshed(false);
        QCOMPARE(rig.graph->GetNumPlots(), 0);
    }

    void trackingRunIsDrawnLive()
    {
        CRig rig;
        CDataFolder* track = rig.run({SensorIndexVideoTrack, SensorIndexVideoTrack}, 0, QStringLiteral("Video"));
        emit rig.host.m_Hub.VideoAnalysisStart(track->m_Key);
        QVERIFY(rig.graph->IsRunning());
        QVERIFY(GraphTimer(rig.graph, "redrawTimer")->isActive());
        QCOMPARE(rig.graph->GetNumPlots(), 2);
        QCOMPARE(rig.graph->GetPlot(1).m_Name, QStringLiteral("B1"));
        // Positions in video pixels, on the scale and at the cursors as in the CSV export.
        QCOMPARE(CGraphX::PlotTitle(rig.graph->GetPlot(1)), QStringLiteral("B1(px)"));
        QCOMPARE(rig.graph->X().Max(), 10.0f);
        QVERIFY(!rig.graph->close());   // a live graph stays
        CGraphTestHost::fill(rig.graph->GetDataBranch(0), 6, [](int i) { return 2.0 * i; });
        emit rig.host.m_Hub.VideoAnalysisStop();
        QVERIFY(!rig.graph->IsRunning());
        QVERIFY(!GraphTimer(rig.graph, "redrawTimer")->isActive());
        QCOMPARE(rig.graph->X().Max(), 5.0f);
        // Another tracking run while a different graph is the last active one: not taken.
        CGraphTestHost other;
        rig.host.SetLastActiveGraph(nullptr);
        emit rig.host.m_Hub.VideoAnalysisStart(rig.run({SensorIndexVideoTrack}, 0)->m_Key);
        QCOMPARE(rig.graph->GetNumPlots(), 2);
        QVERIFY(!rig.graph->IsRunning());
    }

    void playbackOfItsOwnRunMovesTheDrawLimit()
    {
        CRig rig;
        CDataFolder* shown = rig.run({SensorIndexOnlineFunction}, 300);
        CDataFolder* notShown = rig.run({SensorIndexOnlineFunction}, 300);
        rig.graph->AddPlotsFromKeyArray(rig.keys(shown));
        emit rig.host.m_Hub.VideoPlaybackStart(notShown->m_Key);
        QVERIFY(TakesDrags(rig.graph));
        emit rig.host.m_Hub.VideoPlaybackSample(250);
        QCOMPARE(rig.graph->m_LastShownSample, qint64(-1));
        emit rig.host.m_Hub.VideoPlaybackStart(shown->m_Key);
        QVERIFY(!TakesDrags(rig.graph));
        emit rig.host.m_Hub.VideoPlaybackSample(250);
        QCOMPARE(rig.graph->m_LastShownSample, qint64(250));
        emit rig.host.m_Hub.VideoPlaybackStop();
        QVERIFY(TakesDrags(rig.graph));
        QCOMPARE(rig.graph->m_LastShownSample, qint64(-1));
        QCOMPARE(rig.graph->X().Max(), 299.0f);
    }

    void playbackStartOpensOnTenSecondsWhenScrolling()
    {
        CRig rig;
        CDataFolder* f = rig.run({SensorIndexOnlineFunction}, 300);
        rig.graph->AddPlotsFromKeyArray(rig.keys(f));
        rig.graph->m_bTimingRun = true;
        rig.host.m_Interval.m_PeriodSec = 0.1;
        emit rig.host.m_Hub.VideoPlaybackStart(f->m_Key);
        QCOMPARE(rig.graph->X().Min(), 0.0f);
        QCOMPARE(rig.graph->X().Max(), 100.0f);
        QVERIFY(rig.graph->m_bRescaleY);
        // A rate without a period: no division by it, the axis is 0 to 10.
        rig.host.m_Interval.m_PeriodSec = 0.0;
        emit rig.host.m_Hub.VideoPlaybackStart(f->m_Key);
        QCOMPARE(rig.graph->X().Max(), 10.0f);
        rig.host.m_Interval.m_PeriodSec = 90.0;
        emit rig.host.m_Hub.VideoPlaybackStart(f->m_Key);
        QCOMPARE(rig.graph->X().Max(), 10.0f);
    }

    void recordRoundTripKeepsTheScaleChoice()
    {
        CRig rig;
        CDataFolder* f = rig.run({SensorIndexOnlineFunction, SensorIndexOnlineFunction, SensorIndexOnlineFunction}, 4);
        rig.graph->AddPlotsFromKeyArray(rig.keys(f));
        CGraphPlot hidden = rig.graph->GetPlot(1);
        hidden.m_bVisible = false;
        CGraphTextAnnotation note;
        note.m_Text = QStringLiteral("peak");
        note.m_Sample = 2;
        hidden.AddAnnotation(note);
        rig.graph->UpdatePlot(hidden, 1);
        QVERIFY(ChooseScale(rig.graph, "leftScaleCombo", 2));
        QVERIFY(ChooseScale(rig.graph, "rightScaleCombo", 0));
        const QByteArray bytes = Saved(rig.graph);
        Seed("time_graph", bytes);

        auto* again = new CGraphWindow(&rig.host);
        QCOMPARE(Load(again, bytes), 0);
        QCOMPARE(again->GetNumPlots(), 3);
        QList<int> keys;
        again->GetPlotKeys(&keys);
        QCOMPARE(keys, rig.keys(f));
        QCOMPARE(again->GetPlot(1).GetNumAnnotations(), 1);
        QCOMPARE(again->GetPlot(1).GetAnnoation(0).m_Text, QStringLiteral("peak"));
        // The hidden flag is not stored: all three load visible, on the saved scales.
        QCOMPARE(again->GraphType(), int(CGraphWindow::TimeGraph));
        QCOMPARE(Saved(again), bytes);
        // Shown, its pickers sit at the corners of its plot area, as a new graph's do.
        again->show();
        const QRect& r = again->GraphRect();
        QTRY_COMPARE(ScaleBox(again, "rightScaleCombo")->pos(), QPoint(r.right() - 20, r.top() - 28));
        QCOMPARE(ScaleBox(again, "xScaleCombo")->pos(), QPoint(r.left(), r.bottom() + 22));
        QCOMPARE(ScaleBox(again, "leftScaleCombo")->currentIndex(), 2);
        QCOMPARE(ScaleBox(again, "rightScaleCombo")->currentIndex(), 0);
    }

    void recordWithXAxisKeyLoadsAsXYGraph()
    {
        CRig rig;
        CDataFolder* f = rig.run({SensorIndexOnlineFunction, SensorIndexOnlineFunction, SensorIndexOnlineFunction}, 4);
        rig.graph->AddPlotsFromKeyArray(rig.keys(f));
        rig.graph->OnXScaleComboChanged(2);
        const QByteArray bytes = Saved(rig.graph);
        Seed("xy_graph", bytes);
        auto* again = new CGraphWindow(&rig.host);
        QCOMPARE(Load(again, bytes), 0);
        QCOMPARE(again->GraphType(), int(CGraphWindow::XYGraph));
        QCOMPARE(again->X().PlotIndex(), 1);
        QCOMPARE(again->X().PlotKey(), f->GetBranchKey(1));
        // Plot 1 is the X axis: the scales are plots 0 and 2.
        QCOMPARE(again->LeftScalePlot(), 0);
        QCOMPARE(again->RightScalePlot(), 2);
    }

    void recordOfTimingResultsLoadsAsBars()
    {
        CRig rig;
        rig.graph->AddPlotsFromKeyArray(rig.keys(rig.run({SensorIndexTimingResult}, 4)));
        auto* again = new CGraphWindow(&rig.host);
        Seed("bar_graph", Saved(rig.graph));
        QCOMPARE(Load(again, Saved(rig.graph)), 0);
        QCOMPARE(again->GraphType(), int(CGraphWindow::BarGraph));
    }

    void damagedRecords()
    {
        CRig rig;
        CDataFolder* f = rig.run({SensorIndexOnlineFunction, SensorIndexOnlineFunction}, 4);
        rig.graph->AddPlotsFromKeyArray(rig.keys(f));
        const QByteArray bytes = Saved(rig.graph);
        auto* again = new CGraphWindow(&rig.host);
        // Cut after the window part: -4, the plots read so far stay.
        const int windowEnd = bytes.indexOf(QByteArray::fromHex("045a")) + 2;   // tag 1114
        QVERIFY(windowEnd > 2);
        QCOMPARE(Load(again, bytes.left(windowEnd)), -4);
        QCOMPARE(Load(again, bytes.left(bytes.size() - 2)), -4);
        QCOMPARE(again->GetNumPlots(), 2);
        // An X-axis key that names none of the plots: the graph stays a time graph.
        QByteArray record;
        QDataStream out(&record, QIODevice::WriteOnly);
        out << qint16(1105);
        CGraphPlot p;
        p.m_Key = f->GetBranchKey(0);
        p.saveToFile(&out);
        out << qint16(1450) << qint32(987654) << qint16(1451) << qint32(-77) << qint16(1452) << qint32(1 << 30)
            << qint16(1106);
        Seed("unknown_x_key", record);
        QCOMPARE(Load(again, record), 0);
        QCOMPARE(again->GraphType(), int(CGraphWindow::TimeGraph));
        QCOMPARE(again->X().PlotIndex(), -1);
        QCOMPARE(again->LeftScalePlot(), 0);
        QCOMPARE(again->RightScalePlot(), -1);
        again->repaint();
    }

    void recordCutAtEveryByteIsIncomplete()
    {
        CRig rig;
        CDataFolder* f = rig.run({SensorIndexOnlineFunction, SensorIndexOnlineFunction}, 4);
        rig.graph->AddPlotsFromKeyArray(rig.keys(f));
        rig.graph->OnXScaleComboChanged(1);
        rig.graph->setWindowTitle(QStringLiteral("XY"));
        rig.graph->setGeometry(20, 40, 600, 400);
        RecordCuts::CheckEveryCut(Saved(rig.graph).mid(2), [&rig](QDataStream& in) {
            auto* g = new CGraphWindow(&rig.host);
            g->setWindowTitle(QStringLiteral("before"));
            g->setGeometry(1, 2, 300, 200);
            const bool complete = g->loadFromFile(&in) == 0;
            const RecordCuts::Outcome got{complete, {g->windowTitle(), g->geometry(), g->GraphType()}};
            delete g;
            return got;
        });
    }

    void plotsFromKeys()
    {
        CRig rig;
        rig.host.m_Interval.m_PeriodSec = 0.1;
        CDataFolder* f = rig.run({SensorIndexOnlineFunction, SensorIndexOnlineFunction}, 4);
        CDataBranch* b = rig.host.m_Data.GetDataBranch(f->GetBranchKey(1));
        b->m_Unit = QStringLiteral("V");
        b->m_UnitPrefix = 2;
        b->m_RateCode = 9;
        b->m_Color = QColor(1, 2, 3);
        QSignalSpy unsaved(&rig.host.m_Hub, &CKorvantaSignals::HasNewDataToSave);
        rig.graph->AddPlotsFromKeyArray({-1, f->GetBranchKey(0), 9999, f->GetBranchKey(1)});
        QCOMPARE(rig.graph->GetNumPlots(), 2);
        const CGraphPlot p = rig.graph->GetPlot(1);
        QCOMPARE(p.m_Name, QStringLiteral("B1"));
        QCOMPARE(p.m_Unit, QStringLiteral("V"));
        QCOMPARE(p.m_UnitPrefix, 2);
        QCOMPARE(p.m_DataUnitPrefix, 2);
        QCOMPARE(p.m_RateCode, 9);
        QCOMPARE(p.m_Color, QColor(1, 2, 3));
        QCOMPARE(ScaleBox(rig.graph, "leftScaleCombo")->count(), 2);
        QCOMPARE(ScaleBox(rig.graph, "xScaleCombo")->count(), 3);
        QCOMPARE(rig.graph->LeftScalePlot(), 0);
        QCOMPARE(rig.graph->RightScalePlot(), 1);
        QVERIFY(unsaved.count() >= 1);
        // Autoscaled from the empty starting range to the data 1..4.
        QVERIFY(rig.graph->GetPlot(0).m_Min < rig.graph->GetPlot(0).m_Max);
        // Nothing known: nothing added.
        rig.graph->AddPlotsFromKeyArray({-1, 5555});
        QCOMPARE(rig.graph->GetNumPlots(), 2);
    }
};

KORVANTA_TEST_MAIN(TestGraphCommands)
#include "tst_graph_commands.moc"
