#pragma once
// Low-level pieces of the tagged workspace records shared by folders and branches.
#include <QDataStream>
#include <QtGlobal>

class CSampleStore;
class QString;

namespace RecordIO {

enum : qint16 {
    TagFolder = 10,
    TagFolderEnd = 11,
    TagBranch = 12,
    TagBranchEnd = 13,
    ArrayStart = 1000,
    ArrayCount = 1001
};

// The record format fixes these, whatever the stream was opened with.
void PrepareStream(QDataStream& stream);
// False when the stream is at its end or fails before a whole tag is read.
bool ReadTag(QDataStream& in, qint16& tag);
inline void WriteTag(QDataStream& out, qint16 tag) { out << tag; }
// Array framing: marker 1000, count, marker 1001. Returns 0 or a negative RecordResult.
int ReadArrayHeader(QDataStream& in, qint32& count);
void WriteArrayHeader(QDataStream& out, qint32 count);
// Writes count big-endian doubles taken from store (unlocked; the caller holds its lock).
void WriteDoubles(QDataStream& out, const CSampleStore& store);
void WriteDoubles(QDataStream& out, const double* values, int count);
// Reads up to max big-endian doubles into buffer; returns how many whole values were read.
int ReadDoubles(QDataStream& in, double* buffer, int max);
// Reads a key and adds offset in a wide type; false when the result is not a valid key
// (noneAllowed accepts -1 as "no key").
bool ReadKey(QDataStream& in, int offset, bool noneAllowed, int& key);
// Reads a string as `in >> text` does, but one whose stated length is more than the stream
// still holds fails at once (status ReadPastEnd, text empty): a damaged length would
// otherwise have the reader set aside up to 2 MB before finding the bytes missing.
bool ReadString(QDataStream& in, QString& text);

// Reads one value into field only when the stream delivers it whole: past the end the stream
// yields zeros (or an empty text), and a record cut inside a value must leave the field as it
// was. False when the value was not read.
template <typename T>
bool ReadField(QDataStream& in, T& field)
{
    T value{};
    in >> value;
    if (in.status() != QDataStream::Ok)
        return false;
    field = value;
    return true;
}
inline bool ReadField(QDataStream& in, QString& field)
{
    QString value;
    if (!ReadString(in, value))
        return false;
    field = value;
    return true;
}

} // namespace RecordIO
