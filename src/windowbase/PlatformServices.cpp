#include "windowbase/PlatformServices.h"

#include <QDesktopServices>
#include <QUrl>

bool CDesktopPlatformServices::openLocalFile(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

namespace {
IPlatformServices* s_pServices = nullptr;
}

IPlatformServices* WindowPlatformServices()
{
    static CDesktopPlatformServices desktop;
    return s_pServices ? s_pServices : &desktop;
}

void SetWindowPlatformServices(IPlatformServices* services)
{
    s_pServices = services;
}
