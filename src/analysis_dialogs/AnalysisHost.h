#pragma once
// What the analysis dialogs and the timing wizard need of the window manager that opens them:
// the engine, the data, the setup, the current graph's cursors and plots, the history tree,
// the hub and the prompter. The window manager implements it; tests answer it with a small
// fake, so a dialog can be driven without a main window.
#include <QCoreApplication>
#include <QList>
#include <QString>

class CCalculateOnLineFunctions;
class CDataManager;
class CFunctions;
class CKorvantaSignals;
class CSensorInfo;
class CSetupInfo;
class IPrompter;

class IAnalysisHost
{
public:
    virtual ~IAnalysisHost() = default;

    virtual CFunctions* AnalysisEngine() = 0;
    virtual CDataManager* AnalysisData() = 0;
    virtual CSetupInfo* AnalysisSetup() = 0;
    virtual const CSensorInfo* AnalysisCatalogue() = 0;
    virtual CKorvantaSignals* AnalysisHub() = 0;
    virtual IPrompter* AnalysisPrompter() = 0;
    // The table of functions computed while recording; null without a logic layer.
    virtual CCalculateOnLineFunctions* OnlineFunctions() = 0;

    // The current graph window: whether there is one, its cursor information (the key of the
    // plot under cursor 1 or -1; the outs are left alone then), its X-axis key (-1 for time)
    // and its plot keys in plot order.
    virtual bool HasCurrentGraph() = 0;
    virtual int CurrentGraphCursors(int& cursor1, int& cursor2, int& xAxisKey) = 0;
    // What curve fit, statistics and averaging work on: the plot under cursor 1 between the
    // cursors, or without the Cursor the whole curve whose scale the graph shows on its left (the
    // one the Cursor would stand on). The key, or -1 (outs -1) when the graph shows no such curve
    // with samples, or there is no graph.
    virtual int CurrentGraphAnalysisRange(int& start, int& end, int& xAxisKey) = 0;
    // What the user is told when there is no such curve.
    static QString NoCurveText()
    {
        return QCoreApplication::translate("IAnalysisHost", "There is no curve to work on: drag a run or a series "
                                                            "from the history window into a graph, then try again.");
    }
    virtual int CurrentGraphXAxisKey() = 0;
    virtual QList<int> CurrentGraphPlotKeys() = 0;

    // The history tree's row of a new derived series under its source, and the re-expansion a
    // fitted curve asks for.
    virtual void HistoryInsertChild(int parentKey, int childKey, bool deleteEnabled) = 0;
    virtual void HistoryExpandLastBranch() = 0;

    // The message title of the main window ("Pavix").
    virtual QString MessageTitle() { return QStringLiteral("Pavix"); }
};
