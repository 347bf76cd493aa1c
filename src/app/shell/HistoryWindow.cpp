#include "app/shell/HistoryWindow.h"

#include "app/base/ChildWindowHost.h"
#include "app/shell/HistoryRows.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "app/shell/HistoryTreeModel.h"
#include "app/shell/HistoryTreeView.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"
#include "Core/Base/KorvantaSignals.h"
#include "ui_HistoryWindow.h"

#include <QCloseEvent>
#include <QTimer>
#include <QTreeView>

CHistoryWindow::CHistoryWindow(QWidget* parent, Qt::WindowFlags flags)
    : CKorvantaWindow(parent, flags), m_pUi(new Ui::CHistoryWindow), m_pManager(parent)
{
    auto* container = new QWidget;
    m_pUi->setupUi(container);
    setWidget(container);
    m_pModel = new CHistoryTreeModel(this);
    m_pUi->treeView->setModel(m_pModel);
    connect(m_pUi->treeView, &QTreeView::expanded, this, &CHistoryWindow::onRowExpanded);
    connect(m_pUi->treeView, &CHistoryTreeView::rowWidgetWanted, this,
            [this](const QModelIndex& index) { makeRowWidget(index); });
    m_bHistoryShown = true;
}

CHistoryWindow::~CHistoryWindow() = default;

CKorvantaSignals* CHistoryWindow::signalHub() const
{
    return m_pHost ? m_pHost->GetSignals() : nullptr;
}

const QIcon& CHistoryWindow::deleteIcon() const
{
    if (m_DeleteIcon.isNull())
        m_DeleteIcon = HistoryDeleteIcon();
    return m_DeleteIcon;
}

QTreeView* CHistoryWindow::treeView() const
{
    return m_pUi->treeView;
}

void CHistoryWindow::initWindow()
{
    // A second call would connect the hub again and every run would appear twice.
    if (m_bInitialized)
        return;
    m_bInitialized = true;
    CKorvantaWindow::initWindow();
    setWindowTitle(tr("History"));
    setGeometry(0, 0, 370, 300);
    if (CKorvantaSignals* hub = signalHub()) {
        // Before the slots that add rows: a run added by the same announcement keeps the state
        // it is added with, as its widgets, made after the announcement began, never hear it.
        connect(hub, &CKorvantaSignals::LoggerStartedRun, this, &CHistoryWindow::onDeleteLocked);
        connect(hub, &CKorvantaSignals::LoggerExperimentEnd, this, &CHistoryWindow::onDeleteUnlocked);
        connect(hub, &CKorvantaSignals::LoggerDownloadFinshed, this, &CHistoryWindow::onDeleteUnlocked);
        connect(hub, &CKorvantaSignals::LoggerStartedRun, this, &CHistoryWindow::newFolder);
        connect(hub, &CKorvantaSignals::LoggerDownloadFinshed, this, &CHistoryWindow::OnDownloadFinshed);
    }
}

bool CHistoryWindow::isEmpty() const
{
    return m_pModel->rowCount() == 0;
}

QModelIndex CHistoryWindow::insertFolder(int key, bool loaded)
{
    const QModelIndex root;
    const int row = m_pModel->rowCount(root);
    collapseTree();
    // A row for a folder that does not exist would stay in the tree with no widget over it.
    CDataFolder* folder = m_pDataManager ? m_pDataManager->GetDataFolder(key) : nullptr;
    if (!folder || !m_pModel->insertRows(row, 1, root))
        return QModelIndex();
    const QModelIndex index = m_pModel->index(row, 0, root);
    describeRow(m_pModel->getItem(index), key, key, loaded);
    m_pModel->setData(index, key, Qt::EditRole);
    makeRowWidget(index);
    return index;
}

void CHistoryWindow::describeRow(HistoryTreeItem* item, int key, int runKey, bool loaded)
{
    item->setData(key);
    HistoryRowInfo& info = item->rowInfo();
    info.runKey = runKey;
    info.deletable = loaded;
    info.lockStamp = m_LockChanges;
}

