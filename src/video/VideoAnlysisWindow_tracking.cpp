// Tracking an object into a run: starting and stopping, the search in each frame, the manual
// clicks, and the marker and trail drawn over the picture.
#include "video/VideoAnlysisWindow.h"

#include "windowbase/ChildWindowHost.h"
#include "windowbase/MultiAction.h"
#include "windowbase/Prompter.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"
#include "Core/Base/KorvantaSignals.h"
#include "video/VideoSurface_Player.h"
#include "tracking/TemplateTracker.h"
#include "tracking/VideoAxis.h"
#include "tracking/VideoRules.h"

#include <QPainter>
#include <QTimer>

namespace {

QPen trackPen()
{
    QPen pen(QColor(0, 220, 0, 255));
    pen.setWidth(2);
    return pen;
}

QFont labelFont()
{
    QFont font(QStringLiteral("Helvetica"), 9);
    font.setWeight(75);
    return font;
}

} // namespace

void CVideoAnlysisWindow::setTrackIcons(const QString& normal, const QString& disabled)
{
    MultiAction* track = action(KeyStartTracking);
    if (!track)
        return;
    track->setPressedIcon(QIcon(normal));
    track->setHoverIcon(QIcon(normal));
    track->setNormalIcon(QIcon(normal));
    track->setDisabledIcon(QIcon(disabled));
    track->RefreshNormal();
}

void CVideoAnlysisWindow::OnStartTrack()
{
    axisMode = VideoAxisMode::None;
    if (isTracking) {
        stopTracking();
        return;
    }
    if (!mediaPlayer || !mediaPlayer->isVideoAvailable())
        return;
    isTracking = true;
    lastTrackedPoint = QPoint(-1000, -1000);
    m_Tracker.Stop();
    const QString pause = QStringLiteral("://images/Video/TrackPause_Normal.png");
    setTrackIcons(pause, pause);
    InitTrackingData();
    // Announced before the first frame is asked for: a run that ends at once still ends after
    // it began, for everyone who locks something while it lasts.
    if (CKorvantaSignals* h = hub())
        h->SignalVideoAnalysisStart(m_Run.m_FolderKey);
    // Both modes stand on frame 0 first. The automatic run then goes frame by frame, asking for
    // the next frame only when the last one is recorded: played in real time, frames that come
    // while one is searched would be dropped, and a run could record fewer points than frames.
    requestFrame(0);
}

void CVideoAnlysisWindow::stopTracking()
{
    isTracking = false;
    m_Tracker.Stop();
    m_pFrameWatchdog->stop();
    m_RequestedFrame = -1;
    isStepping = false;
    if (mediaPlayer)
        mediaPlayer->stop();
    if (CKorvantaSignals* h = hub())
        h->SignalVideoAnalysisStop();
    setTrackIcons(QStringLiteral("://images/Video/Tracking_Normal.png"),
                  QStringLiteral("://images/Video/Tracking_Disable.png"));
    // The marker belongs to the run; the trail stays.
    updateVideoDisplay();
}

void CVideoAnlysisWindow::trackFrame(QImage& image, int index)
{
    // Only the frame asked for is recorded: point k of the run is the object in frame k.
    if (m_RequestedFrame < 0 || index != m_RequestedFrame)
        return;
    frameImage = TrackTemplateMatch(image, objectTemplate);
    if (!isTracking)
        return;   // the search failed and ended the run
    AddTrackingData();
    updateVideoDisplay();
    frameShown(index);
    if (index + 1 < frameCount)
        requestFrame(index + 1);
    else
        OnStartTrack();   // the last frame is recorded: the run ends as the track command ends it
}

void CVideoAnlysisWindow::InitTrackingData()
{
    ++trackingRunCounter;
    // Numbered after the tracks the workspace holds, not the tracks made since the program
    // started: a new workspace starts again at 1, and a number is never taken twice.
    const QString stem = tr("Video Analysis ");
    const CDataManager* data = dataManager();
    const QString name = stem + QString::number(data ? data->NextFolderNumber(stem) : trackingRunCounter);
    const double secondsPerFrame = frameRate > 0.0 ? 1.0 / frameRate : 1.0;
    if (m_Run.Init(dataManager(), name, tr("X Position"), tr("Y Position"), secondsPerFrame) && m_pHost) {
        m_pHost->HistoryNewFolder();
        m_pHost->HistoryRestore(false);
    }
}

