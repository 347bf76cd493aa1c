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
    const bool chosen = record.background.isValid() && record.background.alpha() > 0;
    WriteRgb(out, chosen ? record.background : QColor(0, 0, 0));
    if (!chosen)
        out << qint16(CNotesRecord::TagNoBackground);
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
        case CNotesRecord::TagHtml:
            RecordIO::ReadString(in, r.html);
            r.hasHtml = true;
            break;
        case CNotesRecord::TagFontFamily:
            RecordIO::ReadString(in, r.fontFamily);
            r.hasFontFamily = true;
            break;
        case CNotesRecord::TagFontSize:
            in >> r.fontSize;
            r.hasFontSize = true;
            break;
        case CNotesRecord::TagBold:
            in >> r.bold;
            r.hasBold = true;
            break;
        case CNotesRecord::TagItalic:
            in >> r.italic;
            r.hasItalic = true;
            break;
        case CNotesRecord::TagUnderline:
            in >> r.underline;
            r.hasUnderline = true;
            break;
        case CNotesRecord::TagTextColor:
            r.hasTextColor = ReadRgb(in, r.textColor);
            break;
        case CNotesRecord::TagBackground:
            r.hasBackground = ReadRgb(in, r.background);
            break;
        case CNotesRecord::TagNoBackground:
            r.background = QColor();
            r.hasBackground = true;
            break;
        case CNotesRecord::TagAlignment: {
            qint32 index = 0;
            in >> index;
            r.alignmentIndex = index;
            r.hasAlignment = true;
            break;
        }
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
