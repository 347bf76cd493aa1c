// The branch's workspace record: tags 800 to 825 closed by 13.
#include "Core/Data/DataBranch.h"

#include "Core/Data/Globals.h"
#include "Core/Data/RecordIO.h"

#include <QDataStream>
#include <QIODevice>
#include <algorithm>
#include <vector>

namespace {

enum BranchTag : qint16 {
    TagName = 800,
    TagInterval = 801,
    TagSensorIndex = 802,
    TagUnit = 804,
    TagX = 806,
    TagY = 807,
    TagKey = 809,
    TagParentKey = 815,
    TagDerivedKey = 816,
    TagOwnerKey = 817,
    TagChildKey = 818,
    TagFunctionText = 819,
    TagUnitPrefix = 820,
    TagInterval2 = 821,
    TagManualTimes = 822,
    TagMarkedPositions = 823,
    TagRelatedKey = 824,
    TagColor = 825
};

// The colour's parts follow its tag as three 16-bit words, each raised by ColorWordBase: a
// reader that does not know the tag takes every word for a tag of its own and passes over it,
// and a raised word is none of the tags such a reader acts on (13, 800 to 824).
constexpr qint16 ColorWordBase = 0x100;

constexpr int ReadChunk = 4096;

void writeKeyList(QDataStream& out, qint16 tag, const CSafeArray<int>& keys)
{
    const QVector<int> all = keys.Snapshot();
    for (int key : all)
        out << tag << qint32(key);
}

} // namespace

int CDataBranch::SaveToFile(QDataStream* stream)
{
    if (!stream)
        return RecordWriteFailed;
    QDataStream& out = *stream;
    RecordIO::PrepareStream(out);
    out << qint16(TagName) << m_Name;
    out << qint16(TagInterval) << m_Interval;
    out << qint16(TagSensorIndex) << qint32(m_SensorIndex);
    out << qint16(TagUnit) << m_Unit;
    out << qint16(TagUnitPrefix) << qint16(m_UnitPrefix);
    {
        // Count and values from one state of the list: the lock is held across both.
        QMutexLocker lock(&m_XMutex);
        out << qint16(TagX);
        RecordIO::WriteArrayHeader(out, m_X.size());
        RecordIO::WriteDoubles(out, m_X);
    }
    {
        QMutexLocker lock(&m_YMutex);
        out << qint16(TagY);
        RecordIO::WriteArrayHeader(out, m_Y.size());
        RecordIO::WriteDoubles(out, m_Y);
    }
    out << qint16(TagKey) << qint32(m_Key);
    out << qint16(TagParentKey) << qint32(m_ParentKey);
    writeKeyList(out, TagDerivedKey, m_DerivedKeys);
    out << qint16(TagOwnerKey) << qint32(m_OwnerKey);
    writeKeyList(out, TagChildKey, m_ChildKeys);
    out << qint16(TagFunctionText) << m_FunctionText;
    out << qint16(TagInterval2) << m_Interval;
    if (m_SensorIndex == SensorIndexManualX) {
        const QVector<double> times = m_ManualTimes.Snapshot();
        out << qint16(TagManualTimes);
        RecordIO::WriteArrayHeader(out, times.size());
        RecordIO::WriteDoubles(out, times.constData(), times.size());
    }
    if (!m_MarkedPositions.isEmpty()) {
        out << qint16(TagMarkedPositions);
        RecordIO::WriteArrayHeader(out, m_MarkedPositions.size());
        for (int position : qAsConst(m_MarkedPositions))
            out << qint32(position);
    }
    // The related key also ties a spectrum to its frequency axis and a fit to the X series it
    // was fitted against, without marks: kept whenever there is one, so that these read as
    // what they are after the file is opened again.
    if (!m_MarkedPositions.isEmpty() || m_RelatedKey >= 0)
        out << qint16(TagRelatedKey) << qint32(m_RelatedKey);
    // A series keeps its colour in every window it is shown in, also after the file is read.
    if (m_Color.isValid())
        out << qint16(TagColor) << qint16(ColorWordBase + m_Color.red()) << qint16(ColorWordBase + m_Color.green())
            << qint16(ColorWordBase + m_Color.blue());
    out << qint16(RecordIO::TagBranchEnd);
    return out.status() == QDataStream::Ok ? RecordOk : RecordWriteFailed;
}

// Reads an array of doubles into the X or Y store (under its lock) or the manual times. The
// count comes from the file: a count beyond the bytes the stream still holds is a cut record at
// once, and a stream that cannot tell reads a block at a time, so a corrupt count never makes
// a huge allocation. Values go straight from the file into the store's memory and are turned
// round there.
int CDataBranch::readArray(QDataStream& in, CSampleStore* store, CSafeArray<double>* list,
                           QMutex* lock)
{
    qint32 count = 0;
    const int header = RecordIO::ReadArrayHeader(in, count);
    if (header != RecordOk)
        return header;
    const QIODevice* device = in.device();
    if (device && !device->isSequential() && qint64(count) * qint64(sizeof(double)) > device->bytesAvailable())
        return RecordTruncated;
    if (!store) {
        std::vector<double> chunk(size_t(std::min<qint32>(count, ReadChunk)));
        for (qint32 done = 0; done < count;) {
            const int want = int(std::min<qint32>(ReadChunk, count - done));
            const int got = RecordIO::ReadDoubles(in, chunk.data(), want);
            list->AddRange(chunk.data(), got);
            if (got < want)
                return RecordTruncated;
            done += got;
        }
        return RecordOk;
    }
    // The branch is being read and listed nowhere yet: its lock is held across each read.
    QMutexLocker locker(lock);
    for (qint32 done = 0; done < count;) {
        int room = 0;
        double* space = store->appendSpace(count - done, &room);
        if (!space)
            return RecordCorrupt;
        const int got = RecordIO::ReadDoubles(in, space, room);
        store->commitAppend(got);
        if (got < room)
            return RecordTruncated;
        done += got;
    }
    return RecordOk;
}

