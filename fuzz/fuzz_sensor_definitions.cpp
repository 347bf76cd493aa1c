// Arbitrary bytes as the content of "Defined Sensors.ds": the reader either refuses them or
// fills the table; an accepted table is written back, which recomputes the conversion
// parameters from the read points, and what was written reads back the same.
// The table object is built once (its construction writes the defaults into a temporary
// folder); each input only reads and writes bytes in memory.
#include "Core/Data/SensorDefinitions.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

CSensorsDefinition& Table()
{
    // Removed when the process ends; the table is never destroyed.
    static QTemporaryDir dir;
    static CSensorsDefinition* table = [] {
        if (!dir.isValid() || !QDir::setCurrent(dir.path()))
            std::abort();
        return new CSensorsDefinition;
    }();
    return *table;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 64 * 1024)
        return 0;
    CSensorsDefinition& d = Table();
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), int(size));
    const bool accepted = d.LoadFromBytes(bytes);
    const short count = d.GetTotalNewDefinedSensors();
    if (count < 0 || count > CSensorsDefinition::s_MaxDefined)
        std::abort();
    if (!accepted || count == 0)
        return 0;
    const QByteArray written = d.SaveToBytes();
    if (written.isEmpty())
        std::abort();
    for (short i = 0; i < count; ++i) {
        const DefinedSensorsInfoStruct* e = d.GetDefinedSensorsInfo(i);
        if (!e || e->m_Divider < 1 || e->m_Divider > 255 || e->m_Multiplier < 1 || e->m_Multiplier > 255)
            std::abort();
    }
    if (!d.LoadFromBytes(written) || d.GetTotalNewDefinedSensors() != count || d.SaveToBytes() != written)
        std::abort();
    return 0;
}
