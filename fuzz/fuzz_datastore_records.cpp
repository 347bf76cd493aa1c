// Folder and branch workspace records read from arbitrary bytes. The first byte picks the
// reader (folder, branch, or a stream of tagged records through the data manager); the rest is
// the stream. Every outcome is acceptable except a crash, a hang or a runaway allocation.
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/RecordIO.h"

#include <QByteArray>
#include <QDataStream>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 1 << 20)
        return 0;
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data + 1), int(size - 1));
    QDataStream in(bytes);
    switch (data[0] % 3) {
    case 0: {
        CDataFolder folder;
        int largest = -1;
        folder.LoadFromFile(&in, 0, &largest);
        folder.GetSampleFromVideoFrame(int(size));
        break;
    }
    case 1: {
        CDataBranch branch;
        int largest = -1;
        if (branch.LoadFromFile(&in, 0, &largest) == RecordOk) {
            QByteArray again;
            QDataStream out(&again, QIODevice::WriteOnly);
            branch.SaveToFile(&out);
        }
        break;
    }
    default: {
        // What the workspace reader does, then the operations a user reaches on the result.
        CDataManager dm;
        qint16 tag = 0;
        for (int records = 0; records < 64 && RecordIO::ReadTag(in, tag); ++records) {
            if (tag == RecordIO::TagFolder)
                dm.LoadFolderFromFile(&in);
            else if (tag == RecordIO::TagBranch)
                dm.LoadBranchFromFile(&in);
        }
        if (CDataFolder* first = dm.GetDataFolderByIndex(0)) {
            QList<int> keys;
            dm.GetAllFolderAssociatedKeys(first->m_Key, keys);
            dm.GetLargestXIndexOnFolder(first);
        }
        if (CDataBranch* branch = dm.GetDataBranch(dm.GetNextKey() - 1))
            dm.DeleteDataBranch(branch->m_Key);
        dm.ClearAllData();
        break;
    }
    }
    return 0;
}
