#include "opencv/OpenCvLibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#include <QLoggingCategory>
#include <QMutex>
#include <QMutexLocker>

#include <atomic>
#include <memory>

namespace {

Q_LOGGING_CATEGORY(lcOpenCv, "korvanta.opencv", QtInfoMsg)

std::atomic<bool> s_Loaded {false};

QLibrary* library()
{
    static QMutex mutex;
    static std::unique_ptr<QLibrary> loaded;
    static bool tried = false;
    QMutexLocker lock(&mutex);
    if (!tried) {
        tried = true;
        QStringList folders = {QStringLiteral(KORVANTA_PLUGIN_BUILD_DIR)};
        if (QCoreApplication::instance())
            folders.prepend(QCoreApplication::applicationDirPath() + QStringLiteral("/../lib"));
        for (const QString& folder : folders) {
            // Never unloaded (QLibrary's destructor leaves it loaded): the codec libraries it
            // brings do not all survive being unloaded.
            auto candidate = std::make_unique<QLibrary>(QDir(folder).filePath(QString::fromLatin1(s_OpenCvLibrary)));
            if (candidate->load()) {
                loaded = std::move(candidate);
                s_Loaded = true;
                break;
            }
            qCWarning(lcOpenCv).noquote() << "OpenCV plugin not loaded from" << folder << ":" << candidate->errorString();
        }
    }
    return loaded.get();
}

} // namespace

namespace KorvantaOpenCv {

void* Resolve(const char* symbol)
{
    QLibrary* plugin = library();
    return plugin ? reinterpret_cast<void*>(plugin->resolve(symbol)) : nullptr;
}

bool Loaded()
{
    return s_Loaded;
}

} // namespace KorvantaOpenCv
