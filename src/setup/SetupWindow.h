#pragma once
// The controller of the experiment setup. It owns the current setup record, keeps its list of
// selected sensors in step with what the connected logger reports, polls the logger's status,
// passes the setup's logger requests on with at most one outstanding, and builds the sensor,
// rate and sample-count lists the setup windows offer.
#include "Core/Base/ExperimentRunMode.h"
#include "Core/Data/SensorsCalibration.h"

#include <QColor>
#include <QList>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QString>
#include <QStringList>

class CSetupInfo;
class CFullSetupWindow;
class CMinimalSetupWindow;
class CKorvantaSignals;
class ILogicQueries;
class ILoggerFace;

class CSensorInfo;
class CSesnorProperties;
class ISetupHost;
class QTimer;
class QWidget;

struct XAxisInfo
{
    int m_Channel = -1;
    int m_Measurement = -1;
    bool m_bDefault = true;
};

class CSetupWindow : public QObject
{
    Q_OBJECT
public:
    enum RequestType { StatusRequest = 0, SnapshotRequest = 1, SetRangeRequest = 2 };
    typedef int SetupWindowType; // 1 the full setup window, any other value the summary

    static constexpr int s_StatusPollMs = 1000;
    static constexpr int s_ManualDetectionRows = 8;
    static constexpr int s_QueueDropLength = 3;

    explicit CSetupWindow(QWidget* parent);
    ~CSetupWindow() override;

    virtual void show();
    virtual void hide();

    void displaySetupWindow(SetupWindowType type);
    CSetupInfo* getSetupInfo() const { return m_pSetupInfo; }
    void stopTimers(bool stop);
    void initWindow();
    void createSensorList();
    void createRateList(double loggerType);
    void createDurationList(double loggerType);
    void loggerConnected(bool on);
    void ApproveSendingRequest();
    void SendQueuedRequest(RequestType kind);
    void addSensor2ActiveSensorList(int catalogueIndex, int position, int port);
    void updateSensorInActiveSensorList(int catalogueIndex, int position);
    void UpdateSettingsFile(int catalogueIndex, int channel, int measurement, bool active);
    bool GetSettingsMeasurmentActive(int channel, int measurement) const;
    bool RatesListEmpty() const { return m_UiRateCodes.isEmpty(); }

    // The run-duration text for the current rate and number of samples; false when the
    // labels are to keep what they show (a negative number of samples).
    bool durationText(QString* text) const;
    // The duration text of a total run time in seconds.
    static QString FormatDuration(double totalSeconds);
    // What the summary's rate and duration lines say of the run the Run button starts: the
    // rate and its duration, or, for manual sampling and event timing, what those runs do.
    static QPair<QString, QString> SummaryRunTexts(ExperimentRunMode runMode, int rateCode, int samples,
                                                   int timingMeasurement, const QString& rateName,
                                                   const QString& duration);
    // Puts them on the summary window (also when the main window's run mode changed).
    void refreshSummary();

    // The window the arrangement places (the full or the summary window); null until the
    // setup windows exist.
    QWidget* currentWindow() const;
    // The summary window, which the arrangement keeps in the setup's place even while the full
    // window is shown: leaving the full window brings it back there.
    QWidget* summaryWidget() const { return m_pMinimalSetupWindow; }
    bool isStatusPollRunning() const;
    QTimer* triggerDelayTimer() const { return m_pTriggerDelayTimer; }
    bool controlsEnabled() const { return m_bControlsEnabled; }
    const QList<int>& requestQueue() const { return m_RequestQueue; }
    int requestPending() const { return m_bRequestPending; }
    SetupWindowType setupWindowType() const { return m_SetupWindowType; }
    const QString& currentDurationText() const { return m_DurationText; }

    // What the setup columns and their dialogs reach through the controller.
    CKorvantaSignals* signalHub() const;
    ILogicQueries* logicQueries() const;
    const CSensorInfo* sensorCatalogue() const { return catalogue(); }
    CSensorsCalibration* calibrationTable() const;
    double loggerType() const { return detectedLoggerType(); }
    // What the detected logger can do (the answers of no logger when none is detected).
    const ILoggerFace& detectedFace() const;
    // The one writer of the setup record's trigger fields (inactive: no trigger).
    void setTrigger(bool triggerActive, int SourceChannel, int triggerLevelIndex, int triggerValue, int triggerType);
    // Reads again whether the trigger level's value falls as its code rises (the levels of the
    // sensor as now calibrated); true when that changed.
    bool refreshTriggerDirection();
    // The catalogue index of the sensor on a row; 0 when the row has none.
    int getSensorIdAtSourceChannel(int channel) const;
    // Set while a calibration reads the Dravlet interface's readings live: only then is it
    // asked for snapshots.
    bool calibrationSnapshot() const { return m_bCalibrationSnapshot; }
    void setCalibrationSnapshot(bool on);
    void WaitHere(int ms);
    // A live reading of a channel, in the unit of the measurement shown.
    float convertReading(int channel, int sensorIndex, int measurement, int raw) const;
    CFullSetupWindow* fullSetupWindow() const;
    CMinimalSetupWindow* summaryWindow() const;

