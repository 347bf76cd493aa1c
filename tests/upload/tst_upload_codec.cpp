// The XML-RPC codec: call documents compared with documents written by hand and, byte for
// byte, with the DOM tree the one-pass writer replaced; every value type both ways; text
// beyond the basic plane kept both ways while what XML forbids is left out; and the answers it
// turns into a result or a fault, malformed ones included.
#include "common/DomXmlRpcCall.h"
#include "upload/MaiaObject.h"
#include "upload/MaiaXmlRpcClient.h"

#include <QRandomGenerator>

#include <QDateTime>
#include <QPointer>
#include <QSignalSpy>
#include "common/TestMain.h"

namespace {

QString header()
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
}

// One argument's "param" as the serialiser indents it at depth 3 ("value" inside "param").
QString callWith(const QString& method, const QString& params)
{
    return header() + "<methodCall>\n <methodName>" + method + "</methodName>\n" + params + "</methodCall>\n";
}

// The writer's call document with one argument.
QByteArray writtenCall(const QVariant& v)
{
    return MaiaObject::prepareCallBody("m", {v});
}

QString valueXml(const QVariant& v)
{
    QDomDocument doc;
    const QDomElement e = MaiaObject::toXml(doc, v);
    if (e.isNull())
        return QString();
    doc.appendChild(e);
    return doc.toString(-1);
}

struct Outcome
{
    bool isFault = false;
    int code = 0;
    QString text;
    QVariant value;
};

Outcome parse(const QString& response)
{
    Outcome out;
    auto* codec = new MaiaObject;
    QPointer<MaiaObject> guard(codec);
    QObject::connect(codec, &MaiaObject::aresponse, [&](QVariant& v, QNetworkReply*) { out.value = v; });
    QObject::connect(codec, &MaiaObject::fault, [&](int code, const QString& text, QNetworkReply*) {
        out.isFault = true;
        out.code = code;
        out.text = text;
    });
    codec->parseResponse(response, nullptr);
    if (guard) // it deletes itself on every road
        out.text = QStringLiteral("NOT DELETED");
    return out;
}

QString response(const QString& value)
{
    return "<?xml version=\"1.0\"?><methodResponse><params><param><value>" + value
           + "</value></param></params></methodResponse>";
}

} // namespace

class TestUploadCodec : public QObject
{
    Q_OBJECT
private slots:
    void callDocumentsAsWrittenByHand();
    void scalarsOnTheWire_data();
    void scalarsOnTheWire();
    void structMembersInKeyOrder();
    void unsupportedTypesLeaveEmptyPlaces();
    void markupIsEscapedAndInvalidCharactersDropped_data();
    void markupIsEscapedAndInvalidCharactersDropped();
    void writerMatchesTheDomTreeOnAnyText();
    void dateTimeZoneSuffix();
    void decodesEachType_data();
    void decodesEachType();
    void nestedValuesComeBack();
    void responsesAndFaults_data();
    void responsesAndFaults();
    void deepNestingIsRefused();
    void transportFaultDocument();
};

void TestUploadCodec::callDocumentsAsWrittenByHand()
{
    MaiaObject codec;
    QCOMPARE(codec.prepareCall("StopExperiment", {}), callWith("StopExperiment", " <params/>\n"));
    const QString expected = callWith("ValidateUser",
                                      " <params>\n"
                                      "  <param>\n"
                                      "   <value>\n"
                                      "    <string>ada</string>\n"
                                      "   </value>\n"
                                      "  </param>\n"
                                      "  <param>\n"
                                      "   <value>\n"
                                      "    <int>-7</int>\n"
                                      "   </value>\n"
                                      "  </param>\n"
                                      " </params>\n");
    QCOMPARE(codec.prepareCall("ValidateUser", {QString("ada"), -7}), expected);
    const QString array = callWith("SendReading",
                                   " <params>\n"
                                   "  <param>\n"
                                   "   <value>\n"
                                   "    <array>\n"
                                   "     <data>\n"
                                   "      <value>\n"
                                   "       <string>0.1,2</string>\n"
                                   "      </value>\n"
                                   "      <value>\n"
                                   "       <string></string>\n"
                                   "      </value>\n"
                                   "     </data>\n"
                                   "    </array>\n"
                                   "   </value>\n"
                                   "  </param>\n"
                                   " </params>\n");
    QCOMPARE(codec.prepareCall("SendReading", QList<QVariant>{QVariant(QVariantList{QString("0.1,2"), QString()})}), array);
}

