#include "Core/Data/Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include "Core/Logic/Diagnostics.h"

namespace {
// Highest catalogue index; an index read from the file beyond it names no sensor.
const int s_LastCatalogueIndex = 148;

QString GroupName(int channel) { return QStringLiteral("channel") + QString::number(channel); }
QString ActiveKey(int measurement)
{
    return QStringLiteral("Measurement") + QString::number(measurement) + QStringLiteral("Active");
}
}  // namespace

CSettings::CSettings()
{
    Initialize();
    LoadSettings();
}

void CSettings::Initialize()
{
    m_FilePath = QStandardPaths::writableLocation(QStandardPaths::ConfigLocation) + "/" + "KV4Settings.ini";
}

void CSettings::RestoreChannelDefaults(int channel)
{
    if (!ValidChannel(channel)) return;
    CChannelSettings& c = m_Channels[channel];
    c.m_SensorInfoIndex = 0;
    for (int m = 0; m < s_NumOfMeasurements; ++m) c.m_Measurements[m].m_Active = (m == 0);
}

void CSettings::RestoreDefaults()
{
    for (int c = 0; c < s_NumOfChannels; ++c) RestoreChannelDefaults(c);
}

void CSettings::ClearChannels()
{
    for (CChannelSettings& c : m_Channels) {
        c.m_SensorInfoIndex = 0;
        for (CMeasurementSettings& m : c.m_Measurements) m.m_Active = false;
    }
}

void CSettings::LoadSettings()
{
    RestoreDefaults();
    QSettings file(m_FilePath, QSettings::IniFormat);
    if (file.status() != QSettings::NoError) {
        MyOutputDebugString(QStringLiteral("Settings file unreadable, defaults used"), DiagLogic);
        return;
    }
    file.value(QStringLiteral("Version"), 0.0).toDouble();
    for (int c = 0; c < s_NumOfChannels; ++c) {
        file.beginGroup(GroupName(c));
        bool ok = false;
        const int index = file.value(QStringLiteral("SensorInfoIndex"), 0).toInt(&ok);
        // A hand-edited or foreign file must not smuggle in an index the catalogue lacks.
        m_Channels[c].m_SensorInfoIndex = (ok && index >= 0 && index <= s_LastCatalogueIndex) ? index : 0;
        for (int m = 0; m < s_NumOfMeasurements; ++m)
            m_Channels[c].m_Measurements[m].m_Active = file.value(ActiveKey(m), m == 0).toBool();
        file.endGroup();
    }
}

bool CSettings::SaveSettings()
{
    QDir().mkpath(QFileInfo(m_FilePath).absolutePath());
    {
        QSettings file(m_FilePath, QSettings::IniFormat);
        // Only this class's own entries are rewritten: the file holds other settings too
        // (the online service's host).
        file.remove(QStringLiteral("Version"));
        for (int c = 0; c < s_NumOfChannels; ++c) file.remove(GroupName(c));
        file.setValue(QStringLiteral("Version"), 1.0);
        for (int c = 0; c < s_NumOfChannels; ++c) {
            file.beginGroup(GroupName(c));
            file.setValue(QStringLiteral("SensorInfoIndex"), m_Channels[c].m_SensorInfoIndex);
            for (int m = 0; m < s_NumOfMeasurements; ++m)
                file.setValue(ActiveKey(m), m_Channels[c].m_Measurements[m].m_Active);
            file.endGroup();
        }
        file.sync();
        if (file.status() == QSettings::NoError) return true;
    }
    MyOutputDebugString(QStringLiteral("Settings file could not be written"), DiagLogic);
    return false;
}

void CSettings::SetMeasurementActive(int channel, int measurement, bool active)
{
    if (!ValidChannel(channel) || measurement < 0 || measurement >= s_NumOfMeasurements) return;
    m_Channels[channel].m_Measurements[measurement].m_Active = active;
}

bool CSettings::IsMeasurementActive(int channel, int measurement) const
{
    if (!ValidChannel(channel) || measurement < 0 || measurement >= s_NumOfMeasurements) return false;
    return m_Channels[channel].m_Measurements[measurement].m_Active;
}

void CSettings::SetSensorInfoIndex(int channel, int index)
{
    if (!ValidChannel(channel)) return;
    m_Channels[channel].m_SensorInfoIndex = (index >= 0 && index <= s_LastCatalogueIndex) ? index : 0;
}

int CSettings::GetSensorInfoIndex(int channel) const
{
    return ValidChannel(channel) ? m_Channels[channel].m_SensorInfoIndex : 0;
}
