#include "app/shell/MultiLanguage.h"

#include "windowbase/Prompter.h"

#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QSettings>
#include <QSignalMapper>
#include <QStandardPaths>
#include <QTranslator>

MultiLanguage::MultiLanguage(QObject* parent)
    : QObject(parent), m_pActionGroup(new QActionGroup(this)), m_pSignalMapper(new QSignalMapper(this))
{
    m_LanguageNames << tr("English") << tr("Russian") << tr("Deutsch") << tr("Lithuanian") << tr("French")
                    << tr("Czech") << tr("Slovak") << tr("Polish") << tr("Japanese");
    m_LanguageCodes << "en" << "ru" << "de" << "lt" << "fr" << "cs" << "sk" << "pl" << "ja";
    m_SettingsPath = QStandardPaths::writableLocation(QStandardPaths::ConfigLocation)
                     + QStringLiteral("//KorvantaLangSettings.ini");
    m_TranslationsDir = QCoreApplication::applicationDirPath();
}

bool MultiLanguage::IsInstalled(int index) const
{
    if (index == 0)
        return true;
    if (index < 0 || index >= m_LanguageCodes.size())
        return false;
    QTranslator translation;
    return translation.load(QStringLiteral("korvanta_") + m_LanguageCodes.at(index), m_TranslationsDir);
}

void MultiLanguage::LoadSelectedLanguage()
{
    QSettings settings(m_SettingsPath, QSettings::IniFormat);
    bool ok = false;
    const int index = settings.value(QStringLiteral("Language/Selected"), 0).toInt(&ok);
    // The file is the user's to edit: anything but one of the nine indices means English.
    m_SelectedIndex = (ok && index >= 0 && index < s_NumLanguages) ? index : 0;
    // A language whose translation is gone shows in English, and the menu says so.
    if (!IsInstalled(m_SelectedIndex))
        m_SelectedIndex = 0;
}

void MultiLanguage::init()
{
    m_pActionGroup->setExclusive(true);
    for (int i = 0; i < s_NumLanguages; ++i) {
        QAction* action = new QAction(m_LanguageNames.at(i), this);
        action->setCheckable(true);
        // Only a language the interface can be shown in is offered: choosing another would
        // promise a change that the next start does not make.
        if (!IsInstalled(i)) {
            action->setEnabled(false);
            action->setToolTip(tr("No translation into %1 is installed.").arg(m_LanguageNames.at(i)));
        }
        m_pActionGroup->addAction(action);
        connect(action, &QAction::changed, m_pSignalMapper, qOverload<>(&QSignalMapper::map));
        m_pSignalMapper->setMapping(action, i);
    }
    connect(m_pSignalMapper, &QSignalMapper::mappedInt, this, &MultiLanguage::SelectLanguage);
    const QList<QAction*> actions = m_pActionGroup->actions();
    if (m_SelectedIndex >= 0 && m_SelectedIndex < actions.size())
        actions.at(m_SelectedIndex)->setChecked(true);
}

void MultiLanguage::SelectLanguage(int lang)
{
    if (lang != m_SelectedIndex)
        ShellPrompter()->information(nullptr, QStringLiteral("Pavix"),
                                     tr("Changes will take effect after restarting Pavix."));
    if (lang >= 0 && lang < s_NumLanguages)
        m_SelectedIndex = lang;
    SaveSelectedLanguage();
}

void MultiLanguage::SaveSelectedLanguage()
{
    QSettings settings(m_SettingsPath, QSettings::IniFormat);
    const QString key = QStringLiteral("Language/Selected");
    // A file that already holds the choice is left as it is: every start saves the choice
    // again, and writing the file waits for the disk.
    bool stored = false;
    if (settings.contains(key) && settings.value(key).toInt(&stored) == m_SelectedIndex && stored)
        return;
    settings.setValue(key, m_SelectedIndex);
    settings.sync();
}

QString MultiLanguage::SelectedCode() const
{
    if (m_SelectedIndex < 0 || m_SelectedIndex >= m_LanguageCodes.size())
        return m_LanguageCodes.value(0);
    return m_LanguageCodes.at(m_SelectedIndex);
}
