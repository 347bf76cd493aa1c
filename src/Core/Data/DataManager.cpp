#include "Core/Data/DataManager.h"

#include <algorithm>

#include "Core/Base/Diagnostics.h"
#include "Core/Data/Globals.h"

#include <QCoreApplication>
#include <QMutexLocker>
#include <QPair>
#include <QSet>
#include <QVector>

CDataManager::CDataManager(CSetupInfo* setup) : m_pSetupInfo(setup) {}

CDataManager::~CDataManager()
{
    // The workspace is normally emptied before; release whatever is left.
    releaseAll();
    DropHeldBackData();
}

void CDataManager::releaseAll()
{
    const QVector<CDataFolder*> folders = m_Folders.TakeAll();
    m_HighestRunNumber = 0;
    m_VideoFolders = 0;
    {
        QMutexLocker lock(&m_FolderIndexMutex);
        m_FolderByKey.clear();
        m_FolderIndexedKey.clear();
    }
    clearBranchIndex();
    for (CDataBranch* branch : m_Branches.TakeAll())
        destroyBranch(branch);
    qDeleteAll(folders);
}

void CDataManager::destroyBranch(CDataBranch* branch)
{
    if (m_BranchDeleted)
        m_BranchDeleted(branch);
    delete branch;
}

int CDataManager::takeKey()
{
    return m_NextKey.fetch_add(1);
}

void CDataManager::keepKeysAbove(int largestKeySeen)
{
    if (largestKeySeen < 0)
        return;
    const int wanted = largestKeySeen + 1;   // keys are bounded by MaxDataKey, no overflow
    int current = m_NextKey.load();
    while (current < wanted && !m_NextKey.compare_exchange_weak(current, wanted)) {
    }
}

bool CDataManager::keyInUse(int key, const void* except) const
{
    // By the indexes alone, so that a load of n records costs n lookups, not n scans. Loaded
    // keys reach the indexes before the next record is read (addBranch, indexFolder).
    {
        QMutexLocker lock(&m_BranchIndexMutex);
        const CDataBranch* b = m_BranchByKey.value(key, nullptr);
        if (b && b != except && b->m_Key == key)
            return true;
    }
    QMutexLocker lock(&m_FolderIndexMutex);
    const CDataFolder* f = m_FolderByKey.value(key, nullptr);
    return f && f != except && f->m_Key == key;
}

void CDataManager::indexFolder(CDataFolder* folder)
{
    QMutexLocker lock(&m_FolderIndexMutex);
    // Should two folders ever share a key, the one indexed first keeps it.
    if (m_FolderByKey.contains(folder->m_Key))
        return;
    const auto old = m_FolderIndexedKey.constFind(folder);
    if (old != m_FolderIndexedKey.constEnd())
        m_FolderByKey.remove(old.value());
    m_FolderByKey.insert(folder->m_Key, folder);
    m_FolderIndexedKey.insert(folder, folder->m_Key);
}

CDataFolder* CDataManager::listNewFolder(const QString& name, bool videoAnalysis)
{
    auto* folder = new CDataFolder;
    folder->m_Key = takeKey();
    // Named and marked before it is listed, where other threads read.
    folder->m_Name = name;
    folder->m_bVideoAnalysis = videoAnalysis;
    if (videoAnalysis)
        ++m_VideoFolders;
    indexFolder(folder);
    m_Folders.Add(folder);
    return folder;
}

int CDataManager::nextRunNumber() const
{
    // Numbered by the count of runs, or past the highest run number where runs were deleted,
    // so that no two runs share a name.
    const int runs = m_Folders.GetSize() - m_VideoFolders.load();
    return std::max(runs + 1, m_HighestRunNumber.load() + 1);
}

QString CDataManager::runName(int number) const
{
    return QCoreApplication::translate("QObject", "Run", "Expriement Folder Name") + QStringLiteral(" %1").arg(number);
}

