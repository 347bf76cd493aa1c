#include "Core/Logic/Pelorin/PelorinFirmwareFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

namespace PelorinFirmwareFile {

Problem Check(const QString& path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return Problem::Missing;
    if (!info.isFile())
        return Problem::NotAFile;
    if (info.suffix().compare(QLatin1String("bin"), Qt::CaseInsensitive) != 0)
        return Problem::NotFirmwareName;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Problem::Unreadable;
    const qint64 size = file.size();
    if (size <= 0)
        return Problem::Empty;
    if (size > s_MaxSize)
        return Problem::TooLarge;
    // The whole file is read once now, so that one the system cannot read is found before
    // the logger has left for its boot-loader.
    char block[s_BlockSize];
    qint64 read = 0;
    for (qint64 n = 0; (n = file.read(block, s_BlockSize)) > 0;)
        read += n;
    return read == size ? Problem::None : Problem::Unreadable;
}

QString Explain(Problem problem)
{
    const auto tr = [](const char* text) { return QCoreApplication::translate("PelorinFirmwareFile", text); };
    switch (problem) {
    case Problem::None: return QString();
    case Problem::Missing: return tr("The firmware file was not found.");
    case Problem::NotAFile: return tr("The chosen name is a folder, not a firmware file.");
    case Problem::NotFirmwareName: return tr("This is not a firmware file: firmware files end in .bin.");
    case Problem::Unreadable: return tr("The firmware file cannot be read.");
    case Problem::Empty: return tr("The firmware file is empty.");
    case Problem::TooLarge: return tr("The firmware file is larger than the logger can take (64 MB).");
    }
    return QString();
}

} // namespace PelorinFirmwareFile
