#include "Core/Logic/Dravlet/DravletManagerHost.h"

CDravletManagerHost::CDravletManagerHost(ILogicServices* logic, ILogger* manager)
    : CDravletCoreHost(logic), m_HubHandOver(logic)
{
    if (manager)
        SetLogger(manager);
}

QString CDravletManagerHost::LastPort()
{
    QMutexLocker lock(&m_PortLock);
    return m_LastPort;
}

void CDravletManagerHost::SetLastPort(const QString& port)
{
    QMutexLocker lock(&m_PortLock);
    m_LastPort = port;
}

void CDravletManagerHost::Announce(DravletEvent event, int arg)
{
    // The new-data signals of a burst share one hand-over.
    if (event == DravletEvent::NewDataArrived)
        m_HubHandOver.RaiseNewData();
    else
        m_HubHandOver.Raise([event, arg](CKorvantaSignals* hub) { RaiseDravletEvent(hub, event, arg); });
}
