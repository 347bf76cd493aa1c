// The data manager: keys from one counter, lookups, cascade deletes, clearing and the
// workspace part with the key counter after loading.
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"
#include "Core/Data/RecordIO.h"
#include "Core/Data/SensorInfo.h"
#include "Core/Data/SetupInfo.h"

#include <QDataStream>
#include "common/TestMain.h"

namespace {

QByteArray saveAll(CDataManager& dm)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    dm.SaveAllBranchesAndFoldersToFile(&out);
    return bytes;
}

// Reads records the way the workspace reader does: tag 10 -> folder, tag 12 -> branch.
QList<int> loadAll(CDataManager& dm, const QByteArray& bytes)
{
    QList<int> results;
    QDataStream in(bytes);
    qint16 tag = 0;
    while (RecordIO::ReadTag(in, tag)) {
        if (tag == RecordIO::TagFolder)
            results << dm.LoadFolderFromFile(&in);
        else if (tag == RecordIO::TagBranch)
            results << dm.LoadBranchFromFile(&in);
        else
            break;
    }
    return results;
}

// A run folder with one branch, and a tree below the branch: A -> B, C; B -> D.
struct Tree
{
    int folder, a, b, c, d;
};

Tree makeTree(CDataManager& dm)
{
    Tree t;
    CDataFolder* f = dm.CreateDataFolder();
    t.folder = f->m_Key;
    t.a = dm.CreateDataBranch(-1, 1.0, 0, 0, t.folder);
    f->AddBranchKey(t.a);
    t.b = dm.CreateDataBranch(SensorIndexDerivedFunction, 1.0, -1, -1, t.a);
    dm.AddChildBranch(t.b, t.a);
    dm.GetDataBranch(t.b)->m_ParentKey = t.a;
    dm.GetDataBranch(t.a)->m_DerivedKeys.Add(t.b);
    t.c = dm.CreateDataBranch(-1, 1.0, -1, -1, t.a);
    dm.AddChildBranch(t.c, t.a);
    t.d = dm.CreateDataBranch(-1, 1.0, -1, -1, t.b);
    dm.AddChildBranch(t.d, t.b);
    return t;
}

} // namespace

class TestDatastoreManager : public QObject
{
    Q_OBJECT
private slots:
    void foldersAndBranchesShareOneCounter()
    {
        CDataManager dm;
        CDataFolder* run1 = dm.CreateDataFolder();
        QCOMPARE(run1->m_Key, 0);
        QCOMPARE(run1->m_Name, QStringLiteral("Run 1"));
        QCOMPARE(dm.CreateDataBranch(-1, 0.1, 0, 0, run1->m_Key), 1);
        CDataFolder* run2 = dm.CreateDataFolder();
        QCOMPARE(run2->m_Key, 2);
        QCOMPARE(run2->m_Name, QStringLiteral("Run 2"));
        // Named by the number of folders, not by the key, or past the highest ("Run 2" is taken).
        dm.DeleteDataFolder(run1->m_Key);
        QCOMPARE(dm.CreateDataFolder()->m_Name, QStringLiteral("Run 3"));
        QCOMPARE(dm.GetNextKey(), 4);
    }

    void newBranchesTakeTheirNamesFromTheCatalogue()
    {
        CSensorInfo catalogue;
        catalogue.LoadSensorInfo();
        CSetupInfo setup;
        setup.m_RateCode = 7;
        setup.m_ISEId[2] = 5001;
        CDataManager dm(&setup);
        dm.SetSensorCatalogue(&catalogue);
        const int colourBefore = globalColorIndex;
        const int key = dm.CreateDataBranch(4, 0.25, 1, 0, 9);
        CDataBranch* b = dm.GetDataBranch(key);
        const CSensorMeasuremntInfo* m = catalogue.GetMeasurementInfo(4, 0);
        QCOMPARE(b->m_Name, m->m_Name);
        QCOMPARE(b->m_UnitPrefix, m->m_UnitPrefix);
        QCOMPARE(b->m_Unit, GetUnitPrefix(m->m_UnitPrefix) + m->m_Unit);
        QCOMPARE(b->m_RateCode, 7);
        QCOMPARE(b->m_Interval, 0.25);
        QCOMPARE(b->m_Channel, 1);
        QCOMPARE(b->m_OwnerKey, 9);
        QCOMPARE(b->m_Color, GetColorAtIndex(colourBefore));
        // An electrode input is named after the electrode chosen for its channel.
        CDataBranch* ise = dm.GetDataBranch(dm.CreateDataBranch(130, 1.0, 2, 0, 9));
        QCOMPARE(ise->m_Name, catalogue.getISEName(5001));
        // Special codes name nothing.
        CDataBranch* fn = dm.GetDataBranch(dm.CreateDataBranch(SensorIndexOnlineFunction, 1.0, -1, -1, 9));
        QVERIFY(fn->m_Name.isEmpty());
        QCOMPARE(fn->m_UnitPrefix, short(0));
    }

