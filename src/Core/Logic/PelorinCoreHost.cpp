#include "Core/Logic/PelorinCoreHost.h"

#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Logic/KorvantaSignals.h"
#include "Core/Logic/LogicContext.h"
#include "Core/Logic/LogicManager.h"
#include "Core/Logic/PelorinManager.h"

#include <QThread>

#include <algorithm>

CPelorinCoreHost::CPelorinCoreHost(CLogicManager* logic, CPelorinManager* manager)
    : m_pLogic(logic), m_pManager(manager), m_Catalog(logic ? &logic->m_SensorInfo : nullptr)
{
}

bool CPelorinCoreHost::ReadSetup(Pelorin::SetupView& out)
{
    const CSetupInfo* setup = m_pLogic ? m_pLogic->GetSetupInfo() : nullptr;
    if (!setup)
        return false;
    out = Pelorin::SetupView();
    out.rateCode = setup->m_RateCode;
    out.numberOfSamples = setup->m_NumberOfSamples;
    out.triggerType = setup->m_TriggerType;
    out.triggerPosition = setup->m_TriggerChannel;
    out.triggerLevel = setup->m_TriggerLevel;
    out.rangeChangePosition = setup->m_RangeChannel;
    out.rangeValue = setup->m_RangeValue;
    out.idWriteChannel = setup->m_WriteIdChannel;
    out.idWriteCatalogIndex = setup->m_WriteIdValue;
    out.timingFirst = setup->m_TimingMeasurement;
    out.timingSecond = setup->m_TimingApproach;
    for (const CSesnorProperties* sensor : setup->m_SelectedSensorList) {
        out.selectedIndex.push_back(sensor ? sensor->m_SensorIndex : 0);
        bool active = false;
        if (sensor)
            for (const CMeasurementSetup* m : sensor->m_MeasurementList)
                active = active || (m && m->m_bActive);
        out.selectedActive.push_back(active);
    }
    if (!setup->m_LoggerStatusList.isEmpty()) {
        for (const CLoggerChannel& ch : setup->m_LoggerStatusList.first().m_SensorList) {
            Pelorin::StatusSensor s;
            s.channel = static_cast<unsigned char>(ch.m_Port);
            s.catalogIndex = ch.m_SensorIndex;
            out.statusSensors.push_back(s);
        }
    }
    for (const SensorSetCalibrationList& c : setup->m_CalibrationList) {
        Pelorin::CalibrationEntry e;
        e.channel = c.m_Channel;
        e.second = c.m_Index;
        e.first = c.m_Gain;
        e.secondValue = c.m_Offset;
        out.calibration.push_back(e);
    }
    return true;
}

void CPelorinCoreHost::SelectedIndexes(std::vector<int>& out)
{
    out.clear();
    const CSetupInfo* setup = m_pLogic ? m_pLogic->GetSetupInfo() : nullptr;
    if (!setup)
        return;
    for (const CSesnorProperties* sensor : setup->m_SelectedSensorList)
        out.push_back(sensor ? sensor->m_SensorIndex : 0);
}

void CPelorinCoreHost::WriteCalibrationPair(int position, float gain, float offset)
{
    CSetupInfo* setup = m_pLogic ? m_pLogic->GetSetupInfo() : nullptr;
    if (!setup || position < 0 || position >= CSetupInfo::NumISEChannels)
        return;
    setup->m_CalibrationPairs[position].m_A = gain;
    setup->m_CalibrationPairs[position].m_B = offset;
}

void CPelorinCoreHost::WriteSnapshot(const QList<int>& values)
{
    if (!m_pLogic)
        return;
    // The setup windows read these lists; they change on the interface thread only.
    CLogicManager* logic = m_pLogic;
    QMetaObject::invokeMethod(
        logic,
        [logic, values] {
            CSetupInfo* setup = logic->GetSetupInfo();
            if (!setup)
                return;
            if (setup->m_LoggerStatusList.isEmpty())
                setup->m_LoggerStatusList.append(CCurrentLoggerStatus());
            setup->m_LoggerStatusList.first().m_SnapshotList = values;
        },
        QThread::currentThread() == logic->thread() ? Qt::DirectConnection : Qt::QueuedConnection);
}

void CPelorinCoreHost::WriteDownloadedSamples(int samples)
{
    CSetupInfo* setup = m_pLogic ? m_pLogic->GetSetupInfo() : nullptr;
    if (setup && samples >= 0)
        setup->m_NumberOfSamples = samples;
}

void CPelorinCoreHost::CreateDataEntries(ILogger* logger, unsigned char kind)
{
    if (m_pLogic)
        m_pLogic->m_DataManager.CreateDataEntries(logger, kind);
}

void CPelorinCoreHost::ConvertAndStoreRows(ILogger* logger, const double* rows, int rowCount, int count,
                                           const unsigned char* positions, bool download)
{
    if (!m_pLogic || !rows || rowCount < 1 || count < 1)
        return;
    m_pLogic->m_DataManager.ConvertAndStoreBlock(logger, rows, rowCount, count, positions, true, download);
    if (m_StoreObserver)
        m_StoreObserver(rowCount);
}

double CPelorinCoreHost::CalculatePelorinTimingValue(int gate, qint64 time, bool unblock, ILogger* logger,
                                                     bool& valid)
{
    if (!m_pLogic)
        return -1.0;
    return m_pLogic->m_DataManager.CalculatePelorinTimingValue(gate, long(time), unblock, logger, valid);
}

