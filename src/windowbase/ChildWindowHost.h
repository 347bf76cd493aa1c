#pragma once
// What a child window needs of the area that hosts it: whether windows snap to the grid, the
// signal hub, the data store and the prompter. The window manager implements it; tests host
// windows in a small fake. Window kinds add what they need below as defaulted virtuals, so a
// fake only answers what its test uses.
#include "Core/Base/ExperimentInterval.h"

#include <QString>

class CDataManager;
class CKorvantaSignals;
class CKorvantaWindow;
class CSensorInfo;
class CSetupInfo;
class IPrompter;

class IChildWindowHost
{
public:
    virtual ~IChildWindowHost() = default;
    virtual bool AlignToGrid() const = 0;
    virtual CKorvantaSignals* GetSignals() const = 0;
    virtual CDataManager* GetDataManager() const { return nullptr; }
    // The prompter every question of a child window goes through (the shell's by default).
    virtual IPrompter* GetPrompter() const;

    // Table window: the table that follows runs and downloads is the one that last became the
    // active window; a closing one hands the record to the last other table, or none.
    virtual void SetLastActiveTable(CKorvantaWindow* table) { (void)table; }
    virtual CKorvantaWindow* GetLastActiveTable() const { return nullptr; }
    virtual void SetLastTableActive(CKorvantaWindow* closing) { (void)closing; }

    // Video analysis: the video window that last became active (the role a closing one hands
    // on), and the history tree that shows a tracking run's new folder.
    virtual CKorvantaWindow* GetActiveVideoWindow() const { return nullptr; }
    virtual void SetActiveVideoWindow(CKorvantaWindow*) {}
    virtual void SetLastVideoWindowActive(CKorvantaWindow*) {}
    virtual void HistoryNewFolder() {}
    virtual void HistoryRestore(bool) {}

    // Graph windows: the graph that takes new runs and analysis results (the last activated
    // one), the current setup, the sensor catalogue and the interval record of a rate code.
    virtual CKorvantaWindow* GetLastActiveGraph() const { return nullptr; }
    virtual void SetLastActiveGraph(CKorvantaWindow*) {}
    // A graph window is closing: another one (or none) takes its place.
    virtual void GraphWindowClosing(CKorvantaWindow*) {}
    virtual CSetupInfo* GetSetupInfo() const { return nullptr; }
    virtual CSensorInfo* GetSensorCatalogue() const { return nullptr; }
    virtual ExperimentInterval GetExperimentInterval(short, short, short) const { return ExperimentInterval{}; }

    // Graph windows, drops: a run recorded with a video dropped on a graph asks for the video
    // window of that run (its file and the run folder's key).
    virtual void RequestVideoWindow(const QString& path, int folderKey) { (void)path; (void)folderKey; }
    // Graph windows, analysis results: a new result whose X the active graph does not show (a
    // spectrum computed beside a run) asks for a new graph, which shows it, becomes the graph
    // that takes the results that follow, and so also takes the rest of the same computation.
    virtual void ShowInGraphOfItsOwn(int key) { (void)key; }
};
