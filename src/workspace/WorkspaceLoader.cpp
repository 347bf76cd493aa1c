#include "workspace/WorkspaceLoader.h"

#include "workspace/WorkspaceFormat.h"
#include "workspace/WorkspaceHost.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/RecordIO.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>

CWorkspaceLoader* CWorkspaceLoader::getInstance()
{
    static CWorkspaceLoader loader;
    return &loader;
}

QString CWorkspaceLoader::selectFile()
{
    if (!m_pHost)
        return QString();
    QString start = m_pHost->WorkspaceFolder();
    if (start.isEmpty())
        start = QDir::homePath();
    const QString filter = QStringLiteral("%1  (*.%2);;%3  (*.%4)")
                               .arg(tr("Pavix files"), QString::fromLatin1(s_dataFileSuffix), tr("Pavix files"),
                                    QString::fromLatin1(s_PavixDataFileSuffix));
    return m_pHost->ChooseOpenFile(tr("Load File"), start, filter);
}

int CWorkspaceLoader::loadWorkspaceFromFile(IWorkspaceHost* host)
{
    m_pHost = host;
    m_bCleared = false;
    if (!host)
        return WorkspaceCancelled;
    const QString path = selectFile();
    if (path.isEmpty())
        return WorkspaceCancelled;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return WorkspaceOpenFailed;
    host->ClearForLoad();
    m_bCleared = true;
    m_LastPath = path;
    int result;
    if (IsOlderWorkspacePath(path)) {
        result = loadWorkspaceFromPvxFile(file);
        // A later Save writes a new workspace file beside the older one, never over it.
        const QFileInfo info(path);
        m_LastPath = info.dir().filePath(info.completeBaseName() + '.' + QString::fromLatin1(s_dataFileSuffix));
    } else {
        result = loadWorkspaceFromKvbFile(file);
    }
    file.close();
    if (result != WorkspaceOk)
        m_LastPath.clear();
    return result;
}

int CWorkspaceLoader::loadWorkspaceFromKvbFile(QFile& file)
{
    QDataStream in(&file);
    return loadWorkspaceFromStream(in);
}

int CWorkspaceLoader::loadWorkspaceFromStream(QDataStream& in)
{
    RecordIO::PrepareStream(in);
    CDataManager* data = m_pHost ? m_pHost->GetDataManager() : nullptr;
    QString text;
    qint32 value = 0;
    while (!in.atEnd()) {
        quint16 tag = 0;
        in >> tag;
        if (in.status() != QDataStream::Ok)
            break;
        switch (tag) {
        case TagTestText:
        case TagComment:
            RecordIO::ReadString(in, text);
            break;
        case TagMagic:
            RecordIO::ReadString(in, text);
            if (text != QLatin1String(s_fileFormat))
                return WorkspaceNotWorkspace;
            break;
        case TagZeros1:
        case TagZeros2:
            in >> value >> value;
            break;
        case TagSaveDate:
        case TagSaveTime:
            in >> value >> value >> value;
            break;
        case TagDataFolder:
            // A broken folder or branch is passed over; reading goes on from where it stopped.
            if (data)
                data->LoadFolderFromFile(&in);
            break;
        case TagDataBranch:
            if (data)
                data->LoadBranchFromFile(&in);
            break;
        default: {
            bool handled = false;
            const int result = m_pHost ? m_pHost->LoadWindowRecord(tag, &in, &handled) : 0;
            if (!handled)
                in.skipRawData(1);
            else if (result != 0)
                return result;
            break;
        }
        }
    }
    return WorkspaceOk;
}
