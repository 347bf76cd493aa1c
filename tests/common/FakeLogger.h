#pragma once
// The logger every test drives its code against: a plugged-in, idle logger whose every answer is
// a field a test may set, and which records what it is asked. Safe to read from the test while
// logger threads send. Header-only, so the benchmarks and fuzz targets use it too.
#include "Core/Base/ILogger.h"

#include <QList>
#include <QMutex>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class CFakeLogger : public ILogger
{
public:
    explicit CFakeLogger(double type = 70.0) : m_Type(type) {}
    // Tests own their fakes (and subclasses of them) directly.
    virtual ~CFakeLogger() = default;

    // The logger as the data store's tests meet it: a Dravlet interface (type 12) in the middle
    // of a run at rate code 10 (0.1 s a sample), sensors chosen by hand, its run work area in use.
    void MakeRunning()
    {
        m_Type = 12.0;
        m_bRunning = true;
        m_bAutoDetect = false;
        m_Samples = 100;
        m_RateCode = 10;
        m_Interval = {0.1, 0.1, 1};
        m_pProtocolState = &m_State;
    }
    static std::unique_ptr<CFakeLogger> Running()
    {
        auto logger = std::make_unique<CFakeLogger>();
        logger->MakeRunning();
        return logger;
    }

    // What it was asked.
    struct SentCommand
    {
        CommandParametersStruct cmd;
        bool now;
    };
    QList<SentCommand> SentCommands() const
    {
        QMutexLocker lock(&m_Lock);
        return m_Sent;
    }
    QList<CommandParametersStruct> Sent() const
    {
        QList<CommandParametersStruct> commands;
        for (const SentCommand& s : SentCommands())
            commands << s.cmd;
        return commands;
    }
    QList<int> SentIds() const
    {
        QList<int> ids;
        for (const SentCommand& s : SentCommands())
            ids << s.cmd.CommandId();
        return ids;
    }
    int count(unsigned char id) const { return SentIds().count(id); }
    QList<short> Executed() const
    {
        QMutexLocker lock(&m_Lock);
        return m_Executed;
    }
    // Drops what it was asked so far (a fuzz target's logger serves input after input).
    void ForgetCommands()
    {
        QMutexLocker lock(&m_Lock);
        m_Sent.clear();
        m_Executed.clear();
    }
    std::atomic<int> m_Detections{0};
    std::atomic<int> m_Exits{0};
    int m_LastRateArgs[2] = {-1, -1};   // GetLoggerRateCode's rate and sensor count
    int m_LastSamplesArg = -1;          // GetNumberOfSamplesCode's sample count
    int m_LastIntervalRate = -1;        // GetExperimentInterval's arguments
    int m_LastIntervalSensors = -1;
    // Called after each command is recorded, on the sending thread.
    std::function<void(const CommandParametersStruct&)> m_OnSend;

    // Its answers.
    double m_Type;
    const char* m_Name = nullptr;
    bool m_bConnected = true;           // plugged in with its port open
    bool m_bRunning = false;
    bool m_bFirmwareBusy = false;
    bool m_bAutoDetect = true;
    int m_Port = 0;
    int m_Samples = 0;                  // samples of the run, and of every samples code
    int m_RateCode = 0;                 // the logger's own code of its rate
    int m_SamplesCode = 0;              // the code of any sample count
    std::optional<int> m_LoggerRateCode;  // the logger's code for a rate; unset: the rate itself
    int m_UiRateOffset = 0;             // the rate code the user sees is the logger's plus this
    int m_MaxRate = 15;
    ExperimentInterval m_Interval{1.0, 0.0, 0};
    double m_ZeroConst = 0.0;
    int m_ExperimentType = 0;
    int m_Version[6] = {0, 0, 0, 0, 0, 0};
    std::vector<unsigned char> m_SensorList;  // the logger's sensors
    std::vector<unsigned char> m_Active;      // positions of the active sensors
    // A run work area; m_pProtocolState stays null until a test points it here.
    CLoggerProtocolState m_State;

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
            m_Sent.append({cmd, bStartNow});
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
    bool IsAutoDetectMode() override { return m_bAutoDetect; }
    int GetNumberOfSensors() override { return static_cast<int>(m_SensorList.size()); }
    int GetLoggerSensorList(unsigned char* list) override
    {
        std::copy(m_SensorList.begin(), m_SensorList.end(), list);
        return static_cast<int>(m_SensorList.size());
    }
    int GetActiveSensorListIndex(unsigned char* list) override
    {
        std::copy(m_Active.begin(), m_Active.end(), list);
        return static_cast<int>(m_Active.size());
    }
    int GetNumberOfSamples() override { return m_Samples; }
    int GetSampleRateCode() override { return m_RateCode; }
    int GetNumberOfSamples(unsigned char) override { return m_Samples; }
    int GetNumberOfSamplesCode(int samples) override
    {
        m_LastSamplesArg = samples;
        return m_SamplesCode;
    }
    int GetLoggerRateCode(int rate, int sensors) override
    {
        m_LastRateArgs[0] = rate;
        m_LastRateArgs[1] = sensors;
        return m_LoggerRateCode ? *m_LoggerRateCode : rate;
    }
    int GetUiRateCode(int loggerCode) override { return loggerCode + m_UiRateOffset; }
    int GetMaxRate(short) override { return m_MaxRate; }
    ExperimentInterval GetExperimentInterval(short rate, short sensors) override
    {
        m_LastIntervalRate = rate;
        m_LastIntervalSensors = sensors;
        return m_Interval;
    }
    double GetZeroConst(int, int) override { return m_ZeroConst; }
    const char* GetName() override { return m_Name; }
    double GetType() override { return m_Type; }
    int GetPortNumber() override { return m_Port; }
    void GetVersion(int& v1, int& v2, int& v3, int& v4, int& v5, int& v6) override
    {
        v1 = m_Version[0];
        v2 = m_Version[1];
        v3 = m_Version[2];
        v4 = m_Version[3];
        v5 = m_Version[4];
        v6 = m_Version[5];
    }
    void Exit() override { ++m_Exits; }
    int GetExpirmentType() override { return m_ExperimentType; }

private:
    mutable QMutex m_Lock;
    QList<SentCommand> m_Sent;
    QList<short> m_Executed;
};
