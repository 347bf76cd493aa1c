#pragma once
// The nine interface languages, the user's choice among them, the menu actions that change it
// and the small settings file that keeps it. A new choice takes effect at the next start.
#include <QObject>
#include <QString>
#include <QStringList>

class QActionGroup;
class QSignalMapper;

class MultiLanguage : public QObject
{
    Q_OBJECT
public:
    static constexpr int s_NumLanguages = 9;

    explicit MultiLanguage(QObject* parent = nullptr);

    void LoadSelectedLanguage();
    void init();
    void SaveSelectedLanguage();
    // The code of the selected language ("en" ...); always one of the nine.
    QString SelectedCode() const;
    // Whether the interface can be shown in a language: English always, any other only when
    // its translation file loads from the translations folder.
    bool IsInstalled(int index) const;

    QStringList m_LanguageNames;
    QStringList m_LanguageCodes;
    QActionGroup* m_pActionGroup = nullptr;
    QSignalMapper* m_pSignalMapper = nullptr;
    int m_SelectedIndex = 0;
    QString m_SettingsPath;
    // Where the "korvanta_" translation files are looked for: the program's folder.
    QString m_TranslationsDir;

public slots:
    void SelectLanguage(int lang);
};
