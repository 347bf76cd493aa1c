// The table window's construction, tool bar, fonts, context menus and window events.
#include "table/TableWindow.h"
#include "windowbase/DeferredIcon.h"
#include "windowbase/FlatToolBar.h"

#include "windowbase/ChildWindowHost.h"
#include "windowbase/Prompter.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/DataManager.h"
#include "table/TableDelegate.h"
#include "table/TableModel.h"
#include "table/TablePrintDialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QToolBar>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>

const QColor CTableWindow::table_toolbarBackColor(192, 192, 192);

namespace {
CTableWindow::FontChooser& fontChooser()
{
    static CTableWindow::FontChooser chooser;
    return chooser;
}

bool chooseFont(QWidget* parent, const QFont& initial, QFont* chosen)
{
    if (fontChooser())
        return fontChooser()(parent, initial, chosen);
    bool ok = false;
    *chosen = QFontDialog::getFont(&ok, initial, parent, QString(), QFontDialog::DontUseNativeDialog);
    return ok;
}

const int s_FontMargin = 30;
} // namespace

void CTableWindow::SetFontChooser(FontChooser chooser)
{
    fontChooser() = std::move(chooser);
}

void CTableView::setCellDelegate(CTableDelegate* delegate)
{
    m_pCells = delegate;
    setItemDelegate(delegate);
}

void CTableView::paintEvent(QPaintEvent* event)
{
    if (m_pCells)
        m_pCells->beginPass();
    QTableView::paintEvent(event);
    if (m_pCells)
        m_pCells->endPass();
}

CTableWindow::CTableWindow(QWidget* parent, Qt::WindowFlags flags) : CKorvantaWindow(parent, flags)
{
    buildForm();
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setWindowTitle(tr("Table Window"));
    setAcceptDrops(true);
    if (CKorvantaSignals* hub = m_pHost ? m_pHost->GetSignals() : nullptr) {
        connect(hub, &CKorvantaSignals::VideoPlaybackStart, this, &CTableWindow::OnVideoPlaybackStart);
        connect(hub, &CKorvantaSignals::VideoPlaybackSample, this, &CTableWindow::OnVideoPlaybackSample);
        connect(hub, &CKorvantaSignals::VideoPlaybackStop, this, &CTableWindow::OnVideoPlaybackStop);
    }
    m_pRedrawTimer = new QTimer(this);
    m_pRedrawTimer->setInterval(s_RedrawMs);
    connect(m_pRedrawTimer, &QTimer::timeout, this, &CTableWindow::RefreshNewData);
}

CTableWindow::~CTableWindow()
{
    // The sub-window's own destructor reports a last state change; this part of the object is
    // gone by then.
    disconnect(this, &QMdiSubWindow::windowStateChanged, this, &CTableWindow::onTableWindowStateChanged);
}

void CTableWindow::buildForm()
{
    m_pForm = new QWidget;
    auto* layout = new QVBoxLayout(m_pForm);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* bar = new QGroupBox(m_pForm);
    bar->setObjectName(QStringLiteral("gb_toolBar"));
    bar->setFlat(true);
    auto* barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(2, 2, 2, 2);
    m_pToggleToolBar = new QPushButton(bar);
    m_pToggleToolBar->setObjectName(QStringLiteral("btn_toggleToolBar"));
    m_pToggleToolBar->setFixedSize(36, 36);
    barLayout->addWidget(m_pToggleToolBar);
    m_pToolBarLayout = new QHBoxLayout;
    m_pToolBarLayout->setObjectName(QStringLiteral("hl_toolBar"));
    barLayout->addLayout(m_pToolBarLayout, 1);
    layout->addWidget(bar);
    m_pHeaderView = new CTableView(m_pForm);
    m_pHeaderView->setObjectName(QStringLiteral("tableView_header"));
    m_pHeaderView->setMouseTracking(true);
    m_pHeaderView->setFrameShape(QFrame::NoFrame);
    m_pHeaderView->setShowGrid(false);
    layout->addWidget(m_pHeaderView);
    m_pDataView = new CTableView(m_pForm);
    m_pDataView->setObjectName(QStringLiteral("tableView_data"));
    m_pDataView->setFrameShape(QFrame::NoFrame);
    m_pDataView->setShowGrid(false);
    layout->addWidget(m_pDataView, 1);
    auto* bottom = new QHBoxLayout;
    bottom->setObjectName(QStringLiteral("hl_bottomBar"));
    m_pTrackData = new QCheckBox(m_pForm);
    m_pTrackData->setObjectName(QStringLiteral("cb_trackData"));
    bottom->addWidget(m_pTrackData);
    layout->addLayout(bottom);
    setWidget(m_pForm);
}

