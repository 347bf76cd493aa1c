#include "Core/Base/Diagnostics.h"

#include "common/TestMain.h"

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
        QCOMPARE(DiagnosticsModuleTag(40), QStringLiteral("Pelorin  (Pro)  >> "));
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
        QVERIFY(!DiagnosticsEnabled(40));
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
