#pragma once
// The video-analysis window: opens a video file, plays and steps it with the graphs and tables
// of a linked run following, carries a turnable axis system drawn on the picture, and tracks
// a selected object (by template matching or by clicks) into X and Y position series of a new
// run. The geometry, button rules and tracking maths live in src/tracking; this class wires
// them to the player, the mouse and the screen.
#include "windowbase/KorvantaWindow.h"
#include "tracking/TemplateTracker.h"
#include "tracking/TrackingRun.h"
#include "tracking/VideoRules.h"

#include <QImage>
#include <QLabel>
#include <QMediaPlayer>
#include <QPointF>
#include <QRect>

class CDataManager;
class CKorvantaSignals;
class CVideoPositionSlider;
class CVideoSurface_Player;
class IPrompter;
class MultiAction;
class QTimer;
class QToolBar;

// The label that shows the picture; it leaves every press, release and move to the window.
class CVideoImageLabel : public QLabel
{
    Q_OBJECT
public:
    explicit CVideoImageLabel(QWidget* parent) : QLabel(parent) {}

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
};

class CVideoAnlysisWindow : public CKorvantaWindow
{
    Q_OBJECT
public:
    // Tool-bar command keys.
    enum ActionKey { KeyOpen = 55, KeyPlay = 56, KeyShowAxes = 59, KeySetObject = 61, KeyStartTracking = 62,
                     KeyPreviousFrame = 63, KeyNextFrame = 64, KeyTrackingMode = 65 };
    enum PlayState { Playing = 0, Stopped = 1, Loaded = 3 };
    enum DragState { DragNone = 0, DragOrigin = 1, DragAngle = 2, DragSelect = 3 };
    static constexpr int s_ButtonIntervalMs = 300;
    static constexpr int s_AvailabilityCheckMs = 3000;
    static constexpr int s_MaxWindows = 4;
    // A frame asked of the player is asked again when it has not come within frameWaitMs, up
    // to this many times in all; then a tracking run ends with a message.
    static constexpr int s_FrameAttempts = 3;
    // A selection smaller than this many frame pixels either way takes no object.
    static constexpr int s_MinObjectSide = 3;

    CVideoAnlysisWindow(QWidget* parent, Qt::WindowFlags flags);
    ~CVideoAnlysisWindow() override;

    void initWindow() override;
    // Workspace record (VideoAnlysisWindow_record.cpp).
    int saveToFile(QDataStream* stream) override;
    int loadFromFile(QDataStream* stream) override;
    void InitToolBar();
    void StartActiveStreamTimer();
    // Waits while events keep flowing. False when the window was closed meanwhile: the caller
    // must then return at once without touching any member.
    bool WaitHere(int ms);

    // View (VideoAnlysisWindow_view.cpp).
    QPoint VideoViewPointToView(const QPoint& labelPoint) const;
    QPoint PointToVideoView(const QPoint& framePoint) const;
    void updateVideoDisplay();
    void DrawAxis(QImage* view);
    void DrawObjectSelection(QImage* view);
    void AdjustCursor(const QPoint& windowPoint);
    // Where the frame is drawn in the label, at its own aspect ratio (label points).
    QRect pictureRect() const;
    // The rectangle in window points where presses act on the picture: where it is drawn.
    QRect videoArea() const;
    // A window point in frame pixels, through the place and scale the picture is drawn at.
    QPoint WindowPointToFrame(const QPoint& windowPoint) const;

    // Playback (VideoAnlysisWindow_playback.cpp).
    bool LoadVideoFile(QString videoFile);
    void ClearOpenedFile();
    void SetLinkedFolderKey(int key) { linkedFolderKey = key; }
    int LinkedFolderKey() const { return linkedFolderKey; }
    QString VideoFile() const { return videoFile; }
    void SetVideoFile(const QString& file) { videoFile = file; }
    // The folder key of the first entry of a drag text that can be linked, or -1.
    int LinkableFolderOfDragText(const QString& text) const;
    // What a drop does: links the first run of the drag text that can be linked and loads its
    // video; false when none can.
    bool LinkRunFromDragText(const QString& text);

