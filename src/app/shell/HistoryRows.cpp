#include "app/shell/HistoryRows.h"
#include "windowbase/DeferredIcon.h"

#include "app/shell/HistoryTreeModel.h"
#include "app/shell/HistoryWindow.h"
#include "windowbase/Prompter.h"
#include "Core/Data/DataManager.h"
#include "Core/Base/KorvantaSignals.h"
#include "windowbase/BranchDragText.h"

#include <QDrag>
#include <QIcon>
#include <QMimeData>

QIcon HistoryDeleteIcon()
{
    QIcon icon = KorvantaIcons::Deferred(QStringLiteral(":/images/History/delet_normal.png"));
    icon.addFile(QStringLiteral(":/images/History/delet_disable.png"), QSize(), QIcon::Disabled);
    icon.addFile(QStringLiteral(":/images/History/delet_press.png"), QSize(), QIcon::Active);
    icon.addFile(QStringLiteral(":/images/History/delet_rollover.png"), QSize(), QIcon::Selected);
    return icon;
}

CHistoryRow::CHistoryRow(CHistoryWindow* owner, const QModelIndex& index, int key)
    : m_pOwner(owner), m_Row(index), m_Key(key)
{
}

QString CHistoryRow::caption() const
{
    return m_pOwner ? m_pOwner->rowLook(m_Row).caption : QString();
}

bool CHistoryRow::deleteEnabled() const
{
    return m_pOwner && m_pOwner->rowLook(m_Row).deletable;
}

QPixmap CHistoryRow::dragPixmap() const
{
    return m_pOwner ? m_pOwner->rowLook(m_Row).picture : QPixmap();
}

void CHistoryRow::startDrag(QWidget* source) const
{
    auto* drag = new QDrag(source);
    auto* mime = new QMimeData;
    mime->setText(dragText());
    drag->setMimeData(mime);
    const QPixmap pixmap = dragPixmap();
    if (!pixmap.isNull())
        drag->setPixmap(pixmap);
    drag->exec(Qt::MoveAction);
}

void CHistoryRow::deleteBranch(int key)
{
    CDataManager* data = m_pOwner ? m_pOwner->dataManager() : nullptr;
    if (!data)
        return;
    CKorvantaSignals* hub = m_pOwner->signalHub();
    // Each window lets go of a series before its data are freed.
    for (int victim : BranchDeletionOrder(data, key)) {
        if (hub)
            emit hub->dataKeyIsDeleted(victim);
        data->DeleteDataBranch(victim);
    }
}

bool CHistoryRow::confirmDelete()
{
    return m_pOwner->prompter()->confirm(m_pOwner, QStringLiteral("Pavix"), tr("Are you sure you want to delete this data?"));
}

void CHistoryRow::removeOwnRow(bool runRow)
{
    if (!m_pOwner)
        return;
    CHistoryTreeModel* model = m_pOwner->model();
    QModelIndex row = m_Row;
    // The tree was rebuilt while the user was asked: the row of this key in the new tree goes,
    // if it sits at this row's level (a run at the top, a series below).
    if (!row.isValid()) {
        row = model->findKey(m_Key);
        if (!row.isValid() || row.parent().isValid() == runRow)
            return;
    }
    model->removeRows(row.row(), 1, row.parent());
}

void CHistoryRow::dataChanged()
{
    // Deleting data changes the workspace, also when the last run goes: the notes, the
    // annotations and the windows may still differ from the saved file.
    if (m_pOwner && m_pOwner->signalHub())
        m_pOwner->signalHub()->SignalHasNewDataToSave();
}

DataFolderEditor::DataFolderEditor(CHistoryWindow* owner, const QModelIndex& index, int key)
    : CHistoryRow(owner, index, key)
{
}

QPixmap DataFolderEditor::dragPixmap() const
{
    const CDataFolder* folder = m_pOwner ? m_pOwner->findFolder(m_Key) : nullptr;
    return folder ? QPixmap(folder->GetIconName()) : CHistoryRow::dragPixmap();
}

QString DataFolderEditor::dragText() const
{
    CDataManager* data = m_pOwner ? m_pOwner->dataManager() : nullptr;
    return BuildBranchDragText(caption(), FolderDragKeys(data, m_Key));
}

void DataFolderEditor::onDelete()
{
    if (!m_pOwner || !confirmDelete())
        return;
    CDataManager* data = m_pOwner->dataManager();
    CDataFolder* folder = data ? data->GetDataFolder(m_Key) : nullptr;
    while (folder && folder->GetNumberBranches() > 0) {
        const int before = folder->GetNumberBranches();
        const int key = folder->GetBranchKey(0);
        deleteBranch(key);
        // A key that names no branch (or one filed under another run) stays in the list
        // after the deletion; take it out, or this loop would never end.
        if (folder->GetNumberBranches() >= before)
            folder->m_BranchKeys.RemoveValue(key);
    }
    if (folder)
        data->DeleteDataFolder(m_Key);
    removeOwnRow(true);
    dataChanged();
}

DataBranchEditor::DataBranchEditor(CHistoryWindow* owner, const QModelIndex& index, int key, int parentKey)
    : CHistoryRow(owner, index, key), m_ParentKey(parentKey)
{
}

QString DataBranchEditor::folderName() const
{
    return m_pOwner ? m_pOwner->runNameOf(m_Row) : QString();
}

QString DataBranchEditor::dragText() const
{
    CDataManager* data = m_pOwner ? m_pOwner->dataManager() : nullptr;
    return BuildBranchDragText(folderName(), BranchDragKeys(data, m_Key));
}

void DataBranchEditor::onDelete()
{
    if (!m_pOwner || !confirmDelete())
        return;
    deleteBranch(m_Key);
    removeOwnRow(false);
    dataChanged();
}