CDataFolder* CDataManager::CreateDataFolder()
{
    const int number = nextRunNumber();
    noteRunNumber(number);
    return listNewFolder(runName(number), false);
}

CDataFolder* CDataManager::CreateVideoAnalysisFolder(const QString& name)
{
    return listNewFolder(name, true);
}

int CDataManager::RunNumberOf(const QString& name)
{
    const QString stem = QCoreApplication::translate("QObject", "Run", "Expriement Folder Name") + QLatin1Char(' ');
    if (!name.startsWith(stem))
        return 0;
    bool ok = false;
    const int n = name.midRef(stem.size()).toInt(&ok, 10);
    return ok && n > 0 ? n : 0;
}

void CDataManager::noteRunNumber(int number)
{
    int current = m_HighestRunNumber.load();
    while (number > current && !m_HighestRunNumber.compare_exchange_weak(current, number)) {
    }
}

void CDataManager::NoteFolderName(const CDataFolder& folder)
{
    noteRunNumber(RunNumberOf(folder.m_Name));
}

void CDataManager::recountRunNumbers()
{
    int highest = 0;
    int videos = 0;
    // Read under the list's lock: no folder listed is freed meanwhile.
    m_Folders.FindIndex([&highest, &videos](const CDataFolder* folder) {
        if (folder) {
            highest = std::max(highest, RunNumberOf(folder->m_Name));
            videos += folder->m_bVideoAnalysis ? 1 : 0;
        }
        return false;
    });
    m_HighestRunNumber = highest;
    m_VideoFolders = videos;
}

void CDataManager::AddChildBranch(int childKey, int parentKey)
{
    if (CDataBranch* parent = GetDataBranch(parentKey))
        parent->m_ChildKeys.Add(childKey);
}

CDataBranch* CDataManager::GetDataBranch(int key) const
{
    QMutexLocker lock(&m_BranchIndexMutex);
    ++m_BranchLookups;
    CDataBranch* branch = m_BranchByKey.value(key, nullptr);
    if (branch && branch->m_Key == key)
        return branch;
    // Not indexed under this key, or its key was changed since (keys are public fields): the
    // list decides, and the index learns the answer.
    quint64 visited = 0;
    branch = m_Branches.FindFirst([key, &visited](CDataBranch* b) {
        ++visited;
        return b->m_Key == key;
    });
    m_BranchesScanned += visited;
    if (branch)
        indexBranchLocked(branch);
    return branch;
}

CDataBranch* CDataManager::indexedBranch(int key) const
{
    QMutexLocker lock(&m_BranchIndexMutex);
    ++m_BranchLookups;
    CDataBranch* branch = m_BranchByKey.value(key, nullptr);
    return branch && branch->m_Key == key ? branch : nullptr;
}

CDataFolder* CDataManager::indexedFolder(int key) const
{
    QMutexLocker lock(&m_FolderIndexMutex);
    CDataFolder* folder = m_FolderByKey.value(key, nullptr);
    return folder && folder->m_Key == key ? folder : nullptr;
}

quint64 CDataManager::BranchLookups() const
{
    QMutexLocker lock(&m_BranchIndexMutex);
    return m_BranchLookups;
}

quint64 CDataManager::BranchesScanned() const
{
    QMutexLocker lock(&m_BranchIndexMutex);
    return m_BranchesScanned;
}

void CDataManager::indexBranchLocked(CDataBranch* branch) const
{
    const auto old = m_IndexedKeyOf.constFind(branch);
    if (old != m_IndexedKeyOf.constEnd() && m_BranchByKey.value(old.value()) == branch)
        m_BranchByKey.remove(old.value());
    if (CDataBranch* other = m_BranchByKey.value(branch->m_Key, nullptr))
        m_IndexedKeyOf.remove(other);
    m_BranchByKey.insert(branch->m_Key, branch);
    m_IndexedKeyOf.insert(branch, branch->m_Key);
}

