// Workspace records of data branches and data folders: exact bytes, round trips and every
// failure code of the readers.
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/Globals.h"
#include "Core/Data/RecordIO.h"

#include <QBuffer>
#include <QDataStream>
#include "common/RecordCuts.h"
#include "common/TestMain.h"
#include <cmath>
#include <limits>

namespace {

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

QByteArray saveBranch(CDataBranch& branch)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    branch.SaveToFile(&out);
    return bytes;
}

QByteArray saveFolder(CDataFolder& folder)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    folder.SaveToFile(&out);
    return bytes;
}

int loadBranch(const QByteArray& bytes, CDataBranch& branch, int* largest = nullptr)
{
    QDataStream in(bytes);
    return branch.LoadFromFile(&in, 0, largest);
}

int loadFolder(const QByteArray& bytes, CDataFolder& folder, int* largest = nullptr,
               const CFolderReadHooks* hooks = nullptr)
{
    QDataStream in(bytes);
    return folder.LoadFromFile(&in, 0, largest, hooks);
}

// The branch of the byte test: two samples, a parent-less branch owned by folder 4 with one
// child.
void fillSmallBranch(CDataBranch& b)
{
    b.m_Name = QStringLiteral("V");
    b.m_Interval = 0.5;
    b.m_SensorIndex = 3;
    b.m_Unit = QStringLiteral("mV");
    b.m_UnitPrefix = 2;
    b.AddSample(0.0, 1.5);
    b.AddSample(1.0, -2.0);
    b.m_Key = 7;
    b.m_OwnerKey = 4;
    b.m_ChildKeys.Add(9);
}

// Tags 800.. in hexadecimal: 800 = 0320, 806 = 0326, 1000 = 03E8, 1001 = 03E9.
const char* const SmallBranchBytes =
    "0320 00000002 0056"                    // 800 name "V" (UTF-16, 2 bytes)
    "0321 3FE0000000000000"                 // 801 interval 0.5
    "0322 00000003"                         // 802 sensor index 3
    "0324 00000004 006D0056"                // 804 unit "mV"
    "0334 0002"                             // 820 prefix code 2
    "0326 03E8 00000002 03E9 0000000000000000 3FF0000000000000"   // 806 X 0, 1
    "0327 03E8 00000002 03E9 3FF8000000000000 C000000000000000"   // 807 Y 1.5, -2
    "0329 00000007"                         // 809 key 7
    "032F FFFFFFFF"                         // 815 parent -1
    "0331 00000004"                         // 817 owner 4
    "0332 00000009"                         // 818 child 9
    "0333 FFFFFFFF"                         // 819 function text (null string)
    "0335 3FE0000000000000"                 // 821 interval again
    "000D";                                 // 13 end

} // namespace

class TestDatastoreRecords : public QObject
{
    Q_OBJECT
private slots:
    void branchRecordBytesFollowTheTagTable()
    {
        CDataBranch b;
        fillSmallBranch(b);
        QCOMPARE(saveBranch(b).toHex(), hex(SmallBranchBytes).toHex());
    }

    void emptyBranchWritesEmptyArraysAndNoOptionalTags()
    {
        CDataBranch b;
        b.m_Key = 1;
        const QByteArray bytes = saveBranch(b);
        QVERIFY(bytes.contains(hex("0326 03E8 00000000 03E9")));
        QVERIFY(bytes.contains(hex("0327 03E8 00000000 03E9")));
        QVERIFY(!bytes.contains(hex("0336")));   // 822 only for a manual-X branch
        QVERIFY(!bytes.contains(hex("0337")));   // 823/824 only with marked positions
        QCOMPARE(b.GetLastXSample(), -1);
    }

    void manualXAndMarkedPositionsAddTheirTags()
    {
        CDataBranch b;
        b.m_Key = 0;
        b.m_SensorIndex = SensorIndexManualX;
        b.AddManualTime(0.0);
        b.AddManualTime(2.25);
        b.m_MarkedPositions = {5, 8};
        b.m_RelatedKey = 12;
        const QByteArray bytes = saveBranch(b);
        QVERIFY(bytes.contains(hex("0336 03E8 00000002 03E9 0000000000000000 4002000000000000")));
        QVERIFY(bytes.endsWith(hex("0337 03E8 00000002 03E9 00000005 00000008 0338 0000000C 000D")));

        CDataBranch back;
        QCOMPARE(loadBranch(bytes, back), int(RecordOk));
        QCOMPARE(back.GetNumManualTimes(), 2);
        QCOMPARE(back.GetManualTime(1), 2.25);
        QCOMPARE(back.m_MarkedPositions, QList<int>({5, 8}));
        QCOMPARE(back.m_RelatedKey, 12);
    }

