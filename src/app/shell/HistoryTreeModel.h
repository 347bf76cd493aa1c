#pragma once
// The item model of the history tree: one top-level row per run, one row per series below it,
// a derived series below its source series. A row holds only the key of its folder or branch;
// the view's delegate draws everything the user sees from the store.
#include <QAbstractItemModel>
#include <QList>
#include <QMultiHash>
#include <QVariant>

#include <algorithm>

class HistoryTreeItem;

// Which items of one tree hold which key, so a row is found without walking the tree. Owned
// by the tree's root item and shared by every item below it.
struct HistoryKeyRegistry
{
    QMultiHash<int, HistoryTreeItem*> items;
};

// What the history window needs to draw a row besides its key.
struct HistoryRowInfo
{
    int runKey = -1;         // the run whose name the row shows; -1 for none
    bool deletable = false;  // the delete button's state when the row was added...
    int lockStamp = 0;       // ...unless the run lock changed after this count of changes
};

class HistoryTreeItem
{
public:
    HistoryTreeItem(const QVariant& data, HistoryTreeItem* parent);
    ~HistoryTreeItem();
    HistoryTreeItem(const HistoryTreeItem&) = delete;
    HistoryTreeItem& operator=(const HistoryTreeItem&) = delete;

    HistoryTreeItem* child(int row) const;
    int childCount() const { return m_Children.size(); }
    int columnCount() const { return 1; }
    QVariant data() const { return m_Data; }
    HistoryTreeItem* parentItem() const { return m_pParent; }
    int childNumber() const;
    bool insertChildren(int position, int count);
    bool removeChildren(int position, int count);
    bool setData(const QVariant& value);
    // The items of this tree whose key is key (a fresh row's boolean is no key).
    QList<HistoryTreeItem*> itemsWithKey(int key) const { return m_pRegistry->items.values(key); }
    HistoryRowInfo& rowInfo() { return m_Info; }
    const HistoryRowInfo& rowInfo() const { return m_Info; }

private:
    // Rows are numbered lazily: inserting many rows at the front of a long list must not
    // renumber the whole list once per row.
    void renumberFrom(int position) { m_FirstStaleRow = std::min(m_FirstStaleRow, position); }
    void renumberStale() const;
    void registerKey();
    void unregisterKey();

    QVariant m_Data;
    QList<HistoryTreeItem*> m_Children;
    HistoryTreeItem* m_pParent;
    mutable int m_Row = 0;  // place among the parent's children, kept up to date by the parent
    mutable int m_FirstStaleRow = 0;  // children from this row on have an out-of-date m_Row
    HistoryKeyRegistry* m_pRegistry;
    bool m_bOwnsRegistry;
    HistoryRowInfo m_Info;
};

class CHistoryTreeModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    explicit CHistoryTreeModel(QObject* parent = nullptr);
    ~CHistoryTreeModel() override;

    HistoryTreeItem* getItem(const QModelIndex& index) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& index) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    bool insertRows(int position, int rows, const QModelIndex& parent = QModelIndex()) override;
    bool removeRows(int position, int rows, const QModelIndex& parent = QModelIndex()) override;
    bool insertColumns(int position, int columns, const QModelIndex& parent = QModelIndex()) override;
    Qt::DropActions supportedDropActions() const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;

    // A rebuild of the whole tree: the rows are made directly on the items between these two
    // calls, and the views hear one reset instead of one insertion per row (each insertion
    // costs the views a walk over every persistent index).
    void beginRebuild() { beginResetModel(); }
    void endRebuild() { endResetModel(); }
    QModelIndex indexOf(HistoryTreeItem* item) const;

    // The first row, in tree order (depth first, top to bottom), whose key equals key; invalid
    // when none. A key held by one row only (the usual case) is found without a walk.
    QModelIndex findKey(int key) const;

private:
    QModelIndex findKeyBelow(const QModelIndex& parent, int key) const;

    HistoryTreeItem* m_pRootItem;
};
