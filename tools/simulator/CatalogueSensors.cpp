#include "simulator/CatalogueSensors.h"

#include "Core/Data/DataConversion.h"
#include "Core/Data/SensorInfo.h"
#include "simulator/DravletDevice.h"
#include "simulator/PelorinDevice.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace kvsim {

namespace {

enum class Logger { None, Pelorin, Dravlet };

// Both models carry at most eight sensors in a run.
constexpr int kChannels = 8;
// Levels of a range curve: finer than the 12-bit readings need over most ranges.
constexpr int kCurvePoints = 1025;
// How far the nearest reading may miss a quarter and three quarters of the range (as a share
// of it) for the conversion to count as describing the range. Its ends may lie beyond the
// readings (a thermistor's cold end): levels there take the nearest reading.
constexpr double kTolerance = 0.02;

struct LoadedCatalogue
{
    CSensorInfo info;
    LoadedCatalogue() { info.LoadSensorInfo(); }
};

Logger LoggerNamed(const QString& model)
{
    if (model == QLatin1String("pelorin"))
        return Logger::Pelorin;
    if (model == QLatin1String("dravlet"))
        return Logger::Dravlet;
    return Logger::None;
}

bool FourByteKind(unsigned short kind) { return kind == 0x2000 || kind == 0x3000 || kind == 0x4000; }

bool IsEmpty(const CSensorParametersInfo& r) { return r.m_Name == QLatin1String("Empty"); }

// A plain Pelorin sensor reports the low byte of its id, which the program looks up among
// catalogue entries 71 to 148: only the first entry of an id is reachable.
bool PelorinReports(const CSensorInfo& c, int index)
{
    const CSensorParametersInfo* r = c.GetSensorInfo(index);
    if (index < 71 || !r || r->m_SensorId < 1 || r->m_SensorId > 255 || r->m_DataKind == 4 || IsEmpty(*r))
        return false;
    for (int k = 71; k < index; ++k)
        if (c.GetSensorInfo(k)->m_SensorId == r->m_SensorId)
            return false;
    return true;
}

int DravletId(const CSensorParametersInfo& r) { return (r.m_IdWindowLow + r.m_IdWindowHigh) / 2; }

// The Dravlet interface reports an id that the program finds in the first id window holding it.
bool DravletReports(const CSensorInfo& c, int index)
{
    const CSensorParametersInfo* r = c.GetSensorInfo(index);
    if (index < 1 || index > 148 || !r || IsEmpty(*r) || r->m_IdWindowLow >= r->m_IdWindowHigh)
        return false;
    if (r->m_DataKind != 0x1000 && !FourByteKind(r->m_DataKind))
        return false;
    const int id = DravletId(*r);
    if (id < 0 || id > 4080)
        return false;
    for (int k = 1; k <= 148; ++k) {
        const CSensorParametersInfo* w = c.GetSensorInfo(k);
        if (w && id >= w->m_IdWindowLow && id < w->m_IdWindowHigh)
            return k == index;
    }
    return false;
}

bool Reports(Logger logger, const CSensorInfo& c, int index)
{
    switch (logger) {
    case Logger::Pelorin: return PelorinReports(c, index);
    case Logger::Dravlet: return DravletReports(c, index);
    case Logger::None: break;
    }
    return false;
}

QString ReportableList(Logger logger, const CSensorInfo& c)
{
    QStringList names;
    for (int index = 1; index < CSensorInfo::s_NumOfSensors; ++index)
        if (Reports(logger, c, index))
            names << QStringLiteral("%1 (%2)").arg(c.GetSensorInfo(index)->m_Name).arg(index);
    return names.join(QStringLiteral(", "));
}

// The reading whose converted value lies nearest `target`; `table` holds (value, reading)
// pairs sorted by value.
std::pair<double, quint16> Nearest(const std::vector<std::pair<double, quint16>>& table, double target)
{
    auto it = std::lower_bound(table.begin(), table.end(), std::make_pair(target, quint16(0)));
    if (it == table.end())
        return table.back();
    if (it != table.begin() && target - std::prev(it)->first < it->first - target)
        return *std::prev(it);
    return *it;
}

} // namespace

const CSensorInfo& SimCatalogue()
{
    static const LoadedCatalogue s_catalogue;
    return s_catalogue.info;
}

