// The full setup window's controls of the run as a whole: sampling, rate, number of samples,
// duration, X axis and manual X values.
#include "setup/FullSetupWindow.h"
#include "Core/Data/SeriesNames.h"

#include "Core/Data/SensorInfo.h"
#include "Core/Data/SetupInfo.h"
#include "setup/SetupWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QTableWidget>

#include <algorithm>
#include <tuple>

void CFullSetupWindow::initSamplingType()
{
    ui->SamplingTypeCombo->addItem(tr("Manual"));
    ui->SamplingTypeCombo->addItem(tr("Auto"));
    if (m_pSetupWindow)
        connect(ui->SamplingTypeCombo, QOverload<int>::of(&QComboBox::activated), m_pSetupWindow,
                &CSetupWindow::samplingTypeChanged);
}

void CFullSetupWindow::initRateAndDuration()
{
    QComboBox* rate = ui->RateComboBox;
    QComboBox* samples = ui->DurationComboBox;
    rate->setEnabled(true);
    samples->setEnabled(true);
    rate->clear();
    samples->clear();
    if (!m_pSetupWindow || m_pSetupWindow->m_UiRateCodes.isEmpty())
        return;
    rate->addItems(m_pSetupWindow->m_RateNames);
    samples->addItems(m_pSetupWindow->m_SampleCountNames);

    const CSetupInfo* info = setup();
    int r = info ? info->m_RateCode : 0;
    int n = info ? info->m_NumberOfSamples : 0;
    if (!s_bRateChosenOnce) {
        s_bRateChosenOnce = true;
        const CCurrentLoggerStatus status =
            info && !info->m_LoggerStatusList.isEmpty() ? info->m_LoggerStatusList.first() : CCurrentLoggerStatus();
        r = status.m_RateCode;
        n = status.m_NumberOfSamples;
    }
    const QList<int>& codes = m_pSetupWindow->m_UiRateCodes;
    if (r == 0) {
        // The rate stays out of reach under manual sampling, but it keeps the rate picked last,
        // which a return to timed sampling takes up again.
        const int last = codes.indexOf(m_pSetupWindow->lastChosenRate());
        if (last >= 0)
            rate->setCurrentIndex(last);
        ui->SamplingTypeCombo->setCurrentIndex(0);
        emit ui->SamplingTypeCombo->activated(0);
    } else {
        ui->SamplingTypeCombo->setCurrentIndex(1);
        if (!codes.contains(r))
            r = codes.first();
        const int item = r == 15 ? rate->count() - 1 : codes.indexOf(r);
        rate->setCurrentIndex(item);
        emit rate->activated(item);
        emit ui->SamplingTypeCombo->activated(1);
    }
    const int found = m_pSetupWindow->m_SampleCounts.indexOf(n);
    const int item = found >= 0 ? found : std::min(4, samples->count() - 1);
    samples->setCurrentIndex(item);
    emit samples->activated(item);
}

int CFullSetupWindow::getCurrentRate() const
{
    if (!m_pSetupWindow || ui->RateComboBox->count() == 0 || m_pSetupWindow->m_UiRateCodes.isEmpty())
        return -1;
    const int item = ui->RateComboBox->currentIndex();
    return item >= 0 && item < m_pSetupWindow->m_UiRateCodes.size() ? m_pSetupWindow->m_UiRateCodes.at(item) : -1;
}

void CFullSetupWindow::updateDurationLabel()
{
    QString text;
    if (m_pSetupWindow && m_pSetupWindow->durationText(&text))
        ui->DurationLabel->setText(text);
}

void CFullSetupWindow::setRunControlsEnabled(bool enabled)
{
    m_bRunControlsEnabled = enabled;
    for (QWidget* w : {static_cast<QWidget*>(ui->XAxisTypeCombo), static_cast<QWidget*>(ui->SamplingTypeCombo),
                       static_cast<QWidget*>(ui->SensorsTable), static_cast<QWidget*>(ui->DurationComboBox)})
        w->setEnabled(enabled);
    if (!enabled) {
        ui->DetectionModeCombo->setEnabled(false);
        ui->RateComboBox->setEnabled(false);
    }
    // The typed X values are part of the setup too: held with the rest, back as the sampling
    // type has them.
    updateManualX(ui->SamplingTypeCombo->currentIndex() == 0);
}

void CFullSetupWindow::setRateEnabled(bool enabled)
{
    ui->RateComboBox->setEnabled(enabled);
}

void CFullSetupWindow::setManualValuesEnabled(bool enabled)
{
    ui->manualValuesCheckbox->setEnabled(enabled && m_bRunControlsEnabled);
}

