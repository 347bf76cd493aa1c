// Painting and editing of table cells, and the header's icon band and titles.
#include "table/TableDelegate.h"

#include "windowbase/Prompter.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"
#include "table/TableModel.h"

#include <QLineEdit>
#include <QLocale>
#include <QPainter>

#include <cmath>

namespace {
const QColor s_TimeTitleColour(168, 168, 168);

QRect iconRect(const QRect& band, const QPixmap& icon)
{
    const int left = (band.left() + band.right()) / 2 - icon.width() / 2;
    const int top = (band.top() + band.bottom()) / 2 - icon.height() / 2;
    return QRect(left, top, icon.width(), icon.height());
}
} // namespace

QColor CTableDelegate::cellColour(const QModelIndex& index) const
{
    return (index.row() == m_PressedRow && index.column() == m_PressedColumn) ? m_PressedColor : m_BackgroundColor;
}

void CTableDelegate::paintCell(QPainter* painter, const QRect& rect, const QColor& colour) const
{
    painter->fillRect(rect, colour);
    painter->setPen(m_BorderColor);
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
}

void CTableDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    painter->save();
    painter->setFont(getColumnFont(index.column()));
    paintCell(painter, option.rect, cellColour(index));
    const QString text = cellText(index.row(), index.column());
    if (!text.isEmpty()) {
        painter->setPen(option.palette.color(QPalette::Text));
        painter->drawText(option.rect, Qt::AlignHCenter | Qt::AlignVCenter, text);
    }
    painter->restore();
}

QSize CTableDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const
{
    const CTableColumn* column = viewColumn(index.column());
    if (!column)
        return QSize(CTableColumn::COLUMN_CELL_BASE_WIDTH, CTableColumn::COLUMN_CELL_BASE_HEIGHT);
    return QSize(column->getColumnWidth(), column->m_CellHeight);
}

QWidget* CTableDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const
{
    if (!isCellEditable(index.column(), index.row()))
        return nullptr;
    const CTableColumn* column = dataColumn(index.column() - 2);
    CDataBranch* branch = m_pDataManager ? m_pDataManager->GetDataBranch(column->m_Key) : nullptr;
    if (!branch)
        return nullptr;
    int offset = 0;
    SafeDoubleToInt(branch->GetXSample(0), offset, 0);
    const qint64 i = qint64(index.row()) - offset;
    const double value = (i >= 0 && i < branch->GetYSize()) ? branch->GetYSample(int(i)) : 0.0;
    emit const_cast<CTableDelegate*>(this)->saveCellVal(value);
    auto* editor = new QLineEdit(parent);
    editor->setProperty("korvantaCellInside", i >= 0 && i < branch->GetYSize());
    return editor;
}

void CTableDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (!line)
        return;
    line->setFont(getColumnFont(index.column()));
    line->setText(line->property("korvantaCellInside").toBool() ? QString::number(m_CurrentCellVal, 'g', 6) : QString());
    line->setAlignment(Qt::AlignCenter);
}

void CTableDelegate::setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const
{
    auto* line = qobject_cast<QLineEdit*>(editor);
    const CTableColumn* column = dataColumn(index.column() - 2);
    if (!line || !column)
        return;
    bool ok = false;
    const double value = QLocale::c().toDouble(line->text().trimmed(), &ok);
    // "inf" and "nan" read as numbers but would poison every sum over the series.
    if (!ok || !std::isfinite(value)) {
        PrompterOrShell(m_pPrompter)->warning(nullptr, MessageBoxTitle(), tr("Only real numbers can be inserted to table"));
        return;
    }
    CDataBranch* branch = m_pDataManager ? m_pDataManager->GetDataBranch(column->m_Key) : nullptr;
    if (!branch)
        return;
    int offset = 0;
    SafeDoubleToInt(branch->GetXSample(0), offset, 0);
    const qint64 i = qint64(index.row()) - offset;
    if (i < 0 || i >= branch->GetYSize())
        return;
    const_cast<CTableDelegate*>(this)->changeModelCellData(column->m_Key, int(i), value);
}