void TestUploadCodec::scalarsOnTheWire_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("xml");
    QTest::newRow("true") << QVariant(true) << "<value><boolean>1</boolean></value>";
    QTest::newRow("false") << QVariant(false) << "<value><boolean>0</boolean></value>";
    QTest::newRow("int") << QVariant(42) << "<value><int>42</int></value>";
    QTest::newRow("negative int") << QVariant(-2147483647 - 1) << "<value><int>-2147483648</int></value>";
    QTest::newRow("whole double") << QVariant(2.0) << "<value><double>2</double></value>";
    QTest::newRow("0.1") << QVariant(0.1) << "<value><double>0.1</double></value>";
    QTest::newRow("pi") << QVariant(3.14159265) << "<value><double>3.14159</double></value>";
    QTest::newRow("six digits") << QVariant(123.456789) << "<value><double>123.457</double></value>";
    QTest::newRow("small") << QVariant(1e-7) << "<value><double>1e-07</double></value>";
    QTest::newRow("1e-05") << QVariant(0.00001) << "<value><double>1e-05</double></value>";
    QTest::newRow("million") << QVariant(1e6) << "<value><double>1e+06</double></value>";
    QTest::newRow("string") << QVariant(QString("a b")) << "<value><string>a b</string></value>";
    QTest::newRow("bytes") << QVariant(QByteArray("any carnal pleas")) << "<value><base64>YW55IGNhcm5hbCBwbGVhcw==</base64></value>";
    QTest::newRow("empty list") << QVariant(QVariantList()) << "<value><array><data/></array></value>";
    QTest::newRow("empty map") << QVariant(QVariantMap()) << "<value><struct/></value>";
}

void TestUploadCodec::scalarsOnTheWire()
{
    QFETCH(QVariant, value);
    QFETCH(QString, xml);
    QCOMPARE(valueXml(value), xml);
    QCOMPARE(writtenCall(value), DomXmlRpcCall("m", {value}));
}

void TestUploadCodec::structMembersInKeyOrder()
{
    QVariantMap map;
    map["b"] = 1;
    map["a"] = QString("x");
    map["B"] = true; // upper case sorts first
    QCOMPARE(valueXml(map), QString("<value><struct>"
                                    "<member><name>B</name><value><boolean>1</boolean></value></member>"
                                    "<member><name>a</name><value><string>x</string></value></member>"
                                    "<member><name>b</name><value><int>1</int></value></member>"
                                    "</struct></value>"));
    QCOMPARE(writtenCall(map), DomXmlRpcCall("m", {map}));
}

void TestUploadCodec::unsupportedTypesLeaveEmptyPlaces()
{
    for (const QVariant& v : {QVariant(qint64(5)), QVariant(5u), QVariant(QStringList{"a"}), QVariant(),
                              QVariant(QDate(2026, 1, 1))})
        QVERIFY2(MaiaObject::toXml(v).isNull(), v.typeName());
    MaiaObject codec;
    const QString doc = codec.prepareCall("m", {QVariant(qint64(1) << 40), QVariant(QStringList{"x"})});
    QCOMPARE(doc, callWith("m", " <params>\n  <param/>\n  <param/>\n </params>\n"));
    QVariantMap map;
    map["k"] = QVariant(qint64(3));
    QCOMPARE(valueXml(map), QString("<value><struct><member><name>k</name></member></struct></value>"));
    QCOMPARE(valueXml(QVariantList{QVariant(1u), 1}), QString("<value><array><data><value><int>1</int></value></data></array></value>"));
    for (const QVariant& v :
         {QVariant(map), QVariant(QVariantList{QVariant(1u), 1}), QVariant(QVariantList{QVariant(1u)})})
        QCOMPARE(writtenCall(v), DomXmlRpcCall("m", {v}));
}

