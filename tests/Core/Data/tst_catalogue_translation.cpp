// Translation keys of the catalogue texts (context, source text, comment), seen through test
// translators, and the second translation pass over the "²" texts.
#include "Core/Data/SensorInfo.h"

#include <QCoreApplication>
#include <QHash>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QTranslator>
#include "common/TestMain.h"

#include <memory>

namespace {

struct Key
{
    QString context, source, comment;
    int n;
};

// Records every catalogue lookup. In echo mode it answers "context|source|comment", so a stored
// text shows the key it was looked up under; otherwise it answers from its map, or nothing.
class TestTranslator : public QTranslator
{
public:
    bool echo = false;
    QHash<QString, QString> answers; // "context|source|comment" -> translation
    mutable QVector<Key> calls;

    bool isEmpty() const override { return false; }

    QString translate(const char* context, const char* source, const char* comment, int n) const override
    {
        const QString ctx = QString::fromUtf8(context);
        if (ctx != QLatin1String("CSensorInfo") && ctx != QLatin1String("QObject")) return QString();
        const Key key{ctx, QString::fromUtf8(source), QString::fromUtf8(comment), n};
        calls.append(key);
        const QString joined = key.context + '|' + key.source + '|' + key.comment;
        if (echo) return joined;
        return answers.value(joined);
    }

    int indexOf(const QString& ctx, const QString& source, const QString& comment, int from = 0) const
    {
        for (int i = from; i < calls.size(); ++i)
            if (calls[i].context == ctx && calls[i].source == source && calls[i].comment == comment) return i;
        return -1;
    }
    int lastIndexOf(const QString& ctx, const QString& source, const QString& comment) const
    {
        for (int i = calls.size() - 1; i >= 0; --i)
            if (calls[i].context == ctx && calls[i].source == source && calls[i].comment == comment) return i;
        return -1;
    }
};

QString textsOf(const CSensorParametersInfo& s)
{
    QStringList t{s.m_Name};
    for (const QString& n : s.m_RangeNames)
        t << n;
    for (const CSensorMeasuremntInfo& m : s.m_Measurements)
        t << m.m_Name << m.m_Unit << m.m_RangeText << m.m_Comment;
    return t.join(QChar(0x1f));
}

QStringList allTexts(const CSensorInfo& info)
{
    QStringList out;
    for (const CSensorParametersInfo& s : info.m_Sensors)
        out << textsOf(s);
    return out;
}

} // namespace

class TestCatalogueTranslation : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestTranslator> m_translator;

    void install(TestTranslator* t)
    {
        m_translator.reset(t);
        QVERIFY(QCoreApplication::installTranslator(t));
    }

