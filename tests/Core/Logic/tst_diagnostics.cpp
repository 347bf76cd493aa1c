#include "Core/Base/Diagnostics.h"
#include "Core/Logic/Dravlet/DravletDiagnostics.h"
#include "Core/Logic/Pelorin/PelorinDiagnostics.h"

#include "common/TestMain.h"

#include <QLoggingCategory>

Q_DECLARE_METATYPE(const CDiagnosticsModule*)

namespace {
// The lines the diagnostics hand to Qt while a test listens: category and text.
QStringList s_Heard;
void listen(QtMsgType, const QMessageLogContext& context, const QString& text)
{
    s_Heard << QString::fromLatin1(context.category) + QLatin1Char('|') + text;
}
// Switches one category's debug output on, whatever QT_LOGGING_RULES says (the tests run with
// every debug output off).
QByteArray s_DebugOn;
QLoggingCategory::CategoryFilter s_PreviousFilter = nullptr;
void debugOnlyFor(QLoggingCategory* category)
{
    if (s_PreviousFilter)
        s_PreviousFilter(category);
    if (s_DebugOn == category->categoryName())
        category->setEnabled(QtDebugMsg, true);
}
} // namespace

class TestDiagnostics : public QObject
{
    Q_OBJECT
private slots:
    void bytesRenderAsUpperCaseHexWithTrailingBlank()
    {
        const unsigned char bytes[] = {0x00, 0x9F, 0xA0, 0xFF};
        QCOMPARE(CBytes2String::Convert(bytes, 4), QStringLiteral("00 9F A0 FF "));
        const char signedBytes[] = {char(0x9F), char(0x01)};
        QCOMPARE(CBytes2String::Convert(signedBytes, 2), QStringLiteral("9F 01 "));
        QCOMPARE(CBytes2String::Convert(QStringLiteral("WRITE:"), bytes + 1, 2), QStringLiteral("WRITE:9F A0 "));
        QCOMPARE(CBytes2String::Convert(bytes + 3), QStringLiteral(" FF"));
    }
    void emptyOrNegativeCountsGiveEmptyText()
    {
        const unsigned char bytes[] = {0x12};
        QVERIFY(CBytes2String::Convert(bytes, 0).isEmpty());
        QVERIFY(CBytes2String::Convert(bytes, -5).isEmpty());
        QVERIFY(CBytes2String::Convert(static_cast<const unsigned char*>(nullptr), 3).isEmpty());
    }
    void packedDecimalConversions()
    {
        QCOMPARE(int(CHex2Dec::DecimalToHex(0x59)), 59);
        QCOMPARE(int(CHex2Dec::DecimalToHex(0x25)), 25);
        QCOMPARE(int(CHex2Dec::DecimalToHex(0)), 0);
        QCOMPARE(int(CHex2Dec::DecimalToHex(0x300)), 300 % 256);
        QCOMPARE(int(CHex2Dec::HexToDecimal(59)), 0x59);
        QCOMPARE(int(CHex2Dec::HexToDecimal(1234)), 0x34);
        QCOMPARE(int(CHex2Dec::HexToDecimal(0)), 0);
    }
    void moduleTags()
    {
        QCOMPARE(DiagnosticsModuleTag(1), QStringLiteral("Logic           >> "));
        QCOMPARE(DiagnosticsModuleTag(DiagPelorinPro), QStringLiteral("Pelorin  (Pro)  >> "));
        for (int m : {0, 6, 99, -3}) {
            QVERIFY(DiagnosticsModuleTag(m).isEmpty());
            MyOutputDebugString("no tag", m); // must not fail
        }
        for (int m = 1; m <= 44; ++m) {
            const QString tag = DiagnosticsModuleTag(m);
            QVERIFY(tag.isEmpty() || (tag.size() == 19 && tag.endsWith(" >> ")));
        }
    }
    void diagnosticsAreOffByDefault()
    {
        QVERIFY(!DiagnosticsEnabled(1));
        QVERIFY(!DiagnosticsEnabled(DiagPelorinPro));
    }
    // Each room's modules log under the room's own category, with their own tags.
    void roomModulesLogToTheirRoomsCategory_data()
    {
        QTest::addColumn<const CDiagnosticsModule*>("module");
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("tag");
        QTest::newRow("Pelorin protocol") << &DiagPelorinPro << "korvanta.pelorin" << "Pelorin  (Pro)  >> ";
        QTest::newRow("Pelorin manager") << &DiagPelorinMan << "korvanta.pelorin" << "Pelorin  (Man)  >> ";
        QTest::newRow("Pelorin handler") << &DiagPelorinHan << "korvanta.pelorin" << "Pelorin  (Han)  >> ";
        QTest::newRow("Dravlet protocol") << &DiagDravletPro << "korvanta.dravlet" << "Dravlet(Pro)    >> ";
        QTest::newRow("Dravlet handler") << &DiagDravletHan << "korvanta.dravlet" << "Dravlet(Han)    >> ";
        QTest::newRow("Dravlet manager") << &DiagDravletMan << "korvanta.dravlet" << "Dravlet(Man)    >> ";
    }
    void roomModulesLogToTheirRoomsCategory()
    {
        QFETCH(const CDiagnosticsModule*, module);
        QFETCH(QString, category);
        QFETCH(QString, tag);
        QCOMPARE(DiagnosticsModuleTag(*module), tag);
        s_Heard.clear();
        MyOutputDebugString("off", *module);
        s_DebugOn = category.toLatin1();
        s_PreviousFilter = QLoggingCategory::installFilter(debugOnlyFor);
        const QtMessageHandler before = qInstallMessageHandler(listen);
        const bool enabled = DiagnosticsEnabled(*module);
        MyOutputDebugString("frame", *module);
        MyOutputDebugString(QStringLiteral("reply"), *module);
        MyOutputDebugString("shared", DiagLogic);
        qInstallMessageHandler(before);
        QLoggingCategory::installFilter(s_PreviousFilter);
        s_PreviousFilter = nullptr;
        QVERIFY(enabled);
        QCOMPARE(s_Heard.size(), 2);
        QVERIFY2(s_Heard[0].startsWith(category + QLatin1Char('|')), qPrintable(s_Heard[0]));
        QVERIFY2(s_Heard[0].endsWith(tag + QStringLiteral("frame")), qPrintable(s_Heard[0]));
        QVERIFY2(s_Heard[1].endsWith(tag + QStringLiteral("reply")), qPrintable(s_Heard[1]));
        QVERIFY(!DiagnosticsEnabled(*module));
    }
    void bluetoothHelperNeverReportsAConnection()
    {
        CBluetoothHelper_linux* a = CBluetoothHelper_linux::getInstance();
        QCOMPARE(a, CBluetoothHelper_linux::getInstance());
        QVERIFY(!a->init());
        QVERIFY(!a->IsConnected2Serial());
    }
};

KORVANTA_TEST_GUILESS_MAIN(TestDiagnostics)
#include "tst_diagnostics.moc"