bool CHistoryWindow::rowDeletable(const HistoryRowInfo& info) const
{
    return info.lockStamp < m_LockChanges ? m_bDeleteAllowed : info.deletable;
}

void CHistoryWindow::noteDeleteLock(bool deletable)
{
    // The widgets that exist hear the hub themselves; this is for those made later.
    ++m_LockChanges;
    m_bDeleteAllowed = deletable;
}

bool CHistoryWindow::rowShows(const QModelIndex& index) const
{
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
        if (!m_pUi->treeView->isExpanded(up))
            return false;
    return true;
}

void CHistoryWindow::makeRowWidget(const QModelIndex& index, RunLookup* runs)
{
    if (!index.isValid() || !m_pDataManager || m_pUi->treeView->indexWidget(index) || !rowShows(index))
        return;
    const HistoryTreeItem* item = m_pModel->getItem(index);
    // A fresh row holds a boolean until its key is stored: nothing to show yet.
    if (item->data().type() != QVariant::Int)
        return;
    const int key = item->data().toInt();
    const HistoryRowInfo& info = item->rowInfo();
    if (!index.parent().isValid()) {
        if (const CDataFolder* folder = m_pDataManager->GetDataFolder(key))
            placeFolderEditor(index, folder, rowDeletable(info));
        return;
    }
    const CDataBranch* branch = m_pDataManager->GetDataBranch(key);
    if (!branch)
        return;
    RunLookup single;
    RunLookup& lookup = runs ? *runs : single;
    if (lookup.key != info.runKey) {
        lookup.key = info.runKey;
        lookup.folder = m_pDataManager->GetDataFolder(info.runKey);
    }
    const CDataFolder* run = lookup.folder;
    const int parentKey = m_pModel->getItem(index.parent())->data().toInt();
    placeBranchEditor(index, parentKey, branch, rowDeletable(info), run ? run->m_Name : QString());
}

void CHistoryWindow::onRowExpanded(const QModelIndex& index)
{
    // The rows that come into view: the children of the row, and below every child that was
    // left expanded, its children in turn.
    QVector<QModelIndex> pending{index};
    RunLookup runs;
    while (!pending.isEmpty()) {
        const QModelIndex parent = pending.takeLast();
        for (int row = 0; row < m_pModel->rowCount(parent); ++row) {
            const QModelIndex child = m_pModel->index(row, 0, parent);
            makeRowWidget(child, &runs);
            if (m_pUi->treeView->isExpanded(child))
                pending.append(child);
        }
    }
}

void CHistoryWindow::placeFolderEditor(const QModelIndex& index, const CDataFolder* folder, bool deletable)
{
    auto* editor = new DataFolderEditor(folder->m_Key, index, this);
    editor->init();
    if (!deletable)
        editor->disableDelete();
    editor->setCaption(folder->m_Name);
    editor->setIcon(folder->GetIconName());
    m_pUi->treeView->setIndexWidget(index, editor);
}

QModelIndex CHistoryWindow::insertChild(int parentKey, int childKey, bool loaded)
{
    collapseTree();
    const QModelIndex parent = m_pModel->findKey(parentKey);
    if (!parent.isValid())
        return QModelIndex();
    return insertChildAt(parent, parentKey, childKey, loaded, true);
}

int CHistoryWindow::FindRunKey(int key) const
{
    if (!m_pDataManager)
        return -1;
    // Owner keys come from files; a chain that returns to a key already seen would otherwise
    // be followed for ever.
    QSet<int> seen;
    while (!m_pDataManager->GetDataFolder(key)) {
        if (seen.contains(key))
            return -1;
        seen.insert(key);
        CDataBranch* branch = m_pDataManager->GetDataBranch(key);
        if (!branch)
            return -1;
        key = branch->m_OwnerKey;
    }
    return key;
}

