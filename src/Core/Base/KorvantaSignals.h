#pragma once
// The program-wide signal hub. Every event more than one part of the program cares about is
// raised here and heard by name. The hub lives in the interface thread: a signal raised on a
// logger's worker thread reaches slots of interface-thread objects through queued delivery
// (the automatic connection type, or Qt::QueuedConnection given explicitly), with every
// argument copied. Senders call the Signal... wrappers; the signals without a wrapper are
// emitted directly.
#include <QObject>
#include <QString>

class CKorvantaSignals : public QObject
{
    Q_OBJECT
public:
    explicit CKorvantaSignals(QObject* parent = nullptr);
    ~CKorvantaSignals() override = default;

    void SignalLoggerStartDetection();
    void SignalLoggerEndDtetection(bool bLoggerDetected);
    void SignalLoggerStatusArrived(int RequestSource);
    void SignalLoggerStartedRun();
    void SignalLoggerNewDataArrived();
    void SignalLoggerExperimentEnd();
    void SingnalLoggerSnapShotArrived();
    void SignalLoggerDisconnected();
    void SignalLoggerDownloadFinshed(bool offlineRun);
    void SignalLoggerDownloadStarted();
    void SignalLoggerShutDown();
    void SignalLoggerSetRangeFinished();
    void SignalLoggerEnteredBootLoaderMode();
    void SignalLoggerBootLoaderProgUpdate(int iPercentage, QString StatString);
    void SignalLoggerBootLoaderFinshed(int iBtRv);
    void SignalLoggerBootDetected();
    void SignalUserStartedRun();
    void SignalUserStartedTimingRun();
    void SignalUserFirmwareUpdate();
    void SignalUserSetSensorRange();
    void SignalUserStopKeepAliveTimer();
    void SignalUserWriteSensorId();
    void SignalVideoPlaybackStart(int folderKey);
    void SignalVideoPlaybackSample(int sample);
    void SignalVideoPlaybackStop();
    void SignalVideoRecordStart();
    void SignalVideoRecordStop();
    void SignalVideoRecordPause();
    void SignalVideoAnalysisStart(int folderKey);
    void SignalVideoAnalysisStop();
    void SignalVideoStopAllStreams();
    void SignalHasNewDataToSave();
    void SignalGuiModallessMsg(QString Title, QString Message, bool WithBtn);
    // A notice of something that happened while nobody may have been watching (a run cut
    // short): it stays until it is closed.
    void SignalGuiLastingMsg(QString Title, QString Message);
    void SingalUserAskXValue();

signals:
    void LoggerStartDetection();
    void LoggerEndDtetection(bool bLoggerDetected);
    void LoggerStatusArrived(int RequestSource);
    void LoggerStartedRun();
    void LoggerStartedTimingRun();
    void LoggerNewDataArrived();
    void LoggerExperimentEnd();
    void LoggerSnapShotArrived();
    void LoggerDisconnected();
    // The connected logger answered none of the status requests of the idle setup for a
    // while: it was handled as gone (LoggerDisconnected came first), and the user is offered
    // to connect again. Emitted directly.
    void LoggerStoppedAnswering();
    void LoggerDownloadFinshed(bool offlineRun);
    void LoggerDownloadStarted();
    void LoggerShutDown();
    void LoggerSetRangeFinished();
    void LoggerEnteredBootLoaderMode();
    void LoggerBootLoaderProgUpdate(int iPercentage, QString StatString);
    void LoggerBootLoaderFinshed(int iBtRv);
    void LoggerBootDetected();
    void UserStartedRun();
    void UserStartedTimingRun();
    void UserDetectionModeChanged();
    void UserFirmwareUpdate();
    void UserSetSensorRange();
    void UserStopKeepAliveTimer();
    void UserWriteSensorId();
    void dataKeyIsDeleted(int key);
    void newFunctionData(int functionKey, int parentKey1, int parentKey2);
    // Stored values of a series were changed by hand (a table edit): every window that shows
    // it draws it again.
    void branchValuesChanged(int key);
    void VideoPlaybackStart(int folderKey);
    void VideoPlaybackSample(int sample);
    void VideoPlaybackStop();
    void VideoRecordStart();
    void VideoRecordStop();
    void VideoRecordPaused();
    void VideoAnalysisStart(int folderKey);
    void VideoAnalysisStop();
    void VideoStopAllStreams();
    void HasNewDataToSave();
    void sensorListHasChanged();
    void GuiModallessMsg(QString Title, QString Message, bool WithBtn);
    void GuiLastingMsg(QString Title, QString Message);
    void UserAskXvalue();
};
