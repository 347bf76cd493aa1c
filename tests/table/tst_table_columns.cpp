// Column records and the table window's record: round trips, clamps of values read from a
// file, unknown tags, cut records, and a record of more columns than the models start with.
#include "common/TableRig.h"
#include "table/TableColumn.h"
#include "table/TableDelegate.h"
#include "table/TableModel.h"

#include <QBuffer>
#include <QDataStream>
#include "common/RecordCuts.h"
#include "common/TestMain.h"

namespace {
QByteArray columnBytes(const CTableColumn& column)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    column.saveToFile(&out);
    return bytes;
}

// A record written by hand: each entry a tag and its value(s).
struct Field
{
    qint16 tag;
    QVariant value;
    int count = 1;
};

QByteArray handRecord(const QList<Field>& fields, bool end = true)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    for (const Field& f : fields) {
        out << f.tag;
        for (int i = 0; i < f.count; ++i) {
            if (f.value.type() == QVariant::String)
                out << f.value.toString();
            else if (f.value.type() == QVariant::Bool)
                out << f.value.toBool();
            else if (f.value.isValid())
                out << qint32(f.value.toInt());
        }
    }
    if (end)
        out << qint16(17);
    return bytes;
}

// Writes a table's record and reads it into a new table of the same host, as the workspace
// loader does (it has read the window record's start tag before calling the table).
// cut: bytes taken off the end first. Returns the reader's result.
int copyTable(CTableHost& host, CTableWindow* table, CTableWindow** copy, int cut = 0)
{
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        if (table->saveToFile(&out) != 0)
            return -100;
    }
    bytes.chop(cut);
    *copy = host.newTable(false);
    QDataStream in(bytes);
    qint16 start = 0;
    in >> start;
    if (start != 1113)
        return -101;
    return (*copy)->loadFromFile(&in);
}

int readColumn(const QByteArray& bytes, CTableColumn& column, int shift = 0)
{
    QDataStream in(bytes);
    return column.loadFromFile(&in, shift);
}
} // namespace

class TestTableColumns : public QObject
{
    Q_OBJECT
private slots:
    void recordRoundTripKeepsEveryField();
    void recordBytesStartAsTheFileFormatSays();
    void boldAboveWeightFiftyReadsBackAsSeventyFive();
    void valuesFromAFileAreClamped_data();
    void valuesFromAFileAreClamped();
    void unknownTagsAreSkippedAndACutRecordFails();
    void recordCutAtEveryByteKeepsUnreadFields();
    void keyShiftMovesTheKey();
    void windowRecordRoundTripKeepsColumnsInOrder();
    void windowRecordOfManyColumnsShowsThemAll();
    void cutWindowRecordKeepsColumnsReadSoFar();
    void titleShrinksBeforeItIsCut();
};

void TestTableColumns::recordRoundTripKeepsEveryField()
{
    CTableColumn column;
    column.m_Color = QColor(10, 20, 30);
    column.m_Key = 42;
    column.m_Decimals = 3;
    column.m_Name = "Temperature";
    column.m_FolderName = "Run 3";
    column.m_Unit = QString::fromUtf8("°C");
    QFont font("DejaVu Sans");
    font.setPointSize(14);
    font.setItalic(true);
    font.setUnderline(true);
    font.setStrikeOut(true);
    column.setColumnFont(font);

    CTableColumn back;
    QCOMPARE(readColumn(columnBytes(column), back), 0);
    QCOMPARE(back.m_Color, QColor(10, 20, 30));
    QCOMPARE(back.m_Key, 42);
    QCOMPARE(back.m_Decimals, 3);
    QCOMPARE(back.m_Name, QString("Temperature"));
    QCOMPARE(back.m_FolderName, QString("Run 3"));
    QCOMPARE(back.m_Unit, QString::fromUtf8("°C"));
    QCOMPARE(back.getColumnFont().family(), QString("DejaVu Sans"));
    QCOMPARE(back.getColumnFont().pointSize(), 14);
    QVERIFY(back.getColumnFont().italic());
    QVERIFY(back.getColumnFont().underline());
    QVERIFY(!back.getColumnFont().overline());
    QVERIFY(back.getColumnFont().strikeOut());
}

