// The answer of the online service on arbitrary bytes, as the client hands it over: every
// answer ends in exactly one result or one fault, never a crash, a hang or a leak, and the
// decoded value can be walked to its end.
#include "upload/MaiaObject.h"

#include <QNetworkReply>
#include <QVariant>

#include <cstddef>
#include <cstdint>

namespace {

int walk(const QVariant& v, int depth)
{
    if (depth > MaiaObject::MaxValueDepth + 2)
        __builtin_trap(); // the decoder bounds the nesting
    int n = 1;
    if (v.type() == QVariant::List)
        for (const QVariant& item : v.toList())
            n += walk(item, depth + 1);
    else if (v.type() == QVariant::Map)
        for (const QVariant& item : v.toMap())
            n += walk(item, depth + 1);
    else
        (void)v.toString();
    return n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The client refuses larger answers before they reach the decoder.
    if (size > 64 * 1024)
        return 0;
    // The client ends the text at the first zero byte and reads it as UTF-8.
    QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    const int zero = bytes.indexOf('\0');
    if (zero >= 0)
        bytes.truncate(zero);
    int outcomes = 0;
    auto* codec = new MaiaObject;
    QObject::connect(codec, &MaiaObject::aresponse, [&](QVariant& v, QNetworkReply*) {
        ++outcomes;
        walk(v, 0);
    });
    QObject::connect(codec, &MaiaObject::fault, [&](int, const QString& text, QNetworkReply*) {
        ++outcomes;
        (void)text.size();
    });
    codec->parseResponse(QString::fromUtf8(bytes), nullptr); // deletes itself
    if (outcomes != 1)
        __builtin_trap();
    return 0;
}
