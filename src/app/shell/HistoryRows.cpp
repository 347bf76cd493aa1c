#include "app/shell/HistoryRows.h"

#include "app/shell/HistoryTreeModel.h"
#include "app/shell/HistoryWindow.h"
#include "app/shell/Prompter.h"
#include "Core/Data/DataManager.h"
#include "Core/Logic/KorvantaSignals.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QToolButton>

CHistoryRowWidget::CHistoryRowWidget(int key, const QModelIndex& parentIndex, HistoryTreeItem* item, QWidget* owner)
    : QWidget(nullptr), m_Key(key), m_ParentIndex(parentIndex), m_pItem(item),
      m_pOwner(qobject_cast<CHistoryWindow*>(owner))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 1, 2, 1);
    m_pIcon = new QLabel(this);
    m_pIcon->setFixedSize(24, 24);
    m_pIcon->setScaledContents(true);
    m_pLabel = new QLabel(this);
    m_pLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_pDeleteButton = new QToolButton(this);
    m_pDeleteButton->setText(QStringLiteral("\u00d7"));
    m_pDeleteButton->setToolTip(tr("Delete"));
    m_pDeleteButton->setAutoRaise(true);
    layout->addWidget(m_pIcon);
    layout->addWidget(m_pLabel, 1);
    layout->addWidget(m_pDeleteButton);
}

void CHistoryRowWidget::init()
{
    connect(m_pDeleteButton, &QToolButton::released, this, &CHistoryRowWidget::onDelete);
    CKorvantaSignals* hub = m_pOwner ? m_pOwner->signalHub() : nullptr;
    if (!hub)
        return;
    connect(hub, &CKorvantaSignals::LoggerStartedRun, this, &CHistoryRowWidget::disableDelete);
    connect(hub, &CKorvantaSignals::LoggerExperimentEnd, this, &CHistoryRowWidget::enableDelete);
    connect(hub, &CKorvantaSignals::LoggerDownloadFinshed, this, &CHistoryRowWidget::enableDelete);
}

void CHistoryRowWidget::disableDelete()
{
    m_pDeleteButton->setEnabled(false);
}

void CHistoryRowWidget::enableDelete()
{
    m_pDeleteButton->setEnabled(true);
}

bool CHistoryRowWidget::confirmDelete()
{
    return ShellPrompter()->confirm(m_pOwner, QStringLiteral("Pavix"), tr("Are you sure you want to delete this data?"));
}

void CHistoryRowWidget::removeOwnRow()
{
    if (!m_pOwner)
        return;
    CHistoryTreeModel* model = m_pOwner->model();
    // The row may have moved since it was made; its item knows where it is now.
    const int row = m_pItem ? m_pItem->childNumber() : -1;
    if (row >= 0)
        model->removeRows(row, 1, m_ParentIndex);
}

void CHistoryRowWidget::dataChanged()
{
    // Deleting data changes the workspace, also when the last run goes: the notes, the
    // annotations and the windows may still differ from the saved file.
    if (m_pOwner && m_pOwner->signalHub())
        m_pOwner->signalHub()->SignalHasNewDataToSave();
}

DataFolderEditor::DataFolderEditor(int key, const QModelIndex& parentIndex, HistoryTreeItem* item, QWidget* owner)
    : CHistoryRowWidget(key, parentIndex, item, owner)
{
}

void DataFolderEditor::setCaption(const QString& caption)
{
    m_Caption = caption;
    m_pLabel->setText(caption);
}

void DataFolderEditor::setIcon(QString path)
{
    m_pIcon->setPixmap(QPixmap(path));
}

void DataFolderEditor::onDelete()
{
    if (!m_pOwner || !confirmDelete())
        return;
    CDataManager* data = m_pOwner->dataManager();
    CKorvantaSignals* hub = m_pOwner->signalHub();
    if (data) {
        QList<int> keys;
        data->GetAllFolderAssociatedKeys(m_Key, keys);
        data->DeleteDataFolder(m_Key);
        if (hub)
            for (int key : keys)
                emit hub->dataKeyIsDeleted(key);
    }
    removeOwnRow();
    dataChanged();
}

DataBranchEditor::DataBranchEditor(int branchKey, int parentKey, const QModelIndex& parentIndex,
                                   HistoryTreeItem* item, QWidget* owner)
    : CHistoryRowWidget(branchKey, parentIndex, item, owner), m_ParentKey(parentKey)
{
}

void DataBranchEditor::setCaption(const QString& caption)
{
    m_Caption = caption;
    setToolTip(caption);
    showElided();
}

void DataBranchEditor::setPixmap(const QPixmap& pixmap)
{
    m_pIcon->setPixmap(pixmap);
}

void DataBranchEditor::resizeEvent(QResizeEvent* event)
{
    CHistoryRowWidget::resizeEvent(event);
    showElided();
}

void DataBranchEditor::showElided()
{
    const int width = m_pLabel->width();
    m_pLabel->setText(width > 0 ? m_pLabel->fontMetrics().elidedText(m_Caption, Qt::ElideRight, width) : m_Caption);
}

void DataBranchEditor::onDelete()
{
    if (!m_pOwner || !confirmDelete())
        return;
    CDataManager* data = m_pOwner->dataManager();
    CKorvantaSignals* hub = m_pOwner->signalHub();
    if (data) {
        QList<int> keys;
        if (CDataBranch* branch = data->GetDataBranch(m_Key))
            data->GetAllBranchChildren(branch, keys);
        keys.prepend(m_Key);
        data->DeleteDataBranch(m_Key);
        if (hub)
            for (int key : keys)
                emit hub->dataKeyIsDeleted(key);
    }
    removeOwnRow();
    dataChanged();
}
