#pragma once
// The "History" child window: every run with its series as a tree the user sees, drags and
// deletes from. It is rebuilt from the data manager when the workspace changes as a whole and
// grows row by row when a run starts and when analysis adds a series.
#include "app/base/KorvantaWindow.h"

#include <QModelIndex>
#include <QPointer>
#include <QHash>
#include <QSet>
#include <QVector>
#include <memory>

class CDataBranch;
class CDataFolder;
class CDataManager;
class HistoryTreeItem;
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

private:
    // Collapses every row of the tree.
    void collapseTree();
    // Inserts the row of a series under a row already found; interactive inserts collapse the
    // tree first and expand the parent afterwards, a rebuild does that once for all rows.
    QModelIndex insertChildAt(const QModelIndex& parent, int parentKey, int childKey, bool loaded, bool interactive);
    // The row widgets of a folder row and of a series row already in the model.
    void placeFolderEditor(const QModelIndex& index, const CDataFolder* folder, bool loaded);
    // runName: the run's name when the caller knows it (otherwise looked up by the owner chain).
    void placeBranchEditor(const QModelIndex& index, const QModelIndex& parent, int parentKey, const CDataBranch* branch,
                           bool loaded, const QString* runName = nullptr);
    struct RebuiltRow
    {
        HistoryTreeItem* item;
        HistoryTreeItem* parentItem;
        int key;
        int parentKey;
        const CDataFolder* folder;   // the run the row belongs to
        const CDataBranch* branch;   // null for a run's own row
    };
    // Adds a series and the series derived from it below parentItem, depth first.
    void collectBranch(HistoryTreeItem* parentItem, int parentKey, int branchKey, const CDataFolder* folder,
                       const QHash<int, CDataBranch*>& branches, QSet<int>& seen, QVector<RebuiltRow>& rows);
    void removeAllRows();

    std::unique_ptr<Ui::CHistoryWindow> m_pUi;
    CHistoryTreeModel* m_pModel = nullptr;
    QPersistentModelIndex m_LastIndex;
    QObject* m_pManager = nullptr;
    CDataManager* m_pDataManager = nullptr;
    bool m_bInitialized = false;
    bool m_bOfflineRun = false;
};
