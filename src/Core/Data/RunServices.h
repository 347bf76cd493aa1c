#pragma once
// What the data store and the conversion need of the run around them while a logger streams:
// the hub to announce on, a stop request to the logger, the functions computed while
// recording and the user's calibration. The logic manager implements it; a test hands in its
// own. The store never sees the logic manager itself.
class CKorvantaSignals;
class CSensorsCalibration;
class ILogger;

class IRunServices
{
public:
    static constexpr int NumKeyChannels = 32;
    static constexpr int NumKeyMeasurements = 8;

    // Null when there is no hub yet.
    virtual CKorvantaSignals* GetSignals() const = 0;
    virtual void SendStopCmd(ILogger* logger, bool bStartNow) = 0;
    // Null when no calibration applies.
    virtual const CSensorsCalibration* GetRunCalibration() const = 0;
    // A run's folder was created: point the registered online functions at its branches
    // (keyTable[channel][measurement] holds the key of each recorded branch, -1 where none)
    // and give each one an output branch in the folder.
    virtual void BindOnlineFunctions(int folderKey, const int keyTable[NumKeyChannels][NumKeyMeasurements],
                                     double interval) = 0;
    // A block of samples was stored: let the online functions catch up.
    virtual void CalculateOnLineFunctions() = 0;

protected:
    ~IRunServices() = default;
};
