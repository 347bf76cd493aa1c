#include "PelorinTestCatalog.h"

namespace {

Pelorin::SensorTypeView Type(unsigned short kind, int id, bool calibrated = false)
{
    Pelorin::SensorTypeView t;
    t.valid = true;
    t.dataKind = kind;
    t.sensorId = id;
    t.loggerCalibration = calibrated;
    return t;
}

Pelorin::SensorTypeView Family(int id, int count, std::initializer_list<int> ids)
{
    Pelorin::SensorTypeView t = Type(4, id);
    t.variantCount = count;
    int i = 0;
    for (int v : ids)
        t.variantIds[i++] = v;
    return t;
}

}  // namespace

CPelorinTestCatalog::CPelorinTestCatalog()
{
    m_Types[Empty] = Type(0, 0);
    m_Types[Analog] = Type(0, 0x10);
    m_Types[Wide] = Type(1, 0x11);
    m_Types[Calibrated] = Type(0, 0x12, true);
    m_Types[Time] = Type(0x2000, 0x20);
    m_Types[Count] = Type(0x3000, 0x21);
    m_Types[Echo] = Type(0x4000, 0x22);
    m_Types[Generic] = Type(0x99, 0x23);
    m_Types[Odd] = Type(0x5000, 0x24);
    m_Types[Gate] = Type(0x1000, 0x4A);
    m_Types[Gate2] = Type(0x1000, 0x4C);
    // Multi-range voltage: one channel, one value; the range sits in the low bits of the id.
    const std::initializer_list<int> volt = {0x100, 0, 0, 0, 0x100, 0x101, 0x102, 0};
    m_Types[VoltA] = Family(0x100, 1, volt);
    m_Types[VoltB] = Family(0x101, 1, volt);
    m_Types[VoltC] = Family(0x102, 1, volt);
    // Two sensors on one plug.
    const std::initializer_list<int> oxygen = {0x300, 0x3A0, 0, 0, 0, 0, 0, 0};
    m_Types[Oxygen] = Family(0x300, 2, oxygen);
    m_Types[OxygenTemp] = Family(0x3A0, 2, oxygen);
}

bool CPelorinTestCatalog::TypeAt(int index, Pelorin::SensorTypeView& out) const
{
    if (index < 0 || index >= Pelorin::kCatalogueSize)
        return false;
    auto it = m_Types.find(index);
    // Records the tests do not define exist, as plain empty ones.
    out = it != m_Types.end() ? it->second : Type(0, -1);
    return true;
}
