// The video-analysis window's workspace record: its window, the copy of its video placed beside
// the workspace file, the axis system, the tracked trail and the linked run.
#include "video/VideoAnlysisWindow.h"

#include "Core/Data/DataFolder.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/RecordIO.h"
#include "workspace/WorkspaceLoader.h"
#include "workspace/WorkspaceSaver.h"
#include "workspace/WorkspaceVideo.h"

#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <cmath>

namespace {
enum VideoRecordTag : quint16 {
    TagWindowBase = 1113, TagCopyName = 1701, TagTrail = 1702, TagTrailCount = 1703, TagTrailPoint = 1704,
    TagTrailEnd = 1705, TagOrigin = 1706, TagAngle = 1707, TagFolder = 1708, TagVideoEnd = 1112
};

// The folder of the workspace file being read, joined with a stored file name; only the name
// part is taken, so a record cannot point outside that folder.
QString besideWorkspace(const QString& name)
{
    const QString workspace = CWorkspaceLoader::getInstance()->m_LastPath;
    return QFileInfo(workspace).dir().filePath(QFileInfo(name).fileName());
}
} // namespace

int CVideoAnlysisWindow::saveToFile(QDataStream* stream)
{
    if (!stream)
        return -2;
    const int base = CKorvantaWindow::saveToFile(stream);
    if (base != 0)
        return base;
    QDataStream& out = *stream;
    if (videoFile.isEmpty()) {
        out << qint16(TagVideoEnd);
        return out.status() == QDataStream::Ok ? 0 : -2;
    }
    const QString workspace = CWorkspaceSaver::getInstance()->m_CurrentPath;
    QString copyPath;
    const QString name = workspace.isEmpty() ? QString() : PlaceVideoCopy(workspace, videoFile, serialNumber, &copyPath);
    if (!name.isNull()) {
        if (CDataFolder* folder = dataManager() ? dataManager()->GetDataFolder(linkedFolderKey) : nullptr)
            folder->m_VideoFile = name;
        videoFile = copyPath;
    }
    out << qint16(TagCopyName) << name;
    out << qint16(TagOrigin) << qint16(axisOrigin.x()) << qint16(axisOrigin.y());
    out << qint16(TagAngle) << axisAngle;
    out << qint16(TagTrail) << qint16(TagTrailCount) << qint16(m_Run.m_Trail.size());
    for (const QPoint& p : m_Run.m_Trail)
        out << qint16(TagTrailPoint) << qint16(p.x()) << qint16(p.y());
    out << qint16(TagTrailEnd);
    out << qint16(TagFolder) << qint32(linkedFolderKey);
    out << qint16(TagVideoEnd);
    return out.status() == QDataStream::Ok ? 0 : -2;
}

int CVideoAnlysisWindow::readTrail(QDataStream& in)
{
    m_Run.m_Trail.clear();
    qint16 x = 0, y = 0;
    for (;;) {
        quint16 tag = 0;
        if (in.atEnd())
            return -4;
        in >> tag;
        if (in.status() != QDataStream::Ok)
            return -4;
        if (tag == TagTrailEnd)
            return 0;
        if (tag == TagTrailCount) {
            in >> x;   // the count is not trusted: every point up to the end tag is read
        } else if (tag == TagTrailPoint) {
            in >> x >> y;
            if (in.status() == QDataStream::Ok)
                m_Run.m_Trail.append(QPoint(x, y));
        }
        if (in.status() != QDataStream::Ok)
            return -4;
    }
}

int CVideoAnlysisWindow::loadFromFile(QDataStream* stream)
{
    if (!stream)
        return -4;
    QDataStream& in = *stream;
    QString name;
    for (;;) {
        if (in.atEnd())
            return -4;
        quint16 tag = 0;
        in >> tag;
        if (in.status() != QDataStream::Ok)
            return -4;
        switch (tag) {
        case TagVideoEnd:
            return 0;
        case TagWindowBase: {
            const int result = CKorvantaWindow::loadFromFile(stream);
            if (result != 0)
                return result;
            break;
        }
        case TagCopyName:
            if (RecordIO::ReadField(in, name) && !name.isEmpty()) {
                videoFile = besideWorkspace(name);
                // Loaded once the window stands in its place, as when the user opens a file.
                QTimer::singleShot(1000, this, &CVideoAnlysisWindow::LoadVideoFileSlot);
            }
            break;
        case TagOrigin: {
            qint16 x = 0, y = 0;
            in >> x >> y;
            if (in.status() == QDataStream::Ok)
                axisOrigin = QPoint(x, y);
            break;
        }
        case TagAngle: {
            double angle = 0.0;
            if (RecordIO::ReadField(in, angle) && std::isfinite(angle))
                axisAngle = std::fmod(angle, 360.0);
            break;
        }
        case TagTrail:
            if (readTrail(in) != 0)
                return -4;
            break;
        case TagFolder: {
            qint32 key = -1;
            if (!RecordIO::ReadField(in, key))
                break;
            linkedFolderKey = key;
            CDataFolder* folder = dataManager() ? dataManager()->GetDataFolder(key) : nullptr;
            if (folder && !name.isEmpty())
                folder->m_VideoFile = besideWorkspace(name);
            break;
        }
        default:
            break;
        }
        if (in.status() != QDataStream::Ok)
            return -4;
    }
}
