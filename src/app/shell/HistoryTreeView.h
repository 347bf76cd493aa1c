#pragma once
// The tree view of the history window. Its rows are drawn by CHistoryRowDelegate and hold no
// widgets, so a history of any length costs the toolkit one entry per row; the view itself
// starts the drag of a row's data from its picture and works the rows' delete buttons. It also
// keeps track of the expanded rows, so that collapsing the tree touches only those.
#include "app/shell/HistoryRows.h"

#include <QIcon>
#include <QPersistentModelIndex>
#include <QSet>
#include <QTreeView>

class CHistoryRowDelegate;

class CHistoryTreeView : public QTreeView
{
    Q_OBJECT
public:
    explicit CHistoryTreeView(QWidget* parent = nullptr);

    // Where the rows' looks and row objects come from (the history window).
    void setRows(IHistoryRows* rows) { m_pRows = rows; }
    HistoryRowLook rowLook(const QModelIndex& index) const;
    const QIcon& deleteIcon() const;
    // The state the delete button of index is drawn in: disabled, pressed (active), under the
    // pointer (selected) or normal.
    QIcon::Mode deleteButtonMode(const QModelIndex& index, bool deletable) const;
    QIcon::Mode deleteButtonMode(const QModelIndex& index) const
    {
        return deleteButtonMode(index, rowLook(index).deletable);
    }

    // What collapseAll() leaves, at the cost of the rows that are expanded (usually one).
    void collapseEverything();
    // Rows expanded now, as far as this view has been told.
    int expandedCount() const { return m_Expanded.size(); }

    QRect visualRect(const QModelIndex& index) const override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    bool hiddenByCollapsedAncestor(const QModelIndex& index) const;
    // A press on a row's picture or delete button; false when the press is the tree's own.
    bool pressOnRow(QMouseEvent* event);
    // The row whose delete button lies under position, or an invalid index.
    QModelIndex deleteButtonAt(const QPoint& position) const;
    void setHoveredButton(const QModelIndex& index);
    void updateButton(const QModelIndex& index);

    IHistoryRows* m_pRows = nullptr;
    CHistoryRowDelegate* m_pDelegate;
    QSet<QPersistentModelIndex> m_Expanded;
    // The delete button pressed and not yet released, whether the pointer is still on it, and
    // the button under the pointer.
    QPersistentModelIndex m_PressedButton;
    bool m_bPressedInside = false;
    QPersistentModelIndex m_HoveredButton;
};