QModelIndex CHistoryWindow::insertChildAt(const QModelIndex& parent, int parentKey, int childKey, bool loaded,
                                          bool interactive)
{
    CDataBranch* branch = m_pDataManager ? m_pDataManager->GetDataBranch(childKey) : nullptr;
    if (!branch || !m_pModel->insertRows(0, 1, parent))
        return QModelIndex();
    const QModelIndex index = m_pModel->index(0, 0, parent);
    // The run is found by the owner chain, as a derived series may come from any run.
    describeRow(m_pModel->getItem(index), childKey, FindRunKey(parentKey), loaded);
    m_pModel->setData(index, childKey, Qt::EditRole);
    if (interactive)
        m_pUi->treeView->expand(parent);
    makeRowWidget(index);
    notifyHasNewDataToSave();
    return index;
}

void CHistoryWindow::placeBranchEditor(const QModelIndex& index, int parentKey, const CDataBranch* branch,
                                       bool deletable, const QString& runName)
{
    auto* editor = new DataBranchEditor(branch->m_Key, parentKey, index, this);
    editor->init();
    if (!deletable)
        editor->disableDelete();
    QString caption = branch->m_Name;
    if (!branch->m_Unit.isEmpty())
        caption += QStringLiteral(" (") + branch->m_Unit + QStringLiteral(")");
    editor->setCaption(caption);
    editor->setFolderName(runName);
    editor->setPixmap(GetSensorIcon(branch->m_SensorIndex, branch->m_IconVariant,
                                    m_pDataManager->GetSensorCatalogue()));
    m_pUi->treeView->setIndexWidget(index, editor);
}

void CHistoryWindow::newFolder()
{
    CDataFolder* folder = m_pDataManager ? m_pDataManager->GetLastDataFolder() : nullptr;
    if (!folder)
        return;
    const int folderKey = folder->m_Key;
    const QModelIndex folderIndex = insertFolder(folderKey, false);
    if (!folderIndex.isValid())
        return;
    m_LastIndex = folderIndex;
    // One key per locking: the logger thread may still be adding to the folder's list.
    QVector<const CDataBranch*> series;
    for (int i = 0; i < folder->GetNumberBranches(); ++i) {
        const int key = folder->GetBranchKey(i);
        if (key < 0)
            break;
        if (const CDataBranch* branch = m_pDataManager->GetDataBranch(key))
            series.append(branch);
    }
    // Each series goes in above the ones before it, so the rows show them last to first. All
    // rows go in at once: one insertion into the new, empty run row costs the views nothing
    // for the rows already in the tree, where one insertion per series would.
    const int count = series.size();
    if (count > 0 && m_pModel->insertRows(0, count, folderIndex)) {
        for (int i = 0; i < count; ++i) {
            const QModelIndex index = m_pModel->index(count - 1 - i, 0, folderIndex);
            describeRow(m_pModel->getItem(index), series.at(i)->m_Key, folderKey, false);
            m_LastIndex = index;
        }
        // The series rows get their widgets as the run opens.
        m_pUi->treeView->expand(folderIndex);
    }
    notifyHasNewDataToSave();
}

void CHistoryWindow::removeAllRows()
{
    const int rows = m_pModel->rowCount();
    if (rows > 0)
        m_pModel->removeRows(0, rows, QModelIndex());
    m_LastIndex = QPersistentModelIndex();
}

void CHistoryWindow::Clean()
{
    removeAllRows();
}

