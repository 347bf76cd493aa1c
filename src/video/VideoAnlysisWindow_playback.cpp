// Loading a video, playing, stepping and seeking it, and keeping a linked run in step.
#include "video/VideoAnlysisWindow.h"

#include "windowbase/ChildWindowHost.h"
#include "windowbase/MultiAction.h"
#include "windowbase/Prompter.h"
#include "Core/Data/DataManager.h"
#include "Core/Base/KorvantaSignals.h"
#include "video/VideoPositionSlider.h"
#include "video/VideoSurface_Player.h"
#include "tracking/VideoProbe.h"
#include "tracking/VideoRules.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMdiArea>
#include <QMimeData>
#include <QPointer>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>


void CVideoAnlysisWindow::OnOpenVideo()
{
    QString start = QDir::homePath();
    const QStringList docs = QStandardPaths::standardLocations(QStandardPaths::DocumentsLocation);
    // A start folder that does not exist would be offered as the file name ("Documents").
    if (!docs.isEmpty() && QDir(docs.first()).exists()) {
        QDir dir(docs.first());
        const QString videos = QStringLiteral("Korvanta/Videos");
        if (!dir.cd(videos)) {
            dir.mkdir(videos);
            dir = QDir(docs.first());
            if (!dir.cd(videos))
                dir = QDir(docs.first());
        }
        start = dir.absolutePath();
    }
    const QString filter = tr("Video Files") + QStringLiteral(" (") + QStringLiteral("*.mpg *.mp4 *.avi *.wmv *.mov")
                           + QStringLiteral(")");
    QPointer<CVideoAnlysisWindow> self(this);
    const QString path = prompter()->getOpenFileName(this, tr("Open Video File"), start, filter);
    if (!self || path.isEmpty())
        return;
    for (QChar c : {QChar('#'), QChar('%'), QChar('^'), QChar(0x60)}) {
        if (path.contains(c)) {
            prompter()->information(this, QStringLiteral("Video"),
                                    tr("The name of the file you are trying to open includes illegal characters. "
                                       "Please rename file and try again."));
            return;
        }
    }
    qint64 frames = 0;
    double fps = 0.0;
    CVideoAnalysisPlayer probe;
    if (!probe.GetVideoInfo(path, &frames, &fps)) {
        // The window keeps the video it had: a file that cannot be read never becomes its video.
        prompter()->critical(this, tr("Video"), tr("Loading video file failed..."));
        return;
    }
    videoFile = path;
    commonLoad(path, frames, fps, false);
    notifyHasNewDataToSave();
}

bool CVideoAnlysisWindow::LoadVideoFile(QString file)
{
    return loadVideo(file, false);
}

bool CVideoAnlysisWindow::loadVideo(const QString& file, bool restoring)
{
    if (file.isEmpty() || !QFileInfo(file).isFile()) {
        prompter()->critical(this, tr("Video"), tr("Video file not found."));
        return false;
    }
    qint64 frames = 0;
    double fps = 0.0;
    CVideoAnalysisPlayer probe;
    if (!probe.GetVideoInfo(file, &frames, &fps))
        return false;
    commonLoad(file, frames, fps, restoring);
    return true;
}

void CVideoAnlysisWindow::LoadVideoFileSlot()
{
    loadVideo(videoFile, true);
}

// The media back end is started for the first video opened in the window, not with the window:
// most video windows of a workspace or a lesson never get one, and starting it is costly.
bool CVideoAnlysisWindow::makePlayer()
{
    if (mediaPlayer)
        return true;
    if (!playerSurface)
        return false;
    mediaPlayer = new QMediaPlayer(this);
    mediaPlayer->setVideoOutput(playerSurface);
    connect(mediaPlayer, &QMediaPlayer::positionChanged, this, &CVideoAnlysisWindow::mediaPlayerPositionChanged);
    connect(mediaPlayer, &QMediaPlayer::durationChanged, this, &CVideoAnlysisWindow::mediaPlayerDurationChanged);
    connect(mediaPlayer, &QMediaPlayer::stateChanged, this, &CVideoAnlysisWindow::onMediaPlayerStateChanged);
    connect(mediaPlayer, QOverload<QMediaPlayer::Error>::of(&QMediaPlayer::error), this,
            &CVideoAnlysisWindow::onPlayerError);
    connect(mediaPlayer, &QMediaPlayer::seekableChanged, this, &CVideoAnlysisWindow::onSeekableChanged);
    connect(mediaPlayer, &QMediaPlayer::videoAvailableChanged, this, &CVideoAnlysisWindow::onVideoAvailableChanged);
    return true;
}

