// Arbitrary bytes as "KV4Settings.ini": loading gives in-range settings whatever the file
// holds, and the settings written back read back the same. QSettings keeps parsed files in a
// cache keyed by path and checked by size and modification time, so each input's file gets a
// modification time of its own: every load parses the bytes just written, and the cache holds
// the same one entry per path after every input (the leak check compares allocations).
#include "Core/Data/Settings.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

const QString& Folder()
{
    static QTemporaryDir* dir = [] {
        // A folder in memory where there is one: on a disk every input costs a file write.
        const bool ram = QFileInfo(QStringLiteral("/dev/shm")).isWritable();
        auto* d = ram ? new QTemporaryDir(QStringLiteral("/dev/shm/korvanta-fuzz-XXXXXX")) : new QTemporaryDir;
        if (!d->isValid())
            std::abort();
        std::atexit([] { delete dir; });
        return d;
    }();
    static const QString path = dir->path();
    return path;
}

void WriteFile(const QString& path, const char* bytes, qint64 size)
{
    static qint64 stamp = 1000000000;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes, size) != size ||
        !f.setFileTime(QDateTime::fromSecsSinceEpoch(++stamp), QFileDevice::FileModificationTime))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 16 * 1024)
        return 0;
    static const QString path = Folder() + QStringLiteral("/input.ini");
    static const QString again = Folder() + QStringLiteral("/again.ini");
    WriteFile(path, reinterpret_cast<const char*>(data), qint64(size));
    const CSettings read(path);
    for (int c = 0; c < CSettings::s_NumOfChannels; ++c) {
        const int index = read.GetSensorInfoIndex(c);
        if (index < 0 || index > 148)
            std::abort();
    }
    // The round trip costs as much again as the load: every eighth input takes it.
    static unsigned inputs = 0;
    if (inputs++ % 8 != 0)
        return 0;
    const QByteArray text = read.SettingsText();
    WriteFile(again, text.constData(), text.size());
    const CSettings back(again);
    for (int c = 0; c < CSettings::s_NumOfChannels; ++c) {
        if (back.GetSensorInfoIndex(c) != read.GetSensorInfoIndex(c))
            std::abort();
        for (int m = 0; m < CSettings::s_NumOfMeasurements; ++m)
            if (back.IsMeasurementActive(c, m) != read.IsMeasurementActive(c, m))
                std::abort();
    }
    return 0;
}