private slots:
    void cleanup()
    {
        if (m_translator) QCoreApplication::removeTranslator(m_translator.get());
        m_translator.reset();
    }

    void keysOfEntryTexts()
    {
        auto* t = new TestTranslator;
        t->echo = true;
        install(t);
        CSensorInfo info;
        info.LoadSensorInfo();
        const auto s = [&](int k) -> const CSensorParametersInfo& { return info.m_Sensors[k]; };
        const auto m = [&](int k, int j) -> const CSensorMeasuremntInfo& {
            return info.m_Sensors[k].m_Measurements[j];
        };

        QCOMPARE(s(0).m_Name, QStringLiteral("CSensorInfo|Empty|Sensors List"));
        QCOMPARE(m(0, 0).m_Unit, QStringLiteral("CSensorInfo||Sensors List"));
        QCOMPARE(m(5, 1).m_Unit, QStringLiteral("CSensorInfo|W/m²|Sensors List"));
        // The wind-speed slots in mph and knots are made in the general context.
        QCOMPARE(m(34, 0).m_Name, QStringLiteral("CSensorInfo|Wind speed|Sensors List"));
        QCOMPARE(m(34, 1).m_Name, QStringLiteral("QObject|Wind speed|Sensors List"));
        QCOMPARE(m(34, 1).m_Unit, QStringLiteral("QObject|mph|Sensors List"));
        QCOMPARE(m(34, 2).m_RangeText, QStringLiteral("QObject|Speed 4 - 280km/h|Sensors List"));
        QCOMPARE(s(34).m_Name, QStringLiteral("CSensorInfo|Wind speed|Sensors List"));
        // Range names carry the comment of their family.
        QCOMPARE(s(74).m_RangeNames[2], QStringLiteral("CSensorInfo|0-600lx|Light Sensor range"));
        QCOMPARE(s(84).m_RangeNames[0], QStringLiteral("CSensorInfo|0-150klx|Light Sensor range"));
        QCOMPARE(m(84, 0).m_RangeText, QStringLiteral("CSensorInfo|0-600lx|Sensors List"));
        QCOMPARE(s(77).m_Name, QStringLiteral("CSensorInfo|UV|Sensors List internal UV"));
        QCOMPARE(s(78).m_RangeNames[1], QStringLiteral("CSensorInfo|0 - 200[W/m²]|UVA Sensor range"));
        QCOMPARE(s(83).m_RangeNames[1], QStringLiteral("CSensorInfo|45-80dB|Sound range"));
        QCOMPARE(s(100).m_RangeNames[0], QStringLiteral("CSensorInfo|65-110dB|Sound range"));
        QCOMPARE(s(89).m_RangeNames[0], QStringLiteral("CSensorInfo|Normal|Microphone"));
        QCOMPARE(s(118).m_RangeNames[1], QStringLiteral("CSensorInfo|Sensitive|Microphone"));
        QCOMPARE(s(98).m_RangeNames[1], QStringLiteral("CSensorInfo|± 10N|force range"));
        QCOMPARE(s(112).m_RangeNames[1], QStringLiteral("CSensorInfo|0 - 10[W/m²]|UVA Sensor range"));
        QCOMPARE(s(115).m_RangeNames[0], QStringLiteral("CSensorInfo|0 - 10[W/m²]|UVB Sensor range"));
        QCOMPARE(s(119).m_RangeNames[0], QStringLiteral("QObject|± 0.2mT|Microphone"));
        QCOMPARE(s(120).m_RangeNames[0], QStringLiteral("QObject|± 0.2mT|Magnetic-Field"));
        QCOMPARE(m(120, 0).m_RangeText, QStringLiteral("QObject|± 0.2mT|Sensors List"));
        QCOMPARE(s(123).m_Name, QStringLiteral("QObject|Voltage|Sensors List"));
        QCOMPARE(s(123).m_RangeNames[0], QStringLiteral("CSensorInfo|± 25V|Voltage Multi-Range"));
        QCOMPARE(m(122, 0).m_Unit, QStringLiteral("QObject||Sensors List"));
        QCOMPARE(m(121, 1).m_Name, QStringLiteral("CSensorInfo|TRMS|Sensors List"));
        // The last entries: general names, their own comments on the measurement texts, and
        // range names without a comment.
        QCOMPARE(s(127).m_Name, QStringLiteral("QObject|Rotary|Sensors List"));
        QCOMPARE(m(127, 0).m_Name, QStringLiteral("CSensorInfo|Angle|Sensors List"));
        QCOMPARE(m(128, 0).m_RangeText, QStringLiteral("QObject|bpm|Sensors List"));
        QCOMPARE(m(130, 0).m_Name, QStringLiteral("QObject|ISE Amplifier|ensors List"));
        QCOMPARE(m(131, 0).m_Name, QStringLiteral("QObject|ISE Amplifier|sensors List"));
        QCOMPARE(m(130, 0).m_Unit, QStringLiteral("QObject|ppm|Sensors List"));
        QCOMPARE(m(130, 0).m_RangeText, QStringLiteral("QObject||sensors List"));
        QCOMPARE(m(132, 0).m_Name, QStringLiteral("QObject|Electrostatic Charge|ensors List"));
        QCOMPARE(m(133, 0).m_Name, QStringLiteral("QObject|Electrostatic Charge|sensors List"));
        QCOMPARE(m(136, 0).m_Name, QStringLiteral("QObject|Conductivity|sensors List"));
        QCOMPARE(s(136).m_Name, QStringLiteral("QObject|Conductivity |Sensors List"));
        QCOMPARE(m(146, 0).m_RangeText, QStringLiteral("QObject|-40 - 140°C|sensors List"));
        QCOMPARE(m(147, 0).m_Name, QStringLiteral("QObject|Wind speed|Sensors List"));
        QCOMPARE(s(130).m_RangeNames[0], QStringLiteral("CSensorInfo|ISE0|"));
        QCOMPARE(s(133).m_RangeNames[1], QStringLiteral("CSensorInfo|±25nC|"));
        // Not translated: the fixed comment and a slot name the loading never stores.
        QCOMPARE(m(1, 0).m_Comment, QStringLiteral("Sensors List"));
        QVERIFY(m(48, 7).m_Name.isEmpty());
        QCOMPARE(m(48, 7).m_Unit, QStringLiteral("CSensorInfo|V|Sensors List"));
        QVERIFY(m(127, 7).m_Name.isEmpty());
        // Electrodes.
        QCOMPARE(info.m_ISEInfo[1].m_Name, QStringLiteral("CSensorInfo|Bromide|"));
        QCOMPARE(info.getISEName(4999), QStringLiteral("CSensorInfo|ISE Amplifier|ISE sensor"));
    }

    // Every key the loading looks up is one that lupdate extracts from the sources, so the
    // translation files can carry it.
    void lupdateExtractsEveryLoadedKey()
    {
        const QString sources = qEnvironmentVariable("KORVANTA_SOURCE_DIR");
        QString lupdate = QStandardPaths::findExecutable(QStringLiteral("lupdate"));
        if (lupdate.isEmpty()) lupdate = QStandardPaths::findExecutable(QStringLiteral("lupdate"), {"/usr/lib/qt5/bin"});
        if (sources.isEmpty() || lupdate.isEmpty()) QSKIP("needs lupdate and the source tree");
        QTemporaryDir dir;
        const QString ts = dir.filePath(QStringLiteral("catalogue.ts"));
        QProcess p;
        p.start(lupdate, {"-silent", sources + "/src/Core/Data", "-ts", ts});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 0);
        QFile file(ts);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QSet<QString> extracted;
        QXmlStreamReader xml(&file);
        QString context, source, comment;
        while (!xml.atEnd()) {
            xml.readNext();
            if (!xml.isStartElement()) continue;
            if (xml.name() == QLatin1String("name")) context = xml.readElementText();
            else if (xml.name() == QLatin1String("message")) source.clear(), comment.clear();
            else if (xml.name() == QLatin1String("source")) source = xml.readElementText();
            else if (xml.name() == QLatin1String("comment")) comment = xml.readElementText();
            else if (xml.name() == QLatin1String("translation")) extracted.insert(context + '|' + source + '|' + comment);
        }
        QVERIFY(!xml.hasError());

        auto* t = new TestTranslator;
        install(t);
        CSensorInfo info;
        info.LoadSensorInfo();
        QStringList missing;
        for (const Key& k : qAsConst(t->calls)) {
            const QString key = k.context + '|' + k.source + '|' + k.comment;
            if (!k.source.isEmpty() && !extracted.contains(key)) missing << key;
        }
        missing.removeDuplicates();
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(", ")));
        QVERIFY(t->calls.size() > 700);
    }

    void electrodesAreFilledBetween131And132()
    {
        auto* t = new TestTranslator;
        install(t);
        CSensorInfo info;
        info.LoadSensorInfo();
        const int lastOf131 = t->lastIndexOf("QObject", "ISE Amplifier", "sensors List");
        const int ammonium = t->indexOf("CSensorInfo", "Ammonium", "");
        const int sodium = t->indexOf("CSensorInfo", "Sodium", "");
        const int first132 = t->indexOf("QObject", "Electrostatic Charge", "Sensors List");
        QVERIFY(lastOf131 >= 0 && ammonium >= 0 && sodium >= 0 && first132 >= 0);
        QVERIFY(lastOf131 < ammonium);
        QVERIFY(ammonium < sodium);
        QVERIFY(sodium < first132);
        // Entries are filled in index order: the first text of entry 0 comes first, the last
        // text of entry 148 last.
        QCOMPARE(t->calls.first().source, QStringLiteral("Empty"));
        QCOMPARE(t->calls.last().source, QStringLiteral("Direction 0 - 360°"));
        // Without answers every text is its source text.
        QCOMPARE(info.m_Sensors[34].m_Measurements[1].m_Unit, QStringLiteral("mph"));
    }

    void translationAppliesOnlyUnderItsKey()
    {
        auto* t = new TestTranslator;
        t->answers.insert("CSensorInfo|Wind speed|Sensors List", "Windgeschwindigkeit");
        t->answers.insert("QObject|Conductivity|sensors List", "Leitfaehigkeit");
        t->answers.insert("CSensorInfo|Conductivity|Sensors List", "Leitwert");
        t->answers.insert("CSensorInfo|0-600lx|Light Sensor range", "0-600 Lux");
        install(t);
        CSensorInfo info;
        info.LoadSensorInfo();
        const auto m = [&](int k, int j) -> const CSensorMeasuremntInfo& {
            return info.m_Sensors[k].m_Measurements[j];
        };
        QCOMPARE(m(34, 0).m_Name, QStringLiteral("Windgeschwindigkeit"));
        QCOMPARE(m(34, 1).m_Name, QStringLiteral("Wind speed"));
        QCOMPARE(m(34, 2).m_Name, QStringLiteral("Wind speed"));
        QCOMPARE(m(147, 0).m_Name, QStringLiteral("Wind speed"));
        QCOMPARE(m(136, 0).m_Name, QStringLiteral("Leitfaehigkeit"));
        QCOMPARE(m(30, 0).m_Name, QStringLiteral("Leitwert"));
        QCOMPARE(info.m_Sensors[136].m_Name, QStringLiteral("Conductivity "));
        QCOMPARE(info.m_Sensors[76].m_RangeNames[2], QStringLiteral("0-600 Lux"));
        QCOMPARE(m(76, 0).m_RangeText, QStringLiteral("0-600lx"));
    }

    void retranslationWithoutTranslationChangesNothing()
    {
        CSensorInfo info;
        info.LoadSensorInfo();
        const QStringList before = allTexts(info);
        info.FixStringTranslation();
        QCOMPARE(allTexts(info), before);
        QCOMPARE(info.m_Sensors[65].m_Measurements[0].m_Unit.size(), 4); // "²" stays one character
        info.FixStringTranslation();
        QCOMPARE(allTexts(info), before);
    }

    void retranslationTouchesOnlyItsFields()
    {
        CSensorInfo info;
        info.LoadSensorInfo();
        auto* t = new TestTranslator;
        t->answers.insert("CSensorInfo|W/m²|Sensors List", "W/m2");
        t->answers.insert("CSensorInfo|0 - 10[W/m²]|UVA Sensor range", "UVA 10");
        t->answers.insert("CSensorInfo|0 - 10[W/m²]|Sensors List", "0 - 10 W/m2");
        install(t);
        info.m_Sensors[68].m_Measurements[0].m_Comment = QStringLiteral("edited");
        info.m_Sensors[69].m_Measurements[0].m_Comment = QStringLiteral("edited");
        const QString untouched = textsOf(info.m_Sensors[112]);
        info.FixStringTranslation();

        const auto m = [&](int k, int j) -> const CSensorMeasuremntInfo& {
            return info.m_Sensors[k].m_Measurements[j];
        };
        for (int k : {65, 66, 67, 68, 69, 70, 77, 78})
            QCOMPARE(m(k, 0).m_Unit, QStringLiteral("W/m2"));
        for (int k : {5, 6, 44})
            QCOMPARE(m(k, 1).m_Unit, QStringLiteral("W/m2"));
        QCOMPARE(m(66, 0).m_RangeText, QStringLiteral("0 - 10 W/m2"));
        QCOMPARE(m(65, 0).m_RangeText, QStringLiteral("0 - 200[W/m²]"));
        QCOMPARE(info.m_Sensors[77].m_RangeNames[0], QStringLiteral("UVA 10"));
        QCOMPARE(info.m_Sensors[78].m_RangeNames[0], QStringLiteral("UVA 10"));
        QCOMPARE(info.m_Sensors[78].m_RangeNames[1], QStringLiteral("0 - 200[W/m²]"));
        QCOMPARE(m(68, 0).m_Comment, QStringLiteral("Sensors List"));
        QCOMPARE(m(69, 0).m_Comment, QStringLiteral("edited"));
        QCOMPARE(textsOf(info.m_Sensors[112]), untouched);
        QCOMPARE(m(5, 0).m_Unit, QStringLiteral("lx"));

        // 26 lookups, all in the catalogue's own context, without a plural count, with the
        // source text handed over as UTF-8.
        QCOMPARE(t->calls.size(), 26);
        for (const Key& k : qAsConst(t->calls)) {
            QCOMPARE(k.context, QStringLiteral("CSensorInfo"));
            QCOMPARE(k.n, -1);
            QVERIFY(k.source.contains(QChar(0xB2)));
        }
    }
};

KORVANTA_TEST_MAIN(TestCatalogueTranslation)
#include "tst_catalogue_translation.moc"