qint64 CVideoAnlysisWindow::playerPosition() const
{
    return mediaPlayer ? mediaPlayer->position() : 0;
}

void CVideoAnlysisWindow::commonLoad(const QString& file, qint64 frames, double fps, bool restoring)
{
    if (!makePlayer())
        return;
    mediaPlayer->setMedia(QUrl::fromLocalFile(file));
    videoDuration = mediaPlayer->duration();
    videoPosition = 0;
    frameRate = fps;
    frameCount = frames;
    playState = Loaded;
    m_bFirstFrameShown = false;
    ++playerSurface->generation;
    mediaPlayer->setVolume(0);
    mediaPlayer->play();
    selectionRect = QRect();
    templateSet = false;
    // The trail read back with the window is the run it shows; a newly opened video starts clean.
    m_bRestoring = restoring;
    if (!restoring)
        m_Run.m_Trail.clear();
    availabilityTimer->start(s_AvailabilityCheckMs);
}

void CVideoAnlysisWindow::onPlayerError()
{
    // A stream that broke off before the player learnt the video's length leaves it unknown;
    // the file's own frame count and rate give it, as stepping and seeking need it.
    if (videoDuration <= 0 && frameCount > 0 && frameRate > 0)
        videoDuration = qRound64(double(frameCount) * 1000.0 / frameRate);
}

void CVideoAnlysisWindow::onCheckVideoAvailable()
{
    availabilityTimer->stop();
    if (!mediaPlayer)
        return;
    // A picture whose player never learnt a duration cannot be stepped or sought; it fails
    // like a file without a picture.
    if (!mediaPlayer->isVideoAvailable() || videoDuration <= 0)
        prompter()->critical(this, tr("Video Analysis"),
                             tr("Loading video file failed (") + QString::number(int(mediaPlayer->error()))
                                 + QStringLiteral(")."));
}

void CVideoAnlysisWindow::ClearOpenedFile()
{
    videoFile.clear();
    if (mediaPlayer)
        mediaPlayer->setMedia(QMediaContent(QUrl()));
}

void CVideoAnlysisWindow::OnPlayerframeArrived(QImage image, qint64)
{
    // Between the first frame after a load and the stop 100 ms later the muted player runs
    // on; answering each of its frames with another rewind, as the first one is, would keep
    // the player busy forever. The stop fetches the first frame again.
    if (playState == Loaded && m_bFirstFrameShown)
        return;
    // Frames reach this handler queued, so one the player made before it was stopped, stepped
    // or sent elsewhere can arrive after that; it would show a picture the window no longer
    // stands on.
    const qint64 generation = CVideoSurface_Player::FrameGeneration(image);
    if (generation >= 0 && generation != playerSurface->generation)
        return;
    if (playState == Loaded) {
        m_bFirstFrameShown = true;
        m_FirstFrameStartUs = CVideoSurface_Player::FrameStartUs(image);
        frameImage = image.copy();
        updateVideoDisplay();
        firstFrameAfterLoad(image);
        return;
    }
    const int index = frameIndexOf(image);
    if (isTracking && trackingMode == VideoTrackingMode::Automatic) {
        trackFrame(image, index);
        return;
    }
    frameImage = image.copy();
    updateVideoDisplay();
    // A picture other than the one asked for (made just before the seek took) is shown, but
    // the request stands until its own frame comes.
    if (m_RequestedFrame >= 0 && index >= 0 && index != m_RequestedFrame)
        return;
    frameShown(index);
}

int CVideoAnlysisWindow::frameIndexOf(const QImage& image) const
{
    const int byTime = VideoPlayback::FrameIndexOfTime(CVideoSurface_Player::FrameStartUs(image), m_FirstFrameStartUs,
                                                       frameRate, frameCount);
    if (byTime >= 0 || !mediaPlayer)
        return byTime;
    return VideoPlayback::FrameAtPosition(mediaPlayer->position(), frameRate);
}

