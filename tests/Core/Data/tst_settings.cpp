// The per-channel settings file in a temporary configuration folder.
#include <QBuffer>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include "common/TestMain.h"

#include "Core/Data/Settings.h"

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init()
    {
        QFile::remove(CSettings().GetFilePath());
    }

    void cleanupTestCase() { QFile::remove(CSettings().GetFilePath()); }

    void missingFileGivesDefaults()
    {
        CSettings s;
        QVERIFY(s.GetFilePath().endsWith("/KV4Settings.ini"));
        QVERIFY(s.GetFilePath().startsWith(QStandardPaths::writableLocation(QStandardPaths::ConfigLocation)));
        for (int c = 0; c < CSettings::s_NumOfChannels; ++c) {
            QCOMPARE(s.GetSensorInfoIndex(c), 0);
            QVERIFY(s.IsMeasurementActive(c, 0));
            for (int m = 1; m < CSettings::s_NumOfMeasurements; ++m) QVERIFY(!s.IsMeasurementActive(c, m));
        }
    }

    void roundTripEveryFlag()
    {
        {
            CSettings s;
            for (int c = 0; c < 14; ++c) {
                s.SetSensorInfoIndex(c, 10 + c);
                for (int m = 0; m < 20; ++m) s.SetMeasurementActive(c, m, (c * 7 + m * 3) % 5 == 0);
            }
            QVERIFY(s.SaveSettings());
        }
        CSettings back;
        for (int c = 0; c < 14; ++c) {
            QCOMPARE(back.GetSensorInfoIndex(c), 10 + c);
            for (int m = 0; m < 20; ++m) QCOMPARE(back.IsMeasurementActive(c, m), (c * 7 + m * 3) % 5 == 0);
        }
        QSettings raw(back.GetFilePath(), QSettings::IniFormat);
        QCOMPARE(raw.value("Version").toDouble(), 1.0);
        QCOMPARE(raw.value("channel3/SensorInfoIndex").toInt(), 13);
        QVERIFY(raw.contains("channel13/Measurement19Active"));
        // Nothing beyond the 14 channels and 20 measurements is written.
        QVERIFY(!raw.contains("channel14/SensorInfoIndex"));
        QVERIFY(!raw.contains("channel0/Measurement20Active"));
    }

    void missingGroupKeepsDefaults()
    {
        {
            QSettings raw(CSettings().GetFilePath(), QSettings::IniFormat);
            raw.setValue("Version", 1.0);
            raw.setValue("channel4/SensorInfoIndex", 25);
            raw.setValue("channel4/Measurement0Active", false);
            raw.setValue("channel4/Measurement2Active", true);
            // A foreign file naming an index the catalogue does not have.
            raw.setValue("channel6/SensorInfoIndex", 4000);
            raw.setValue("channel7/SensorInfoIndex", "rubbish");
        }
        CSettings s;
        QCOMPARE(s.GetSensorInfoIndex(4), 25);
        QVERIFY(!s.IsMeasurementActive(4, 0));
        QVERIFY(s.IsMeasurementActive(4, 2));
        QCOMPARE(s.GetSensorInfoIndex(5), 0);
        QVERIFY(s.IsMeasurementActive(5, 0));
        QVERIFY(!s.IsMeasurementActive(5, 1));
        QCOMPARE(s.GetSensorInfoIndex(6), 0);
        QCOMPARE(s.GetSensorInfoIndex(7), 0);
    }

    void encodedValuesAreNotDecoded()
    {
        // A value in the toolkit's binary encoding (here a picture, type 0x44) is never decoded:
        // it reads as what it is, text that is no number.
        QFile f(CSettings().GetFilePath());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[channel1]\nSensorInfoIndex=@Variant(\\0\\0\\0\\x44\\0\\0\\0\\0)\n"
                "Measurement0Active=false\nMeasurement1Active=@Variant(\\0\\0\\0\\x1\\x1)\n"
                "[channel2]\nSensorInfoIndex=\"12\"\nMeasurement3Active=1\n");
        f.close();
        CSettings s;
        QCOMPARE(s.GetSensorInfoIndex(1), 0);
        QVERIFY(!s.IsMeasurementActive(1, 0));
        QVERIFY(s.IsMeasurementActive(1, 1)); // any text other than false/0 is "on", as before
        QCOMPARE(s.GetSensorInfoIndex(2), 12);
        QVERIFY(s.IsMeasurementActive(2, 3));
    }

    void textReadsEntryByEntry_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("index");     // channel 3's sensor index read
        QTest::addColumn<bool>("active5");  // channel 3's measurement 5 read
        QTest::newRow("section") << QByteArray("[channel3]\nSensorInfoIndex=7\nMeasurement5Active=true") << 7 << true;
        QTest::newRow("full name outside a section") << QByteArray("channel3/SensorInfoIndex=7") << 7 << false;
        QTest::newRow("full name under General, any case")
            << QByteArray("[general]\nchannel3/SensorInfoIndex=7\nchannel3/Measurement5Active=1") << 7 << true;
        QTest::newRow("spaces, quotes and CR LF")
            << QByteArray("  [ channel3 ]\r\n SensorInfoIndex = \"7\" \r\n") << 7 << false;
        QTest::newRow("the last value counts")
            << QByteArray("[channel3]\nSensorInfoIndex=7\n[General]\nchannel3/SensorInfoIndex=9") << 9 << false;
        QTest::newRow("leading zero names another group") << QByteArray("[channel03]\nSensorInfoIndex=7") << 0 << false;
        QTest::newRow("leading zero names another key") << QByteArray("[channel3]\nMeasurement05Active=true") << 0 << false;
        QTest::newRow("deeper name") << QByteArray("[channel3]\nsub/SensorInfoIndex=7\n[channel3/x]\nSensorInfoIndex=8") << 0 << false;
        QTest::newRow("comments") << QByteArray("[channel3]\n;SensorInfoIndex=7\n#Measurement5Active=true") << 0 << false;
        QTest::newRow("no channel 14") << QByteArray("[channel14]\nSensorInfoIndex=7\n[channel3]\nMeasurement5Active=") << 0 << false;
        QTest::newRow("no key") << QByteArray("[channel3]\n=7\nSensorInfoIndex") << 0 << false;
        QTest::newRow("false in capitals") << QByteArray("[channel3]\nMeasurement5Active=FALSE") << 0 << false;
        QTest::newRow("zero") << QByteArray("[channel3]\nMeasurement5Active=0") << 0 << false;
        QTest::newRow("any other text") << QByteArray("[channel3]\nMeasurement5Active=no") << 0 << true;
        QTest::newRow("a zero byte ends nothing but its line's entry")
            << QByteArray("[channel3]\nMeasurement5Active=\0\nSensorInfoIndex=7\0x\nSensorInfoIndex=6", 69) << 6 << true;
    }

    void textReadsEntryByEntry()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, index);
        QFETCH(bool, active5);
        CSettings s(QStringLiteral("/nonexistent/settings.ini"));
        s.SetSensorInfoIndex(3, 40);  // what a load replaces
        s.SetMeasurementActive(3, 0, false);
        QBuffer device(&text);
        QVERIFY(device.open(QIODevice::ReadOnly));
        s.LoadFromDevice(device);
        QCOMPARE(s.GetSensorInfoIndex(3), index);
        QCOMPARE(s.IsMeasurementActive(3, 5), active5);
        QVERIFY(s.IsMeasurementActive(3, 0));  // not in any of the texts: its default
        QCOMPARE(s.GetSensorInfoIndex(2), 0);
    }

    void ownEntriesWinOverTheOldFile_data()
    {
        QTest::addColumn<QByteArray>("previous");
        QTest::addColumn<QByteArray>("kept");  // a foreign line that must stay
        QTest::newRow("general in another case")
            << QByteArray("[general]\nchannel3/SensorInfoIndex=7\nhost=a\n") << QByteArray("host=a");
        QTest::newRow("our section with spaces")
            << QByteArray("[ channel3 ]\nSensorInfoIndex=7\n[Upload]\nhost=a\n") << QByteArray("host=a");
        QTest::newRow("full name under General")
            << QByteArray("channel3/SensorInfoIndex=7\nchannel3/Measurement5Active=true\nhost=a\n")
            << QByteArray("host=a");
        QTest::newRow("zero bytes") << QByteArray("[channel2]\nSensorInfoIndex=1\n[General]\ne\0\n[channel3]\0\nhost=a", 60)
                                    << QByteArray("host=a");
        QTest::newRow("section without a name") << QByteArray("[]\nchannel3/SensorInfoIndex=7\nhost=a") << QByteArray("host=a");
        QTest::newRow("after a foreign section")
            << QByteArray("[Upload]\nhost=a\n[General]\nchannel3/SensorInfoIndex = 7\n") << QByteArray("host=a");
    }

    void ownEntriesWinOverTheOldFile()
    {
        QFETCH(QByteArray, previous);
        QFETCH(QByteArray, kept);
        CSettings s(QStringLiteral("/nonexistent/settings.ini"));
        s.SetSensorInfoIndex(3, 2);
        const QByteArray text = CSettings::WithForeignEntries(s.SettingsText(), previous);
        QVERIFY(text.contains(kept));
        QByteArray copy = text;
        QBuffer device(&copy);
        QVERIFY(device.open(QIODevice::ReadOnly));
        CSettings back(QStringLiteral("/nonexistent/settings.ini"));
        back.LoadFromDevice(device);
        QCOMPARE(back.GetSensorInfoIndex(3), 2);
        QVERIFY(!back.IsMeasurementActive(3, 5));
    }

    void settersAndResets()
    {
        CSettings s;
        s.SetMeasurementActive(14, 0, false);  // ignored: no such channel
        s.SetMeasurementActive(0, 20, true);   // ignored: no such measurement
        QVERIFY(!s.IsMeasurementActive(0, 20));
        QVERIFY(!s.IsMeasurementActive(-1, 0));
        s.SetSensorInfoIndex(2, 48);
        s.SetMeasurementActive(2, 5, true);
        s.ClearChannels();
        QCOMPARE(s.GetSensorInfoIndex(2), 0);
        QVERIFY(!s.IsMeasurementActive(2, 0));
        s.SetMeasurementActive(3, 4, true);
        s.RestoreChannelDefaults(3);
        QVERIFY(s.IsMeasurementActive(3, 0));
        QVERIFY(!s.IsMeasurementActive(3, 4));
        s.RestoreDefaults();
        QVERIFY(s.IsMeasurementActive(2, 0));
        // Loading resets first: flags set in memory but not saved are gone.
        s.SetMeasurementActive(1, 9, true);
        s.LoadSettings();
        QVERIFY(!s.IsMeasurementActive(1, 9));
    }
};

KORVANTA_TEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
