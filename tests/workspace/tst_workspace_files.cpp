// Workspace files: the header's bytes, save and load round trips, the saver's paths and
// results, the loader's results, and the copies of videos placed beside a workspace file.
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "support/FakeWorkspaceHost.h"
#include "workspace/WorkspaceLoader.h"
#include "workspace/WorkspaceSaver.h"
#include "workspace/WorkspaceVideo.h"

#include <QDateTime>
#include <QProcess>
#include <QTemporaryDir>
#include "common/TestMain.h"
#include <unistd.h>

namespace {

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

// A text of ASCII characters as the stream writes it: byte count, then UTF-16 big-endian.
QByteArray asciiText(const char* text)
{
    QByteArray out = hex("00000000");
    const int n = int(qstrlen(text));
    out[3] = char(2 * n);
    for (int i = 0; i < n; ++i)
        out.append('\0').append(text[i]);
    return out;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

int headerSize()
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    CWorkspaceSaver::WriteHeader(out, QDateTime::currentDateTime());
    return bytes.size();
}

// One run of two series (one empty) and a derived series.
void fillWorkspace(CDataManager& dm, int samples = 3)
{
    CDataFolder* folder = dm.CreateDataFolder();
    folder->m_Name = "Run,5";
    for (int b = 0; b < 2; ++b) {
        const int key = dm.CreateDataBranch(-1, 0.5, b, 0, folder->m_Key);
        folder->AddBranchKey(key);
        CDataBranch* branch = dm.GetDataBranch(key);
        branch->m_Name = QString("Series %1").arg(b);
        branch->m_Unit = "°C";
        for (int i = 0; b == 0 && i < samples; ++i)
            branch->AddSample(i * 0.5, double(i) * i + 0.25);
    }
}

} // namespace

class TestWorkspaceFiles : public QObject
{
    Q_OBJECT
private slots:
    void init() { CWorkspaceSaver::getInstance()->m_CurrentPath.clear(); }
    void headerBytes();
    void saveLoadSaveIsStable();
    void saverPaths_data();
    void saverPaths();
    void proposedNameInWorkingFolder();
    void failedSaveKeepsOldFile();
    void loaderResults_data();
    void loaderResults();
    void loaderCancelAndMissingFileLeaveWorkspace();
    void olderFormatBySuffix_data();
    void olderFormatBySuffix();
    void videoCopies();
    void skipVideoRecord();

private:
    QTemporaryDir m_Dir;
};

void TestWorkspaceFiles::headerBytes()
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    CWorkspaceSaver::WriteHeader(out, QDateTime(QDate(2026, 12, 6), QTime(14, 5, 9)));
    QByteArray expected = hex("0000" "00000022"
                              "044204350441044204380440043E04320430043D04380435" "0020" "05D205D305E905D2");
    expected += hex("0001") + asciiText("KORVANTA4 FILE");
    expected += hex("0002" "00000000" "00000000" "0003" "00000000" "00000000");
    expected += hex("0005" "00000006" "0000000C" "000007EA" "0006" "0000000E" "00000005" "00000009");
    expected += hex("0007") + asciiText("this is a comment");
    QCOMPARE(bytes.toHex(), expected.toHex());
}

