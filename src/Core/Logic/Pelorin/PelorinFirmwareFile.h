#pragma once
// What a firmware file must be before an update starts. The boot-loader takes the file as it is,
// in numbered blocks of 1024 bytes with a 16-bit block number, after its size in four bytes;
// it carries no header, signature or checksum of its own (the CRC the transfer ends with is
// ours, over whatever was sent). So what can be checked is the file itself: that it is there
// and readable, named as firmware files are, not empty, and no larger than the block numbers
// reach. A file that fails is refused before anything goes to the logger.
#include <QString>
#include <QtGlobal>

namespace PelorinFirmwareFile {

constexpr qint64 s_BlockSize = 1024;
constexpr qint64 s_MaxBlocks = 65536;
constexpr qint64 s_MaxSize = s_BlockSize * s_MaxBlocks;

enum class Problem { None, Missing, NotAFile, NotFirmwareName, Unreadable, Empty, TooLarge };

Problem Check(const QString& path);
// Why the file is refused, for the user; empty for Problem::None.
QString Explain(Problem problem);

} // namespace PelorinFirmwareFile
