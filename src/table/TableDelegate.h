#pragma once
// The delegates of a table window. They share one list of column descriptions; the body
// delegate computes, paints and edits the cell texts of the data store's branches, the header
// delegate paints the icon band and the titles. Nothing is stored per cell: a paint reads the
// visible cells from the store, a block of samples at a time.
#include "table/TableColumn.h"

#include <QHash>
#include <QList>
#include <QStyledItemDelegate>
#include <QVector>
#include <memory>

class CDataBranch;
class CDataFolder;
class CDataManager;
class IPrompter;
class QFontMetrics;

// The columns of one table: the index column, the time column and the data columns, owned here
// and shared by the table's two delegates.
class CTableColumnSet
{
public:
    CTableColumnSet();
    ~CTableColumnSet();
    CTableColumnSet(const CTableColumnSet&) = delete;
    CTableColumnSet& operator=(const CTableColumnSet&) = delete;

    void clear();
    QList<CTableColumn*> m_Columns;
    CTableColumn m_IndexColumn;
    CTableColumn m_TimeColumn;
};

class CTableDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit CTableDelegate(QObject* parent = nullptr, CDataManager* data = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

    void setDataManager(CDataManager* data) { m_pDataManager = data; }
    // An edit that is no number is refused through the table window's prompter.
    void setPrompter(IPrompter* prompter) { m_pPrompter = prompter; }
    CDataManager* dataManager() const { return m_pDataManager; }
    void setColumnSet(std::shared_ptr<CTableColumnSet> set) { m_pSet = std::move(set); }
    std::shared_ptr<CTableColumnSet> columnSet() const { return m_pSet; }
    QList<CTableColumn*>& columns() { return m_pSet->m_Columns; }
    const QList<CTableColumn*>& columns() const { return m_pSet->m_Columns; }
    CTableColumn* indexColumn() const { return &m_pSet->m_IndexColumn; }
    CTableColumn* timeColumn() const { return &m_pSet->m_TimeColumn; }
    int dataColumnCount() const { return m_pSet->m_Columns.size(); }
    // The data column at d (view column d + 2), or null.
    CTableColumn* dataColumn(int d) const;
    // The column of view column c: index, time, data; null beyond the data columns.
    CTableColumn* viewColumn(int c) const;

    void initIndexColumn();
    void initTimeColumn();

    QFont getColumnFont(int viewColumn) const;
    int getColumnIndexByKey(int key) const;
    int getMaxSizeDataColumn() const;
    QString getIndexColumnTextByRow(int row) const;
    QString getTimeColumnTextByRow(int row) const;
    // The time column follows the run of the first data column: that run's manual X values
    // when it has them (null otherwise), and a title saying what the column holds: the manual
    // X name and unit, "Event" for timing results, "Samples" for a run sampled by hand, else
    // "Time". refreshTimeColumn puts the title on the column.
    CDataBranch* timeColumnManualX() const;
    QString timeColumnTitle() const;
    void refreshTimeColumn();
    QString getDataText(int row, int dataColumn) const;
    // The text of a cell as the screen shows it (empty where nothing shows).
    QString cellText(int row, int viewColumn) const;
    int getIndexColumnMaxWidthInPxls() const;
    bool isCellEditable(int viewColumn, int row) const;
    void changeModelCellData(int branchKey, int index, double value);
    // The estimated cell size of view column c in the given font metrics.
    QSize calcColumnCellSize(const QFontMetrics& metrics, int c) const;
    void changeAllTableColumnsDefaultSize(int width, int height);

    void setCurrentPressedIndex(int row, int column);
    void setRowLimit(int row) { m_RowLimit = row; }
    int rowLimit() const { return m_RowLimit; }
    void setBorderColor(const QColor& colour) { m_BorderColor = colour; }
    QFont defaultFont() const { return m_DefaultFont; }
    void setDefaultFont(const QFont& font) { m_DefaultFont = font; }
    double currentCellValue() const { return m_CurrentCellVal; }

    // A paint pass: between these calls every branch is looked up once and its samples are
    // read a block at a time. Only the interface thread deletes branches, and it does not
    // while a pass runs; outside a pass every read goes to the store.
    void beginPass() const;
    void endPass() const;

signals:
    void saveCellVal(double aCellVal);
    void cellValChanged(int branchKey, int index);

private slots:
    void onSaveCellVal(double value) { m_CurrentCellVal = value; }

protected:
    void paintCell(QPainter* painter, const QRect& rect, const QColor& colour) const;
    QColor cellColour(const QModelIndex& index) const;

    // What a pass keeps of one data column.
    struct ColumnCache
    {
        bool looked = false;
        CDataBranch* branch = nullptr;
        int offset = 0;
        int ySize = 0;
        int first = 0;
        QVector<double> y;
    };
    // The branch of data column d with its first X and Y count; false without data.
    bool columnSamples(int d, ColumnCache& out) const;
    bool sampleAt(ColumnCache& cache, int i, double& value) const;
    ColumnCache* passColumn(int d) const;
    double firstColumnInterval() const;
    int firstSensorIndex() const;
    CDataFolder* timeColumnRun() const;

    std::shared_ptr<CTableColumnSet> m_pSet;
    QFont m_DefaultFont;
    QColor m_BackgroundColor{238, 238, 238};
    QColor m_PressedColor{174, 174, 174};
    CDataManager* m_pDataManager = nullptr;
    IPrompter* m_pPrompter = nullptr;
    int m_PressedRow = -1;
    int m_PressedColumn = -1;
    double m_CurrentCellVal = 0.0;
    QColor m_BorderColor{192, 192, 192};
    int m_RowLimit = -1;

    mutable bool m_bInPass = false;
    mutable int m_PassMaxRows = -1;
    mutable QHash<int, ColumnCache> m_PassColumns;
    mutable bool m_bPassManualLooked = false;
    mutable ColumnCache m_PassManual;
};

class CTableDelegate_Header : public CTableDelegate
{
    Q_OBJECT
public:
    explicit CTableDelegate_Header(QObject* parent = nullptr, CDataManager* data = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QWidget* createEditor(QWidget*, const QStyleOptionViewItem&, const QModelIndex&) const override { return nullptr; }

    // The two lines of a data column's title band before elision.
    static QString titleSecondLine(const CTableColumn& column);
    // The name-and-unit title as it fits `room`: on one line or with the unit on a second line,
    // in a font shrunk a little (to three quarters at most); only then cut.
    static QString fitTitle(const QString& text, QFont& font, const QSize& room);
};