void CDataManager::addBranch(CDataBranch* branch)
{
    {
        QMutexLocker lock(&m_BranchIndexMutex);
        // Keys are unique among listed branches (new ones come from the counter, loaded ones
        // are refused when taken); should two ever meet, the first listed keeps the key.
        if (!m_BranchByKey.contains(branch->m_Key))
            indexBranchLocked(branch);
    }
    m_Branches.Add(branch);
}

void CDataManager::unlistBranch(CDataBranch* branch)
{
    QMutexLocker lock(&m_BranchIndexMutex);
    m_Branches.RemoveValue(branch);
    // Whatever key it was indexed under, the index must not keep a branch about to go.
    const auto it = m_IndexedKeyOf.constFind(branch);
    if (it != m_IndexedKeyOf.constEnd()) {
        if (m_BranchByKey.value(it.value()) == branch)
            m_BranchByKey.remove(it.value());
        m_IndexedKeyOf.remove(branch);
    }
}

void CDataManager::clearBranchIndex()
{
    QMutexLocker lock(&m_BranchIndexMutex);
    m_BranchByKey.clear();
    m_IndexedKeyOf.clear();
}

CDataFolder* CDataManager::GetDataFolder(int key) const
{
    {
        QMutexLocker lock(&m_FolderIndexMutex);
        CDataFolder* folder = m_FolderByKey.value(key, nullptr);
        if (folder && folder->m_Key == key)
            return folder;
    }
    // A key changed behind the index (keys are public fields): the list decides.
    return m_Folders.FindFirst([key](CDataFolder* f) { return f->m_Key == key; });
}

CDataFolder* CDataManager::GetDataFolderByIndex(int index) const
{
    return m_Folders.GetAt(index);
}

CDataBranch* CDataManager::GetDataBranchByIndex(int index) const
{
    return m_Branches.GetAt(index);
}

CDataFolder* CDataManager::GetLastDataFolder() const
{
    return m_Folders.Last();
}

CDataFolder* CDataManager::GetDataFolderByBranch(int key) const
{
    // The folder list lock is not held while a folder's own list is searched.
    const QVector<CDataFolder*> folders = m_Folders.Snapshot();
    for (CDataFolder* folder : folders)
        if (folder->m_BranchKeys.Contains(key))
            return folder;
    return nullptr;
}

CDataBranch* CDataManager::GetLastFolderDataBranch(int code) const
{
    CDataFolder* folder = GetLastDataFolder();
    if (!folder)
        return nullptr;
    const QVector<int> keys = folder->GetBranchKeys();
    for (int key : keys) {
        CDataBranch* branch = GetDataBranch(key);
        if (branch && branch->m_SensorIndex == code)
            return branch;
    }
    return nullptr;
}

CDataBranch* CDataManager::GetXManualBranch() const
{
    return GetLastFolderDataBranch(SensorIndexManualX);
}

int CDataManager::GetBranchPostion(int key) const
{
    return m_Branches.FindIndex([key](CDataBranch* b) { return b->m_Key == key; });
}

void CDataManager::GetAllBranchChildren(CDataBranch* branch, QList<int>& out) const
{
    if (!branch)
        return;
    // Depth first, each child before its own descendants. Walked with an explicit stack and a
    // visited set: keys come from files, and a cycle or a very long chain of child keys must
    // neither loop for ever nor exhaust the call stack.
    QSet<int> seen;
    seen.insert(branch->m_Key);
    QVector<QPair<QVector<int>, int>> stack;
    stack.append(qMakePair(branch->m_ChildKeys.Snapshot(), 0));
    while (!stack.isEmpty()) {
        const int pos = stack.last().second;
        if (pos >= stack.last().first.size()) {
            stack.removeLast();
            continue;
        }
        const int key = stack.last().first.at(pos);
        stack.last().second = pos + 1;
        if (seen.contains(key))
            continue;
        seen.insert(key);
        out.append(key);
        if (CDataBranch* child = GetDataBranch(key))
            stack.append(qMakePair(child->m_ChildKeys.Snapshot(), 0));
    }
}

