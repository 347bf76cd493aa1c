#include "Core/Logic/Dravlet/DravletCoreHost.h"

#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/Settings.h"
#include "Core/Logic/Dravlet/DravletCommands.h"
#include "Core/Logic/LogicServices.h"

#include <QCoreApplication>
#include <QThread>

CDravletCoreHost::CDravletCoreHost(ILogicServices* logic) : m_pLogic(logic) {}

CSetupInfo* CDravletCoreHost::Setup() const { return m_pLogic ? m_pLogic->GetSetupInfo() : nullptr; }

DravletSetupView CDravletCoreHost::ReadSetup()
{
    DravletSetupView view;
    const CSetupInfo* s = Setup();
    if (!s) return view;
    const int n = qMin(s->m_SelectedSensorList.size(), int(DravletSetupView::s_Channels));
    for (int ch = 0; ch < n; ++ch) {
        const CSesnorProperties* sensor = s->m_SelectedSensorList.at(ch);
        if (sensor) view.channels[ch] = {sensor->m_SensorIndex, sensor->IsActive()};
    }
    view.numChannels = n;
    view.autoDetect = s->m_bAutoDetect;
    view.timingRow = s->m_TimingMeasurement;
    view.timingColumn = s->m_TimingApproach;
    view.timingParameter1 = s->m_TimingWidth;
    view.timingParameter2 = s->m_TimingDistance;
    view.triggerChannel = s->m_TriggerChannel;
    // The readings are compared with the chosen level's code; the record's level field holds
    // only the entry's place in the dialog's list (or a delay).
    view.triggerLevel = s->m_TriggerValue;
    view.activeCount = s->GetSensorListIndex(view.activePositions);
    view.fromRecord = true;
    view.selectedSensors = s->GetNumSelectedSensors();
    view.rateCode = s->m_RateCode;
    view.numberOfSamples = s->m_NumberOfSamples;
    view.rawTriggerType = s->RawTriggerType();
    view.triggerType = s->m_TriggerType;
    view.triggerLevelEntry = s->m_TriggerLevel;
    view.timingRun = m_pLogic->GetCurrentRunMode() == ExperimentRunMode::Timing;
    return view;
}

void CDravletCoreHost::CreateDataEntries(int kind)
{
    if (!m_pLogic) return;
    m_pLogic->DataStore().GetNumberOfInputViewsEntries(m_pLogger);
    m_pLogic->DataStore().CreateDataEntries(m_pLogger, static_cast<unsigned char>(kind));
    m_pLogic->CountRun(false);
}

void CDravletCoreHost::InitBeforeRun()
{
    if (m_pLogic) m_pLogic->DataStore().GetDataConversion()->InitBeforRun(m_pLogger);
}

void CDravletCoreHost::storeRow(const double* row, int count, const unsigned char* positions)
{
    if (!m_pLogic) return;
    double values[DravletSetupView::s_Channels] = {};
    unsigned char where[DravletSetupView::s_Channels] = {};
    const int n = qBound(0, count, int(DravletSetupView::s_Channels));
    for (int i = 0; i < n; ++i) {
        values[i] = row[i];
        where[i] = positions[i];
    }
    m_pLogic->DataStore().ConvertAndStore(m_pLogger, values, n, where, true, false);
}

void CDravletCoreHost::ConvertAndStoreRows(const double* rows, int rowCount, int count, const unsigned char* positions)
{
    if (!m_pLogic || !rows || rowCount < 1)
        return;
    // Rows wider than the interface's channels are cut one by one, as single rows are.
    if (count < 1 || count > DravletSetupView::s_Channels) {
        for (int r = 0; r < rowCount; ++r)
            storeRow(rows + r * count, count, positions);
        return;
    }
    unsigned char where[DravletSetupView::s_Channels] = {};
    for (int i = 0; i < count; ++i)
        where[i] = positions[i];
    m_pLogic->DataStore().ConvertAndStoreBlock(m_pLogger, rows, rowCount, count, where, true, false);
}

void CDravletCoreHost::ConvertAndStoreLastOnlineSamples(int count, const unsigned char* positions)
{
    if (!m_pLogic) return;
    unsigned char where[DravletSetupView::s_Channels] = {};
    const int n = qBound(0, count, int(DravletSetupView::s_Channels));
    for (int i = 0; i < n; ++i) where[i] = positions[i];
    m_pLogic->DataStore().ConvertAndStoreLastOnlineSamples(m_pLogger, n, where);
}

qint64 CDravletCoreHost::SamplesStored()
{
    return (m_pLogger && m_pLogger->m_pProtocolState) ? m_pLogger->m_pProtocolState->m_SampleCounter[0] : 0;
}

double CDravletCoreHost::CalculateTimingValue(unsigned char method, double a, double b, double c, double d, double e)
{
    return m_pLogic ? m_pLogic->DataStore().CalculateTimingValue(method, a, b, c, d, e, m_pLogger) : 0.0;
}

bool CDravletCoreHost::HasTimingBranch()
{
    if (!m_pLogic) return false;
    const CDataFolder* folder = m_pLogic->DataStore().GetLastDataFolder();
    return folder && m_pLogic->DataStore().GetDataBranch(folder->GetBranchKey(0));
}

bool CDravletCoreHost::AppendTimingResult(double x, double y)
{
    return m_pLogic && m_pLogic->DataStore().AppendTimingResult(x, y);
}

