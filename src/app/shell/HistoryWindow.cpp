#include "app/shell/HistoryWindow.h"

#include "windowbase/ChildWindowHost.h"
#include "windowbase/Prompter.h"
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
    m_pUi->treeView->setRows(this);
    m_bHistoryShown = true;
}

CHistoryWindow::~CHistoryWindow() = default;

CKorvantaSignals* CHistoryWindow::signalHub() const
{
    return m_pHost ? m_pHost->GetSignals() : nullptr;
}

IPrompter* CHistoryWindow::prompter() const
{
    return m_pHost ? m_pHost->GetPrompter() : ShellPrompter();
}

void CHistoryWindow::SetDataManager(CDataManager* data)
{
    m_pDataManager = data;
    m_FolderPlaces.clear();
    m_FolderPlacesCount = -1;
    m_SeriesPictures.clear();
}

const QIcon& CHistoryWindow::deleteIcon() const
{
    return m_pUi->treeView->deleteIcon();
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
        // Before the slots that add rows: the rows a run start adds are stamped after the lock
        // changed, so they keep the state they are added with.
        connect(hub, &CKorvantaSignals::LoggerStartedRun, this, &CHistoryWindow::onDeleteLocked);
        connect(hub, &CKorvantaSignals::LoggerExperimentEnd, this, &CHistoryWindow::onDeleteUnlocked);
        connect(hub, &CKorvantaSignals::LoggerDownloadFinshed, this, &CHistoryWindow::onDeleteUnlocked);
        connect(hub, &CKorvantaSignals::VideoAnalysisStart, this, &CHistoryWindow::onTrackingStarted);
        connect(hub, &CKorvantaSignals::VideoAnalysisStop, this, &CHistoryWindow::onTrackingStopped);
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
    // A row for a folder that does not exist would stay in the tree showing nothing.
    CDataFolder* folder = m_pDataManager ? m_pDataManager->GetDataFolder(key) : nullptr;
    if (!folder || !m_pModel->insertRows(row, 1, root))
        return QModelIndex();
    const QModelIndex index = m_pModel->index(row, 0, root);
    describeRow(m_pModel->getItem(index), key, key, loaded);
    m_pModel->setData(index, key, Qt::EditRole);
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

void CHistoryWindow::noteDeleteLock()
{
    ++m_LockChanges;
    m_bDeleteAllowed = !m_bLoggerLock && !m_bTrackingLock;
    // Every delete button on screen changes with it.
    m_pUi->treeView->viewport()->update();
}

const CDataFolder* CHistoryWindow::findFolder(int key) const
{
    if (!m_pDataManager)
        return nullptr;
    const int count = m_pDataManager->GetNumDataFolders();
    const CDataFolder* last = m_pDataManager->GetLastDataFolder();
    const int lastKey = last ? last->m_Key : -1;
    for (int attempt = 0; attempt < 2; ++attempt) {
        const auto place = m_FolderPlaces.constFind(key);
        if (place != m_FolderPlaces.constEnd()) {
            // The list pointer is alive for as long as the list holds it; the key says whether
            // it is still the same run.
            const CDataFolder* folder = m_pDataManager->GetDataFolderByIndex(place.value());
            if (folder && folder->m_Key == key)
                return folder;
        } else if (count == m_FolderPlacesCount && lastKey == m_FolderPlacesLastKey) {
            return nullptr;
        }
        if (attempt == 1)
            break;
        m_FolderPlaces.clear();
        m_FolderPlaces.reserve(count);
        // Backwards, so that of two runs with one key (a damaged file) the first stays, as the
        // store's own lookup finds it.
        for (int i = count - 1; i >= 0; --i)
            if (const CDataFolder* folder = m_pDataManager->GetDataFolderByIndex(i))
                m_FolderPlaces.insert(folder->m_Key, i);
        m_FolderPlacesCount = count;
        m_FolderPlacesLastKey = lastKey;
    }
    return nullptr;
}

QPixmap CHistoryWindow::folderPicture(const CDataFolder* folder) const
{
    const QString path = folder->GetIconName();
    auto known = m_FolderPictures.constFind(path);
    if (known == m_FolderPictures.constEnd())
        known = m_FolderPictures.insert(path, QPixmap(path));
    return known.value();
}

QPixmap CHistoryWindow::seriesPicture(const CDataBranch* branch) const
{
    const qint64 which = (qint64(branch->m_SensorIndex) << 32) | quint32(branch->m_IconVariant);
    auto known = m_SeriesPictures.constFind(which);
    if (known == m_SeriesPictures.constEnd())
        known = m_SeriesPictures.insert(
            which, GetSensorIcon(branch->m_SensorIndex, branch->m_IconVariant, m_pDataManager->GetSensorCatalogue()));
    return known.value();
}

HistoryRowLook CHistoryWindow::rowLook(const QModelIndex& index) const
{
    HistoryRowLook look;
    if (!index.isValid() || index.model() != m_pModel || !m_pDataManager)
        return look;
    const HistoryTreeItem* item = m_pModel->getItem(index);
    // A fresh row holds a boolean until its key is stored: nothing to show yet.
    if (item->data().type() != QVariant::Int)
        return look;
    const int key = item->data().toInt();
    look.deletable = rowDeletable(item->rowInfo());
    if (!index.parent().isValid()) {
        const CDataFolder* folder = findFolder(key);
        if (!folder)
            return look;
        look.valid = look.run = true;
        look.caption = folder->m_Name;
        look.picture = folderPicture(folder);
        return look;
    }
    const CDataBranch* branch = m_pDataManager->GetDataBranch(key);
    if (!branch)
        return look;
    look.valid = true;
    look.caption = branch->m_Name;
    if (!branch->m_Unit.isEmpty())
        look.caption += QStringLiteral(" (") + branch->m_Unit + QStringLiteral(")");
    look.picture = seriesPicture(branch);
    return look;
}

QString CHistoryWindow::runNameOf(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != m_pModel)
        return QString();
    const CDataFolder* run = findFolder(m_pModel->getItem(index)->rowInfo().runKey);
    return run ? run->m_Name : QString();
}

std::unique_ptr<CHistoryRow> CHistoryWindow::rowAt(const QModelIndex& index)
{
    if (std::unique_ptr<DataFolderEditor> run = folderRow(index))
        return run;
    return branchRow(index);
}

std::unique_ptr<DataFolderEditor> CHistoryWindow::folderRow(const QModelIndex& index)
{
    const HistoryRowLook look = rowLook(index);
    if (!look.valid || !look.run)
        return nullptr;
    return std::make_unique<DataFolderEditor>(this, index, m_pModel->getItem(index)->data().toInt());
}

std::unique_ptr<DataBranchEditor> CHistoryWindow::branchRow(const QModelIndex& index)
{
    const HistoryRowLook look = rowLook(index);
    if (!look.valid || look.run)
        return nullptr;
    const int parentKey = m_pModel->getItem(index.parent())->data().toInt();
    return std::make_unique<DataBranchEditor>(this, index, m_pModel->getItem(index)->data().toInt(), parentKey);
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
    notifyHasNewDataToSave();
    return index;
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
    m_FolderPlaces.clear();
    m_FolderPlacesCount = -1;
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
