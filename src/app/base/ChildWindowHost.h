#pragma once
// What a child window needs of the area that hosts it: whether windows snap to the grid, the
// signal hub, the data store and the prompter. The window manager implements it; tests host
// windows in a small fake. Window kinds add what they need below as defaulted virtuals, so a
// fake only answers what its test uses.
#include "Core/Logic/ExperimentInterval.h"

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

    // Graph windows: the graph that takes new runs and analysis results (the last activated
    // one), the current setup, the sensor catalogue and the interval record of a rate code.
    virtual CKorvantaWindow* GetLastActiveGraph() const { return nullptr; }
    virtual void SetLastActiveGraph(CKorvantaWindow*) {}
    // A graph window is closing: another one (or none) takes its place.
    virtual void GraphWindowClosing(CKorvantaWindow*) {}
    virtual CSetupInfo* GetSetupInfo() const { return nullptr; }
    virtual CSensorInfo* GetSensorCatalogue() const { return nullptr; }
    virtual ExperimentInterval GetExperimentInterval(short, short, short) const { return ExperimentInterval{}; }
};
