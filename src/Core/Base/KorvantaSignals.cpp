#include "Core/Base/KorvantaSignals.h"

#include "Core/Base/Diagnostics.h"

namespace {
inline void trace(const char* name)
{
    MyOutputDebugString(name, DiagGui);
}
} // namespace

CKorvantaSignals::CKorvantaSignals(QObject* parent) : QObject(parent) {}

void CKorvantaSignals::SignalLoggerStartDetection()
{
    trace("SignalLoggerStartDetection");
    emit LoggerStartDetection();
}

void CKorvantaSignals::SignalLoggerEndDtetection(bool bLoggerDetected)
{
    trace("SignalLoggerEndDtetection");
    emit LoggerEndDtetection(bLoggerDetected);
}

void CKorvantaSignals::SignalLoggerStatusArrived(int RequestSource)
{
    emit LoggerStatusArrived(RequestSource);
}

void CKorvantaSignals::SignalLoggerStartedRun()
{
    trace("SignalLoggerStartedRun");
    emit LoggerStartedRun();
}

void CKorvantaSignals::SignalLoggerNewDataArrived()
{
    emit LoggerNewDataArrived();
}

void CKorvantaSignals::SignalLoggerExperimentEnd()
{
    trace("SignalLoggerExperimentEnd");
    emit LoggerExperimentEnd();
}

void CKorvantaSignals::SingnalLoggerSnapShotArrived()
{
    trace("SingnalLoggerSnapShotArrived");
    emit LoggerSnapShotArrived();
}

void CKorvantaSignals::SignalLoggerDisconnected()
{
    trace("SignalLoggerDisconnected");
    emit LoggerDisconnected();
}

void CKorvantaSignals::SignalLoggerDownloadFinshed(bool offlineRun)
{
    trace("SignalLoggerDownloadFinshed");
    emit LoggerDownloadFinshed(offlineRun);
}

void CKorvantaSignals::SignalLoggerDownloadStarted()
{
    trace("SignalLoggerDownloadStarted");
    emit LoggerDownloadStarted();
}

void CKorvantaSignals::SignalLoggerShutDown()
{
    trace("SignalLoggerShutDown");
    emit LoggerShutDown();
}

void CKorvantaSignals::SignalLoggerSetRangeFinished()
{
    trace("SignalLoggerSetRangeFinished");
    emit LoggerSetRangeFinished();
}

void CKorvantaSignals::SignalLoggerEnteredBootLoaderMode()
{
    trace("SignalLoggerEnteredBootLoaderMode");
    emit LoggerEnteredBootLoaderMode();
}

void CKorvantaSignals::SignalLoggerBootLoaderProgUpdate(int iPercentage, QString StatString)
{
    trace("SignalLoggerBootLoaderProgUpdate");
    emit LoggerBootLoaderProgUpdate(iPercentage, StatString);
}

void CKorvantaSignals::SignalLoggerBootLoaderFinshed(int iBtRv)
{
    trace("SignalLoggerBootLoaderFinshed");
    emit LoggerBootLoaderFinshed(iBtRv);
}

void CKorvantaSignals::SignalLoggerBootDetected()
{
    emit LoggerBootDetected();
}

void CKorvantaSignals::SignalUserStartedRun()
{
    trace("SignalUserStartedRun");
    emit UserStartedRun();
}

void CKorvantaSignals::SignalUserStartedTimingRun()
{
    trace("SignalUserStarteTimingRun");
    emit UserStartedTimingRun();
}

void CKorvantaSignals::SignalUserFirmwareUpdate()
{
    trace("SignalUserFirmwareUpdate");
    emit UserFirmwareUpdate();
}

void CKorvantaSignals::SignalUserSetSensorRange()
{
    trace("SignalUserSetSensorRange");
    emit UserSetSensorRange();
}

void CKorvantaSignals::SignalUserStopKeepAliveTimer()
{
    trace("SignalUserStopKeepAliveTimer");
    emit UserStopKeepAliveTimer();
}

void CKorvantaSignals::SignalUserWriteSensorId()
{
    trace("SignalUserWriteSensorId");
    emit UserWriteSensorId();
}

void CKorvantaSignals::SignalVideoPlaybackStart(int folderKey)
{
    trace("SignalVideoPlaybackStart");
    emit VideoPlaybackStart(folderKey);
}

void CKorvantaSignals::SignalVideoPlaybackSample(int sample)
{
    trace("SignalVideoPlaybackSample");
    emit VideoPlaybackSample(sample);
}

void CKorvantaSignals::SignalVideoPlaybackStop()
{
    trace("SignalVideoPlaybackStop");
    emit VideoPlaybackStop();
}

void CKorvantaSignals::SignalVideoRecordStart()
{
    trace("SignalVideoRecordStart");
    emit VideoRecordStart();
}

void CKorvantaSignals::SignalVideoRecordStop()
{
    trace("SignalVideoRecordStop");
    emit VideoRecordStop();
}

void CKorvantaSignals::SignalVideoRecordPause()
{
    trace("SignalVideoRecordPause");
    emit VideoRecordPaused();
}

void CKorvantaSignals::SignalVideoAnalysisStart(int folderKey)
{
    emit VideoAnalysisStart(folderKey);
}

void CKorvantaSignals::SignalVideoAnalysisStop()
{
    emit VideoAnalysisStop();
}

void CKorvantaSignals::SignalVideoStopAllStreams()
{
    emit VideoStopAllStreams();
}

void CKorvantaSignals::SignalHasNewDataToSave()
{
    emit HasNewDataToSave();
}

void CKorvantaSignals::SignalGuiModallessMsg(QString Title, QString Message, bool WithBtn)
{
    emit GuiModallessMsg(Title, Message, WithBtn);
}

void CKorvantaSignals::SignalGuiLastingMsg(QString Title, QString Message)
{
    emit GuiLastingMsg(Title, Message);
}

void CKorvantaSignals::SingalUserAskXValue()
{
    emit UserAskXvalue();
}
