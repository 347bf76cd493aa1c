#pragma once
// The table window: data branches as columns of numbers. The last active table follows a run
// live, takes downloaded and video-analysis runs; any table takes runs and series dragged from
// the data tree, gives columns away by dragging its header, edits cells, changes fonts, prints
// and keeps its columns in the workspace file.
#include "windowbase/KorvantaWindow.h"

#include <QColor>
#include <QTableView>
#include <atomic>
#include <functional>
#include <memory>

class CDataFolder;
class CDataManager;
class CKorvantaSignals;
class CTableColumn;
class CTableDelegate;
class CTableDelegate_Header;
class CTableModel;
class Dialog_printTable;
class IPrompter;
class QAction;
class QCheckBox;
class QFontMetrics;
class QHBoxLayout;
class QPainter;
class QPrinter;
class QPushButton;
class QTimer;
class QToolBar;

// A table view whose paint reads each visible column's samples as one block.
class CTableView : public QTableView
{
    Q_OBJECT
public:
    using QTableView::QTableView;
    void setCellDelegate(CTableDelegate* delegate);
    // Brings the scroll ranges up to the model now rather than at the next layout, so a jump
    // to the newest rows is not cut at the old end.
    void refreshGeometry() { updateGeometries(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CTableDelegate* m_pCells = nullptr;
};

class CTableWindow : public CKorvantaWindow
{
    Q_OBJECT
public:
    static constexpr int s_RedrawMs = 40;
    static const QColor table_toolbarBackColor;
    enum RecordTag : qint16 { TagDataColumn = 14, TagIndexColumn = 15, TagTimeColumn = 16, TagTableEnd = 1108 };

    // A font chooser (the font dialog, or a test's answer): false when the user cancelled.
    using FontChooser = std::function<bool(QWidget* parent, const QFont& initial, QFont* chosen)>;
    static void SetFontChooser(FontChooser chooser);

    CTableWindow(QWidget* parent, Qt::WindowFlags flags);
    ~CTableWindow() override;

    void initWindow() override;
    int saveToFile(QDataStream* stream) override;
    int loadFromFile(QDataStream* stream) override;

    bool addColumnByKey(int key, const QColor* colour);
    void insertAllFolderBranches(int folderKey);
    void clearTable(bool repaint);
    void removeColumnFromTable(int viewColumn);
    bool isKeyExistOnTable(int key) const;
    void changeTableDefaultTextCellSize(int width, int height);
    QSize calcColumnCellSizeByFontAndTextLength(const QFontMetrics& metrics, int viewColumn) const;
    // Gives view column c the font and the sizes that follow from it.
    void applyColumnFont(int viewColumn, const QFont& font);
    void applyFontToAllColumns(const QFont& font);

    // Printing.
    void on_print(QPrinter* printer);
    void paintPageTopText(QPainter& painter, const QRect& pageRect, int unused, int page);
    void paintTableRow(QPainter& painter, int x, int y, int unused, int lineHeight, int row);
    int getMaxFontPointSize() const;
    static QFont getRestrictedFont(QFont font);
    // The print dialog, made when printing is first asked for: most tables are never printed.
    Dialog_printTable* printDialog();

    // What tests and the window manager look at.
    bool isRunning() const { return m_bRunning; }
    bool isLastActiveTable() const;
    CTableDelegate* bodyDelegate() const { return m_pDelegate; }
    CTableDelegate_Header* headerDelegate() const { return m_pHeaderDelegate; }
    CTableModel* bodyModel() const { return m_pModel; }
    CTableModel* headerModel() const { return m_pHeaderModel; }
    CTableView* bodyView() const { return m_pDataView; }
    CTableView* headerView() const { return m_pHeaderView; }
    QCheckBox* trackCheckBox() const { return m_pTrackData; }
    QToolBar* toolBar() const { return m_pToolBar; }
    int dataColumnCount() const;
    bool hasPendingData() const { return m_pNewData->load(); }

public slots:
    void StartRunning();
    void EndRunning();
    void UpdateNewData();
    void LoggerDownloadNewData(bool offlineRun);
    void StartVideoAnalysisRun(int folderKey);
    void StopVideoAnalysisRun();
    void OnVideoPlaybackStart(int folderKey);
    void OnVideoPlaybackSample(int sample);
    void OnVideoPlaybackStop();
    void onVideoPlaybackStart(int folderKey);
    void onVideoPlaybackSample(int) {}
    void onVideoPlaybackStop() {}
    void removeColumnByKey(int key);
    // The redraw timer's work: the models grow to the data that arrived, the body repaints and
    // follows the newest rows.
    void RefreshNewData();

    void on_btn_font_clicked();
    void on_btn_print_clicked();
    void OnToolBarToggle();
    void onTableHeaderPressed(const QModelIndex& index);
    void onTableHeaderMouseEntered(const QModelIndex& index);
    void onTableHeaderContextMenuRequested(const QPoint& point);
    void onTableDataContextMenuRequested(const QPoint& point);
    void onTableContextMenuRequested(const QModelIndex& index);
    void onVerticalSliderPressed();
    void onTableWindowStateChanged(Qt::WindowStates oldState, Qt::WindowStates newState);
    void onFilePrintPreview();
    void onFilePrinterSetupDialog();
    void onCellValueChanged(int branchKey, int index);
    void onBranchValuesChanged(int key);

protected:
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildForm();
    void InitToolBar();
    void connectHub();
    CDataManager* dataManager() const;
    IPrompter* prompter() const;
    // Shapes both models for a new run or download of n branches with the given sample count.
    void prepareModels(int branches, int samples);
    // The common start of a run and of a video-analysis run: tool bar off, tracking on, the
    // models shaped for the run's folder, when there is one.
    void beginRunning(const CDataFolder* folder);
    // Grows both models to the data columns and the rows with data; never shrinks them.
    void growModels();
    void afterColumnsChanged();
    void repaintViews();
    void trackNewestRows();
    int visibleRowCount() const;
    void setupSamples(int* samples) const;
    // Whether a drag text may be dropped here (same kind of data as the first column).
    bool dropAcceptable(const QString& text) const;

    QWidget* m_pForm = nullptr;
    bool m_bRunning = false;
    CDataManager* m_pDataManager = nullptr;
    CTableDelegate* m_pDelegate = nullptr;
    CTableDelegate_Header* m_pHeaderDelegate = nullptr;
    CTableModel* m_pModel = nullptr;
    CTableModel* m_pHeaderModel = nullptr;
    Dialog_printTable* m_pPrintDialog = nullptr;
    QToolBar* m_pToolBar = nullptr;
    QList<QAction*> m_ToolBarActions;
    bool m_bVideoPlayback = false;

    CTableView* m_pHeaderView = nullptr;
    CTableView* m_pDataView = nullptr;
    QHBoxLayout* m_pToolBarLayout = nullptr;
    QPushButton* m_pToggleToolBar = nullptr;
    QCheckBox* m_pTrackData = nullptr;
    QTimer* m_pRedrawTimer = nullptr;
    // Set for every stored row, possibly on a logger thread (see connectHub); shared with the
    // connection so a late announcement never writes into a table that is gone.
    std::shared_ptr<std::atomic<bool>> m_pNewData = std::make_shared<std::atomic<bool>>(false);
    bool m_bInitialized = false;
};
