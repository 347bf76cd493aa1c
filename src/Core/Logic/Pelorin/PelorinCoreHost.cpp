#include "Core/Logic/Pelorin/PelorinCoreHost.h"

#include "Core/Logic/Pelorin/PelorinDiagnostics.h"
#include "Core/Base/ILogger.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/SensorInfo.h"
#include "Core/Logic/LogicServices.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

using namespace Pelorin;

ILogicServices* CPelorinCoreHost::Logic() const { return m_pLogic ? m_pLogic : CurrentLogicServices(); }

CSetupInfo* CPelorinCoreHost::Setup() const
{
    ILogicServices* logic = Logic();
    return logic ? logic->GetSetupInfo() : nullptr;
}

const ICatalogView& CPelorinCoreHost::Catalog()
{
    ILogicServices* logic = Logic();
    m_Catalog.SetCatalogue(logic ? &logic->SensorCatalogue() : nullptr);
    return m_Catalog;
}

bool CPelorinCoreHost::ReadSetup(SetupView& out)
{
    const CSetupInfo* s = Setup();
    if (!s)
        return false;
    out = SetupView();
    out.rateCode = s->m_RateCode;
    out.numberOfSamples = s->m_NumberOfSamples;
    out.triggerType = s->RawTriggerType();
    out.triggerPosition = s->m_TriggerChannel;
    // The logger compares its readings with the level's code, which the trigger dialog keeps.
    out.triggerLevel = s->m_TriggerValue;
    out.rangeChangePosition = s->m_RangeChannel;
    out.rangeValue = s->m_RangeValue;
    out.idWriteChannel = s->m_WriteIdChannel;
    out.idWriteCatalogIndex = s->m_WriteIdValue;
    out.timingFirst = s->m_TimingMeasurement;
    out.timingSecond = s->m_TimingApproach;
    for (const CSesnorProperties* p : s->m_SelectedSensorList) {
        out.selectedIndex.push_back(p ? p->m_SensorIndex : 0);
        out.selectedActive.push_back(p && p->IsActive());
    }
    if (!s->m_LoggerStatusList.isEmpty()) {
        for (const CLoggerChannel& c : s->m_LoggerStatusList.first().m_SensorList)
            out.statusSensors.push_back({static_cast<unsigned char>(c.m_Port), c.m_SensorIndex});
    }
    for (const SensorSetCalibrationList& c : s->m_CalibrationList)
        out.calibration.push_back({c.m_Channel, c.m_Index, c.m_Gain, c.m_Offset});
    return true;
}

void CPelorinCoreHost::SelectedIndexes(std::vector<int>& out)
{
    out.clear();
    const CSetupInfo* s = Setup();
    if (!s)
        return;
    for (const CSesnorProperties* p : s->m_SelectedSensorList)
        out.push_back(p ? p->m_SensorIndex : 0);
}

void CPelorinCoreHost::WriteCalibrationPair(int position, float gain, float offset)
{
    CSetupInfo* s = Setup();
    if (!s || position < 0 || position >= CSetupInfo::NumISEChannels)
        return;
    s->m_CalibrationPairs[position].m_A = gain;
    s->m_CalibrationPairs[position].m_B = offset;
}

void CPelorinCoreHost::WriteSnapshot(const QList<int>& values)
{
    CSetupInfo* s = Setup();
    if (!s)
        return;
    if (s->m_LoggerStatusList.isEmpty())
        s->m_LoggerStatusList.append(CCurrentLoggerStatus());
    s->m_LoggerStatusList.first().m_SnapshotList = values;
}

void CPelorinCoreHost::WriteDownloadedSamples(int samples)
{
    // The setup keeps no separate count for a downloaded run: the logger record's count is the
    // one the logger interface answers with.
    Q_UNUSED(samples);
}

void CPelorinCoreHost::CreateDataEntries(ILogger* logger, unsigned char kind)
{
    if (ILogicServices* logic = Logic())
        logic->DataStore().CreateDataEntries(logger, kind);
}

void CPelorinCoreHost::ConvertAndStoreRows(ILogger* logger, const double* rows, int rowCount, int count,
                                           const unsigned char* positions, bool download)
{
    if (ILogicServices* logic = Logic())
        logic->DataStore().ConvertAndStoreBlock(logger, rows, rowCount, count, positions, true, download);
}

void CPelorinCoreHost::StoreMissingRows(ILogger* logger, int rowCount, int count, const unsigned char* positions,
                                        bool download)
{
    if (ILogicServices* logic = Logic())
        logic->DataStore().StoreMissingRows(logger, rowCount, count, positions, download);
}