CDataManager* CTableWindow::dataManager() const
{
    return m_pDataManager ? m_pDataManager : (m_pHost ? m_pHost->GetDataManager() : nullptr);
}

IPrompter* CTableWindow::prompter() const
{
    return m_pHost ? m_pHost->GetPrompter() : ShellPrompter();
}

void CTableWindow::initWindow()
{
    if (m_bInitialized)
        return;
    m_bInitialized = true;
    CKorvantaWindow::initWindow();
    m_pDataManager = m_pHost ? m_pHost->GetDataManager() : nullptr;
    m_pModel = new CTableModel(this);
    m_pHeaderModel = new CTableModel(this, 1, CTableModel::s_DefaultColumns);

    QPalette palette = m_pForm->palette();
    palette.setColor(QPalette::Window, table_toolbarBackColor);
    palette.setColor(QPalette::Base, table_toolbarBackColor);
    // The views inherit the form's colours.
    m_pForm->setPalette(palette);
    m_pForm->setAutoFillBackground(true);

    m_pHeaderDelegate = new CTableDelegate_Header(this, m_pDataManager);
    m_pHeaderDelegate->setBorderColor(table_toolbarBackColor);
    m_pHeaderView->horizontalHeader()->hide();
    m_pHeaderView->verticalHeader()->hide();
    m_pHeaderView->setModel(m_pHeaderModel);
    m_pHeaderView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_pHeaderView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_pHeaderView->verticalScrollBar()->setEnabled(false);
    m_pHeaderView->verticalScrollBar()->hide();
    m_pHeaderView->setCellDelegate(m_pHeaderDelegate);
    m_pHeaderView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pHeaderView->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_pHeaderView, &QTableView::pressed, this, &CTableWindow::onTableHeaderPressed);
    connect(m_pHeaderView, &QWidget::customContextMenuRequested, this, &CTableWindow::onTableHeaderContextMenuRequested);
    connect(m_pHeaderView, &QTableView::entered, this, &CTableWindow::onTableHeaderMouseEntered);

    m_pDelegate = new CTableDelegate(this, m_pDataManager);
    m_pDelegate->setPrompter(prompter());
    m_pDelegate->setBorderColor(table_toolbarBackColor);
    m_pDelegate->setColumnSet(m_pHeaderDelegate->columnSet());
    m_pDataView->horizontalHeader()->hide();
    m_pDataView->verticalHeader()->hide();
    m_pDataView->setCellDelegate(m_pDelegate);
    m_pDataView->setModel(m_pModel);
    m_pDataView->setEditTriggers(QAbstractItemView::DoubleClicked);
    m_pDataView->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_pDataView, &QWidget::customContextMenuRequested, this, &CTableWindow::onTableDataContextMenuRequested);
    connect(m_pDelegate, &CTableDelegate::cellValChanged, this, &CTableWindow::onCellValueChanged);

    m_pHeaderDelegate->timeColumn()->m_Icon = QPixmap(QStringLiteral(":/images/Setup/watch-Icon.png"));
    changeTableDefaultTextCellSize(CTableColumn::COLUMN_CELL_BASE_WIDTH, CTableColumn::COLUMN_CELL_BASE_HEIGHT);
    connect(m_pHeaderView->horizontalScrollBar(), &QScrollBar::valueChanged, m_pDataView->horizontalScrollBar(),
            &QScrollBar::setValue);
    connect(m_pDataView->horizontalScrollBar(), &QScrollBar::valueChanged, m_pHeaderView->horizontalScrollBar(),
            &QScrollBar::setValue);
    connectHub();
    connect(m_pDataView->verticalScrollBar(), &QScrollBar::sliderPressed, this, &CTableWindow::onVerticalSliderPressed);
    resize(461, 500);
    m_pTrackData->setChecked(true);
    m_pTrackData->setText(tr("Track Data"));
    m_pTrackData->setFixedSize(0, 0);
    connect(this, &QMdiSubWindow::windowStateChanged, this, &CTableWindow::onTableWindowStateChanged);
    m_pHeaderDelegate->indexColumn()->setColumnWidth(m_pDelegate->getIndexColumnMaxWidthInPxls());
    m_pDataView->resizeColumnToContents(0);
    m_pHeaderView->resizeRowsToContents();
    m_pHeaderView->resizeColumnToContents(0);
    InitToolBar();
}

