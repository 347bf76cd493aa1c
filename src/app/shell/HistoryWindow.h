#pragma once
// The "History" child window: every run with its series as a tree the user sees, drags and
// deletes from. It is rebuilt from the data manager when the workspace changes as a whole and
// grows row by row when a run starts and when analysis adds a series. A series row has its
// widget only while it shows (every row above it expanded): a long history holds tens of
// thousands of series rows, and the toolkit pays for every widget on every change of the tree.
#include "app/base/KorvantaWindow.h"

#include <QModelIndex>
#include <QPointer>
#include <QHash>
#include <QIcon>
#include <QSet>
#include <QVector>
#include <memory>

class CDataBranch;
class CDataFolder;
class CDataManager;
class HistoryTreeItem;
struct HistoryRowInfo;
class CHistoryTreeModel;
class CKorvantaSignals;
class QTreeView;
namespace Ui {
class CHistoryWindow;
}

class CHistoryWindow : public CKorvantaWindow
{
    Q_OBJECT
public:
    CHistoryWindow(QWidget* parent, Qt::WindowFlags flags);
    ~CHistoryWindow() override;

    void initWindow() override;
    int saveToFile(QDataStream*) override { return 0; }
    int loadFromFile(QDataStream*) override { return 0; }

    // Where the runs and series come from (the logic manager's data store).
    void SetDataManager(CDataManager* data) { m_pDataManager = data; }
    CDataManager* dataManager() const { return m_pDataManager; }
    CKorvantaSignals* signalHub() const;
    CHistoryTreeModel* model() const { return m_pModel; }
    // Shared by every row: each row made its own, reading four pictures from the resources.
    const QIcon& deleteIcon() const;
    QTreeView* treeView() const;

    QModelIndex insertFolder(int key, bool loaded);
    QModelIndex insertChild(int parentKey, int childKey, bool loaded = false);
    void Restore(bool loaded);
    void Clean();
    void ExpandLastBranch();
    bool isEmpty() const;
    QModelIndex lastRecordedRow() const { return m_LastIndex; }

    // The run a series belongs to: its owner chain followed up to a folder. -1 when the chain
    // ends without one or comes back on itself (a damaged file).
    int FindRunKey(int key) const;

    bool m_bHistoryShown = true;

public slots:
    void newFolder();
    void OnDownloadFinshed(bool offlineRun);
    void EnableLastFolderDelete();

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    void onRowExpanded(const QModelIndex& index);
    // The run lock of the hub: a run in progress forbids deleting data.
    void onDeleteLocked() { noteDeleteLock(false); }
    void onDeleteUnlocked() { noteDeleteLock(true); }

private:
    // Collapses every row of the tree.
    void collapseTree();
    // Inserts the row of a series under a row already found; interactive inserts collapse the
    // tree first and expand the parent afterwards, a rebuild does that once for all rows.
    QModelIndex insertChildAt(const QModelIndex& parent, int parentKey, int childKey, bool loaded, bool interactive);
    // Stores a new row's key and what its widget will need.
    void describeRow(HistoryTreeItem* item, int key, int runKey, bool loaded);
    // A row shows when every row above it is expanded; runs always show.
    bool rowShows(const QModelIndex& index) const;
    // The run last looked up while making row widgets: the series of a run share it, and the
    // store finds a run by a walk over every run.
    struct RunLookup
    {
        int key = -1;
        const CDataFolder* folder = nullptr;
    };
    // Makes the widget of a row that shows and has none yet.
    void makeRowWidget(const QModelIndex& index, RunLookup* runs = nullptr);
    void placeFolderEditor(const QModelIndex& index, const CDataFolder* folder, bool deletable);
    void placeBranchEditor(const QModelIndex& index, int parentKey, const CDataBranch* branch, bool deletable,
                           const QString& runName);
    // Whether a row's delete button is enabled now: the hub's last word on the run lock if it
    // spoke after the row was added, else what the row was added with.
    bool rowDeletable(const HistoryRowInfo& info) const;
    void noteDeleteLock(bool deletable);
    // Adds a series and the series derived from it below parentItem, depth first; returns the
    // last row added (last when none is).
    HistoryTreeItem* collectBranch(HistoryTreeItem* parentItem, int runKey, int branchKey,
                                   const QHash<int, CDataBranch*>& branches, QSet<int>& seen, bool loaded,
                                   HistoryTreeItem* last);
    void removeAllRows();

    std::unique_ptr<Ui::CHistoryWindow> m_pUi;
    CHistoryTreeModel* m_pModel = nullptr;
    QPersistentModelIndex m_LastIndex;
    QObject* m_pManager = nullptr;
    CDataManager* m_pDataManager = nullptr;
    bool m_bInitialized = false;
    bool m_bOfflineRun = false;
    mutable QIcon m_DeleteIcon;
    int m_LockChanges = 0;
    bool m_bDeleteAllowed = true;
};