double CPelorinCoreHost::CalculateTimingValue(int gate, qint64 time, bool unblock, ILogger* logger, bool& valid)
{
    if (!Logic())
        return CPelorinTiming::s_NoResult;
    // A new run starts with or without a logger; an edge counts only from one.
    if (gate >= 0 && !logger)
        return CPelorinTiming::s_NoResult;
    return m_Timing.Edge(gate, time, unblock, Setup(), valid);
}

bool CPelorinCoreHost::HasTimingBranch()
{
    ILogicServices* logic = Logic();
    if (!logic)
        return false;
    const CDataFolder* folder = logic->DataStore().GetLastDataFolder();
    return folder && folder->GetNumberBranches() > 0 && logic->DataStore().GetDataBranch(folder->GetBranchKey(0));
}

bool CPelorinCoreHost::AppendTimingResult(double x, double y)
{
    ILogicServices* logic = Logic();
    return logic && logic->DataStore().AppendTimingResult(x, y, m_Timing.TakeResultSlot());
}

void CPelorinCoreHost::InitBeforeRun(ILogger* logger)
{
    if (ILogicServices* logic = Logic())
        logic->DataStore().GetDataConversion()->InitBeforRun(logger);
}

void CPelorinCoreHost::UpdateSetupInfoFromCore(ILogger* logger, const LoggerRecord& record)
{
    CSetupInfo* s = Setup();
    if (!s || !logger)
        return;
    if (s->m_LoggerStatusList.isEmpty())
        s->m_LoggerStatusList.append(CCurrentLoggerStatus());
    CCurrentLoggerStatus& st = s->m_LoggerStatusList.first();
    st.m_RateCode = logger->GetUiRateCode(logger->GetSampleRateCode());
    st.m_NumberOfSamples = logger->GetNumberOfSamples();
    st.m_SensorList.clear();
    st.m_bAutoDetect = logger->IsAutoDetectMode();
    for (int i = 0; i < record.channelCount && i < kMaxChannels; ++i)
        st.m_SensorList.append(CLoggerChannel(record.channels[i].channel, record.channels[i].catalogIndex));
    logger->GetVersion(st.m_Version[0], st.m_Version[1], st.m_Version[2], st.m_Version[3], st.m_Version[4],
                       st.m_Version[5]);
}

void CPelorinCoreHost::LoggerIdentified(ILogger* logger, bool bootLoader)
{
    ILogicServices* logic = Logic();
    if (!logic)
        return;
    logic->LoggerIdentified(nullptr, LoggerModel::Pelorin);
    if (!bootLoader && logger)
        logic->SetTables(logger);
}

void CPelorinCoreHost::CountRun(bool) { ++m_RunCounter; }

void CPelorinCoreHost::WaitHere(int ms)
{
    if (ms <= 0)
        return;
    // On the user-interface thread the wait keeps events flowing; a worker simply sleeps.
    if (QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread()) {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    } else {
        QThread::msleep(static_cast<unsigned long>(ms));
    }
}

void CPelorinCoreHost::ReportPortRemoval(const QString& portName, quint16 vendor, quint16 product)
{
    MyOutputDebugString(QStringLiteral("Pelorin link lost: %1 %2:%3").arg(portName).arg(vendor, 4, 16).arg(product, 4, 16),
                        DiagPelorinHan);
}

void RaisePelorinEvent(CKorvantaSignals* hub, PelorinEvent event, int arg)
{
    if (!hub)
        return;
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

void CPelorinCoreHost::Announce(PelorinEvent event, int arg)
{
    ILogicServices* logic = Logic();
    RaisePelorinEvent(logic ? logic->GetSignals() : nullptr, event, arg);
}

void CPelorinCoreHost::Notify(PelorinNotice notice)
{
    RaiseNotice(Logic(), notice);
}

void CPelorinCoreHost::RaiseNotice(ILogicServices* logic, PelorinNotice notice)
{
    CKorvantaSignals* hub = logic ? logic->GetSignals() : nullptr;
    if (!hub)
        return;
    const auto text = [](const char* t) { return QCoreApplication::translate("CPelorinManager", t); };
    switch (notice) {
    case PelorinNotice::NoStoredRun:
        hub->SignalGuiModallessMsg(QString(), text("The logger holds no stored run to download."), true);
        break;
    case PelorinNotice::BootLoaderWithoutUpdate:
        hub->SignalGuiModallessMsg(
            QString(),
            text("The logger is waiting in its boot-loader: its last firmware update did not finish. "
                 "Reset it by pressing the power button until the LED turns red, then connect and try "
                 "the update again."),
            true);
        break;
    }
}