    void branchRoundTripKeepsEveryStoredField()
    {
        CDataBranch b;
        fillSmallBranch(b);
        b.m_ParentKey = 2;
        b.m_DerivedKeys.Add(11);
        b.m_DerivedKeys.Add(13);
        b.m_FunctionText = QStringLiteral("d/dt");
        b.m_Channel = 3;   // not stored
        CDataBranch back;
        int largest = -1;
        QCOMPARE(loadBranch(saveBranch(b), back, &largest), int(RecordOk));
        QCOMPARE(back.m_Name, b.m_Name);
        QCOMPARE(back.m_Unit, b.m_Unit);
        QCOMPARE(back.m_UnitPrefix, short(2));
        QCOMPARE(back.m_Interval, 0.5);
        QCOMPARE(back.m_SensorIndex, 3);
        QCOMPARE(back.m_Key, 7);
        QCOMPARE(back.m_ParentKey, 2);
        QCOMPARE(back.m_OwnerKey, 4);
        QCOMPARE(back.m_DerivedKeys.Snapshot(), QVector<int>({11, 13}));
        QCOMPARE(back.m_ChildKeys.Snapshot(), QVector<int>({9}));
        QCOMPARE(back.m_FunctionText, QStringLiteral("d/dt"));
        QCOMPARE(back.GetXSnapshot(), QVector<double>({0.0, 1.0}));
        QCOMPARE(back.GetYSnapshot(), QVector<double>({1.5, -2.0}));
        QCOMPARE(back.m_Channel, -1);
        QCOMPARE(largest, 13);
    }

    void loadingTakesTheNextPaletteColour()
    {
        // A record without a colour (as older files hold them) takes the palette's next one.
        CDataBranch b;
        fillSmallBranch(b);
        globalColorIndex = 4;
        CDataBranch back;
        loadBranch(saveBranch(b), back);
        QCOMPARE(back.m_Color, QColor(241, 129, 179));
        QCOMPARE(GetCurrentGlobalColor(), QColor(253, 194, 14));
    }

    void storedColourComesBackAndOlderReadersPassOverIt()
    {
        CDataBranch b, back;
        fillSmallBranch(b);
        b.m_Color = QColor(13, 255, 13);
        const QByteArray bytes = saveBranch(b);
        QCOMPARE(loadBranch(bytes, back), int(RecordOk));
        QCOMPARE(back.m_Color, b.m_Color);
        // 825, parts raised by 256: older readers pass over each word as a tag they do not know.
        QCOMPARE(bytes.mid(hex(SmallBranchBytes).size() - 2).toHex(), QByteArray("0339010d01ff010d000d"));
    }

    void oneIntervalTagIsEnoughAndUnknownTagsAreSkipped()
    {
        // 821 alone, then the unhandled 803 and a tag outside the table (500), then the end.
        const QByteArray bytes = hex("0335 4004000000000000 0323 01F4 0329 00000005 000D");
        CDataBranch back;
        QCOMPARE(loadBranch(bytes, back), int(RecordOk));
        QCOMPARE(back.m_Interval, 2.5);
        QCOMPARE(back.m_Key, 5);
    }

    void recordsCutAtEveryByteReportTruncationAndKeepUnreadFields()
    {
        CDataBranch b;
        fillSmallBranch(b);
        b.m_FunctionText = QStringLiteral("f");
        // Starting values that neither the record nor a read past its end (0, empty) give.
        RecordCuts::CheckEveryCut(saveBranch(b), [](QDataStream& in) {
            CDataBranch x;
            x.m_Name = x.m_Unit = x.m_FunctionText = QStringLiteral("before");
            x.m_Interval = 9.0;
            x.m_SensorIndex = 11;
            x.m_UnitPrefix = 1;
            x.m_Key = 99;
            x.m_ParentKey = 5;
            x.m_OwnerKey = 6;
            const bool complete = x.LoadFromFile(&in, 0) == RecordOk;
            return RecordCuts::Outcome{complete, {x.m_Name, x.m_Unit, x.m_FunctionText, x.m_Interval, x.m_SensorIndex,
                                                  x.m_UnitPrefix, x.m_Key, x.m_ParentKey, x.m_OwnerKey,
                                                  x.m_ChildKeys.GetSize()}};
        });
        if (QTest::currentTestFailed())
            return;
        CDataFolder f;
        f.m_Name = QStringLiteral("Run 2");
        f.m_Key = 3;
        f.AddBranchKey(4);
        f.m_FrameSamples = {{10, 1}, {20, 2}};
        f.m_bVideoAnalysis = true;
        f.m_VideoFile = QStringLiteral("v.mp4");
        RecordCuts::CheckEveryCut(saveFolder(f), [](QDataStream& in) {
            CDataFolder x;
            x.m_Name = x.m_VideoFile = QStringLiteral("before");
            x.m_Key = 99;
            x.m_FrameSamples = {{1, 1}};
            const bool complete = x.LoadFromFile(&in, 0) == RecordOk;
            return RecordCuts::Outcome{complete, {x.m_Name, x.m_Key, x.GetBranchKeys().size(), x.GetNumVideoFrames(),
                                                  x.m_bVideoAnalysis, x.m_VideoFile}};
        });
    }