    bool m_bSetupShown = true;
    QStringList m_SensorNames;
    QList<int> m_UiRateCodes;
    // The rate the user picked last, -1 before any.
    int lastChosenRate() const { return m_LastChosenRate; }
    QStringList m_RateNames;
    QList<int> m_SampleCounts;
    QStringList m_SampleCountNames;
    QList<XAxisInfo> m_XAxisList;

signals:
    void setupChanged(int SourceChannel);
    void statusRequest(int Id);
    void requestSnapshot();
    void requestSetRange();
    void updateXAxis();

public slots:
    void XAxisChanged(int ComboIndex);
    void setupTimout();
    void disableSetup(bool loggerRunning);
    // The logger went and its setup waits for it: held as during a run, without readings.
    void waitForLogger();
    void enableSetup();
    void updateSetupWindow(int command);
    void setRangeFinished();
    void samplingTypeChanged(int comboIndex);
    void rateChanged(int comboIndex);
    void durationChanged(int comboIndex);
    void triggerChanged(bool triggerActive, int SourceChannel, int triggerLevelIndex, int triggerValue,
                        int triggerType);
    void detectionTypeChanged(int comboIndex);
    void sensorChanged(int SensorID, int SourceChannel);
    void rangeChanged(int RangeIndex, int SourceChannel);
    void measurementChanged(QList<bool> measurements, int tableIndex);
    void calibrationChanged(CalibrationValues calibrationValues, int tableIndex);
    void UseCalibrationChanged(bool use, int tableIndex);
    void colorChanged(QColor color, int tableIndex, int measurementIndex);
    void plotStyleChanged(int plotStyle, int tableIndex, int measurementIndex);
    void scaleTypeChanged(int type, int tableIndex, int measurementIndex);
    void scaleChanged(double min, double max, int tableIndex, int measurementIndex);
    void zeroChanged(bool zeroEnabled, double zeroLevel, int tableIndex, int measurementIndex);
    void OnSetupSummaryChanged();
    void subSensorChanged(int selection, int sourceChannel);

private:
    static void bringToFront(QWidget* window);
    bool hasActiveLogger() const;
    double detectedLoggerType() const;
    const CSensorInfo* catalogue() const;
    int statusChannelIndex(int position) const;
    int statusChannelPort(int position) const;
    int statusChannelCount() const;
    CSesnorProperties* makeSensor(int catalogueIndex, int position, int port);
    void fillMeasurements(CSesnorProperties* sensor, bool fromSettings, const QList<QColor>& colours,
                          const QList<int>& styles);
    void clearSensorList();
    bool statusMatchesList(int selected, int channels) const;
    void updateSettingsFromStatus(int selected, int channels);
    // The first status of a newly connected logger: a setup held for the logger that went
    // stays when this is it, and makes way otherwise. True when it made way: the online
    // functions whose sensors are still on their channels stayed, the others went and the
    // teacher is told which.
    bool takeBackHeldSetup();
    void tellOnlineFunctionsDropped(const QStringList& names);
    void activeMeasurementsChanged();
    // A calibration or a zero changed what the trigger levels read: the lists are relabelled
    // and the logger hears of a level that now compares the other way round.
    void triggerLevelsChanged();
    void refreshDuration();
    void refreshWindows();
    int currentRate() const;

    ISetupHost* m_pHost = nullptr;
    QWidget* m_pWindowsManager = nullptr;
    QWidget* m_pFullSetupWindow = nullptr;
    QWidget* m_pMinimalSetupWindow = nullptr;
    bool m_bSetupDisabled = false;
    bool m_bNewConnection = false;
    QTimer* m_pTriggerDelayTimer = nullptr;
    const CSensorInfo* m_pSensorCatalogue = nullptr;
    int m_bRequestPending = 0;
    QList<int> m_RequestQueue;
    QTimer* m_pStatusTimer = nullptr;
    CSetupInfo* m_pSetupInfo = nullptr;
    SetupWindowType m_SetupWindowType = 0;
    int m_bInitialized = 0;
    bool m_bControlsEnabled = false;
    int m_LastChosenRate = -1;
    QString m_DurationText;
    bool m_bCalibrationSnapshot = false;
    QPointer<CFullSetupWindow> m_pFull;
    QPointer<CMinimalSetupWindow> m_pMinimal;
};