CTableDelegate_Header::CTableDelegate_Header(QObject* parent, CDataManager* data) : CTableDelegate(parent, data)
{
    initIndexColumn();
    initTimeColumn();
}

QString CTableDelegate_Header::titleSecondLine(const CTableColumn& column)
{
    QString line = column.m_Name;
    if (!column.m_Unit.isEmpty())
        line += QLatin1Char('(') + column.m_Unit + QLatin1Char(')');
    return line;
}

QString CTableDelegate_Header::fitTitle(const QString& text, QFont& font, const QSize& room)
{
    // Hinted widths do not scale in proportion: step down until the text fits; a title whose
    // unit does not fit on the name's line gets a line of its own when the band has room.
    const qreal smallest = font.pointSizeF() * 0.75;
    const auto fits = [&room](const QFont& f, const QString& lines) {
        const QFontMetrics metrics(f);
        const QStringList parts = lines.split(QLatin1Char('\n'));
        for (const QString& part : parts)
            if (metrics.horizontalAdvance(part) > room.width())
                return false;
        return parts.size() * metrics.lineSpacing() <= room.height();
    };
    const int open = text.lastIndexOf(QLatin1Char('('));
    QStringList candidates{text};
    if (open > 0)
        candidates << text.left(open) + QLatin1Char('\n') + text.mid(open);
    for (;;) {
        for (const QString& lines : candidates)
            if (fits(font, lines))
                return lines;
        if (font.pointSizeF() <= smallest)
            break;
        font.setPointSizeF(std::max(smallest, font.pointSizeF() - 0.25));
    }
    return QFontMetrics(font).elidedText(text, Qt::ElideRight, room.width());
}

void CTableDelegate_Header::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    painter->save();
    painter->setFont(getColumnFont(index.column()));
    const QColor colour = cellColour(index);
    const QRect rect = option.rect;
    const int c = index.column();
    const CTableColumn* column = dataColumnCount() > 0 ? viewColumn(c) : nullptr;
    if (!column || c == 0) {
        paintCell(painter, rect, colour);
        painter->restore();
        return;
    }
    const QRect band(rect.left(), rect.top(), rect.width(), CTableModel::COLUMN_ICON_HEIGHT);
    const QRect title(rect.left(), rect.top() + CTableModel::COLUMN_ICON_HEIGHT, rect.width(),
                      std::max(0, rect.height() - CTableModel::COLUMN_ICON_HEIGHT));
    painter->fillRect(band, colour);
    if (!column->m_Icon.isNull())
        painter->drawPixmap(iconRect(band, column->m_Icon), column->m_Icon);
    painter->setPen(option.palette.color(QPalette::Text));
    if (c == 1) {
        painter->fillRect(title, s_TimeTitleColour);
        painter->drawText(title, Qt::AlignCenter, column->m_Name);
    } else {
        painter->fillRect(title, column->m_Color);
        // Name and unit are often a little wider than the column: a slightly smaller font shows
        // them whole; only a much longer title is cut.
        const QFont font = painter->font();
        QFont fitted = font;
        const int line = painter->fontMetrics().lineSpacing();
        const QString rest = fitTitle(titleSecondLine(*column), fitted,
                                      QSize(std::max(0, rect.width() - 4), std::max(0, title.height() - line)));
        painter->drawText(title.adjusted(0, 0, 0, line - title.height()), Qt::AlignHCenter | Qt::AlignBottom,
                          column->m_FolderName);
        painter->setFont(fitted);
        painter->drawText(title.adjusted(0, line, 0, 0), Qt::AlignHCenter | Qt::AlignVCenter, rest);
        painter->setFont(font);
    }
    painter->setPen(m_BorderColor);
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    painter->restore();
}

QSize CTableDelegate_Header::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize size = CTableDelegate::sizeHint(option, index);
    if (index.row() == 0)
        size.rheight() += CTableModel::COLUMN_ICON_HEIGHT;
    return size;
}
