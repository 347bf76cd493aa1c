// The window manager's analysis and upload commands. They act on the current graph window and
// its two cursors; curve fit, statistics and averaging take the whole curve of the graph's left
// scale when no cursor stands on a curve.
#include "app/shell/WindowsManager.h"

#include "analysis_dialogs/AverageDialog.h"
#include "analysis_dialogs/CurveFitDialog.h"
#include "analysis_dialogs/FunctionsDialog.h"
#include "analysis_dialogs/StatisticsDialog.h"
#include "analysis_dialogs/TimingWizard.h"
#include "windowbase/Prompter.h"
#include "app/shell/EngineMessages.h"
#include "app/shell/HistoryWindow.h"
#include "app/shell/ShellServices.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/DataManager.h"
#include "Core/Logic/LogicManager.h"
#include "graph/GraphWindow.h"

#include <QAction>

namespace {

// Runs a dialog of the window manager modally through the prompter (tests answer for it) and
// destroys it afterwards.
template <typename Dialog>
void RunAndDestroy(IPrompter* prompter, Dialog* dialog)
{
    prompter->runDialog(dialog);
    delete dialog;
}

} // namespace

void CWindowsManager::installAnalysisServices()
{
    m_pEngineMessages = new CEngineMessages([this]() { return prompter(); }, this);
    m_pFunctions.reset(new CFunctions(nullptr, m_pEngineMessages, m_pSignals));
}

void CWindowsManager::removeAnalysisServices()
{
    // The child windows that go after this may still call the engine: it says nothing more.
    m_pFunctions->SetMessageSink(nullptr);
    m_pFunctions->SetSignalHub(nullptr);
}

void CWindowsManager::InstallBloodPressureEvaluator(CDataManager* data)
{
    if (!data)
        return;
    // Called on the thread that stores the samples: only the key crosses over, and the
    // branch is looked up again where it is evaluated (the user may delete it meanwhile).
    QPointer<CWindowsManager> self(this);
    data->GetDataConversion()->SetBloodPressureEvaluator([self](CDataBranch* branch) {
        if (!branch || !self)
            return;
        const int key = branch->m_Key;
        QMetaObject::invokeMethod(self.data(), [self, key]() {
            if (self)
                self->EvaluateBloodPressure(key);
        }, Qt::QueuedConnection);
    });
}

void CWindowsManager::EvaluateBloodPressure(int branchKey)
{
    CDataManager* data = GetDataManager();
    if (CDataBranch* branch = data ? data->GetDataBranch(branchKey) : nullptr)
        m_pFunctions->FunctionBloodPressure(branch);
}

int CWindowsManager::cursorInfo(int* cursor1, int* cursor2, int* xAxisKey) const
{
    *cursor1 = -1;
    *cursor2 = -1;
    *xAxisKey = -1;
    auto* graph = qobject_cast<CGraphWindow*>(GetCurrent(GraphKind));
    if (!graph)
        return -1;
    return graph->GetCursorsInfo(*cursor1, *cursor2, *xAxisKey);
}

int CWindowsManager::CurrentGraphCursors(int& cursor1, int& cursor2, int& xAxisKey)
{
    auto* graph = qobject_cast<CGraphWindow*>(GetCurrent(GraphKind));
    return graph ? graph->GetCursorsInfo(cursor1, cursor2, xAxisKey) : -1;
}

int CWindowsManager::CurrentGraphAnalysisRange(int& start, int& end, int& xAxisKey)
{
    start = end = xAxisKey = -1;
    auto* graph = qobject_cast<CGraphWindow*>(GetCurrent(GraphKind));
    if (!graph)
        return -1;
    const int key = graph->GetCursorsInfo(start, end, xAxisKey);
    if (key != -1)
        return key;
    const int plot = graph->LeftScalePlot();
    if (plot < 0 || plot >= graph->GetNumPlots() || !graph->GetPlot(plot).m_bVisible)
        return -1;
    const CDataBranch* branch = graph->GetDataBranch(plot);
    const int count = branch ? branch->GetNumSamples() : 0;
    if (count == 0)
        return -1;
    start = 0;
    end = count - 1;
    xAxisKey = graph->X().PlotKey();
    return graph->GetPlot(plot).m_Key;
}

int CWindowsManager::CurrentGraphXAxisKey()
{
    auto* graph = qobject_cast<CGraphWindow*>(GetCurrent(GraphKind));
    return graph ? graph->X().PlotKey() : -1;
}

QList<int> CWindowsManager::CurrentGraphPlotKeys()
{
    QList<int> keys;
    if (CKorvantaWindow* graph = GetCurrent(GraphKind))
        graph->GetPlotKeys(&keys);
    return keys;
}

void CWindowsManager::HistoryInsertChild(int parentKey, int childKey, bool deleteEnabled)
{
    if (m_pHistoryWindow)
        m_pHistoryWindow->insertChild(parentKey, childKey, deleteEnabled);
}

