// Arbitrary bytes as "KV4Settings.ini": loading gives in-range settings whatever the file
// holds, and the settings written back read back the same. The bytes are read in memory through
// the same reader the file goes through; the two settings objects are built once.
#include "Core/Data/Settings.h"

#include <QBuffer>
#include <QByteArray>

#include <cstdint>
#include <cstdlib>

namespace {

void Load(CSettings& settings, const QByteArray& bytes)
{
    QBuffer device;
    device.setData(bytes);
    if (!device.open(QIODevice::ReadOnly))
        std::abort();
    settings.LoadFromDevice(device);
}

bool SameSettings(const CSettings& a, const CSettings& b)
{
    for (int c = 0; c < CSettings::s_NumOfChannels; ++c) {
        if (a.GetSensorInfoIndex(c) != b.GetSensorInfoIndex(c))
            return false;
        for (int m = 0; m < CSettings::s_NumOfMeasurements; ++m)
            if (a.IsMeasurementActive(c, m) != b.IsMeasurementActive(c, m))
                return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 16 * 1024)
        return 0;
    // A path that names no file: construction reads nothing.
    static CSettings* read = new CSettings(QStringLiteral("/nonexistent/korvanta-fuzz.ini"));
    static CSettings* back = new CSettings(QStringLiteral("/nonexistent/korvanta-fuzz.ini"));
    Load(*read, QByteArray::fromRawData(reinterpret_cast<const char*>(data), int(size)));
    for (int c = 0; c < CSettings::s_NumOfChannels; ++c) {
        const int index = read->GetSensorInfoIndex(c);
        if (index < 0 || index > 148)
            std::abort();
    }
    // The text written back reads back the same. Writing and reading it costs more than most
    // inputs do, and its result depends only on the settings read: it is checked whenever
    // those differ from the ones checked last.
    static bool checked = false;
    if (checked && SameSettings(*back, *read))
        return 0;
    checked = true;
    Load(*back, read->SettingsText());
    if (!SameSettings(*back, *read))
        std::abort();
    return 0;
}
