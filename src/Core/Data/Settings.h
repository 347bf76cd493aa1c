#pragma once
// Per-channel memory of the last sensor seen and the measurements the user wants recorded,
// kept in "KV4Settings.ini" in the user's configuration folder. The file holds a version and
// the fourteen channel groups only; the logger port a manager remembers during detection has
// no key in it, so it lasts until the program ends and detection searches afresh at the next
// start. (A key of our own would make files other versions of the program do not expect.)
#include <QColor>
#include <QString>

class QIODevice;

struct CMeasurementSettings
{
    bool m_Active = false;
    QColor m_Color;   // not stored
    QString m_Text1;  // not stored
    QString m_Text2;  // not stored
};

struct CChannelSettings
{
    int m_SensorInfoIndex = 0;
    CMeasurementSettings m_Measurements[20];
};

class CSettings
{
public:
    static constexpr int s_NumOfChannels = 14;
    static constexpr int s_NumOfMeasurements = 20;

    // Builds the path and loads the file (a missing or unreadable file gives the defaults).
    CSettings();
    // The same with the file at filePath (tests and the fuzz harness use their own files).
    explicit CSettings(const QString& filePath);

    void Initialize();
    void LoadSettings();
    // Every channel's entries from the file's text read from device; an entry the text lacks
    // or holds out of range gets its default.
    void LoadFromDevice(QIODevice& device);
    // Rewrites the whole file; false when it could not be written (the old file then stays).
    bool SaveSettings();
    // The file's whole text as SaveSettings writes it, in the toolkit's INI layout.
    QByteArray SettingsText() const;
    // own with the entries of the previous file that belong to other parts of the program.
    static QByteArray WithForeignEntries(const QByteArray& own, const QByteArray& previous);

    void SetMeasurementActive(int channel, int measurement, bool active);
    bool IsMeasurementActive(int channel, int measurement) const;
    void SetSensorInfoIndex(int channel, int index);
    int GetSensorInfoIndex(int channel) const;

    void RestoreChannelDefaults(int channel);
    void RestoreDefaults();
    void ClearChannels();
    void Createm_DefaultColorArray() {}
    void SetGraphPropertyDefaults(bool, short) {}

    const QString& GetFilePath() const { return m_FilePath; }

    CChannelSettings m_Channels[s_NumOfChannels];

private:
    static bool ValidChannel(int channel) { return channel >= 0 && channel < s_NumOfChannels; }
    QString m_FilePath;
};