void TestTableColumns::recordBytesStartAsTheFileFormatSays()
{
    CTableColumn column;
    column.m_Color = QColor(1, 2, 3);
    column.m_Key = 7;
    const QByteArray bytes = columnBytes(column);
    // 1200, r, g, b; 1202, key; ... ends with 17.
    QCOMPARE(bytes.left(16).toHex(), QByteArray("04b0000000010000000200000003" "04b2"));
    QCOMPARE(bytes.mid(16, 4).toHex(), QByteArray("00000007"));
    QCOMPARE(bytes.right(2).toHex(), QByteArray("0011"));
}

void TestTableColumns::boldAboveWeightFiftyReadsBackAsSeventyFive()
{
    CTableColumn column;
    QFont font;
    font.setWeight(63);
    column.setColumnFont(font);
    CTableColumn back;
    QCOMPARE(readColumn(columnBytes(column), back), 0);
    QCOMPARE(back.getColumnFont().weight(), 75);
}

void TestTableColumns::valuesFromAFileAreClamped_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<int>("red");
    QTest::addColumn<int>("points");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("decimals");
    QTest::newRow("colour beyond 255") << handRecord({{1200, 300, 3}}) << 255 << 10 << -1 << 4;
    QTest::newRow("negative colour") << handRecord({{1200, -5, 3}}) << 0 << 10 << -1 << 4;
    QTest::newRow("huge font") << handRecord({{1207, 5000}}) << QColor(Qt::gray).red() << 96 << -1 << 4;
    QTest::newRow("zero font") << handRecord({{1207, 0}}) << QColor(Qt::gray).red() << 4 << -1 << 4;
    QTest::newRow("negative key") << handRecord({{1202, -20}}) << QColor(Qt::gray).red() << 10 << -1 << 4;
    QTest::newRow("decimals") << handRecord({{1203, 1000}}) << QColor(Qt::gray).red() << 10 << -1 << 15;
}

void TestTableColumns::valuesFromAFileAreClamped()
{
    QFETCH(QByteArray, record);
    QFETCH(int, red);
    QFETCH(int, points);
    QFETCH(int, key);
    QFETCH(int, decimals);
    CTableColumn column;
    QCOMPARE(readColumn(record, column), 0);
    QCOMPARE(column.m_Color.red(), red);
    QCOMPARE(column.getColumnFont().pointSize(), points);
    QCOMPARE(column.m_Key, key);
    QCOMPARE(column.m_Decimals, decimals);
}

void TestTableColumns::unknownTagsAreSkippedAndACutRecordFails()
{
    CTableColumn column;
    // 1108 belongs to the table, not the column: passed over, the name after it still read.
    QCOMPARE(readColumn(handRecord({{1108, QVariant()}, {1204, QString("pH")}}), column), 0);
    QCOMPARE(column.m_Name, QString("pH"));
    CTableColumn cut;
    QCOMPARE(readColumn(handRecord({{1204, QString("pH")}}, false), cut), -4);
    QByteArray half = handRecord({{1204, QString("long name here")}});
    half.chop(10);
    CTableColumn broken;
    QCOMPARE(readColumn(half, broken), -4);
}

void TestTableColumns::recordCutAtEveryByteKeepsUnreadFields()
{
    CTableColumn whole;
    whole.m_Color = QColor(10, 20, 30);
    whole.m_Key = 42;
    whole.m_Decimals = 3;
    whole.m_Name = "Temperature";
    whole.m_FolderName = "Run 3";
    whole.m_Unit = "C";
    whole.setColumnFont(QFont("DejaVu Sans", 14, QFont::Bold));
    // Starting values none of which a read past the end would give (0, empty, black).
    RecordCuts::CheckEveryCut(columnBytes(whole), [](QDataStream& in) {
        CTableColumn c;
        c.m_Color = QColor(200, 1, 1);
        c.m_Key = 7;
        c.m_Decimals = 5;
        c.m_Name = c.m_FolderName = c.m_Unit = "before";
        c.setColumnFont(QFont("Liberation Serif", 9));
        const bool complete = c.loadFromFile(&in, 0) == 0;
        const QFont f = c.getColumnFont();
        return RecordCuts::Outcome{complete, {c.m_Color, c.m_Key, c.m_Decimals, c.m_Name, c.m_FolderName, c.m_Unit,
                                              f.family(), f.pointSize(), f.bold()}};
    });
}

