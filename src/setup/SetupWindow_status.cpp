// The logger's status replies and the detection mode: how the selected-sensor list follows
// what the logger reports.
#include "setup/SetupWindow.h"

#include "Core/Logic/LoggerFace.h"
#include "setup/FullSetupWindow.h"

#include "Core/Base/Diagnostics.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/SensorInfo.h"
#include "Core/Data/SetupInfo.h"
#include "setup/LogicQueries.h"
#include "setup/SetupHost.h"
#include "setup/SetupSettings.h"
#include "windowbase/Prompter.h"

#include <QTimer>

#include <algorithm>

bool CSetupWindow::statusMatchesList(int selected, int channels) const
{
    if (selected < 1 || channels < selected)
        return false;
    for (int i = 0; i < selected; ++i) {
        const CSesnorProperties* s = m_pSetupInfo->m_SelectedSensorList.at(i);
        if (!s || (statusChannelIndex(i) != s->m_SensorIndex && !s->m_bPlaceholder))
            return false;
    }
    return true;
}

void CSetupWindow::updateSettingsFromStatus(int selected, int channels)
{
    ISetupSettings* settings = m_pHost ? m_pHost->GetSetupSettings() : nullptr;
    const CSensorInfo* info = catalogue();
    if (!settings)
        return;
    bool changed = false;
    for (int ch = 0; ch < channels; ++ch) {
        const int index = statusChannelIndex(ch);
        if (settings->GetSensorInfoIndex(ch) == index)
            continue;
        const CSensorParametersInfo* type = info ? info->GetSensorInfo(index) : nullptr;
        const int count =
            type ? std::clamp<int>(type->m_NumOfMeasurements, 0, CSensorParametersInfo::s_MaxMeasurements) : 0;
        for (int m = 0; m < count; ++m) {
            const CSensorMeasuremntInfo* mi = type->GetMeasurement(m);
            settings->SetMeasurementActive(ch, m, mi && mi->m_DefaultActive);
        }
        settings->SetSensorInfoIndex(ch, index);
        changed = true;
    }
    if (channels < selected) {
        for (int ch = channels; ch < selected; ++ch)
            settings->RestoreChannelDefaults(ch);
        changed = true;
    }
    if (changed && !settings->SaveSettings())
        MyOutputDebugString("updateSetupWindow: the settings file could not be written", DiagGui);
}

bool CSetupWindow::takeBackHeldSetup()
{
    ILogicQueries* logic = logicQueries();
    if (!logic || m_pSetupInfo->m_LoggerStatusList.isEmpty())
        return false;
    const CLoggerIdentity found(detectedLoggerType(), m_pSetupInfo->m_LoggerStatusList.first());
    QStringList dropped;
    if (logic->ClaimHeldSetup(found, &dropped) != CLoggerSetupHold::Verdict::OtherLogger)
        return false;
    if (!dropped.isEmpty())
        tellOnlineFunctionsDropped(dropped);
    // Another logger, or other sensors: the setup starts from what any new logger gets, the
    // rows then built from its status.
    MyOutputDebugString("held setup dropped for another logger", DiagGui);
    clearSensorList();
    m_pSetupInfo->Reset();
    if (m_pFull)
        m_pFull->removeAllRows();
    refreshWindows();
    return true;
}

void CSetupWindow::tellOnlineFunctionsDropped(const QStringList& names)
{
    QStringList lines;
    for (const QString& name : names)
        lines << (name.trimmed().isEmpty() ? tr("(a function without a name)") : name);
    const QString text =
        tr("The logger now connected does not have the sensors of the one that was disconnected. These online "
           "functions were removed, because a sensor they are calculated from is no longer connected where it "
           "was:\n\n%1")
            .arg(lines.join(QLatin1Char('\n')));
    IPrompter* given = m_pHost ? m_pHost->GetPrompter() : nullptr;
    // Told once the status that brought the news has been dealt with, not from inside it.
    QTimer::singleShot(0, this, [given, text] {
        if (IPrompter* prompter = PrompterOrShell(given))
            prompter->information(nullptr, tr("Online functions"), text);
    });
}

