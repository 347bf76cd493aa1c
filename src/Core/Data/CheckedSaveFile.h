#pragma once
// Replaces a file only with a complete new copy. The bytes go to a temporary file beside the
// target; every write and the final flush are checked, and only when all of them succeeded is
// the temporary file renamed over the target. On a full disk or a read-only folder the old
// file stays exactly as it was and the caller learns why.
#include <QByteArray>
#include <QString>

namespace CheckedSave {

// Writes bytes as the whole new content of path. False on any failure, with a readable
// reason in *error when given; the previous file is then untouched.
bool WriteWholeFile(const QString& path, const QByteArray& bytes, QString* error = nullptr);

} // namespace CheckedSave