void CDravletCoreHost::LoggerIdentified(bool setTables)
{
    if (!m_pLogic) return;
    m_pLogic->LoggerIdentified(m_pLogger, LoggerModel::Dravlet);
    if (setTables) m_pLogic->SetTables(m_pLogger);
}

void CDravletCoreHost::UpdateSetupInfoFromCore()
{
    // The logic manager copies the interface's state into the setup's first logger status.
    if (m_pLogic) m_pLogic->UpdateSetupInfoFromCore(m_pLogger);
}

void CDravletCoreHost::RequestFirmwareUpload()
{
    DravletCommands::SendFirmwareUpload(m_pLogger, true);
}

void CDravletCoreHost::WriteSnapshot(const QList<int>& values)
{
    ILogicServices* logic = m_pLogic;
    if (!logic) return;
    RunOnInterfaceThread([logic, values] {
        CSetupInfo* s = logic->GetSetupInfo();
        if (s && !s->m_LoggerStatusList.isEmpty()) s->m_LoggerStatusList.first().m_SnapshotList = values;
    });
}

void CDravletCoreHost::RunOnInterfaceThread(std::function<void()> fn)
{
    // Without a logic manager there is no other thread to go to: it runs at once.
    QObject* target = m_pLogic ? m_pLogic->InterfaceObject() : nullptr;
    if (target && QThread::currentThread() != target->thread())
        QMetaObject::invokeMethod(target, std::move(fn), Qt::QueuedConnection);
    else
        fn();
}

bool CDravletCoreHost::RelayOn() { return m_pLogic && m_pLogic->IsControlRelayOn(); }

void CDravletCoreHost::SetRelayOn(bool on)
{
    if (m_pLogic) m_pLogic->SetControlRelay(on);
}

void CDravletCoreHost::SetLastTimingRun()
{
    if (m_pLogic) m_pLogic->MarkTimingRun();
}

int CDravletCoreHost::RunCounter() const { return m_pLogic ? m_pLogic->RunCount() : 0; }

const CSensorInfo* CDravletCoreHost::Catalogue() { return m_pLogic ? &m_pLogic->SensorCatalogue() : nullptr; }

void CDravletCoreHost::UpdateSensorsInfo()
{
    // The calibration records it restores are read by every conversion.
    ILogicServices* logic = m_pLogic;
    ILogger* logger = m_pLogger;
    if (logic) RunOnInterfaceThread([logic, logger] { logic->UpdateSenosrsInfo(logger); });
}

QString CDravletCoreHost::LastPort()
{
    QMutexLocker lock(&m_PortLock);
    return m_LastPort;
}

void CDravletCoreHost::SetLastPort(const QString& port)
{
    QMutexLocker lock(&m_PortLock);
    m_LastPort = port;
}

void CDravletCoreHost::SaveSettings()
{
    ILogicServices* logic = m_pLogic;
    if (logic) RunOnInterfaceThread([logic] { logic->LoggerSettings().SaveSettings(); });
}

void CDravletCoreHost::SendSetupCmd(bool startNow) { DravletCommands::SendSetup(m_pLogger, ReadSetup(), startNow); }

void CDravletCoreHost::SendRunCmd(bool startNow) { DravletCommands::SendRun(m_pLogger, startNow); }

void CDravletCoreHost::SendTimingRunCmd(bool startNow) { DravletCommands::SendTimingRun(m_pLogger, startNow); }

void CDravletCoreHost::SendManualSampleCmd(bool startNow) { DravletCommands::SendManualSample(m_pLogger, startNow); }

ExperimentRunMode CDravletCoreHost::RunMode()
{
    return m_pLogic ? m_pLogic->GetCurrentRunMode() : ExperimentRunMode::Sampling;
}

void RaiseDravletEvent(CKorvantaSignals* hub, DravletEvent event, int arg)
{
    if (!hub)
        return;
    switch (event) {
    case DravletEvent::StartDetection: hub->SignalLoggerStartDetection(); break;
    case DravletEvent::EndDetection: hub->SignalLoggerEndDtetection(arg != 0); break;
    case DravletEvent::StatusArrived: hub->SignalLoggerStatusArrived(arg); break;
    case DravletEvent::ExperimentEnd: hub->SignalLoggerExperimentEnd(); break;
    case DravletEvent::NewDataArrived: hub->SignalLoggerNewDataArrived(); break;
    case DravletEvent::SnapShotArrived: hub->SingnalLoggerSnapShotArrived(); break;
    case DravletEvent::PressBeforeTrigger:
        // The hourglass says the run waits; this says why the press that was just made
        // shows no sample. It goes when the run starts.
        hub->SignalGuiModallessMsg(
            QString(), arg == 2 ? QCoreApplication::translate("CDravletCoreHost",
                                                              "No sample was taken: the reading is not below the "
                                                              "trigger level yet. The run starts with the first "
                                                              "press whose reading is below the level.")
                                : QCoreApplication::translate("CDravletCoreHost",
                                                              "No sample was taken: the reading is not above the "
                                                              "trigger level yet. The run starts with the first "
                                                              "press whose reading is above the level."),
            true);
        break;
    }
}

void CDravletCoreHost::Announce(DravletEvent event, int arg)
{
    RaiseDravletEvent(m_pLogic ? m_pLogic->GetSignals() : nullptr, event, arg);
}
