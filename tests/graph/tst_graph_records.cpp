// The plot and annotation records: the bytes written, reading back what was written, the
// 32-bit tags read 16 bits at a time, and damaged values brought back into range.
#include "graph/GraphPlot.h"

#include <QBuffer>
#include <QDataStream>
#include "common/RecordCuts.h"
#include "common/TestMain.h"

#include <limits>

namespace {

QByteArray Save(const CGraphPlot& plot)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    plot.saveToFile(&out);
    return bytes;
}

// Reads a record as the window's loader does: the start tag first, then the plot.
CGraphPlot Load(const QByteArray& bytes, qint16* startTag = nullptr)
{
    QDataStream in(bytes);
    qint16 tag = 0;
    in >> tag;
    if (startTag)
        *startTag = tag;
    CGraphPlot plot;
    plot.loadFromFile(&in);
    return plot;
}

CGraphTextAnnotation Note(const QString& text, int sample, double angle, double length)
{
    CGraphTextAnnotation a;
    a.m_Text = text;
    a.m_Sample = sample;
    a.m_Angle = angle;
    a.m_Length = length;
    return a;
}

// The bytes of a record with one field replaced, written by hand as a damaged file holds it.
QByteArray Record(const std::function<void(QDataStream&)>& fields)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << qint16(1400);
    fields(out);
    out << qint16(1440);
    return bytes;
}

} // namespace

class TestGraphRecords : public QObject
{
    Q_OBJECT
private slots:
    void defaults()
    {
        const CGraphPlot p;
        QCOMPARE(p.m_Key, -1);
        QVERIFY(p.m_bAutoScale);
        QCOMPARE(p.m_Min, 0.0f);
        QCOMPARE(p.m_Max, 10.0f);
        QCOMPARE(p.m_RateCode, 7);
        QCOMPARE(p.m_Decimals, 2);
        QVERIFY(p.m_bVisible);
        QCOMPARE(p.GetNumAnnotations(), 0);
    }

    void plotWithoutAnnotationsEndsAfterStyle()
    {
        CGraphPlot p;
        p.m_Name = QStringLiteral("Run1-Temperature");
        p.m_Unit = QStringLiteral("C");
        p.m_Key = 42;
        p.m_Style = 2;
        const QByteArray bytes = Save(p);
        QDataStream in(bytes);
        qint16 tag;
        QString s;
        qint32 i;
        bool b;
        double d;
        in >> tag; QCOMPARE(tag, qint16(1400));
        in >> tag >> s; QCOMPARE(tag, qint16(1401)); QCOMPARE(s, p.m_Name);
        in >> tag >> s; QCOMPARE(tag, qint16(1402)); QCOMPARE(s, p.m_Unit);
        in >> tag >> i; QCOMPARE(tag, qint16(1403)); QCOMPARE(i, 42);
        in >> tag >> b; QCOMPARE(tag, qint16(1405)); QVERIFY(b);
        // A float range value takes eight bytes on a stream of default settings.
        in >> tag >> d; QCOMPARE(tag, qint16(1406)); QCOMPARE(d, 0.0);
        in >> tag >> d; QCOMPARE(tag, qint16(1407)); QCOMPARE(d, 10.0);
        qint32 r, g, bl;
        in >> tag >> r >> g >> bl; QCOMPARE(tag, qint16(1404));
        QCOMPARE(QColor(r, g, bl), QColor(Qt::gray));
        in >> tag >> i; QCOMPARE(tag, qint16(1412)); QCOMPARE(i, 2);
        in >> tag; QCOMPARE(tag, qint16(1440));
        QVERIFY(in.atEnd());
    }

    void annotationsRoundTripInOrder()
    {
        CGraphPlot p;
        p.m_Key = 7;
        p.m_Min = -2.5f;
        p.m_Max = 3.25f;
        p.m_Color = QColor(238, 30, 70, 100);
        p.AddAnnotation(Note(QStringLiteral("peak"), 12, 0.5, 60.0));
        p.AddAnnotation(Note(QStringLiteral("drop"), 40, -1.25, 33.0));
        const QByteArray bytes = Save(p);
        // After the plot style the writer puts a 32-bit 1420 before each annotation record.
        const int styleEnd = bytes.indexOf(QByteArray::fromHex("0000058c"));
        QVERIFY(styleEnd > 0);
        qint16 start = 0;
        const CGraphPlot back = Load(bytes, &start);
        QCOMPARE(start, qint16(1400));
        QCOMPARE(back.m_Key, 7);
        QCOMPARE(back.m_Min, -2.5f);
        QCOMPARE(back.m_Max, 3.25f);
        QCOMPARE(back.m_Color, QColor(238, 30, 70, 255));   // read back opaque
        QCOMPARE(back.GetNumAnnotations(), 2);
        QCOMPARE(back.GetAnnoation(0).m_Text, QStringLiteral("peak"));
        QCOMPARE(back.GetAnnoation(0).m_Sample, 12);
        QCOMPARE(back.GetAnnoation(0).m_Angle, 0.5);
        QCOMPARE(back.GetAnnoation(1).m_Text, QStringLiteral("drop"));
        QCOMPARE(back.GetAnnoation(1).m_Sample, 40);
        QCOMPARE(back.GetAnnoation(1).m_Angle, -1.25);
        QCOMPARE(back.GetAnnoation(1).m_Length, 33.0);
        QVERIFY(back.GetAnnoation(1).m_TextRect.isNull());
    }

