#pragma once
// Keeps the machine from going to idle sleep while a logger is connected: the program calls
// UpdateSystemActivity every 30 s while one is.
#include <QString>

class IKeepAwake
{
public:
    virtual ~IKeepAwake() = default;
    virtual void UpdateSystemActivity() = 0;
};

// Linux: the desktop's screen saver (org.freedesktop.ScreenSaver on the session bus) is told
// of user activity; without it, "xdg-screensaver reset" does the same; without either (or
// without a display) the call only notes that it happened.
class CLinuxKeepAwake : public IKeepAwake
{
public:
    enum Route { RouteNone = 0, RouteScreenSaver, RouteXdgTool };

    void UpdateSystemActivity() override;
    int calls() const { return m_Calls; }
    // How the last call reached the desktop.
    Route lastRoute() const { return m_LastRoute; }

private:
    bool tellScreenSaver();

    int m_Calls = 0;
    Route m_LastRoute = RouteNone;
};
