#pragma once
// The item model of a table view: a row and a column count and nothing else. Every cell text
// is computed by the delegates from the data store when the cell is painted.
#include <QAbstractTableModel>

class CTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int COLUMN_ICON_HEIGHT = 50;
    static constexpr int s_DefaultRows = 100;
    static constexpr int s_DefaultColumns = 50;

    explicit CTableModel(QObject* parent = nullptr, int rows = s_DefaultRows, int columns = s_DefaultColumns);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // Whole new shapes (a run starts, a workspace loads): one model reset each.
    void setRowCount(int rows);
    void setColumnCount(int columns);
    void resizeTable(int columns, int rows);
    // Growth while data arrive: the new rows or columns are inserted as one batch, so the
    // views keep their scroll position and selection. Nothing happens when the model is large
    // enough already.
    void growRows(int rows);
    void growColumns(int columns);

private:
    int m_Rows;
    int m_Columns;
};
