#pragma once
// What the window manager needs of the main window that holds it: the Run button, the run
// mode and the shared notice box. The main window implements it; tests use a small fake.
class CustomRunButton;

class IShellFrame
{
public:
    virtual ~IShellFrame() = default;
    virtual CustomRunButton* GetRunButton() = 0;
    // 0 normal sampling, 1 event timing.
    virtual int GetCurrentRunMode() const = 0;
    virtual void HideModallesMsgBox() = 0;
};
