// Built as a static plug-in: its instance is registered by InstallPngReader, not loaded from disk.
#define QT_STATICPLUGIN
#include "windowbase/PngReader.h"

#include <QImage>
#include <QImageIOHandler>
#include <QImageIOPlugin>
#include <QImageReader>
#include <QVariant>
#include <QtPlugin>

namespace {

// Set while our handler reads through Qt's own reader: that reader asks the plug-in that
// claims "png" first, and must be sent on to Qt's built-in one.
thread_local bool t_Delegating = false;

bool isPng(QIODevice* device)
{
    static const QByteArray signature("\x89PNG\r\n\x1a\n", 8);
    // Saving asks the plug-ins too, with a device open for writing only: nothing to peek at.
    return device && device->isReadable() && device->peek(8) == signature;
}

// The picture's size from its header (IHDR, right after the signature), without reading it:
// style sheets and layouts ask for it before any pixel is decoded.
QSize headerSize(QIODevice* device)
{
    const QByteArray head = device ? device->peek(24) : QByteArray();
    if (head.size() < 24 || head.mid(12, 4) != "IHDR")
        return QSize();
    const auto word = [&head](int at) {
        return (quint32(quint8(head[at])) << 24) | (quint32(quint8(head[at + 1])) << 16)
            | (quint32(quint8(head[at + 2])) << 8) | quint32(quint8(head[at + 3]));
    };
    const quint32 width = word(16), height = word(20);
    if (width == 0 || height == 0 || width > 0x7fffffffu || height > 0x7fffffffu)
        return QSize();
    return QSize(int(width), int(height));
}

class CPngHandler : public QImageIOHandler
{
public:
    bool canRead() const override
    {
        if (!isPng(device()))
            return false;
        setFormat("png");
        return true;
    }
    bool read(QImage* image) override
    {
        if (!canRead())
            return false;
        t_Delegating = true;
        QImageReader reader(device(), "png");
        reader.setAutoDetectImageFormat(false);
        const bool ok = reader.read(image);
        t_Delegating = false;
        return ok;
    }
    bool supportsOption(ImageOption option) const override { return option == Size; }
    QVariant option(ImageOption option) const override
    {
        if (option != Size || !isPng(device()))
            return QVariant();
        const QSize size = headerSize(device());
        return size.isValid() ? QVariant(size) : QVariant();
    }
};

class CPngReaderPlugin : public QImageIOPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QImageIOHandlerFactoryInterface_iid FILE "PngReader.json")
public:
    // Only pictures that are PNG inside: a file named .png that holds another format is left
    // to Qt's search among the plug-ins, as before.
    Capabilities capabilities(QIODevice* device, const QByteArray& format) const override
    {
        if (format != "png" || t_Delegating)
            return Capabilities();
        return !device || isPng(device) ? CanRead : Capabilities();
    }
    QImageIOHandler* create(QIODevice* device, const QByteArray& format) const override
    {
        auto* handler = new CPngHandler;
        handler->setDevice(device);
        handler->setFormat(format);
        return handler;
    }
};

} // namespace

Q_IMPORT_PLUGIN(CPngReaderPlugin)

namespace KorvantaImages {

void InstallPngReader()
{
    // The registration itself is Q_IMPORT_PLUGIN's static object above; this function makes
    // sure the linker keeps this file in the program.
}

} // namespace KorvantaImages

#include "PngReader.moc"