void CTableWindow::connectHub()
{
    CKorvantaSignals* hub = m_pHost ? m_pHost->GetSignals() : nullptr;
    if (!hub)
        return;
    connect(hub, &CKorvantaSignals::LoggerStartedRun, this, &CTableWindow::StartRunning);
    connect(hub, &CKorvantaSignals::LoggerExperimentEnd, this, &CTableWindow::EndRunning);
    // Announced for every stored row, up to 100,000 times a second, from the logger's thread:
    // a queued slot call per row would cost an event each. The announcement only sets a flag
    // that the redraw timer reads, which is safe on any thread.
    std::shared_ptr<std::atomic<bool>> flag = m_pNewData;
    connect(hub, &CKorvantaSignals::LoggerNewDataArrived, this, [flag]() { flag->store(true); },
            Qt::DirectConnection);
    connect(hub, &CKorvantaSignals::LoggerDownloadFinshed, this, &CTableWindow::LoggerDownloadNewData);
    connect(hub, &CKorvantaSignals::VideoPlaybackStart, this, &CTableWindow::onVideoPlaybackStart);
    connect(hub, &CKorvantaSignals::VideoPlaybackSample, this, &CTableWindow::onVideoPlaybackSample);
    connect(hub, &CKorvantaSignals::VideoPlaybackStop, this, &CTableWindow::onVideoPlaybackStop);
    connect(hub, &CKorvantaSignals::dataKeyIsDeleted, this, &CTableWindow::removeColumnByKey);
    connect(hub, &CKorvantaSignals::branchValuesChanged, this, &CTableWindow::onBranchValuesChanged);
    connect(hub, &CKorvantaSignals::VideoAnalysisStart, this, &CTableWindow::StartVideoAnalysisRun);
    connect(hub, &CKorvantaSignals::VideoAnalysisStop, this, &CTableWindow::StopVideoAnalysisRun);
}

void CTableWindow::InitToolBar()
{
    m_pToolBar = new CFlatToolBar(this);
    QPalette palette = m_pToolBar->palette();
    palette.setColor(QPalette::Window, table_toolbarBackColor);
    m_pToolBar->setPalette(palette);
    m_pToolBar->setMovable(false);
    m_pToolBar->setFixedSize(200, 26);
    m_pToolBar->setIconSize(QSize(24, 24));
    struct Entry
    {
        const char* text;
        int key;
        const char* stem;
        void (CTableWindow::*slot)();
    };
    const Entry entries[] = {
        {QT_TR_NOOP("Font Settings"), 43, "://images/table/Properties_", &CTableWindow::on_btn_font_clicked},
        {QT_TR_NOOP("Print"), 42, "://images/table/Print_", &CTableWindow::on_btn_print_clicked},
    };
    for (const Entry& e : entries) {
        QIcon icon = KorvantaIcons::Deferred(QString::fromLatin1(e.stem) + QStringLiteral("normal.png"));
        icon.addFile(QString::fromLatin1(e.stem) + QStringLiteral("press.png"), QSize(), QIcon::Active, QIcon::On);
        icon.addFile(QString::fromLatin1(e.stem) + QStringLiteral("Rollover.png"), QSize(), QIcon::Active);
        icon.addFile(QString::fromLatin1(e.stem) + QStringLiteral("disable.png"), QSize(), QIcon::Disabled);
        auto* action = new QAction(icon, tr(e.text), this);
        action->setData(e.key);
        action->setCheckable(false);
        connect(action, &QAction::triggered, this, e.slot);
        m_pToolBar->addAction(action);
        m_ToolBarActions.append(action);
    }
    m_pToolBarLayout->addWidget(m_pToolBar, 0, Qt::AlignLeft | Qt::AlignVCenter);
    m_pToolBarLayout->addStretch(1);
    m_pToggleToolBar->setText(QString());
    m_pToggleToolBar->setIcon(KorvantaIcons::Deferred(QStringLiteral(":/images/GraphToolbar/Closing-toolbar.png")));
    m_pToggleToolBar->setFlat(true);
    m_pToggleToolBar->setCheckable(true);
    m_pToggleToolBar->setAutoFillBackground(true);
    connect(m_pToggleToolBar, &QPushButton::clicked, this, &CTableWindow::OnToolBarToggle);
}