void CWindowsManager::HistoryExpandLastBranch()
{
    if (m_pHistoryWindow)
        m_pHistoryWindow->ExpandLastBranch();
}

CCalculateOnLineFunctions* CWindowsManager::OnlineFunctions()
{
    CDataManager* data = GetDataManager();
    auto* logic = data ? dynamic_cast<CLogicManager*>(data->GetRunServices()) : nullptr;
    return logic ? &logic->m_CalculateOnLineFunctions : nullptr;
}

void CWindowsManager::onMathFunc()
{
    auto* graph = qobject_cast<CGraphWindow*>(GetCurrent(GraphKind));
    if (!graph || !graph->XAxisFuntionsAreLegal()) {
        prompter()->critical(this, MessageBoxTitle(), QStringLiteral("Sorry, but Pavix cannot display any functions on the collected data"));
        return;
    }
    auto* dialog = new FunctionsDialog(this, this);
    dialog->init();
    RunAndDestroy(prompter(), dialog);
}

void CWindowsManager::onCurveFitFunc()
{
    auto* dialog = new CurveFitDialog(this, this);
    dialog->init();
    RunAndDestroy(prompter(), dialog);
}

void CWindowsManager::onPhotogateFunc()
{
    auto* wizard = new TimingWizard(this, this);
    wizard->init();
    RunAndDestroy(prompter(), wizard);
}

void CWindowsManager::onStatisticsFunc()
{
    int c1, c2, x;
    const int key = CurrentGraphAnalysisRange(c1, c2, x);
    if (key == -1) {
        prompter()->warning(this, tr("Error"), IAnalysisHost::NoCurveText());
        return;
    }
    auto* dialog = new StatisticsDialog(this, this);
    dialog->init(key, c1, c2, x);
    RunAndDestroy(prompter(), dialog);
}

void CWindowsManager::onSlopeFunc()
{
    int c1, c2, x;
    cursorInfo(&c1, &c2, &x);
    auto* graph = qobject_cast<CGraphWindow*>(GetCurrent(GraphKind));
    if (c1 != -1 && graph) {
        graph->EnableSlopeMode(!graph->SlopeMode());
        return;
    }
    prompter()->warning(this, tr("Error"), tr("Please select plot."));
    // The ribbon button latched on the press; the graph shows no slope, so neither may it.
    if (auto* action = qobject_cast<QAction*>(sender()))
        action->setChecked(false);
}

void CWindowsManager::onAreaFunc()
{
    int c1, c2, x;
    const int plot = cursorInfo(&c1, &c2, &x);
    auto* graph = qobject_cast<CGraphWindow*>(GetCurrent(GraphKind));
    if (plot != -1 && c2 != -1 && graph) {
        graph->EnableAreaMode(!graph->AreaMode());
        return;
    }
    prompter()->warning(this, tr("Error"), tr("Please place two cursors on a plot."));
    if (auto* action = qobject_cast<QAction*>(sender()))
        action->setChecked(false);
}

void CWindowsManager::onAveragingFunc()
{
    int c1, c2, x;
    const int key = CurrentGraphAnalysisRange(c1, c2, x);
    if (key == -1 || c1 == -1) {
        prompter()->warning(this, tr("Error"), IAnalysisHost::NoCurveText());
        return;
    }
    auto* dialog = new AverageDialog(this, this);
    dialog->init(key, c1, c2);
    RunAndDestroy(prompter(), dialog);
}

void CWindowsManager::quickFunction(int id)
{
    int c1, c2, x;
    const int key = cursorInfo(&c1, &c2, &x);
    if (key == -1) {
        prompter()->warning(this, tr("Error"), tr("Please select plot."));
        return;
    }
    // The X-axis key goes to the derivative as its X too (-1 on a time graph): key 0 names
    // whatever series was stored first, not the graph's X.
    CDataBranch* made = m_pFunctions->QuickFunctions(short(id), key, false, c1, c2, x, x != 0, x, 1.0, 1.0, 0.0,
                                                   QString(), QString());
    if (!made)
        return;
    HistoryInsertChild(key, made->m_Key, false);
    if (id == CFunctions::IdLinearRegression)
        HistoryExpandLastBranch();
    emit m_pSignals->newFunctionData(made->m_Key, key, x);
}

void CWindowsManager::onLinearCurveFitFunc()
{
    quickFunction(27);
}

void CWindowsManager::onQuadraticCurveFitFunc()
{
    quickFunction(28);
}

void CWindowsManager::onDerivativeMathFunc()
{
    quickFunction(6);
}

void CWindowsManager::onIntegralMathFunc()
{
    quickFunction(13);
}

void CWindowsManager::onStopUpload2Terravox()
{
    if (m_pUpload)
        m_pUpload->StopUploading();
}

void CWindowsManager::onOnlineUpload2Terravox()
{
    if (m_pUpload && m_pUpload->IsLoggedIn())
        m_pUpload->SetLiveUpload(!m_pUpload->IsLiveUpload());
}
