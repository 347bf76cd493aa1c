// Our memory through Qt's hands, for the preloaded ThreadSanitizer helper. What Qt does itself
// through the C library is ignored (the suppression file's called_from_lib lines): its
// allocations, and its copies too, so a copy it makes of a buffer of ours would go unseen, and
// a race on the buffer with it. The calls that read or write memory the caller hands in say so
// here, as an instrumented copy would, each named in the report (a probe test each).
#include "TsanPreload.h"

#include <QByteArray>
#include <QDataStream>
#include <QIODevice>
#include <QImage>
#include <QNetworkAccessManager>
#include <QString>
#include <QUdpSocket>

#include <cstring>

using namespace KvTsan;

namespace {
long long LengthOf(const char* data, long long size)
{
    return data && size < 0 ? (long long)std::strlen(data) : size;
}

// Whether appending `other` to `self` copies other's bytes: always, but for an empty array that
// then only shares other's buffer (which Qt never does for an array made over raw data).
bool AppendCopies(const QByteArray& self, const QByteArray& other)
{
    const bool rawData = other.d->offset != qptrdiff(sizeof(QByteArrayData));
    return rawData || !(self.d->size == 0 && self.d->ref.isStatic());
}
} // namespace

// ---- Implicitly shared buffers. Qt lets go of the buffer of a byte array or a string inside its
// own functions (the reallocation of a detach, an assignment), out of the sanitizer's sight;
// the thread that drops the last reference frees the buffer later in inline code of ours, whose
// decrement of the count the sanitizer sees. What this thread did with the buffer before is
// ordered before that free, as the decrement Qt makes orders it.

namespace {
void LettingGo(const QArrayData* d)
{
    if (d)
        Release(&d->ref);
}
} // namespace

void QByteArray::reallocData(uint alloc, Data::AllocationOptions options)
{
    KV_REAL(real, void (*)(QByteArray*, uint, Data::AllocationOptions),
            "_ZN10QByteArray11reallocDataEj6QFlagsIN10QArrayData16AllocationOptionEE");
    LettingGo(d);
    real(this, alloc, options);
}

QByteArray& QByteArray::operator=(const QByteArray& other) noexcept
{
    KV_REAL(real, QByteArray& (*)(QByteArray*, const QByteArray&), "_ZN10QByteArrayaSERKS_");
    LettingGo(d);
    return real(this, other);
}

void QByteArray::clear()
{
    KV_REAL(real, void (*)(QByteArray*), "_ZN10QByteArray5clearEv");
    LettingGo(d);
    real(this);
}

void QString::reallocData(uint alloc, bool grow)
{
    KV_REAL(real, void (*)(QString*, uint, bool), "_ZN7QString11reallocDataEjb");
    LettingGo(d);
    real(this, alloc, grow);
}

QString& QString::operator=(const QString& other) noexcept
{
    KV_REAL(real, QString& (*)(QString*, const QString&), "_ZN7QStringaSERKS_");
    LettingGo(d);
    return real(this, other);
}

// ---- Qt Core: byte arrays made from, or grown by, bytes of ours; devices that read or write them

// Constructors are defined under Qt's names: a C++ definition would add its own member set-up.
#define KV_BYTES_CONSTRUCTOR(fn, mangled)                                                       \
    extern "C" void fn(QByteArray* self, const char* data, int size) __asm__(mangled);          \
    extern "C" void fn(QByteArray* self, const char* data, int size)                            \
    {                                                                                           \
        KV_REAL(real, void (*)(QByteArray*, const char*, int), mangled);                        \
        ReadsOurs(data, LengthOf(data, size));                                                  \
        real(self, data, size);                                                                 \
    }
KV_BYTES_CONSTRUCTOR(KvByteArrayC1, "_ZN10QByteArrayC1EPKci")
KV_BYTES_CONSTRUCTOR(KvByteArrayC2, "_ZN10QByteArrayC2EPKci")

QByteArray& QByteArray::operator=(const char* data)
{
    KV_REAL(real, QByteArray& (*)(QByteArray*, const char*), "_ZN10QByteArrayaSEPKc");
    LettingGo(d);
    ReadsOurs(data, LengthOf(data, -1));
    return real(this, data);
}

QByteArray& QByteArray::append(const char* data, int size)
{
    KV_REAL(real, QByteArray& (*)(QByteArray*, const char*, int), "_ZN10QByteArray6appendEPKci");
    LettingGo(d);
    ReadsOurs(data, LengthOf(data, size));
    return real(this, data, size);
}

QByteArray& QByteArray::append(const char* data)
{
    KV_REAL(real, QByteArray& (*)(QByteArray*, const char*), "_ZN10QByteArray6appendEPKc");
    LettingGo(d);
    ReadsOurs(data, LengthOf(data, -1));
    return real(this, data);
}

