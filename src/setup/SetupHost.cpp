#include "setup/SetupHost.h"

#include <QEventLoop>
#include <QTimer>

void ISetupHost::WaitWhileHandlingEvents(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms > 0 ? ms : 0, &loop, &QEventLoop::quit);
    loop.exec();
}