    // Tracking (VideoAnlysisWindow_tracking.cpp).
    void InitTrackingData();
    void AddTrackingData();
    QImage TrackTemplateMatch(QImage& frame, QImage& objectTemplate);
    void AddManualTrackingPoint(QPoint point);
    QPointF PointToAxisPoint(QPointF point) const;
    void DrawTracking(QImage* view);
    void DrawTrackingTrail(QImage* view);
    const CTrackingRun& TrackingRun() const { return m_Run; }
    // The frame asked of the player and not yet delivered; -1 when none is awaited.
    qint64 RequestedFrame() const { return m_RequestedFrame; }

    QMediaPlayer* player() const { return mediaPlayer; }
    CVideoSurface_Player* surface() const { return playerSurface; }
    QLabel* label() const { return videoLabel; }
    CVideoPositionSlider* slider() const { return positionSlider; }
    QLabel* timeText() const { return timeLabel; }
    MultiAction* action(int key) const;

    // Numbers every window since the start of the program (never reused), the windows now
    // open, and the tracking runs made or loaded.
    static int videoWindowsCounter;
    static int currentVideoWindowsCounter;
    static int trackingRunCounter;
    // Runs made by earlier sessions are counted as the store reads their folders back, so a
    // new run gets the next number.
    static void CountLoadedRuns(CDataManager& data);

    // State shared by the view, playback and tracking (and the window's stored record).
    int serialNumber = 0;
    int playState = Stopped;
    VideoAxisMode axisMode = VideoAxisMode::None;
    int dragState = DragNone;
    QPoint axisOrigin = QPoint(30, 400);
    double axisAngle = 0.0;
    bool showAxes = true;
    VideoTrackingMode trackingMode = VideoTrackingMode::Automatic;
    bool isTracking = false;
    bool templateSet = false;
    bool runInProgress = false;
    QImage frameImage;
    QImage objectTemplate;
    QPoint pressPoint;
    QPoint lastPoint;
    QRect selectionRect;

    // Playback members.
    QString videoFile;
    qint64 videoDuration = 0;
    qint64 videoPosition = 0;
    double frameRate = 0.0;
    qint64 frameCount = 0;
    int linkedFolderKey = -1;
    int currentVideoFrame = 0;
    bool isStepping = false;
    bool sliderMoved = false;
    // How long a frame asked of the player may take before it is asked again.
    int frameWaitMs = 3000;

    // Tracking members.
    QPoint lastTrackedPoint = QPoint(-1000, -1000);
    QPointF axisPoint;

public slots:
    void UpdateButtons();
    void OnTrackModeChanged();
    void OnToggleAxis();
    void OnSetObject();
    void onVideoWindowStateChanged(Qt::WindowStates oldState, Qt::WindowStates newState);
    void OnStartActiveStream();
    void OnStopPlayback();

    void OnOpenVideo();
    void LoadVideoFileSlot();
    void OnPlayVideo();
    void OnPrevFrame();
    void OnNextFrame();
    void OnSliderChanged();
    void OnPlayerframeArrived(QImage image, qint64 frameIndex);
    void mediaPlayerPositionChanged(qint64 position) { videoPosition = position; }
    void mediaPlayerDurationChanged(qint64 duration) { videoDuration = duration; }
    void onMediaPlayerStateChanged(QMediaPlayer::State state);
    void onSeekableChanged(bool) {}
    void onVideoAvailableChanged(bool) {}
    void onCheckVideoAvailable();
    void onPlayerError();
    void StartRunning() { runInProgress = true; }
    void EndRunning() { runInProgress = false; }
    // A series was deleted (in the History): a track losing its position series is gone, and
    // its trail with it.
    void DataKeyDeleted(int key);

