#include "table/NotesRecord.h"
#include "Core/Data/RecordIO.h"

#include <QDataStream>

#include <algorithm>

namespace {
void WriteRgb(QDataStream& out, const QColor& c)
{
    const QColor colour = c.isValid() ? c : QColor(0, 0, 0);
    out << qint32(colour.red()) << qint32(colour.green()) << qint32(colour.blue());
}

bool ReadRgb(QDataStream& in, QColor& colour)
{
    qint32 rgb[3] = {0, 0, 0};
    in >> rgb[0] >> rgb[1] >> rgb[2];
    if (in.status() != QDataStream::Ok)
        return false;
    // A damaged file may carry any number: keep each channel within what a colour holds.
    for (qint32& v : rgb)
        v = std::clamp<qint32>(v, 0, 255);
    colour = QColor(rgb[0], rgb[1], rgb[2]);
    return true;
}

// Passes over the window record when nobody reads it: up to and including its end tag.
int SkipWindowRecord(QDataStream& in)
{
    for (;;) {
        qint16 tag = 0;
        in >> tag;
        if (in.status() != QDataStream::Ok)
            return -4;
        if (tag == 1114)
            return 0;
        if (tag == 1100) {
            QString title;
            RecordIO::ReadString(in, title);
        } else if (tag >= 1101 && tag <= 1104) {
            qint32 v = 0;
            in >> v;
        }
    }
}
} // namespace

bool WriteNotesFields(QDataStream& out, const CNotesRecord& record)
{
    out << qint16(CNotesRecord::TagHtml) << record.html;
    out << qint16(CNotesRecord::TagFontFamily) << record.fontFamily;
    out << qint16(CNotesRecord::TagFontSize) << record.fontSize;
    out << qint16(CNotesRecord::TagBold) << record.bold;
    out << qint16(CNotesRecord::TagItalic) << record.italic;
    out << qint16(CNotesRecord::TagUnderline) << record.underline;
    out << qint16(CNotesRecord::TagTextColor);
    WriteRgb(out, record.textColor);
    out << qint16(CNotesRecord::TagBackground);
    // A background never chosen (transparent) has no colour of its own: it goes as black,
    // which the reader takes back as "none".
    const bool chosen = record.background.isValid() && record.background.alpha() > 0;
    WriteRgb(out, chosen ? record.background : QColor(0, 0, 0));
    out << qint16(CNotesRecord::TagAlignment) << qint32(record.alignmentIndex);
    out << qint16(CNotesRecord::TagEnd);
    return out.status() == QDataStream::Ok;
}

int ReadNotesRecord(QDataStream& in, CNotesRecord& r, const std::function<int(QDataStream*)>& readWindowRecord)
{
    for (;;) {
        if (in.atEnd())
            return CNotesRecord::Truncated;
        qint16 tag = 0;
        in >> tag;
        if (in.status() != QDataStream::Ok)
            return CNotesRecord::Truncated;
        switch (tag) {
        case CNotesRecord::TagHtml: r.hasHtml = RecordIO::ReadField(in, r.html); break;
        case CNotesRecord::TagFontFamily: r.hasFontFamily = RecordIO::ReadField(in, r.fontFamily); break;
        case CNotesRecord::TagFontSize: r.hasFontSize = RecordIO::ReadField(in, r.fontSize); break;
        case CNotesRecord::TagBold: r.hasBold = RecordIO::ReadField(in, r.bold); break;
        case CNotesRecord::TagItalic: r.hasItalic = RecordIO::ReadField(in, r.italic); break;
        case CNotesRecord::TagUnderline: r.hasUnderline = RecordIO::ReadField(in, r.underline); break;
        case CNotesRecord::TagTextColor: r.hasTextColor = ReadRgb(in, r.textColor); break;
        case CNotesRecord::TagBackground:
            r.hasBackground = ReadRgb(in, r.background);
            // Black stands for a background never chosen: the record has no other way to say
            // so, and black under the default black text would hide every word. A chosen
            // black background therefore comes back as none.
            if (r.hasBackground && r.background == QColor(0, 0, 0))
                r.background = QColor();
            break;
        case CNotesRecord::TagAlignment:
            r.hasAlignment = RecordIO::ReadField(in, r.alignmentIndex);
            break;
        case CNotesRecord::TagWindow:
            if (readWindowRecord)
                readWindowRecord(&in);
            else
                SkipWindowRecord(in);
            break;
        case CNotesRecord::TagEnd:
            return CNotesRecord::Ok;
        default:
            // A tag this reader does not know carries no value here: read on with the next.
            break;
        }
        if (in.status() != QDataStream::Ok)
            return CNotesRecord::Truncated;
    }
}
