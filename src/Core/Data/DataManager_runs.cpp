// Which run a series belongs to, and the series of a run that holds a given quantity: a series is
// only ever drawn or tabled against the X values (manual X values, another measurement) of its
// own run, never against another run's.
#include "Core/Data/DataManager.h"

#include "Core/Data/Globals.h"

#include <climits>

namespace {
// Owner keys are followed at most this far: a derived series of a derived series of ... is
// never this deep, while a cycle of keys read from a damaged file must end.
constexpr int s_MaxOwnerDepth = 64;
} // namespace

CDataFolder* CDataManager::GetRunOfBranch(int key) const
{
    const CDataBranch* branch = GetDataBranch(key);
    for (int depth = 0; branch && depth < s_MaxOwnerDepth; ++depth) {
        // A run's own series is owned by the run; a computed one by the series it came from.
        if (CDataFolder* folder = GetDataFolder(branch->m_OwnerKey))
            return folder;
        branch = GetDataBranch(branch->m_OwnerKey);
    }
    // Series read from older files may name no owner; the run that lists them is theirs.
    return GetDataFolderByBranch(key);
}

CDataBranch* CDataManager::GetRunBranchByCode(int folderKey, int code) const
{
    const CDataFolder* folder = GetDataFolder(folderKey);
    if (!folder)
        return nullptr;
    for (int key : folder->GetBranchKeys()) {
        CDataBranch* branch = GetDataBranch(key);
        if (branch && branch->m_SensorIndex == code)
            return branch;
    }
    return nullptr;
}

bool CDataManager::IsSampledByHand(int key) const
{
    const CDataFolder* run = GetRunOfBranch(key);
    return run && (run->m_bSampledByHand || GetRunBranchByCode(run->m_Key, SensorIndexManualX));
}

bool CDataManager::loadedSampledByHand(const CDataBranch* branch) const
{
    // IsSampledByHand by the indexes alone, as keyInUse asks: the records read so far are all
    // indexed, while the series of the run still to come are in no list, and a scan of the list
    // for each of them would make a load of n runs cost n * n visits.
    const CDataFolder* run = nullptr;
    const CDataBranch* b = branch;
    for (int depth = 0; b && !run && depth < s_MaxOwnerDepth; ++depth) {
        run = indexedFolder(b->m_OwnerKey);
        b = run ? nullptr : indexedBranch(b->m_OwnerKey);
    }
    if (!run)
        run = GetDataFolderByBranch(branch->m_Key);
    if (!run)
        return false;
    if (run->m_bSampledByHand)
        return true;
    for (int key : run->GetBranchKeys()) {
        const CDataBranch* sibling = indexedBranch(key);
        if (sibling && sibling->m_SensorIndex == SensorIndexManualX)
            return true;
    }
    return false;
}

int CDataManager::NextFolderNumber(const QString& prefix) const
{
    int highest = 0;
    // The names are read under the list's lock: a folder deleted meanwhile on another thread
    // leaves the list before it is freed.
    m_Folders.FindIndex([&](const CDataFolder* folder) {
        if (folder && folder->m_Name.startsWith(prefix)) {
            bool ok = false;
            const int n = folder->m_Name.midRef(prefix.size()).toInt(&ok, 10);
            if (ok && n > highest)
                highest = n;
        }
        return false;
    });
    return highest < INT_MAX ? highest + 1 : highest;
}

bool CDataManager::SameQuantity(const CDataBranch& a, const CDataBranch& b)
{
    // The same sensor measurement (or the same kind of special series) under the same name and
    // unit: "Mass" in g typed for one run is the quantity "Mass" in g typed for another.
    return a.m_SensorIndex == b.m_SensorIndex && a.m_Measurement == b.m_Measurement && a.m_Name == b.m_Name
        && a.m_Unit == b.m_Unit;
}

CDataBranch* CDataManager::GetRunCounterpart(int folderKey, int likeKey) const
{
    CDataBranch* like = GetDataBranch(likeKey);
    if (!like || folderKey < 0)
        return nullptr;
    const CDataFolder* ownRun = GetRunOfBranch(likeKey);
    if (ownRun && ownRun->m_Key == folderKey)
        return like;
    // Only the run's own series and those computed from them can belong to it: they are looked
    // at, not every series of the workspace, so that finding the counterparts of thousands of
    // runs costs the runs' sizes, not the workspace's size for each run.
    CDataBranch* found = nullptr;
    QList<int> keys;
    GetAllFolderAssociatedKeys(folderKey, keys);
    for (int key : qAsConst(keys)) {
        CDataBranch* branch = GetDataBranch(key);
        if (!branch || branch == like || !SameQuantity(*branch, *like))
            continue;
        const CDataFolder* run = GetRunOfBranch(branch->m_Key);
        if (!run || run->m_Key != folderKey)
            continue;
        // Two sensors of one kind in a run: the one on the same channel stands for it.
        if (branch->m_Channel == like->m_Channel)
            return branch;
        if (!found)
            found = branch;
    }
    return found;
}

CDataBranch* CDataManager::GetOwnXBranch(int branchKey, int xKey) const
{
    const CDataFolder* run = GetRunOfBranch(branchKey);
    if (!run)
        return GetDataBranch(xKey);   // a series of no run has no other X to take
    return GetRunCounterpart(run->m_Key, xKey);
}