void TestTableColumns::keyShiftMovesTheKey()
{
    CTableColumn column;
    QCOMPARE(readColumn(handRecord({{1202, 5}}), column, 100), 0);
    QCOMPARE(column.m_Key, 105);
}

void TestTableColumns::windowRecordRoundTripKeepsColumnsInOrder()
{
    CTableHost host;
    host.addRun({1, 2, 3}, 10);
    CTableWindow* table = host.newTable();
    const QList<int> keys = {3, 1, 2};
    for (int key : keys)
        QVERIFY(table->addColumnByKey(key, nullptr));
    QFont big("DejaVu Serif");
    big.setPointSize(18);
    table->bodyDelegate()->dataColumn(1)->setColumnFont(big);
    table->bodyDelegate()->dataColumn(2)->m_Color = QColor(200, 10, 10);
    CTableWindow* copy = nullptr;
    QCOMPARE(copyTable(host, table, &copy), 0);
    QCOMPARE(copy->dataColumnCount(), 3);
    for (int d = 0; d < 3; ++d)
        QCOMPARE(copy->bodyDelegate()->dataColumn(d)->m_Key, keys.at(d));
    QCOMPARE(copy->bodyDelegate()->dataColumn(1)->getColumnFont().pointSize(), 18);
    QCOMPARE(copy->bodyDelegate()->dataColumn(2)->m_Color, QColor(200, 10, 10));
    QVERIFY(!copy->bodyDelegate()->dataColumn(0)->m_Icon.isNull());
    QCOMPARE(copy->bodyModel()->rowCount(), 10);
}

void TestTableColumns::windowRecordOfManyColumnsShowsThemAll()
{
    CTableHost host;
    QList<int> sensors;
    for (int i = 0; i < 60; ++i)
        sensors << 1;
    CDataFolder* run = host.addRun(sensors, 5);
    CTableWindow* table = host.newTable();
    table->insertAllFolderBranches(run->m_Key);
    CTableWindow* copy = nullptr;
    QCOMPARE(copyTable(host, table, &copy), 0);
    QCOMPARE(copy->dataColumnCount(), 60);
    // Every data column lies inside the models, also those past the first 48.
    QCOMPARE(copy->bodyModel()->columnCount(), 62);
    QCOMPARE(copy->headerModel()->columnCount(), 62);
}

void TestTableColumns::cutWindowRecordKeepsColumnsReadSoFar()
{
    CTableHost host;
    host.addRun({1, 2}, 3);
    CTableWindow* table = host.newTable();
    table->addColumnByKey(1, nullptr);
    table->addColumnByKey(2, nullptr);
    CTableWindow* copy = nullptr;
    QCOMPARE(copyTable(host, table, &copy, 2), -4);   // 1108 cut off
    QCOMPARE(copy->dataColumnCount(), 2);
}

void TestTableColumns::titleShrinksBeforeItIsCut()
{
    const QString title = QString::fromUtf8("Temperature(°C)");
    const QFont base("DejaVu Sans", 10);
    const QFontMetrics metrics(base);
    const int wide = metrics.horizontalAdvance(title);
    const int line = metrics.lineSpacing();
    struct Case { QSize room; QString lines; bool smaller; };
    const Case cases[] = {
        {{wide + 4, line}, title, false},                                         // fits as it is
        {{wide * 9 / 10, line}, title, true},                                      // a smaller font
        {{wide * 4 / 5, 2 * line}, QString::fromUtf8("Temperature\n(°C)"), false}, // unit below
    };
    for (const Case& c : cases) {
        QFont font = base;
        QCOMPARE(CTableDelegate_Header::fitTitle(title, font, c.room), c.lines);
        QCOMPARE(font.pointSizeF() < 10, c.smaller);
    }
    // No room for a second line and far too narrow: three quarters of the font, then cut.
    QFont font = base;
    const QString cut = CTableDelegate_Header::fitTitle(title, font, QSize(wide / 2, line));
    QCOMPARE(font.pointSizeF(), 7.5);
    QVERIFY(cut.endsWith(QChar(0x2026)));
    QVERIFY(QFontMetrics(font).horizontalAdvance(cut) <= wide / 2);
}

KORVANTA_TEST_MAIN(TestTableColumns)
#include "tst_table_columns.moc"
