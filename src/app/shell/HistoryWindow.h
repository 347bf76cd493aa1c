#pragma once
// The "History" child window: every run with its series as a tree the user sees, drags and
// deletes from. It is rebuilt from the data manager when the workspace changes as a whole and
// grows row by row when a run starts and when analysis adds a series. The rows are drawn by the
// view's delegate from what the window reads of the store when they are painted; a row object
// (HistoryRows.h) is made only when a row is acted on.
#include "windowbase/KorvantaWindow.h"
#include "app/shell/HistoryRows.h"

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
class IPrompter;
class QTreeView;
namespace Ui {
class CHistoryWindow;
}

class CHistoryWindow : public CKorvantaWindow, public IHistoryRows
{
    Q_OBJECT
public:
    CHistoryWindow(QWidget* parent, Qt::WindowFlags flags);
    ~CHistoryWindow() override;

    void initWindow() override;
    int saveToFile(QDataStream*) override { return 0; }
    int loadFromFile(QDataStream*) override { return 0; }

    // Where the runs and series come from (the logic manager's data store).
    void SetDataManager(CDataManager* data);
    CDataManager* dataManager() const { return m_pDataManager; }
    CKorvantaSignals* signalHub() const;
    // The prompter of the window's questions (deleting data): the host's.
    IPrompter* prompter() const;
    CHistoryTreeModel* model() const { return m_pModel; }
    // The delete button's pictures, as the rows draw them.
    const QIcon& deleteIcon() const;
    QTreeView* treeView() const;

    // What a row shows now, read from the store.
    HistoryRowLook rowLook(const QModelIndex& index) const override;
    // The row object of a run's or a series' row; null for another kind of row or a row whose
    // key names nothing in the store.
    std::unique_ptr<CHistoryRow> rowAt(const QModelIndex& index) override;
    std::unique_ptr<DataFolderEditor> folderRow(const QModelIndex& index);
    std::unique_ptr<DataBranchEditor> branchRow(const QModelIndex& index);
    // The name of the run a row belongs to; empty when there is none.
    QString runNameOf(const QModelIndex& index) const;
    // The run of that key in the store, or null. Painting asks for the runs of every row on
    // screen, and the store finds a run by a walk over all of them: the window remembers where
    // each run stands in the store's list, and checks that it still stands there.
    const CDataFolder* findFolder(int key) const;

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
    // The run locks of the hub: a logger run or a video tracking in progress forbids deleting
    // data; the end of each lifts its own lock only.
    void onDeleteLocked() { m_bLoggerLock = true; noteDeleteLock(); }
    void onDeleteUnlocked() { m_bLoggerLock = false; noteDeleteLock(); }
    void onTrackingStarted() { m_bTrackingLock = true; noteDeleteLock(); }
    void onTrackingStopped() { m_bTrackingLock = false; noteDeleteLock(); }

private:
    // Collapses every row of the tree.
    void collapseTree();
    // Inserts the row of a series under a row already found; interactive inserts collapse the
    // tree first and expand the parent afterwards, a rebuild does that once for all rows.
    QModelIndex insertChildAt(const QModelIndex& parent, int parentKey, int childKey, bool loaded, bool interactive);
    // Stores a new row's key and what drawing it will need.
    void describeRow(HistoryTreeItem* item, int key, int runKey, bool loaded);
    // The picture of a run's or a series' row, read from the resources once per picture.
    QPixmap folderPicture(const CDataFolder* folder) const;
    QPixmap seriesPicture(const CDataBranch* branch) const;
    // Whether a row's delete button is enabled now: the hub's last word on the run lock if it
    // spoke after the row was added, else what the row was added with.
    bool rowDeletable(const HistoryRowInfo& info) const;
    void noteDeleteLock();
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
    int m_LockChanges = 0;
    bool m_bDeleteAllowed = true;
    bool m_bLoggerLock = false;
    bool m_bTrackingLock = false;
    // Where each run stood in the store's list when last looked at, and the store's list as it
    // was then (its length and last run's key): a run not in this index is looked for again
    // only when the list has changed since.
    mutable QHash<int, int> m_FolderPlaces;
    mutable int m_FolderPlacesCount = -1;
    mutable int m_FolderPlacesLastKey = -1;
    mutable QHash<QString, QPixmap> m_FolderPictures;
    mutable QHash<qint64, QPixmap> m_SeriesPictures;
};