void CVideoAnlysisWindow::AddTrackingData()
{
    QPoint centre = lastTrackedPoint;
    if (trackingMode == VideoTrackingMode::Automatic)
        centre += QPoint(selectionRect.width() / 2, selectionRect.height() / 2);
    m_Run.Record(dataManager(), axisPoint, centre);
    if (CKorvantaSignals* h = hub())
        h->SignalLoggerNewDataArrived();
}

QImage CVideoAnlysisWindow::TrackTemplateMatch(QImage& frame, QImage& tmpl)
{
    QPoint location;
    QString error;
    // The run's search learns from every frame which of the selected pixels are the object.
    const bool found = (m_Tracker.Started() || m_Tracker.Start(tmpl, selectionRect, &error))
                       && m_Tracker.Track(frame, &location, &error);
    if (!found) {
        // An object that cannot be searched for (cut at the picture's edge, or from another
        // video) ends the run with a message instead of failing on every frame.
        // The box waits for the next turn of the event loop: shown from inside the frame
        // handler, its own loop would hand this window further frames half-way through this one.
        stopTracking();
        QTimer::singleShot(0, this, [this, error] {
            prompter()->critical(this, tr("Video Analysis"), tr("Tracking stopped: %1").arg(error));
        });
        return frame.copy();
    }
    lastTrackedPoint = location;
    const QPointF centre(location.x() + selectionRect.width() / 2, location.y() + selectionRect.height() / 2);
    axisPoint = PointToAxisPoint(centre);
    return frame.copy(0, 0, frame.width(), frame.height());
}

void CVideoAnlysisWindow::AddManualTrackingPoint(QPoint point)
{
    // A click while the next frame is still on its way would be a second point of the frame
    // before; the frame shown gets one point.
    if (m_RequestedFrame >= 0)
        return;
    lastTrackedPoint = point;
    axisPoint = PointToAxisPoint(QPointF(point));
    AddTrackingData();
    const qint64 c = playerSurface->frameCounter;
    if (c + 1 < frameCount)
        requestFrame(c + 1);
    else
        OnStartTrack();   // the point of the last frame ends the run
}

QPointF CVideoAnlysisWindow::PointToAxisPoint(QPointF point) const
{
    return VideoAxis::PointToAxisPoint(point, axisOrigin, axisAngle);
}

void CVideoAnlysisWindow::DrawTracking(QImage* view)
{
    if (!view)
        return;
    QPainter painter(view);
    painter.setPen(trackPen());
    painter.setBrush(Qt::NoBrush);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const int w = selectionRect.width();
    const int h = selectionRect.height();
    const QPoint nearCorner = PointToVideoView(lastTrackedPoint);
    const QPoint farCorner = PointToVideoView(lastTrackedPoint + QPoint(w, h));
    QPoint centre = lastTrackedPoint;
    if (trackingMode == VideoTrackingMode::Automatic) {
        painter.drawRect(QRect(nearCorner, farCorner - QPoint(1, 1)));
        centre += QPoint(w / 2, h / 2);
    }
    const QPoint c = PointToVideoView(centre);
    painter.drawLine(c.x() - 5, c.y(), c.x() + 5, c.y());
    painter.drawLine(c.x(), c.y() - 5, c.x(), c.y() + 5);
    painter.setFont(labelFont());
    const QString text = QStringLiteral("(") + Double2String(axisPoint.x(), 0, false, false) + QStringLiteral(",")
                         + Double2String(axisPoint.y(), 0, false, false) + QStringLiteral(")");
    const QPoint at = trackingMode == VideoTrackingMode::Manual ? QPoint(c.x() + 5, c.y() + 13) : QPoint(farCorner.x(), farCorner.y() + 13);
    painter.drawText(at, text);
}

void CVideoAnlysisWindow::DataKeyDeleted(int key)
{
    if (key < 0 || (key != m_Run.m_XBranchKey && key != m_Run.m_YBranchKey))
        return;
    // The points would go on into series that are gone: the run ends with its track.
    if (isTracking)
        stopTracking();
    m_Run = CTrackingRun();
    updateVideoDisplay();
}

void CVideoAnlysisWindow::DrawTrackingTrail(QImage* view)
{
    if (!view || m_Run.m_Trail.isEmpty())
        return;
    QPainter painter(view);
    painter.setPen(trackPen());
    painter.setBrush(Qt::NoBrush);
    painter.setRenderHint(QPainter::Antialiasing, true);
    for (const QPoint& p : m_Run.m_Trail) {
        const QPoint v = PointToVideoView(p);
        painter.drawEllipse(QRect(QPoint(v.x() - 1, v.y() - 1), QPoint(v.x(), v.y())));
    }
}
