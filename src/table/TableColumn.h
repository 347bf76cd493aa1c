#pragma once
// One column of a table window: which data branch it shows, how its header looks (icon, folder
// and branch name, unit, colour) and the font and size of its cells, with its workspace record.
#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QString>

class QDataStream;

class CTableColumn
{
public:
    static constexpr int COLUMN_CELL_BASE_WIDTH = 100;
    static constexpr int COLUMN_CELL_BASE_HEIGHT = 40;
    // Bounds of what a record may set: a damaged file must not give a font nobody can read or
    // one that takes a whole screen per cell.
    static constexpr int s_MinPointSize = 4;
    static constexpr int s_MaxPointSize = 96;
    static constexpr int s_MaxTextLength = 1024;

    enum RecordTag : qint16 {
        TagColor = 1200,
        TagKey = 1202,
        TagDecimals = 1203,
        TagName = 1204,
        TagUnit = 1205,
        TagFontFamily = 1206,
        TagFontSize = 1207,
        TagBold = 1208,
        TagItalic = 129,
        TagUnderline = 1210,
        TagOverline = 1211,
        TagStrikeOut = 1212,
        TagFolderName = 1213,
        TagEnd = 17,
    };

    CTableColumn() { init(); }

    void init();
    void setColumnWidth(int width);
    int getColumnWidth() const { return m_ColumnWidth; }
    void setColumnFont(const QFont& font);
    QFont getColumnFont() const { return m_Font; }
    void copyFontSettings(const QFont& font) { setColumnFont(font); }
    void setCellSize(int width, int height);

    int saveToFile(QDataStream* stream) const;
    int loadFromFile(QDataStream* stream, int keyShift);

    QColor m_Color;
    QPixmap m_Icon;
    int m_Key = -1;
    int m_Decimals = 4;
    QString m_Unit;
    int m_CellWidth = COLUMN_CELL_BASE_WIDTH;
    int m_CellHeight = COLUMN_CELL_BASE_HEIGHT;
    QString m_Name;
    QString m_FolderName;

private:
    int m_ColumnWidth = COLUMN_CELL_BASE_WIDTH;
    QFont m_Font;
};

// The font every new column starts with.
QFont TableDefaultFont();