void CVideoAnlysisWindow::frameShown(int index)
{
    m_pFrameWatchdog->stop();
    m_RequestedFrame = -1;
    const qint64 p = playerPosition();
    const int frame = index >= 0 ? index : VideoPlayback::FrameAtPosition(p, frameRate);
    const bool playing = playState == Playing;
    if (linkedFolderKey >= 0) {
        currentVideoFrame = frame;
        CDataManager* data = dataManager();
        if (CDataFolder* folder = data ? data->GetDataFolder(linkedFolderKey) : nullptr) {
            // The run's cursor moves one pair per frame played. A busy machine drops late
            // frames; the ones skipped are walked too, so the sample is the shown frame's.
            int from = frame;
            if (playing && frame > m_LastPlayedFrame)
                from = qMax(m_LastPlayedFrame + 1, frame - folder->GetNumVideoFrames());
            int sample = 0;
            for (int f = from; f <= frame; ++f)
                sample = folder->GetSampleFromVideoFrame(f);
            if (CKorvantaSignals* h = hub())
                h->SignalVideoPlaybackSample(sample);
        }
    }
    if (playing)
        m_LastPlayedFrame = qMax(m_LastPlayedFrame, frame);
    // The counter is the frame on the screen, whether it came by play, step, seek or tracking,
    // so a step from it is one frame either way.
    playerSurface->frameCounter = frame;
    const qint64 q = qMax<qint64>(playerPosition(), 0);
    videoPosition = q;
    // The handle stands where the frame on the screen is, however it came; not while the user
    // holds it, whose release decides where to go.
    if (!positionSlider->isSliderDown())
        positionSlider->setValue(VideoPlayback::SliderValueOfFrame(frame, frameCount));
    isStepping = false;
    sliderMoved = false;
    timeLabel->setText(VideoPlayback::TimeText(videoDuration, frame, frameCount));
    if (playing && !m_bEndingPlay && videoDuration > 0 && videoPosition >= videoDuration && mediaPlayer) {
        m_bPlayedToTheEnd = true;
        mediaPlayer->stop();
    }
    if (m_bEndingPlay && frame >= frameCount - 1) {
        m_bEndingPlay = false;
        endPlay();
    }
}

void CVideoAnlysisWindow::requestFrame(qint64 frame)
{
    if (!mediaPlayer || !playerSurface)
        return;
    if (frame != m_RequestedFrame)
        m_RequestAttempts = 0;
    isStepping = true;
    m_RequestedFrame = frame;
    playerSurface->frameCounter = frame;
    ++playerSurface->generation;
    mediaPlayer->setPosition(VideoPlayback::PositionOfFrame(frame, frameCount, videoDuration));
    mediaPlayer->play();
    mediaPlayer->pause();
    m_pFrameWatchdog->start(qMax(frameWaitMs, 1));
}

void CVideoAnlysisWindow::onFrameOverdue()
{
    if (m_RequestedFrame < 0)
        return;
    if (++m_RequestAttempts < s_FrameAttempts) {
        requestFrame(m_RequestedFrame);
        return;
    }
    const qint64 missing = m_RequestedFrame;
    m_RequestedFrame = -1;
    isStepping = false;
    if (m_bEndingPlay) {
        m_bEndingPlay = false;
        endPlay();
    }
    if (!isTracking)
        return;
    stopTracking();
    prompter()->critical(this, tr("Video Analysis"),
                         tr("Tracking stopped: the video did not deliver frame %1 of %2.").arg(missing + 1).arg(frameCount));
}

void CVideoAnlysisWindow::firstFrameAfterLoad(const QImage& image)
{
    QTimer::singleShot(100, this, &CVideoAnlysisWindow::OnStopPlayback);
    if (mediaPlayer) {
        mediaPlayer->setVolume(50);
        mediaPlayer->setPosition(0);
    }
    videoPosition = 0;
    playerSurface->frameCounter = 0;
    timeLabel->setText(VideoPlayback::TimeText(videoDuration, 0, frameCount));
    if (!m_bRestoring) {
        fitWindowToMovie(image);
        axisOrigin = QPoint(30, int(image.height() * 0.8));
        axisAngle = 0.0;
    }
    m_bRestoring = false;
    updateVideoDisplay();
}

void CVideoAnlysisWindow::fitWindowToMovie(const QImage& image)
{
    // The picture's shape at the window's height, but never past the document area's edges.
    QSize area;
    if (QMdiArea* mdi = mdiArea())
        area = mdi->viewport()->size();
    setGeometry(VideoPlayback::FittedGeometry(geometry(), area, contentsMargins(), image.size(), minimumSize()));
}