void CHistoryWindow::Restore(bool loaded)
{
    removeAllRows();
    if (!m_pDataManager)
        return;
    collapseTree();
    HistoryTreeItem* root = m_pModel->getItem(QModelIndex());
    HistoryTreeItem* last = nullptr;
    QSet<int> seen;
    // One pass over the branch list instead of a search of it for every row.
    QHash<int, CDataBranch*> branches;
    for (int i = 0; i < m_pDataManager->GetNumDataBranches(); ++i)
        if (CDataBranch* branch = m_pDataManager->GetDataBranchByIndex(i))
            branches.insert(branch->m_Key, branch);
    m_pModel->beginRebuild();
    for (int i = 0; i < m_pDataManager->GetNumDataFolders(); ++i) {
        CDataFolder* folder = m_pDataManager->GetDataFolderByIndex(i);
        if (!folder)
            continue;
        root->insertChildren(root->childCount(), 1);
        HistoryTreeItem* folderItem = root->child(root->childCount() - 1);
        describeRow(folderItem, folder->m_Key, folder->m_Key, loaded);
        for (int j = 0; j < folder->GetNumberBranches(); ++j) {
            const int key = folder->GetBranchKey(j);
            if (key >= 0)
                last = collectBranch(folderItem, folder->m_Key, key, branches, seen, loaded, last);
        }
    }
    m_pModel->endRebuild();
    m_LastIndex = m_pModel->indexOf(last);
    // The widgets go over the rows once the views know the whole tree; every run is closed, so
    // only the runs' own rows show.
    for (int row = 0; row < m_pModel->rowCount(); ++row)
        makeRowWidget(m_pModel->index(row, 0));
    if (last)
        notifyHasNewDataToSave();
}

HistoryTreeItem* CHistoryWindow::collectBranch(HistoryTreeItem* parentItem, int runKey, int branchKey,
                                               const QHash<int, CDataBranch*>& branches, QSet<int>& seen,
                                               bool loaded, HistoryTreeItem* last)
{
    // Depth first without recursion: a derived chain from a file may be long. A series shows
    // once; a damaged file may list it twice or make it its own descendant.
    struct Pending
    {
        HistoryTreeItem* parentItem;
        int key;
    };
    QVector<Pending> stack{{parentItem, branchKey}};
    while (!stack.isEmpty()) {
        const Pending next = stack.takeLast();
        CDataBranch* branch = seen.contains(next.key) ? nullptr : branches.value(next.key, nullptr);
        if (!branch)
            continue;
        seen.insert(next.key);
        next.parentItem->insertChildren(0, 1);
        HistoryTreeItem* item = next.parentItem->child(0);
        describeRow(item, next.key, runKey, loaded);
        last = item;
        // Pushed last to first, so the children are taken in list order.
        const QVector<int> children = branch->m_ChildKeys.Snapshot();
        for (int i = children.size() - 1; i >= 0; --i)
            stack.append({item, children.at(i)});
    }
    return last;
}

void CHistoryWindow::collapseTree()
{
    // The view tracks its expanded rows: collapsing only those leaves what collapseAll()
    // leaves without laying out and placing every row again. Not animated, as collapseAll().
    const bool animated = m_pUi->treeView->isAnimated();
    m_pUi->treeView->setAnimated(false);
    m_pUi->treeView->collapseEverything();
    m_pUi->treeView->setAnimated(animated);
}

void CHistoryWindow::ExpandLastBranch()
{
    collapseTree();
    if (!m_LastIndex.isValid())
        return;
    const QModelIndex parent = m_LastIndex.parent();
    if (parent.isValid())
        m_pUi->treeView->expand(parent);
}

void CHistoryWindow::OnDownloadFinshed(bool offlineRun)
{
    if (!offlineRun)
        newFolder();
    m_bOfflineRun = offlineRun;
    QTimer::singleShot(200, this, &CHistoryWindow::EnableLastFolderDelete);
}

void CHistoryWindow::EnableLastFolderDelete()
{
    if (!m_bOfflineRun)
        Restore(true);
    m_pUi->treeView->scrollToBottom();
}

void CHistoryWindow::closeEvent(QCloseEvent* event)
{
    m_bHistoryShown = false;
    if (m_pManager)
        QTimer::singleShot(10, m_pManager, [manager = QPointer<QObject>(m_pManager)]() {
            if (manager)
                QMetaObject::invokeMethod(manager, "UpdateWindowsArrangement");
        });
    event->ignore();
    hide();
}