bool ResolveSensors(const QString& model, const QStringList& entries, QVector<int>& indices, QString& error)
{
    const Logger logger = LoggerNamed(model);
    if (logger == Logger::None) {
        error = QStringLiteral("--sensors: the %1 model has no sensors to choose").arg(model);
        return false;
    }
    if (entries.isEmpty() || entries.size() > kChannels) {
        error = QStringLiteral("--sensors takes 1 to %1 sensors, one per channel").arg(kChannels);
        return false;
    }
    const CSensorInfo& c = SimCatalogue();
    QVector<int> found;
    for (const QString& raw : entries) {
        const QString entry = raw.trimmed();
        bool isNumber = false;
        const int number = entry.toInt(&isNumber);
        int index = -1;
        for (int k = 1; k < CSensorInfo::s_NumOfSensors && index < 0; ++k) {
            if (Reports(logger, c, k)
                && (isNumber ? k == number : c.GetSensorInfo(k)->m_Name.compare(entry, Qt::CaseInsensitive) == 0))
                index = k;
        }
        if (index < 0) {
            error = QStringLiteral("unknown sensor '%1' for the %2 model; it reports (catalogue index): %3")
                        .arg(entry, model, ReportableList(logger, c));
            return false;
        }
        found << index;
    }
    indices = found;
    return true;
}

RawSpan CatalogueSpan(int index)
{
    RawSpan span;
    const CSensorInfo& c = SimCatalogue();
    const CSensorMeasuremntInfo* m = c.GetMeasurementInfo(index, 0);
    if (!m || !(m->m_Max > m->m_Min) || !std::isfinite(m->m_Max - m->m_Min))
        return span;
    // The type's formula alone: no calibration, limits or zero of a user, no logger or run.
    CDataConversion conversion;
    conversion.SetSensorInfo(&c);
    std::vector<std::pair<double, quint16>> table;
    for (int raw = 0; raw < 4096; ++raw) {
        short flag = 0;
        int zero = 0;
        const double v = conversion.ConvertDefaultSample(nullptr, 0, 0, index, raw, 1, flag, 0, false, true, zero);
        if (std::isfinite(v))
            table.emplace_back(v, quint16(raw));
    }
    if (table.empty())
        return span;
    std::sort(table.begin(), table.end());
    const double width = m->m_Max - m->m_Min;
    const auto low = Nearest(table, m->m_Min + 0.25 * width);
    const auto high = Nearest(table, m->m_Min + 0.75 * width);
    if (std::abs(low.first - (m->m_Min + 0.25 * width)) > kTolerance * width
        || std::abs(high.first - (m->m_Min + 0.75 * width)) > kTolerance * width || low.second == high.second)
        return span;
    auto curve = std::make_shared<QVector<quint16>>(kCurvePoints);
    for (int i = 0; i < kCurvePoints; ++i)
        (*curve)[i] = Nearest(table, m->m_Min + width * i / (kCurvePoints - 1)).second;
    span.curve = std::move(curve);
    return span;
}

bool ApplySensors(IDeviceModel& model, const QVector<int>& indices)
{
    const CSensorInfo& c = SimCatalogue();
    if (auto* pelorin = dynamic_cast<CPelorinDevice*>(&model)) {
        QList<CPelorinDevice::Sensor> sensors;
        for (int i = 0; i < indices.size() && i < kChannels; ++i) {
            if (!PelorinReports(c, indices[i]))
                return false;
            const CSensorParametersInfo* r = c.GetSensorInfo(indices[i]);
            CPelorinDevice::Sensor s;
            s.channel = static_cast<unsigned char>(i + 1);
            s.idLow = static_cast<unsigned char>(r->m_SensorId);
            s.valueWidths = {FourByteKind(r->m_DataKind) ? 4 : 2};
            s.span = CatalogueSpan(indices[i]);
            sensors << s;
        }
        pelorin->setSensors(sensors);
        return true;
    }
    if (auto* dravlet = dynamic_cast<CDravletDeviceModel*>(&model)) {
        QVector<CDravletDeviceModel::Sensor> sensors;
        for (int i = 0; i < indices.size() && i < kChannels; ++i) {
            if (!DravletReports(c, indices[i]))
                return false;
            const CSensorParametersInfo* r = c.GetSensorInfo(indices[i]);
            CDravletDeviceModel::Sensor s;
            s.id = DravletId(*r);
            s.kind = r->m_DataKind;
            s.base = 2048;
            s.step = 1;
            s.span = CatalogueSpan(indices[i]);
            sensors << s;
            // The span assumes the type's own zero: the status reports it as the channel's.
            dravlet->setZeroReading(i, quint16(std::clamp(r->m_Zero, 0, 4095)));
        }
        dravlet->setSensors(sensors);
        return true;
    }
    return false;
}

} // namespace kvsim
