#include "Core/Data/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QStandardPaths>

#include "Core/Base/Diagnostics.h"
#include "Core/Data/CheckedSaveFile.h"

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
// The settings file read as plain text: every value stays the string the file holds. The
// toolkit's own INI reader decodes "@Variant(...)" values through its binary stream, so a
// damaged or foreign file could make it build arbitrary objects (pictures among them); this
// program never writes such values and reads only numbers and true/false.
// What a file says of the channels: the last value given for each entry, as written.
struct ChannelEntries
{
    QStringRef index[CSettings::s_NumOfChannels];
    QStringRef active[CSettings::s_NumOfChannels][CSettings::s_NumOfMeasurements];
};

// The number that digits spell in the form QString::number gives (no sign, no leading zero),
// when it is below limit; -1 for anything else.
int SmallNumber(const QStringRef& digits, int limit)
{
    if (digits.isEmpty() || digits.size() > 2 || (digits.size() == 2 && digits.at(0) == QLatin1Char('0')))
        return -1;
    int n = 0;
    for (const QChar ch : digits) {
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
            return -1;
        n = n * 10 + (ch.unicode() - '0');
    }
    return n < limit ? n : -1;
}

// The channel a group name ("channelC") names, or -1.
int ChannelOf(const QStringRef& group)
{
    const QLatin1String prefix("channel");
    if (!group.startsWith(prefix))
        return -1;
    return SmallNumber(group.mid(prefix.size()), CSettings::s_NumOfChannels);
}

// Which of the channel entries "channelC/name" names: a measurement's number, kIndexEntry or -1.
const int kIndexEntry = CSettings::s_NumOfMeasurements;
int EntryOf(const QStringRef& name)
{
    if (name == QLatin1String("SensorInfoIndex"))
        return kIndexEntry;
    const QLatin1String prefix("Measurement"), suffix("Active");
    if (name.size() <= prefix.size() + suffix.size() || !name.startsWith(prefix) || !name.endsWith(suffix))
        return -1;
    return SmallNumber(name.mid(prefix.size(), name.size() - prefix.size() - suffix.size()), CSettings::s_NumOfMeasurements);
}

void Keep(ChannelEntries& entries, const QStringRef& group, const QStringRef& name, const QStringRef& value)
{
    const int c = ChannelOf(group);
    const int entry = c < 0 || name.contains(QLatin1Char('/')) ? -1 : EntryOf(name);
    if (entry == kIndexEntry)
        entries.index[c] = value;
    else if (entry >= 0)
        entries.active[c][entry] = value;
}

// A flag's text as the toolkit's conversion to bool reads it: on unless empty, "0" or "false"
// in any case (compared here without building a string per flag).
bool IsOn(const QStringRef& value)
{
    if (value.isEmpty() || value == QLatin1String("0"))
        return false;
    const char* off = "false";
    if (value.size() != 5)
        return true;
    for (int i = 0; i < 5; ++i)
        if (value.at(i).toLower() != QLatin1Char(off[i]))
            return true;
    return false;
}

void ReadPlainIni(const QString& text, ChannelEntries& entries)
{
    // Pieces of the one decoded text rather than strings of their own: a file of many lines
    // then costs no allocation per line.
    QStringRef section;
    for (const QStringRef& raw : text.splitRef(QLatin1Char('\n'))) {
        const QStringRef line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            section = line.mid(1, line.size() - 2).trimmed();
            if (section.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0)
                section = QStringRef();
            continue;
        }
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        const QStringRef key = line.left(eq).trimmed();
        QStringRef value = line.mid(eq + 1).trimmed();
        if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
            value = value.mid(1, value.size() - 2);
        // The entry's full name is "section/key", or the key itself outside a section; a channel
        // entry's is "channelC/name".
        if (!section.isEmpty()) {
            Keep(entries, section, key, value);
        } else {
            const int slash = key.indexOf(QLatin1Char('/'));
            if (slash >= 0)
                Keep(entries, key.left(slash), key.mid(slash + 1), value);
        }
    }
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
    QFile file(m_FilePath);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        MyOutputDebugString(QStringLiteral("Settings file unreadable, defaults used"), DiagLogic);
        return;
    }
    LoadFromDevice(file);
}