    void OnStartTrack();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    CKorvantaSignals* hub() const;
    CDataManager* dataManager() const;
    IPrompter* prompter() const;
    MultiAction* addAction(QToolBar* bar, const QString& text, int key, const QString& normal, const QString& pressed,
                           const QString& hover, const QString& disabled, bool checkable);
    void setTrackIcons(const QString& normal, const QString& disabled);
    // Loads a file by name; restoring keeps what the workspace record brought back.
    bool loadVideo(const QString& file, bool restoring);
    // The steps every successful load shares.
    void commonLoad(const QString& file, qint64 frames, double fps, bool restoring);
    void firstFrameAfterLoad(const QImage& image);
    void fitWindowToMovie(const QImage& image);
    // The selection from the press to windowPoint, in frame pixels, and the object cut from it.
    void takeSelection(const QPoint& windowPoint);
    void stopTracking();
    // Asks the player for one frame (paused on it); the watchdog asks again when it is late.
    void requestFrame(qint64 frame);
    void onFrameOverdue();
    // The number of the frame a delivered picture shows.
    int frameIndexOf(const QImage& image) const;
    // Counter, linked run, slider and time read-out for the frame now shown.
    void frameShown(int index);
    // Automatic tracking: records the frame asked for and asks for the next.
    void trackFrame(QImage& image, int index);
    void applyDrag(const QPoint& windowPoint);
    // The Play command's picture: a stop sign while the video plays, the play sign otherwise.
    void showPlayState();
    // Loads the video again and plays on from the frame after the last one played.
    void resumePlay();
    // The play-through is over: the play state, its picture and the linked run say so.
    void endPlay();

    // Made when the first video is opened here (makePlayer); none before.
    bool makePlayer();
    qint64 playerPosition() const;

    CVideoImageLabel* videoLabel = nullptr;
    QMediaPlayer* mediaPlayer = nullptr;
    // The window counts among the open video windows from initWindow on.
    bool m_bCounted = false;
    CVideoSurface_Player* playerSurface = nullptr;
    QToolBar* playbackToolBar = nullptr;
    QToolBar* axisToolBar = nullptr;
    QToolBar* nextFrameToolBar = nullptr;
    QToolBar* trackingToolBar = nullptr;
    CVideoPositionSlider* positionSlider = nullptr;
    QLabel* trackObjectLabel = nullptr;
    QLabel* timeLabel = nullptr;
    QTimer* buttonTimer = nullptr;
    QTimer* availabilityTimer = nullptr;
    QList<MultiAction*> m_Actions;
    CTrackingRun m_Run;
    // The automatic run's search, started on the run's first frame.
    CTemplateTracker m_Tracker;
    // Reads the stored trail up to its end tag; -4 when the stream ends first.
    int readTrail(QDataStream& in);
    bool m_bFirstFrameShown = false;
    bool m_bPlayIconShowsStop = false;
    // The video is being loaded back from the workspace record: the stored axis, trail and
    // window place stay as they were saved instead of starting afresh as for a newly opened file.
    bool m_bRestoring = false;
    // Start time of the first picture after loading: the media's clock at frame 0.
    qint64 m_FirstFrameStartUs = -1;
    qint64 m_RequestedFrame = -1;
    int m_RequestAttempts = 0;
    // The last frame of the play-through whose pair the linked run's cursor has passed.
    int m_LastPlayedFrame = -1;
    // The play-through reached the video's end; the last frame is fetched before it stops.
    bool m_bPlayedToTheEnd = false;
    bool m_bEndingPlay = false;
    // The last played frame when the player's stream last broke off and was taken up again; a
    // break without a frame played since ends the play-through.
    int m_ResumedAfterFrame = -1;
    QTimer* m_pFrameWatchdog = nullptr;
    // The selection being dragged, in label points (selectionRect holds the object's, in frame
    // pixels, until the release takes a new one).
    QRect m_DragRect;
};