void TestWorkspaceFiles::saveLoadSaveIsStable()
{
    const QString first = m_Dir.filePath("stable.kvb");
    CFakeWorkspaceHost host;
    fillWorkspace(host.m_Data);
    host.m_Windows = {TagGraphWindow, TagTableWindow, TagNotesWindow};
    QCOMPARE(CWorkspaceSaver::getInstance()->saveWorkspaceToFile(&host, first), 0);

    CFakeWorkspaceHost reader;
    reader.m_OpenAnswer = first;
    QCOMPARE(CWorkspaceLoader::getInstance()->loadWorkspaceFromFile(&reader), 0);
    QCOMPARE(CWorkspaceLoader::getInstance()->m_LastPath, first);
    QCOMPARE(reader.m_Log.count("clear"), 1);
    QCOMPARE(reader.m_Data.GetNumDataFolders(), 1);
    QCOMPARE(reader.m_Data.GetNumDataBranches(), 2);
    CDataFolder* folder = reader.m_Data.GetDataFolderByIndex(0);
    QCOMPARE(folder->m_Name, QString("Run,5"));
    CDataBranch* branch = reader.m_Data.GetDataBranch(folder->GetBranchKey(0));
    QCOMPARE(branch->GetNumSamples(), 3);
    QCOMPARE(branch->GetYSample(2), 4.25);
    QCOMPARE(branch->m_Unit, QString("°C"));
    const QVector<QPair<quint16, qint32>> windows = {
        {TagGraphWindow, 11050}, {TagTableWindow, 11070}, {TagNotesWindow, 11090}};
    QCOMPARE(reader.m_Loaded, windows);

    reader.m_Windows = host.m_Windows;
    const QString second = m_Dir.filePath("stable2.kvb");
    QCOMPARE(CWorkspaceSaver::getInstance()->saveWorkspaceToFile(&reader, second), 0);
    // Everything after the header (which holds the time of saving) is the same.
    QCOMPARE(readFile(second).mid(headerSize()), readFile(first).mid(headerSize()));
}

void TestWorkspaceFiles::saverPaths_data()
{
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("written");
    QTest::addColumn<bool>("asked");
    QTest::newRow("suffix added") << "" << "run1" << 0 << "run1.kvb" << true;
    QTest::newRow("suffix of the name alone") << "" << "mykvbdata" << 0 << "mykvbdata.kvb" << true;
    QTest::newRow("cancelled") << "" << "" << -1 << "" << true;
    QTest::newRow("path given") << "given.kvb" << "other" << 0 << "given.kvb" << false;
}

void TestWorkspaceFiles::saverPaths()
{
    QFETCH(QString, given);
    QFETCH(QString, answer);
    QFETCH(int, result);
    QFETCH(QString, written);
    QFETCH(bool, asked);
    QTemporaryDir dir;
    CWorkspaceSaver* saver = CWorkspaceSaver::getInstance();
    saver->m_CurrentPath = "/earlier.kvb";
    CFakeWorkspaceHost host;
    host.m_SaveAnswer = answer.isEmpty() ? QString() : dir.filePath(answer);
    QCOMPARE(saver->saveWorkspaceToFile(&host, given.isEmpty() ? QString() : dir.filePath(given)), result);
    QCOMPARE(host.m_Log.size(), asked ? 1 : 0);
    if (asked)
        QVERIFY(host.m_Log.first().startsWith("save|Save File|" + QDir::homePath() + "|kvb Files (*.kvb)"));
    QCOMPARE(saver->m_CurrentPath, written.isEmpty() ? QString("/earlier.kvb") : dir.filePath(written));
    if (!written.isEmpty())
        QVERIFY(QFileInfo::exists(dir.filePath(written)));
}

void TestWorkspaceFiles::proposedNameInWorkingFolder()
{
    CFakeWorkspaceHost host;
    host.m_Folder = m_Dir.path();
    QCOMPARE(CWorkspaceSaver::getInstance()->saveWorkspaceToFile(&host, QString()), -1);
    const QRegularExpression name("^save\\|Save File\\|" + QRegularExpression::escape(m_Dir.path())
                                  + "/korvanta data \\d{4}-\\d\\d-\\d\\d \\d\\d\\.\\d\\d\\.\\d\\d\\.kvb\\|");
    QVERIFY2(name.match(host.m_Log.value(0)).hasMatch(), qPrintable(host.m_Log.value(0)));
}

