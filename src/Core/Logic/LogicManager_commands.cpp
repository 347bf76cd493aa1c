// The command operations of the logic manager: one command record per request.
#include "Core/Logic/LogicManager.h"

#include "Core/Base/CommandParameters.h"
#include "Core/Base/Diagnostics.h"
#include "Core/Base/ILogger.h"
#include "Core/Logic/LoggerKinds.h"

namespace {

void send(ILogger* logger, unsigned char id, bool bStartNow)
{
    logger->SendCmd(CommandParametersStruct(id), bStartNow);
}

// The common shape: diagnostics first, then the bare command when there is a logger.
void simple(ILogger* logger, unsigned char id, const char* text, bool bStartNow)
{
    if (text)
        MyOutputDebugString(text, DiagLogic);
    if (logger)
        send(logger, id, bStartNow);
}

} // namespace

void CLogicManager::SendStatusReqCmd(ILogger* logger, bool bStartNow)
{
    simple(logger, CmdStatus, "Cmd StatusCmd", bStartNow);
}

void CLogicManager::SendGetNotesCmd(ILogger* logger, bool bStartNow)
{
    simple(logger, CmdGetNotes, "Cmd GetNotesCmd", bStartNow);
}

void CLogicManager::SendDownloadCmd(ILogger* logger, bool bStartNow)
{
    simple(logger, CmdDownload, "Cmd SendDownloadCmd", bStartNow);
}

void CLogicManager::SendStopCmd(ILogger* logger, bool bStartNow)
{
    MyOutputDebugString("Cmd StopCmd", DiagLogic);
    if (!logger)
        return;
    send(logger, CmdStop, bStartNow);
    stopKeepAliveTimer();
}

void CLogicManager::SendClearCmd(ILogger* logger, bool bStartNow)
{
    simple(logger, CmdLogClear, "Cmd LogClearCmd", bStartNow);
}

void CLogicManager::SendGetLastExperimentNumberCmd(ILogger* logger, bool bStartNow)
{
    simple(logger, CmdGetLastExperimentNumber, "Cmd GetLastExperimentNumberToQueu", bStartNow);
}

void CLogicManager::SendSelectiveFetchCmd(ILogger* logger, unsigned char experiment, bool bStartNow)
{
    MyOutputDebugString("Cmd SelectiveFetchToQueu", DiagLogic);
    if (!logger)
        return;
    CommandParametersStruct cmd(CmdSelectiveFetch);
    cmd.SetByte(ParExperimentNumber, experiment);
    logger->SendCmd(cmd, bStartNow);
}

void CLogicManager::SendUpdateNotesCmd(ILogger* logger, bool bStartNow)
{
    MyOutputDebugString("Cmd UpdateNotesCmd", DiagLogic);
    if (!logger)
        return;
    for (int block = 0; block < 35; ++block) {
        CommandParametersStruct cmd(CmdUpdateNotes);
        cmd.SetByte(ParNotesBlock, static_cast<unsigned char>(block));
        logger->SendCmd(cmd, bStartNow);
    }
}

void CLogicManager::SendGetStatusByteCmd(ILogger* logger, bool bStartNow)
{
    simple(logger, CmdGetStatusByte, "Cmd GetStatusByteToQueu", bStartNow);
}

void CLogicManager::SendGetTimingParametersCmd(ILogger* logger, bool bStartNow)
{
    simple(logger, CmdGetTimingParameters, "Cmd GetTimingParametersCmd", bStartNow);
}

void CLogicManager::SendSetTimingParametersCmd(ILogger* logger, TimingParametersStruct& params,
                                               bool bStartNow)
{
    MyOutputDebugString("Cmd SetTimingParametersCmd", DiagLogic);
    if (!logger)
        return;
    CommandParametersStruct cmd(CmdSetTimingParameters);
    // The first byte names the logger the parameters are for; its face gives the kind byte.
    cmd.SetByte(ParTimingKind, LoggerFaceOf(LoggerModelOf(double(params.m_Bytes[0]))).TimingParametersKind());
    for (int i = 0; i < 3; ++i)
        cmd.SetByte(ParTimingBytes + i, params.m_Bytes[1 + i]);
    logger->SendCmd(cmd, bStartNow);
}

