#include "Core/Data/CheckedSaveFile.h"

#include <QSaveFile>

namespace CheckedSave {

bool WriteWholeFile(const QString& path, const QByteArray& bytes, QString* error)
{
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    QSaveFile file(path);
    // Unbuffered: a write that finds no room fails at once instead of in a buffer flush that
    // the rename would not look at.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(file.errorString());
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0) {
            const QString why = file.errorString();
            file.cancelWriting();
            return fail(why);
        }
        done += n;
    }
    if (!file.flush() || file.error() != QFileDevice::NoError) {
        const QString why = file.errorString();
        file.cancelWriting();
        return fail(why);
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

} // namespace CheckedSave
