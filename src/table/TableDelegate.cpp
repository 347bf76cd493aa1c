// The cell texts of a table and the block reads behind them.
#include "table/TableDelegate.h"

#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"
#include "Core/Data/SensorInfo.h"
#include "Core/Data/SetupInfo.h"

#include <QFontMetrics>

#include <algorithm>
#include <climits>

namespace {
// Rows read per block: a screen of rows and some on either side, so a scroll by a page
// reads one block per column.
const int s_BlockBefore = 64;
const int s_BlockRows = 256;
// Columns whose branch is not a catalogue sensor have no range to size by.
const int s_NoRangeSample = 99999;
} // namespace

CTableColumnSet::CTableColumnSet() = default;

CTableColumnSet::~CTableColumnSet()
{
    clear();
}

void CTableColumnSet::clear()
{
    // Last first, as the columns were appended.
    while (!m_Columns.isEmpty())
        delete m_Columns.takeLast();
}

CTableDelegate::CTableDelegate(QObject* parent, CDataManager* data)
    : QStyledItemDelegate(parent), m_pSet(std::make_shared<CTableColumnSet>()),
      m_DefaultFont(TableDefaultFont()), m_pDataManager(data)
{
    connect(this, &CTableDelegate::saveCellVal, this, &CTableDelegate::onSaveCellVal);
}

CTableColumn* CTableDelegate::dataColumn(int d) const
{
    return (d >= 0 && d < m_pSet->m_Columns.size()) ? m_pSet->m_Columns.at(d) : nullptr;
}

CTableColumn* CTableDelegate::viewColumn(int c) const
{
    if (c == 0)
        return indexColumn();
    if (c == 1)
        return timeColumn();
    return dataColumn(c - 2);
}

void CTableDelegate::initIndexColumn()
{
    indexColumn()->init();
}

void CTableDelegate::initTimeColumn()
{
    CTableColumn* time = timeColumn();
    time->init();
    time->m_Name = tr("Time");
    time->m_FolderName.clear();
}

QFont CTableDelegate::getColumnFont(int c) const
{
    const CTableColumn* column = viewColumn(c);
    return column ? column->getColumnFont() : m_DefaultFont;
}

int CTableDelegate::getColumnIndexByKey(int key) const
{
    const QList<CTableColumn*>& list = columns();
    for (int d = 0; d < list.size(); ++d)
        if (list.at(d)->m_Key == key)
            return d;
    return -1;
}

void CTableDelegate::beginPass() const
{
    m_bInPass = true;
    m_PassMaxRows = -1;
    m_PassColumns.clear();
    m_bPassManualLooked = false;
    m_PassManual = ColumnCache();
}

void CTableDelegate::endPass() const
{
    m_bInPass = false;
    m_PassColumns.clear();
    m_PassManual = ColumnCache();
}

bool CTableDelegate::columnSamples(int d, ColumnCache& out) const
{
    out = ColumnCache();
    out.looked = true;
    const CTableColumn* column = dataColumn(d);
    if (!column || column->m_Key == -1 || !m_pDataManager)
        return false;
    out.branch = m_pDataManager->GetDataBranch(column->m_Key);
    if (!out.branch || out.branch->GetXSize() == 0)
        return false;
    // A first X outside the int range (a damaged file) places the data at row 0.
    SafeDoubleToInt(out.branch->GetXSample(0), out.offset, 0);
    out.ySize = out.branch->GetYSize();
    return true;
}

CTableDelegate::ColumnCache* CTableDelegate::passColumn(int d) const
{
    ColumnCache& cache = m_PassColumns[d];
    if (!cache.looked)
        columnSamples(d, cache);
    return &cache;
}

bool CTableDelegate::sampleAt(ColumnCache& cache, int i, double& value) const
{
    if (!cache.branch || i < 0 || i >= cache.ySize)
        return false;
    if (!m_bInPass) {
        value = cache.branch->GetYSample(i);
        return true;
    }
    if (i < cache.first || i >= cache.first + cache.y.size()) {
        QVector<double> x;
        cache.first = std::max(0, i - s_BlockBefore);
        cache.branch->CopyRange(cache.first, s_BlockRows, x, cache.y);
        if (i >= cache.first + cache.y.size())
            return false;
    }
    value = cache.y.at(i - cache.first);
    return true;
}

