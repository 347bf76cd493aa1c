#include "Core/Logic/Dravlet/DravletCommands.h"

#include "Core/Base/CommandParameters.h"
#include "Core/Base/Diagnostics.h"
#include "Core/Base/ILogger.h"
#include "Core/Logic/Dravlet/DravletHost.h"

namespace DravletCommands {

void SendSetup(ILogger* logger, const DravletSetupView& setup, bool startNow)
{
    MyOutputDebugString("Cmd SetupCmd", DiagLogic);
    if (!logger || !setup.fromRecord)
        return;
    CommandParametersStruct cmd(CmdSetup);
    const int sensors = setup.selectedSensors;
    cmd.SetByte(ParSetupSensorCount, static_cast<unsigned char>(sensors));
    cmd.SetWord(ParSetupSensorCount16, quint16(sensors));
    cmd.SetWord(ParSetupRateCode, quint16(logger->GetLoggerRateCode(setup.rateCode, sensors)));
    cmd.SetWord(ParSetupSamplesCode, quint16(logger->GetNumberOfSamplesCode(setup.numberOfSamples)));
    cmd.SetWord(ParSetupSamples, quint16(setup.numberOfSamples & 0xFFFF));
    cmd.SetWord(ParSetupTriggerType, quint16(setup.rawTriggerType));
    cmd.SetWord(ParSetupTriggerLevel, quint16(setup.triggerLevelEntry));
    cmd.SetWord(ParSetupTriggerChannel, quint16(setup.triggerChannel));
    cmd.SetDWord(ParSetupReserved, 0);
    cmd.SetByte(ParFlag, setup.autoDetect ? 1 : 0);
    cmd.SetByte(ParSetupTimingRun, setup.timingRun ? 1 : 0);
    logger->SendCmd(cmd, startNow);
}

void SendRun(ILogger* logger, bool startNow)
{
    MyOutputDebugString("Cmd RunCmd", DiagLogic);
    if (logger)
        logger->SendCmd(CommandParametersStruct(CmdRun), startNow);
}

void SendTimingRun(ILogger* logger, bool startNow)
{
    MyOutputDebugString("Cmd TimingRunCmd", DiagLogic);
    if (!logger)
        return;
    if (logger->m_pProtocolState)
        logger->m_pProtocolState->m_TimingEventCounter = -1;
    logger->SendCmd(CommandParametersStruct(CmdTimingRun), startNow);
}

void SendManualSample(ILogger* logger, bool startNow)
{
    MyOutputDebugString("Cmd ManualSampleToQueue", DiagLogic);
    if (logger)
        logger->SendCmd(CommandParametersStruct(CmdManualSample), startNow);
}

void SendFirmwareUpload(ILogger* logger, bool startNow)
{
    MyOutputDebugString("Cmd SendHalvorenUploadFirmwareCmd", DiagLogic);
    if (!logger || !logger->IsConnected())
        return;
    CommandParametersStruct cmd(CmdUploadFirmware);
    cmd.SetWord(ParFirmwareBlock, 0);
    cmd.SetByte(ParFirmwareFirst, 1);
    logger->SendCmd(cmd, startNow);
}

} // namespace DravletCommands
