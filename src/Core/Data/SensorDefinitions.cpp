#include "Core/Data/SensorDefinitions.h"

#include "Core/Base/Diagnostics.h"
#include "Core/Data/CheckedSaveFile.h"
#include "Core/Data/RecordIO.h"

#include <QDataStream>
#include <QFile>
#include <QMutexLocker>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

const char* const kFileName = "Defined Sensors.ds";
const char* const kHeader = "SensorsDefinitionFile v.1.2";
const int kHeaderKindLength = 21; // "SensorsDefinitionFile"
const int kVersionOffset = 24;    // "SensorsDefinitionFile v."

struct DefaultSensor
{
    const char* name;
    const char* unit;
    double voltage1, voltage2, value1, value2;
};

const DefaultSensor kDefaults[CSensorsDefinition::s_MaxDefined] = {
    {"Sound", "dB", 0.4, 1.1, 40, 110},        {"CO2", "ppm", 0, 2.5, 0, 5000},
    {"Charge ±0.25", "uC", 0, 5, -0.25, 0.25}, {"Light-150K", "klx", 0, 5, 0, 150},
    {"Light-6000", "lx", 0, 5, 0, 6000},       {"Light-600", "lx", 0, 5, 0, 600},
    {"Turbidity", "NTU", 1, 5, 0, 200},        {"ISE", "V", 2.5, 5, 0, 0.31},
    {"Soil", "CB", 2.4, 4.8, 0, 199},          {"Charge ±0.025", "uC", 0, 5, -0.025, 0.025},
};

void prepareStream(QDataStream& stream)
{
    stream.setVersion(QDataStream::Qt_5_1);
    stream.setByteOrder(QDataStream::BigEndian);
    stream.setFloatingPointPrecision(QDataStream::DoublePrecision);
}

void refuse(const char* why)
{
    MyOutputDebugString(QStringLiteral("Defined sensors file refused: %1").arg(QLatin1String(why)),
                        DiagDataManager);
}

bool isValidIndex(short index)
{
    return index >= 0 && index < CSensorsDefinition::s_MaxDefined;
}

void setNeutralParameters(DefinedSensorsInfoStruct& entry)
{
    entry.m_Multiplier = 1;
    entry.m_Divider = 255;
    entry.m_DecimalScale = 0;
    entry.m_CountOffset = 0;
}

} // namespace

CSensorsDefinition::CSensorsDefinition() : m_TotalDefined(0), m_Storing(false)
{
    Initialize();
}

CSensorsDefinition::~CSensorsDefinition()
{
    if (MaySaveOnExit())
        Save();
}

void CSensorsDefinition::Initialize()
{
    m_TotalDefined = 0;
    m_FileName = QString::fromLatin1(kFileName);
    Load();
}

bool CSensorsDefinition::Load()
{
    if (!QFile::exists(m_FileName)) {
        RestoreDefaults();
        m_bChanged = false;
        m_bReadCleanly = Save();
        return m_bReadCleanly;
    }
    QFile file(m_FileName);
    if (!file.open(QIODevice::ReadOnly)) {
        m_bReadCleanly = false;
        return false;
    }
    // Read with a cap so that a huge or endless file costs nothing.
    const QByteArray bytes = file.read(s_MaxFileSize + 1);
    file.close();
    return LoadFromBytes(bytes);
}

bool CSensorsDefinition::LoadFromBytes(const QByteArray& bytes)
{
    QMutexLocker lock(&m_Mutex);
    m_bReadCleanly = false;
    if (bytes.size() > s_MaxFileSize) {
        refuse("larger than any table of ten entries");
        return false;
    }
    QDataStream in(bytes);
    prepareStream(in);
    m_Storing = false;
    const bool ok = Serialize(in);
    // An older layout gives the defaults in memory but keeps the file: what it holds was
    // not read, so it must not be replaced behind the user's back.
    m_bReadCleanly = ok && !m_bOlderLayout;
    if (ok)
        m_bChanged = false;
    return ok;
}

QByteArray CSensorsDefinition::SaveToBytes()
{
    QMutexLocker lock(&m_Mutex);
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    prepareStream(out);
    m_Storing = true;
    if (!Serialize(out))
        return QByteArray();
    return bytes;
}

bool CSensorsDefinition::Save()
{
    const QByteArray bytes = SaveToBytes();
    QString why = QStringLiteral("the table could not be encoded");
    if (!bytes.isEmpty() && CheckedSave::WriteWholeFile(m_FileName, bytes, &why)) {
        m_bReadCleanly = true;
        m_bChanged = false;
        return true;
    }
    MyOutputDebugString(QStringLiteral("Defined sensors file could not be written, the old one is kept: ") + why,
                        DiagDataManager);
    return false;
}

