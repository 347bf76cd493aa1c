#pragma once
// The row widgets of the history tree: one per run and one per series row that shows, drawn
// over the rows of the tree model. Each shows its picture and caption and deletes its data and
// its own row.
#include <QPersistentModelIndex>
#include <QPixmap>
#include <QWidget>

class CHistoryWindow;
class QIcon;
class QToolButton;

// The delete button's picture in its four states, read from the resources.
QIcon HistoryDeleteIcon();

class CHistoryRowWidget : public QWidget
{
    Q_OBJECT
public:
    // index: the row the widget is placed over.
    CHistoryRowWidget(int key, const QModelIndex& index, QWidget* owner);

    void init();
    int key() const { return m_Key; }
    QString caption() const { return m_Caption; }
    QToolButton* deleteButton() const
    {
        syncDeleteButton();
        return m_pDeleteButton;
    }
    bool deleteEnabled() const { return m_bDeletable; }
    QSize sizeHint() const override;

    // Where the row's picture lies; a left press on it starts a drag of the row's data.
    QRect pictureRect() const;
    bool startsDragAt(const QPoint& position, Qt::MouseButton button) const;
    // The drag text of the row's data: the run's name, then the keys of the series.
    virtual QString dragText() const = 0;

public slots:
    void disableDelete();
    void enableDelete();
    virtual void onDelete() = 0;

protected:
    // Asks the user, then removes this row from the tree; false when the user said No.
    bool confirmDelete();
    // The row draws its picture and caption itself and places its one child, the delete
    // button, by hand: a layout and labels would post layout requests for every row, and a
    // tree of thousands of rows would pay for each of them on every later post.
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void setPicture(const QPixmap& pixmap);
    void removeOwnRow();
    void dataChanged();
    void mousePressEvent(QMouseEvent* event) override;
    virtual QPixmap dragPixmap() const { return m_Picture; }
    // Announces every key of the branch and its derived branches on the hub, each just before
    // its data go, derived branches before their source.
    void deleteBranch(int key);

    int m_Key;
    // Follows the row as rows above it come and go, and goes invalid with the row, so a widget
    // that outlives its row (during the question before a delete) removes nothing else.
    QPersistentModelIndex m_Row;
    CHistoryWindow* m_pOwner;
    QString m_Caption;
    QPixmap m_Picture;
    QToolButton* m_pDeleteButton;

private:
    // Every start and end of a run locks and unlocks every row, and a long history has
    // thousands of rows off screen: their buttons take the state when they show or are asked.
    void setDeletable(bool deletable);
    void syncDeleteButton() const;
    bool m_bDeletable = true;
};

class DataFolderEditor : public CHistoryRowWidget
{
    Q_OBJECT
public:
    DataFolderEditor(int key, const QModelIndex& index, QWidget* owner);
    void setCaption(const QString& caption);
    void setIcon(QString path);
    QString dragText() const override;

public slots:
    void onDelete() override;

protected:
    QPixmap dragPixmap() const override;
};

class DataBranchEditor : public CHistoryRowWidget
{
    Q_OBJECT
public:
    DataBranchEditor(int branchKey, int parentKey, const QModelIndex& index, QWidget* owner);
    void setCaption(const QString& caption);
    void setFolderName(const QString& name) { m_FolderName = name; }
    QString folderName() const { return m_FolderName; }
    void setPixmap(const QPixmap& pixmap);
    int parentKey() const { return m_ParentKey; }
    QString dragText() const override;

public slots:
    void onDelete() override;

private:
    int m_ParentKey;
    QString m_FolderName;
};
