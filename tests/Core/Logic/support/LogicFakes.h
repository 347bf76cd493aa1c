#pragma once
// Scripted stand-ins for the logic layer's tests: a logger that records what it is asked, and
// the context the shell gives the logic manager.
#include "Core/Base/ILogger.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Logic/LogicContext.h"

#include <QList>
#include <QMutex>

#include <atomic>
#include <functional>

class CFakeLogger : public ILogger
{
public:
    explicit CFakeLogger(double type = 70.0) : m_Type(type) {}

    void StartDetection() override { ++m_Detections; }
    void ExecuteHalvorenCmd(short id) override
    {
        QMutexLocker lock(&m_Lock);
        m_Executed << id;
    }
    void SendCmd(CommandParametersStruct cmd, bool bStartNow) override
    {
        {
            QMutexLocker lock(&m_Lock);
            m_Sent << cmd;
            m_StartFlags << bStartNow;
        }
        if (m_OnSend)
            m_OnSend(cmd);
    }
    void SendStatusReq() override {}
    void SendStopReq() override {}
    bool IsComInitilazied() override { return m_bConnected; }
    bool IsConnected() override { return m_bConnected; }
    bool IsRunning() override { return m_bRunning; }
    bool IsFirmwareBusy() override { return m_bFirmwareBusy; }
    bool IsAutoDetectMode() override { return true; }
    int GetNumberOfSensors() override { return m_Sensors.size(); }
    int GetLoggerSensorList(unsigned char* list) override
    {
        for (int i = 0; i < m_Sensors.size(); ++i)
            list[i] = static_cast<unsigned char>(m_Sensors[i]);
        return m_Sensors.size();
    }
    int GetActiveSensorListIndex(unsigned char*) override { return 0; }
    int GetNumberOfSamples() override { return m_Samples; }
    int GetSampleRateCode() override { return m_RateWord; }
    int GetNumberOfSamples(unsigned char) override { return 0; }
    int GetNumberOfSamplesCode(int) override { return 3; }
    int GetLoggerRateCode(int rate, int) override { return rate; }
    int GetUiRateCode(int word) override { return word + 100; }
    int GetMaxRate(short) override { return 14; }
    ExperimentInterval GetExperimentInterval(short rate, short) override
    {
        ExperimentInterval e;
        e.m_PeriodSec = rate;
        e.m_UnitCode = 1;
        return e;
    }
    double GetZeroConst(int, int) override { return 0.0; }
    const char* GetName() override { return nullptr; }
    double GetType() override { return m_Type; }
    int GetPortNumber() override { return m_Port; }
    void GetVersion(int& a, int& b, int& c, int& d, int& e, int& f) override
    {
        a = m_Version[0]; b = m_Version[1]; c = m_Version[2];
        d = m_Version[3]; e = m_Version[4]; f = m_Version[5];
    }
    void Exit() override { ++m_Exits; }
    int GetExpirmentType() override { return 1; }

    QList<CommandParametersStruct> Sent()
    {
        QMutexLocker lock(&m_Lock);
        return m_Sent;
    }
    QList<int> SentIds()
    {
        QMutexLocker lock(&m_Lock);
        QList<int> ids;
        for (const CommandParametersStruct& c : m_Sent)
            ids << c.CommandId();
        return ids;
    }
    QList<short> Executed()
    {
        QMutexLocker lock(&m_Lock);
        return m_Executed;
    }

    double m_Type;
    bool m_bConnected = false;
    bool m_bRunning = false;
    bool m_bFirmwareBusy = false;
    int m_Port = 0;
    int m_Samples = 0;
    int m_RateWord = 0;
    int m_Version[6] = {0, 0, 0, 0, 0, 0};
    QList<int> m_Sensors;
    std::atomic<int> m_Detections{0};
    std::atomic<int> m_Exits{0};
    std::function<void(const CommandParametersStruct&)> m_OnSend;

private:
    QMutex m_Lock;
    QList<CommandParametersStruct> m_Sent;
    QList<bool> m_StartFlags;
    QList<short> m_Executed;
};

class CFakeLogicContext : public ILogicContext
{
public:
    CKorvantaSignals m_Hub{nullptr};
    CSetupInfo m_Setup{nullptr};
    int m_RunMode = 0;
    int m_Quits = 0;
    int m_SetupTimerStops = 0;
    bool m_bLoggerDetected = false;

    CKorvantaSignals* GetSignals() override { return &m_Hub; }
    CSetupInfo* GetSetupInfo() override { return &m_Setup; }
    int GetCurrentRunMode() override { return m_RunMode; }
    void QuitApplication() override { ++m_Quits; }
    bool IsLoggerDetected() override { return m_bLoggerDetected; }
    void StopSetupTimers() override { ++m_SetupTimerStops; }
};
