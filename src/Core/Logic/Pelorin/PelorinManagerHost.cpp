#include "Core/Logic/Pelorin/PelorinManagerHost.h"

#include "Core/Data/SetupInfo.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Logic/LogicContext.h"
#include "Core/Logic/InterfaceThread.h"
#include "Core/Logic/LogicServices.h"
#include "Core/Logic/Pelorin/PelorinManager.h"

#include <QThread>

#include <algorithm>

CPelorinManagerHost::CPelorinManagerHost(ILogicServices* logic, CPelorinManager* manager)
    : CPelorinCoreHost(logic), m_pLogicManager(logic), m_pManager(manager), m_HubHandOver(logic)
{
}

bool CPelorinManagerHost::ReadSetup(Pelorin::SetupView& out)
{
    const bool here = !m_pLogicManager || QThread::currentThread() == m_pLogicManager->InterfaceObject()->thread();
    if (here) {
        const bool ok = CPelorinCoreHost::ReadSetup(out);
        QMutexLocker lock(&m_SetupLock);
        m_Setup = out;
        m_bSetupTaken = ok;
        return ok;
    }
    QMutexLocker lock(&m_SetupLock);
    if (!m_bSetupTaken) {
        lock.unlock();
        // No command was given yet from the interface thread (a test driving a thread alone).
        return CPelorinCoreHost::ReadSetup(out);
    }
    out = m_Setup;
    return true;
}

void CPelorinManagerHost::SelectedIndexes(std::vector<int>& out)
{
    Pelorin::SetupView s;
    if (ReadSetup(s))
        out = s.selectedIndex;
    else
        out.clear();
}

void CPelorinManagerHost::RefreshSetup()
{
    if (m_pLogicManager && QThread::currentThread() != m_pLogicManager->InterfaceObject()->thread())
        return;
    Pelorin::SetupView s;
    ReadSetup(s);
}

void CPelorinManagerHost::WriteCalibrationPair(int position, float gain, float offset)
{
    ILogicServices* logic = m_pLogicManager;
    if (!logic || QThread::currentThread() == logic->InterfaceObject()->thread() || position < 0 || position >= Pelorin::kMaxPositions) {
        CPelorinCoreHost::WriteCalibrationPair(position, gain, offset);
        return;
    }
    // Every packet brings the pairs again; only a change goes over.
    Pair& sent = m_SentPairs[position];
    if (sent.known && sent.gain == gain && sent.offset == offset)
        return;
    sent = {true, gain, offset};
    OnInterfaceThread(logic, [logic, position, gain, offset] {
        CSetupInfo* s = logic->GetSetupInfo();
        if (!s || position >= CSetupInfo::NumISEChannels)
            return;
        s->m_CalibrationPairs[position].m_A = gain;
        s->m_CalibrationPairs[position].m_B = offset;
    });
}

void CPelorinManagerHost::WriteSnapshot(const QList<int>& values)
{
    // The setup windows read these lists; they change on the interface thread only.
    ILogicServices* logic = m_pLogicManager;
    OnInterfaceThread(logic, [logic, values] {
        CSetupInfo* setup = logic->GetSetupInfo();
        if (!setup)
            return;
        if (setup->m_LoggerStatusList.isEmpty())
            setup->m_LoggerStatusList.append(CCurrentLoggerStatus());
        setup->m_LoggerStatusList.first().m_SnapshotList = values;
    });
}

void CPelorinManagerHost::ConvertAndStoreRows(ILogger* logger, const double* rows, int rowCount, int count,
                                              const unsigned char* positions, bool download)
{
    if (!rows || rowCount < 1 || count < 1)
        return;
    CPelorinCoreHost::ConvertAndStoreRows(logger, rows, rowCount, count, positions, download);
    if (m_StoreObserver)
        m_StoreObserver(rowCount);
}

void CPelorinManagerHost::UpdateSetupInfoFromCore(ILogger* logger, const Pelorin::LoggerRecord& record)
{
    if (!m_pLogicManager)
        return;
    QList<int> status;
    for (int i = 0; i < std::min(record.channelCount, int(Pelorin::kMaxChannels)); ++i)
        status.append(record.channels[i].channel);
    m_pLogicManager->UpdateSetupInfoFromCore(logger, &status);
}

void CPelorinManagerHost::CountRun(bool timingRun)
{
    CPelorinCoreHost::CountRun(timingRun);
    if (!m_pLogicManager)
        return;
    m_pLogicManager->CountRun(timingRun);
}

void CPelorinManagerHost::ClearControlRelay()
{
    if (m_pLogicManager)
        m_pLogicManager->SetControlRelay(false);
}

void CPelorinManagerHost::KeepAliveReplied()
{
    if (m_pLogicManager)
        m_pLogicManager->KeepAliveReplied();
}

void CPelorinManagerHost::WaitHere(int ms)
{
    if (!m_pLogicManager || QThread::currentThread() == m_pLogicManager->InterfaceObject()->thread()) {
        CPelorinCoreHost::WaitHere(ms);
        return;
    }
    // A logger thread waits in short steps so that closing the program is not held up.
    for (int waited = 0; waited < ms && !(m_pManager && m_pManager->m_bExit); waited += 20)
        QThread::msleep(static_cast<unsigned long>(std::min(20, ms - waited)));
}

void CPelorinManagerHost::ReportPortRemoval(const QString& portName, quint16 vendor, quint16 product)
{
    CPelorinCoreHost::ReportPortRemoval(portName, vendor, product);
    if (m_pManager)
        m_pManager->ReportPortRemoval(portName, vendor, product);
}

void CPelorinManagerHost::StopSetupTimers()
{
    ILogicServices* logic = m_pLogicManager;
    OnInterfaceThread(logic, [logic] {
        if (ILogicContext* context = logic->GetContext())
            context->StopSetupTimers();
    });
}

void CPelorinManagerHost::Announce(PelorinEvent event, int arg)
{
    if (event == PelorinEvent::NewDataArrived)
        m_HubHandOver.RaiseNewData();
    else
        m_HubHandOver.Raise([event, arg](CKorvantaSignals* hub) { RaisePelorinEvent(hub, event, arg); });
}

void CPelorinManagerHost::Notify(PelorinNotice notice)
{
    // After the hub events raised before it, on the interface thread.
    ILogicServices* logic = m_pLogicManager;
    OnInterfaceThread(logic, [logic, notice] { RaiseNotice(logic, notice); });
}