    void wrongArrayMarkersAreReported()
    {
        CDataBranch a;
        QCOMPARE(loadBranch(hex("0326 03E7 00000000 03E9 000D"), a), int(RecordBadMarker));
        CDataBranch b;
        QCOMPARE(loadBranch(hex("0327 03E8 00000000 03EA 000D"), b), int(RecordBadMarker2));
        CDataBranch c;
        QCOMPARE(loadBranch(hex("0337 0000 00000000 03E9 000D"), c), int(RecordBadMarker));
    }

    void corruptCountsNeitherAllocateNorLoop()
    {
        // A count of 2^31 - 1 followed by two values: more than the data holds, a cut record
        // before anything is set aside.
        CDataBranch a;
        QCOMPARE(loadBranch(hex("0326 03E8 7FFFFFFF 03E9 3FF0000000000000 4000000000000000"), a),
                 int(RecordTruncated));
        QCOMPARE(a.GetXSnapshot().size(), 0);
        QVERIFY(a.SampleBytesReserved() < 64 * 1024);
        // A negative count is not a length.
        CDataBranch b;
        QCOMPARE(loadBranch(hex("0327 03E8 FFFFFFFE 03E9 000D"), b), int(RecordCorrupt));
        CDataBranch c;
        QCOMPARE(loadBranch(hex("0337 03E8 80000000 03E9 000D"), c), int(RecordCorrupt));
        // Marked positions with a huge count and nothing behind it.
        CDataBranch d;
        QCOMPARE(loadBranch(hex("0337 03E8 7FFFFFFF 03E9 00000001"), d), int(RecordTruncated));
        QCOMPARE(d.m_MarkedPositions, QList<int>({1}));
    }

    void keysOutsideTheKeyRangeAreCorrupt()
    {
        CDataBranch a;
        QCOMPARE(loadBranch(hex("0329 FFFFFFFF 000D"), a), int(RecordCorrupt));   // own key -1
        CDataBranch b;
        QCOMPARE(loadBranch(hex("0332 FFFFFFF0 000D"), b), int(RecordCorrupt));   // child -16
        CDataBranch c;
        QCOMPARE(loadBranch(hex("0329 7FFFFFFF 000D"), c), int(RecordCorrupt));   // beyond the range
        CDataBranch d;
        QCOMPARE(loadBranch(hex("032F FFFFFFFF 0331 FFFFFFFF 000D"), d), int(RecordOk));   // "none"
        QCOMPARE(d.m_ParentKey, -1);
        QCOMPARE(d.m_OwnerKey, -1);
    }

    void keyOffsetShiftsEveryKeyButTheRelatedOne()
    {
        CDataBranch b;
        fillSmallBranch(b);
        b.m_MarkedPositions = {1};
        b.m_RelatedKey = 3;
        const QByteArray bytes = saveBranch(b);
        QDataStream in(bytes);
        CDataBranch back;
        QCOMPARE(back.LoadFromFile(&in, 100, nullptr), int(RecordOk));
        QCOMPARE(back.m_Key, 107);
        QCOMPARE(back.m_OwnerKey, 104);
        QCOMPARE(back.m_ChildKeys.Snapshot(), QVector<int>({109}));
        QCOMPARE(back.m_ParentKey, -1);   // "none" stays none
        QCOMPARE(back.m_RelatedKey, 3);
    }

    void folderRecordBytesFollowTheTagTable()
    {
        CDataFolder f;
        f.m_Name = QStringLiteral("Run 1");
        f.m_Key = 0;
        f.AddBranchKey(1);
        f.AddBranchKey(2);
        const QByteArray expected = hex(
            "02BC 0000000A 00520075006E00200031"   // 700 "Run 1"
            "02BD 00000000"                        // 701 key 0
            "02BE 00000001 02BE 00000002"          // 702 branch keys 1, 2
            "02C2 00"                              // 706 flag false
            "02C3 FFFFFFFF"                        // 707 no video file
            "000B");                               // 11 end
        QCOMPARE(saveFolder(f).toHex(), expected.toHex());
    }