void CLogicManager::SendRenameCmd(ILogger* logger, QString name, bool bStartNow)
{
    // Neither logger model frames a rename; the name has nowhere to go.
    Q_UNUSED(name);
    simple(logger, CmdRename, "Cmd SendHalvorenRenameCmd", bStartNow);
}

void CLogicManager::SendManualSampleCmd(ILogger* logger, bool bStartNow)
{
    simple(logger, CmdManualSample, "Cmd ManualSampleToQueue", bStartNow);
}

void CLogicManager::SendSnapshotCmd(ILogger* logger, bool bStartNow)
{
    simple(logger, CmdSnapshot, "Cmd SnapshotCmd", bStartNow);
}

void CLogicManager::SendLinkSetInputModeCmd(ILogger* logger, bool inputMode, bool bStartNow)
{
    MyOutputDebugString("Cmd SetInputModeCmd", DiagLogic);
    if (!logger)
        return;
    CommandParametersStruct cmd(CmdSetInputMode);
    cmd.SetByte(ParFlag, inputMode ? 1 : 0);
    logger->SendCmd(cmd, bStartNow);
}

void CLogicManager::SendSetAutoDetectCmd(ILogger* logger, bool autoDetect, bool bStartNow)
{
    MyOutputDebugString("Cmd SendSetAutoDetectCmd", DiagLogic);
    if (!logger)
        return;
    CommandParametersStruct cmd(CmdSetInputMode);
    cmd.SetByte(ParFlag, autoDetect ? 1 : 0);
    logger->SendCmd(cmd, bStartNow);
}

void CLogicManager::SendSetAverageWindowCmd(ILogger* logger, unsigned char window, bool bStartNow)
{
    MyOutputDebugString("Cmd SendHalvorenSetAverageWindowCmd", DiagLogic);
    if (!logger)
        return;
    CommandParametersStruct cmd(CmdSetAverageWindow);
    cmd.SetByte(ParAverageWindow, window);
    logger->SendCmd(cmd, bStartNow);
}

void CLogicManager::SendSetSensorRange(ILogger* logger, bool bStartNow)
{
    simple(logger, CmdSetSensorRange, nullptr, bStartNow);
}

void CLogicManager::SendSetCalibration(ILogger* logger, bool bStartNow)
{
    simple(logger, CmdSetCalibration, "Cmd SendSetCalibration", bStartNow);
}

void CLogicManager::SendWriteSensorId(ILogger* logger, bool bStartNow)
{
    MyOutputDebugString("Cmd SendWriteSensorId", DiagLogic);
    if (!logger)
        return;
    int v[6] = {0, 0, 0, 0, 0, 0};
    logger->GetVersion(v[0], v[1], v[2], v[3], v[4], v[5]);
    // Only firmware from version x.8 on (with x above 0) can store a sensor id.
    if (v[0] > 0 && v[1] >= 8)
        send(logger, CmdWriteSensorId, bStartNow);
}

void CLogicManager::SendKeepAliveCmd(ILogger* logger, bool bStartNow)
{
    simple(logger, CmdKeepAlive, "Cmd SendKeepAliveCmd", bStartNow);
}

void CLogicManager::SendUpdateUserDefinedSensorsCmd(ILogger* logger, bool bStartNow)
{
    // User-defined sensors are not stored in the loggers this program drives.
    Q_UNUSED(logger);
    Q_UNUSED(bStartNow);
}

void CLogicManager::ExecuteHalvorenCmd(short id)
{
    MyOutputDebugString("ExecuteHalvorenCmd", DiagLogic);
    if (ILogger* logger = m_pDetectedLogger)
        logger->ExecuteHalvorenCmd(id);
}