void TestUploadCodec::markupIsEscapedAndInvalidCharactersDropped_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("xml");
    const QString clef = QString::fromUtf8("\xF0\x9D\x84\x9E"); // U+1D11E, a surrogate pair
    const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80"); // U+1F600
    QTest::newRow("markup") << "a<b>&c" << "a&lt;b>&amp;c";
    QTest::newRow("cdata end") << "]]>x]>" << "]]&gt;x]>";
    QTest::newRow("control") << QString("x") + QChar(0x01) + "y" << "xy";
    QTest::newRow("white space") << "a\tb\nc\rd" << "a\tb\nc&#xd;d";
    QTest::newRow("beyond the basic plane") << clef + " ada " + smile << clef + " ada " + smile;
    QTest::newRow("lone high half") << QString("a") + QChar(0xD834) + "b" << "ab";
    QTest::newRow("lone low half") << QString("a") + QChar(0xDD1E) + "b" << "ab";
    QTest::newRow("halves reversed") << QString("a") + QChar(0xDD1E) + QChar(0xD834) << "a";
    QTest::newRow("non-characters") << QString("a") + QChar(0xFFFE) + QChar(0xFFFF) + QChar(0xFFFD)
                                    << QString("a") + QChar(0xFFFD);
    const QString accents = QString::fromUtf8("\xC3\xA9t\xC3\xA9 \xE2\x82\xAC");
    QTest::newRow("accents") << accents << accents;
}

void TestUploadCodec::markupIsEscapedAndInvalidCharactersDropped()
{
    QFETCH(QString, text);
    QFETCH(QString, xml);
    QCOMPARE(valueXml(text), "<value><string>" + xml + "</string></value>");
    MaiaObject codec;
    QVERIFY(codec.prepareCall("m", {text}).contains("<string>" + xml + "</string>"));
    QCOMPARE(writtenCall(text), DomXmlRpcCall("m", {text}));
}

void TestUploadCodec::writerMatchesTheDomTreeOnAnyText()
{
    // Random texts over markup, white space, controls, ASCII, wider characters, pairs and
    // lone halves, in lists and structs: the writer's bytes are the DOM tree's.
    const ushort pool[] = {'<', '>', '&', ']', '"', '\'', '\t', '\n', '\r', 0x01, 0x1F, 'a', ',', '7', 0xE9,
                           0x3B1, 0x20AC, 0xFFFD, 0xFFFE, 0xD834, 0xDD1E, 0xD83D, 0xDE00};
    QRandomGenerator random(2024);
    for (int round = 0; round < 300; ++round) {
        QVariantList items;
        QVariantMap map;
        for (int item = 0; item < 4; ++item) {
            QString text;
            const int length = random.bounded(40);
            for (int i = 0; i < length; ++i)
                text.append(QChar(pool[random.bounded(int(sizeof pool / sizeof pool[0]))]));
            items << text;
            map[text] = text;
        }
        const QList<QVariant> args{items.first(), items, map};
        const QString method = items.last().toString();
        QCOMPARE(MaiaObject::prepareCallBody(method, args), DomXmlRpcCall(method, args));
    }
}

void TestUploadCodec::dateTimeZoneSuffix()
{
    QCOMPARE(MaiaObject::zoneSuffix(14, 14), QString("-0"));
    QCOMPARE(MaiaObject::zoneSuffix(11, 14), QString("-3"));
    QCOMPARE(MaiaObject::zoneSuffix(23, 2), QString("+21"));
    const QDateTime when(QDate(2026, 12, 6), QTime(9, 8, 5));
    const QString xml = valueXml(when);
    const QString hourSuffix = MaiaObject::zoneSuffix(QDateTime::currentDateTimeUtc().time().hour(), 9);
    // The UTC hour may turn between the two readings.
    QVERIFY2(xml == "<value><dateTime.iso8601>2026-12-06T09:08:05" + hourSuffix + "</dateTime.iso8601></value>"
                 || xml.startsWith("<value><dateTime.iso8601>2026-12-06T09:08:05"),
             qPrintable(xml));
    // What the program sends is not what it reads back.
    QDomDocument doc;
    QVERIFY(doc.setContent(xml));
    QVERIFY(!MaiaObject::fromXml(doc.documentElement()).toDateTime().isValid());
}

