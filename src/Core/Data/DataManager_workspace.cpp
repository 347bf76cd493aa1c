// Writing and reading the folders and branches of a workspace file.
#include "Core/Data/DataManager.h"

#include "Core/Base/Diagnostics.h"
#include "Core/Data/RecordIO.h"

#include <QDataStream>

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
    CDataFolder* folder = CreateDataFolder();
    const int ownKey = folder->m_Key;
    int largest = -1;
    int result = folder->LoadFromFile(stream, 0, &largest);
    // A key shared with another folder or branch would make lookups and deletes hit the wrong
    // object; the folder keeps the fresh key it was created with instead.
    if (folder->m_Key != ownKey && keyInUse(folder->m_Key, folder)) {
        folder->m_Key = ownKey;
        if (result == RecordOk)
            result = RecordCorrupt;
    }
    indexFolder(folder);
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
    return RecordOk;
}
