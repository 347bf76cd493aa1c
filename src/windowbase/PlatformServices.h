#pragma once
// Desktop services the windows reach through one interface, so tests see what would have been
// opened instead of starting another program: a file in its default application (an exported
// CSV in the spreadsheet), a help page in the browser.
#include <QString>

class IPlatformServices
{
public:
    virtual ~IPlatformServices() = default;
    // Opens a local file in the application the desktop associates with it; false when none.
    virtual bool openLocalFile(const QString& path) = 0;
};

// The desktop's own services (QDesktopServices).
class CDesktopPlatformServices : public IPlatformServices
{
public:
    bool openLocalFile(const QString& path) override;
};

// The services the windows use unless one is given: the desktop's, or what a test set.
IPlatformServices* WindowPlatformServices();
void SetWindowPlatformServices(IPlatformServices* services);
