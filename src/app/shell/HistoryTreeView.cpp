#include "app/shell/HistoryTreeView.h"

#include "app/shell/HistoryRows.h"

#include <QAbstractItemDelegate>
#include <QChildEvent>
#include <QStyleOptionViewItem>
#include <QTimer>

CHistoryTreeView::CHistoryTreeView(QWidget* parent) : QTreeView(parent)
{
    connect(this, &QTreeView::expanded, this, [this](const QModelIndex& index) { m_Expanded.insert(index); });
    connect(this, &QTreeView::collapsed, this, [this](const QModelIndex& index) {
        m_Expanded.remove(index);
        releaseRowWidgetsBelow(index);
    });
    viewport()->installEventFilter(this);
}

bool CHistoryTreeView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == viewport() && event->type() == QEvent::ChildAdded) {
        auto* added = static_cast<QChildEvent*>(event)->child();
        if (added->isWidgetType())
            m_MayShow.append(static_cast<QWidget*>(added));
    }
    return QTreeView::eventFilter(watched, event);
}

void CHistoryTreeView::collapseEverything()
{
    const QSet<QPersistentModelIndex> expanded = m_Expanded;
    m_Expanded.clear();
    for (const QPersistentModelIndex& index : expanded)
        if (index.isValid())
            collapse(index);
}

bool CHistoryTreeView::hiddenByCollapsedAncestor(const QModelIndex& index) const
{
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
        if (!isExpanded(up))
            return true;
    return false;
}

QRect CHistoryTreeView::visualRect(const QModelIndex& index) const
{
    // A row inside a collapsed row has no place on screen; saying so at once spares a search
    // through every visible row.
    if (index.isValid() && hiddenByCollapsedAncestor(index))
        return QRect();
    return QTreeView::visualRect(index);
}

void CHistoryTreeView::releaseRowWidgetsBelow(const QModelIndex& index)
{
    QVector<QModelIndex> pending{index};
    while (!pending.isEmpty()) {
        const QModelIndex up = pending.takeLast();
        for (int row = 0; row < model()->rowCount(up); ++row) {
            const QModelIndex child = model()->index(row, 0, up);
            if (indexWidget(child))
                setIndexWidget(child, nullptr);
            if (isExpanded(child))
                pending.append(child);
        }
    }
}

void CHistoryTreeView::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end)
{
    // The toolkit lets go of the widgets of the removed rows themselves and leaves those of
    // their descendants to a sweep of every widget in updateEditorGeometries(), which this view
    // replaces; without this they would stay for good.
    for (int row = start; row <= end; ++row) {
        const QModelIndex removed = model()->index(row, 0, parent);
        if (isExpanded(removed))
            releaseRowWidgetsBelow(removed);
    }
    QTreeView::rowsAboutToBeRemoved(parent, start, end);
}

void CHistoryTreeView::updateEditorGeometries()
{
    if (m_bPlacingScheduled)
        return;
    m_bPlacingScheduled = true;
    QTimer::singleShot(0, this, [this] {
        m_bPlacingScheduled = false;
        placeRowWidgets();
    });
}

void CHistoryTreeView::placeRowWidgets()
{
    QVector<QPointer<QWidget>> placed;
    const QRect area = viewport()->rect();
    QStyleOptionViewItem option = viewOptions();
    // The rows on screen, top to bottom, get their widgets where the delegate puts them.
    for (QModelIndex index = indexAt(QPoint(0, 0)); index.isValid(); index = indexBelow(index)) {
        option.rect = QTreeView::visualRect(index);
        if (!option.rect.isValid() || option.rect.top() > area.bottom())
            break;
        if (!indexWidget(index))
            emit rowWidgetWanted(index);
        if (QWidget* widget = indexWidget(index)) {
            if (QAbstractItemDelegate* delegate = itemDelegate(index))
                delegate->updateEditorGeometry(widget, option, index);
            else
                widget->setGeometry(option.rect);
            if (widget->isHidden())
                widget->show();
            placed.append(widget);
        }
    }
    // Row widgets of rows off screen (scrolled away, inside a collapsed row, or new) are hidden.
    for (const QPointer<QWidget>& widget : qAsConst(m_MayShow)) {
        auto* row = qobject_cast<CHistoryRowWidget*>(widget.data());
        if (row && !row->isHidden() && !placed.contains(widget))
            row->hide();
    }
    m_MayShow = placed;
}

void CHistoryTreeView::scrollContentsBy(int dx, int dy)
{
    QTreeView::scrollContentsBy(dx, dy);
    // Rows that came on screen need their widgets now, not a moment later.
    placeRowWidgets();
}
