#include "Core/Logic/Dravlet/DravletManagerHost.h"

CDravletManagerHost::CDravletManagerHost(ILogicServices* logic, ILogger* manager)
    : CDravletCoreHost(logic), m_HubHandOver(logic)
{
    if (manager)
        SetLogger(manager);
}

void CDravletManagerHost::Announce(DravletEvent event, int arg)
{
    if (event == DravletEvent::NewDataArrived)
        m_HubHandOver.RaiseNewData();
    else
        m_HubHandOver.Raise([event, arg](CKorvantaSignals* hub) { RaiseDravletEvent(hub, event, arg); });
}