int CTableDelegate::getMaxSizeDataColumn() const
{
    if (m_bInPass && m_PassMaxRows >= 0)
        return m_PassMaxRows;
    qint64 largest = 0;
    for (int d = 0; d < dataColumnCount(); ++d) {
        ColumnCache c;
        if (!columnSamples(d, c))
            continue;
        largest = std::max(largest, qint64(c.offset) + c.branch->GetXSize());
    }
    const int rows = int(std::clamp<qint64>(largest, 0, INT_MAX));
    if (m_bInPass)
        m_PassMaxRows = rows;
    return rows;
}

QString CTableDelegate::getIndexColumnTextByRow(int row) const
{
    return QString::number(qint64(row) + 1);
}

double CTableDelegate::firstColumnInterval() const
{
    const CTableColumn* first = dataColumn(0);
    CDataBranch* branch = (first && m_pDataManager) ? m_pDataManager->GetDataBranch(first->m_Key) : nullptr;
    return branch ? branch->m_Interval : 0.0;
}

int CTableDelegate::firstSensorIndex() const
{
    const CTableColumn* first = dataColumn(0);
    CDataBranch* branch = (first && m_pDataManager) ? m_pDataManager->GetDataBranch(first->m_Key) : nullptr;
    return branch ? branch->m_SensorIndex : SensorIndexNone;
}

CDataFolder* CTableDelegate::timeColumnRun() const
{
    const CTableColumn* first = dataColumn(0);
    return (first && m_pDataManager) ? m_pDataManager->GetRunOfBranch(first->m_Key) : nullptr;
}

CDataBranch* CTableDelegate::timeColumnManualX() const
{
    // The manual X values of the first column's own run: another run's masses say nothing
    // of these samples.
    const CDataFolder* run = timeColumnRun();
    return run ? m_pDataManager->GetRunBranchByCode(run->m_Key, SensorIndexManualX) : nullptr;
}

QString CTableDelegate::timeColumnTitle() const
{
    if (const CDataBranch* manual = timeColumnManualX())
        return manual->m_Unit.isEmpty() ? manual->m_Name
                                        : manual->m_Name + QLatin1Char('(') + manual->m_Unit + QLatin1Char(')');
    // A timing run's results are numbered by event, one a row.
    if (firstSensorIndex() == SensorIndexTimingResult)
        return tr("Event");
    // A run sampled by hand has no time between its samples: the column counts them. What the
    // run's record says decides, not a rate code, which a run read from a file has lost.
    const CTableColumn* first = dataColumn(0);
    if (first && m_pDataManager && m_pDataManager->IsSampledByHand(first->m_Key))
        return tr("Samples");
    return tr("Time");
}

void CTableDelegate::refreshTimeColumn()
{
    timeColumn()->m_Name = timeColumnTitle();
    timeColumn()->m_Unit.clear();
}

QString CTableDelegate::getTimeColumnTextByRow(int row) const
{
    ColumnCache local;
    ColumnCache* manual = &local;
    if (m_bInPass) {
        manual = &m_PassManual;
        if (!m_bPassManualLooked) {
            m_bPassManualLooked = true;
            m_PassManual.branch = timeColumnManualX();
            m_PassManual.ySize = m_PassManual.branch ? m_PassManual.branch->GetYSize() : 0;
        }
    } else if (m_pDataManager) {
        local.branch = timeColumnManualX();
        local.ySize = local.branch ? local.branch->GetYSize() : 0;
    }
    if (manual->branch) {
        double value = 0.0;
        return sampleAt(*manual, row, value) ? Double2String(value, 1, false, false) : QString();
    }
    if (dataColumnCount() == 0)
        return QStringLiteral("-1");
    const double interval = m_bInPass ? [this]() {
        ColumnCache* c = passColumn(0);
        return c->branch ? c->branch->m_Interval : 0.0;
    }() : firstColumnInterval();
    return QString::number(double(row) * interval, 'g', 6);
}