void TestUploadCodec::decodesEachType_data()
{
    QTest::addColumn<QString>("xml");
    QTest::addColumn<QVariant>("expected");
    QTest::newRow("I4") << "<value><I4>12</I4></value>" << QVariant(12);
    QTest::newRow("INT") << "<value><INT>-3</INT></value>" << QVariant(-3);
    QTest::newRow("Int junk") << "<value><Int>12a</Int></value>" << QVariant(0);
    QTest::newRow("int overflow") << "<value><int>99999999999</int></value>" << QVariant(0);
    QTest::newRow("double") << "<value><double>-1.5e3</double></value>" << QVariant(-1500.0);
    QTest::newRow("double junk") << "<value><double>abc</double></value>" << QVariant(0.0);
    QTest::newRow("TRUE") << "<value><boolean>TRUE</boolean></value>" << QVariant(true);
    QTest::newRow("True") << "<value><Boolean>True</Boolean></value>" << QVariant(true);
    QTest::newRow("1") << "<value><boolean>1</boolean></value>" << QVariant(true);
    QTest::newRow("yes") << "<value><boolean>yes</boolean></value>" << QVariant(false);
    QTest::newRow("string") << "<value><string> a </string></value>" << QVariant(QString(" a "));
    QTest::newRow("plain text") << "<value>plain</value>" << QVariant(QString("plain"));
    QTest::newRow("empty value") << "<value/>" << QVariant(QString(""));
    QTest::newRow("base64") << "<value><base64>aGk=</base64></value>" << QVariant(QByteArray("hi"));
    QTest::newRow("datetime") << "<value><dateTime.iso8601>20261206T14:08:55</dateTime.iso8601></value>"
                              << QVariant(QDateTime(QDate(2026, 12, 6), QTime(14, 8, 55)));
    QTest::newRow("DATETIME") << "<value><DATETIME>20261206T14:08:55</DATETIME></value>"
                              << QVariant(QDateTime(QDate(2026, 12, 6), QTime(14, 8, 55)));
    QTest::newRow("nil") << "<value><nil/></value>" << QVariant();
    QTest::newRow("unknown") << "<value><float>1</float></value>" << QVariant();
    QTest::newRow("not a value") << "<param><int>1</int></param>" << QVariant();
    QTest::newRow("VALUE") << "<VALUE><int>4</int></VALUE>" << QVariant(4);
    QTest::newRow("empty array") << "<value><array><data/></array></value>" << QVariant(QVariantList());
    QTest::newRow("empty struct") << "<value><struct/></value>" << QVariant(QVariantMap());
    QTest::newRow("array with stray")
        << "<value><array><data><value><int>1</int></value><!--c--><x/></data></array></value>"
        << QVariant(QVariantList{1, QVariant(), QVariant()});
    QVariantMap later;
    later["k"] = 2;
    QTest::newRow("struct later wins")
        << "<value><struct><member><name>k</name><value><int>1</int></value></member>"
           "<member><value><int>2</int></value><name>k</name></member></struct></value>"
        << QVariant(later);
}

void TestUploadCodec::decodesEachType()
{
    QFETCH(QString, xml);
    QFETCH(QVariant, expected);
    QDomDocument doc;
    QVERIFY(doc.setContent(xml));
    const QVariant v = MaiaObject::fromXml(doc.documentElement());
    QCOMPARE(v.type(), expected.type());
    QCOMPARE(v, expected);
}

void TestUploadCodec::nestedValuesComeBack()
{
    QVariantMap inner;
    inner["list"] = QVariantList{1, QString("two"), true, QByteArray("\x00\xff", 2)};
    inner["n"] = -5;
    const QVariantList outer{inner, QString("end")};
    QDomDocument doc;
    const QVariant back = MaiaObject::fromXml(MaiaObject::toXml(doc, outer));
    QCOMPARE(back, QVariant(outer));
    QCOMPARE(writtenCall(outer), DomXmlRpcCall("m", {QVariant(outer)}));
    // A double keeps six significant digits.
    QCOMPARE(MaiaObject::fromXml(MaiaObject::toXml(doc, 1.23456789)).toDouble(), 1.23457);
}

