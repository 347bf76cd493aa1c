#include "Core/Data/SeriesNames.h"

#include "Core/Data/DataBranch.h"
#include "Core/Data/Globals.h"
#include "Core/Data/SensorInfo.h"
#include "Core/Data/SetupInfo.h"

#include <QCoreApplication>
#include <QHash>
#include <QPair>

namespace SeriesNames {

QVector<QString> TellApart(const QVector<Entry>& entries)
{
    // The channels each name-and-unit pair comes from: a pair seen on two channels needs ports.
    QHash<QPair<QString, QString>, int> firstChannel;
    QHash<QPair<QString, QString>, bool> onSeveral;
    for (const Entry& e : entries) {
        if (e.channel < 0)
            continue;
        const QPair<QString, QString> id(e.name, e.unit);
        const auto seen = firstChannel.constFind(id);
        if (seen == firstChannel.constEnd())
            firstChannel.insert(id, e.channel);
        else if (seen.value() != e.channel)
            onSeveral.insert(id, true);
    }
    QVector<QString> names;
    names.reserve(entries.size());
    for (const Entry& e : entries) {
        if (e.channel >= 0 && onSeveral.value(QPair<QString, QString>(e.name, e.unit)))
            names.append(QCoreApplication::translate("CDataManager", "%1 (port %2)").arg(e.name).arg(e.channel + 1));
        else
            names.append(e.name);
    }
    return names;
}

QString UnitOf(const CDataBranch& series)
{
    if (series.m_Unit.isEmpty() && series.m_SensorIndex == SensorIndexVideoTrack)
        return QCoreApplication::translate("SeriesNames", "px");
    return series.m_Unit;
}

QString WithUnit(const QString& name, const QString& unit)
{
    return unit.isEmpty() ? name : name + QStringLiteral(" (") + unit + QLatin1Char(')');
}

namespace {

// Name and unit of one measurement of the sensor at a position, as the run's series will be
// named before they are told apart; false when there is none.
bool MeasurementEntry(const CSetupInfo& setup, const CSensorInfo& catalogue, int position, int measurement,
                      Entry& out)
{
    const CSesnorProperties* sensor = setup.GetSelectedSensor(position);
    const CSensorMeasuremntInfo* mi = sensor ? catalogue.GetMeasurementInfo(sensor->m_SensorIndex, measurement) : nullptr;
    if (!mi)
        return false;
    out.name = CSensorInfo::IsISEIndex(sensor->m_SensorIndex) ? catalogue.getISEName(setup.GetISEId(position)) : mi->m_Name;
    out.unit = GetUnitPrefix(mi->m_UnitPrefix) + mi->m_Unit;
    out.channel = position;
    return true;
}

} // namespace

QString OfSetupMeasurement(const CSetupInfo& setup, const CSensorInfo& catalogue, int position, int measurement)
{
    Entry wanted;
    if (!MeasurementEntry(setup, catalogue, position, measurement, wanted))
        return QString();
    QVector<Entry> entries;
    int at = -1;
    for (int p = 0; p < setup.m_SelectedSensorList.size(); ++p) {
        const CSesnorProperties* sensor = setup.m_SelectedSensorList.at(p);
        const CSensorParametersInfo* record = sensor ? catalogue.GetSensorInfo(sensor->m_SensorIndex) : nullptr;
        if (!record || sensor->m_SensorIndex == 0 || record->m_HiddenSensor)
            continue;
        for (int m = 0; m < sensor->m_MeasurementList.size(); ++m) {
            const CMeasurementSetup* ms = sensor->m_MeasurementList.at(m);
            Entry e;
            if (!ms || !ms->m_bActive || !MeasurementEntry(setup, catalogue, p, m, e))
                continue;
            if (p == position && m == measurement)
                at = entries.size();
            entries.append(e);
        }
    }
    if (at < 0)
        return wanted.name;
    return TellApart(entries).at(at);
}

QString SetupMeasurementUnit(const CSetupInfo& setup, const CSensorInfo& catalogue, int position, int measurement)
{
    Entry e;
    return MeasurementEntry(setup, catalogue, position, measurement, e) ? e.unit : QString();
}

} // namespace SeriesNames
