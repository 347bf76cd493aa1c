#include "Core/Logic/Dravlet/DravletManagerHost.h"

#include "Core/Logic/LogicServices.h"

#include <QThread>

CDravletManagerHost::CDravletManagerHost(ILogicServices* logic, ILogger* manager)
    : CDravletCoreHost(logic), m_pLogicServices(logic), m_HubHandOver(logic)
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

bool CDravletManagerHost::onInterfaceThread() const
{
    return !m_pLogicServices || QThread::currentThread() == m_pLogicServices->InterfaceObject()->thread();
}

DravletSetupView CDravletManagerHost::ReadSetup()
{
    // The interface thread changes the setup record (its sensor list among it): the sender and
    // the packet processor must not walk it meanwhile.
    if (onInterfaceThread()) {
        const DravletSetupView view = CDravletCoreHost::ReadSetup();
        QMutexLocker lock(&m_SetupLock);
        m_Setup = view;
        m_bSetupTaken = true;
        return view;
    }
    QMutexLocker lock(&m_SetupLock);
    if (m_bSetupTaken)
        return m_Setup;
    lock.unlock();
    // No command was given from the interface thread yet (a test driving a thread alone).
    return CDravletCoreHost::ReadSetup();
}

void CDravletManagerHost::RefreshSetup()
{
    if (onInterfaceThread())
        ReadSetup();
}
