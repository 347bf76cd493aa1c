// The table's part in runs, downloads, video analysis and video playback.
#include "table/TableWindow.h"

#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"
#include "Core/Data/SetupInfo.h"
#include "table/TableDelegate.h"
#include "table/TableModel.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QScrollBar>
#include <QTimer>
#include <QToolBar>

#include <algorithm>
#include <climits>

namespace {
const int s_MinColumns = CTableModel::s_DefaultColumns;
const int s_MinRows = CTableModel::s_DefaultRows;

// Colour of a run's column: the setup's colour of the measurement it records, or the branch's
// own for computed series and when the setup no longer holds the measurement.
QColor runColumnColour(const CDataBranch* branch, const CSetupInfo* setup)
{
    const int s = branch->m_SensorIndex;
    const bool fromSetup = (s >= 0 && s < SensorIndexOnlineFunction) || s == SensorIndexVideoTrack;
    if (fromSetup && setup)
        if (const CMeasurementSetup* m = setup->Measurement(branch->m_Channel, s, branch->m_Measurement))
            return m->m_Color;
    return branch->m_Color;
}
} // namespace

void CTableWindow::setupSamples(int* samples) const
{
    const CDataManager* data = dataManager();
    const CSetupInfo* setup = data ? data->GetSetupInfo() : nullptr;
    *samples = setup ? setup->m_NumberOfSamples : 0;
}

void CTableWindow::prepareModels(int branches, int samples)
{
    const int columns = std::max(s_MinColumns, branches + 2);
    const int rows = std::max(s_MinRows, samples);
    m_pModel->resizeTable(columns, rows);
    m_pHeaderModel->resizeTable(columns, 1);
    clearTable(true);
}

void CTableWindow::growModels()
{
    // Columns first: a column dropped past the last model column must become visible.
    const int columns = dataColumnCount() + 2;
    m_pModel->growColumns(columns);
    m_pHeaderModel->growColumns(columns);
    const int rows = m_pDelegate->getMaxSizeDataColumn();
    if (rows > m_pModel->rowCount()) {
        // A quarter more than needed: a long live run then inserts rows now and then in
        // batches instead of on every redraw.
        const qint64 target = qint64(rows) + rows / 4;
        m_pModel->growRows(int(std::min<qint64>(target, INT_MAX)));
    }
}

void CTableWindow::afterColumnsChanged()
{
    m_pHeaderDelegate->indexColumn()->setColumnWidth(m_pDelegate->getIndexColumnMaxWidthInPxls());
    m_pDataView->resizeColumnToContents(0);
    m_pHeaderView->resizeColumnToContents(0);
    m_pHeaderView->resizeRowsToContents();
}


void CTableWindow::beginRunning(const CDataFolder* folder)
{
    m_pToolBar->setEnabled(false);
    m_pTrackData->setChecked(true);
    m_bRunning = true;
    m_pNewData->store(false);
    if (folder) {
        int samples = 0;
        setupSamples(&samples);
        prepareModels(folder->GetNumberBranches(), samples);
    }
}

void CTableWindow::StartRunning()
{
    if (!isLastActiveTable())
        return;
    CDataManager* data = dataManager();
    CDataFolder* folder = data ? data->GetLastDataFolder() : nullptr;
    beginRunning(folder);
    if (folder) {
        const CSetupInfo* setup = data->GetSetupInfo();
        for (int i = 0; i < folder->GetNumberBranches(); ++i) {
            const int key = folder->GetBranchKey(i);
            const CDataBranch* branch = data->GetDataBranch(key);
            if (!branch)
                continue;
            const QColor colour = runColumnColour(branch, setup);
            addColumnByKey(key, &colour);
        }
    }
    m_pDelegate->refreshTimeColumn();
    afterColumnsChanged();
    m_pRedrawTimer->start();
}

void CTableWindow::UpdateNewData()
{
    // Called for every stored row: only note it; the redraw timer does the work.
    if (m_bRunning)
        m_pNewData->store(true);
}

