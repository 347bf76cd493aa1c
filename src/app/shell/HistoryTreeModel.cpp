#include "app/shell/HistoryTreeModel.h"

#include <QMimeData>
#include <QStringList>

HistoryTreeItem::HistoryTreeItem(const QVariant& data, HistoryTreeItem* parent)
    : m_Data(data), m_pParent(parent), m_pRegistry(parent ? parent->m_pRegistry : new HistoryKeyRegistry),
      m_bOwnsRegistry(!parent)
{
    registerKey();
}

HistoryTreeItem::~HistoryTreeItem()
{
    qDeleteAll(m_Children);
    unregisterKey();
    if (m_bOwnsRegistry)
        delete m_pRegistry;
}

void HistoryTreeItem::registerKey()
{
    // The root holds no key of a run or series.
    if (m_pParent && m_Data.type() == QVariant::Int)
        m_pRegistry->items.insert(m_Data.toInt(), this);
}

void HistoryTreeItem::unregisterKey()
{
    if (m_pParent && m_Data.type() == QVariant::Int)
        m_pRegistry->items.remove(m_Data.toInt(), this);
}

void HistoryTreeItem::renumberStale() const
{
    for (int i = m_FirstStaleRow; i < m_Children.size(); ++i)
        m_Children.at(i)->m_Row = i;
    m_FirstStaleRow = m_Children.size();
}

HistoryTreeItem* HistoryTreeItem::child(int row) const
{
    if (row < 0 || row >= m_Children.size())
        return nullptr;
    return m_Children.at(row);
}

int HistoryTreeItem::childNumber() const
{
    if (!m_pParent)
        return 0;
    if (m_pParent->m_FirstStaleRow < m_pParent->m_Children.size())
        m_pParent->renumberStale();
    return m_Row;
}

bool HistoryTreeItem::insertChildren(int position, int count)
{
    if (position < 0 || position > m_Children.size())
        return false;
    for (int i = 0; i < count; ++i)
        m_Children.insert(position, new HistoryTreeItem(QVariant(true), this));
    if (count > 0)
        renumberFrom(position);
    return true;
}

bool HistoryTreeItem::removeChildren(int position, int count)
{
    if (position < 0 || count < 0 || position + count > m_Children.size())
        return false;
    for (int i = 0; i < count; ++i)
        delete m_Children.takeAt(position);
    if (count > 0)
        renumberFrom(position);
    return true;
}

bool HistoryTreeItem::setData(const QVariant& value)
{
    unregisterKey();
    m_Data = value;
    registerKey();
    return true;
}

CHistoryTreeModel::CHistoryTreeModel(QObject* parent)
    : QAbstractItemModel(parent), m_pRootItem(new HistoryTreeItem(QVariant(0), nullptr))
{
}

CHistoryTreeModel::~CHistoryTreeModel()
{
    delete m_pRootItem;
}

HistoryTreeItem* CHistoryTreeModel::getItem(const QModelIndex& index) const
{
    if (index.isValid()) {
        if (auto* item = static_cast<HistoryTreeItem*>(index.internalPointer()))
            return item;
    }
    return m_pRootItem;
}

QModelIndex CHistoryTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (parent.isValid() && parent.column() != 0)
        return QModelIndex();
    // Only column 0 exists; an index outside it would point at a cell the model never has.
    if (column != 0)
        return QModelIndex();
    HistoryTreeItem* child = getItem(parent)->child(row);
    return child ? createIndex(row, column, child) : QModelIndex();
}

QModelIndex CHistoryTreeModel::parent(const QModelIndex& index) const
{
    if (!index.isValid())
        return QModelIndex();
    HistoryTreeItem* parentItem = getItem(index)->parentItem();
    if (!parentItem || parentItem == m_pRootItem)
        return QModelIndex();
    return createIndex(parentItem->childNumber(), 0, parentItem);
}

