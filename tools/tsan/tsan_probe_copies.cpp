// Races of ours through a copy a library makes of our memory: one thread writes our bytes, then
// the other hands them to Qt, which copies them where the sanitizer cannot see. Each must be
// reported, naming the Qt call that made the copy. And a buffer shared by two threads, which Qt
// counts out of the sanitizer's sight: quiet.
#include "TsanProbe.h"

#include <QByteArray>
#include <QHostAddress>
#include <QImage>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUdpSocket>

#include <cstring>

namespace {

// Ours, written on one thread, then read by a library on another: no zero byte but the last,
// so it reads as a C string too. 4096 bytes are also a 32 x 32 image of 32-bit pixels.
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

const ProbeCase g_CopyCases[] = {{"shared_buffer", SharedBuffer},{"core_copy", AppendedSized},       {"core_construct", Constructed},
                                 {"core_insert", Inserted},          {"core_append_string", AppendedString},
                                 {"core_append_raw", AppendedRawData}, {"gui_copy", ImageCopied},
                                 {"gui_detach", ImageDetached},      {"network_send", SentAsDatagram},
                                 {"network_post", PostedAsRequestBody}, {nullptr, nullptr}};
