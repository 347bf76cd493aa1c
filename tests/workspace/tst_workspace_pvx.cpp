// The import of the older workspace format: the header test, the record walk with its fixed
// advances, texts, arrays and rate texts, and the windows it opens.
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "support/FakeWorkspaceHost.h"
#include "workspace/WorkspaceLoader.h"

#include <QTemporaryDir>
#include <QtEndian>
#include "common/TestMain.h"
#include <cstring>

namespace {

QByteArray le16(int v)
{
    QByteArray b(2, '\0');
    qToLittleEndian<quint16>(quint16(v), b.data());
    return b;
}

QByteArray le32(quint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian<quint32>(v, b.data());
    return b;
}

QByteArray record(int tag, quint32 length, const QByteArray& value = QByteArray())
{
    return le16(tag) + le32(length) + value;
}

// A text record: four unread bytes, then the text.
QByteArray textRecord(int tag, const QByteArray& text)
{
    return record(tag, quint32(text.size() + 4), QByteArray(4, '\x7f') + text);
}

QByteArray arrayRecord(int tag, const QVector<double>& values)
{
    QByteArray value = le16(1000) + le32(0) + le32(quint32(values.size())) + le16(1001) + le32(0);
    for (double v : values) {
        quint64 bits;
        std::memcpy(&bits, &v, sizeof bits);
        QByteArray b(8, '\0');
        qToLittleEndian<quint64>(bits, b.data());
        value += b;
    }
    return record(tag, 0, value);
}

const QByteArray header = le16(0) + le32(0) + le16(4);

} // namespace

class TestWorkspacePvx : public QObject
{
    Q_OBJECT
private slots:
    void headerTest_data();
    void headerTest();
    void rateTexts_data();
    void rateTexts();
    void twoRunsGraphTheLast();
    void fixedAdvances();
    void arraysAndTexts();
    void notesNeedARun();
    void pathAfterImport();
};

void TestWorkspacePvx::headerTest_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("warned");
    QTest::newRow("empty") << QByteArray() << -7 << false;
    QTest::newRow("first word not zero") << QByteArray::fromHex("0100") << -7 << false;
    QTest::newRow("two zero bytes") << QByteArray(2, '\0') << -1 << true;
    QTest::newRow("version 3") << le16(0) + le32(0) + le16(3) << -1 << true;
    QTest::newRow("version 5") << le16(0) + le32(0) + le16(5) << -1 << true;
    QTest::newRow("valid, no records") << header << 0 << false;
    // Records reaching past the end: a cut file, for which no window opens.
    const QByteArray run = header + record(10, 0) + record(8, 0);
    QTest::newRow("text cut") << run + textRecord(800, "Position").left(12) << -4 << false;
    QTest::newRow("array cut") << run + arrayRecord(806, {1.0, 2.0}).chopped(3) << -4 << false;
    QTest::newRow("fixed record cut") << run + record(813, 4, le16(9)) << -4 << false;
    QTest::newRow("notes cut") << run + record(1008, 4 + 5, "Not") << -4 << false;
}

void TestWorkspacePvx::headerTest()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, result);
    QFETCH(bool, warned);
    CFakeWorkspaceHost host;
    CWorkspaceLoader loader;
    loader.SetHost(&host);
    QCOMPARE(loader.loadPvxData(bytes), result);
    QCOMPARE(host.m_Log.size(), warned ? 1 : 0);
    if (warned)
        QVERIFY(host.m_Log.first().startsWith("warn|Pavix|Sorry, this file is not supported by your version of Pavix.\r\n Try"));
    QCOMPARE(host.m_Data.GetNumDataFolders(), result == -4 ? 1 : 0);
    QVERIFY(host.m_GraphKeys.isEmpty());
}

void TestWorkspacePvx::rateTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<int>("index");
    QTest::newRow("500/sec") << "500 samples/sec" << 0.002 << 11;
    QTest::newRow("1 hour, no sec") << "1 hour" << 3600.0 << 1;
    QTest::newRow("capitals") << "50 SEC" << 1.0 << 0;
    QTest::newRow("100 before 10") << "100 samples/sec" << 0.01 << 10;
    QTest::newRow("150 is 50") << "150 sec" << 0.02 << 9;
    QTest::newRow("100,000") << "100,000 samples/sec" << 0.00001 << 14;
    QTest::newRow("10 per second") << "10 samples/sec" << 0.1 << 7;
    QTest::newRow("1 per second") << "1 sample/sec" << 1.0 << 6;
    QTest::newRow("10 min") << "every 10 min" << 600.0 << 3;
}

void TestWorkspacePvx::rateTexts()
{
    QFETCH(QString, text);
    QFETCH(double, seconds);
    QFETCH(int, index);
    double s = 0;
    int i = -5;
    CWorkspaceLoader::FixPavixRateCode(text, &s, &i);
    QCOMPARE(s, seconds);
    QCOMPARE(i, index);
}

