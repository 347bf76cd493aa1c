#include "Core/Data/SensorsCalibration.h"

#include <QStandardPaths>
#include <cmath>

#include "Core/Data/SensorInfo.h"

namespace {
// Factors the conversion expects before any calibration: drop volume of the drop counters,
// wheel radius of the rotary sensors and the syringe factor of the gas-pressure sensor.
double DefaultFactor(int index, double otherwise)
{
    if (index == 33 || index == 109) return 0.04;
    if (index == 48 || index == 127) return static_cast<double>(0.025f);
    return otherwise;
}

void ClearPoints(SensorCalibrationInfo& r)
{
    r.type = 0;
    r.dateTime = QDateTime();
    r.real1 = r.measured1 = r.real2 = r.measured2 = -1.0;
    r.raw1 = r.raw2 = -1;
    r.slope = 0.0;
    r.offset = 0.0;
}
}  // namespace

CSensorsCalibration::CSensorsCalibration(const CSensorInfo* sensorInfo)
    : m_pSensorInfo(sensorInfo), m_NumOfRecords(s_NumOfRecords)
{
    m_FilePath = QStandardPaths::writableLocation(QStandardPaths::ConfigLocation) + "/" + "KV4Calibration.ini";
    RegisterMetaType();
    RestoreDefaults();
}

CSensorsCalibration::~CSensorsCalibration() = default;

void CSensorsCalibration::RegisterMetaType()
{
    qRegisterMetaType<CalibrationValues>("CalibrationValues");
}

SensorCalibrationInfo* CSensorsCalibration::GetRecord(int index)
{
    return (index >= 0 && index < s_NumOfRecords) ? &m_Records[index] : nullptr;
}

const SensorCalibrationInfo* CSensorsCalibration::GetRecord(int index) const
{
    return (index >= 0 && index < s_NumOfRecords) ? &m_Records[index] : nullptr;
}

SensorCalibrationInfo CSensorsCalibration::GetCalibration(int index) const
{
    QMutexLocker lock(&m_Lock);
    const SensorCalibrationInfo* r = GetRecord(index);
    return r ? *r : SensorCalibrationInfo();
}

void CSensorsCalibration::setCalibrationValues(const CalibrationValues& values, int index)
{
    QMutexLocker lock(&m_Lock);
    SensorCalibrationInfo* r = GetRecord(index);
    if (!r) return;
    r->type = values.type;
    r->real1 = values.real1;
    r->measured1 = values.measured1;
    r->raw1 = values.raw1;
    r->real2 = values.real2;
    r->measured2 = values.measured2;
    r->raw2 = values.raw2;
    r->dateTime = values.dateTime;
    r->measurement = values.measurement;
    if (r->type == 1) {
        r->offset = r->real1 - r->measured1;
    } else if (r->type == 2) {
        if (r->raw1 == r->raw2) {
            // Two readings of one raw value define no line.
            r->type = 0;
        } else if (CSensorInfo::IsISEIndex(index)) {
            setISECalibration(index, values.iseId);
        } else {
            r->slope = (r->real2 - r->real1) / (static_cast<double>(r->raw2) - r->raw1);
            r->offset = r->real1 - r->raw1 * r->slope;
        }
    }
}

void CSensorsCalibration::setISECalibration(int index, int electrodeId)
{
    QMutexLocker lock(&m_Lock);
    SensorCalibrationInfo* r = GetRecord(index);
    if (!r || !m_pSensorInfo) return;
    const double k1 = m_pSensorInfo->getISEInfo(electrodeId).m_MvPerCount;
    // Concentrations are positive; anything else gives no logarithm and leaves the fit alone.
    if (!(r->measured1 > 0.0) || !(r->measured2 > 0.0)) return;
    const double l1 = std::log10(r->measured1);
    const double l2 = std::log10(r->measured2);
    if (l2 - l1 == 0.0) return;
    const double v1 = k1 * r->raw1;
    const double v2 = k1 * r->raw2;
    const double slope = (v2 - v1) / (l2 - l1);
    if (!std::isfinite(slope) || slope == 0.0) return;
    r->slope = slope;
    r->offset = v1 - l1 * slope;
}

void CSensorsCalibration::RestoreSensorDefault(int index)
{
    QMutexLocker lock(&m_Lock);
    SensorCalibrationInfo* r = GetRecord(index);
    if (!r || !m_pSensorInfo) return;
    const CSensorParametersInfo* info = m_pSensorInfo->GetSensorInfo(index);
    if (!info || info->m_CalibrationKind == 0) return;
    ClearPoints(*r);
    r->factor = DefaultFactor(index, 1.0);
}

void CSensorsCalibration::RestoreDefaults()
{
    QMutexLocker lock(&m_Lock);
    for (int i = 0; i < s_NumOfRecords; ++i) {
        ClearPoints(m_Records[i]);
        m_Records[i].factor = DefaultFactor(i, i == 49 ? 1.0 : 0.0);
    }
}
