#include "app/shell/HistoryTreeView.h"

#include "app/shell/HistoryRowDelegate.h"

#include <QHoverEvent>
#include <QKeyEvent>
#include <QMouseEvent>

CHistoryTreeView::CHistoryTreeView(QWidget* parent)
    : QTreeView(parent), m_pDelegate(new CHistoryRowDelegate(this))
{
    setItemDelegate(m_pDelegate);
    // Hover events, not mouse tracking: the delete button under the pointer shows its rollover
    // picture.
    viewport()->setAttribute(Qt::WA_Hover);
    connect(this, &QTreeView::expanded, this, [this](const QModelIndex& index) { m_Expanded.insert(index); });
    connect(this, &QTreeView::collapsed, this, [this](const QModelIndex& index) { m_Expanded.remove(index); });
}

HistoryRowLook CHistoryTreeView::rowLook(const QModelIndex& index) const
{
    return m_pRows ? m_pRows->rowLook(index) : HistoryRowLook();
}

const QIcon& CHistoryTreeView::deleteIcon() const
{
    return m_pDelegate->deleteIcon();
}

QIcon::Mode CHistoryTreeView::deleteButtonMode(const QModelIndex& index, bool deletable) const
{
    if (!deletable)
        return QIcon::Disabled;
    if (m_PressedButton.isValid() && m_PressedButton == index)
        return m_bPressedInside ? QIcon::Active : QIcon::Normal;
    return m_HoveredButton.isValid() && m_HoveredButton == index ? QIcon::Selected : QIcon::Normal;
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

QModelIndex CHistoryTreeView::deleteButtonAt(const QPoint& position) const
{
    const QModelIndex index = indexAt(position);
    if (index.isValid() && HistoryRowLayout::deleteButtonRect(visualRect(index)).contains(position))
        return index;
    return QModelIndex();
}

void CHistoryTreeView::updateButton(const QModelIndex& index)
{
    if (index.isValid())
        viewport()->update(HistoryRowLayout::deleteButtonRect(visualRect(index)));
}

void CHistoryTreeView::setHoveredButton(const QModelIndex& index)
{
    if (QModelIndex(m_HoveredButton) == index)
        return;
    updateButton(m_HoveredButton);
    m_HoveredButton = index;
    updateButton(index);
}

bool CHistoryTreeView::pressOnRow(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->pos());
    if (!index.isValid() || !m_pRows)
        return false;
    const QRect row = visualRect(index);
    if (HistoryRowLayout::startsDragAt(row, event->pos(), event->button())) {
        // The drag starts on the press itself, without waiting for the pointer to move.
        std::unique_ptr<CHistoryRow> data = m_pRows->rowAt(index);
        if (!data)
            return false;
        data->startDrag(this);
        return true;
    }
    if (event->button() != Qt::LeftButton || !HistoryRowLayout::deleteButtonRect(row).contains(event->pos()))
        return false;
    // A greyed button takes the press and does nothing, as a disabled button does.
    if (rowLook(index).deletable) {
        m_PressedButton = index;
        m_bPressedInside = true;
        updateButton(index);
    }
    return true;
}

void CHistoryTreeView::mousePressEvent(QMouseEvent* event)
{
    if (!pressOnRow(event))
        QTreeView::mousePressEvent(event);
}

void CHistoryTreeView::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second click on a picture or a button is another press there, not the tree's
    // double click (which would open or close the row).
    if (!pressOnRow(event))
        QTreeView::mouseDoubleClickEvent(event);
}

void CHistoryTreeView::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_PressedButton.isValid()) {
        QTreeView::mouseMoveEvent(event);
        return;
    }
    // While the button is held the pointer selects nothing; the button shows pressed only
    // while the pointer is on it.
    const bool inside = deleteButtonAt(event->pos()) == QModelIndex(m_PressedButton);
    if (inside != m_bPressedInside) {
        m_bPressedInside = inside;
        updateButton(m_PressedButton);
    }
}

void CHistoryTreeView::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_PressedButton.isValid()) {
        QTreeView::mouseReleaseEvent(event);
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    const QModelIndex pressed = m_PressedButton;
    m_PressedButton = QPersistentModelIndex();
    updateButton(pressed);
    // Released on the button it was pressed on, which may have been greyed meanwhile.
    if (deleteButtonAt(event->pos()) != pressed || !rowLook(pressed).deletable)
        return;
    if (std::unique_ptr<CHistoryRow> row = m_pRows ? m_pRows->rowAt(pressed) : nullptr)
        row->onDelete();
}

void CHistoryTreeView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Delete || (event->modifiers() & ~Qt::KeypadModifier)) {
        QTreeView::keyPressEvent(event);
        return;
    }
    // Delete does what the selected row's button does, question included; a greyed button
    // does nothing, and neither does the key.
    event->accept();
    const QModelIndex index = currentIndex();
    if (!index.isValid() || !selectionModel()->isSelected(index) || !rowLook(index).deletable)
        return;
    if (std::unique_ptr<CHistoryRow> row = m_pRows ? m_pRows->rowAt(index) : nullptr)
        row->onDelete();
}

bool CHistoryTreeView::viewportEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
        setHoveredButton(deleteButtonAt(static_cast<QHoverEvent*>(event)->pos()));
        break;
    case QEvent::HoverLeave:
        setHoveredButton(QModelIndex());
        break;
    default:
        break;
    }
    return QTreeView::viewportEvent(event);
}
