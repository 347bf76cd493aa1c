#pragma once
// The "Statistics" dialog: nine figures of the series under the current graph's first cursor
// over the range between the cursors, computed on a worker thread while a busy bar shows.
#include "analysis/Statistics.h"

#include <QDialog>
#include <QFutureWatcher>

class CDataManager;
class IAnalysisHost;
class QGridLayout;
class QLabel;
class QProgressBar;
class QPushButton;
class QVBoxLayout;
class QWidget;

class Ui_StatisticsDialog
{
public:
    void setupUi(QDialog* dialog);
    void retranslateUi(QDialog* dialog);

    QVBoxLayout* verticalLayout = nullptr;
    QWidget* resultGrid = nullptr;
    QGridLayout* gridLayout = nullptr;
    QLabel* averageTitleLabel = nullptr;
    QLabel* averageLabel = nullptr;
    QLabel* medianTitleLabel = nullptr;
    QLabel* medianLabel = nullptr;
    QLabel* stDevTitleLabel = nullptr;
    QLabel* stdevLabel = nullptr;
    QLabel* minTitleLabel = nullptr;
    QLabel* minLabel = nullptr;
    QLabel* maxTitleLabel = nullptr;
    QLabel* maxLabel = nullptr;
    QLabel* sumTitleLabel = nullptr;
    QLabel* sumLabel = nullptr;
    QLabel* areaTitleLabel = nullptr;
    QLabel* areaLabel = nullptr;
    QLabel* samplesTitleLabel = nullptr;
    QLabel* samplesLabel = nullptr;
    QLabel* rateTitleLabel = nullptr;
    QLabel* rateLabel = nullptr;
    QProgressBar* progressBar = nullptr;
    QPushButton* closeButton = nullptr;
};

class StatisticsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit StatisticsDialog(QWidget* parent, IAnalysisHost* host = nullptr);
    ~StatisticsDialog() override;

    // xAxisKey: the graph's X-axis series on an XY graph, along which the area is taken; -1
    // for a time graph.
    void init(int key, int start, int end, int xAxisKey = -1);
    Ui_StatisticsDialog* form() const { return ui; }
    // The task's future, for tests that wait for the worker.
    QFuture<CStatisticsInfo> future() const { return m_Watcher.future(); }

    // A figure as the dialog writes it: general form, six significant digits.
    static QString FigureText(double value);
    // The run and name of a series ("Run 1: Pressure"); its name alone when it belongs to no run.
    static QString SeriesCaption(CDataManager* data, int key);

public slots:
    void done(int result) override;

private slots:
    void ResultReady();
    void onClose();

private:
    QFutureWatcher<CStatisticsInfo> m_Watcher;
    IAnalysisHost* m_pWindowsManager = nullptr;
    Ui_StatisticsDialog* ui = nullptr;
};
