#include "analysis_dialogs/StatisticsDialog.h"
#include "windowbase/DialogKeys.h"

#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/SeriesNames.h"
#include "analysis/Functions.h"
#include "analysis_dialogs/AnalysisHost.h"
#include "windowbase/TextFit.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

void Ui_StatisticsDialog::setupUi(QDialog* dialog)
{
    dialog->setObjectName(QStringLiteral("StatisticsDialog"));
    dialog->resize(352, 340);
    verticalLayout = new QVBoxLayout(dialog);
    resultGrid = new QWidget(dialog);
    resultGrid->setObjectName(QStringLiteral("resultGrid"));
    gridLayout = new QGridLayout(resultGrid);
    QFont bold = dialog->font();
    bold.setPointSize(10);
    bold.setBold(true);
    QLabel** rows[9][2] = {{&averageTitleLabel, &averageLabel}, {&medianTitleLabel, &medianLabel},
                           {&stDevTitleLabel, &stdevLabel},     {&minTitleLabel, &minLabel},
                           {&maxTitleLabel, &maxLabel},         {&sumTitleLabel, &sumLabel},
                           {&areaTitleLabel, &areaLabel},       {&samplesTitleLabel, &samplesLabel},
                           {&rateTitleLabel, &rateLabel}};
    const char* names[9][2] = {{"averageTitleLabel", "averageLabel"}, {"medianTitleLabel", "medianLabel"},
                               {"stDevTitleLabel", "stdevLabel"},     {"minTitleLabel", "minLabel"},
                               {"maxTitleLabel", "maxLabel"},         {"sumTitleLabel", "sumLabel"},
                               {"areaTitleLabel", "areaLabel"},       {"samplesTitleLabel", "samplesLabel"},
                               {"rateTitleLabel", "rateLabel"}};
    for (int r = 0; r < 9; ++r) {
        for (int c = 0; c < 2; ++c) {
            auto* label = new QLabel(resultGrid);
            label->setObjectName(QLatin1String(names[r][c]));
            label->setFont(bold);
            gridLayout->addWidget(label, r, c);
            *rows[r][c] = label;
        }
    }
    verticalLayout->addWidget(resultGrid);
    progressBar = new QProgressBar(dialog);
    progressBar->setObjectName(QStringLiteral("progressBar"));
    progressBar->setValue(0);
    progressBar->setTextVisible(false);
    progressBar->setInvertedAppearance(false);
    verticalLayout->addWidget(progressBar);
    closeButton = new QPushButton(dialog);
    closeButton->setObjectName(QStringLiteral("closeButton"));
    verticalLayout->addWidget(closeButton);
    retranslateUi(dialog);
}

void Ui_StatisticsDialog::retranslateUi(QDialog* dialog)
{
    auto tr = [](const char* text) { return QCoreApplication::translate("StatisticsDialog", text); };
    dialog->setWindowTitle(tr("Statistics"));
    averageTitleLabel->setText(tr("Average :"));
    medianTitleLabel->setText(tr("Median :"));
    stDevTitleLabel->setText(tr("StDev :"));
    minTitleLabel->setText(tr("Min :"));
    maxTitleLabel->setText(tr("Max :"));
    sumTitleLabel->setText(tr("Sum :"));
    areaTitleLabel->setText(tr("Area :"));
    samplesTitleLabel->setText(tr("Samples :"));
    rateTitleLabel->setText(tr("Rate :"));
    for (QLabel* value : {averageLabel, medianLabel, stdevLabel, minLabel, maxLabel, sumLabel, areaLabel, samplesLabel,
                          rateLabel})
        value->setText(tr("TextLabel"));
    closeButton->setText(tr("Close"));
}

StatisticsDialog::StatisticsDialog(QWidget* parent, IAnalysisHost* host)
    : QDialog(parent), m_pWindowsManager(host ? host : dynamic_cast<IAnalysisHost*>(parent)), ui(new Ui_StatisticsDialog)
{
    ui->setupUi(this);
    ui->progressBar->setMinimum(0);
    ui->progressBar->setMaximum(0);
    // The results are only shown: closing is the dialog's one action.
    DialogKeys::AcceptOnReturn(this, ui->closeButton);
}