void CSettings::LoadFromDevice(QIODevice& device)
{
    // Decoded with its size: the conversion of a whole byte array would stop at a zero byte
    // and drop the rest of the file.
    const QByteArray bytes = device.readAll();
    const QString text = QString::fromUtf8(bytes.constData(), bytes.size());
    ChannelEntries entries;
    ReadPlainIni(text, entries);
    for (int c = 0; c < s_NumOfChannels; ++c) {
        bool ok = entries.index[c].isNull();
        const int value = ok ? 0 : entries.index[c].toInt(&ok);
        // A hand-edited or foreign file must not smuggle in an index the catalogue lacks.
        m_Channels[c].m_SensorInfoIndex = (ok && value >= 0 && value <= s_LastCatalogueIndex) ? value : 0;
        for (int m = 0; m < s_NumOfMeasurements; ++m) {
            const QStringRef& found = entries.active[c][m];
            m_Channels[c].m_Measurements[m].m_Active = found.isNull() ? m == 0 : IsOn(found);
        }
    }
}

QByteArray CSettings::SettingsText() const
{
    // Written by hand rather than through QSettings, whose failed write on a full disk still
    // replaces the file; QSettings reads this back as it reads its own files. The names are
    // encoded once.
    struct Names
    {
        QByteArray group[s_NumOfChannels];
        QByteArray active[s_NumOfMeasurements];
    };
    static const Names* names = [] {
        static Names n;
        for (int c = 0; c < s_NumOfChannels; ++c) n.group[c] = "\n[" + GroupNames().at(c).toLatin1() + "]\n";
        for (int m = 0; m < s_NumOfMeasurements; ++m) n.active[m] = ActiveKeys().at(m).toLatin1();
        return &n;
    }();
    QByteArray text;
    text.reserve(14 * 520);
    text += "[General]\nVersion=1\n";
    for (int c = 0; c < s_NumOfChannels; ++c) {
        text += names->group[c];
        for (int m = 0; m < s_NumOfMeasurements; ++m) {
            text += names->active[m];
            text += m_Channels[c].m_Measurements[m].m_Active ? "=true\n" : "=false\n";
        }
        text += "SensorInfoIndex=";
        text += QByteArray::number(m_Channels[c].m_SensorInfoIndex);
        text += '\n';
    }
    return text;
}

QByteArray CSettings::WithForeignEntries(const QByteArray& own, const QByteArray& previous)
{
    // The old file's lines are classed as the reader classes them (sections trimmed, "General"
    // in any case or no name at all, "channelC/name" entries outside a section): a line kept
    // from it must never name one of this class's entries, or it would override the value
    // written now.
    QByteArray general;
    QByteArray sections;
    enum { InGeneral, InOurs, InForeign } where = InGeneral;
    for (const QByteArray& raw : previous.split('\n')) {
        const QString text = QString::fromUtf8(raw.constData(), raw.size()).trimmed();
        if (text.isEmpty())
            continue;
        const QByteArray line = raw.trimmed();
        if (text.startsWith(QLatin1Char('[')) && text.endsWith(QLatin1Char(']'))) {
            const QStringRef name = text.midRef(1, text.size() - 2).trimmed();
            // "[]" opens no section either: its entries are full names.
            if (name.isEmpty() || name.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0) {
                where = InGeneral;
            } else if (ChannelOf(name) >= 0) {
                where = InOurs;
            } else {
                where = InForeign;
                sections += '\n' + line + '\n';
            }
            continue;
        }
        if (where == InForeign)
            sections += line + '\n';
        if (where != InGeneral)
            continue;
        const int eq = text.indexOf(QLatin1Char('='));
        const QStringRef key = text.leftRef(eq > 0 ? eq : 0).trimmed();
        const int slash = key.indexOf(QLatin1Char('/'));
        const bool ours = key == QLatin1String("Version")
            || (slash >= 0 && ChannelOf(key.left(slash)) >= 0 && EntryOf(key.mid(slash + 1)) >= 0);
        if (!ours)
            general += line + '\n';
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
