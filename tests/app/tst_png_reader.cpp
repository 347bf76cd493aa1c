// PNG pictures are read without loading Qt's image plug-ins, decode as Qt's own reader does,
// and a file named .png that holds another format still loads through the plug-ins.
#include "windowbase/PngReader.h"

#include <QBuffer>
#include <QFile>
#include <QIcon>
#include <QImageReader>
#include <QImageWriter>
#include <QPixmap>
#include <QTemporaryDir>
#include "common/TestMain.h"

namespace {

bool imagePluginsLoaded()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("/imageformats/");
}

} // namespace

class TestPngReader : public QObject
{
    Q_OBJECT
private slots:
    void readsPngWithoutThePlugins();
};

void TestPngReader::readsPngWithoutThePlugins()
{
    KorvantaImages::InstallPngReader();
    QVERIFY(!imagePluginsLoaded());
    const QString path = QStringLiteral(":/images/GraphToolbar/Closing-toolbar.png");
    QImageReader direct(path, "png");
    direct.setAutoDetectImageFormat(false);
    const QImage reference = direct.read();
    QVERIFY(!reference.isNull());
    // The ways the program reads its pictures: a pixmap, an icon, a reader left to find the format.
    const auto argb = [](const QImage& image) { return image.convertToFormat(QImage::Format_ARGB32); };
    QCOMPARE(argb(QPixmap(path).toImage()), argb(reference));
    QCOMPARE(argb(QIcon(path).pixmap(reference.size()).toImage()), argb(reference));
    QCOMPARE(QImageReader(path).format(), QByteArray("png"));
    QCOMPARE(QImage(path), reference);
    // Style sheets size a picture from the reader before decoding it.
    QCOMPARE(QImageReader(path).size(), reference.size());
    QVERIFY(!imagePluginsLoaded());

    // A JPEG under a .png name is not ours: Qt's search finds the plug-in that reads it.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QImage colour(16, 8, QImage::Format_RGB32);
    colour.fill(Qt::darkCyan);
    const QString disguised = dir.filePath(QStringLiteral("photo.png"));
    QImageWriter writer(disguised, "jpeg");
    QVERIFY2(writer.write(colour), qPrintable(writer.errorString()));
    const QImage read(disguised);
    QCOMPARE(read.size(), colour.size());
    // A damaged PNG is refused without a crash.
    QFile source(path);
    QVERIFY(source.open(QIODevice::ReadOnly));
    QByteArray cut = source.readAll().left(60);
    QBuffer buffer(&cut);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    QVERIFY(QImageReader(&buffer, "png").read().isNull());
}

KORVANTA_TEST_MAIN(TestPngReader)
#include "tst_png_reader.moc"
