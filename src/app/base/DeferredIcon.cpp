#include "app/base/DeferredIcon.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QIconEngine>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>

namespace {

class CDeferredIconEngine : public QIconEngine
{
public:
    explicit CDeferredIconEngine(const QString& path) : m_Path(path) {}

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
    void addFile(const QString& fileName, const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        icon().addFile(fileName, size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) const override
    {
        return icon().availableSizes(mode, state);
    }
    QString key() const override { return QStringLiteral("KorvantaDeferred"); }
    QIconEngine* clone() const override
    {
        auto* copy = new CDeferredIconEngine(m_Path);
        copy->m_Icon = m_Icon;
        copy->m_bRead = m_bRead;
        return copy;
    }
    void virtual_hook(int id, void* data) override
    {
        if (id == QIconEngine::IsNullHook) {
            // Answered without reading: an icon is null only when its file cannot be read.
            *static_cast<bool*>(data) = m_bRead ? m_Icon.isNull() : !QFileInfo::exists(m_Path);
            return;
        }
        QIconEngine::virtual_hook(id, data);
    }

private:
    // The format is the file's suffix: no image plugin is loaded to recognise the bytes
    // (a reader left to detect the format asks every installed plugin first).
    static QPixmap readBySuffix(const QString& path)
    {
        QImageReader reader(path, QFileInfo(path).suffix().toLower().toLatin1());
        reader.setAutoDetectImageFormat(false);
        return QPixmap::fromImage(reader.read());
    }
    static qreal devicePixelRatio()
    {
        return QGuiApplication::testAttribute(Qt::AA_UseHighDpiPixmaps) ? qApp->devicePixelRatio() : 1.0;
    }
    QIcon& icon() const
    {
        if (!m_bRead) {
            m_bRead = true;
            const QPixmap base = readBySuffix(m_Path);
            if (!base.isNull())
                m_Icon.addPixmap(base);
            const int dot = m_Path.lastIndexOf(QLatin1Char('.'));
            if (devicePixelRatio() > 1.0 && dot > 0) {
                const QPixmap large = readBySuffix(m_Path.left(dot) + QStringLiteral("@2x") + m_Path.mid(dot));
                if (!large.isNull())
                    m_Icon.addPixmap(large);
            }
        }
        return m_Icon;
    }

    QString m_Path;
    mutable QIcon m_Icon;
    mutable bool m_bRead = false;
};

} // namespace

namespace KorvantaIcons {

QIcon Deferred(const QString& path)
{
    if (path.isEmpty())
        return QIcon();
    return QIcon(new CDeferredIconEngine(path));
}

} // namespace KorvantaIcons
