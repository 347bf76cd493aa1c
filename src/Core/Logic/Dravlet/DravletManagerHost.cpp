#include "Core/Logic/Dravlet/DravletManagerHost.h"

#include "Core/Data/SetupInfo.h"
#include "Core/Data/Settings.h"
#include "Core/Logic/LogicServices.h"

#include <QThread>

CDravletManagerHost::CDravletManagerHost(ILogicServices* logic, ILogger* manager)
    : CDravletCoreHost(logic), m_HubHandOver(logic)
{
    if (manager)
        SetLogger(manager);
}

void CDravletManagerHost::RunOnInterfaceThread(std::function<void()> fn)
{
    // Without a logic manager there is no other thread to go to: it runs at once.
    QObject* target = Logic() ? Logic()->InterfaceObject() : nullptr;
    if (target && QThread::currentThread() != target->thread())
        QMetaObject::invokeMethod(target, std::move(fn), Qt::QueuedConnection);
    else
        fn();
}

void CDravletManagerHost::StoreSnapshotReadings(const int* readings, int count)
{
    QList<int> values;
    for (int i = 0; i < count; ++i) values.append(readings[i]);
    ILogicServices* logic = Logic();
    if (!logic) return;
    RunOnInterfaceThread([logic, values] {
        CSetupInfo* s = logic->GetSetupInfo();
        if (s && !s->m_LoggerStatusList.isEmpty()) s->m_LoggerStatusList.first().m_SnapshotList = values;
    });
}

void CDravletManagerHost::UpdateSensorsInfo()
{
    ILogicServices* logic = Logic();
    ILogger* logger = Logger();
    if (logic) RunOnInterfaceThread([logic, logger] { logic->UpdateSenosrsInfo(logger); });
}

void CDravletManagerHost::SaveSettings()
{
    ILogicServices* logic = Logic();
    if (logic) RunOnInterfaceThread([logic] { logic->LoggerSettings().SaveSettings(); });
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
