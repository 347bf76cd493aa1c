#include "opencv/OpenCvLibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#include <QLoggingCategory>
#include <QMutex>
#include <QMutexLocker>

#include <map>
#include <memory>

namespace {

Q_LOGGING_CATEGORY(lcOpenCv, "korvanta.opencv", QtInfoMsg)

QMutex s_Mutex;
// One entry per plugin tried; null where loading failed. Destroying a QLibrary leaves its
// library loaded, as the video reader's codec libraries need: they do not all survive being
// unloaded.
std::map<QByteArray, std::unique_ptr<QLibrary>>& libraries()
{
    static std::map<QByteArray, std::unique_ptr<QLibrary>> tried;
    return tried;
}

QLibrary* library(const char* name)
{
    QMutexLocker lock(&s_Mutex);
    auto& tried = libraries();
    const QByteArray key(name);
    const auto found = tried.find(key);
    if (found != tried.end())
        return found->second.get();
    QStringList folders = {QStringLiteral(KORVANTA_PLUGIN_BUILD_DIR)};
    if (QCoreApplication::instance())
        folders.prepend(QCoreApplication::applicationDirPath() + QStringLiteral("/../lib"));
    std::unique_ptr<QLibrary> loaded;
    QStringList errors;
    for (const QString& folder : folders) {
        auto candidate = std::make_unique<QLibrary>(QDir(folder).filePath(QString::fromLatin1(name)));
        if (candidate->load()) {
            loaded = std::move(candidate);
            break;
        }
        errors << candidate->errorString();
    }
    if (!loaded)
        qCWarning(lcOpenCv).noquote() << name << "could not be loaded:" << errors.join(QStringLiteral("; "));
    QLibrary* result = loaded.get();
    tried.emplace(key, std::move(loaded));
    return result;
}

} // namespace

namespace KorvantaOpenCv {

void* Resolve(const char* libraryName, const char* symbol)
{
    QLibrary* plugin = library(libraryName);
    return plugin ? reinterpret_cast<void*>(plugin->resolve(symbol)) : nullptr;
}

bool Loaded(const char* libraryName)
{
    QMutexLocker lock(&s_Mutex);
    const auto found = libraries().find(QByteArray(libraryName));
    return found != libraries().end() && found->second;
}

} // namespace KorvantaOpenCv
