#include "Core/Logic/HubHandOver.h"

#include "Core/Base/KorvantaSignals.h"
#include "Core/Logic/LogicServices.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>

void CHubHandOver::Raise(const std::function<void(CKorvantaSignals*)>& raise)
{
    ILogicServices* logic = m_pLogic;
    if (!logic || !logic->GetSignals())
        return;
    if (QThread::currentThread() == logic->InterfaceObject()->thread()) {
        raise(logic->GetSignals());
        return;
    }
    QMetaObject::invokeMethod(
        logic->InterfaceObject(),
        [logic, raise] {
            if (CKorvantaSignals* hub = logic->GetSignals())
                raise(hub);
        },
        Qt::QueuedConnection);
}

void CHubHandOver::RaiseNewData()
{
    ILogicServices* logic = m_pLogic;
    if (!logic || !logic->GetSignals())
        return;
    if (QThread::currentThread() == logic->InterfaceObject()->thread()) {
        logic->GetSignals()->SignalLoggerNewDataArrived();
        return;
    }
    if (m_pPendingNewData->fetch_add(1) != 0)
        return;
    std::shared_ptr<std::atomic<int>> pending = m_pPendingNewData;
    QMetaObject::invokeMethod(
        logic->InterfaceObject(),
        [logic, pending] {
            const int n = pending->exchange(0);
            CKorvantaSignals* hub = logic->GetSignals();
            for (int i = 0; hub && i < n; ++i)
                hub->SignalLoggerNewDataArrived();
        },
        Qt::QueuedConnection);
}
