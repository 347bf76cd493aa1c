#pragma once
// The meters window: one measurement of the current run on a large face (dial, bar, colour
// patch or number) that follows the live data. Entry i of its list stands for the branch at
// position i of the last run's folder, because the store creates a run's branches in the
// order of the setup's active measurements.
#include "windowbase/KorvantaWindow.h"
#include "table/MetersView.h"

#include <QStringList>
#include <QVector>

class CDataBranch;
class CDataManager;
class CSetupInfo;
class CSensorInfo;
class QTimer;
namespace Ui {
class CMetersWindow;
}

class CMetersWindow : public CKorvantaWindow
{
    Q_OBJECT
public:
    // New data are taken at most once per tick, however often the loggers announce them.
    static constexpr int s_RedrawTickMs = 50;

    CMetersWindow(QWidget* parent, Qt::WindowFlags flags);
    ~CMetersWindow() override;

    void setCurrentMeterType(CMetersView::MeterType type);
    void setBranchOnView(int position);

    // An entry of the list: its text and the measurement of the setup it stands for.
    struct Entry
    {
        QString text;
        int sensorIndex = 0;
        int measurement = -1;
        QString unit;
    };
    // The list for a setup: each active measurement of every selected sensor that gives data
    // branches, as "name (unit)".
    static QVector<Entry> MeasurementEntries(const CSetupInfo* setup, const CSensorInfo* catalogue);
    static QStringList MeasurementTexts(const CSetupInfo* setup, const CSensorInfo* catalogue);
    // Whether a branch holds the entry's measurement (one that does not say which it holds is
    // taken at its word).
    static bool Records(const CDataBranch& branch, const Entry& entry);

    CMetersView* view() const;

public slots:
    void StartRunning();
    void EndRunning();
    void UpdateNewData();
    void onSensorListChanged();
    void onMeasurmentChanged(int measurmentIndex);
    void resizeEvent(QResizeEvent* resizeEvent) override;
    void changeEvent(QEvent* e) override;

private slots:
    void on_btn_analog_clicked();
    void on_btn_bar_clicked();
    void on_btn_color_clicked();
    void on_btn_digital_clicked();
    void on_btn_analog_pressed();
    void on_btn_analog_released();
    void onRedrawTick();

private:
    // The key at a position of the last run's folder; -1 when there is none.
    int keyAtPosition(int position) const;

    Ui::CMetersWindow* m_pUi = nullptr;
    CDataManager* m_pDataManager = nullptr;
    QTimer* m_pRedrawTimer = nullptr;
    QVector<Entry> m_Entries;
};