void CDataManager::GetAllFolderAssociatedKeys(int folderKey, QList<int>& out) const
{
    CDataFolder* folder = GetDataFolder(folderKey);
    if (!folder)
        return;
    const QVector<int> keys = folder->GetBranchKeys();
    for (int key : keys) {
        out.append(key);
        GetAllBranchChildren(GetDataBranch(key), out);
    }
}

int CDataManager::GetLargestXIndexOnFolder(CDataFolder* folder) const
{
    if (!folder)
        return -1;
    const QVector<int> keys = folder->GetBranchKeys();
    if (keys.isEmpty())
        return -1;
    int largest = -1;
    for (int key : keys)
        if (CDataBranch* branch = GetDataBranch(key))
            largest = qMax(largest, branch->GetLastXSample());
    return largest;
}

void CDataManager::RemoveBranchFromFolderList(int folderKey, int key)
{
    if (folderKey < 0 || key < 0)
        return;
    if (CDataFolder* folder = GetDataFolder(folderKey))
        folder->m_BranchKeys.RemoveValue(key);
}

void CDataManager::RemoveBranchFromBranchList(int branchKey, int key)
{
    if (branchKey < 0 || key < 0)
        return;
    if (CDataBranch* branch = GetDataBranch(branchKey)) {
        branch->m_ChildKeys.RemoveValue(key);
        branch->m_DerivedKeys.RemoveValue(key);
    }
}

void CDataManager::RemoveBranchFromDataList(int key)
{
    if (CDataBranch* branch = GetDataBranch(key))
        unlistBranch(branch);
}

void CDataManager::DeleteDataBranch(int key)
{
    CDataBranch* branch = GetDataBranch(key);
    if (!branch)
        return;
    QList<int> keys;
    GetAllBranchChildren(branch, keys);
    keys.append(key);
    for (int k : qAsConst(keys)) {
        CDataBranch* victim = GetDataBranch(k);
        if (!victim)
            continue;
        const int owner = victim->m_OwnerKey;
        if (k >= 0 && owner >= 0) {
            RemoveBranchFromFolderList(owner, k);
            RemoveBranchFromBranchList(owner, k);
        }
        const int parent = victim->m_ParentKey;
        if (k >= 0 && parent >= 0)
            RemoveBranchFromBranchList(parent, k);
        unlistBranch(victim);
        destroyBranch(victim);
    }
}

void CDataManager::DeleteDataFolder(int key)
{
    CDataFolder* folder = GetDataFolder(key);
    if (!folder)
        return;
    while (!folder->m_BranchKeys.IsEmpty()) {
        const int first = folder->m_BranchKeys.First();
        if (GetDataBranch(first))
            DeleteDataBranch(first);
        // A branch whose owner key names another folder (a damaged file) does not take its
        // key out of this folder; remove it here or the loop would never end.
        folder->m_BranchKeys.RemoveValue(first);
    }
    m_Folders.RemoveValue(folder);
    if (folder->m_bVideoAnalysis)
        --m_VideoFolders;
    if (RunNumberOf(folder->m_Name) >= m_HighestRunNumber.load())
        recountRunNumbers();
    {
        QMutexLocker lock(&m_FolderIndexMutex);
        const auto it = m_FolderIndexedKey.constFind(folder);
        if (it != m_FolderIndexedKey.constEnd()) {
            m_FolderByKey.remove(it.value());
            m_FolderIndexedKey.remove(folder);
        }
    }
    delete folder;
}

void CDataManager::ClearAllData()
{
    // Everything goes at once: deleting run by run would shift the lists once per run. Branches
    // that no folder lists (a damaged file) go too, or they would later share a key with a new
    // branch once the counter restarts.
    releaseAll();
    m_TimingSampleCount = 0;
    m_NextKey = 0;
}
