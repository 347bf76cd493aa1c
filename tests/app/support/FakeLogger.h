#pragma once
// A logger that records the commands it is given and reports what a test sets.
#include "Core/Base/ILogger.h"

#include <QList>

class CFakeLogger : public ILogger
{
public:
    QList<unsigned char> m_Commands;
    bool m_bConnected = true;
    double m_Type = 70.0;
    double m_PeriodSec = 1.0;

    int count(unsigned char id) const { return m_Commands.count(id); }

    void StartDetection() override {}
    void ExecuteHalvorenCmd(short) override {}
    void SendCmd(CommandParametersStruct cmd, bool) override { m_Commands << cmd.CommandId(); }
    void SendStatusReq() override {}
    void SendStopReq() override {}
    bool IsComInitilazied() override { return true; }
    bool IsConnected() override { return m_bConnected; }
    bool IsRunning() override { return false; }
    bool IsFirmwareBusy() override { return false; }
    bool IsAutoDetectMode() override { return true; }
    int GetNumberOfSensors() override { return 0; }
    int GetLoggerSensorList(unsigned char*) override { return 0; }
    int GetActiveSensorListIndex(unsigned char*) override { return 0; }
    int GetNumberOfSamples() override { return 0; }
    int GetSampleRateCode() override { return 0; }
    int GetNumberOfSamples(unsigned char) override { return 0; }
    int GetNumberOfSamplesCode(int) override { return 0; }
    int GetLoggerRateCode(int, int) override { return 0; }
    int GetUiRateCode(int code) override { return code; }
    int GetMaxRate(short) override { return 15; }
    ExperimentInterval GetExperimentInterval(short, short) override
    {
        ExperimentInterval e;
        e.m_PeriodSec = m_PeriodSec;
        return e;
    }
    double GetZeroConst(int, int) override { return 0.0; }
    const char* GetName() override { return "fake"; }
    double GetType() override { return m_Type; }
    int GetPortNumber() override { return 0; }
    void GetVersion(int& a, int& b, int& c, int& d, int& e, int& f) override { a = b = c = d = e = f = 0; }
    void Exit() override {}
    int GetExpirmentType() override { return 0; }
};
