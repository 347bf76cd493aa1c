#include "workspace/WorkspaceVideo.h"
#include "Core/Data/RecordIO.h"

#include "workspace/WorkspaceFormat.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QByteArray fileDigest(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    QCryptographicHash hash(QCryptographicHash::Sha1);
    if (!hash.addData(&file))
        return QByteArray();
    return hash.result();
}

bool sameVideo(const QString& a, const QString& b)
{
    const QFileInfo fa(a), fb(b);
    if (fa.canonicalFilePath() == fb.canonicalFilePath())
        return true;
    if (fa.size() != fb.size())
        return false;
    const QByteArray da = fileDigest(a);
    return !da.isEmpty() && da == fileDigest(b);
}

} // namespace

QString VideoCopyName(const QString& workspacePath, const QString& videoPath, int serial)
{
    QString base = QFileInfo(workspacePath).completeBaseName();
    base.remove(QLatin1String(s_dataFileSuffix), Qt::CaseSensitive);
    if (serial > 0)
        base += '_' + QString::number(serial);
    return base + '.' + QFileInfo(videoPath).suffix();
}

QString PlaceVideoCopy(const QString& workspacePath, const QString& videoPath, int serial, QString* copyPath)
{
    const QDir dir = QFileInfo(workspacePath).dir();
    const QString name = VideoCopyName(workspacePath, videoPath, serial);
    const QFileInfo named(name);
    for (int attempt = 1; attempt < 1000; ++attempt) {
        const QString candidate = attempt == 1 ? name
                                               : named.completeBaseName() + QStringLiteral("(%1).").arg(attempt)
                                                     + named.suffix();
        const QString path = dir.filePath(candidate);
        if (QFileInfo::exists(path)) {
            if (!sameVideo(path, videoPath))
                continue;
        } else if (!QFile::copy(videoPath, path)) {
            return QString();
        }
        if (copyPath)
            *copyPath = path;
        return candidate;
    }
    return QString();
}

int SkipVideoRecord(QDataStream& in)
{
    QString text;
    qint16 s = 0;
    qint32 i = 0;
    double d = 0.0;
    while (!in.atEnd()) {
        quint16 tag = 0;
        in >> tag;
        if (in.status() != QDataStream::Ok)
            break;
        switch (tag) {
        case 1100: case 1701: RecordIO::ReadString(in, text); break;
        case 1101: case 1102: case 1103: case 1104: case 1116: case 1708: in >> i; break;
        case 1706: in >> s >> s; break;
        case 1707: in >> d; break;
        case 1703: in >> s; break;
        case 1704: in >> s >> s; break;
        case TagVideoWindowEnd: return 0;
        default: break;
        }
    }
    return WorkspaceTruncated;
}
