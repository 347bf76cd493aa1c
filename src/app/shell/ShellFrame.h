#pragma once
// What the window manager needs of the main window that holds it: the Run button, the run
// mode and the shared notice box. The main window implements it; tests use a small fake.
#include "Core/Base/ExperimentRunMode.h"

class CustomRunButton;
class QString;

class IShellFrame
{
public:
    virtual ~IShellFrame() = default;
    virtual CustomRunButton* GetRunButton() = 0;
    virtual ExperimentRunMode GetCurrentRunMode() const = 0;
    virtual void HideModallesMsgBox() = 0;
    // A notice that offers Logger > Connect's search with a button of its own (a frame
    // without notices ignores it).
    virtual void OfferToConnect(const QString&) {}
    // Event timing falls back to automatic sampling through this (a frame without run modes
    // ignores it).
    virtual void SetCurrentRunMode(ExperimentRunMode) {}
    // The main window's save question ("Do you want to save your changes?"); an IPrompter
    // SaveAnswer. A frame that cannot ask answers Cancel, which loses nothing.
    virtual int exit_hasDataToSave() { return 2; }
    virtual void SetWindowTitleText(const QString&) {}
};
