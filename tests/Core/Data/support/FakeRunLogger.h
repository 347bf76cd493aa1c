#pragma once
// A scripted logger for the conversion and storage tests: every answer is a field to set.
#include <cstring>
#include <vector>

#include "Core/Base/ILogger.h"

class CFakeRunLogger : public ILogger
{
public:
    CFakeRunLogger() { m_pProtocolState = &m_State; }

    void StartDetection() override {}
    void ExecuteHalvorenCmd(short) override {}
    void SendCmd(CommandParametersStruct, bool) override { ++m_Commands; }
    void SendStatusReq() override {}
    void SendStopReq() override {}
    bool IsComInitilazied() override { return true; }
    bool IsConnected() override { return true; }
    bool IsRunning() override { return m_Running; }
    bool IsFirmwareBusy() override { return false; }
    bool IsAutoDetectMode() override { return m_AutoDetect; }
    int GetNumberOfSensors() override { return static_cast<int>(m_Active.size()); }
    int GetLoggerSensorList(unsigned char* list) override
    {
        for (size_t i = 0; i < m_SensorList.size(); ++i) list[i] = m_SensorList[i];
        return static_cast<int>(m_SensorList.size());
    }
    int GetActiveSensorListIndex(unsigned char* list) override
    {
        for (size_t i = 0; i < m_Active.size(); ++i) list[i] = m_Active[i];
        return static_cast<int>(m_Active.size());
    }
    int GetNumberOfSamples() override { return 100; }
    int GetSampleRateCode() override { return m_RateCode; }
    int GetNumberOfSamples(unsigned char) override { return 100; }
    int GetNumberOfSamplesCode(int) override { return 0; }
    int GetLoggerRateCode(int rate, int) override { return rate; }
    int GetUiRateCode(int code) override { return code; }
    int GetMaxRate(short) override { return 15; }
    ExperimentInterval GetExperimentInterval(short rate, short sensors) override
    {
        m_LastIntervalRate = rate;
        m_LastIntervalSensors = sensors;
        return ExperimentInterval{m_Period, m_Period, 1};
    }
    double GetZeroConst(int, int) override { return m_ZeroConst; }
    const char* GetName() override { return nullptr; }
    double GetType() override { return m_Type; }
    int GetPortNumber() override { return 0; }
    void GetVersion(int& a, int& b, int& c, int& d, int& e, int& f) override
    {
        a = m_Version[0]; b = m_Version[1]; c = m_Version[2];
        d = m_Version[3]; e = m_Version[4]; f = m_Version[5];
    }
    void Exit() override {}
    int GetExpirmentType() override { return m_ExperimentType; }

    CLoggerProtocolState m_State;
    std::vector<unsigned char> m_Active;
    std::vector<unsigned char> m_SensorList;
    double m_Type = 12.0;
    double m_Period = 0.1;
    double m_ZeroConst = 0.0;
    bool m_AutoDetect = false;
    bool m_Running = true;
    int m_Version[6] = {0, 0, 0, 0, 0, 0};
    int m_ExperimentType = 0;
    int m_RateCode = 10;
    int m_Commands = 0;
    int m_LastIntervalRate = -1;
    int m_LastIntervalSensors = -1;
};