void CTableWindow::OnToolBarToggle()
{
    const bool show = m_pToolBar->isHidden();
    m_pToolBar->setVisible(show);
    m_pToggleToolBar->setIcon(QIcon(show ? QStringLiteral(":/images/GraphToolbar/Closing-toolbar.png")
                                         : QStringLiteral(":/images/GraphToolbar/Opening-toolbar.png")));
}

void CTableWindow::changeTableDefaultTextCellSize(int width, int height)
{
    m_pDelegate->changeAllTableColumnsDefaultSize(width, height);
    for (CTableView* view : {m_pHeaderView, m_pDataView}) {
        if (height > 0)
            view->verticalHeader()->setDefaultSectionSize(height);
        if (width > 0)
            view->horizontalHeader()->setDefaultSectionSize(width);
    }
    const int cellHeight = m_pDelegate->timeColumn()->m_CellHeight;
    m_pHeaderView->setFixedHeight(CTableModel::COLUMN_ICON_HEIGHT + cellHeight);
}

QSize CTableWindow::calcColumnCellSizeByFontAndTextLength(const QFontMetrics& metrics, int viewColumn) const
{
    return m_pDelegate ? m_pDelegate->calcColumnCellSize(metrics, viewColumn) : QSize();
}

int CTableWindow::dataColumnCount() const
{
    return m_pDelegate ? m_pDelegate->dataColumnCount() : 0;
}

void CTableWindow::applyColumnFont(int c, const QFont& font)
{
    CTableColumn* column = m_pDelegate ? m_pDelegate->viewColumn(c) : nullptr;
    if (!column)
        return;
    column->setColumnFont(font);
    const QSize size = calcColumnCellSizeByFontAndTextLength(QFontMetrics(column->getColumnFont()), c);
    column->setColumnWidth(size.width() + s_FontMargin);
    if (size.height() > column->m_CellHeight) {
        m_pDelegate->changeAllTableColumnsDefaultSize(-1, size.height());
        for (CTableView* view : {m_pHeaderView, m_pDataView})
            view->verticalHeader()->setDefaultSectionSize(size.height());
        m_pHeaderView->setFixedHeight(CTableModel::COLUMN_ICON_HEIGHT + size.height());
        m_pHeaderView->resizeRowsToContents();
    }
    m_pDataView->resizeColumnToContents(c);
    m_pHeaderView->resizeColumnToContents(c);
    repaintViews();
    notifyHasNewDataToSave();
}

void CTableWindow::applyFontToAllColumns(const QFont& font)
{
    m_pDelegate->setDefaultFont(font);
    QSize last;
    const int count = dataColumnCount() + 2;
    for (int c = 0; c < count; ++c) {
        CTableColumn* column = m_pDelegate->viewColumn(c);
        column->setColumnFont(font);
        last = calcColumnCellSizeByFontAndTextLength(QFontMetrics(column->getColumnFont()), c);
        column->setColumnWidth(last.width() + s_FontMargin);
    }
    changeTableDefaultTextCellSize(last.width() + s_FontMargin, last.height() + s_FontMargin);
    m_pDelegate->indexColumn()->setColumnWidth(m_pDelegate->getIndexColumnMaxWidthInPxls());
    for (int c = 0; c < count; ++c) {
        m_pDataView->resizeColumnToContents(c);
        m_pHeaderView->resizeColumnToContents(c);
    }
    m_pHeaderView->resizeRowsToContents();
    repaintViews();
    notifyHasNewDataToSave();
}

void CTableWindow::on_btn_font_clicked()
{
    QFont chosen;
    if (chooseFont(this, m_pDelegate->defaultFont(), &chosen))
        applyFontToAllColumns(chosen);
}