    void lookupsReturnNullOrMinusOneForMissingKeys()
    {
        CDataManager dm;
        QVERIFY(!dm.GetDataBranch(0));
        QVERIFY(!dm.GetDataFolder(0));
        QVERIFY(!dm.GetLastDataFolder());
        QVERIFY(!dm.GetXManualBranch());
        QCOMPARE(dm.GetBranchPostion(3), -1);
        QCOMPARE(dm.GetLargestXIndexOnFolder(nullptr), -1);
        CDataFolder* f = dm.CreateDataFolder();
        QCOMPARE(dm.GetLargestXIndexOnFolder(f), -1);
        QVERIFY(!dm.GetDataFolderByIndex(-1));
        QVERIFY(!dm.GetDataFolderByIndex(1));
        QCOMPARE(dm.GetDataFolderByIndex(0), f);
        QVERIFY(!dm.GetXManualBranch());
        dm.AddChildBranch(5, 77);   // missing parent: nothing
        dm.DeleteDataBranch(77);
        dm.DeleteDataFolder(77);
        QCOMPARE(dm.GetNumDataFolders(), 1);
    }

    void lastFolderLookups()
    {
        CDataManager dm;
        CDataFolder* f = dm.CreateDataFolder();
        const int k1 = dm.CreateDataBranch(-1, 1.0, 0, 0, f->m_Key);
        const int k2 = dm.CreateDataBranch(-1, 1.0, 0, 1, f->m_Key);
        f->AddBranchKey(k1);
        f->AddBranchKey(k2);
        dm.GetDataBranch(k2)->m_SensorIndex = SensorIndexManualX;
        dm.GetDataBranch(k1)->AddSample(12.9, 0.0);
        dm.GetDataBranch(k2)->AddSample(3.0, 0.0);
        QCOMPARE(dm.GetXManualBranch(), dm.GetDataBranch(k2));
        QCOMPARE(dm.GetDataFolderByBranch(k2), f);
        QVERIFY(!dm.GetDataFolderByBranch(99));
        QCOMPARE(dm.GetBranchPostion(k2), 1);
        QCOMPARE(dm.GetLargestXIndexOnFolder(f), 12);
    }

    void descendantsAreCollectedDepthFirst()
    {
        CDataManager dm;
        const Tree t = makeTree(dm);
        QList<int> keys;
        dm.GetAllBranchChildren(dm.GetDataBranch(t.a), keys);
        QCOMPARE(keys, QList<int>({t.b, t.d, t.c}));
        QList<int> all;
        dm.GetAllFolderAssociatedKeys(t.folder, all);
        QCOMPARE(all, QList<int>({t.a, t.b, t.d, t.c}));
    }

    void deletingABranchDeletesItsDescendantsAndUnhooksThem()
    {
        CDataManager dm;
        const Tree t = makeTree(dm);
        const int other = dm.CreateDataBranch(-1, 1.0, 0, 1, t.folder);
        dm.GetDataFolder(t.folder)->AddBranchKey(other);
        dm.DeleteDataBranch(t.b);   // B and D go; A keeps C
        QVERIFY(!dm.GetDataBranch(t.b));
        QVERIFY(!dm.GetDataBranch(t.d));
        QCOMPARE(dm.GetDataBranch(t.a)->m_ChildKeys.Snapshot(), QVector<int>({t.c}));
        QVERIFY(dm.GetDataBranch(t.a)->m_DerivedKeys.IsEmpty());
        dm.DeleteDataBranch(t.a);
        QCOMPARE(dm.GetNumDataBranches(), 1);
        QCOMPARE(dm.GetDataFolder(t.folder)->GetBranchKeys(), QVector<int>({other}));
    }

    void deletingTheRootOfFourDeletesFour()
    {
        CDataManager dm;
        const Tree t = makeTree(dm);
        QCOMPARE(dm.GetNumDataBranches(), 4);
        dm.DeleteDataBranch(t.a);
        QCOMPARE(dm.GetNumDataBranches(), 0);
        QCOMPARE(dm.GetDataFolder(t.folder)->GetNumberBranches(), 0);
    }

