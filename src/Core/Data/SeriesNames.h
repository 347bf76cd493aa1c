#pragma once
// How series are named beside one another in lists (the history, the Math Function sources, the
// setup summary, the meters' choice): series that share a name and a unit but come from
// sensors on different ports say their port, so that no list holds two lines alike.
#include <QString>
#include <QVector>

class CDataBranch;
class CSensorInfo;
class CSetupInfo;

namespace SeriesNames {

struct Entry
{
    QString name;
    QString unit;
    int channel = -1;   // the logger channel of the sensor; -1 for a series of no sensor
};

// The entries' names, in order: an entry whose name and unit another entry of another channel
// shares takes its port (channel + 1) after its name, "Temperature (port 2)".
QVector<QString> TellApart(const QVector<Entry>& entries);

// The unit a series' values are in: its own unit text, or "px" for a tracked position, which
// has no length calibration and is measured in pixels of the video. Results computed from a
// series take their units from this one.
QString UnitOf(const CDataBranch& series);

// "Pressure (kPa)"; the name alone for an empty unit.
QString WithUnit(const QString& name, const QString& unit);

// The name of measurement `measurement` of the sensor at `position` in the setup, told apart
// from the setup's other active measurements as above: its catalogue name (an electrode's name
// for the electrode types), with its port where another active one shares name and unit. Empty
// when the setup holds no such measurement.
QString OfSetupMeasurement(const CSetupInfo& setup, const CSensorInfo& catalogue, int position, int measurement);
// The unit text of that measurement: its catalogue unit after its unit prefix ("kPa").
QString SetupMeasurementUnit(const CSetupInfo& setup, const CSensorInfo& catalogue, int position, int measurement);

} // namespace SeriesNames
