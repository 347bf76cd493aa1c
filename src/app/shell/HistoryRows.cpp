#include "app/shell/HistoryRows.h"

#include "app/shell/HistoryTreeModel.h"
#include "app/shell/HistoryWindow.h"
#include "app/base/Prompter.h"
#include "Core/Data/DataManager.h"
#include "Core/Logic/KorvantaSignals.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPixmap>
#include <QToolButton>

#include <algorithm>

namespace {
const int s_PictureSize = 24;
const int s_Margin = 2;
} // namespace

CHistoryRowWidget::CHistoryRowWidget(int key, const QModelIndex& parentIndex, HistoryTreeItem* item, QWidget* owner)
    : QWidget(nullptr), m_Key(key), m_ParentIndex(parentIndex), m_pItem(item),
      m_pOwner(qobject_cast<CHistoryWindow*>(owner))
{
    m_pDeleteButton = new QToolButton(this);
    m_pDeleteButton->setText(QStringLiteral("\u00d7"));
    m_pDeleteButton->setToolTip(tr("Delete"));
    m_pDeleteButton->setAutoRaise(true);
}

QSize CHistoryRowWidget::sizeHint() const
{
    return QSize(200, s_PictureSize + 2 * s_Margin);
}

void CHistoryRowWidget::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int side = std::max(0, height() - 2 * s_Margin);
    m_pDeleteButton->setGeometry(width() - side - s_Margin, s_Margin, side, side);
}

void CHistoryRowWidget::setPicture(const QPixmap& pixmap)
{
    m_Picture = pixmap;
    update();
}

void CHistoryRowWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int top = (height() - s_PictureSize) / 2;
    if (!m_Picture.isNull())
        painter.drawPixmap(QRect(s_Margin, top, s_PictureSize, s_PictureSize), m_Picture);
    const int left = s_Margin * 2 + s_PictureSize;
    const int right = m_pDeleteButton->x() - s_Margin;
    if (right <= left)
        return;
    const QRect text(left, 0, right - left, height());
    painter.drawText(text, Qt::AlignVCenter | Qt::AlignLeft,
                     fontMetrics().elidedText(m_Caption, Qt::ElideRight, text.width()));
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
    update();
}

void DataFolderEditor::setIcon(QString path)
{
    setPicture(QPixmap(path));
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
    update();
}

void DataBranchEditor::setPixmap(const QPixmap& pixmap)
{
    setPicture(pixmap);
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
