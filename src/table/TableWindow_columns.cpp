// Columns of a table: adding and removing them, dragging them out and dropping runs and series
// in, and the window's workspace record.
#include "table/TableWindow.h"

#include "windowbase/Prompter.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"
#include "table/TableDelegate.h"
#include "windowbase/BranchDragText.h"
#include "table/TableModel.h"

#include <QApplication>
#include <QDataStream>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>

bool CTableWindow::addColumnByKey(int key, const QColor* colour)
{
    CDataManager* data = dataManager();
    CDataBranch* branch = data ? data->GetDataBranch(key) : nullptr;
    if (!branch || !m_pDelegate)
        return false;
    const CDataFolder* folder = data->GetDataFolderByBranch(key);
    auto* column = new CTableColumn;
    column->m_Key = key;
    column->m_Name = branch->m_Name;
    column->m_FolderName = folder ? folder->m_Name : QString();
    column->m_Unit = branch->m_Unit;
    column->m_Icon = GetSensorIcon(branch->m_SensorIndex == SensorIndexNone ? 0 : branch->m_SensorIndex,
                                   branch->m_IconVariant, data->GetSensorCatalogue());
    column->m_Color = colour ? *colour : branch->m_Color;
    column->setColumnFont(m_pDelegate->defaultFont());
    m_pDelegate->columns().append(column);
    return true;
}

bool CTableWindow::isKeyExistOnTable(int key) const
{
    return m_pDelegate && m_pDelegate->getColumnIndexByKey(key) >= 0;
}

void CTableWindow::clearTable(bool repaint)
{
    if (m_pDelegate)
        m_pDelegate->columnSet()->clear();
    if (repaint)
        repaintViews();
}

void CTableWindow::removeColumnFromTable(int viewColumn)
{
    const CTableColumn* column = (viewColumn >= 2 && m_pDelegate) ? m_pDelegate->dataColumn(viewColumn - 2) : nullptr;
    if (!column)
        return;
    const int key = column->m_Key;
    if (!prompter()->question(this, QStringLiteral("Pavix"), tr("Remove column?")))
        return;
    // The question ran an event loop: the column may have gone or moved meanwhile.
    const int d = m_pDelegate->getColumnIndexByKey(key);
    if (d < 0)
        return;
    delete m_pDelegate->columns().takeAt(d);
    repaintViews();
    notifyHasNewDataToSave();
}

void CTableWindow::removeColumnByKey(int key)
{
    const int d = m_pDelegate ? m_pDelegate->getColumnIndexByKey(key) : -1;
    if (d < 0)
        return;
    delete m_pDelegate->columns().takeAt(d);
    repaintViews();
    notifyHasNewDataToSave();
}

void CTableWindow::onTableHeaderPressed(const QModelIndex& index)
{
    if (QApplication::mouseButtons() == Qt::RightButton)
        return;
    const int c = index.column();
    const CTableColumn* column = c >= 2 ? m_pDelegate->dataColumn(c - 2) : nullptr;
    if (!column)
        return;
    auto* drag = new QDrag(this);
    auto* mime = new QMimeData;
    mime->setText(BuildBranchDragText(column->m_FolderName, {column->m_Key}));
    drag->setMimeData(mime);
    if (!column->m_Icon.isNull())
        drag->setPixmap(column->m_Icon);
    const int key = column->m_Key;
    drag->exec(Qt::MoveAction);
    QObject* target = drag->target();
    bool here = false;
    for (QObject* o = target; o && !here; o = o->parent())
        here = o == this;
    // The drag ran an event loop: find the column again by its key.
    const int d = m_pDelegate->getColumnIndexByKey(key);
    if (!here && d >= 0)
        removeColumnFromTable(d + 2);
}