    void everyDestroyedBranchIsAnnounced()
    {
        QList<const CDataBranch*> gone;
        {
            CDataManager dm;
            dm.SetBranchDeletedCallback([&gone](const CDataBranch* b) { gone << b; });
            const Tree t = makeTree(dm);
            CDataBranch* d = dm.GetDataBranch(t.d);
            dm.DeleteDataBranch(t.b);
            QCOMPARE(gone.size(), 2);
            QCOMPARE(gone.first(), d);   // descendants before the branch itself
            dm.CreateDataBranch(-1, 1.0, 0, 0, -1);
            dm.ClearAllData();
            QCOMPARE(gone.size(), 5);
            dm.CreateDataBranch(-1, 1.0, 0, 0, -1);
        }
        QCOMPARE(gone.size(), 6);   // the destructor releases the last one
    }

    void cyclicChildKeysEndTheWalk()
    {
        CDataManager dm;
        const int a = dm.CreateDataBranch(-1, 1.0, 0, 0, -1);
        const int b = dm.CreateDataBranch(-1, 1.0, 0, 0, -1);
        dm.AddChildBranch(b, a);
        dm.AddChildBranch(a, b);
        dm.AddChildBranch(a, a);
        QList<int> keys;
        dm.GetAllBranchChildren(dm.GetDataBranch(a), keys);
        QCOMPARE(keys, QList<int>({b}));
        dm.DeleteDataBranch(a);
        QCOMPARE(dm.GetNumDataBranches(), 0);
    }

    void aFolderWhoseBranchNamesAnotherOwnerIsStillDeleted()
    {
        CDataManager dm;
        CDataFolder* f = dm.CreateDataFolder();
        const int k = dm.CreateDataBranch(-1, 1.0, 0, 0, 55);   // owner names nothing
        f->AddBranchKey(k);
        f->AddBranchKey(123);   // names no branch
        dm.DeleteDataFolder(f->m_Key);
        QCOMPARE(dm.GetNumDataFolders(), 0);
        QCOMPARE(dm.GetNumDataBranches(), 0);
    }

    void clearingEmptiesEverythingAndRestartsTheKeys()
    {
        CDataManager dm;
        makeTree(dm);
        dm.CreateDataBranch(-1, 1.0, 0, 0, -1);   // in no folder
        dm.m_TimingSampleCount = 5;
        dm.ClearAllData();
        QCOMPARE(dm.GetNumDataFolders(), 0);
        QCOMPARE(dm.GetNumDataBranches(), 0);
        QCOMPARE(dm.m_TimingSampleCount, short(0));
        QCOMPARE(dm.GetNextKey(), 0);
        QCOMPARE(dm.CreateDataFolder()->m_Key, 0);
    }

    void saveAndLoadRoundTrip()
    {
        CDataManager dm;
        const Tree t = makeTree(dm);
        dm.GetDataBranch(t.a)->AddSample(0.0, 4.5);
        dm.GetDataBranch(t.a)->AddSample(1.0, 5.5);
        const QByteArray bytes = saveAll(dm);
        // All folders first, then all branches.
        QCOMPARE(bytes.left(2), QByteArray::fromHex("000A"));
        CDataManager back;
        QCOMPARE(loadAll(back, bytes), QList<int>({0, 0, 0, 0, 0}));
        QCOMPARE(back.GetNumDataFolders(), 1);
        QCOMPARE(back.GetNumDataBranches(), 4);
        QCOMPARE(back.GetDataBranch(t.a)->GetYSnapshot(), QVector<double>({4.5, 5.5}));
        QCOMPARE(back.GetDataFolder(t.folder)->GetBranchKeys(), QVector<int>({t.a}));
        QCOMPARE(back.GetNextKey(), t.d + 1);
        // A second save of the loaded store gives the same bytes.
        QCOMPARE(saveAll(back), bytes);
    }

    void rateCodesComeBackFromWhatIsStored()
    {
        // A run at 25 a second, and one sampled by hand, whose period (1 s) is a rate's too.
        CDataManager dm, back;
        for (bool byHand : {false, true}) {
            CDataFolder* run = dm.CreateDataFolder();
            run->m_bSampledByHand = byHand;
            run->AddBranchKey(dm.CreateDataBranch(-1, byHand ? 1.0 : 0.04, 0, 0, run->m_Key));
        }
        QCOMPARE(loadAll(back, saveAll(dm)), QList<int>({0, 0, 0, 0}));
        QCOMPARE(QList<int>({back.GetDataBranchByIndex(0)->m_RateCode, back.GetDataBranchByIndex(1)->m_RateCode}), QList<int>({8, 0}));
    }

