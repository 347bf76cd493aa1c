// Finding branches by key through the data store's index, and the blocked raw work list.
#include "common/TestMain.h"

#include <vector>

#include "Core/Data/DataManager.h"
#include "Core/Data/SafeSampleList.h"
#include "Core/Data/SampleStore.h"

class TestBranchIndex : public QObject
{
    Q_OBJECT
private slots:
    void keysFoundAfterChangesDeletionsAndClears()
    {
        CDataManager dm;
        CDataFolder* folder = dm.CreateDataFolder();
        const int a = dm.CreateDataBranch(1, 0.1, 0, 0, folder->m_Key);
        const int b = dm.CreateDataBranch(1, 0.1, 1, 0, folder->m_Key);
        CDataBranch* first = dm.GetDataBranch(a);
        QVERIFY(first && first->m_Key == a);
        // A key changed after listing: found under the new key, no longer under the old.
        first->m_Key = 500;
        QCOMPARE(dm.GetDataBranch(500), first);
        QVERIFY(!dm.GetDataBranch(a));
        QCOMPARE(dm.GetDataBranch(b)->m_Key, b);
        // A deleted branch is gone from the index too.
        dm.DeleteDataBranch(500);
        QVERIFY(!dm.GetDataBranch(500));
        // After a clear the counter starts again: the new branch with an old key is the one found.
        dm.ClearAllData();
        QVERIFY(!dm.GetDataBranch(b));
        CDataFolder* again = dm.CreateDataFolder();
        const int fresh = dm.CreateDataBranch(2, 0.1, 0, 0, again->m_Key);
        QCOMPARE(dm.GetDataBranch(fresh)->m_SensorIndex, 2);
    }

    void duplicateKeysResolveToTheFirstListed()
    {
        CDataManager dm;
        CDataFolder* folder = dm.CreateDataFolder();
        const int a = dm.CreateDataBranch(1, 0.1, 0, 0, folder->m_Key);
        const int b = dm.CreateDataBranch(2, 0.1, 1, 0, folder->m_Key);
        dm.GetDataBranch(b)->m_Key = a;  // as a damaged file could make them
        CDataBranch* firstListed = dm.GetDataBranch(a);
        QCOMPARE(firstListed->m_SensorIndex, 1);
        dm.RemoveBranchFromDataList(a);  // takes the first listed out of the list, not deleted
        delete firstListed;
        CDataBranch* left = dm.GetDataBranch(a);
        QVERIFY(left);
        QCOMPARE(left->m_SensorIndex, 2);
        QCOMPARE(dm.GetNumDataBranches(), 1);
    }

    void foldersFoundByKeyAfterLoadAndDelete()
    {
        CDataManager dm;
        CDataFolder* made = dm.CreateDataFolder();
        QDataStream in(QByteArray::fromHex("02bd00000028000b"));   // a folder record of key 40
        QCOMPARE(dm.LoadFolderFromFile(&in), 0);
        QCOMPARE(dm.GetDataFolder(40), dm.GetDataFolderByIndex(1));
        QVERIFY(!dm.GetDataFolder(1));   // the key it was made with is not kept for it
        dm.DeleteDataFolder(40);
        QVERIFY(!dm.GetDataFolder(40));
        QCOMPARE(dm.GetDataFolder(made->m_Key), made);
    }

    void workListKeepsValuesAcrossBlocks()
    {
        CSafeSampleList list;
        const int n = CSampleStore::BlockSize + 1000;
        std::vector<double> values(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i)
            values[size_t(i)] = i * 0.5;
        QCOMPARE(list.AddRange(values.data(), 700), 700);
        QCOMPARE(list.AddRange(values.data() + 700, n - 700), n - 700);
        QCOMPARE(list.GetSize(), n);
        for (int i : {0, 699, 700, CSampleStore::BlockSize - 1, CSampleStore::BlockSize, n - 1})
            QCOMPARE(list.GetAt(i), i * 0.5);
        QCOMPARE(list.GetAt(-1), 0.0);
        QCOMPARE(list.GetAt(n), 0.0);
        QCOMPARE(list.AddRange(nullptr, 5), 0);
        // Halves are exact in single precision: 4 bytes a value.
        QVERIFY(list.BytesReserved() >= size_t(n) * sizeof(float));
        QVERIFY(list.BytesReserved() < size_t(n) * sizeof(double));
        list.Clear();
        QCOMPARE(list.GetSize(), 0);
    }
};

KORVANTA_TEST_GUILESS_MAIN(TestBranchIndex)
#include "tst_branch_index.moc"
