// Number formatting, unit factors, the series palette and the icons of branches.
#include "Core/Data/Globals.h"
#include "Core/Data/SensorInfo.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include "common/TestMain.h"
#include <cmath>
#include <limits>

class TestDatastoreFormat : public QObject
{
    Q_OBJECT
private slots:
    void plainNumbersDropTrailingZeroDecimals_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<bool>("plus");
        QTest::addColumn<QString>("text");
        QTest::newRow("2.5/3") << 2.5 << 3 << false << "2.5";
        QTest::newRow("2.0/3") << 2.0 << 3 << false << "2";
        QTest::newRow("zero") << 0.0 << 2 << false << "0";
        QTest::newRow("zero+") << 0.0 << 2 << true << "+0";
        QTest::newRow("1234.5678/2") << 1234.5678 << 2 << false << "1234.57";
        QTest::newRow("1234.5/2") << 1234.5 << 2 << false << "1234.5";
        QTest::newRow("-3.10/2") << -3.10 << 2 << false << "-3.1";
        QTest::newRow("+7.25/2") << 7.25 << 2 << true << "+7.25";
        QTest::newRow("-7.25/2 plus") << -7.25 << 2 << true << "-7.25";
        QTest::newRow("100/2") << 100.0 << 2 << false << "100";
        // Halves print as the C library prints them: to even.
        QTest::newRow("0.5/0") << 0.5 << 0 << false << "0";
        QTest::newRow("1.5/0") << 1.5 << 0 << false << "2";
        QTest::newRow("2.5/0") << 2.5 << 0 << false << "2";
        // 12.5 -> "12": one decimal kept, then 1.25 prints as 1.2.
        QTest::newRow("1.25/1") << 1.25 << 1 << false << "1.2";
        // Small but not small enough for the scientific form.
        QTest::newRow("0.0012/3") << 0.0012 << 3 << false << "0.001";
        QTest::newRow("0.00012/4") << 0.00012 << 4 << false << "0.0001";
        // The scaled value prints as -0: every decimal goes and the sign stays.
        QTest::newRow("-5e-7/6") << -0.0000005 << 6 << false << "-0";
        QTest::newRow("negative zero") << -0.0 << 2 << false << "-0";
        // Scaled values beyond an int read back as 0 and print without decimals.
        QTest::newRow("3e9/2") << 3e9 << 2 << false << "3000000000";
        QTest::newRow("-3e9/2") << -3e9 << 2 << false << "-3000000000";
        QTest::newRow("21474836.48/2") << 21474836.48 << 2 << false << "21474836";
        QTest::newRow("21474836.47/2") << 21474836.47 << 2 << false << "21474836.47";
        // Decimals outside any sensible range.
        QTest::newRow("negative decimals") << 2.7 << -3 << false << "3";
    }
    void plainNumbersDropTrailingZeroDecimals()
    {
        QFETCH(double, value);
        QFETCH(int, decimals);
        QFETCH(bool, plus);
        QFETCH(QString, text);
        QCOMPARE(Double2String(value, decimals, plus, false), text);
    }

    void scientificForm_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<bool>("plus");
        QTest::addColumn<bool>("scientific");
        QTest::addColumn<QString>("text");
        QTest::newRow("0.00012/2") << 0.00012 << 2 << false << false << "1.20E-04";
        QTest::newRow("-0.00012/2") << -0.00012 << 2 << false << false << "-1.20E-04";
        QTest::newRow("5e-8/6") << 0.00000005 << 6 << false << false << "5.000000E-08";
        QTest::newRow("5e-5/3") << 0.00005 << 3 << false << false << "5.000E-05";
        QTest::newRow("5e-5/4 stays fixed") << 0.00005 << 4 << false << false << "0";
        QTest::newRow("1e-9/2") << 1e-9 << 2 << false << false << "1.00E-09";
        QTest::newRow("forced") << 1234.5 << 2 << false << true << "1.23E+03";
        QTest::newRow("forced+") << 1234.5 << 2 << true << true << "+1.23E+03";
        QTest::newRow("forced zero") << 0.0 << 1 << false << true << "0.0E+00";
    }
    void scientificForm()
    {
        QFETCH(double, value);
        QFETCH(int, decimals);
        QFETCH(bool, plus);
        QFETCH(bool, scientific);
        QFETCH(QString, text);
        QCOMPARE(Double2String(value, decimals, plus, scientific), text);
    }

    void nonFiniteValuesPrintWithoutConversion()
    {
        const double inf = std::numeric_limits<double>::infinity();
        QCOMPARE(Double2String(std::nan(""), 2, false, false), QStringLiteral("nan"));
        QCOMPARE(Double2String(-std::nan(""), 2, true, true), QStringLiteral("nan"));
        QCOMPARE(Double2String(inf, 2, false, false), QStringLiteral("inf"));
        QCOMPARE(Double2String(-inf, 2, false, false), QStringLiteral("-inf"));
        QCOMPARE(Double2String(inf, 2, true, false), QStringLiteral("+inf"));
    }

    void safeIntegerConversion()
    {
        int out = 5;
        QVERIFY(SafeDoubleToInt(-12.9, out));
        QCOMPARE(out, -12);
        QVERIFY(!SafeDoubleToInt(std::nan(""), out, -1));
        QCOMPARE(out, -1);
        QVERIFY(!SafeDoubleToInt(3e9, out, 7));
        QCOMPARE(out, 7);
        QVERIFY(SafeDoubleToInt(2147483647.9, out));
        QCOMPARE(out, 2147483647);
        QVERIFY(!SafeDoubleToInt(-std::numeric_limits<double>::infinity(), out));
    }

    void prefixFactors()
    {
        QCOMPARE(GetMultiplier(0, -1), 0.25);
        QCOMPARE(GetMultiplier(0, 0), 1.0);
        QCOMPARE(GetMultiplier(0, 1), 0.001);
        QCOMPARE(GetMultiplier(0, 3), 1000000.0);
        QCOMPARE(GetMultiplier(1, 0), 1000.0);
        QCOMPARE(GetMultiplier(1, 3), 1000000000.0);
        QCOMPARE(GetMultiplier(2, 0), 0.001);
        QCOMPARE(GetMultiplier(2, 1), 0.000001);
        QCOMPARE(GetMultiplier(3, 1), 0.000000001);
        QCOMPARE(GetMultiplier(3, 2), 0.001);
        QCOMPARE(GetMultiplier(1, -1), 1.0);
        QCOMPARE(GetMultiplier(4, 0), 1.0);
        QCOMPARE(GetMultiplier(-1, 0), 1.0);
        QCOMPARE(GetMultiplier(0, 4), 1.0);
    }

    void timeFactors()
    {
        QCOMPARE(GetTimeMultiplier(0, 1), 0.001);
        QCOMPARE(GetTimeMultiplier(2, 1), 60.0);
        QCOMPARE(GetTimeMultiplier(3, 1), 3600.0);
        QCOMPARE(GetTimeMultiplier(1, 0), 1000.0);
        QCOMPARE(GetTimeMultiplier(3, 0), 3600000.0);
        QCOMPARE(GetTimeMultiplier(4, 1), 1.0);
        QCOMPARE(GetTimeMultiplier(-1, 0), 1.0);
        QCOMPARE(GetTimeMultiplier(1, 2), 1.0);
    }

    void prefixTexts()
    {
        QCOMPARE(GetUnitPrefix(0), QString());
        QCOMPARE(GetUnitPrefix(1), QStringLiteral("k"));
        QCOMPARE(GetUnitPrefix(2), QStringLiteral("m"));
        QCOMPARE(GetUnitPrefix(3), QString(QChar(0x03BC)));
        QCOMPARE(GetUnitPrefix(-1), QString());
    }

    void roundingAwayFromZero()
    {
        QCOMPARE(GetRoundVal(0.0f, 1.0f), 0.0f);
        QCOMPARE(GetRoundVal(-2.5f, 1.0f), -3.0f);
        QCOMPARE(GetRoundVal(2.0f, 1.0f), 3.0f);
        QCOMPARE(GetRoundVal(7.3f, 2.5f), 7.5f);
        QCOMPARE(GetRoundVal(-0.2f, 0.5f), -0.5f);
        // A zero or broken step cannot be divided by.
        QCOMPARE(GetRoundVal(4.2f, 0.0f), 4.2f);
        QCOMPARE(GetRoundVal(4.2f, std::numeric_limits<float>::quiet_NaN()), 4.2f);
        // Far beyond the int range: no integer conversion on the way.
        QCOMPARE(GetRoundVal(1e30f, 1.0f), 1e30f);
    }

    void paletteAndCursor()
    {
        InitGlobalColors();
        QCOMPARE(colorsTable[0], QColor(238, 30, 70));
        QCOMPARE(colorsTable[6], QColor(128, 88, 164));
        QCOMPARE(colorsTable[11], QColor(253, 235, 95));
        QCOMPARE(gridBlue, QColor(168, 211, 231));
        QCOMPARE(topBarColor, QColor(232, 232, 232));
        QList<QColor> handed;
        for (int i = 0; i < 13; ++i)
            handed << GetNextGlobalColor();
        QCOMPARE(handed.at(0), colorsTable[0]);
        QCOMPARE(handed.at(11), colorsTable[11]);
        QCOMPARE(handed.at(12), colorsTable[0]);
        QCOMPARE(GetCurrentGlobalColor(), colorsTable[1]);
        QCOMPARE(GetColorAtIndex(25), colorsTable[1]);
    }

    void negativeIndicesStayInsideThePalette()
    {
        QCOMPARE(GetColorAtIndex(-1), colorsTable[11]);
        QCOMPARE(GetColorAtIndex(-12), colorsTable[0]);
        QCOMPARE(GetColorAtIndex(std::numeric_limits<int>::min()), colorsTable[4]);
        globalColorIndex = -5;
        QCOMPARE(GetCurrentGlobalColor(), colorsTable[7]);
        QCOMPARE(GetNextGlobalColor(), colorsTable[7]);
        QCOMPARE(GetNextGlobalColor(), colorsTable[8]);
        globalColorIndex = std::numeric_limits<int>::max();   // 2147483647 % 12 = 7
        QCOMPARE(GetNextGlobalColor(), colorsTable[7]);
        QCOMPARE(GetNextGlobalColor(), colorsTable[8]);
        InitGlobalColors();
    }

    void textWidthNeedsAPainter()
    {
        QCOMPARE(StringWidth(nullptr, QStringLiteral("abc")), 0);
        QImage image(10, 10, QImage::Format_ARGB32);
        QPainter painter(&image);
        QVERIFY(StringWidth(&painter, QStringLiteral("WWWW")) > StringWidth(&painter, QStringLiteral("W")));
    }

    void iconsOfSpecialBranches()
    {
        QCOMPARE(GetSpecialSensorIconPath(SensorIndexOnlineFunction), QStringLiteral(":/images/History/Function_normal.png"));
        QCOMPARE(GetSpecialSensorIconPath(SensorIndexDerivedFunction), QStringLiteral(":/images/History/Function_normal.png"));
        QCOMPARE(GetSpecialSensorIconPath(SensorIndexVideoTrack), QStringLiteral(":/images/Video/VideoTrack_Normal.png"));
        QCOMPARE(GetSpecialSensorIconPath(SensorIndexTimingResult), QStringLiteral(":/images/Setup/watch-Icon.png"));
        QCOMPARE(GetSpecialSensorIconPath(SensorIndexManualX), QStringLiteral(":/images/Sensors/general_icon.png"));
        QCOMPARE(GetSpecialSensorIconPath(-1), QStringLiteral(":/images/Sensors/general_icon.png"));
        QCOMPARE(GetSpecialSensorIconPath(5), QString());
        for (int code : {20480, 20481, 20482, 20483, 20484, -1})
            QVERIFY(!GetSensorIcon(code, -1, nullptr).isNull());
    }

    void iconsOfCatalogueSensors()
    {
        CSensorInfo catalogue;
        catalogue.LoadSensorInfo();
        const QImage byIndex = GetSensorIcon(25, -1, &catalogue).toImage();
        QCOMPARE(byIndex, catalogue.m_Sensors[25].m_Icon.toImage());
        const int id = catalogue.m_Sensors[100].m_SensorId;
        QCOMPARE(GetSensorIcon(3, id, &catalogue).toImage(), catalogue.GetIconByID(id).toImage());
        // Indices outside the catalogue fall back to the general icon.
        const QImage general = QPixmap(":/images/Sensors/general_icon.png").toImage();
        QCOMPARE(GetSensorIcon(149, -1, &catalogue).toImage(), general);
        QCOMPARE(GetSensorIcon(-7, -1, &catalogue).toImage(), general);
        QCOMPARE(GetSensorIcon(3, -1, nullptr).toImage(), general);
    }
};

KORVANTA_TEST_MAIN(TestDatastoreFormat)
#include "tst_datastore_format.moc"