bool CPelorinCoreHost::HasTimingBranch()
{
    return m_pLogic && m_pLogic->m_DataManager.GetLastFolderDataBranch(0) != nullptr;
}

bool CPelorinCoreHost::AppendTimingResult(double x, double y)
{
    CDataBranch* branch = m_pLogic ? m_pLogic->m_DataManager.GetLastFolderDataBranch(0) : nullptr;
    if (!branch)
        return false;
    branch->AddSample(x, y);
    return true;
}

void CPelorinCoreHost::InitBeforeRun(ILogger* logger)
{
    if (m_pLogic)
        m_pLogic->m_DataManager.GetDataConversion()->InitBeforRun(logger);
}

void CPelorinCoreHost::UpdateSetupInfoFromCore(ILogger* logger, const Pelorin::LoggerRecord& record)
{
    if (!m_pLogic)
        return;
    QList<int> status;
    for (int i = 0; i < std::min(record.channelCount, int(Pelorin::kMaxChannels)); ++i)
        status.append(record.channels[i].channel);
    m_pLogic->UpdateSetupInfoFromCore(logger, &status);
}

void CPelorinCoreHost::LoggerIdentified(ILogger* logger, bool bootLoader)
{
    if (!m_pLogic)
        return;
    m_pLogic->m_DetectedLoggerType = 70.0;
    if (!bootLoader)
        m_pLogic->SetTables(logger);
}

void CPelorinCoreHost::CountRun(bool timingRun)
{
    if (!m_pLogic)
        return;
    const int run = ++m_pLogic->m_RunCounter;
    if (timingRun)
        m_pLogic->m_TimingRunNumber = run;
}

void CPelorinCoreHost::ClearControlRelay()
{
    if (m_pLogic)
        m_pLogic->m_bControlRelay = false;
}

void CPelorinCoreHost::KeepAliveReplied()
{
    if (m_pLogic)
        m_pLogic->KeepAliveReplied();
}

void CPelorinCoreHost::WaitHere(int ms)
{
    if (!m_pLogic)
        return;
    if (QThread::currentThread() == m_pLogic->thread()) {
        m_pLogic->WaitHere(ms);
        return;
    }
    // A worker thread waits in short steps so that closing the program is not held up.
    for (int waited = 0; waited < ms && !(m_pManager && m_pManager->m_bExit); waited += 20)
        QThread::msleep(static_cast<unsigned long>(std::min(20, ms - waited)));
}

void CPelorinCoreHost::ReportPortRemoval(const QString& portName, quint16 vendor, quint16 product)
{
    if (m_pManager)
        m_pManager->ReportPortRemoval(portName, vendor, product);
}

void CPelorinCoreHost::StopSetupTimers()
{
    CLogicManager* logic = m_pLogic;
    if (!logic)
        return;
    QMetaObject::invokeMethod(
        logic,
        [logic] {
            if (ILogicContext* context = logic->GetContext())
                context->StopSetupTimers();
        },
        QThread::currentThread() == logic->thread() ? Qt::DirectConnection : Qt::QueuedConnection);
}

namespace {

void Raise(CKorvantaSignals* hub, PelorinEvent event, int arg)
{
    switch (event) {
    case PelorinEvent::StatusArrived: hub->SignalLoggerStatusArrived(arg); break;
    case PelorinEvent::NewDataArrived: hub->SignalLoggerNewDataArrived(); break;
    case PelorinEvent::ExperimentEnd: hub->SignalLoggerExperimentEnd(); break;
    case PelorinEvent::SnapShotArrived: hub->SingnalLoggerSnapShotArrived(); break;
    case PelorinEvent::DownloadStarted: hub->SignalLoggerDownloadStarted(); break;
    case PelorinEvent::DownloadFinished: hub->SignalLoggerDownloadFinshed(arg != 0); break;
    case PelorinEvent::ShutDown: hub->SignalLoggerShutDown(); break;
    case PelorinEvent::SetRangeFinished: hub->SignalLoggerSetRangeFinished(); break;
    case PelorinEvent::EndDetection: hub->SignalLoggerEndDtetection(arg != 0); break;
    case PelorinEvent::EnteredBootLoader: hub->SignalLoggerEnteredBootLoaderMode(); break;
    }
}

} // namespace

void CPelorinCoreHost::Announce(PelorinEvent event, int arg)
{
    CLogicManager* logic = m_pLogic;
    if (!logic || !logic->GetSignals())
        return;
    if (QThread::currentThread() == logic->thread()) {
        Raise(logic->GetSignals(), event, arg);
        return;
    }
    // Events of the worker threads are raised on the interface thread, in the order they
    // happened; the new-data events of a block share one hand-over.
    if (event == PelorinEvent::NewDataArrived) {
        if (m_PendingNewData.fetch_add(1) != 0)
            return;
        std::atomic<int>* pending = &m_PendingNewData;
        QMetaObject::invokeMethod(
            logic,
            [logic, pending] {
                const int n = pending->exchange(0);
                CKorvantaSignals* hub = logic->GetSignals();
                for (int i = 0; hub && i < n; ++i)
                    hub->SignalLoggerNewDataArrived();
            },
            Qt::QueuedConnection);
        return;
    }
    QMetaObject::invokeMethod(
        logic,
        [logic, event, arg] {
            if (CKorvantaSignals* hub = logic->GetSignals())
                Raise(hub, event, arg);
        },
        Qt::QueuedConnection);
}
