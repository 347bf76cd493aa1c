#include "Core/Data/RecordIO.h"

#include "Core/Data/DataBranch.h"
#include "Core/Data/SampleStore.h"

#include <QtEndian>
#include <algorithm>
#include <cstring>

namespace RecordIO {

void PrepareStream(QDataStream& stream)
{
    stream.setVersion(QDataStream::Qt_5_1);
    stream.setByteOrder(QDataStream::BigEndian);
    stream.setFloatingPointPrecision(QDataStream::DoublePrecision);
}

bool ReadString(QDataStream& in, QString& text)
{
    if (in.status() != QDataStream::Ok)
        return false;
    QIODevice* device = in.device();
    char prefix[4];
    if (device && device->peek(prefix, 4) == 4) {
        const quint32 stated = in.byteOrder() == QDataStream::BigEndian ? qFromBigEndian<quint32>(prefix)
                                                                         : qFromLittleEndian<quint32>(prefix);
        // 0xFFFFFFFF is the null string, which takes no bytes.
        if (stated != 0xFFFFFFFFu && !device->isSequential() && qint64(stated) > device->bytesAvailable() - 4) {
            text.clear();
            in.setStatus(QDataStream::ReadPastEnd);
            return false;
        }
    }
    in >> text;
    return in.status() == QDataStream::Ok;
}

bool ReadTag(QDataStream& in, qint16& tag)
{
    if (in.status() != QDataStream::Ok || in.atEnd())
        return false;
    in >> tag;
    return in.status() == QDataStream::Ok;
}

int ReadArrayHeader(QDataStream& in, qint32& count)
{
    qint16 marker = 0;
    in >> marker;
    if (in.status() != QDataStream::Ok)
        return RecordTruncated;
    if (marker != ArrayStart)
        return RecordBadMarker;
    in >> count;
    in >> marker;
    if (in.status() != QDataStream::Ok)
        return RecordTruncated;
    if (marker != ArrayCount)
        return RecordBadMarker2;
    if (count < 0)
        return RecordCorrupt;
    return RecordOk;
}

void WriteArrayHeader(QDataStream& out, qint32 count)
{
    out << qint16(ArrayStart) << count << qint16(ArrayCount);
}

namespace {
constexpr int ChunkValues = 4096;
}

void WriteDoubles(QDataStream& out, const double* values, int count)
{
    quint64 buffer[ChunkValues];
    for (int done = 0; done < count;) {
        const int n = std::min(ChunkValues, count - done);
        for (int i = 0; i < n; ++i) {
            quint64 bits;
            std::memcpy(&bits, values + done + i, sizeof bits);
            buffer[i] = qToBigEndian(bits);
        }
        out.writeRawData(reinterpret_cast<const char*>(buffer), n * int(sizeof(quint64)));
        done += n;
    }
}

void WriteDoubles(QDataStream& out, const CSampleStore& store)
{
    double chunk[ChunkValues];
    const int total = store.size();
    for (int done = 0; done < total;) {
        const int n = store.copy(done, ChunkValues, chunk);
        if (n <= 0)
            break;
        WriteDoubles(out, chunk, n);
        done += n;
    }
}

int ReadDoubles(QDataStream& in, double* buffer, int max)
{
    if (max <= 0)
        return 0;
    const int want = max * int(sizeof(quint64));
    const int got = in.readRawData(reinterpret_cast<char*>(buffer), want);
    if (got <= 0)
        return 0;
    const int whole = got / int(sizeof(quint64));
    for (int i = 0; i < whole; ++i) {
        quint64 bits;
        std::memcpy(&bits, buffer + i, sizeof bits);
        bits = qFromBigEndian(bits);
        std::memcpy(buffer + i, &bits, sizeof bits);
    }
    return whole;
}

bool ReadKey(QDataStream& in, int offset, bool noneAllowed, int& key)
{
    qint32 raw = 0;
    in >> raw;
    if (in.status() != QDataStream::Ok)
        return false;
    if (noneAllowed && raw == -1) {
        key = -1;
        return true;
    }
    const qint64 wide = qint64(raw) + offset;
    if (wide < 0 || wide > MaxDataKey)
        return false;
    key = int(wide);
    return true;
}

} // namespace RecordIO