QString CTableDelegate::getDataText(int row, int d) const
{
    ColumnCache local;
    ColumnCache* cache = &local;
    if (m_bInPass)
        cache = passColumn(d);
    else if (!columnSamples(d, local))
        return QString();
    if (!cache->branch)
        return QString();
    const qint64 i = qint64(row) - cache->offset;
    double value = 0.0;
    // A gap (a result that never came) shows as an empty cell, not as its marker value.
    if (i < 0 || i > INT_MAX || !sampleAt(*cache, int(i), value) || value == MissingValue)
        return QString();
    return QString::number(value, 'g', 6);
}

QString CTableDelegate::cellText(int row, int c) const
{
    if (m_RowLimit >= 0 && row > m_RowLimit)
        return QString();
    if (c == 0)
        return row < getMaxSizeDataColumn() ? getIndexColumnTextByRow(row) : QString();
    if (c == 1)
        return (dataColumnCount() > 0 && row < getMaxSizeDataColumn()) ? getTimeColumnTextByRow(row) : QString();
    return getDataText(row, c - 2);
}

int CTableDelegate::getIndexColumnMaxWidthInPxls() const
{
    if (dataColumnCount() == 0)
        return indexColumn()->getColumnWidth();
    const CSetupInfo* setup = m_pDataManager ? m_pDataManager->GetSetupInfo() : nullptr;
    const int samples = setup ? setup->m_NumberOfSamples : 0;
    const QFontMetrics metrics(indexColumn()->getColumnFont());
    return metrics.horizontalAdvance(QString::number(std::max(samples, getMaxSizeDataColumn()))) + 10;
}

bool CTableDelegate::isCellEditable(int c, int row) const
{
    if (c < 2 || !dataColumn(c - 2))
        return false;
    return row >= 0 && row < getMaxSizeDataColumn();
}

void CTableDelegate::changeModelCellData(int branchKey, int index, double value)
{
    CDataBranch* branch = m_pDataManager ? m_pDataManager->GetDataBranch(branchKey) : nullptr;
    if (branch)
        branch->SetYSample(index, value);
    emit cellValChanged(branchKey, index);
}

QSize CTableDelegate::calcColumnCellSize(const QFontMetrics& metrics, int c) const
{
    if (c < 0 || c > dataColumnCount() + 1)
        return QSize(0, 0);
    const int height = 2 * metrics.height();
    if (c == 0)
        return QSize(metrics.horizontalAdvance(QString::number(getMaxSizeDataColumn())), height);
    if (c == 1) {
        const CTableColumn* time = timeColumn();
        return QSize(std::max(metrics.horizontalAdvance(time->m_Name), metrics.horizontalAdvance(time->m_FolderName)),
                     height);
    }
    const CTableColumn* column = dataColumn(c - 2);
    int low = -s_NoRangeSample;
    int high = s_NoRangeSample;
    CDataBranch* branch = m_pDataManager ? m_pDataManager->GetDataBranch(column->m_Key) : nullptr;
    const CSensorInfo* catalogue = m_pDataManager ? m_pDataManager->GetSensorCatalogue() : nullptr;
    if (branch && catalogue) {
        if (const CSensorMeasuremntInfo* m = catalogue->GetMeasurementInfo(branch->m_SensorIndex, 0)) {
            SafeDoubleToInt(m->m_Min, low, 0);
            SafeDoubleToInt(m->m_Max, high, 0);
        }
    }
    const QString lowText = QString::number(low);
    const QString highText = QString::number(high);
    QString sample = metrics.horizontalAdvance(highText) > metrics.horizontalAdvance(lowText) ? highText : lowText;
    sample += QLatin1Char('.') + QString(column->m_Decimals, QLatin1Char('0'));
    const int sampleWidth = metrics.horizontalAdvance(sample);
    const int nameWidth = metrics.horizontalAdvance(column->m_Name);
    const int folderWidth = metrics.horizontalAdvance(column->m_FolderName);
    int width = sampleWidth;
    if (nameWidth > sampleWidth)
        width = nameWidth;
    else if (folderWidth > sampleWidth)
        width = folderWidth;
    return QSize(width, height);
}

void CTableDelegate::changeAllTableColumnsDefaultSize(int width, int height)
{
    indexColumn()->setCellSize(width, height);
    timeColumn()->setCellSize(width, height);
    for (CTableColumn* column : columns())
        column->setCellSize(width, height);
}

void CTableDelegate::setCurrentPressedIndex(int row, int column)
{
    m_PressedRow = row;
    m_PressedColumn = column;
}
