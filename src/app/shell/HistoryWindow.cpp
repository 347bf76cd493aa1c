#include "app/shell/HistoryWindow.h"

#include "app/base/ChildWindowHost.h"
#include "app/shell/HistoryRows.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "app/shell/HistoryTreeModel.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"
#include "Core/Logic/KorvantaSignals.h"
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
    m_bHistoryShown = true;
}

CHistoryWindow::~CHistoryWindow() = default;

CKorvantaSignals* CHistoryWindow::signalHub() const
{
    return m_pHost ? m_pHost->GetSignals() : nullptr;
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
    placeFolderEditor(index, folder, loaded);
    return index;
}

void CHistoryWindow::placeFolderEditor(const QModelIndex& index, const CDataFolder* folder, bool loaded)
{
    auto* editor = new DataFolderEditor(folder->m_Key, QModelIndex(), m_pModel->getItem(index), this);
    editor->init();
    if (!loaded)
        editor->disableDelete();
    editor->setCaption(folder->m_Name);
    editor->setIcon(folder->GetIconName());
    m_pUi->treeView->setIndexWidget(index, editor);
    m_pModel->setData(index, folder->m_Key, Qt::EditRole);
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
    placeBranchEditor(index, parent, parentKey, branch, loaded);
    if (interactive)
        m_pUi->treeView->expand(parent);
    return index;
}

void CHistoryWindow::placeBranchEditor(const QModelIndex& index, const QModelIndex& parent, int parentKey,
                                       const CDataBranch* branch, bool loaded, const QString* runName)
{
    auto* editor = new DataBranchEditor(branch->m_Key, parentKey, parent, m_pModel->getItem(index), this);
    editor->init();
    if (!loaded)
        editor->disableDelete();
    QString caption = branch->m_Name;
    if (!branch->m_Unit.isEmpty())
        caption += QStringLiteral(" (") + branch->m_Unit + QStringLiteral(")");
    editor->setCaption(caption);
    if (runName) {
        editor->setFolderName(*runName);
    } else {
        const CDataFolder* run = m_pDataManager->GetDataFolder(FindRunKey(parentKey));
        editor->setFolderName(run ? run->m_Name : QString());
    }
    editor->setPixmap(GetSensorIcon(branch->m_SensorIndex, branch->m_IconVariant,
                                    m_pDataManager->GetSensorCatalogue()));
    m_pUi->treeView->setIndexWidget(index, editor);
    m_pModel->setData(index, branch->m_Key, Qt::EditRole);
    notifyHasNewDataToSave();
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
            placeBranchEditor(index, folderIndex, folderKey, series.at(i), false, &folder->m_Name);
            m_LastIndex = index;
        }
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
    QVector<RebuiltRow> rows;
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
        folderItem->setData(folder->m_Key);
        rows.append({folderItem, root, folder->m_Key, -1, folder, nullptr});
        for (int j = 0; j < folder->GetNumberBranches(); ++j) {
            const int key = folder->GetBranchKey(j);
            if (key >= 0)
                collectBranch(folderItem, folder->m_Key, key, folder, branches, seen, rows);
        }
    }
    m_pModel->endRebuild();
    // The widgets go over the rows once the views know the whole tree.
    for (const RebuiltRow& row : rows) {
        const QModelIndex index = m_pModel->indexOf(row.item);
        if (!row.branch) {
            placeFolderEditor(index, row.folder, loaded);
            continue;
        }
        const QModelIndex parent = m_pModel->indexOf(row.parentItem);
        placeBranchEditor(index, parent, row.parentKey, row.branch, loaded, &row.folder->m_Name);
        m_LastIndex = index;
    }
}

void CHistoryWindow::collectBranch(HistoryTreeItem* parentItem, int parentKey, int branchKey,
                                   const CDataFolder* folder, const QHash<int, CDataBranch*>& branches,
                                   QSet<int>& seen, QVector<RebuiltRow>& rows)
{
    // Depth first without recursion: a derived chain from a file may be long. A series shows
    // once; a damaged file may list it twice or make it its own descendant.
    struct Pending
    {
        HistoryTreeItem* parentItem;
        int parentKey;
        int key;
    };
    QVector<Pending> stack{{parentItem, parentKey, branchKey}};
    while (!stack.isEmpty()) {
        const Pending next = stack.takeLast();
        CDataBranch* branch = seen.contains(next.key) ? nullptr : branches.value(next.key, nullptr);
        if (!branch)
            continue;
        seen.insert(next.key);
        next.parentItem->insertChildren(0, 1);
        HistoryTreeItem* item = next.parentItem->child(0);
        item->setData(next.key);
        rows.append({item, next.parentItem, next.key, next.parentKey, folder, branch});
        // Pushed last to first, so the children are taken in list order.
        const QVector<int> children = branch->m_ChildKeys.Snapshot();
        for (int i = children.size() - 1; i >= 0; --i)
            stack.append({item, next.key, children.at(i)});
    }
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
