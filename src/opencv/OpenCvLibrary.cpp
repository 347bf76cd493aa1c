#include "opencv/OpenCvLibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QHash>
#include <QLibrary>
#include <QLoggingCategory>
#include <QMutex>
#include <QMutexLocker>

#include <memory>

namespace {

Q_LOGGING_CATEGORY(lcOpenCv, "korvanta.opencv", QtInfoMsg)

QMutex s_Mutex;
// One entry per plugin tried; null where loading failed. Never unloaded (QLibrary's destructor
// leaves a library loaded): the codec libraries of the video reader do not all survive it.
QHash<QByteArray, QLibrary*>& libraries()
{
    static QHash<QByteArray, QLibrary*> tried;
    return tried;
}

QLibrary* library(const char* name)
{
    QMutexLocker lock(&s_Mutex);
    QHash<QByteArray, QLibrary*>& tried = libraries();
    const QByteArray key(name);
    const auto found = tried.constFind(key);
    if (found != tried.constEnd())
        return *found;
    QStringList folders = {QStringLiteral(KORVANTA_PLUGIN_BUILD_DIR)};
    if (QCoreApplication::instance())
        folders.prepend(QCoreApplication::applicationDirPath() + QStringLiteral("/../lib"));
    QLibrary* loaded = nullptr;
    for (const QString& folder : folders) {
        auto candidate = std::make_unique<QLibrary>(QDir(folder).filePath(QString::fromLatin1(name)));
        if (candidate->load()) {
            loaded = candidate.release();
            break;
        }
        qCWarning(lcOpenCv).noquote() << name << "not loaded from" << folder << ":" << candidate->errorString();
    }
    tried.insert(key, loaded);
    return loaded;
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
    return libraries().value(QByteArray(libraryName)) != nullptr;
}

} // namespace KorvantaOpenCv