    void folderPairsUseA32BitTag()
    {
        CDataFolder f;
        f.m_Key = 3;
        f.AddVideoFrameAndSampleIndex(10, 0);
        f.AddVideoFrameAndSampleIndex(20, 1);
        f.AddVideoFrameAndSampleIndex(30, 2);
        const QByteArray bytes = saveFolder(f);
        QVERIFY(bytes.contains(hex("02BF 000002C0 0000000A 00000000 000002C0 00000014 00000001"
                                   " 000002C0 0000001E 00000002 02C1")));
        CDataFolder back;
        QCOMPARE(loadFolder(bytes, back), int(RecordOk));
        QCOMPARE(back.GetNumVideoFrames(), 3);
        QCOMPARE(back.GetSampleFromVideoFrame(25), 1);
    }

    void folderRoundTripAndHooks()
    {
        CDataFolder f;
        f.m_Name = QStringLiteral("Run 4");
        f.m_Key = 21;
        f.AddBranchKey(22);
        f.m_bVideoAnalysis = true;
        f.m_VideoFile = QStringLiteral("clip.mp4");
        int tracked = 0;
        CFolderReadHooks hooks;
        hooks.trackingRunLoaded = [&tracked]() { ++tracked; };
        hooks.workspacePath = []() { return QStringLiteral("/home/u/work/lab.kvb"); };
        CDataFolder back;
        int largest = -1;
        QCOMPARE(loadFolder(saveFolder(f), back, &largest, &hooks), int(RecordOk));
        QCOMPARE(back.m_Name, QStringLiteral("Run 4"));
        QCOMPARE(back.m_Key, 21);
        QCOMPARE(back.GetBranchKeys(), QVector<int>({22}));
        QVERIFY(back.m_bVideoAnalysis);
        QCOMPARE(back.m_VideoFile, QStringLiteral("/home/u/work/clip.mp4"));
        QCOMPARE(tracked, 1);
        QCOMPARE(largest, 22);
    }

    void storedVideoPathsCannotLeaveTheWorkspaceFolder()
    {
        CFolderReadHooks hooks;
        hooks.workspacePath = []() { return QStringLiteral("/data/ws/a.kvb"); };
        for (const char* stored : {"../../etc/passwd", "/etc/passwd", "C:\\films\\passwd"}) {
            CDataFolder f;
            f.m_VideoFile = QString::fromLatin1(stored);
            CDataFolder back;
            QCOMPARE(loadFolder(saveFolder(f), back, nullptr, &hooks), int(RecordOk));
            QCOMPARE(back.m_VideoFile, QStringLiteral("/data/ws/passwd"));
        }
        CDataFolder empty;
        CDataFolder back;
        QCOMPARE(loadFolder(saveFolder(empty), back), int(RecordOk));
        QVERIFY(back.m_VideoFile.isEmpty());
    }

    void folderReaderFailures()
    {
        CDataFolder f;
        f.m_Name = QStringLiteral("Run 2");
        f.AddBranchKey(5);
        f.AddVideoFrameAndSampleIndex(1, 1);
        const QByteArray full = saveFolder(f);
        for (int len = 0; len < full.size(); ++len) {
            CDataFolder back;
            QCOMPARE(loadFolder(full.left(len), back), int(RecordTruncated));
        }
        // The pair list never closed: the pairs before the cut are not taken.
        CDataFolder open;
        QCOMPARE(loadFolder(hex("02BF 000002C0 00000001 00000002"), open), int(RecordTruncated));
        QCOMPARE(open.GetNumVideoFrames(), 0);
        // Fields read before the failure stay.
        CDataFolder partial;
        QCOMPARE(loadFolder(hex("02BD 00000009 02BE 0000000A"), partial), int(RecordTruncated));
        QCOMPARE(partial.m_Key, 9);
        QCOMPARE(partial.GetNumberBranches(), 1);
        // Negative keys are corrupt.
        CDataFolder bad;
        QCOMPARE(loadFolder(hex("02BE 80000000 000B"), bad), int(RecordCorrupt));
    }

