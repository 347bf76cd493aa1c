#pragma once
// The rows of the history tree: one per run and one per series. A row is no widget: the view's
// delegate draws its picture, caption and delete button from what the data store holds when
// it paints, and the row objects here are made when a row is acted on (dragged, deleted, asked
// about) and thrown away afterwards. A history of a hundred thousand runs costs the tree model's
// items and nothing more.
#include <QCoreApplication>
#include <QPersistentModelIndex>
#include <QPixmap>
#include <QString>

#include <memory>

class CHistoryRow;
class CHistoryWindow;
class QIcon;
class QWidget;

// The delete button's picture in its four states, read from the resources.
QIcon HistoryDeleteIcon();

// What a row shows now.
struct HistoryRowLook
{
    bool valid = false;  // false for a row whose key names nothing in the store (yet)
    bool run = false;    // a run's row (top level) rather than a series'
    QString caption;
    QPixmap picture;
    bool deletable = true;
};

// What the history view asks of the window whose rows it shows.
class IHistoryRows
{
public:
    virtual ~IHistoryRows() = default;
    virtual HistoryRowLook rowLook(const QModelIndex& index) const = 0;
    // The row object of index; null when the row shows nothing.
    virtual std::unique_ptr<CHistoryRow> rowAt(const QModelIndex& index) = 0;
};

class CHistoryRow
{
    Q_DECLARE_TR_FUNCTIONS(CHistoryRow)
public:
    virtual ~CHistoryRow() = default;
    CHistoryRow(const CHistoryRow&) = delete;
    CHistoryRow& operator=(const CHistoryRow&) = delete;

    int key() const { return m_Key; }
    // Invalid once the row has left the tree.
    QModelIndex index() const { return m_Row; }
    QString caption() const;
    bool deleteEnabled() const;
    // The drag text of the row's data: the run's name, then the keys of the series.
    virtual QString dragText() const = 0;
    virtual QPixmap dragPixmap() const;
    // Drags the row's data from source; returns once it is dropped. Nothing in the tree changes.
    void startDrag(QWidget* source) const;
    // Asks the user, then deletes the row's data and the row.
    virtual void onDelete() = 0;

protected:
    CHistoryRow(CHistoryWindow* owner, const QModelIndex& index, int key);
    bool confirmDelete();
    // Removes this row from the tree (or, if the tree was rebuilt while the user was asked, the
    // row of its key at its level).
    void removeOwnRow(bool runRow);
    void dataChanged();
    // Announces every key of the branch and its derived branches on the hub, each just before
    // its data go, derived branches before their source.
    void deleteBranch(int key);

    CHistoryWindow* m_pOwner;
    // Follows the row as rows above it come and go, and goes invalid with the row, so a row
    // object that outlives its row (during the question before a delete) removes nothing else.
    QPersistentModelIndex m_Row;
    int m_Key;
};

class DataFolderEditor : public CHistoryRow
{
public:
    DataFolderEditor(CHistoryWindow* owner, const QModelIndex& index, int key);
    QString dragText() const override;
    QPixmap dragPixmap() const override;
    void onDelete() override;
};

class DataBranchEditor : public CHistoryRow
{
public:
    DataBranchEditor(CHistoryWindow* owner, const QModelIndex& index, int key, int parentKey);
    int parentKey() const { return m_ParentKey; }
    // The name of the run that holds the series (element 0 of its drag text).
    QString folderName() const;
    QString dragText() const override;
    void onDelete() override;

private:
    int m_ParentKey;
};