void TestWorkspacePvx::twoRunsGraphTheLast()
{
    QByteArray file = header;
    file += record(10, 0) + textRecord(11, "Pendulum") + record(8, 0) + textRecord(800, "Position")
            + textRecord(801, "25 samples/sec") + record(802, 4, le32(4711)) + record(804, 20, le16(2) + le16(0))
            + arrayRecord(806, {0.0, 0.04, 0.08}) + arrayRecord(807, {1.5, -2.0, 3.25}) + textRecord(810, "m");
    file += record(10, 0) + record(8, 0) + record(813, 4, le32(9)) + record(8, 0) + record(813, 4, le32(99));
    // A later notes record replaces an earlier one; the text starts right after the length.
    file += record(1008, 4 + 3, "Old") + record(1008, 4 + 5, "Notes");
    CFakeWorkspaceHost host;
    CWorkspaceLoader loader;
    loader.SetHost(&host);
    QCOMPARE(loader.loadPvxData(file), 0);
    QCOMPARE(host.m_Data.GetNumDataFolders(), 2);
    CDataFolder* first = host.m_Data.GetDataFolderByIndex(0);
    QCOMPARE(first->m_Name, QString("Pendulum"));
    CDataBranch* b = host.m_Data.GetDataBranch(first->GetBranchKey(0));
    QCOMPARE(b->m_Name, QString("Position"));
    QCOMPARE(b->m_Interval, 0.04);
    QCOMPARE(b->m_RateCode, 8);
    QCOMPARE(b->m_IconVariant, 4711);
    QCOMPARE(b->m_SensorIndex, -1);
    QCOMPARE(b->m_UnitPrefix, short(2));
    QCOMPARE(b->m_Unit, QString("m"));
    QCOMPARE(b->GetXSnapshot(), QVector<double>({0.0, 0.04, 0.08}));
    QCOMPARE(b->GetYSnapshot(), QVector<double>({1.5, -2.0, 3.25}));
    // Only the last run is drawn; its rate indices come from the interval table.
    CDataFolder* second = host.m_Data.GetDataFolderByIndex(1);
    QCOMPARE(host.m_GraphKeys, second->GetBranchKeys());
    QCOMPARE(host.m_GraphKeys.size(), 2);
    QCOMPARE(host.m_Data.GetDataBranch(host.m_GraphKeys[0])->m_Interval, 0.02);
    QCOMPARE(host.m_Data.GetDataBranch(host.m_GraphKeys[1])->m_Interval, 1.0);
    QCOMPARE(host.m_Data.GetDataBranch(host.m_GraphKeys[1])->m_RateCode, 99);
    QCOMPARE(host.m_Notes, QString("Notes"));
}

void TestWorkspacePvx::fixedAdvances()
{
    // Each record claims a length its fixed advance ignores; the folder name after them is
    // found only if every advance is right.
    QByteArray file = header + record(10, 0) + record(8, 0);
    file += record(804, 20, le16(1) + le16(0));
    file += record(812, 50) + QByteArray(1, '\0');
    file += record(808, 50) + QByteArray(8, '\0');
    file += record(811, 50) + QByteArray(4, '\0');
    file += record(1009, 50) + QByteArray(4, '\0');
    file += record(1003, 50);
    file += record(806, 0, le16(999)) + QByteArray(4, '\0');
    file += record(807, 0, le16(1000) + le32(0) + le32(0) + le16(1001) + le32(0));
    file += textRecord(11, "found");
    CFakeWorkspaceHost host;
    CWorkspaceLoader loader;
    loader.SetHost(&host);
    QCOMPARE(loader.loadPvxData(file), 0);
    QCOMPARE(host.m_Data.GetDataFolderByIndex(0)->m_Name, QString("found"));
    QCOMPARE(host.m_Data.GetDataBranchByIndex(0)->GetYSize(), 0);
}

void TestWorkspacePvx::arraysAndTexts()
{
    QVector<double> values;
    // Markers right, but the count runs past the data: only whole values held are read.
    QByteArray value = le16(1000) + le32(0) + le32(1000000) + le16(1001) + le32(0) + QByteArray(20, '\0');
    QCOMPARE(CWorkspaceLoader::readArray(value, 0, values), quint64(16 + 8 * 1000000));
    QCOMPARE(values.size(), 2);
    // Negative counts add nothing.
    values.clear();
    value = le16(1000) + le32(0) + le32(quint32(-3)) + le16(1001) + le32(0);
    QCOMPARE(CWorkspaceLoader::readArray(value, 0, values), quint64(16));
    QVERIFY(values.isEmpty());

    const QByteArray text("ab\0cd", 5);
    QCOMPARE(CWorkspaceLoader::readStringWByteLength(5, text, 0), QString("ab"));
    QCOMPARE(CWorkspaceLoader::readStringWByteLength(40, QByteArray("xyz"), 1), QString("yz"));
    QCOMPARE(CWorkspaceLoader::readStringWByteLength(0, QByteArray("xyz"), 0), QString());
    QCOMPARE(CWorkspaceLoader::readStringWByteLength(2, QByteArray("xyz"), 9), QString());
    QCOMPARE(CWorkspaceLoader::readStringWByteLength(5, QByteArray("\xc3\xa9t\xc3\xa9"), 0), QString("été"));
}

void TestWorkspacePvx::notesNeedARun()
{
    CFakeWorkspaceHost host;
    CWorkspaceLoader loader;
    loader.SetHost(&host);
    QCOMPARE(loader.loadPvxData(header + record(1008, 4 + 3, "abc") + record(800, 3, "xyz")), 0);
    QVERIFY(host.m_Notes.isNull());
    QVERIFY(host.m_GraphKeys.isEmpty());
    QCOMPARE(host.m_Data.GetNumDataBranches(), 0);
}

void TestWorkspacePvx::pathAfterImport()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("pvxdata.pvx");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(header + record(10, 0));
    file.close();
    CFakeWorkspaceHost host;
    host.m_OpenAnswer = path;
    CWorkspaceLoader loader;
    QCOMPARE(loader.loadWorkspaceFromFile(&host), 0);
    // The name changes in its suffix only: a later Save never writes over the older file.
    QCOMPARE(loader.m_LastPath, dir.filePath("pvxdata.kvb"));
    QCOMPARE(host.m_Data.GetNumDataFolders(), 1);
}

KORVANTA_TEST_GUILESS_MAIN(TestWorkspacePvx)
#include "tst_workspace_pvx.moc"