    void stringReaderRefusesALengthBeyondTheRecord_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("left");
        // Big-endian length in bytes, then UTF-16 code units.
        QTest::newRow("whole") << hex("00000004 0041 0042 7fff") << true << QString("AB") << 2;
        QTest::newRow("empty") << hex("00000000 0102") << true << QString("") << 2;
        QTest::newRow("null") << hex("ffffffff") << true << QString() << 0;
        QTest::newRow("one byte short") << hex("00000004 0041 00") << false << QString() << 7;
        QTest::newRow("huge length") << hex("7ffffffe 0041") << false << QString() << 6;
        QTest::newRow("cut length") << hex("0000") << false << QString("") << 0;  // as the toolkit leaves it
    }

    void stringReaderRefusesALengthBeyondTheRecord()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, ok);
        QFETCH(QString, text);
        QFETCH(int, left);
        QBuffer device(&bytes);
        QVERIFY(device.open(QIODevice::ReadOnly));
        QDataStream in(&device);
        QString read = QStringLiteral("old");
        QCOMPARE(RecordIO::ReadString(in, read), ok);
        QCOMPARE(read, text);
        QCOMPARE(read.isNull(), text.isNull());
        QCOMPARE(in.status() == QDataStream::Ok, ok);
        QCOMPARE(int(device.bytesAvailable()), left);
    }

    void stringReaderLeavesAFailedStreamAlone()
    {
        const QByteArray bytes = hex("00000002 0041");
        QDataStream in(bytes);
        in.setStatus(QDataStream::ReadCorruptData);
        QString read = QStringLiteral("old");
        QVERIFY(!RecordIO::ReadString(in, read));
        QCOMPARE(read, QStringLiteral("old"));
        QCOMPARE(in.status(), QDataStream::ReadCorruptData);
    }

    void folderNameLongerThanTheRecordIsACutRecord()
    {
        // Tag 700 (name) claiming 2 GB of text where two bytes follow.
        CDataFolder folder;
        QCOMPARE(loadFolder(hex("02BC 7FFFFFFE 0041"), folder), int(RecordTruncated));
        QVERIFY(folder.m_Name.isEmpty());
    }

    void videoFrameLookupWalksForward()
    {
        CDataFolder f;
        QCOMPARE(f.GetSampleFromVideoFrame(5), 0);
        f.AddVideoFrameAndSampleIndex(10, 0);
        f.AddVideoFrameAndSampleIndex(20, 1);
        f.AddVideoFrameAndSampleIndex(30, 2);
        QCOMPARE(f.GetSampleFromVideoFrame(25), 1);
        QCOMPARE(f.m_PlaybackCursor, 1);
        QCOMPARE(f.GetSampleFromVideoFrame(35), 2);
        QCOMPARE(f.m_PlaybackCursor, 2);
        QCOMPARE(f.GetSampleFromVideoFrame(99), 2);
        f.InitVideoPlayback();
        QCOMPARE(f.GetSampleFromVideoFrame(5), 0);
        // Between pairs without a later match: the pair at the cursor.
        f.InitVideoPlayback();
        QCOMPARE(f.GetSampleFromVideoFrame(20), 1);
        QCOMPARE(f.GetSampleFromVideoFrame(20), 1);
        // A cursor set out of range by a caller is brought back.
        f.m_PlaybackCursor = 57;
        QCOMPARE(f.GetSampleFromVideoFrame(25), 1);
    }

    void folderIcons()
    {
        CDataFolder f;
        QCOMPARE(f.GetIconName(), QStringLiteral("://images/History/folder_normal.png"));
        f.m_VideoFile = QStringLiteral("a.mp4");
        QCOMPARE(f.GetIconName(), QStringLiteral("://images/History/Video-Sync-folder.png"));
        f.m_VideoFile.clear();
        f.AddVideoFrameAndSampleIndex(1, 1);
        QCOMPARE(f.GetIconName(), QStringLiteral("://images/History/Video-Sync-folder.png"));
        f.m_bVideoAnalysis = true;
        QCOMPARE(f.GetIconName(), QStringLiteral("://images/History/Video-Analysis-folder.png"));
        QVERIFY(!QPixmap(f.GetIconName()).isNull());
    }

    void writeFailureIsReported()
    {
        CDataBranch b;
        fillSmallBranch(b);
        QBuffer closed;   // never opened: every write fails
        QDataStream out(&closed);
        QCOMPARE(b.SaveToFile(&out), int(RecordWriteFailed));
        CDataFolder f;
        QDataStream out2(&closed);
        QCOMPARE(f.SaveToFile(&out2), int(RecordWriteFailed));
    }
};

KORVANTA_TEST_MAIN(TestDatastoreRecords)
#include "tst_datastore_records.moc"
