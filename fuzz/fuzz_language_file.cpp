// Arbitrary bytes as the language settings file: the choice read is always one of the nine
// languages, whatever the file holds. Each input's file gets a modification time of its own,
// so the settings class's cache of parsed files never hands back an earlier input.
#include "app/shell/MultiLanguage.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

struct Fixture;
Fixture& Shared();

struct Fixture
{
    int argc = 1;
    char name[20] = "fuzz_language_file";
    char* argv[2] = {name, nullptr};
    QApplication* app;
    // A folder in memory where there is one: on a disk every input costs a file write.
    QTemporaryDir dir{QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm/korvanta-fuzz-XXXXXX")
                                                                          : QDir::tempPath() + "/korvanta-fuzz-XXXXXX"};
    MultiLanguage* languages;
    unsigned turn = 0;

    Fixture()
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = new QApplication(argc, argv);
        if (!dir.isValid())
            std::abort();
        std::atexit([] { Shared().dir.remove(); });
        languages = new MultiLanguage;
    }
};

Fixture& Shared()
{
    static Fixture* fixture = new Fixture;
    return *fixture;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 8192)
        return 0;
    Fixture& f = Shared();
    static const QString path = f.dir.path() + QStringLiteral("/language.ini");
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size) ||
            !file.setFileTime(QDateTime::fromSecsSinceEpoch(1000000000 + ++f.turn), QFileDevice::FileModificationTime))
            std::abort();
    }
    f.languages->m_SettingsPath = path;
    f.languages->m_SelectedIndex = -1;
    f.languages->LoadSelectedLanguage();
    if (f.languages->m_SelectedIndex < 0 || f.languages->m_SelectedIndex >= MultiLanguage::s_NumLanguages)
        std::abort();
    if (f.languages->SelectedCode() != f.languages->m_LanguageCodes.at(f.languages->m_SelectedIndex))
        std::abort();
    return 0;
}
