// Feeds arbitrary bytes to the reader of "Defined Sensors.ds" through the real file path, then
// saves what was accepted, which recomputes the conversion parameters from the read points.
#include "Core/Data/SensorDefinitions.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

QTemporaryDir* dir = nullptr;
CSensorsDefinition* definitions = nullptr;

void release()
{
    delete definitions; // saves into the temporary folder, which goes next
    delete dir;
}

CSensorsDefinition* table()
{
    if (!definitions) {
        dir = new QTemporaryDir;
        if (!dir->isValid() || !QDir::setCurrent(dir->path())) std::abort();
        definitions = new CSensorsDefinition; // starts from the defaults and writes them
        std::atexit(release);
    }
    return definitions;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 64 * 1024) return 0;
    CSensorsDefinition* d = table();
    {
        QFile f(d->GetFileName());
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    const bool accepted = d->Load();
    const short count = d->GetTotalNewDefinedSensors();
    if (count < 0 || count > CSensorsDefinition::s_MaxDefined) std::abort();
    if (accepted && count > 0) {
        if (!d->Save()) std::abort();
        for (short i = 0; i < count; ++i) {
            const DefinedSensorsInfoStruct* e = d->GetDefinedSensorsInfo(i);
            if (!e || e->m_Divider < 1 || e->m_Divider > 255 || e->m_Multiplier < 1 || e->m_Multiplier > 255)
                std::abort();
        }
        // What was saved reads back cleanly.
        if (!d->Load() || d->GetTotalNewDefinedSensors() != count) std::abort();
    }
    return 0;
}