bool CSensorsDefinition::Serialize(QDataStream& stream)
{
    if (m_Storing) {
        WriteBody(stream);
        return stream.status() == QDataStream::Ok;
    }
    return ReadBody(stream);
}

void CSensorsDefinition::WriteBody(QDataStream& stream)
{
    stream << QString::fromLatin1(kHeader) << qint16(m_TotalDefined);
    for (int i = 0; i < m_TotalDefined && i < s_MaxDefined; ++i) {
        CalculateQuaselSensorsParameters(short(i));
        const DefinedSensorsInfoStruct& e = m_DefinedSensors[i];
        stream << e.m_Name << e.m_Unit << e.m_Value1 << e.m_Value2 << e.m_Voltage1 << e.m_Voltage2
               << qint32(e.m_Multiplier) << qint32(e.m_Divider) << qint32(e.m_DecimalScale)
               << qint32(e.m_CountOffset);
    }
}

bool CSensorsDefinition::ReadBody(QDataStream& stream)
{
    m_bOlderLayout = false;
    QString header;
    RecordIO::ReadString(stream, header);
    if (stream.status() != QDataStream::Ok ||
        header.left(kHeaderKindLength) != QLatin1String("SensorsDefinitionFile")) {
        refuse("not a sensor definitions file");
        return false;
    }
    if (header.size() < kVersionOffset + 1) {
        refuse("no version");
        return false;
    }
    bool ok = false;
    float version = header.mid(kVersionOffset).toFloat(&ok);
    if (!ok || !std::isfinite(version)) version = 0;
    if (version < 1.0f) {
        refuse("unknown version");
        return false;
    }
    if (double(version) < 1.2) {
        // Files of the first versions hold entries of another layout: start again from the defaults.
        RestoreDefaults();
        m_bOlderLayout = true;
        return true;
    }

    qint16 count = 0;
    stream >> count;
    if (stream.status() != QDataStream::Ok || count < 0 || count > s_MaxDefined) {
        refuse("bad entry count");
        return false;
    }
    DefinedSensorsInfoStruct scratch[s_MaxDefined];
    for (int i = 0; i < count; ++i) {
        DefinedSensorsInfoStruct& e = scratch[i];
        qint32 multiplier = 0, divider = 0, scale = 0, offset = 0;
        RecordIO::ReadString(stream, e.m_Name);
        RecordIO::ReadString(stream, e.m_Unit);
        stream >> e.m_Value1 >> e.m_Value2 >> e.m_Voltage1 >> e.m_Voltage2 >>
            multiplier >> divider >> scale >> offset;
        e.m_Multiplier = multiplier;
        e.m_Divider = divider;
        e.m_DecimalScale = scale;
        e.m_CountOffset = offset;
    }
    if (stream.status() != QDataStream::Ok) {
        refuse("truncated or damaged entries");
        return false;
    }
    // A count of 0 empties the table but keeps the stored contents of the unused entries.
    for (int i = 0; i < count; ++i)
        m_DefinedSensors[i] = scratch[i];
    m_TotalDefined = count;
    return true;
}

void CSensorsDefinition::RestoreDefaults()
{
    m_TotalDefined = 0;
    for (int i = 0; i < s_MaxDefined; ++i) {
        DefinedSensorsInfoStruct& e = m_DefinedSensors[i];
        const DefaultSensor& d = kDefaults[i];
        e.m_Multiplier = 0;
        e.m_Divider = 1;
        e.m_DecimalScale = 0;
        e.m_CountOffset = 0;
        e.m_Name = QString::fromUtf8(d.name);
        e.m_Unit = QString::fromUtf8(d.unit);
        e.m_Voltage1 = d.voltage1;
        e.m_Voltage2 = d.voltage2;
        e.m_Value1 = d.value1;
        e.m_Value2 = d.value2;
        CalculateQuaselSensorsParameters(short(i));
        ++m_TotalDefined;
    }
}

bool CSensorsDefinition::AddNewSensor(QString name)
{
    if (m_TotalDefined >= s_MaxDefined || m_TotalDefined < 0) return false;
    DefinedSensorsInfoStruct& e = m_DefinedSensors[m_TotalDefined];
    m_bChanged = true;
    e.m_Name = name;
    e.m_Unit.clear();
    e.m_Voltage1 = e.m_Voltage2 = e.m_Value1 = e.m_Value2 = 0;
    ++m_TotalDefined;
    return true;
}

