#pragma once
// The notes window's record in the workspace file, as plain data: what the writer puts after the
// window record and what the reader found. Tags are 16-bit, numbers 32-bit, strings and
// booleans in the workspace stream's encoding.
#include <QColor>
#include <QString>

#include <functional>

class QDataStream;

struct CNotesRecord
{
    enum Tag : qint16 {
        TagStart = 1109,
        TagEnd = 1110,
        TagWindow = 1113,
        TagHtml = 1300,
        TagFontFamily = 1301,
        TagFontSize = 1302,
        TagBold = 1303,
        TagItalic = 1304,
        TagUnderline = 1305,
        TagTextColor = 1306,
        TagBackground = 1307,
        TagAlignment = 1308,
    };

    // Results of the reader.
    enum Result { Ok = 0, Truncated = -4 };

    QString html;
    QString fontFamily;
    QString fontSize;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    QColor textColor;
    // Invalid: the user never chose a background (written as black, read back as invalid).
    QColor background;
    int alignmentIndex = 0;

    // Which fields the reader met (a record may leave any out).
    bool hasHtml = false, hasFontFamily = false, hasFontSize = false;
    bool hasBold = false, hasItalic = false, hasUnderline = false;
    bool hasTextColor = false, hasBackground = false, hasAlignment = false;
};

// Writes every field from 1300 up to and including the end tag 1110; false when the stream
// refused it.
bool WriteNotesFields(QDataStream& out, const CNotesRecord& record);

// Reads tags up to the end tag 1110. The window record (1113) is handed to readWindowRecord,
// which consumes it (its result is not used); without one the reader passes over it. Returns
// Truncated when the stream ends or fails before the end tag.
int ReadNotesRecord(QDataStream& in, CNotesRecord& record,
                    const std::function<int(QDataStream*)>& readWindowRecord);
