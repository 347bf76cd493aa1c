// Language selection: the settings file, the stored index (also out of range), the single
// notice on a change and the actions of the menu.
#include "app/shell/MultiLanguage.h"
#include "common/ScriptedPrompter.h"

#include <QAction>
#include <QActionGroup>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include "common/TestMain.h"

class TestShellLanguage : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        // Empty translations into Russian and Polish, as lrelease writes them.
        for (const char* code : {"ru", "pl"}) {
            QFile qm(m_Translations.path() + "/korvanta_" + code + ".qm");
            QVERIFY(qm.open(QIODevice::WriteOnly)
                    && qm.write(QByteArray::fromHex("3cb86418caef9c95cd211cbf60a1bddda700000002646588000000020101")));
        }
    }
    void init()
    {
        MultiLanguage probe;
        QFile::remove(probe.m_SettingsPath);
    }
    void tables();
    void noFileGivesEnglish();
    void changeShowsOneNotice();
    void outOfRangeSelection();
    void storedIndexOutOfRange_data();
    void storedIndexOutOfRange();
    void onlyInstalledLanguagesAreOffered();

private:
    QTemporaryDir m_Translations;
    static int stored(const MultiLanguage& l)
    {
        QSettings s(l.m_SettingsPath, QSettings::IniFormat);
        return s.value("Language/Selected", -1).toInt();
    }
};

void TestShellLanguage::tables()
{
    MultiLanguage l;
    QCOMPARE(l.m_LanguageNames.size(), 9);
    QCOMPARE(l.m_LanguageCodes.join(","), QString("en,ru,de,lt,fr,cs,sk,pl,ja"));
    QCOMPARE(l.m_LanguageNames.at(2), QString("Deutsch"));
    QCOMPARE(l.m_LanguageNames.at(8), QString("Japanese"));
    QVERIFY(l.m_SettingsPath.endsWith("//KorvantaLangSettings.ini"));
}

void TestShellLanguage::noFileGivesEnglish()
{
    CScriptedPrompter prompter;
    MultiLanguage l;
    l.LoadSelectedLanguage();
    QCOMPARE(l.m_SelectedIndex, 0);
    QCOMPARE(l.SelectedCode(), QString("en"));
    QVERIFY(!QFile::exists(l.m_SettingsPath));
    l.init();
    QCOMPARE(l.m_pActionGroup->actions().size(), 9);
    QVERIFY(l.m_pActionGroup->isExclusive());
    QVERIFY(l.m_pActionGroup->actions().at(0)->isChecked());
    QCOMPARE(stored(l), 0);
    QVERIFY(prompter.boxes("info").isEmpty());
}

void TestShellLanguage::changeShowsOneNotice()
{
    CScriptedPrompter prompter;
    {
        QSettings s(MultiLanguage().m_SettingsPath, QSettings::IniFormat);
        s.setValue("Language/Selected", 1);
    }
    MultiLanguage l;
    l.m_TranslationsDir = m_Translations.path();
    l.LoadSelectedLanguage();
    QCOMPARE(l.SelectedCode(), QString("ru"));
    l.init();
    QVERIFY(l.m_pActionGroup->actions().at(1)->isChecked());
    QVERIFY(prompter.boxes("info").isEmpty());
    // The user picks Polish in the menu.
    l.m_pActionGroup->actions().at(7)->trigger();
    QCOMPARE(prompter.boxes("info"), QStringList("Pavix|Changes will take effect after restarting Pavix."));
    QCOMPARE(l.m_SelectedIndex, 7);
    QCOMPARE(stored(l), 7);
    // Picking the checked entry again says nothing.
    l.m_pActionGroup->actions().at(7)->trigger();
    QCOMPARE(prompter.boxes("info").size(), 1);
    // A restart reads the new choice.
    MultiLanguage next;
    next.m_TranslationsDir = m_Translations.path();
    next.LoadSelectedLanguage();
    QCOMPARE(next.SelectedCode(), QString("pl"));
}

void TestShellLanguage::outOfRangeSelection()
{
    CScriptedPrompter prompter;
    MultiLanguage l;
    l.LoadSelectedLanguage();
    l.SelectLanguage(4);
    QCOMPARE(prompter.boxes("info").size(), 1);
    l.SelectLanguage(9);
    QCOMPARE(prompter.boxes("info").size(), 2);
    QCOMPARE(l.m_SelectedIndex, 4);
    QCOMPARE(stored(l), 4);
    l.SelectLanguage(-1);
    QCOMPARE(l.m_SelectedIndex, 4);
}

void TestShellLanguage::storedIndexOutOfRange_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::newRow("nine") << QVariant(9);
    QTest::newRow("huge") << QVariant(123456);
    QTest::newRow("negative") << QVariant(-3);
    QTest::newRow("text") << QVariant("Deutsch");
}

void TestShellLanguage::storedIndexOutOfRange()
{
    QFETCH(QVariant, value);
    CScriptedPrompter prompter;
    {
        QSettings s(MultiLanguage().m_SettingsPath, QSettings::IniFormat);
        s.setValue("Language/Selected", value);
    }
    MultiLanguage l;
    l.LoadSelectedLanguage();
    QCOMPARE(l.m_SelectedIndex, 0);
    QCOMPARE(l.SelectedCode(), QString("en"));
    l.init();
    QVERIFY(l.m_pActionGroup->actions().at(0)->isChecked());
    QCOMPARE(stored(l), 0);
}

void TestShellLanguage::onlyInstalledLanguagesAreOffered()
{
    QSettings(MultiLanguage().m_SettingsPath, QSettings::IniFormat).setValue("Language/Selected", 2);
    MultiLanguage l;
    l.m_TranslationsDir = m_Translations.path();
    l.LoadSelectedLanguage();
    QCOMPARE(l.SelectedCode(), QString("en")); // Deutsch was chosen; its translation is gone
    l.init();
    for (int i = 0; i < MultiLanguage::s_NumLanguages; ++i)
        QCOMPARE(l.m_pActionGroup->actions().at(i)->isEnabled(), i == 0 || i == 1 || i == 7);
    QVERIFY(l.m_pActionGroup->actions().at(2)->toolTip().startsWith("No translation into Deutsch"));
}

KORVANTA_TEST_MAIN(TestShellLanguage)
#include "tst_shell_language.moc"