StatisticsDialog::~StatisticsDialog()
{
    // The task may still run: its end must find nobody listening, not a half-destroyed form.
    m_Watcher.disconnect(this);
    delete ui;
    ui = nullptr;
}

QString StatisticsDialog::FigureText(double value)
{
    return QStringLiteral("%1").arg(value, 0, 'g');
}

QString StatisticsDialog::SeriesCaption(CDataManager* data, int key)
{
    const CDataBranch* branch = data ? data->GetDataBranch(key) : nullptr;
    if (!branch)
        return QString();
    // With its unit: a thermometer's °C and °F series share a name.
    const QString named = SeriesNames::WithUnit(branch->m_Name, branch->m_Unit);
    // A derived series belongs to its source, and so on up to the run; the owner keys come from
    // workspace files, so the walk is bounded.
    int owner = branch->m_OwnerKey;
    for (int step = 0; step < 16 && owner != -1; ++step) {
        if (const CDataFolder* run = data->GetDataFolder(owner))
            return QStringLiteral("%1: %2").arg(run->m_Name, named);
        const CDataBranch* up = data->GetDataBranch(owner);
        owner = up ? up->m_OwnerKey : -1;
    }
    return named;
}

void StatisticsDialog::init(int key, int start, int end, int xAxisKey)
{
    // Without cursors the statistics are of a whole curve the user did not point at: say which.
    const QString series = SeriesCaption(m_pWindowsManager ? m_pWindowsManager->AnalysisData() : nullptr, key);
    if (!series.isEmpty()) {
        setWindowTitle(QStringLiteral("%1 - %2").arg(windowTitle(), series));
        // A long series name would be cut in the title bar of the form's width.
        TextFit::FitTitle(this);
    }
    ui->progressBar->show();
    ui->resultGrid->hide();
    connect(ui->closeButton, &QPushButton::clicked, this, &StatisticsDialog::onClose);
    connect(&m_Watcher, &QFutureWatcher<CStatisticsInfo>::finished, this, &StatisticsDialog::ResultReady);
    CFunctions* engine = m_pWindowsManager ? m_pWindowsManager->AnalysisEngine() : nullptr;
    if (!engine)
        return;
    // The engine copies the range here, on this thread; the worker computes on the copy, so a
    // series deleted meanwhile is never read.
    m_Watcher.setFuture(engine->StartStatistics(key, long(start), long(end), xAxisKey));
}

void StatisticsDialog::done(int result)
{
    // A closed dialog takes no more results: the task finishes on its own and is dropped.
    m_Watcher.disconnect(this);
    QDialog::done(result);
}

void StatisticsDialog::ResultReady()
{
    if (!ui || !m_Watcher.future().isResultReadyAt(0))
        return;
    const CStatisticsInfo info = m_Watcher.future().resultAt(0);
    ui->progressBar->hide();
    ui->resultGrid->show();
    ui->averageLabel->setText(FigureText(info.m_average));
    ui->medianLabel->setText(FigureText(info.m_median));
    ui->stdevLabel->setText(FigureText(info.m_stdev));
    ui->minLabel->setText(FigureText(info.m_min));
    ui->maxLabel->setText(FigureText(info.m_max));
    ui->sumLabel->setText(FigureText(info.m_sum));
    ui->areaLabel->setText(FigureText(info.m_area));
    ui->samplesLabel->setText(QString::number(info.m_samples));
    // A run sampled by hand has no rate: "1 Samples per second" would be a figure of nothing.
    ui->rateLabel->setText(info.m_bByHand ? tr("Manual: a sample per press")
                                          : QStringLiteral("%1 %2").arg(FigureText(info.m_rate), tr("Samples per second")));
}

void StatisticsDialog::onClose()
{
    close();
}