void TestUploadCodec::responsesAndFaults_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<bool>("isFault");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("textStart");
    QTest::addColumn<QVariant>("value");
    QTest::newRow("int") << response("<int>0</int>") << false << 0 << "" << QVariant(0);
    const QString astral = QString::fromUtf8("Ada \xF0\x9D\x84\x9E \xF0\x9F\x98\x80");
    QTest::newRow("beyond the basic plane") << response("<string>" + astral + "</string>") << false << 0 << ""
                                            << QVariant(astral);
    QTest::newRow("first param only")
        << "<methodResponse><params><param><value><int>1</int></value></param><param><value><int>2</int></value></param></params></methodResponse>"
        << false << 0 << "" << QVariant(1);
    QTest::newRow("no param") << "<methodResponse><params/></methodResponse>" << false << 0 << "" << QVariant();
    QTest::newRow("any root name") << "<x><PARAMS><param><value>id-1</value></param></PARAMS></x>" << false << 0 << ""
                                   << QVariant(QString("id-1"));
    QTest::newRow("fault, string first")
        << "<methodResponse><fault><value><struct>"
           "<member><name>faultString</name><value><string>no such run</string></value></member>"
           "<member><name>faultCode</name><value><int>4</int></value></member>"
           "</struct></value></fault></methodResponse>"
        << true << 4 << "no such run" << QVariant();
    QTest::newRow("fault not a struct") << "<methodResponse><fault><value><int>9</int></value></fault></methodResponse>"
                                        << true << 0 << "" << QVariant();
    QTest::newRow("fault code text") << "<methodResponse><fault><value><struct><member><name>faultCode</name><value>x</value></member></struct></value></fault></methodResponse>"
                                     << true << 0 << "" << QVariant();
    QTest::newRow("not xml") << "this is no XML" << true << -32700 << "parse error: response not well formed at line 1: "
                             << QVariant();
    QTest::newRow("empty body") << "" << true << -32700 << "parse error: response not well formed at line" << QVariant();
    QTest::newRow("other element") << "<methodResponse><result/></methodResponse>" << true << -32600
                                   << "parse error: invalid xml-rpc. not conforming to spec." << QVariant();
    QTest::newRow("empty root") << "<methodResponse/>" << true << -32600 << "parse error: invalid" << QVariant();
    QTest::newRow("comment first") << "<methodResponse><!--x--><params/></methodResponse>" << true << -32600
                                   << "parse error: invalid" << QVariant();
}

void TestUploadCodec::responsesAndFaults()
{
    QFETCH(QString, body);
    QFETCH(bool, isFault);
    QFETCH(int, code);
    QFETCH(QString, textStart);
    QFETCH(QVariant, value);
    const Outcome out = parse(body);
    QCOMPARE(out.isFault, isFault);
    QCOMPARE(out.code, code);
    QVERIFY2(textStart.isEmpty() ? out.text.isEmpty() : out.text.startsWith(textStart), qPrintable(out.text));
    if (!isFault)
        QCOMPARE(out.value, value);
}

void TestUploadCodec::deepNestingIsRefused()
{
    // An answer nested far deeper than any real one: decoded as nothing, not by recursing
    // until the stack runs out.
    const int depth = 20000;
    QString body = "<methodResponse><params><param>";
    for (int i = 0; i < depth; ++i)
        body += "<value><array><data>";
    for (int i = 0; i < depth; ++i)
        body += "</data></array></value>";
    body += "</param></params></methodResponse>";
    const Outcome deep = parse(body);
    QVERIFY(deep.isFault);
    QCOMPARE(deep.code, -32700);
    QVERIFY2(deep.text.startsWith("parse error: response nested too deeply"), qPrintable(deep.text));
    // Within what the parser takes, values beyond the decoder's depth come back as nothing.
    body = "<methodResponse><params><param>";
    for (int i = 0; i < 150; ++i)
        body += "<value><array><data>";
    for (int i = 0; i < 150; ++i)
        body += "</data></array></value>";
    body += "</param></params></methodResponse>";
    const Outcome out = parse(body);
    QVERIFY(!out.isFault);
    int levels = 0;
    QVariant v = out.value;
    while (v.type() == QVariant::List && !v.toList().isEmpty()) {
        v = v.toList().first();
        ++levels;
    }
    QVERIFY2(levels <= MaiaObject::MaxValueDepth + 1, qPrintable(QString::number(levels)));
}

void TestUploadCodec::transportFaultDocument()
{
    const QString doc = MaiaFault(-32300, "Connection refused").toString();
    QCOMPARE(doc, header()
                      + "<methodResponse>\n"
                        " <fault>\n"
                        "  <value>\n"
                        "   <struct>\n"
                        "    <member>\n"
                        "     <name>faultCode</name>\n"
                        "     <value>\n"
                        "      <int>-32300</int>\n"
                        "     </value>\n"
                        "    </member>\n"
                        "    <member>\n"
                        "     <name>faultString</name>\n"
                        "     <value>\n"
                        "      <string>Connection refused</string>\n"
                        "     </value>\n"
                        "    </member>\n"
                        "   </struct>\n"
                        "  </value>\n"
                        " </fault>\n"
                        "</methodResponse>\n");
    const Outcome out = parse(doc);
    QVERIFY(out.isFault);
    QCOMPARE(out.code, -32300);
    QCOMPARE(out.text, QString("Connection refused"));
}

KORVANTA_TEST_GUILESS_MAIN(TestUploadCodec)
#include "tst_upload_codec.moc"
