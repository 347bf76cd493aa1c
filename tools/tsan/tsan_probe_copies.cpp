// Races of ours through a copy a library makes of our memory, or through bytes it writes into
// our memory: one thread writes our bytes, then the other hands them to Qt, which copies them
// (or fills them) where the sanitizer cannot see. Each must be reported, naming the Qt call
// that made the copy. And a buffer shared by two threads, which Qt counts out of the
// sanitizer's sight: quiet.
#include "TsanProbe.h"

#include <QBuffer>
#include <QByteArray>
#include <QDataStream>
#include <QHostAddress>
#include <QImage>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QString>
#include <QUdpSocket>

#include <cstring>

namespace {

// Ours, written on one thread, then read or filled by a library on another: no zero byte but
// the last, so it reads as a C string too. 4096 bytes are also a 32 x 32 image of 32-bit pixels.
char g_Bytes[4096];
constexpr int kSize = int(sizeof g_Bytes) - 1;

__attribute__((noinline)) void WriteOurBytes()
{
    for (int i = 0; i < kSize; ++i)
        g_Bytes[i] = char(1 + i % 255);
}

// The bytes are set before the threads start (so a reader of the C string never finds it
// empty), then written on one thread, then handed to the library on the other.
template <typename Fn>
int AfterOurWrite(Fn throughLibrary)
{
    std::memset(g_Bytes, 'k', kSize);
    InTurn(WriteOurBytes, throughLibrary);
    return 0;
}

int AppendedSized()
{
    return AfterOurWrite([] {
        QByteArray copy;
        copy.append(g_Bytes, kSize);
    });
}

int Constructed()
{
    return AfterOurWrite([] { const QByteArray copy(g_Bytes, kSize); });
}

int Inserted()
{
    return AfterOurWrite([] {
        QByteArray copy("[]");
        copy.insert(1, g_Bytes, kSize);
    });
}

int AppendedString()
{
    return AfterOurWrite([] {
        QByteArray copy("text: ");
        copy.append(g_Bytes);
    });
}

int AppendedRawData()
{
    return AfterOurWrite([] {
        QByteArray copy;
        copy.append(QByteArray::fromRawData(g_Bytes, kSize));
    });
}

QImage ImageOverOurBytes()
{
    return QImage(reinterpret_cast<const uchar*>(g_Bytes), 32, 32, QImage::Format_ARGB32);
}

int ImageCopied()
{
    return AfterOurWrite([] { const QImage copy = ImageOverOurBytes().copy(); });
}

int ImageDetached()
{
    // The image may not write into the buffer it was made over: its bits() are its own copy.
    return AfterOurWrite([] {
        QImage image = ImageOverOurBytes();
        image.bits()[0] = 0;
    });
}

int ImageConverted()
{
    return AfterOurWrite([] {
        const QImage image = ImageOverOurBytes();
        const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    });
}

__attribute__((noinline)) void FillPixels(uchar* pixels, qsizetype bytes)
{
    for (qsizetype i = 0; i < bytes; ++i)
        pixels[i] = uchar(i);
}

// An image's own pixels, filled by our code on one thread, then converted in place on the
// other (as a temporary is).
int ImageConvertedInPlace()
{
    QImage image(32, 32, QImage::Format_ARGB32);
    InTurn([&] { FillPixels(image.bits(), image.sizeInBytes()); },
           [&] { const QImage rgb = std::move(image).convertToFormat(QImage::Format_RGB32); });
    return 0;
}

int Utf8Decoded()
{
    return AfterOurWrite([] { const QString text = QString::fromUtf8(g_Bytes, kSize); });
}

int Latin1Decoded()
{
    return AfterOurWrite([] { const QString text = QString::fromLatin1(g_Bytes, kSize); });
}

// Devices and streams over a byte array of their own; the bytes of ours go in or come out.
int DeviceWritten()
{
    return AfterOurWrite([] {
        QBuffer device;
        device.open(QIODevice::WriteOnly);
        device.write(g_Bytes, kSize);
    });
}

int DeviceWrittenString()
{
    return AfterOurWrite([] {
        QBuffer device;
        device.open(QIODevice::WriteOnly);
        device.write(g_Bytes);
    });
}

QByteArray Source()
{
    return QByteArray(kSize, 'd');
}

int DeviceRead()
{
    return AfterOurWrite([] {
        QByteArray source = Source();
        QBuffer device(&source);
        device.open(QIODevice::ReadOnly);
        device.read(g_Bytes, kSize);
    });
}

int DevicePeeked()
{
    return AfterOurWrite([] {
        QByteArray source = Source();
        QBuffer device(&source);
        device.open(QIODevice::ReadOnly);
        device.peek(g_Bytes, 16);
    });
}

int StreamWritten()
{
    return AfterOurWrite([] {
        QByteArray sink;
        QDataStream out(&sink, QIODevice::WriteOnly);
        out.writeRawData(g_Bytes, kSize);
    });
}

int StreamRead()
{
    return AfterOurWrite([] {
        const QByteArray source = Source();
        QDataStream in(source);
        in.readRawData(g_Bytes, kSize);
    });
}

int SentAsDatagram()
{
    return AfterOurWrite([] {
        QUdpSocket socket;
        socket.writeDatagram(g_Bytes, 512, QHostAddress::LocalHost, 9);
    });
}

int PostedAsRequestBody()
{
    // The upload's call: a request body handed to the access manager. A scheme it does not
    // know fails at once, with no connection attempt.
    return AfterOurWrite([] {
        QNetworkAccessManager manager;
        delete manager.post(QNetworkRequest(QUrl(QStringLiteral("korvanta-probe:body"))),
                            QByteArray::fromRawData(g_Bytes, kSize));
    });
}

// A byte array shared between two threads: one detaches its copy (Qt lets go of the shared
// buffer inside its reallocation) and the other, told through a relaxed flag, then drops the
// last reference and frees the buffer. Correctly counted, so quiet.
int SharedBuffer()
{
    for (int round = 0; round < 50; ++round) {
        QByteArray original(64, 'x');
        std::atomic<bool> detached{false};
        CMeeting after(2);
        QThread* t = QThread::create([copy = original, &detached, &after]() mutable {
            copy[0] = 'y';
            detached.store(true, std::memory_order_relaxed);
            after.meet();
        });
        t->start();
        AwaitRelaxed([&] { return detached.load(std::memory_order_relaxed); });
        original = QByteArray();
        after.meet();
        t->wait();
        delete t;
    }
    return 0;
}

} // namespace

const ProbeCase g_CopyCases[] = {{"shared_buffer", SharedBuffer},
                                 {"core_copy", AppendedSized},
                                 {"core_construct", Constructed},
                                 {"core_insert", Inserted},
                                 {"core_append_string", AppendedString},
                                 {"core_append_raw", AppendedRawData},
                                 {"core_utf8", Utf8Decoded},
                                 {"core_latin1", Latin1Decoded},
                                 {"device_write", DeviceWritten},
                                 {"device_write_string", DeviceWrittenString},
                                 {"device_read", DeviceRead},
                                 {"device_peek", DevicePeeked},
                                 {"stream_write", StreamWritten},
                                 {"stream_read", StreamRead},
                                 {"gui_copy", ImageCopied},
                                 {"gui_detach", ImageDetached},
                                 {"gui_convert", ImageConverted},
                                 {"gui_convert_in_place", ImageConvertedInPlace},
                                 {"network_send", SentAsDatagram},
                                 {"network_post", PostedAsRequestBody},
                                 {nullptr, nullptr}};