int CHistoryTreeModel::rowCount(const QModelIndex& parent) const
{
    // Only column 0 has children; the toolkit asks for the others too.
    if (parent.isValid() && parent.column() != 0)
        return 0;
    return getItem(parent)->childCount();
}

int CHistoryTreeModel::columnCount(const QModelIndex&) const
{
    return 1;
}

QVariant CHistoryTreeModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return QVariant();
    return getItem(index)->data();
}

QVariant CHistoryTreeModel::headerData(int, Qt::Orientation, int) const
{
    return QVariant();
}

Qt::ItemFlags CHistoryTreeModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsDragEnabled | Qt::ItemIsEnabled;
}

bool CHistoryTreeModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole)
        return false;
    const bool result = getItem(index)->setData(value);
    if (index.isValid())
        emit dataChanged(index, index, QVector<int>());
    return result;
}

bool CHistoryTreeModel::insertRows(int position, int rows, const QModelIndex& parent)
{
    HistoryTreeItem* item = getItem(parent);
    if (position < 0 || position > item->childCount())
        return false;
    // Announcing zero rows would tell the views about rows position..position-1, which do not
    // exist; nothing changes, so nothing is announced.
    if (rows <= 0)
        return true;
    beginInsertRows(parent, position, position + rows - 1);
    const bool ok = item->insertChildren(position, rows);
    endInsertRows();
    return ok;
}

bool CHistoryTreeModel::removeRows(int position, int rows, const QModelIndex& parent)
{
    HistoryTreeItem* item = getItem(parent);
    if (position < 0 || rows < 0 || position + rows > item->childCount())
        return false;
    if (rows == 0)
        return true;
    beginRemoveRows(parent, position, position + rows - 1);
    const bool ok = item->removeChildren(position, rows);
    endRemoveRows();
    return ok;
}

bool CHistoryTreeModel::insertColumns(int position, int columns, const QModelIndex& parent)
{
    if (position < 0)
        return false;
    // The tree keeps its one column; announcing columns that never appear would leave the
    // views counting columns the model does not have.
    Q_UNUSED(columns);
    Q_UNUSED(parent);
    return true;
}

Qt::DropActions CHistoryTreeModel::supportedDropActions() const
{
    return Qt::CopyAction | Qt::MoveAction;
}

QStringList CHistoryTreeModel::mimeTypes() const
{
    return QStringList() << QStringLiteral("application/vnd.text.list");
}

QMimeData* CHistoryTreeModel::mimeData(const QModelIndexList&) const
{
    // Runs and series are dragged by their pictures (the history view starts those drags),
    // not by the view's own item drag.
    return nullptr;
}

QModelIndex CHistoryTreeModel::findKey(int key) const
{
    const QList<HistoryTreeItem*> items = m_pRootItem->itemsWithKey(key);
    if (items.isEmpty())
        return QModelIndex();
    if (items.size() == 1)
        return indexOf(items.first());
    // Several rows with one key (a damaged file): the first in tree order.
    return findKeyBelow(QModelIndex(), key);
}

QModelIndex CHistoryTreeModel::findKeyBelow(const QModelIndex& parent, int key) const
{
    HistoryTreeItem* item = getItem(parent);
    for (int row = 0; row < item->childCount(); ++row) {
        HistoryTreeItem* child = item->child(row);
        const QVariant value = child->data();
        // A fresh row holds the boolean true until its key is stored; it matches no key.
        if (value.type() == QVariant::Int && value.toInt() == key)
            return createIndex(row, 0, child);
        const QModelIndex found = findKeyBelow(createIndex(row, 0, child), key);
        if (found.isValid())
            return found;
    }
    return QModelIndex();
}

QModelIndex CHistoryTreeModel::indexOf(HistoryTreeItem* item) const
{
    if (!item || item == m_pRootItem)
        return QModelIndex();
    const int row = item->childNumber();
    return row < 0 ? QModelIndex() : createIndex(row, 0, item);
}
