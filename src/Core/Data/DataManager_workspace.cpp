// Writing and reading the folders and branches of a workspace file, and the workspace set aside
// while a file is read.
#include "Core/Data/DataManager.h"

#include "Core/Base/Diagnostics.h"
#include "Core/Base/GlobalTable.h"
#include "Core/Data/RecordIO.h"

#include <QDataStream>
#include <QMutexLocker>

#include <utility>

int CDataManager::SaveAllBranchesAndFoldersToFile(QDataStream* stream)
{
    MyOutputDebugString("SaveAllBranchesAndFoldersToFile", DiagDataManager);
    if (!stream)
        return RecordWriteFailed;
    RecordIO::PrepareStream(*stream);
    const QVector<CDataFolder*> folders = m_Folders.Snapshot();
    for (CDataFolder* folder : folders) {
        *stream << qint16(RecordIO::TagFolder);
        const int result = folder->SaveToFile(stream);
        if (result != RecordOk)
            return result;
    }
    const QVector<CDataBranch*> branches = m_Branches.Snapshot();
    for (CDataBranch* branch : branches) {
        *stream << qint16(RecordIO::TagBranch);
        const int result = branch->SaveToFile(stream);
        if (result != RecordOk)
            return result;
    }
    return RecordOk;
}

int CDataManager::LoadFolderFromFile(QDataStream* stream)
{
    // Its default name is a stand-in until the record names it: no run number is taken for
    // it, since the record may well be a video track's.
    CDataFolder* folder = listNewFolder(runName(nextRunNumber()), false);
    const int ownKey = folder->m_Key;
    int largest = -1;
    int result = folder->LoadFromFile(stream, 0, &largest, &m_FolderReadHooks);
    // A key shared with another folder or branch would make lookups and deletes hit the wrong
    // object; the folder keeps the fresh key it was created with instead.
    if (folder->m_Key != ownKey && keyInUse(folder->m_Key, folder)) {
        folder->m_Key = ownKey;
        if (result == RecordOk)
            result = RecordCorrupt;
    }
    indexFolder(folder);
    if (folder->m_bVideoAnalysis)
        ++m_VideoFolders;
    NoteFolderName(*folder);
    // The counter ends above every key the record named, not just the folder's own key.
    keepKeysAbove(qMax(largest, folder->m_Key));
    return result;
}

int CDataManager::LoadBranchFromFile(QDataStream* stream)
{
    auto* branch = new CDataBranch;
    int largest = -1;
    int result = branch->LoadFromFile(stream, 0, &largest);
    keepKeysAbove(largest);
    if (result == RecordOk && (branch->m_Key < 0 || keyInUse(branch->m_Key, nullptr)))
        result = RecordCorrupt;
    if (result != RecordOk) {
        delete branch;
        return result;
    }
    addBranch(branch);
    // No file keeps a series' rate code (what an upload reports): it is the rate of the stored
    // period, or none where the run's record says it was sampled by hand.
    branch->m_RateCode = loadedSampledByHand(branch) ? 0 : CGlobalTable::RateOfPeriod(branch->m_Interval);
    return RecordOk;
}

void CDataManager::HoldBackAllData()
{
    if (m_HeldBack.held) {
        ClearAllData();
        return;
    }
    m_HeldBack.held = true;
    m_HeldBack.folders = m_Folders.TakeAll();
    m_HeldBack.branches = m_Branches.TakeAll();
    {
        QMutexLocker lock(&m_FolderIndexMutex);
        m_FolderByKey.clear();
        m_FolderIndexedKey.clear();
    }
    clearBranchIndex();
    m_HeldBack.nextKey = m_NextKey.exchange(0);
    m_HighestRunNumber = 0;
    m_VideoFolders = 0;
    m_HeldBack.timingSampleCount = m_TimingSampleCount;
    m_TimingSampleCount = 0;
}

void CDataManager::RestoreHeldBackData()
{
    if (!m_HeldBack.held)
        return;
    releaseAll();
    HeldBackData held;
    std::swap(held, m_HeldBack);
    // In their old order, so that of two runs sharing a key (a damaged file) the same one
    // answers lookups as before.
    for (CDataFolder* folder : held.folders) {
        indexFolder(folder);
        m_Folders.Add(folder);
    }
    for (CDataBranch* branch : held.branches)
        addBranch(branch);
    m_NextKey = held.nextKey;
    m_TimingSampleCount = held.timingSampleCount;
    recountRunNumbers();
}

void CDataManager::DropHeldBackData()
{
    HeldBackData held;
    std::swap(held, m_HeldBack);
    for (CDataBranch* branch : held.branches)
        destroyBranch(branch);
    qDeleteAll(held.folders);
}
