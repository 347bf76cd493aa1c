#pragma once
// Draws every row of the history tree: the row's picture at the left, its caption, and the
// delete button at the right. The view hit-tests the same places (HistoryRowLayout) for drags
// and for the button.
#include <QIcon>
#include <QStyledItemDelegate>

class CHistoryTreeView;

namespace HistoryRowLayout {
// The side of the row's picture and of the delete button; a row is this plus a margin above
// and below.
constexpr int PictureSide = 24;
constexpr int Margin = 2;
constexpr int RowHeight = PictureSide + 2 * Margin;

// Places inside a row's rectangle (in the view's coordinates).
QRect pictureRect(const QRect& row);
QRect deleteButtonRect(const QRect& row);
// The button's picture sits one pixel inside the button.
QRect deleteIconRect(const QRect& row);
QRect captionRect(const QRect& row);
// A left press on the picture (its edges included) starts a drag of the row's data.
bool startsDragAt(const QRect& row, const QPoint& position, Qt::MouseButton button);
} // namespace HistoryRowLayout

class CHistoryRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit CHistoryRowDelegate(CHistoryTreeView* view);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // Tool tips: the delete button's, and a series row's full caption.
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

    const QIcon& deleteIcon() const { return m_DeleteIcon; }

private:
    CHistoryTreeView* m_pView;
    QIcon m_DeleteIcon;
};
