#include "workspace/WorkspaceSaver.h"

#include "workspace/WorkspaceFormat.h"
#include "workspace/WorkspaceHost.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/RecordIO.h"
#include "Core/Base/Diagnostics.h"

#include <QDataStream>
#include <QDateTime>
#include <QDir>
#include <QSaveFile>

CWorkspaceSaver* CWorkspaceSaver::getInstance()
{
    static CWorkspaceSaver saver;
    return &saver;
}

QString CWorkspaceSaver::ProposedFileName(const QString& folder, const QDateTime& when)
{
    const QString name = QString::fromLatin1(s_dataFilePrefix) + QStringLiteral(" %1 %2.")
                         + QString::fromLatin1(s_dataFileSuffix);
    return QDir(folder).filePath(
        name.arg(when.toString(QStringLiteral("yyyy-MM-dd")), when.toString(QStringLiteral("hh.mm.ss"))));
}

QString CWorkspaceSaver::askForPath(IWorkspaceHost* host) const
{
    const QString folder = host->WorkspaceFolder();
    const QString start = folder.isEmpty() ? QDir::homePath() : ProposedFileName(folder, QDateTime::currentDateTime());
    const QString filter = tr("kvb Files") + QStringLiteral(" (*.") + QString::fromLatin1(s_dataFileSuffix) + ')';
    QString path = host->ChooseSaveFile(tr("Save File"), start, filter);
    if (path.isEmpty())
        return path;
    if (!IsWorkspacePath(path))
        path += '.' + QString::fromLatin1(s_dataFileSuffix);
    return path;
}

void CWorkspaceSaver::WriteHeader(QDataStream& out, const QDateTime& when)
{
    // A text in two scripts first: a reader that garbles UTF-16 shows it at once.
    static const QString testText = QString::fromUtf8("тестирование גדשג");
    const QDate date = when.date();
    const QTime time = when.time();
    out << qint16(TagTestText) << testText;
    out << qint16(TagMagic) << QString::fromLatin1(s_fileFormat);
    out << qint16(TagZeros1) << qint32(0) << qint32(0);
    out << qint16(TagZeros2) << qint32(0) << qint32(0);
    out << qint16(TagSaveDate) << qint32(date.day()) << qint32(date.month()) << qint32(date.year());
    out << qint16(TagSaveTime) << qint32(time.hour()) << qint32(time.minute()) << qint32(time.second());
    out << qint16(TagComment) << QStringLiteral("this is a comment");
}

int CWorkspaceSaver::writeWorkspace(IWorkspaceHost* host, QDataStream& out)
{
    WriteHeader(out, QDateTime::currentDateTime());
    if (CDataManager* data = host->GetDataManager()) {
        const int result = data->SaveAllBranchesAndFoldersToFile(&out);
        if (result != 0)
            return result;
    }
    for (const IWorkspaceHost::SavedWindow& window : host->WindowsToSave()) {
        out << qint16(window.tag);
        const int result = window.save ? window.save(&out) : 0;
        if (result != 0)
            return result;
    }
    return WorkspaceOk;
}

int CWorkspaceSaver::saveWorkspaceToFile(IWorkspaceHost* host, QString path)
{
    if (!host)
        return WorkspaceOpenFailed;
    if (path.isEmpty()) {
        path = askForPath(host);
        if (path.isEmpty())
            return WorkspaceCancelled;
    }
    // Set before anything is written: the video-analysis record places its copy beside it.
    m_CurrentPath = path;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        MyOutputDebugString("cannot open " + path + ": " + file.errorString(), DiagDataManager);
        return WorkspaceOpenFailed;
    }
    QDataStream out(&file);
    RecordIO::PrepareStream(out);
    const int result = writeWorkspace(host, out);
    // A full disk shows in the stream's status or at the final flush; either way the previous
    // file stays where it was, and the name the user chose is kept for the next try.
    if (out.status() != QDataStream::Ok) {
        file.cancelWriting();
        return WorkspaceWriteFailed;
    }
    if (result != WorkspaceOk) {
        file.cancelWriting();
        m_CurrentPath.clear();
        return result;
    }
    if (!file.commit()) {
        MyOutputDebugString("writing " + path + " failed: " + file.errorString(), DiagDataManager);
        file.cancelWriting();
        return WorkspaceWriteFailed;
    }
    return WorkspaceOk;
}
