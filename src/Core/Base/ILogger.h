#pragma once
// The one face every connected data logger shows to the rest of the program. The two logger
// managers implement it beside their protocol-handler base.
#include "Core/Base/CommandParameters.h"
#include "Core/Base/ExperimentInterval.h"

#include <QtGlobal>

// The per-logger state the logic manager and the data store reach through the interface: the
// counter of timing events, and the work area of the run being stored. The logger's protocol
// handler owns one and points m_pProtocolState at it.
struct CLoggerProtocolState
{
    static constexpr int NumPositions = 32;
    static constexpr int NumMeasurements = 8;

    // Clears the run's work area (not the timing counter); called when a run, a download or
    // a timing run starts.
    void ClearRunArea()
    {
        m_bFirstPacketDone = false;
        for (int i = 0; i < NumPositions; ++i) {
            m_SampleCounter[i] = 0;
            for (int j = 0; j < NumMeasurements; ++j)
                m_MeasurementCounter[i][j] = 0;
        }
        m_ManualSampleCounter = 0;
    }

    qint64 m_TimingEventCounter = -1;
    // Set by the data store once it has reset the counters on a run's first packet.
    bool m_bFirstPacketDone = false;
    qint64 m_SampleCounter[NumPositions] = {};
    qint64 m_MeasurementCounter[NumPositions][NumMeasurements] = {};
    qint64 m_ManualSampleCounter = 0;
};

class ILogger
{
public:
    virtual void StartDetection() = 0;
    virtual void ExecuteHalvorenCmd(short id) = 0;
    virtual void SendCmd(CommandParametersStruct cmd, bool bStartNow) = 0;
    virtual void SendStatusReq() = 0;
    virtual void SendStopReq() = 0;
    virtual bool IsComInitilazied() = 0;
    virtual bool IsConnected() = 0;
    virtual bool IsRunning() = 0;
    virtual bool IsFirmwareBusy() = 0;
    virtual bool IsAutoDetectMode() = 0;
    virtual int GetNumberOfSensors() = 0;
    virtual int GetLoggerSensorList(unsigned char* list) = 0;
    virtual int GetActiveSensorListIndex(unsigned char* list) = 0;
    virtual int GetNumberOfSamples() = 0;
    virtual int GetSampleRateCode() = 0;
    virtual int GetNumberOfSamples(unsigned char code) = 0;
    virtual int GetNumberOfSamplesCode(int samples) = 0;
    virtual int GetLoggerRateCode(int rateCode, int sensors) = 0;
    virtual int GetUiRateCode(int loggerCode) = 0;
    virtual int GetMaxRate(short sensor) = 0;
    virtual ExperimentInterval GetExperimentInterval(short rateCode, short samples) = 0;
    virtual double GetZeroConst(int channel, int measurement) = 0;
    virtual const char* GetName() = 0;
    virtual double GetType() = 0;
    virtual int GetPortNumber() = 0;
    virtual void GetVersion(int& v1, int& v2, int& v3, int& v4, int& v5, int& v6) = 0;
    virtual void Exit() = 0;
    virtual int GetExpirmentType() = 0;

    // Room for the sensor lists the queries above fill.
    static constexpr int MaxSensorList = 32;

    CLoggerProtocolState* m_pProtocolState = nullptr;

protected:
    // Loggers are deleted through their managers, never through this interface.
    ~ILogger() = default;
};
