// Arbitrary bytes as "KV4Settings.ini": loading gives in-range settings whatever the file
// holds, the settings written back read back the same, and so do they when written over the
// bytes as an old file (its foreign lines kept, never overriding an entry written). The bytes are read in memory through
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
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), int(size));
    Load(*read, bytes);
    for (int c = 0; c < CSettings::s_NumOfChannels; ++c) {
        const int index = read->GetSensorInfoIndex(c);
        if (index < 0 || index > 148)
            std::abort();
    }
    // The text written back reads back the same. Writing and reading it costs more than most
    // inputs do, and its result depends only on the settings read: it is checked whenever
    // those differ from the ones checked last.
    static bool checked = false;
    if (!checked || !SameSettings(*back, *read)) {
        checked = true;
        Load(*back, read->SettingsText());
        if (!SameSettings(*back, *read))
            std::abort();
    }
    // The bytes as the old file under a text of our own: whatever they hold, the result reads
    // as our text alone (every line naming a channel entry dropped, foreign lines harmless).
    // Our text is short, unlike the whole file, so this costs little more than the load.
    static const QByteArray own = "[General]\nVersion=1\n\n[channel3]\nSensorInfoIndex=2\nMeasurement0Active=false\n"
                                  "Measurement5Active=true\n";
    static CSettings* ownAlone = [] {
        auto* s = new CSettings(QStringLiteral("/nonexistent/korvanta-fuzz.ini"));
        Load(*s, own);
        return s;
    }();
    static CSettings* merged = new CSettings(QStringLiteral("/nonexistent/korvanta-fuzz.ini"));
    Load(*merged, CSettings::WithForeignEntries(own, bytes));
    if (!SameSettings(*merged, *ownAlone))
        std::abort();
    return 0;
}
