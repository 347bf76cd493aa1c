#include "table/TableColumn.h"
#include "Core/Data/RecordIO.h"

#include <QDataStream>

#include <algorithm>

namespace {
const int s_MaxCellExtent = 4000;
const int s_MaxDecimals = 15;
}

QFont TableDefaultFont()
{
    QFont font(QStringLiteral("Helvetica [Cronyx]"));
    font.setPointSize(10);
    return font;
}

void CTableColumn::init()
{
    m_Color = QColor(Qt::gray);
    m_Icon = QPixmap();
    m_Key = -1;
    m_Decimals = 4;
    m_Unit.clear();
    m_CellWidth = COLUMN_CELL_BASE_WIDTH;
    m_CellHeight = COLUMN_CELL_BASE_HEIGHT;
    m_Name.clear();
    m_FolderName.clear();
    m_ColumnWidth = COLUMN_CELL_BASE_WIDTH;
    m_Font = TableDefaultFont();
}

void CTableColumn::setColumnWidth(int width)
{
    m_ColumnWidth = std::clamp(width, 1, s_MaxCellExtent);
}

void CTableColumn::setCellSize(int width, int height)
{
    if (width > 0)
        m_CellWidth = std::min(width, s_MaxCellExtent);
    if (height > 0)
        m_CellHeight = std::min(height, s_MaxCellExtent);
}

void CTableColumn::setColumnFont(const QFont& font)
{
    m_Font.setFamily(font.family());
    if (font.pointSizeF() > 0)
        m_Font.setPointSizeF(std::clamp(font.pointSizeF(), double(s_MinPointSize), double(s_MaxPointSize)));
    m_Font.setWeight(font.weight() < 51 ? QFont::Normal : QFont::Bold);
    m_Font.setStyle(font.style() != QFont::StyleNormal ? QFont::StyleItalic : QFont::StyleNormal);
    m_Font.setUnderline(font.underline());
    m_Font.setOverline(font.overline());
    m_Font.setStrikeOut(font.strikeOut());
}

int CTableColumn::saveToFile(QDataStream* stream) const
{
    if (!stream)
        return -2;
    QDataStream& s = *stream;
    s << qint16(TagColor) << qint32(m_Color.red()) << qint32(m_Color.green()) << qint32(m_Color.blue());
    s << qint16(TagKey) << qint32(m_Key);
    s << qint16(TagDecimals) << qint32(m_Decimals);
    s << qint16(TagName) << m_Name;
    s << qint16(TagFolderName) << m_FolderName;
    s << qint16(TagUnit) << m_Unit;
    s << qint16(TagFontFamily) << m_Font.family();
    s << qint16(TagFontSize) << qint32(m_Font.pointSize());
    s << qint16(TagBold) << bool(m_Font.weight() >= 51);
    s << qint16(TagItalic) << bool(m_Font.style() != QFont::StyleNormal);
    s << qint16(TagUnderline) << m_Font.underline();
    s << qint16(TagOverline) << m_Font.overline();
    s << qint16(TagStrikeOut) << m_Font.strikeOut();
    s << qint16(TagEnd);
    return s.status() == QDataStream::Ok ? 0 : -2;
}

namespace {
// Reads one value; false when the stream ran out or failed.
template <typename T>
bool readValue(QDataStream& s, T& value)
{
    s >> value;
    return s.status() == QDataStream::Ok;
}

bool readText(QDataStream& s, QString& text)
{
    QString value;
    if (!RecordIO::ReadString(s, value))
        return false;
    text = value.left(CTableColumn::s_MaxTextLength);
    return true;
}
} // namespace

int CTableColumn::loadFromFile(QDataStream* stream, int keyShift)
{
    if (!stream)
        return -4;
    QDataStream& s = *stream;
    for (;;) {
        if (s.atEnd())
            return -4;
        qint16 tag = 0;
        if (!readValue(s, tag))
            return -4;
        bool ok = true;
        qint32 number = 0;
        bool flag = false;
        QString text;
        switch (tag) {
        case TagEnd:
            return 0;
        case TagColor: {
            qint32 rgb[3] = {0, 0, 0};
            ok = readValue(s, rgb[0]) && readValue(s, rgb[1]) && readValue(s, rgb[2]);
            if (ok)
                m_Color = QColor(std::clamp(rgb[0], 0, 255), std::clamp(rgb[1], 0, 255), std::clamp(rgb[2], 0, 255), 255);
            break;
        }
        case TagKey:
            ok = readValue(s, number);
            // A key outside what the store hands out names no branch; -1 says so plainly.
            if (ok)
                m_Key = (number < 0 || qint64(number) + keyShift < 0 || qint64(number) + keyShift > 0x3FFFFFFF)
                            ? -1 : number + keyShift;
            break;
        case TagDecimals:
            ok = readValue(s, number);
            if (ok)
                m_Decimals = std::clamp(number, 0, s_MaxDecimals);
            break;
        case TagName:
            ok = readText(s, m_Name);
            break;
        case TagFolderName:
            ok = readText(s, m_FolderName);
            break;
        case TagUnit:
            ok = readText(s, m_Unit);
            break;
        case TagFontFamily:
            ok = readText(s, text);
            if (ok && !text.isEmpty())
                m_Font.setFamily(text);
            break;
        case TagFontSize:
            ok = readValue(s, number);
            if (ok)
                m_Font.setPointSize(std::clamp(number, s_MinPointSize, s_MaxPointSize));
            break;
        case TagBold:
            ok = readValue(s, flag);
            if (ok)
                m_Font.setWeight(flag ? QFont::Bold : QFont::Normal);
            break;
        case TagItalic:
            ok = readValue(s, flag);
            if (ok)
                m_Font.setStyle(flag ? QFont::StyleItalic : QFont::StyleNormal);
            break;
        case TagUnderline:
            ok = readValue(s, flag);
            if (ok)
                m_Font.setUnderline(flag);
            break;
        case TagOverline:
            ok = readValue(s, flag);
            if (ok)
                m_Font.setOverline(flag);
            break;
        case TagStrikeOut:
            ok = readValue(s, flag);
            if (ok)
                m_Font.setStrikeOut(flag);
            break;
        default:
            // Tags this table does not know carry no value it could skip; pass over them.
            break;
        }
        if (!ok)
            return -4;
    }
}
