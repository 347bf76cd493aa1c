#pragma once
// Sensors of the simulated loggers chosen from the program's sensor catalogue (korvanta-sim
// --sensors): by catalogue name or index, one per channel, checked against what each logger
// model can report, each with the raw readings that sweep its catalogue measurement range.
#include "simulator/DeviceModel.h"

#include <QStringList>
#include <QVector>

class CSensorInfo;

namespace kvsim {

// The catalogue, filled on first use (after the application object exists) and only read
// afterwards.
const CSensorInfo& SimCatalogue();

// The catalogue indices of `entries` (names in any letter case, or indices) for a model
// ("pelorin", "dravlet"). A name stands for the first sensor type of that name the model can
// report. False, with the reason, for a model without sensors, an empty list, more entries
// than channels, or an entry the model cannot report.
bool ResolveSensors(const QString& model, const QStringList& entries, QVector<int>& indices, QString& error);

// The readings from the bottom to the top of measurement 0's catalogue range, found by turning
// the sensor type's conversion round (an end beyond the readings takes the nearest one). Types
// whose value needs more than one reading (counters, motion, pulses), and ranges whose middle
// the readings do not reach, get the default span of raw counts.
RawSpan CatalogueSpan(int index);

// Puts the sensor types on the model's channels, the first on the first channel. False for a
// model without sensors of its own (echo) or an index it cannot report.
bool ApplySensors(IDeviceModel& model, const QVector<int>& indices);

} // namespace kvsim