// The other array may be made over memory of ours (QByteArray::fromRawData), or hold bytes our
// code wrote into it.
QByteArray& QByteArray::append(const QByteArray& other)
{
    KV_REAL(real, QByteArray& (*)(QByteArray*, const QByteArray&), "_ZN10QByteArray6appendERKS_");
    LettingGo(d);
    if (AppendCopies(*this, other))
        ReadsOurs(other.constData(), other.size());
    return real(this, other);
}

QByteArray& QByteArray::insert(int at, const char* data, int size)
{
    KV_REAL(real, QByteArray& (*)(QByteArray*, int, const char*, int), "_ZN10QByteArray6insertEiPKci");
    LettingGo(d);
    ReadsOurs(data, size);
    return real(this, at, data, size);
}

QByteArray& QByteArray::insert(int at, const char* data)
{
    KV_REAL(real, QByteArray& (*)(QByteArray*, int, const char*), "_ZN10QByteArray6insertEiPKc");
    LettingGo(d);
    ReadsOurs(data, LengthOf(data, -1));
    return real(this, at, data);
}

QByteArray& QByteArray::insert(int at, const QByteArray& other)
{
    KV_REAL(real, QByteArray& (*)(QByteArray*, int, const QByteArray&), "_ZN10QByteArray6insertEiRKS_");
    LettingGo(d);
    ReadsOurs(other.constData(), other.size());
    return real(this, at, other);
}

qint64 QIODevice::write(const char* data, qint64 size)
{
    KV_REAL(real, qint64 (*)(QIODevice*, const char*, qint64), "_ZN9QIODevice5writeEPKcx");
    ReadsOurs(data, size);
    return real(this, data, size);
}

qint64 QIODevice::write(const char* data)
{
    KV_REAL(real, qint64 (*)(QIODevice*, const char*), "_ZN9QIODevice5writeEPKc");
    ReadsOurs(data, LengthOf(data, -1));
    return real(this, data);
}

qint64 QIODevice::read(char* data, qint64 size)
{
    KV_REAL(real, qint64 (*)(QIODevice*, char*, qint64), "_ZN9QIODevice4readEPcx");
    const qint64 got = real(this, data, size);
    WritesOurs(data, got);
    return got;
}

qint64 QIODevice::peek(char* data, qint64 size)
{
    KV_REAL(real, qint64 (*)(QIODevice*, char*, qint64), "_ZN9QIODevice4peekEPcx");
    const qint64 got = real(this, data, size);
    WritesOurs(data, got);
    return got;
}

// A data stream hands raw bytes to its device, or takes them from it, inside Qt, where the
// device calls above are not seen: said here, at the stream (the record writer and reader).
int QDataStream::writeRawData(const char* data, int size)
{
    KV_REAL(real, int (*)(QDataStream*, const char*, int), "_ZN11QDataStream12writeRawDataEPKci");
    ReadsOurs(data, size);
    return real(this, data, size);
}

int QDataStream::readRawData(char* data, int size)
{
    KV_REAL(real, int (*)(QDataStream*, char*, int), "_ZN11QDataStream11readRawDataEPci");
    const int got = real(this, data, size);
    WritesOurs(data, got);
    return got;
}

// ---- Strings made from bytes of ours: QString::fromUtf8 and fromLatin1 (and a QLatin1String
// made into a string) are inline and call these.

QString QString::fromUtf8_helper(const char* data, int size)
{
    KV_REAL(real, QString (*)(const char*, int), "_ZN7QString15fromUtf8_helperEPKci");
    ReadsOurs(data, size);
    return real(data, size);
}

QString::Data* QString::fromLatin1_helper(const char* data, int size)
{
    KV_REAL(real, Data* (*)(const char*, int), "_ZN7QString17fromLatin1_helperEPKci");
    ReadsOurs(data, LengthOf(data, size));
    return real(data, size);
}

// ---- Qt Gui: an image may show memory of ours (made over a buffer we own), and its pixels are
// ours when our code writes them. (Gui is not linked into this library: it is loaded into
// programs that have none; the calls are looked up when first made.)

namespace {
const uchar* PixelsOf(const QImage* image)
{
    KV_REAL(bits, const uchar* (*)(const QImage*), "_ZNK6QImage9constBitsEv");
    return bits(image);
}

qsizetype BytesOf(const QImage* image)
{
    KV_REAL(bytes, qsizetype (*)(const QImage*), "_ZNK6QImage11sizeInBytesEv");
    return bytes(image);
}

QImage::Format FormatOf(const QImage* image)
{
    KV_REAL(format, QImage::Format (*)(const QImage*), "_ZNK6QImage6formatEv");
    return format(image);
}

// A call that may detach the image: when it leaves the image on other pixels, it copied the
// ones it was on (still there: ours, or shared with another image).
template <typename Call>
auto Detaching(const QImage* image, Call call)
{
    const uchar* before = PixelsOf(image);
    const qsizetype bytes = BytesOf(image);
    auto result = call();
    if (before && PixelsOf(image) != before)
        ReadsOurs(before, bytes);
    return result;
}
} // namespace