void TestWorkspaceFiles::failedSaveKeepsOldFile()
{
    CFakeWorkspaceHost host;
    fillWorkspace(host.m_Data, 100000);
    // A folder that is a file: nothing can be created in it.
    writeFile(m_Dir.filePath("plain"), "x");
    QCOMPARE(CWorkspaceSaver::getInstance()->saveWorkspaceToFile(&host, m_Dir.filePath("plain/ws.kvb")), -2);

    if (geteuid() != 0)
        QSKIP("mounting a small file system needs root");
    QTemporaryDir small;
    if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=256k", "tmpfs", small.path()}) != 0)
        QSKIP("no tmpfs could be mounted here");
    const QString path = small.filePath("ws.kvb");
    writeFile(path, "the previous workspace");
    const int result = CWorkspaceSaver::getInstance()->saveWorkspaceToFile(&host, path);
    const QByteArray kept = readFile(path);
    const QStringList left = QDir(small.path()).entryList(QDir::Files);
    QProcess::execute("umount", {small.path()});
    QCOMPARE(result, int(WorkspaceWriteFailed));
    QCOMPARE(kept, QByteArray("the previous workspace"));
    QCOMPARE(left, QStringList{"ws.kvb"});
}

void TestWorkspaceFiles::loaderResults_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("folders");
    QTest::addColumn<int>("windows");
    const QByteArray folder = hex("000A" "02BC") + asciiText("F") + hex("02BD 00000007 000B");
    const QByteArray magic = hex("0001") + asciiText("KORVANTA4 FILE");
    const QByteArray graph = hex("0451" "0001 00000005" "0452");
    QTest::newRow("header only") << magic << 0 << 0 << 0;
    QTest::newRow("no magic tag") << folder + graph << 0 << 1 << 1;
    QTest::newRow("magic in lower case") << folder + hex("0001") + asciiText("korvanta4 file") + graph << -3 << 1 << 0;
    QTest::newRow("window cut short") << magic + folder + hex("0451" "0001 00000005") << -4 << 1 << 1;
    // A tag no record begins with: the reader is not where a record starts.
    QTest::newRow("unknown tag is unreadable") << magic + hex("0999" "FF") + folder << -7 << 0 << 0;
    QTest::newRow("broken folder ends the load") << magic + hex("000A 02BC 0000") << -4 << 1 << 0;
    // A damaged array marker, first or second: the file is damaged, whatever the record said.
    QTest::newRow("bad array ends the load") << magic + hex("000C 0326 03E7") + folder << -7 << 0 << 0;
    QTest::newRow("bad second array marker") << magic + hex("000C 0326 03E8 00000001 03EA") + folder << -7 << 0 << 0;
    QTest::newRow("empty file") << QByteArray() << -7 << 0 << 0;
    QTest::newRow("no record, no magic") << hex("0000 00000000 0007 00000000") << -7 << 0 << 0;
    // A count or a text length beyond the bytes the file holds: a cut record at once, read no
    // further (the file's size is taken once, when the load begins).
    QTest::newRow("array longer than the file") << magic + hex("000C 0326 03E8 7FFFFFFF 03E9 0000") << -4 << 0 << 0;
    QTest::newRow("text longer than the file") << magic + hex("000A 02BC 7FFFFFF0 0041") << -4 << 1 << 0;
    // Cut between records: the folder names a branch that never came.
    QTest::newRow("cut after a folder") << magic + hex("000A 02BE 00000005 000B") << -4 << 1 << 0;
}

void TestWorkspaceFiles::loaderResults()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, result);
    QFETCH(int, folders);
    QFETCH(int, windows);
    const QString path = m_Dir.filePath("read.kvb");
    writeFile(path, bytes);
    CFakeWorkspaceHost host;
    fillWorkspace(host.m_Data);
    host.m_OpenAnswer = path;
    CWorkspaceLoader* loader = CWorkspaceLoader::getInstance();
    QCOMPARE(loader->loadWorkspaceFromFile(&host), result);
    QVERIFY(loader->workspaceCleared());
    QCOMPARE(host.m_Data.GetNumDataFolders(), folders);
    QCOMPARE(host.m_Loaded.size(), windows);
    QCOMPARE(loader->m_LastPath, result == 0 ? path : QString());
}