int CDataBranch::readIntArray(QDataStream& in)
{
    qint32 count = 0;
    const int header = RecordIO::ReadArrayHeader(in, count);
    if (header != RecordOk)
        return header;
    for (qint32 i = 0; i < count; ++i) {
        qint32 value = 0;
        in >> value;
        if (in.status() != QDataStream::Ok)
            return RecordTruncated;
        m_MarkedPositions.append(value);
    }
    return RecordOk;
}

// One field of the record after its tag: RecordOk, or the failure that ends the record.
int CDataBranch::readField(QDataStream& in, qint16 tag, int keyOffset, int* largestKeySeen)
{
    auto noteKey = [largestKeySeen](int key) {
        if (largestKeySeen && key >= 0 && key <= MaxDataKey && key > *largestKeySeen)
            *largestKeySeen = key;
    };
    // A key field: RecordTruncated when the stream ended, RecordCorrupt when the value cannot
    // be a key.
    auto readKey = [&](bool noneAllowed, int& key) {
        if (!RecordIO::ReadKey(in, keyOffset, noneAllowed, key))
            return in.status() != QDataStream::Ok ? int(RecordTruncated) : int(RecordCorrupt);
        noteKey(key);
        return int(RecordOk);
    };
    int key = -1;
    int result = RecordOk;
    qint32 i32 = 0;
    qint16 i16 = 0;
    switch (tag) {
    case TagName: RecordIO::ReadField(in, m_Name); break;
    case TagUnit: RecordIO::ReadField(in, m_Unit); break;
    case TagFunctionText: RecordIO::ReadField(in, m_FunctionText); break;
    case TagInterval:
    case TagInterval2: RecordIO::ReadField(in, m_Interval); break;
    case TagSensorIndex:
        if (RecordIO::ReadField(in, i32))
            m_SensorIndex = i32;
        break;
    case TagUnitPrefix:
        if (RecordIO::ReadField(in, i16))
            m_UnitPrefix = i16;
        break;
    case TagKey:
    case TagParentKey:
    case TagOwnerKey:
        result = readKey(tag != TagKey, key);
        if (result == RecordOk)
            (tag == TagKey ? m_Key : tag == TagParentKey ? m_ParentKey : m_OwnerKey) = key;
        break;
    case TagDerivedKey:
    case TagChildKey:
        result = readKey(false, key);
        if (result == RecordOk)
            (tag == TagDerivedKey ? m_DerivedKeys : m_ChildKeys).Add(key);
        break;
    case TagX: result = readArray(in, &m_X, nullptr, &m_XMutex); break;
    case TagY: result = readArray(in, &m_Y, nullptr, &m_YMutex); break;
    case TagManualTimes: result = readArray(in, nullptr, &m_ManualTimes, nullptr); break;
    case TagMarkedPositions: result = readIntArray(in); break;
    case TagColor: {
        qint16 parts[3] = {};
        in >> parts[0] >> parts[1] >> parts[2];
        if (in.status() != QDataStream::Ok)
            break;
        // Words outside the raised range are not a colour this writer made: the palette's stays.
        const auto part = [](qint16 word) { return word - ColorWordBase; };
        if (std::all_of(std::begin(parts), std::end(parts), [&](qint16 w) { return part(w) >= 0 && part(w) <= 255; }))
            m_Color = QColor(part(parts[0]), part(parts[1]), part(parts[2]));
        break;
    }
    case TagRelatedKey:
        // Stored as it was: the related key is not shifted by the offset.
        if (RecordIO::ReadField(in, i32)) {
            m_RelatedKey = i32;
            noteKey(i32);
        }
        break;
    default:
        // Unknown and unhandled tags carry no value of their own.
        break;
    }
    if (result == RecordOk && in.status() != QDataStream::Ok)
        result = RecordTruncated;
    return result;
}

int CDataBranch::LoadFromFile(QDataStream* stream, int keyOffset, int* largestKeySeen)
{
    m_Color = GetNextGlobalColor();
    if (!stream)
        return RecordTruncated;
    QDataStream& in = *stream;
    RecordIO::PrepareStream(in);
    for (;;) {
        qint16 tag = 0;
        if (!RecordIO::ReadTag(in, tag))
            return RecordTruncated;
        if (tag == RecordIO::TagBranchEnd)
            return RecordOk;
        const int result = readField(in, tag, keyOffset, largestKeySeen);
        if (result != RecordOk)
            return result;
    }
}