void CFullSetupWindow::updateXAxisCombo()
{
    QComboBox* combo = ui->XAxisTypeCombo;
    combo->clear();
    CSetupInfo* info = setup();
    if (!m_pSetupWindow || !info)
        return;
    QList<XAxisInfo>& list = m_pSetupWindow->m_XAxisList;
    list.clear();
    info->m_XAxisChannel = -1;
    info->m_XAxisMeasurement = -1;
    info->m_bXAxisDefault = true;
    combo->addItem(info->m_RateCode == 0 ? tr("Sample") : tr("Time"));
    list.append(XAxisInfo());
    const CSensorInfo* catalogue = m_pSetupWindow->sensorCatalogue();
    for (int k = 0; k < info->m_SelectedSensorList.size(); ++k) {
        const CSesnorProperties* sensor = info->m_SelectedSensorList.at(k);
        if (!sensor || sensor->m_SensorIndex == 0)
            continue;
        for (int m = 0; m < sensor->m_MeasurementList.size(); ++m) {
            const CMeasurementSetup* ms = sensor->m_MeasurementList.at(m);
            const CSensorMeasuremntInfo* mi = catalogue ? catalogue->GetMeasurementInfo(sensor->m_SensorIndex, m) : nullptr;
            if (!ms || !ms->m_bActive || !mi)
                continue;
            list.append(XAxisInfo{k, m, false});
            // Named as the run's series will be: two thermometers by their ports, the unit
            // with its prefix ("Pressure (kPa)").
            combo->addItem(SeriesNames::WithUnit(SeriesNames::OfSetupMeasurement(*info, *catalogue, k, m),
                                                 SeriesNames::SetupMeasurementUnit(*info, *catalogue, k, m)));
        }
    }
    // One measurement against itself is no choice: only the default axis is offered.
    if (combo->count() == 2)
        combo->removeItem(1);
}

void CFullSetupWindow::updateManualX(bool manualMode)
{
    const bool on = manualMode && ui->manualValuesCheckbox->isChecked() && m_bRunControlsEnabled;
    ui->manualValuesCheckbox->setEnabled(manualMode && m_bRunControlsEnabled);
    for (QWidget* w : {static_cast<QWidget*>(ui->xaxisTitleLineEdit), static_cast<QWidget*>(ui->xAxisUnitLineEdit),
                       static_cast<QWidget*>(ui->xAxisTitleLabel), static_cast<QWidget*>(ui->xAxisUnitLabel)})
        w->setEnabled(on);
}

void CFullSetupWindow::on_manualValuesCheckbox_clicked()
{
    const bool c = ui->manualValuesCheckbox->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(ui->xaxisTitleLineEdit), static_cast<QWidget*>(ui->xAxisUnitLineEdit),
                       static_cast<QWidget*>(ui->xAxisTitleLabel), static_cast<QWidget*>(ui->xAxisUnitLabel)})
        w->setEnabled(c);
    if (CSetupInfo* info = setup())
        info->m_bManualX = c;
}

void CFullSetupWindow::on_manualTitleEditted(const QString& newText)
{
    if (CSetupInfo* info = setup())
        info->m_ManualXName = newText;
}

void CFullSetupWindow::on_manualUnitEditted(const QString& newText)
{
    if (CSetupInfo* info = setup())
        info->m_ManualXUnit = newText;
}

void CFullSetupWindow::on_MinimalSetupButton_pressed()
{
    if (m_pSetupWindow)
        m_pSetupWindow->displaySetupWindow(0);
}

QList<QWidget*> CFullSetupWindow::tabChain() const
{
    // The rows are rebuilt whenever the sensors change, and their cells come and go in any
    // order: the chain is worked out from where the controls are, not kept.
    using Place = std::tuple<int, int, int, int, int, int>;
    QList<QPair<Place, QWidget*>> placed;
    QTableWidget* table = ui->SensorsTable;
    const int tableTop = table->mapTo(this, QPoint(0, 0)).y();
    for (QWidget* w : findChildren<QWidget*>()) {
        if ((w->focusPolicy() & Qt::TabFocus) != Qt::TabFocus || !w->isEnabled() || !w->isVisibleTo(this)
            || w->focusProxy())
            continue;
        QWidget* cell = w;
        while (cell && cell->parentWidget() != table->viewport())
            cell = cell->parentWidget();
        const QPoint at = w->mapTo(this, QPoint(0, 0));
        if (cell) {
            const QModelIndex index = table->indexAt(cell->pos());
            const QPoint inCell = w->mapTo(cell, QPoint(0, 0));
            placed.append({Place(tableTop, 1, index.row(), index.column(), inCell.y(), inCell.x()), w});
        } else {
            placed.append({Place(at.y(), 0, at.x(), 0, 0, 0), w});
        }
    }
    using Placed = QPair<Place, QWidget*>;
    std::stable_sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) { return a.first < b.first; });
    QList<QWidget*> chain;
    for (const auto& p : placed)
        chain.append(p.second);
    return chain;
}

bool CFullSetupWindow::focusNextPrevChild(bool next)
{
    // Tab goes round the window's own controls: the cells of the sensor table are widgets in
    // a table, which the window's default chain would leave or lose.
    const QList<QWidget*> chain = tabChain();
    if (chain.isEmpty())
        return CKorvantaWindow::focusNextPrevChild(next);
    QWidget* focus = QApplication::focusWidget();
    while (focus && !chain.contains(focus) && focus != this)
        focus = focus->parentWidget();
    const int at = chain.indexOf(focus);
    const int n = chain.size();
    const int to = at < 0 ? (next ? 0 : n - 1) : (at + (next ? 1 : n - 1)) % n;
    chain.at(to)->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}
