#include "windowbase/DeferredIcon.h"

#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QGuiApplication>
#include <QIconEngine>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>
#include <QVector>

namespace {

class CDeferredIconEngine : public QIconEngine
{
public:
    CDeferredIconEngine() = default;
    explicit CDeferredIconEngine(std::function<QIcon()> make) : m_Make(std::move(make)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        // The caller has already scaled the size to device pixels; the inner icon would scale
        // it again on a high-density screen.
        const qreal ratio = devicePixelRatio();
        return icon().pixmap(ratio > 1.0 ? size / ratio : size, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = devicePixelRatio();
        if (ratio > 1.0)
            return icon().actualSize(size / ratio, mode, state) * ratio;
        return icon().actualSize(size, mode, state);
    }
    void addPixmap(const QPixmap& pixmap, QIcon::Mode mode, QIcon::State state) override
    {
        icon().addPixmap(pixmap, mode, state);
    }
    void addFile(const QString& fileName, const QSize&, QIcon::Mode mode, QIcon::State state) override
    {
        if (fileName.isEmpty())
            return;
        m_Files.append({fileName, mode, state});
        if (m_bRead)
            readFile(m_Files.last());
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) const override
    {
        return icon().availableSizes(mode, state);
    }
    QString key() const override { return QStringLiteral("KorvantaDeferred"); }
    QIconEngine* clone() const override
    {
        return new CDeferredIconEngine(*this);
    }
    void virtual_hook(int id, void* data) override
    {
        if (id == QIconEngine::IsNullHook) {
            // Answered without reading: an icon is null only when none of its files is there.
            // One still waiting for its maker or its first file is not null: QIcon::addFile
            // would otherwise drop this engine for one that reads at once.
            if (m_bRead)
                *static_cast<bool*>(data) = m_Icon.isNull();
            else
                *static_cast<bool*>(data) = !m_Make && !m_Files.isEmpty() && !anyFileThere();
            return;
        }
        QIconEngine::virtual_hook(id, data);
    }

private:
    // The format is the file's suffix: no image plugin is loaded to recognise the bytes
    // (a reader left to detect the format asks every installed plugin first). A picture is
    // decoded once for every window that shows it (each new window makes its own icons of the
    // same files); the cache keeps it while it has room.
    static QPixmap readBySuffix(const QString& path)
    {
        const QString key = QStringLiteral("KorvantaDeferred:") + path;
        QPixmap picture;
        if (QPixmapCache::find(key, &picture))
            return picture;
        QImageReader reader(path, QFileInfo(path).suffix().toLower().toLatin1());
        reader.setAutoDetectImageFormat(false);
        picture = QPixmap::fromImage(reader.read());
        if (!picture.isNull())
            QPixmapCache::insert(key, picture);
        return picture;
    }
    static qreal devicePixelRatio()
    {
        return QGuiApplication::testAttribute(Qt::AA_UseHighDpiPixmaps) ? qApp->devicePixelRatio() : 1.0;
    }
    struct File
    {
        QString path;
        QIcon::Mode mode;
        QIcon::State state;
    };

    bool anyFileThere() const
    {
        for (const File& file : m_Files)
            if (fileThere(file.path))
                return true;
        return false;
    }
    // The compiled-in resources never change while the program runs: whether one is there is
    // looked up once (every window asks it of each of its icons as it is built).
    static bool fileThere(const QString& path)
    {
        if (!path.startsWith(QLatin1Char(':')))
            return QFileInfo::exists(path);
        static QMutex s_Lock;
        static QHash<QString, bool> s_Resources;
        QMutexLocker lock(&s_Lock);
        auto it = s_Resources.constFind(path);
        if (it == s_Resources.constEnd())
            it = s_Resources.insert(path, QFileInfo::exists(path));
        return *it;
    }
    // QIcon::addFile gives the "@2x" sibling as a file of its own on a high-density screen.
    void readFile(const File& file) const
    {
        const QPixmap picture = readBySuffix(file.path);
        if (!picture.isNull())
            m_Icon.addPixmap(picture, file.mode, file.state);
    }
    QIcon& icon() const
    {
        if (!m_bRead) {
            m_bRead = true;
            if (m_Make)
                m_Icon = m_Make();
            for (const File& file : m_Files)
                readFile(file);
        }
        return m_Icon;
    }

    QVector<File> m_Files;
    std::function<QIcon()> m_Make;
    mutable QIcon m_Icon;
    mutable bool m_bRead = false;
};

} // namespace

namespace KorvantaIcons {

QIcon Deferred(const QString& path)
{
    if (path.isEmpty())
        return QIcon();
    // One icon per file, shared by every window that shows it: each graph or table window
    // asks for some sixty of the same pictures, and making (then deleting) an engine for each
    // was a good part of the cost of opening and closing a window. A copy is cheap, reads its
    // file once for all, and one that a caller changes (addFile) detaches as any QIcon does.
    // Never destroyed: the icons' pictures may not outlive the application at exit.
    static QMutex s_Lock;
    static QHash<QString, QIcon>& s_Icons = *new QHash<QString, QIcon>;
    QMutexLocker lock(&s_Lock);
    auto it = s_Icons.constFind(path);
    if (it == s_Icons.constEnd()) {
        QIcon icon = Deferred();
        icon.addFile(path);
        it = s_Icons.insert(path, icon);
    }
    return *it;
}

QIcon Deferred()
{
    return QIcon(new CDeferredIconEngine);
}

QIcon Deferred(std::function<QIcon()> make)
{
    return QIcon(new CDeferredIconEngine(std::move(make)));
}

} // namespace KorvantaIcons