bool CTableWindow::dropAcceptable(const QString& text) const
{
    CDataManager* data = dataManager();
    if (!data || dataColumnCount() == 0)
        return true;
    const CDataBranch* first = data->GetDataBranch(m_pDelegate->dataColumn(0)->m_Key);
    // A table whose first column lost its branch has no kind left to keep.
    if (!first)
        return true;
    const int kind = first->m_SensorIndex;
    for (int key : ParseBranchDragKeys(text)) {
        const CDataBranch* branch = data->GetDataBranch(key);
        if (!branch)
            continue;
        const int s = branch->m_SensorIndex;
        const bool bothSensors = s < SensorIndexOnlineFunction && kind < SensorIndexOnlineFunction;
        if (s != kind && !bothSensors)
            return false;
    }
    return true;
}

void CTableWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (!event->mimeData()->hasText() || m_bRunning || !dropAcceptable(event->mimeData()->text())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void CTableWindow::dragMoveEvent(QDragMoveEvent* event)
{
    event->accept();
}

void CTableWindow::dropEvent(QDropEvent* event)
{
    if (!event->mimeData()->hasText() || m_bRunning || !m_pDelegate)
        return;
    bool added = false;
    for (int key : ParseBranchDragKeys(event->mimeData()->text())) {
        if (isKeyExistOnTable(key))
            continue;
        event->acceptProposedAction();
        added = addColumnByKey(key, nullptr) || added;
    }
    if (!added)
        return;
    const int rows = m_pDelegate->getMaxSizeDataColumn();
    m_pModel->setRowCount(rows);
    growModels();
    afterColumnsChanged();
    repaintViews();
    notifyHasNewDataToSave();
}

int CTableWindow::saveToFile(QDataStream* stream)
{
    if (!stream || !m_pDelegate)
        return -2;
    const int base = CKorvantaWindow::saveToFile(stream);
    if (base != 0)
        return base;
    QDataStream& s = *stream;
    s << qint16(TagIndexColumn);
    m_pDelegate->indexColumn()->saveToFile(stream);
    s << qint16(TagTimeColumn);
    m_pDelegate->timeColumn()->saveToFile(stream);
    for (const CTableColumn* column : m_pDelegate->columns()) {
        s << qint16(TagDataColumn);
        column->saveToFile(stream);
    }
    s << qint16(TagTableEnd);
    return s.status() == QDataStream::Ok ? 0 : -2;
}

int CTableWindow::loadFromFile(QDataStream* stream)
{
    if (!stream || !m_pDelegate)
        return -4;
    QDataStream& s = *stream;
    CDataManager* data = dataManager();
    for (;;) {
        if (s.atEnd())
            return -4;
        qint16 tag = 0;
        s >> tag;
        if (s.status() != QDataStream::Ok)
            return -4;
        int result = 0;
        if (tag == TagDataColumn) {
            auto* column = new CTableColumn;
            column->setColumnFont(m_pDelegate->defaultFont());
            result = column->loadFromFile(stream, 0);
            if (const CDataBranch* branch = data ? data->GetDataBranch(column->m_Key) : nullptr)
                column->m_Icon = GetSensorIcon(branch->m_SensorIndex, branch->m_IconVariant, data->GetSensorCatalogue());
            m_pDelegate->columns().append(column);
        } else if (tag == TagIndexColumn) {
            result = m_pDelegate->indexColumn()->loadFromFile(stream, 0);
        } else if (tag == TagTimeColumn) {
            result = m_pDelegate->timeColumn()->loadFromFile(stream, 0);
            m_pDelegate->timeColumn()->m_Icon = QPixmap(QStringLiteral(":/images/Setup/watch-Icon.png"));
        } else if (tag == CKorvantaWindow::TagStart) {
            result = CKorvantaWindow::loadFromFile(stream);
        } else if (tag == TagTableEnd) {
            const QSize size = calcColumnCellSizeByFontAndTextLength(
                QFontMetrics(m_pDelegate->indexColumn()->getColumnFont()), 0);
            m_pDelegate->indexColumn()->setColumnWidth(size.width() + 30);
            m_pModel->setRowCount(m_pDelegate->getMaxSizeDataColumn());
            growModels();
            m_pDataView->resizeColumnToContents(0);
            m_pHeaderView->resizeColumnToContents(0);
            m_pHeaderView->resizeRowsToContents();
            repaintViews();
            return 0;
        }
        if (result != 0)
            return result;
    }
}
