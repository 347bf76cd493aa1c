#include "app/shell/HistoryRows.h"

#include "app/shell/HistoryTreeModel.h"
#include "app/shell/HistoryWindow.h"
#include "app/base/Prompter.h"
#include "Core/Data/DataManager.h"
#include "Core/Base/KorvantaSignals.h"
#include "table/TableDragText.h"

#include <QDrag>
#include <QFontMetrics>
#include <QIcon>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QToolButton>

#include <algorithm>

namespace {
const int s_PictureSize = 24;
const int s_Margin = 2;
} // namespace

QIcon HistoryDeleteIcon()
{
    QIcon icon(QStringLiteral(":/images/History/delet_normal.png"));
    icon.addFile(QStringLiteral(":/images/History/delet_disable.png"), QSize(), QIcon::Disabled);
    icon.addFile(QStringLiteral(":/images/History/delet_press.png"), QSize(), QIcon::Active);
    icon.addFile(QStringLiteral(":/images/History/delet_rollover.png"), QSize(), QIcon::Selected);
    return icon;
}

CHistoryRowWidget::CHistoryRowWidget(int key, const QModelIndex& index, QWidget* owner)
    : QWidget(nullptr), m_Key(key), m_Row(index),
      m_pOwner(qobject_cast<CHistoryWindow*>(owner))
{
    m_pDeleteButton = new QToolButton(this);
    m_pDeleteButton->setIcon(m_pOwner ? m_pOwner->deleteIcon() : HistoryDeleteIcon());
    m_pDeleteButton->setIconSize(QSize(s_PictureSize, s_PictureSize));
    m_pDeleteButton->setFocusPolicy(Qt::NoFocus);
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

QRect CHistoryRowWidget::pictureRect() const
{
    return QRect(s_Margin, (height() - s_PictureSize) / 2, s_PictureSize, s_PictureSize);
}

bool CHistoryRowWidget::startsDragAt(const QPoint& position, Qt::MouseButton button) const
{
    // Edges included, as the picture is small.
    const QRect r = pictureRect();
    return button == Qt::LeftButton && position.x() >= r.left() && position.x() <= r.right() + 1
           && position.y() >= r.top() && position.y() <= r.bottom() + 1;
}

void CHistoryRowWidget::mousePressEvent(QMouseEvent* event)
{
    if (!startsDragAt(event->pos(), event->button())) {
        QWidget::mousePressEvent(event);
        return;
    }
    // The drag starts on the press itself; nothing in the tree changes after the drop.
    auto* drag = new QDrag(this);
    auto* mime = new QMimeData;
    mime->setText(dragText());
    drag->setMimeData(mime);
    const QPixmap pixmap = dragPixmap();
    if (!pixmap.isNull())
        drag->setPixmap(pixmap);
    drag->exec(Qt::MoveAction);
}

void CHistoryRowWidget::deleteBranch(int key)
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
    setDeletable(false);
}

void CHistoryRowWidget::enableDelete()
{
    setDeletable(true);
}

void CHistoryRowWidget::setDeletable(bool deletable)
{
    m_bDeletable = deletable;
    if (isVisible())
        syncDeleteButton();
}

void CHistoryRowWidget::syncDeleteButton() const
{
    if (m_pDeleteButton->isEnabled() != m_bDeletable)
        m_pDeleteButton->setEnabled(m_bDeletable);
}

void CHistoryRowWidget::showEvent(QShowEvent* event)
{
    syncDeleteButton();
    QWidget::showEvent(event);
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
    QModelIndex row = m_Row;
    // The tree was rebuilt while the user was asked: the row of this key in the new tree goes,
    // if it sits at this widget's level (a run at the top, a series below).
    if (!row.isValid()) {
        row = model->findKey(m_Key);
        const bool runRow = qobject_cast<const DataFolderEditor*>(this) != nullptr;
        if (!row.isValid() || row.parent().isValid() == runRow)
            return;
    }
    model->removeRows(row.row(), 1, row.parent());
}

void CHistoryRowWidget::dataChanged()
{
    // Deleting data changes the workspace, also when the last run goes: the notes, the
    // annotations and the windows may still differ from the saved file.
    if (m_pOwner && m_pOwner->signalHub())
        m_pOwner->signalHub()->SignalHasNewDataToSave();
}

DataFolderEditor::DataFolderEditor(int key, const QModelIndex& index, QWidget* owner)
    : CHistoryRowWidget(key, index, owner)
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

QPixmap DataFolderEditor::dragPixmap() const
{
    CDataManager* data = m_pOwner ? m_pOwner->dataManager() : nullptr;
    const CDataFolder* folder = data ? data->GetDataFolder(m_Key) : nullptr;
    return folder ? QPixmap(folder->GetIconName()) : m_Picture;
}

QString DataFolderEditor::dragText() const
{
    CDataManager* data = m_pOwner ? m_pOwner->dataManager() : nullptr;
    return BuildBranchDragText(m_Caption, FolderDragKeys(data, m_Key));
}

QString DataBranchEditor::dragText() const
{
    CDataManager* data = m_pOwner ? m_pOwner->dataManager() : nullptr;
    return BuildBranchDragText(m_FolderName, BranchDragKeys(data, m_Key));
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
    removeOwnRow();
    dataChanged();
}

DataBranchEditor::DataBranchEditor(int branchKey, int parentKey, const QModelIndex& index, QWidget* owner)
    : CHistoryRowWidget(branchKey, index, owner), m_ParentKey(parentKey)
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
    deleteBranch(m_Key);
    removeOwnRow();
    dataChanged();
}