void CVideoAnlysisWindow::OnPlayVideo()
{
    if (playState == Playing) {
        m_bEndingPlay = false;
        m_bPlayedToTheEnd = false;
        if (mediaPlayer)
            mediaPlayer->stop();
        playState = Stopped;
        showPlayState();
        if (CKorvantaSignals* h = hub())
            h->SignalVideoPlaybackStop();
        return;
    }
    if (!mediaPlayer || !mediaPlayer->isVideoAvailable())
        return;
    currentVideoFrame = 0;
    if (linkedFolderKey >= 0) {
        CDataManager* data = dataManager();
        if (CDataFolder* folder = data ? data->GetDataFolder(linkedFolderKey) : nullptr)
            folder->InitVideoPlayback();
        if (CKorvantaSignals* h = hub())
            h->SignalVideoPlaybackStart(linkedFolderKey);
    }
    m_pFrameWatchdog->stop();
    m_RequestedFrame = -1;
    m_LastPlayedFrame = -1;
    m_ResumedAfterFrame = -1;
    m_bPlayedToTheEnd = false;
    m_bEndingPlay = false;
    videoPosition = 0;
    ++playerSurface->generation;
    mediaPlayer->setPosition(0);
    mediaPlayer->play();
    playState = Playing;
    playerSurface->frameCounter = 0;
    // Play starts from the beginning: the handle and the time say so at once, not when the
    // player's first frame comes.
    if (!positionSlider->isSliderDown())
        positionSlider->setValue(0);
    timeLabel->setText(VideoPlayback::TimeText(videoDuration, 0, frameCount));
    showPlayState();
}

void CVideoAnlysisWindow::showPlayState()
{
    MultiAction* play = action(KeyPlay);
    const bool playing = playState == Playing;
    if (!play || playing == m_bPlayIconShowsStop)
        return;
    m_bPlayIconShowsStop = playing;
    // While the video plays the command stops it, and its picture says so.
    if (playing) {
        play->setNormalIcon(QIcon(QStringLiteral("://images/Video/Stop_normal.png")));
        play->setPressedIcon(QIcon(QStringLiteral("://images/Video/Stop_press.png")));
        play->setHoverIcon(QIcon(QStringLiteral("://images/Video/Stop_Rollover.png")));
        play->setDisabledIcon(QIcon(QStringLiteral("://images/Video/Stop_disable.png")));
    } else {
        play->setNormalIcon(QIcon(QStringLiteral("://images/Video/Play_normal.png")));
        play->setPressedIcon(QIcon(QStringLiteral("://images/Video/Play_press.png")));
        play->setHoverIcon(QIcon(QStringLiteral("://images/Video/Play_Rollover.png")));
        play->setDisabledIcon(QIcon(QStringLiteral("://images/Video/Play_disable.png")));
    }
    play->RefreshNormal();
}

void CVideoAnlysisWindow::onMediaPlayerStateChanged(QMediaPlayer::State state)
{
    if (isStepping || state != QMediaPlayer::StoppedState)
        return;
    // A busy machine drops late frames, the last ones among them: a play-through that reached
    // the video's end stands on its last frame, as the slider, the time and the linked run do.
    const bool atEnd = m_bPlayedToTheEnd || (mediaPlayer && mediaPlayer->mediaStatus() == QMediaPlayer::EndOfMedia);
    m_bPlayedToTheEnd = false;
    // The player's stream can break off in the middle (GStreamer gives up on a frame when the
    // window was too busy to take it in time, "Internal data stream error"); the play-through
    // goes on from the frame after the last one played, as long as each break comes after
    // another frame was played.
    if (playState == Playing && !atEnd && !isTracking && mediaPlayer
        && (mediaPlayer->error() != QMediaPlayer::NoError || mediaPlayer->mediaStatus() == QMediaPlayer::InvalidMedia)
        && m_LastPlayedFrame > m_ResumedAfterFrame && m_LastPlayedFrame < frameCount - 1) {
        m_ResumedAfterFrame = m_LastPlayedFrame;
        // Once the player has told its error: a broken stream is taken up only by loading the
        // file again.
        QTimer::singleShot(0, this, &CVideoAnlysisWindow::resumePlay);
        return;
    }
    if (playState == Playing && atEnd && !isTracking && frameCount > 1
        && playerSurface->frameCounter < frameCount - 1) {
        m_bEndingPlay = true;
        requestFrame(frameCount - 1);
        return;
    }
    endPlay();
}

