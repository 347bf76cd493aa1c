// The user-defined sensor table and its file "Defined Sensors.ds": defaults, the parameter
// computation on worked points, the exact byte layout and the refusal of bad files.
#include "Core/Data/SensorDefinitions.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include "common/TestMain.h"

#include <cmath>
#include <limits>
#include <memory>
#include <unistd.h>

namespace {

const QString kFile = QStringLiteral("Defined Sensors.ds");

// Big-endian encoders written out by hand, so the layout test does not lean on QDataStream.
void be16(QByteArray& b, quint16 v)
{
    b.append(char(v >> 8)).append(char(v & 0xff));
}
void be32(QByteArray& b, quint32 v)
{
    be16(b, quint16(v >> 16));
    be16(b, quint16(v & 0xffff));
}
void be64(QByteArray& b, double d)
{
    quint64 v;
    memcpy(&v, &d, 8);
    be32(b, quint32(v >> 32));
    be32(b, quint32(v & 0xffffffffu));
}
void str(QByteArray& b, const QString& s)
{
    be32(b, quint32(s.size() * 2));
    for (QChar c : s)
        be16(b, c.unicode());
}

struct Entry
{
    QString name, unit;
    double value1, value2, voltage1, voltage2;
    qint32 mul, div, scale, offset;
};

QByteArray fileBytes(const QString& header, int count, const QList<Entry>& entries)
{
    QByteArray b;
    str(b, header);
    be16(b, quint16(qint16(count)));
    for (const Entry& e : entries) {
        str(b, e.name);
        str(b, e.unit);
        be64(b, e.value1);
        be64(b, e.value2);
        be64(b, e.voltage1);
        be64(b, e.voltage2);
        be32(b, quint32(e.mul));
        be32(b, quint32(e.div));
        be32(b, quint32(e.scale));
        be32(b, quint32(e.offset));
    }
    return b;
}

bool writeFile(const QByteArray& bytes)
{
    QFile f(kFile);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray readFile()
{
    QFile f(kFile);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const Entry kTwoPoint{"Probe", "kPa", 10, 60, 1, 4, 7, 9, 11, -13};

} // namespace

class TestCatalogueDefinitions : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_previousDir;

    // A table read from a known file: three entries named A, B, C.
    std::unique_ptr<CSensorsDefinition> tableOfThree()
    {
        QList<Entry> e;
        for (const char* n : {"A", "B", "C"})
            e << Entry{n, "u", 0, 5, 0, 5, 1, 1, 0, 0};
        writeFile(fileBytes("SensorsDefinitionFile v.1.2", 3, e));
        std::unique_ptr<CSensorsDefinition> d(new CSensorsDefinition);
        return d;
    }

    void expectDefaults(const CSensorsDefinition& d)
    {
        QCOMPARE(d.GetTotalNewDefinedSensors(), short(10));
        QCOMPARE(d.GetSensorName(0), QStringLiteral("Sound"));
        QCOMPARE(d.GetSensorName(9), QStringLiteral("Charge ±0.025"));
    }

private slots:
    void init()
    {
        m_dir.reset(new QTemporaryDir);
        QVERIFY(m_dir->isValid());
        m_previousDir = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_dir->path()));
    }
    void cleanup()
    {
        QDir::setCurrent(m_previousDir);
        m_dir.reset();
    }

    void newObjectWritesTheDefaults()
    {
        {
            CSensorsDefinition d;
            expectDefaults(d);
            QCOMPARE(d.GetFileName(), kFile);
            QVERIFY(!d.HaveMoreRoom());
            // name, unit, v1, v2, value1, value2, multiplier, divider, decimal scale, offset
            const struct
            {
                const char* name;
                const char* unit;
                double v1, v2, y1, y2;
                int m, dv, s, o;
            } rows[] = {
                {"Sound", "dB", 0.4, 1.1, 40, 110, 83, 17, 1, 0},
                {"CO2", "ppm", 0, 2.5, 0, 5000, 166, 17, 0, 0},
                {"Charge ±0.25", "uC", 0, 5, -0.25, 0.25, 104, 213, 100, 0},
                {"Light-150K", "klx", 0, 5, 0, 150, 104, 71, 1, 0},
                {"Light-6000", "lx", 0, 5, 0, 6000, 252, 43, 0, 0},
                {"Light-600", "lx", 0, 5, 0, 600, 252, 43, 1, 0},
                {"Turbidity", "NTU", 1, 5, 0, 200, 188, 77, 1, 800},
                {"ISE", "V", 2.5, 5, 0, 0.31, 89, 147, 100, 0},
                {"Soil", "CB", 2.4, 4.8, 0, 199, 166, 41, 1, 1960},
                {"Charge ±0.025", "uC", 0, 5, -0.025, 0.025, 2, 41, 100, 0},
            };
            for (int i = 0; i < 10; ++i) {
                const DefinedSensorsInfoStruct e = d.GetDefinedSensorInfo(short(i));
                QCOMPARE(e.m_Name, QString::fromUtf8(rows[i].name));
                QCOMPARE(e.m_Unit, QString::fromUtf8(rows[i].unit));
                QCOMPARE(e.m_Voltage1, rows[i].v1);
                QCOMPARE(e.m_Value2, rows[i].y2);
                QCOMPARE(e.m_Multiplier, rows[i].m);
                QCOMPARE(e.m_Divider, rows[i].dv);
                QCOMPARE(e.m_DecimalScale, rows[i].s);
                QCOMPARE(e.m_CountOffset, rows[i].o);
            }
        }
        // The file holds exactly the defaults: a second object reads them back.
        QVERIFY(QFile::exists(kFile));
        const QByteArray bytes = readFile();
        QVERIFY(bytes.startsWith(fileBytes("SensorsDefinitionFile v.1.2", 10, {})));
        CSensorsDefinition again;
        expectDefaults(again);
        QCOMPARE(again.GetDefinedSensorInfo(8).m_CountOffset, 1960);
    }

    void byteLayoutOfOneEntry()
    {
        {
            QList<Entry> e{kTwoPoint};
            QVERIFY(writeFile(fileBytes("SensorsDefinitionFile v.1.2", 1, e)));
            CSensorsDefinition d;
            QCOMPARE(d.GetTotalNewDefinedSensors(), short(1));
            // The integers are taken as stored, not recomputed on reading.
            const DefinedSensorsInfoStruct r = d.GetDefinedSensorInfo(0);
            QCOMPARE(r.m_Name, QStringLiteral("Probe"));
            QCOMPARE(r.m_Value1, 10.0);
            QCOMPARE(r.m_Value2, 60.0);
            QCOMPARE(r.m_Voltage1, 1.0);
            QCOMPARE(r.m_Voltage2, 4.0);
            QCOMPARE(r.m_Multiplier, 7);
            QCOMPARE(r.m_CountOffset, -13);
            QVERIFY(d.Save());
        }
        // Saving recomputes the integers from the points: 1 V -> 10, 4 V -> 60 is the line
        // 50/3 x - 20/3, 76.67 at 5 V, so scale 100, target 100 * 83.33 / 1024 = 8.138,
        // fraction 236/29, offset (6 * 29 / 236) * 100 * 4 = 0.
        int m = 0, dv = 0;
        CSensorsDefinition::FindClosestMulDiv(100.0 * (250.0 / 3.0) / 1024.0, m, dv);
        QCOMPARE(m, 236);
        QCOMPARE(dv, 29);
        const QByteArray expected = fileBytes("SensorsDefinitionFile v.1.2", 1,
                                              {Entry{"Probe", "kPa", 10, 60, 1, 4, 236, 29, 10, 0}});
        QCOMPARE(readFile().toHex(), expected.toHex());
    }

    void oldVersionGivesDefaults()
    {
        QVERIFY(writeFile(fileBytes("SensorsDefinitionFile v.1.1", 1, {kTwoPoint})));
        CSensorsDefinition d;
        expectDefaults(d);
        QVERIFY(writeFile(fileBytes("SensorsDefinitionFile v.1.0", 1, {kTwoPoint})));
        auto t = tableOfThree();
        QVERIFY(writeFile(fileBytes("SensorsDefinitionFile v.1.0", 1, {kTwoPoint})));
        QVERIFY(t->Load());
        expectDefaults(*t);
    }

    void foreignOrDamagedFilesLeaveTheTable()
    {
        const QList<QByteArray> bad = {
            fileBytes("SensorsDefinitionFile v.0.9", 1, {kTwoPoint}),
            fileBytes("SensorDefinitionsFile v.1.2", 1, {kTwoPoint}),
            fileBytes("sensorsDefinitionFile v.1.2", 1, {kTwoPoint}),
            fileBytes("SensorsDefinitionFile v.", 1, {kTwoPoint}),
            fileBytes("SensorsDefinitionFile", 1, {kTwoPoint}),
            fileBytes("SensorsDefinitionFile v.abc", 1, {kTwoPoint}),
            fileBytes("SensorsDefinitionFile v.nan", 1, {kTwoPoint}),
            fileBytes("SensorsDefinitionFile v.1.2", 11, QList<Entry>() << kTwoPoint << kTwoPoint),
            fileBytes("SensorsDefinitionFile v.1.2", 32767, {kTwoPoint}),
            fileBytes("SensorsDefinitionFile v.1.2", -1, {kTwoPoint}),
            fileBytes("SensorsDefinitionFile v.1.2", -32768, {}),
            fileBytes("SensorsDefinitionFile v.1.2", 2, {kTwoPoint}),
            QByteArray(),
            QByteArray("\xff\xff\xff\xff", 4),
            QByteArray("\x7f\xff\xff\xfe", 4) + QByteArray(100, 'S'),
            QByteArray("\x00\x00\x00\x03SSS", 8),
        };
        for (int i = 0; i < bad.size(); ++i) {
            auto d = tableOfThree();
            QCOMPARE(d->GetTotalNewDefinedSensors(), short(3));
            QVERIFY(writeFile(bad[i]));
            QVERIFY2(!d->Load(), qPrintable(QString::number(i)));
            QCOMPARE(d->GetTotalNewDefinedSensors(), short(3));
            QCOMPARE(d->GetSensorName(2), QStringLiteral("C"));
            QVERIFY(d->HaveMoreRoom());
        }
    }

    void truncatedFileIsNeverHalfRead()
    {
        const QByteArray full =
            fileBytes("SensorsDefinitionFile v.1.2", 2,
                      {Entry{"X", "a", 1, 2, 3, 4, 5, 6, 7, 8}, Entry{"Y", "b", 1, 2, 3, 4, 5, 6, 7, 8}});
        auto d = tableOfThree();
        for (int cut = 0; cut < full.size(); ++cut) {
            QVERIFY(writeFile(full.left(cut)));
            QVERIFY2(!d->Load(), qPrintable(QString::number(cut)));
            QCOMPARE(d->GetTotalNewDefinedSensors(), short(3));
            QCOMPARE(d->GetSensorName(0), QStringLiteral("A"));
            QCOMPARE(d->GetSensorName(1), QStringLiteral("B"));
        }
        QVERIFY(writeFile(full));
        QVERIFY(d->Load());
        QCOMPARE(d->GetTotalNewDefinedSensors(), short(2));
        QCOMPARE(d->GetSensorName(1), QStringLiteral("Y"));
        // Entries beyond the count keep what they held.
        QCOMPARE(d->GetSensorName(2), QStringLiteral("C"));
    }

    void countZeroEmptiesTheTableOnly()
    {
        auto d = tableOfThree();
        QVERIFY(writeFile(fileBytes("SensorsDefinitionFile v.1.2", 0, {})));
        QVERIFY(d->Load());
        QCOMPARE(d->GetTotalNewDefinedSensors(), short(0));
        QCOMPARE(d->GetSensorName(0), QStringLiteral("A"));
    }

    void oversizedFileIsRefused()
    {
        auto d = tableOfThree();
        QByteArray big = fileBytes("SensorsDefinitionFile v.1.2", 1, {kTwoPoint});
        big.append(QByteArray(int(CSensorsDefinition::s_MaxFileSize), '\0'));
        QVERIFY(writeFile(big));
        QVERIFY(!d->Load());
        QCOMPARE(d->GetTotalNewDefinedSensors(), short(3));
    }

    void saveReplacesTheFileInsteadOfTruncatingIt()
    {
        auto d = tableOfThree();
        const QByteArray before = readFile();
        // A second name for the old file: a write in place would change what it shows.
        QVERIFY(::link(QFile::encodeName(kFile).constData(), "previous.ds") == 0);
        QVERIFY(d->AddNewSensor("D"));
        QVERIFY(d->Save());
        QFile previous("previous.ds");
        QVERIFY(previous.open(QIODevice::ReadOnly));
        QCOMPARE(previous.readAll(), before);
        CSensorsDefinition reread;
        QCOMPARE(reread.GetTotalNewDefinedSensors(), short(4));
        QCOMPARE(reread.GetSensorName(3), QStringLiteral("D"));
    }

    void addingAndEditingEntries()
    {
        auto d = tableOfThree();
        QVERIFY(d->AddNewSensor("Fourth"));
        QCOMPARE(d->GetTotalNewDefinedSensors(), short(4));
        const DefinedSensorsInfoStruct e = d->GetDefinedSensorInfo(3);
        QCOMPARE(e.m_Name, QStringLiteral("Fourth"));
        QVERIFY(e.m_Unit.isEmpty());
        QCOMPARE(e.m_Voltage2, 0.0);
        QCOMPARE(e.m_Value2, 0.0);

        QString name = "Edited", unit = "klx";
        d->SetSensorInfo(3, name, unit, 0, 5, 0, 150);
        QCOMPARE(d->GetDefinedSensorInfo(3).m_Unit, QStringLiteral("klx"));
        QCOMPARE(d->GetDefinedSensorInfo(3).m_Multiplier, e.m_Multiplier); // recomputed only on saving
        QVERIFY(d->Save());
        QCOMPARE(d->GetDefinedSensorInfo(3).m_Multiplier, 104);
        QCOMPARE(d->GetDefinedSensorInfo(3).m_Divider, 71);

        QString other = "Nope";
        d->SetSensorInfo(4, other, unit, 1, 2, 3, 4);
        d->SetSensorInfo(-1, other, unit, 1, 2, 3, 4);
        d->SetSensorInfo(-32768, other, unit, 1, 2, 3, 4);
        QVERIFY(d->GetSensorName(4) != other);
        QCOMPARE(d->GetSensorName(0), QStringLiteral("A"));

        while (d->HaveMoreRoom())
            QVERIFY(d->AddNewSensor("more"));
        QCOMPARE(d->GetTotalNewDefinedSensors(), short(10));
        QVERIFY(!d->AddNewSensor("eleventh"));
        QCOMPARE(d->GetTotalNewDefinedSensors(), short(10));
    }

    void gettersOutsideTheTable()
    {
        auto d = tableOfThree();
        for (short i : {short(10), short(12), short(-1), short(-32768)}) {
            QVERIFY(d->GetSensorName(i).isEmpty());
            QCOMPARE(d->GetDefinedSensorInfo(i).m_Name, QStringLiteral("A"));
            QVERIFY(!d->GetDefinedSensorsInfo(i));
            QVERIFY(!d->CalculateQuaselSensorsParameters(i));
        }
        QCOMPARE(d->GetDefinedSensorsInfo(1)->m_Name, QStringLiteral("B"));
    }

    void closestFraction()
    {
        int m = 0, dv = 0;
        CSensorsDefinition::FindClosestMulDiv(0.5, m, dv);
        QCOMPARE(m, 1);
        QCOMPARE(dv, 2);
        CSensorsDefinition::FindClosestMulDiv(0.0, m, dv);
        QCOMPARE(m, 1);
        QCOMPARE(dv, 255);
        CSensorsDefinition::FindClosestMulDiv(300.0, m, dv);
        QCOMPARE(m, 255);
        QCOMPARE(dv, 1);
        CSensorsDefinition::FindClosestMulDiv(std::nan(""), m, dv);
        QCOMPARE(m, 1);
        QCOMPARE(dv, 1);
    }

    void parametersFromTwoPoints_data()
    {
        QTest::addColumn<double>("v1");
        QTest::addColumn<double>("v2");
        QTest::addColumn<double>("y1");
        QTest::addColumn<double>("y2");
        QTest::addColumn<bool>("usable");
        QTest::addColumn<int>("mul");
        QTest::addColumn<int>("div");
        QTest::addColumn<int>("scale");
        QTest::addColumn<int>("offset");
        const double nan = std::nan(""), inf = std::numeric_limits<double>::infinity();
        QTest::newRow("0-150") << 0.0 << 5.0 << 0.0 << 150.0 << true << 104 << 71 << 1 << 0;
        QTest::newRow("offset 800") << 1.0 << 5.0 << 0.0 << 200.0 << true << 188 << 77 << 1 << 800;
        QTest::newRow("scale 0") << 0.0 << 5.0 << 0.0 << 200000.0 << true << 1 << 255 << 0 << 0;
        // Degenerate points: no division by zero, no NaN or overflow turned into an integer.
        QTest::newRow("equal voltages") << 2.0 << 2.0 << 0.0 << 100.0 << false << 1 << 255 << 0 << 0;
        QTest::newRow("all zero") << 0.0 << 0.0 << 0.0 << 0.0 << false << 1 << 255 << 0 << 0;
        QTest::newRow("nan") << nan << 5.0 << 0.0 << 1.0 << false << 1 << 255 << 0 << 0;
        QTest::newRow("inf value") << 0.0 << 5.0 << 0.0 << inf << false << 1 << 255 << 0 << 0;
        QTest::newRow("zero at 5 V") << 0.0 << 5.0 << 10.0 << 0.0 << false << 1 << 255 << 0 << 0;
        QTest::newRow("negative at 5 V") << 0.0 << 5.0 << 0.0 << -10.0 << false << 1 << 255 << 0 << 0;
        QTest::newRow("offset beyond 32 bits") << 0.0 << 5.0 << -1e12 << 10.0 << false << 1 << 255 << 0 << 0;
        QTest::newRow("huge offset, tiny top") << 0.0 << 5.0 << -3e9 << 1.0 << false << 1 << 255 << 0 << 0;
        // A positive but tiny value at 5 V: the scale is capped at 1000, the offset fits.
        QTest::newRow("tiny top") << 0.0 << 5.0 << 0.0 << 1e-300 << true << 1 << 255 << 100 << 0;
    }
    void parametersFromTwoPoints()
    {
        QFETCH(double, v1);
        QFETCH(double, v2);
        QFETCH(double, y1);
        QFETCH(double, y2);
        auto d = tableOfThree();
        QString name = "P", unit = "u";
        d->SetSensorInfo(0, name, unit, v1, v2, y1, y2);
        QTEST(d->CalculateQuaselSensorsParameters(0), "usable");
        const DefinedSensorsInfoStruct e = d->GetDefinedSensorInfo(0);
        QTEST(e.m_Multiplier, "mul");
        QTEST(e.m_Divider, "div");
        QTEST(e.m_DecimalScale, "scale");
        QTEST(e.m_CountOffset, "offset");
        // Saving such an entry still writes a readable file.
        QVERIFY(d->Save());
        CSensorsDefinition reread;
        QCOMPARE(reread.GetTotalNewDefinedSensors(), short(3));
        QTEST(reread.GetDefinedSensorInfo(0).m_Divider, "div");
    }
};

KORVANTA_TEST_GUILESS_MAIN(TestCatalogueDefinitions)
#include "tst_catalogue_definitions.moc"