    void keyCounterEndsAboveEveryKeyRead()
    {
        // The last record is branch 3, but the folder lists branch 90 and branch 3 names a
        // child 120: a new object must not take any of those keys.
        CDataManager src;
        CDataFolder* f = src.CreateDataFolder();
        const int k90 = src.CreateDataBranch(-1, 1.0, 0, 0, f->m_Key);
        const int k3 = src.CreateDataBranch(-1, 1.0, 0, 0, f->m_Key);
        src.GetDataBranch(k90)->m_Key = 90;
        src.GetDataBranch(k3)->m_Key = 3;
        src.GetDataBranch(3)->m_ChildKeys.Add(120);
        f->AddBranchKey(3);
        f->AddBranchKey(90);
        CDataManager dm;
        QCOMPARE(loadAll(dm, saveAll(src)), QList<int>({0, 0, 0}));
        QCOMPARE(dm.GetNextKey(), 121);
        QCOMPARE(dm.CreateDataFolder()->m_Key, 121);
        dm.ClearAllData();
        QCOMPARE(dm.GetNextKey(), 0);
    }

    void afterLoadingBranch57TheNextKeyIs58()
    {
        CDataManager src;
        src.CreateDataBranch(-1, 1.0, 0, 0, -1);
        src.GetDataBranch(0)->m_Key = 57;
        CDataManager dm;
        QCOMPARE(loadAll(dm, saveAll(src)), QList<int>({0}));
        QCOMPARE(dm.CreateDataBranch(-1, 1.0, 0, 0, -1), 58);
    }

    void failedRecordsAreHandledAsDocumented()
    {
        // A branch cut short is discarded; a folder cut short stays with what it read.
        CDataManager src;
        CDataFolder* f = src.CreateDataFolder();
        f->AddBranchKey(src.CreateDataBranch(-1, 1.0, 0, 0, f->m_Key));
        const QByteArray bytes = saveAll(src);
        const int branchStart = bytes.indexOf(QByteArray::fromHex("000C"));
        CDataManager dm;
        QCOMPARE(loadAll(dm, bytes.left(bytes.size() - 3)), QList<int>({0, RecordTruncated}));
        QCOMPARE(dm.GetNumDataBranches(), 0);
        QCOMPARE(dm.GetNumDataFolders(), 1);
        CDataManager dm2;
        QCOMPARE(loadAll(dm2, bytes.left(branchStart - 4)), QList<int>({RecordTruncated}));
        QCOMPARE(dm2.GetNumDataFolders(), 1);
    }

    void duplicateKeysInAFileAreRefused()
    {
        CDataManager src;
        CDataFolder* f = src.CreateDataFolder();   // key 0
        src.CreateDataBranch(-1, 1.0, 0, 0, f->m_Key);
        src.CreateDataBranch(-1, 1.0, 0, 0, f->m_Key);
        src.GetDataBranch(1)->m_Key = 0;           // same key as the folder
        src.GetDataBranch(2)->m_Key = 0;
        CDataManager dm;
        QCOMPARE(loadAll(dm, saveAll(src)), QList<int>({0, RecordCorrupt, RecordCorrupt}));
        QCOMPARE(dm.GetNumDataBranches(), 0);
        // Two folders with one key: the second one keeps a fresh key.
        CDataManager src2;
        src2.CreateDataFolder();
        src2.CreateDataFolder()->m_Key = 0;
        CDataManager dm2;
        QCOMPARE(loadAll(dm2, saveAll(src2)), QList<int>({0, RecordCorrupt}));
        QVERIFY(dm2.GetDataFolderByIndex(0)->m_Key != dm2.GetDataFolderByIndex(1)->m_Key);
        QVERIFY(dm2.GetNextKey() > dm2.GetDataFolderByIndex(1)->m_Key);
    }

    void removalHelpersIgnoreNegativeKeys()
    {
        CDataManager dm;
        CDataFolder* f = dm.CreateDataFolder();
        const int k = dm.CreateDataBranch(-1, 1.0, 0, 0, f->m_Key);
        f->AddBranchKey(k);
        dm.RemoveBranchFromFolderList(-1, k);
        dm.RemoveBranchFromFolderList(f->m_Key, -1);
        QCOMPARE(f->GetNumberBranches(), 1);
        dm.RemoveBranchFromFolderList(f->m_Key, k);
        QCOMPARE(f->GetNumberBranches(), 0);
        CDataBranch* detached = dm.GetDataBranch(k);
        dm.RemoveBranchFromDataList(k);   // taken out of the list, not destroyed
        QCOMPARE(dm.GetNumDataBranches(), 0);
        delete detached;
    }
};

KORVANTA_TEST_MAIN(TestDatastoreManager)
#include "tst_datastore_manager.moc"