    void removeOutsideTheListChangesNothing()
    {
        CGraphPlot p;
        p.AddAnnotation(Note(QStringLiteral("a"), 1, 0, 1));
        p.RemoveAnnotation(-1);
        p.RemoveAnnotation(1);
        QCOMPARE(p.GetNumAnnotations(), 1);
        p.RemoveAnnotation(0);
        QCOMPARE(p.GetNumAnnotations(), 0);
        QVERIFY(p.GetAnnoation(3).m_Text.isEmpty());
    }

    void unknownTagsAreSkippedAndTruncationKeepsWhatWasRead()
    {
        const QByteArray bytes = Record([](QDataStream& out) {
            out << qint16(1499);            // unknown, no value read
            out << qint16(1401) << QStringLiteral("Kept");
        });
        QCOMPARE(Load(bytes).m_Name, QStringLiteral("Kept"));
        // Cut inside the unit string: the name read before it stays, the rest keeps defaults.
        QByteArray cut = Record([](QDataStream& out) {
            out << qint16(1401) << QStringLiteral("Name") << qint16(1402) << QStringLiteral("Volt");
        });
        cut.chop(6);
        const CGraphPlot p = Load(cut);
        QCOMPARE(p.m_Name, QStringLiteral("Name"));
        QCOMPARE(p.m_Max, 10.0f);
    }

    void recordsCutAtEveryByteKeepUnreadFields()
    {
        CGraphPlot whole;
        whole.m_Name = QStringLiteral("Run1");
        whole.m_Unit = QStringLiteral("V");
        whole.m_Key = 7;
        whole.m_bAutoScale = false;
        whole.m_Min = -2.5f;
        whole.m_Max = 3.25f;
        whole.m_Color = QColor(238, 30, 70);
        whole.m_Style = CGraphPlot::StyleLineDots;
        whole.AddAnnotation(Note(QStringLiteral("peak"), 12, 0.5, 33.0));
        // Starting values none of which a read past the end would give (0, empty, black); an
        // annotation cut short is not added.
        RecordCuts::CheckEveryCut(Save(whole).mid(2), [](QDataStream& in) {
            CGraphPlot p;
            p.m_Name = p.m_Unit = QStringLiteral("before");
            p.m_Min = 1.5f;
            p.m_Style = CGraphPlot::StyleDots;
            const bool complete = p.loadFromFile(&in) == 0;
            const CGraphTextAnnotation a = p.GetAnnoation(0);
            return RecordCuts::Outcome{complete, {p.m_Name, p.m_Unit, p.m_Key, p.m_bAutoScale, p.m_Min, p.m_Max,
                                                  p.m_Color, p.m_Style, p.GetNumAnnotations(), a.m_Text, a.m_Sample}};
        });
    }

    void damagedFieldsAreClamped_data()
    {
        QTest::addColumn<int>("red");
        QTest::addColumn<int>("style");
        QTest::addColumn<double>("max");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("wantRed");
        QTest::addColumn<int>("wantStyle");
        QTest::addColumn<float>("wantMax");
        QTest::addColumn<int>("wantKey");
        QTest::newRow("in range") << 200 << 3 << 5.0 << 4 << 200 << 3 << 5.0f << 4;
        QTest::newRow("colour above 255") << 9000 << 0 << 5.0 << 4 << 255 << 0 << 5.0f << 4;
        QTest::newRow("negative colour") << -3 << 0 << 5.0 << 4 << 0 << 0 << 5.0f << 4;
        QTest::newRow("unknown style") << 10 << 77 << 5.0 << 4 << 10 << 0 << 5.0f << 4;
        QTest::newRow("negative style") << 10 << -1 << 5.0 << 4 << 10 << 0 << 5.0f << 4;
        QTest::newRow("infinite max") << 10 << 1 << std::numeric_limits<double>::infinity() << 4 << 10 << 1 << 10.0f << 4;
        QTest::newRow("huge max") << 10 << 1 << 1.0e300 << 4 << 10 << 1 << CGraphPlot::MaxRange << 4;
        QTest::newRow("NaN max") << 10 << 1 << std::numeric_limits<double>::quiet_NaN() << 4 << 10 << 1 << 10.0f << 4;
        QTest::newRow("key below -1") << 10 << 1 << 5.0 << -50 << 10 << 1 << 5.0f << -1;
    }
    void damagedFieldsAreClamped()
    {
        QFETCH(int, red);
        QFETCH(int, style);
        QFETCH(double, max);
        QFETCH(int, key);
        const QByteArray bytes = Record([&](QDataStream& out) {
            out << qint16(1404) << qint32(red) << qint32(20) << qint32(30);
            out << qint16(1412) << qint32(style);
            out << qint16(1407) << max;
            out << qint16(1403) << qint32(key);
        });
        const CGraphPlot p = Load(bytes);
        QTEST(p.m_Color.red(), "wantRed");
        QTEST(p.m_Style, "wantStyle");
        QTEST(p.m_Max, "wantMax");
        QTEST(p.m_Key, "wantKey");
    }

    void damagedAnnotationValuesAreClamped()
    {
        QByteArray bytes;
        {
            QDataStream out(&bytes, QIODevice::WriteOnly);
            out << qint16(1400) << qint32(1420);
            out << qint32(1422) << qint32(-8);
            out << qint32(1423) << std::numeric_limits<double>::quiet_NaN();
            out << qint32(1424) << 1.0e12;
            out << qint32(1429) << qint16(1440);
        }
        const CGraphPlot p = Load(bytes);
        QCOMPARE(p.GetNumAnnotations(), 1);
        QCOMPARE(p.GetAnnoation(0).m_Sample, 0);
        QCOMPARE(p.GetAnnoation(0).m_Angle, 45.0);
        QCOMPARE(p.GetAnnoation(0).m_Length, 10000.0);
    }
};

KORVANTA_TEST_GUILESS_MAIN(TestGraphRecords)
#include "tst_graph_records.moc"