void TestWorkspaceFiles::loaderCancelAndMissingFileLeaveWorkspace()
{
    CWorkspaceLoader* loader = CWorkspaceLoader::getInstance();
    for (const QString& answer : {QString(), m_Dir.filePath("missing.kvb")}) {
        CFakeWorkspaceHost host;
        fillWorkspace(host.m_Data);
        host.m_OpenAnswer = answer;
        QCOMPARE(loader->loadWorkspaceFromFile(&host), answer.isEmpty() ? -1 : -2);
        QVERIFY(!loader->workspaceCleared());
        QVERIFY(!host.m_Log.contains("clear"));
        QCOMPARE(host.m_Data.GetNumDataFolders(), 1);
        QCOMPARE(host.m_Log.value(0), "open|Load File|" + QDir::homePath() + "|Pavix files  (*.kvb);;Pavix files  (*.pvx)");
    }
}

void TestWorkspaceFiles::olderFormatBySuffix_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("older");
    QTest::newRow("pvx") << "/data/run.pvx" << true;
    QTest::newRow("upper case") << "/data/run.PVX" << true;
    QTest::newRow("kvb") << "/data/run.kvb" << false;
    QTest::newRow("folder named .pvx") << "/data/old.pvx/run.kvb" << false;
    QTest::newRow("pvx inside the name") << "/data/run.pvx.kvb" << false;
}

void TestWorkspaceFiles::olderFormatBySuffix()
{
    QFETCH(QString, path);
    QFETCH(bool, older);
    QCOMPARE(IsOlderWorkspacePath(path), older);
}

void TestWorkspaceFiles::videoCopies()
{
    QCOMPARE(VideoCopyName("/w/lab.kvb", "/v/ball.mov", 1), QString("lab_1.mov"));
    QCOMPARE(VideoCopyName("/w/lab.kvb", "/v/a.mp4", 0), QString("lab.mp4"));
    QCOMPARE(VideoCopyName("/w/mykvbdata.kvb", "/v/a.avi", 0), QString("mydata.avi"));

    QTemporaryDir videos;
    writeFile(videos.filePath("a.mp4"), "video a");
    writeFile(videos.filePath("b.mp4"), "video b");
    const QString workspace = m_Dir.filePath("lab.kvb");
    QString path;
    QCOMPARE(PlaceVideoCopy(workspace, videos.filePath("a.mp4"), 0, &path), QString("lab.mp4"));
    QCOMPARE(readFile(path), QByteArray("video a"));
    // Saving again finds the same video and copies nothing.
    QCOMPARE(PlaceVideoCopy(workspace, videos.filePath("a.mp4"), 0, &path), QString("lab.mp4"));
    // Another video where the copy would go is never taken for this one, nor overwritten.
    QCOMPARE(PlaceVideoCopy(workspace, videos.filePath("b.mp4"), 0, &path), QString("lab(2).mp4"));
    QCOMPARE(readFile(m_Dir.filePath("lab.mp4")), QByteArray("video a"));
    QCOMPARE(readFile(path), QByteArray("video b"));
    QVERIFY(PlaceVideoCopy(workspace, videos.filePath("none.mp4"), 3, &path).isNull());
}

void TestWorkspaceFiles::skipVideoRecord()
{
    const QByteArray record = hex("0459" "044C") + asciiText("Video") + hex("045A" "06A5") + asciiText("lab.mp4")
                              + hex("06AA 0010 0020" "06A6" "06A7 0001" "06A8 0005 0006" "06A9" "06AB 3FF0000000000000"
                                    "06AC FFFFFFFF" "0458");
    QDataStream in(record + hex("0007"));
    QCOMPARE(SkipVideoRecord(in), 0);
    quint16 next = 0;
    in >> next;
    QCOMPARE(next, quint16(7));
    QDataStream cut(record.left(record.size() - 2));
    QCOMPARE(SkipVideoRecord(cut), -4);
}

KORVANTA_TEST_GUILESS_MAIN(TestWorkspaceFiles)
#include "tst_workspace_files.moc"
