#include "Core/Data/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>
#include <QStandardPaths>

#include "Core/Data/CheckedSaveFile.h"
#include "Core/Logic/Diagnostics.h"

namespace {
// Highest catalogue index; an index read from the file beyond it names no sensor.
const int s_LastCatalogueIndex = 148;

QString GroupName(int channel) { return QStringLiteral("channel") + QString::number(channel); }
QString ActiveKey(int measurement)
{
    return QStringLiteral("Measurement") + QString::number(measurement) + QStringLiteral("Active");
}
// The key names, built once: loading looks up 294 keys.
const QStringList& GroupNames()
{
    static const QStringList names = [] {
        QStringList n;
        for (int c = 0; c < CSettings::s_NumOfChannels; ++c) n << GroupName(c);
        return n;
    }();
    return names;
}
const QStringList& ActiveKeys()
{
    static const QStringList keys = [] {
        QStringList k;
        for (int m = 0; m < CSettings::s_NumOfMeasurements; ++m) k << ActiveKey(m);
        return k;
    }();
    return keys;
}
}  // namespace

CSettings::CSettings()
{
    Initialize();
    LoadSettings();
}

CSettings::CSettings(const QString& filePath) : m_FilePath(filePath)
{
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
        file.beginGroup(GroupNames().at(c));
        bool ok = false;
        const int index = file.value(QStringLiteral("SensorInfoIndex"), 0).toInt(&ok);
        // A hand-edited or foreign file must not smuggle in an index the catalogue lacks.
        m_Channels[c].m_SensorInfoIndex = (ok && index >= 0 && index <= s_LastCatalogueIndex) ? index : 0;
        for (int m = 0; m < s_NumOfMeasurements; ++m)
            m_Channels[c].m_Measurements[m].m_Active = file.value(ActiveKeys().at(m), m == 0).toBool();
        file.endGroup();
    }
}

QByteArray CSettings::SettingsText() const
{
    // Written by hand rather than through QSettings, whose failed write on a full disk still
    // replaces the file; QSettings reads this back as it reads its own files.
    QByteArray text;
    text.reserve(14 * 520);
    text += "[General]\nVersion=1\n";
    for (int c = 0; c < s_NumOfChannels; ++c) {
        text += "\n[" + GroupNames().at(c).toLatin1() + "]\n";
        for (int m = 0; m < s_NumOfMeasurements; ++m)
            text += ActiveKeys().at(m).toLatin1() + (m_Channels[c].m_Measurements[m].m_Active ? "=true\n" : "=false\n");
        text += "SensorInfoIndex=" + QByteArray::number(m_Channels[c].m_SensorInfoIndex) + "\n";
    }
    return text;
}

QByteArray CSettings::WithForeignEntries(const QByteArray& own, const QByteArray& previous)
{
    const QStringList ours = GroupNames();
    QByteArray general;
    QByteArray sections;
    QByteArray section = "General";
    for (const QByteArray& raw : previous.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('[') && line.endsWith(']')) {
            section = line.mid(1, line.size() - 2);
            if (section != "General" && !ours.contains(QString::fromLatin1(section)))
                sections += '\n' + line + '\n';
            continue;
        }
        if (line.isEmpty())
            continue;
        if (section == "General") {
            if (!line.startsWith("Version="))
                general += line + '\n';
        } else if (!ours.contains(QString::fromLatin1(section))) {
            sections += line + '\n';
        }
    }
    QByteArray text = own;
    const int version = text.indexOf("Version=");
    text.insert(version < 0 ? 0 : text.indexOf('\n', version) + 1, general);
    return text + sections;
}

bool CSettings::SaveSettings()
{
    QDir().mkpath(QFileInfo(m_FilePath).absolutePath());
    // The file holds other settings too (the online service's host): their lines are kept as
    // they stand, only this class's own entries are written anew.
    QByteArray text = SettingsText();
    QFile old(m_FilePath);
    if (old.open(QIODevice::ReadOnly))
        text = WithForeignEntries(text, old.readAll());
    QString why;
    if (CheckedSave::WriteWholeFile(m_FilePath, text, &why))
        return true;
    MyOutputDebugString(QStringLiteral("Settings file could not be written, the old one is kept: ") + why, DiagLogic);
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
