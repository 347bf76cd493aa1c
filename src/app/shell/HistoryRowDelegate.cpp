#include "app/shell/HistoryRowDelegate.h"

#include "app/shell/HistoryRows.h"
#include "app/shell/HistoryTreeView.h"

#include <QApplication>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace HistoryRowLayout {

QRect pictureRect(const QRect& row)
{
    return QRect(row.left() + Margin, row.top() + (row.height() - PictureSide) / 2, PictureSide, PictureSide);
}

QRect deleteButtonRect(const QRect& row)
{
    const int side = std::max(0, row.height() - 2 * Margin);
    return QRect(row.right() + 1 - Margin - side, row.top() + Margin, side, side);
}

QRect deleteIconRect(const QRect& row)
{
    return deleteButtonRect(row).adjusted(1, 1, -1, -1);
}

QRect captionRect(const QRect& row)
{
    const int left = row.left() + 2 * Margin + PictureSide;
    const int right = deleteButtonRect(row).left() - Margin;
    return QRect(left, row.top(), std::max(0, right - left), row.height());
}

bool startsDragAt(const QRect& row, const QPoint& position, Qt::MouseButton button)
{
    const QRect r = pictureRect(row);
    return button == Qt::LeftButton && position.x() >= r.left() && position.x() <= r.right() + 1
           && position.y() >= r.top() && position.y() <= r.bottom() + 1;
}

} // namespace HistoryRowLayout

CHistoryRowDelegate::CHistoryRowDelegate(CHistoryTreeView* view)
    : QStyledItemDelegate(view), m_pView(view), m_DeleteIcon(HistoryDeleteIcon())
{
}

QSize CHistoryRowDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const
{
    return QSize(200, HistoryRowLayout::RowHeight);
}

void CHistoryRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    // The panel only: selection and focus as the style draws them, without the key the model
    // holds as the row's text.
    QStyleOptionViewItem panel = option;
    panel.index = index;
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &panel, painter, widget);
    const HistoryRowLook look = m_pView->rowLook(index);
    if (!look.valid)
        return;
    const QRect row = option.rect;
    if (!look.picture.isNull())
        painter->drawPixmap(HistoryRowLayout::pictureRect(row), look.picture);
    const QRect text = HistoryRowLayout::captionRect(row);
    if (text.width() > 0) {
        const bool selected = option.state & QStyle::State_Selected;
        painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter->setFont(option.font);
        painter->drawText(text, Qt::AlignVCenter | Qt::AlignLeft,
                          option.fontMetrics.elidedText(look.caption, Qt::ElideRight, text.width()));
    }
    const QRect button = HistoryRowLayout::deleteIconRect(row);
    m_DeleteIcon.paint(painter, button, Qt::AlignCenter, m_pView->deleteButtonMode(index, look.deletable));
}

bool CHistoryRowDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                                    const QModelIndex& index)
{
    if (!event || event->type() != QEvent::ToolTip)
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    QString tip;
    if (HistoryRowLayout::deleteButtonRect(option.rect).contains(event->pos()))
        tip = tr("Delete");
    else if (index.parent().isValid())
        tip = m_pView->rowLook(index).caption;
    if (tip.isEmpty()) {
        QToolTip::hideText();
        return false;
    }
    QToolTip::showText(event->globalPos(), tip, view);
    return true;
}