void CSensorsDefinition::SetSensorInfo(short index, QString& name, QString& unit, double voltage1,
                                       double voltage2, double value1, double value2)
{
    if (index < 0 || index >= m_TotalDefined) return;
    DefinedSensorsInfoStruct& e = m_DefinedSensors[index];
    m_bChanged = true;
    e.m_Name = name;
    e.m_Unit = unit;
    e.m_Voltage1 = voltage1;
    e.m_Voltage2 = voltage2;
    e.m_Value1 = value1;
    e.m_Value2 = value2;
}

QString CSensorsDefinition::GetSensorName(short index) const
{
    return isValidIndex(index) ? m_DefinedSensors[index].m_Name : QString();
}

DefinedSensorsInfoStruct CSensorsDefinition::GetDefinedSensorInfo(short index) const
{
    return m_DefinedSensors[isValidIndex(index) ? index : 0];
}

DefinedSensorsInfoStruct* CSensorsDefinition::GetDefinedSensorsInfo(short index)
{
    return isValidIndex(index) ? &m_DefinedSensors[index] : nullptr;
}

bool CSensorsDefinition::CalculateSensorsParameters(short index)
{
    return CalculateQuaselSensorsParameters(index);
}

bool CSensorsDefinition::CalculateQuaselSensorsParameters(short index)
{
    if (!isValidIndex(index)) return false;
    DefinedSensorsInfoStruct& e = m_DefinedSensors[index];
    const double v1 = e.m_Voltage1, v2 = e.m_Voltage2, y1 = e.m_Value1, y2 = e.m_Value2;
    // Two points at the same voltage give no line; a line that is zero or negative at 5 V gives
    // no decimal scale (the logarithm below would be undefined).
    const double dv = v1 - v2;
    const double a = (y1 - y2) / dv;
    const double b = (v1 * y2 - v2 * y1) / dv;
    const double top = a * 5.0 + b;
    if (!std::isfinite(a) || !std::isfinite(b) || !std::isfinite(top) || top <= 0 || dv == 0) {
        setNeutralParameters(e);
        return false;
    }

    const double exponent = std::trunc(std::log10(10000.0 / top));
    int scale = 0;
    if (exponent >= 3)
        scale = 1000;
    else if (exponent >= 0)
        scale = int(std::pow(10.0, exponent));

    const double target = scale * ((top - b) * 0.000244140625) * 4.0;
    if (!std::isfinite(target)) {
        setNeutralParameters(e);
        return false;
    }
    int multiplier = 1, divider = 1;
    FindClosestMulDiv(target, multiplier, divider);

    // The logger works in 32-bit integers; an offset that does not fit is no usable conversion.
    const double negB = std::trunc(-b);
    if (negB < std::numeric_limits<qint32>::min() || negB > std::numeric_limits<qint32>::max()) {
        setNeutralParameters(e);
        return false;
    }
    const qint64 offset = (qint64(negB) * divider / multiplier) * scale * 4;
    if (offset < std::numeric_limits<qint32>::min() || offset > std::numeric_limits<qint32>::max()) {
        setNeutralParameters(e);
        return false;
    }
    e.m_Multiplier = multiplier;
    e.m_Divider = divider;
    e.m_DecimalScale = scale / 10;
    e.m_CountOffset = int(offset);
    return true;
}

void CSensorsDefinition::FindClosestMulDiv(double target, int& multiplier, int& divider)
{
    // The answer is the first pair, in the order multiplier then divider, of the smallest
    // error over all 255 x 255 fractions. For each divider only the multipliers next to
    // target x divider can be closest; fractions lie at least 1/65025 apart, far above the
    // rounding of the error, so looking at those two per divider finds the same pair. Outside
    // that range (targets the fractions cannot approach) the rounding may tie many pairs, and
    // every pair is looked at.
    int bestM = 1, bestD = 1;
    double bestError = std::fabs(target - 1.0);
    auto consider = [&](int m, int d) {
        const double error = std::fabs(target - double(m) / double(d));
        if (error < bestError || (error == bestError && (m < bestM || (m == bestM && d < bestD)))) {
            bestError = error;
            bestM = m;
            bestD = d;
        }
    };
    if (target >= 1.0 / 255.0 && target <= 255.0) {
        for (int d = 1; d <= 255; ++d) {
            const int below = int(std::floor(target * d));
            consider(std::clamp(below, 1, 255), d);
            consider(std::clamp(below + 1, 1, 255), d);
        }
    } else {
        for (int m = 1; m <= 255; ++m)
            for (int d = 1; d <= 255; ++d) {
                const double error = std::fabs(target - double(m) / double(d));
                if (error < bestError) {
                    bestError = error;
                    bestM = m;
                    bestD = d;
                }
            }
    }
    multiplier = bestM;
    divider = bestD;
}
