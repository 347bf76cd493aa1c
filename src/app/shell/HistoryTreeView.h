#pragma once
// The tree view of the history window. Every run's row carries a row widget, so a long history
// holds thousands of them; the plain view repositions every one of them (each with a search of
// the visible rows) whenever its layout changes, which made each added run slower than the
// last. This view places only the row widgets of the rows on screen, hides the ones that left
// it, and keeps track of the expanded rows so that collapsing the tree touches only those.
#include <QPersistentModelIndex>
#include <QPointer>
#include <QSet>
#include <QTreeView>
#include <QVector>

class CHistoryTreeView : public QTreeView
{
    Q_OBJECT
public:
    explicit CHistoryTreeView(QWidget* parent = nullptr);

    // What collapseAll() leaves, at the cost of the rows that are expanded (usually one).
    void collapseEverything();
    // Rows expanded now, as far as this view has been told.
    int expandedCount() const { return m_Expanded.size(); }

    QRect visualRect(const QModelIndex& index) const override;

signals:
    // A row on screen has no widget: the window makes its widgets as rows are expanded, and
    // this catches a row that came into view another way.
    void rowWidgetWanted(const QModelIndex& index);

protected slots:
    void updateEditorGeometries() override;
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;

protected:
    void scrollContentsBy(int dx, int dy) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Lets go of the widgets of every row below index: a row hidden in a collapsed row has
    // none. Only rows below expanded rows have widgets, so the walk stops at collapsed ones.
    void releaseRowWidgetsBelow(const QModelIndex& index);
    bool hiddenByCollapsedAncestor(const QModelIndex& index) const;
    // Places the row widgets of the rows on screen and hides the others.
    void placeRowWidgets();
    // Row changes come in bursts (a run adds seventeen rows): the widgets are placed once, at
    // the next turn of the event loop, after the view's own deferred layout.
    bool m_bPlacingScheduled = false;

    QSet<QPersistentModelIndex> m_Expanded;
    // Row widgets that may be showing: those placed on screen by the last update and those
    // added to the view since (a new row widget shows itself). Everything else is hidden.
    QVector<QPointer<QWidget>> m_MayShow;
};