void CVideoAnlysisWindow::resumePlay()
{
    if (playState != Playing || !mediaPlayer)
        return;
    ++playerSurface->generation;
    mediaPlayer->setMedia(QUrl::fromLocalFile(videoFile));
    mediaPlayer->setPosition(VideoPlayback::PositionOfFrame(m_LastPlayedFrame + 1, frameCount, videoDuration));
    mediaPlayer->play();
}

void CVideoAnlysisWindow::endPlay()
{
    playState = Stopped;
    showPlayState();
    if (isTracking)
        OnStartTrack();
    if (CKorvantaSignals* h = hub())
        h->SignalVideoPlaybackStop();
}

void CVideoAnlysisWindow::OnNextFrame()
{
    // At the last frame the step stays there.
    requestFrame(qMin(playerSurface->frameCounter + 1, qMax<qint64>(frameCount - 1, 0)));
}

void CVideoAnlysisWindow::OnPrevFrame()
{
    const qint64 t = playerSurface->frameCounter - 1;
    if (t < 0)
        return;
    requestFrame(t);
}

void CVideoAnlysisWindow::OnSliderChanged()
{
    const int v = positionSlider->value();
    if (videoDuration <= 0)
        return;
    const double f = v / double(VideoPlayback::s_SliderRange);
    const qint64 target = qMin(VideoPlayback::SliderTargetFrame(v, frameCount), qMax<qint64>(frameCount - 1, 0));
    if (target == playerSurface->frameCounter)
        return;
    sliderMoved = true;
    if (playState != Playing) {
        // Stopped: stand on the target frame as a step does; playing on for a frame period
        // first would show a frame or two past it.
        requestFrame(target);
        return;
    }
    isStepping = true;
    playerSurface->frameCounter = target;
    ++playerSurface->generation;
    mediaPlayer->setPosition(qint64(f * videoDuration));
    mediaPlayer->play();
    if (!WaitHere(VideoPlayback::FramePeriodMs(frameRate)))
        return;
    if (linkedFolderKey >= 0) {
        CDataManager* data = dataManager();
        if (CDataFolder* folder = data ? data->GetDataFolder(linkedFolderKey) : nullptr)
            folder->InitVideoPlayback();
        currentVideoFrame = int(target);
    }
}

int CVideoAnlysisWindow::LinkableFolderOfDragText(const QString& text) const
{
    const QStringList parts = text.split(QLatin1Char(','));
    CDataManager* data = dataManager();
    if (!data || parts.size() < 2)
        return -1;
    for (int i = 1; i < parts.size(); ++i) {
        bool ok = false;
        const int key = parts.at(i).toInt(&ok);
        if (!ok)
            continue;
        const CDataBranch* branch = data->GetDataBranch(key);
        if (!branch)
            continue;
        const CDataFolder* folder = data->GetDataFolder(branch->m_OwnerKey);
        if (folder && !folder->m_VideoFile.isEmpty() && folder->GetNumVideoFrames() > 0)
            return folder->m_Key;
    }
    return -1;
}

void CVideoAnlysisWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (!event->mimeData()->hasFormat(QStringLiteral("text/plain")))
        return;
    if (LinkableFolderOfDragText(event->mimeData()->text()) >= 0)
        event->acceptProposedAction();
}

void CVideoAnlysisWindow::dropEvent(QDropEvent* event)
{
    if (LinkableFolderOfDragText(event->mimeData()->text()) < 0)
        return;
    event->acceptProposedAction();
    LinkRunFromDragText(event->mimeData()->text());
}

bool CVideoAnlysisWindow::LinkRunFromDragText(const QString& text)
{
    const int key = LinkableFolderOfDragText(text);
    CDataManager* data = dataManager();
    const CDataFolder* folder = (key >= 0 && data) ? data->GetDataFolder(key) : nullptr;
    if (!folder)
        return false;
    const QString file = folder->m_VideoFile;
    linkedFolderKey = key;
    // The load may show a box; the window is not to be touched if it went meanwhile.
    QPointer<CVideoAnlysisWindow> self(this);
    const bool loaded = LoadVideoFile(file);
    if (self && loaded)
        videoFile = file;
    return true;
}
