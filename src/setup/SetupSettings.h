#pragma once
// The per-channel memory the setup keeps between runs of the program (the sensor last seen on
// each channel and which of its measurements the user records). The program keeps it in the
// settings file; tests and a program without the file use the in-memory table.
class ISetupSettings
{
public:
    virtual ~ISetupSettings() = default;
    virtual bool IsMeasurementActive(int channel, int measurement) const = 0;
    virtual void SetMeasurementActive(int channel, int measurement, bool active) = 0;
    virtual int GetSensorInfoIndex(int channel) const = 0;
    virtual void SetSensorInfoIndex(int channel, int index) = 0;
    virtual void RestoreChannelDefaults(int channel) = 0;
    virtual bool SaveSettings() = 0;
};

class CMemorySetupSettings : public ISetupSettings
{
public:
    static constexpr int s_NumOfChannels = 14;
    static constexpr int s_NumOfMeasurements = 20;

    bool IsMeasurementActive(int channel, int measurement) const override
    {
        return valid(channel, measurement) && m_Active[channel][measurement];
    }
    void SetMeasurementActive(int channel, int measurement, bool active) override
    {
        if (valid(channel, measurement))
            m_Active[channel][measurement] = active;
    }
    int GetSensorInfoIndex(int channel) const override { return valid(channel, 0) ? m_Index[channel] : 0; }
    void SetSensorInfoIndex(int channel, int index) override
    {
        if (valid(channel, 0))
            m_Index[channel] = index;
    }
    void RestoreChannelDefaults(int channel) override
    {
        if (!valid(channel, 0))
            return;
        m_Index[channel] = 0;
        for (bool& a : m_Active[channel])
            a = false;
    }
    bool SaveSettings() override
    {
        ++m_Saves;
        return true;
    }

    int m_Saves = 0;

private:
    static bool valid(int channel, int measurement)
    {
        return channel >= 0 && channel < s_NumOfChannels && measurement >= 0 && measurement < s_NumOfMeasurements;
    }
    int m_Index[s_NumOfChannels] = {};
    bool m_Active[s_NumOfChannels][s_NumOfMeasurements] = {};
};

class CSettings;

// The settings file the logic manager keeps ("KV4Settings.ini").
class CFileSetupSettings : public ISetupSettings
{
public:
    explicit CFileSetupSettings(CSettings* settings) : m_pSettings(settings) {}
    bool IsMeasurementActive(int channel, int measurement) const override;
    void SetMeasurementActive(int channel, int measurement, bool active) override;
    int GetSensorInfoIndex(int channel) const override;
    void SetSensorInfoIndex(int channel, int index) override;
    void RestoreChannelDefaults(int channel) override;
    bool SaveSettings() override;

private:
    CSettings* m_pSettings;
};