void CTableWindow::RefreshNewData()
{
    if (!m_pNewData->exchange(false))
        return;
    growModels();
    m_pDataView->viewport()->update();
    if (m_pTrackData->isChecked())
        trackNewestRows();
}

int CTableWindow::visibleRowCount() const
{
    int rowHeight = m_pDataView->rowHeight(0);
    if (rowHeight <= 0)
        rowHeight = std::max(1, m_pDelegate->indexColumn()->m_CellHeight);
    return m_pDataView->viewport()->height() / rowHeight;
}

void CTableWindow::trackNewestRows()
{
    m_pDataView->refreshGeometry();
    m_pDataView->verticalScrollBar()->setValue(m_pDelegate->getMaxSizeDataColumn() - visibleRowCount());
}

void CTableWindow::EndRunning()
{
    // The last samples may have come after the last redraw.
    if (m_bRunning)
        m_pNewData->store(true);
    RefreshNewData();
    m_pRedrawTimer->stop();
    m_pToolBar->setEnabled(true);
    m_bRunning = false;
    m_pDataView->viewport()->update();
}

void CTableWindow::StopVideoAnalysisRun()
{
    EndRunning();
}

void CTableWindow::LoggerDownloadNewData(bool)
{
    if (!isLastActiveTable())
        return;
    CDataManager* data = dataManager();
    CDataFolder* folder = data ? data->GetLastDataFolder() : nullptr;
    if (!folder)
        return;
    int samples = 0;
    setupSamples(&samples);
    prepareModels(folder->GetNumberBranches(), samples);
    insertAllFolderBranches(folder->m_Key);
    growModels();
    afterColumnsChanged();
}

void CTableWindow::insertAllFolderBranches(int folderKey)
{
    CDataManager* data = dataManager();
    if (!data || !data->GetDataFolder(folderKey))
        return;
    QList<int> keys;
    data->GetAllFolderAssociatedKeys(folderKey, keys);
    for (int key : keys)
        addColumnByKey(key, nullptr);
}

void CTableWindow::StartVideoAnalysisRun(int folderKey)
{
    if (!isLastActiveTable())
        return;
    CDataManager* data = dataManager();
    CDataFolder* folder = data ? data->GetDataFolder(folderKey) : nullptr;
    beginRunning(folder);
    if (folder) {
        for (int key : folder->GetBranchKeys()) {
            const CDataBranch* branch = data->GetDataBranch(key);
            if (branch && branch->m_SensorIndex == SensorIndexVideoTrack) {
                const QColor colour = branch->m_Color;
                addColumnByKey(key, &colour);
            }
        }
    }
    afterColumnsChanged();
    m_pRedrawTimer->start();
}

void CTableWindow::OnVideoPlaybackStart(int folderKey)
{
    m_bVideoPlayback = false;
    CDataManager* data = dataManager();
    if (!data || !m_pDelegate)
        return;
    const QList<CTableColumn*>& list = m_pDelegate->columns();
    for (int d = list.size() - 1; d >= 0; --d) {
        const CDataFolder* folder = data->GetDataFolderByBranch(list.at(d)->m_Key);
        if (folder && folder->m_Key == folderKey) {
            m_bVideoPlayback = true;
            return;
        }
    }
}

void CTableWindow::onVideoPlaybackStart(int folderKey)
{
    if (!isLastActiveTable())
        return;
    clearTable(false);
    insertAllFolderBranches(folderKey);
    growModels();
    repaintViews();
}

void CTableWindow::OnVideoPlaybackSample(int sample)
{
    if (!m_bVideoPlayback || !m_pDelegate)
        return;
    m_pDelegate->setRowLimit(sample);
    m_pDataView->viewport()->update();
    if (m_pTrackData->isChecked()) {
        m_pDataView->refreshGeometry();
        const int visible = visibleRowCount();
        m_pDataView->verticalScrollBar()->setValue(std::max(visible, sample - visible + 1));
    }
}

void CTableWindow::OnVideoPlaybackStop()
{
    if (m_pDelegate) {
        m_pDelegate->setRowLimit(-1);
        m_pDataView->viewport()->update();
    }
    m_bVideoPlayback = false;
}
