#include "workspace/WorkspaceLoader.h"

#include "workspace/WorkspaceFormat.h"
#include "workspace/WorkspaceHost.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/RecordIO.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <functional>

namespace {

// The file as the data stream reads it, reporting the bytes read as it goes. A report answered
// with false fails every further read, so whichever record is being read stops where it stands.
// Large reads (the values of a long series) are sliced so reports keep coming during them.
// The size is the file's when the load began, asked once: the readers check every text and
// array against the bytes left, and a file asked each time costs a system call per check. A
// file cut shorter meanwhile still ends in short reads, which the readers take as a cut record.
class CProgressDevice : public QIODevice
{
public:
    CProgressDevice(QIODevice& source, std::function<bool(qint64, qint64)> progress)
        : m_Source(source), m_Size(source.size()), m_Progress(std::move(progress))
    {
    }
    bool isSequential() const override { return false; }
    qint64 size() const override { return m_Size; }
    // Reading only goes forward; nothing here seeks.
    bool seek(qint64 position) override { return position == pos(); }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        constexpr qint64 Slice = 4 << 20;
        qint64 done = 0;
        while (done < maxSize) {
            if (!m_Progress(m_Source.pos(), m_Size))
                return -1;
            const qint64 n = m_Source.read(data + done, std::min(Slice, maxSize - done));
            if (n <= 0)
                break;
            done += n;
        }
        return done;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QIODevice& m_Source;
    const qint64 m_Size;
    std::function<bool(qint64, qint64)> m_Progress;
};

} // namespace

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
    m_bAborted = false;
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
        // The import has told the user why it refused the file.
        if (result == WorkspaceCancelled)
            result = WorkspaceRefused;
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

bool CWorkspaceLoader::reportProgress(qint64 done, qint64 total)
{
    if (!m_bAborted && m_pHost && !m_pHost->LoadProgress(done, total))
        m_bAborted = true;
    return !m_bAborted;
}

int CWorkspaceLoader::loadWorkspaceFromKvbFile(QFile& file)
{
    m_bAborted = false;
    CProgressDevice device(file, [this](qint64 done, qint64 total) { return reportProgress(done, total); });
    if (!device.open(QIODevice::ReadOnly))
        return WorkspaceOpenFailed;
    QDataStream in(&device);
    const int result = loadWorkspaceFromStream(in);
    return m_bAborted ? int(WorkspaceAborted) : result;
}

int CWorkspaceLoader::loadWorkspaceFromStream(QDataStream& in)
{
    RecordIO::PrepareStream(in);
    CDataManager* data = m_pHost ? m_pHost->GetDataManager() : nullptr;
    QString text;
    qint32 value = 0;
    // A file that holds neither the magic text nor any record is no workspace (an empty file
    // among them).
    bool recognised = false;
    while (!in.atEnd()) {
        quint16 tag = 0;
        in >> tag;
        if (in.status() != QDataStream::Ok)
            return WorkspaceTruncated;
        int result = WorkspaceOk;
        switch (tag) {
        case TagTestText:
        case TagComment:
            RecordIO::ReadString(in, text);
            break;
        case TagMagic:
            if (RecordIO::ReadString(in, text) && text != QLatin1String(s_fileFormat))
                return WorkspaceNotWorkspace;
            recognised = true;
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
            result = data ? data->LoadFolderFromFile(&in) : int(WorkspaceUnreadable);
            recognised = true;
            break;
        case TagDataBranch:
            result = data ? data->LoadBranchFromFile(&in) : int(WorkspaceUnreadable);
            recognised = true;
            break;
        default: {
            // A tag no record begins with: the stream is not where a record starts, so what
            // follows cannot be told apart from damage.
            bool handled = false;
            result = m_pHost ? m_pHost->LoadWindowRecord(tag, &in, &handled) : 0;
            if (!handled)
                return WorkspaceUnreadable;
            recognised = true;
            break;
        }
        }
        // A record that could not be read ends the load: reading on from wherever it stopped
        // would take values for tags. Its own code says only how it broke: the file is cut
        // short, or damaged.
        if (result != WorkspaceOk)
            return result == RecordTruncated ? WorkspaceTruncated : WorkspaceUnreadable;
        if (in.status() != QDataStream::Ok)
            return WorkspaceTruncated;
    }
    if (!recognised)
        return WorkspaceUnreadable;
    // Folders are written before branches: a file cut between two records still names, in its
    // folders, the branches it lost.
    for (int i = 0; data && i < data->GetNumDataFolders(); ++i) {
        for (int key : data->GetDataFolderByIndex(i)->GetBranchKeys())
            if (!data->GetDataBranch(key))
                return WorkspaceTruncated;
    }
    return WorkspaceOk;
}