void CTableWindow::onTableHeaderMouseEntered(const QModelIndex& index)
{
    const int c = index.column();
    QString tip;
    if (c == 1) {
        tip = m_pDelegate->timeColumn()->m_Name;
    } else if (const CTableColumn* column = m_pDelegate->dataColumn(c - 2)) {
        tip = column->m_FolderName + QLatin1Char('\n') + column->m_Name;
        if (!column->m_Unit.isEmpty())
            tip += QLatin1Char('(') + column->m_Unit + QLatin1Char(')');
    }
    const QRect cell = m_pHeaderView->visualRect(index);
    QToolTip::showText(QCursor::pos(), tip, m_pHeaderView->viewport(), cell);
}

void CTableWindow::onTableHeaderContextMenuRequested(const QPoint& point)
{
    if (dataColumnCount() > 0)
        onTableContextMenuRequested(m_pHeaderView->indexAt(point));
}

void CTableWindow::onTableDataContextMenuRequested(const QPoint& point)
{
    if (dataColumnCount() > 0)
        onTableContextMenuRequested(m_pDataView->indexAt(point));
}

void CTableWindow::onTableContextMenuRequested(const QModelIndex& index)
{
    int c = index.column();
    if (!index.isValid() || c >= dataColumnCount() + 2)
        return;
    QMenu menu(this);
    QAction* font = menu.addAction(tr("Change Column Font"));
    QAction* remove = c >= 2 ? menu.addAction(tr("Remove Column")) : nullptr;
    const int key = c >= 2 ? m_pDelegate->dataColumn(c - 2)->m_Key : -1;
    QAction* chosen = menu.exec(QCursor::pos());
    // The menu ran an event loop (a run may have started): find a data column again by key.
    if (c >= 2) {
        const int d = m_pDelegate->getColumnIndexByKey(key);
        if (d < 0)
            return;
        c = d + 2;
    }
    if (chosen && chosen == remove) {
        removeColumnFromTable(c);
    } else if (chosen && chosen == font) {
        QFont picked;
        if (!chooseFont(this, m_pDelegate->getColumnFont(c), &picked))
            return;
        // So did the font dialog.
        if (c >= 2) {
            const int d = m_pDelegate->getColumnIndexByKey(key);
            if (d < 0)
                return;
            c = d + 2;
        }
        applyColumnFont(c, picked);
    }
}

void CTableWindow::onVerticalSliderPressed()
{
    m_pTrackData->setChecked(false);
}

void CTableWindow::onTableWindowStateChanged(Qt::WindowStates, Qt::WindowStates newState)
{
    if (newState == Qt::WindowActive && m_pHost)
        m_pHost->SetLastActiveTable(this);
}

bool CTableWindow::isLastActiveTable() const
{
    return m_pHost && m_pHost->GetLastActiveTable() == this;
}

void CTableWindow::onCellValueChanged(int branchKey, int)
{
    // An edited value is a change of the workspace: without this the edit would be lost on
    // exit without a question. Every window that shows the series hears of it.
    m_pDataView->viewport()->update();
    notifyHasNewDataToSave();
    if (CKorvantaSignals* hub = m_pHost ? m_pHost->GetSignals() : nullptr)
        emit hub->branchValuesChanged(branchKey);
}

void CTableWindow::onBranchValuesChanged(int key)
{
    if (isKeyExistOnTable(key))
        m_pDataView->viewport()->update();
}

void CTableWindow::closeEvent(QCloseEvent* event)
{
    if (m_bRunning) {
        event->ignore();
        return;
    }
    m_pRedrawTimer->stop();
    if (isLastActiveTable())
        m_pHost->SetLastTableActive(this);
    CKorvantaWindow::closeEvent(event);
}

void CTableWindow::mousePressEvent(QMouseEvent* event)
{
    QMdiSubWindow::mousePressEvent(event);
}

void CTableWindow::mouseReleaseEvent(QMouseEvent* event)
{
    QMdiSubWindow::mouseReleaseEvent(event);
}

void CTableWindow::mouseMoveEvent(QMouseEvent* event)
{
    QMdiSubWindow::mouseMoveEvent(event);
}

void CTableWindow::repaintViews()
{
    // Columns come and go before every repaint of the views: the time column follows the first.
    if (m_pDelegate)
        m_pDelegate->refreshTimeColumn();
    m_pHeaderView->viewport()->update();
    m_pDataView->viewport()->update();
}