QImage QImage::copy(const QRect& rect) const
{
    KV_REAL(real, QImage (*)(const QImage*, const QRect&), "_ZNK6QImage4copyERK5QRect");
    ReadsOurs(PixelsOf(this), BytesOf(this));
    return real(this, rect);
}

uchar* QImage::bits()
{
    KV_REAL(real, uchar* (*)(QImage*), "_ZN6QImage4bitsEv");
    return Detaching(this, [this] { return real(this); });
}

uchar* QImage::scanLine(int line)
{
    KV_REAL(real, uchar* (*)(QImage*, int), "_ZN6QImage8scanLineEi");
    return Detaching(this, [this, line] { return real(this, line); });
}

void QImage::detach()
{
    KV_REAL(real, void (*)(QImage*), "_ZN6QImage6detachEv");
    Detaching(this, [this] {
        real(this);
        return true;
    });
}

// QImage::convertToFormat is inline: on an image that stays it calls the helper, which reads
// every pixel into a converted copy; on one that goes (a temporary) it first tries in place,
// which works only on pixels the image owns (ours when our code wrote them) and reads and
// writes each, and otherwise leaves them to the helper.
QImage QImage::convertToFormat_helper(Format format, Qt::ImageConversionFlags flags) const
{
    KV_REAL(real, QImage (*)(const QImage*, Format, Qt::ImageConversionFlags),
            "_ZNK6QImage22convertToFormat_helperENS_6FormatE6QFlagsIN2Qt19ImageConversionFlagEE");
    if (FormatOf(this) != format)
        ReadsOurs(PixelsOf(this), BytesOf(this));
    return real(this, format, flags);
}

bool QImage::convertToFormat_inplace(Format format, Qt::ImageConversionFlags flags)
{
    KV_REAL(real, bool (*)(QImage*, Format, Qt::ImageConversionFlags),
            "_ZN6QImage23convertToFormat_inplaceENS_6FormatE6QFlagsIN2Qt19ImageConversionFlagEE");
    const Format from = FormatOf(this);
    const uchar* before = PixelsOf(this);
    const qsizetype bytes = BytesOf(this);
    const bool converted = real(this, format, flags);
    if (converted && from != format && before) {
        if (PixelsOf(this) == before)
            WritesOurs(const_cast<uchar*>(before), bytes);
        else
            ReadsOurs(before, bytes);   // converted into pixels of a new size
    }
    return converted;
}

// ---- Qt Network: what is sent is read on Qt's network thread later; the read is said at the
// call, where the caller hands the bytes over.

qint64 QUdpSocket::writeDatagram(const char* data, qint64 size, const QHostAddress& address, quint16 port)
{
    KV_REAL(real, qint64 (*)(QUdpSocket*, const char*, qint64, const QHostAddress&, quint16),
            "_ZN10QUdpSocket13writeDatagramEPKcxRK12QHostAddresst");
    ReadsOurs(data, size);
    return real(this, data, size, address, port);
}

QNetworkReply* QNetworkAccessManager::post(const QNetworkRequest& request, const QByteArray& data)
{
    KV_REAL(real, QNetworkReply* (*)(QNetworkAccessManager*, const QNetworkRequest&, const QByteArray&),
            "_ZN21QNetworkAccessManager4postERK15QNetworkRequestRK10QByteArray");
    ReadsOurs(data.constData(), data.size());
    return real(this, request, data);
}

QNetworkReply* QNetworkAccessManager::put(const QNetworkRequest& request, const QByteArray& data)
{
    KV_REAL(real, QNetworkReply* (*)(QNetworkAccessManager*, const QNetworkRequest&, const QByteArray&),
            "_ZN21QNetworkAccessManager3putERK15QNetworkRequestRK10QByteArray");
    ReadsOurs(data.constData(), data.size());
    return real(this, request, data);
}

QNetworkReply* QNetworkAccessManager::sendCustomRequest(const QNetworkRequest& request, const QByteArray& verb,
                                                        const QByteArray& data)
{
    KV_REAL(real, QNetworkReply* (*)(QNetworkAccessManager*, const QNetworkRequest&, const QByteArray&, const QByteArray&),
            "_ZN21QNetworkAccessManager17sendCustomRequestERK15QNetworkRequestRK10QByteArrayS5_");
    ReadsOurs(data.constData(), data.size());
    return real(this, request, verb, data);
}
