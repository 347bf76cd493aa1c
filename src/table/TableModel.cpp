#include "table/TableModel.h"

#include <algorithm>

namespace {
// Counts come from sample counts and dropped keys; a negative one would break the views.
int sane(int n)
{
    return std::max(n, 0);
}
} // namespace

CTableModel::CTableModel(QObject* parent, int rows, int columns)
    : QAbstractTableModel(parent), m_Rows(sane(rows)), m_Columns(sane(columns))
{
}

int CTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_Rows;
}

int CTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_Columns;
}

QVariant CTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignHCenter | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return QVariant();
    if (index.column() == 0 && index.row() >= 2)
        return QString::number(index.row() - 1);
    if (index.column() == 1 && index.row() == 1)
        return tr("Time (mm:ss)");
    return QVariant();
}

Qt::ItemFlags CTableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::ItemIsEnabled;
    return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
}

bool CTableModel::setData(const QModelIndex&, const QVariant&, int)
{
    // The delegate writes edited values straight into the data store.
    return true;
}

void CTableModel::setRowCount(int rows)
{
    beginResetModel();
    m_Rows = rows == 0 ? s_DefaultRows : sane(rows);
    endResetModel();
}

void CTableModel::setColumnCount(int columns)
{
    beginResetModel();
    m_Columns = sane(columns);
    endResetModel();
}

void CTableModel::resizeTable(int columns, int rows)
{
    beginResetModel();
    m_Columns = sane(columns);
    m_Rows = sane(rows);
    endResetModel();
}

void CTableModel::growRows(int rows)
{
    if (rows <= m_Rows)
        return;
    beginInsertRows(QModelIndex(), m_Rows, rows - 1);
    m_Rows = rows;
    endInsertRows();
}

void CTableModel::growColumns(int columns)
{
    if (columns <= m_Columns)
        return;
    beginInsertColumns(QModelIndex(), m_Columns, columns - 1);
    m_Columns = columns;
    endInsertColumns();
}