void CSetupWindow::updateSetupWindow(int command)
{
    if (command != 1 || !hasActiveLogger())
        return;
    // The first status after a connection says whether a setup held for a logger is its own.
    const bool functionsSorted = m_bNewConnection && takeBackHeldSetup();
    const int selected = m_pSetupInfo->m_SelectedSensorList.size();
    const int channels = statusChannelCount();
    m_bRequestPending = 0;

    // A logger that reads only for a calibration is asked for snapshots only while one does.
    if (m_SetupWindowType == 1 && m_bSetupShown && m_pHost && m_pHost->IsLoggerDetected()
        && (!detectedFace().ReadsOnlyWhileCalibrating() || m_bCalibrationSnapshot))
        SendQueuedRequest(SnapshotRequest);

    if (m_bNewConnection) {
        m_pSetupInfo->m_bAutoDetect = m_pSetupInfo->m_LoggerStatusList.isEmpty()
                                          ? m_pSetupInfo->m_bAutoDetect
                                          : m_pSetupInfo->m_LoggerStatusList.first().m_bAutoDetect;
        m_bNewConnection = false;
    }

    if (!m_pSetupInfo->m_bAutoDetect) {
        // Manual detection: the user's rows stay; only missing positions up to eight are
        // added, from what the logger reports for them.
        for (int pos = selected; pos < s_ManualDetectionRows; ++pos)
            addSensor2ActiveSensorList(statusChannelIndex(pos), pos, -1);
        if (m_pFull) {
            m_pFull->autoDetect();
            m_pFull->manualDetect();
        }
        refreshWindows();
        return;
    }

    if (!m_bSetupShown)
        return;
    const bool unchanged = statusMatchesList(selected, channels);
    updateSettingsFromStatus(selected, channels);
    if (channels == 0 && selected == 0)
        return;
    if (unchanged && selected == channels)
        return;

    if (selected != channels)
        std::fill(std::begin(m_pSetupInfo->m_ISEId), std::end(m_pSetupInfo->m_ISEId), 0);
    MyOutputDebugString("m_SelectedSensorList cleared", DiagGui);
    clearSensorList();
    for (int ch = 0; ch < channels; ++ch)
        addSensor2ActiveSensorList(statusChannelIndex(ch), ch, statusChannelPort(ch));
    // Other sensors: the functions computed from the old ones go, unless the held setup's
    // return has already kept those whose sensors stayed.
    ILogicQueries* logic = m_pHost ? m_pHost->GetLogicQueries() : nullptr;
    if (logic && !functionsSorted)
        logic->ClearOnlineFunctions();
    if (m_pFull)
        m_pFull->autoDetect();
    refreshWindows();
}

void CSetupWindow::detectionTypeChanged(int comboIndex)
{
    CKorvantaSignals* hub = m_pHost ? m_pHost->GetSignals() : nullptr;
    if (comboIndex == 1) {
        if (!m_pSetupInfo->m_bAutoDetect)
            return;
        m_pSetupInfo->m_bAutoDetect = false;
        m_bNewConnection = false;
        for (int pos = m_pSetupInfo->m_SelectedSensorList.size(); pos < s_ManualDetectionRows; ++pos)
            addSensor2ActiveSensorList(0, pos, -1);
        if (m_pFull)
            m_pFull->manualDetect();
        refreshWindows();
        if (hub)
            emit hub->UserDetectionModeChanged();
        return;
    }
    if (m_pSetupInfo->m_bAutoDetect)
        return;
    m_pSetupInfo->m_bAutoDetect = true;
    updateSetupWindow(1);
    if (hub)
        emit hub->UserDetectionModeChanged();
}
