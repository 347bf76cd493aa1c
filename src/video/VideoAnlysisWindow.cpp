#include "video/VideoAnlysisWindow.h"

#include "windowbase/ChildWindowHost.h"
#include "windowbase/DeferredIcon.h"
#include "windowbase/FlatToolBar.h"
#include "windowbase/MultiAction.h"
#include "windowbase/Prompter.h"
#include "Core/Data/DataManager.h"
#include "Core/Base/KorvantaSignals.h"
#include "video/VideoPositionSlider.h"
#include "video/VideoSurface_Player.h"
#include "tracking/VideoRules.h"

#include <QActionEvent>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QLayout>
#include <QPainter>
#include <QPointer>
#include <QStyleOptionToolButton>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

int CVideoAnlysisWindow::videoWindowsCounter = 0;
int CVideoAnlysisWindow::currentVideoWindowsCounter = 0;
int CVideoAnlysisWindow::trackingRunCounter = 0;

namespace {

const char* const s_ImageRoot = "://images/Video/";

QString image(const char* file)
{
    return QString::fromLatin1(s_ImageRoot) + QString::fromLatin1(file);
}

QPalette greyText(QPalette palette)
{
    // A label on a tool bar writes in the bar's button-text colour.
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
        palette.setColor(role, QColor(64, 64, 64));
    return palette;
}

// A bar of bare pictures: neither the bar nor its buttons draw a frame or a panel, whatever
// the button's state; a button is its picture's size and three pixels more each way, and the
// buttons lie the given spacing apart from the bar's very edge.
class CBareBar : public CFlatToolBar
{
public:
    CBareBar(QWidget* parent, int spacing) : CFlatToolBar(parent), m_Spacing(spacing)
    {
        // The bar and what lies on it take the window's colours.
        setAttribute(Qt::WA_StyleSheet, false);
        fitLayout();
    }

protected:
    void actionEvent(QActionEvent* event) override
    {
        CFlatToolBar::actionEvent(event);
        if (event->type() != QEvent::ActionAdded)
            return;
        auto* button = qobject_cast<QToolButton*>(widgetForAction(event->action()));
        if (!button)
            return;
        button->setMaximumSize(iconSize() + QSize(3, 3));
        button->installEventFilter(this);
    }

    void changeEvent(QEvent* event) override
    {
        CFlatToolBar::changeEvent(event);
        if (event->type() == QEvent::StyleChange)
            fitLayout();
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Paint)
            return CFlatToolBar::eventFilter(watched, event);
        auto* button = static_cast<QToolButton*>(watched);
        QStyleOptionToolButton option;
        option.initFrom(button);
        option.icon = button->icon();
        option.iconSize = button->iconSize();
        option.toolButtonStyle = Qt::ToolButtonIconOnly;
        option.subControls = QStyle::SC_ToolButton;
        option.features = QStyleOptionToolButton::None;
        if (button->isDown())
            option.state |= QStyle::State_Sunken;
        if (button->isChecked())
            option.state |= QStyle::State_On;
        if (button->autoRaise())
            option.state |= QStyle::State_AutoRaise;
        if (!button->isChecked() && !button->isDown())
            option.state |= QStyle::State_Raised;
        QPainter painter(button);
        button->style()->drawControl(QStyle::CE_ToolButtonLabel, &option, &painter, button);
        return true;
    }

private:
    void fitLayout()
    {
        if (!layout())
            return;
        layout()->setContentsMargins(0, 0, 0, 0);
        layout()->setSpacing(m_Spacing);
    }

    int m_Spacing;
};

} // namespace

void CVideoAnlysisWindow::CountLoadedRuns(CDataManager& data)
{
    data.SetTrackingRunLoaded([] { ++trackingRunCounter; });
}

void CVideoImageLabel::mousePressEvent(QMouseEvent* event) { event->ignore(); }
void CVideoImageLabel::mouseReleaseEvent(QMouseEvent* event) { event->ignore(); }
void CVideoImageLabel::mouseMoveEvent(QMouseEvent* event) { event->ignore(); }

CVideoAnlysisWindow::CVideoAnlysisWindow(QWidget* parent, Qt::WindowFlags flags) : CKorvantaWindow(parent, flags)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_LayoutUsesWidgetRect);
    setWindowTitle(tr("Video"));
    setAcceptDrops(true);
    playState = Stopped;
}

CVideoAnlysisWindow::~CVideoAnlysisWindow()
{
    // The sub-window base still reports state changes while it is taken down, when this part
    // of the object is gone already.
    disconnect(this, &QMdiSubWindow::windowStateChanged, this, nullptr);
    if (m_bCounted)
        --currentVideoWindowsCounter;
    // The player goes before the surface it draws into.
    delete mediaPlayer;
    mediaPlayer = nullptr;
    delete playerSurface;
    playerSurface = nullptr;
}

CKorvantaSignals* CVideoAnlysisWindow::hub() const
{
    return m_pHost ? m_pHost->GetSignals() : nullptr;
}

CDataManager* CVideoAnlysisWindow::dataManager() const
{
    return m_pHost ? m_pHost->GetDataManager() : nullptr;
}

IPrompter* CVideoAnlysisWindow::prompter() const
{
    IPrompter* p = m_pHost ? m_pHost->GetPrompter() : nullptr;
    return p ? p : ShellPrompter();
}

void CVideoAnlysisWindow::initWindow()
{
    CKorvantaWindow::initWindow();
    resize(600, 500);
    setMinimumSize(500, 300);

    videoLabel = new CVideoImageLabel(this);
    videoLabel->move(5, 32);
    videoLabel->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    videoLabel->setFrameShape(QFrame::NoFrame);
    videoLabel->setFixedSize(400, 300);
    videoLabel->setMouseTracking(true);
    videoLabel->setFocusPolicy(Qt::NoFocus);
    videoLabel->setTextInteractionFlags(Qt::NoTextInteraction);
    QPalette palette = videoLabel->palette();
    const QBrush black(QColor(0, 0, 0));
    for (QPalette::ColorRole role : {QPalette::Light, QPalette::Midlight, QPalette::Dark, QPalette::Mid,
                                     QPalette::Shadow, QPalette::Window, QPalette::Button})
        palette.setBrush(role, black);
    videoLabel->setPalette(palette);
    videoLabel->setAutoFillBackground(true);
    setMouseTracking(true);

    InitToolBar();
    isTracking = false;
    trackingMode = VideoTrackingMode::Automatic;
    showAxes = true;
    serialNumber = videoWindowsCounter++;
    ++currentVideoWindowsCounter;

    m_bCounted = true;

    playerSurface = new CVideoSurface_Player(nullptr);
    // Queued: the frame handler seeks and stops the player, which must not happen while the
    // player is still inside the call that hands the frame over.
    connect(playerSurface, &CVideoSurface_Player::frameArived, this, &CVideoAnlysisWindow::OnPlayerframeArrived,
            Qt::QueuedConnection);
    if (CKorvantaSignals* signals_ = hub()) {
        connect(signals_, &CKorvantaSignals::LoggerStartedRun, this, &CVideoAnlysisWindow::StartRunning);
        connect(signals_, &CKorvantaSignals::LoggerExperimentEnd, this, &CVideoAnlysisWindow::EndRunning);
        connect(signals_, &CKorvantaSignals::dataKeyIsDeleted, this, &CVideoAnlysisWindow::DataKeyDeleted);
    }

    axisOrigin = QPoint(30, 400);
    axisAngle = 0.0;
    axisMode = VideoAxisMode::None;

    buttonTimer = new QTimer(this);
    connect(buttonTimer, &QTimer::timeout, this, &CVideoAnlysisWindow::UpdateButtons);
    buttonTimer->start(s_ButtonIntervalMs);
    availabilityTimer = new QTimer(this);
    connect(availabilityTimer, &QTimer::timeout, this, &CVideoAnlysisWindow::onCheckVideoAvailable);
    m_pFrameWatchdog = new QTimer(this);
    m_pFrameWatchdog->setSingleShot(true);
    connect(m_pFrameWatchdog, &QTimer::timeout, this, &CVideoAnlysisWindow::onFrameOverdue);

    templateSet = false;
    runInProgress = false;
    linkedFolderKey = -1;
    connect(this, &QMdiSubWindow::windowStateChanged, this, &CVideoAnlysisWindow::onVideoWindowStateChanged);
    UpdateButtons();
}

MultiAction* CVideoAnlysisWindow::addAction(QToolBar* bar, const QString& text, int key, const QString& normal,
                                            const QString& pressed, const QString& hover, const QString& disabled,
                                            bool checkable)
{
    // Read when first drawn, as the other windows' tool bars are: most states are never shown.
    auto* a = new MultiAction(KorvantaIcons::Deferred(normal), text, this);
    a->setKey(key);
    a->setNormalIcon(KorvantaIcons::Deferred(normal));
    a->setPressedIcon(KorvantaIcons::Deferred(pressed));
    a->setHoverIcon(KorvantaIcons::Deferred(hover));
    a->setDisabledIcon(KorvantaIcons::Deferred(disabled));
    a->setCheckable(checkable);
    bar->addAction(a);
    if (QWidget* button = bar->widgetForAction(a)) {
        a->setAssociatedWidget(button);
        button->installEventFilter(a);
    }
    m_Actions.append(a);
    return a;
}

MultiAction* CVideoAnlysisWindow::action(int key) const
{
    for (MultiAction* a : m_Actions)
        if (a->getKey() == key)
            return a;
    return nullptr;
}

void CVideoAnlysisWindow::InitToolBar()
{
    // The bars lie on the window's own background.
    auto makeBar = [this](QSize icons, int spacing) {
        auto* bar = new CBareBar(this, spacing);
        bar->setMovable(false);
        bar->setIconSize(icons);
        return bar;
    };
    playbackToolBar = makeBar(QSize(23, 34), 5);
    axisToolBar = makeBar(QSize(38, 38), 0);
    nextFrameToolBar = makeBar(QSize(22, 36), 0);
    trackingToolBar = makeBar(QSize(30, 36), 0);

    connect(addAction(playbackToolBar, tr("Open"), KeyOpen, image("Open_normal.png"), image("Open_press.png"),
                      image("Open_Rollover.png"), image("Open_disable.png"), false),
            &QAction::triggered, this, &CVideoAnlysisWindow::OnOpenVideo);
    connect(addAction(playbackToolBar, tr("Play"), KeyPlay, image("Play_normal.png"), image("Play_press.png"),
                      image("Play_Rollover.png"), image("Play_disable.png"), true),
            &QAction::triggered, this, &CVideoAnlysisWindow::OnPlayVideo);
    connect(addAction(playbackToolBar, tr("Previous Frame"), KeyPreviousFrame, image("BackVideo_Normal.png"),
                      image("BackVideo_Press.png"), image("BackVideo_Rollover.png"), image("BackVideo_Disable.png"), false),
            &QAction::triggered, this, &CVideoAnlysisWindow::OnPrevFrame);

    trackObjectLabel = new QLabel(tr("Track Object:"), this);
    axisToolBar->addWidget(trackObjectLabel);
    trackObjectLabel->setPalette(greyText(trackObjectLabel->palette()));
    connect(addAction(axisToolBar, tr("Show Axes"), KeyShowAxes, image("Axis-source_normal.png"),
                      image("Axis-source_press.png"), image("Axis-source_Rollover.png"), image("Axis-source_disable.png"),
                      true),
            &QAction::triggered, this, &CVideoAnlysisWindow::OnToggleAxis);
    MultiAction* mode = addAction(axisToolBar, tr("Tracking Mode Auto/Manual"), KeyTrackingMode, image("Auto_Normal.png"),
                                  image("Auto_Normal.png"), image("Auto_Normal.png"), image("Auto_Normal.png"), true);
    mode->setChecked(true);
    connect(mode, &QAction::triggered, this, &CVideoAnlysisWindow::OnTrackModeChanged);
    connect(addAction(axisToolBar, tr("Set Object"), KeySetObject, image("Targeting_Normal.png"),
                      image("Targeting_Press.png"), image("Targeting_Rollover.png"), image("Targeting_Disable.png"), true),
            &QAction::triggered, this, &CVideoAnlysisWindow::OnSetObject);

    connect(addAction(nextFrameToolBar, tr("Next Frame"), KeyNextFrame, image("NextVideo_Normal.png"),
                      image("NextVideo_Press.png"), image("NextVideo_Rollover.png"), image("NextVideo_Disable.png"), false),
            &QAction::triggered, this, &CVideoAnlysisWindow::OnNextFrame);
    connect(addAction(trackingToolBar, tr("Start Tracking"), KeyStartTracking, image("Tracking_Normal.png"),
                      image("Tracking_Normal.png"), image("Tracking_Normal.png"), image("Tracking_Disable.png"), true),
            &QAction::triggered, this, &CVideoAnlysisWindow::OnStartTrack);

    positionSlider = new CVideoPositionSlider(this);
    positionSlider->setRange(0, VideoPlayback::s_SliderRange);
    connect(positionSlider, &QSlider::sliderReleased, this, &CVideoAnlysisWindow::OnSliderChanged);
    // The style engine takes a handle's length from its width, not from its image: without one
    // the handle is neither drawn nor ever under the pointer. 12 px is the dot's own width.
    positionSlider->setStyleSheet(QStringLiteral(
        "QSlider::handle:horizontal { image: url(://images/Video/Slider-dot_normal.png); width: 12px;"
        " margin: -5px 0; }"
        "QSlider::handle:horizontal:disabled { image: url(://images/Video/Slider-dot_disable.png); width: 12px;"
        " margin: -5px 0; }"
        "QSlider::groove:horizontal { border: none; background: #999999; height: 2px; border-radius: 2px; }"
        "QSlider::groove:horizontal:disabled { border: none; background: #aaa; height: 2px; border-radius: 2px; }"));

    timeLabel = new QLabel(QStringLiteral("00:00:00"), this);
    timeLabel->resize(100, 15);
    timeLabel->setAlignment(Qt::AlignHCenter);
    timeLabel->setPalette(greyText(timeLabel->palette()));
}

void CVideoAnlysisWindow::UpdateButtons()
{
    // Play state also changes where no command runs (a stop inside a step, a closed file).
    showPlayState();
    VideoButtonInputs in;
    in.available = mediaPlayer && mediaPlayer->isVideoAvailable();
    in.playing = playState == Playing;
    in.tracking = isTracking;
    in.templateSet = templateSet;
    in.runInProgress = runInProgress;
    in.showAxes = showAxes;
    in.trackingMode = trackingMode;
    in.axisMode = axisMode;
    MultiAction* mode = action(KeyTrackingMode);
    in.modeEnabledBefore = mode && mode->isEnabled();
    const VideoButtonStates s = VideoButtonRules(in);

    auto set = [this](int key, bool enabled) {
        if (MultiAction* a = action(key))
            a->setEnabled(enabled);
    };
    auto check = [this](int key, bool checked) {
        if (MultiAction* a = action(key))
            a->setChecked(checked);
    };
    set(KeyOpen, true);
    set(KeyPlay, s.playEnabled);
    if (s.applyPlayChecked)
        check(KeyPlay, s.playChecked);
    set(KeyPreviousFrame, s.stepEnabled);
    set(KeyNextFrame, s.stepEnabled);
    if (positionSlider)
        positionSlider->setEnabled(s.sliderEnabled);
    check(KeyShowAxes, s.axesChecked);
    set(KeyTrackingMode, s.modeEnabled);
    check(KeyTrackingMode, s.modeChecked);
    set(KeySetObject, s.setObjectEnabled);
    check(KeySetObject, s.setObjectChecked);
    set(KeyStartTracking, s.trackEnabled);
    if (s.applyTrackChecked)
        check(KeyStartTracking, s.trackChecked);
}

void CVideoAnlysisWindow::OnTrackModeChanged()
{
    MultiAction* mode = action(KeyTrackingMode);
    if (!mode)
        return;
    const QString icon = mode->isChecked() ? image("Auto_Normal.png") : image("Manual_Normal.png");
    trackingMode = mode->isChecked() ? VideoTrackingMode::Automatic : VideoTrackingMode::Manual;
    mode->setNormalIcon(QIcon(icon));
    mode->setHoverIcon(QIcon(icon));
    mode->setPressedIcon(QIcon(icon));
    mode->setDisabledIcon(QIcon(icon));
    mode->RefreshNormal();
}

void CVideoAnlysisWindow::OnToggleAxis()
{
    showAxes = !showAxes;
    updateVideoDisplay();
}

void CVideoAnlysisWindow::OnSetObject()
{
    axisMode = axisMode == VideoAxisMode::SelectObject ? VideoAxisMode::None : VideoAxisMode::SelectObject;
}

void CVideoAnlysisWindow::onVideoWindowStateChanged(Qt::WindowStates, Qt::WindowStates newState)
{
    if (newState == Qt::WindowActive && m_pHost)
        m_pHost->SetActiveVideoWindow(this);
}

void CVideoAnlysisWindow::StartActiveStreamTimer()
{
    QTimer::singleShot(1000, this, &CVideoAnlysisWindow::OnStartActiveStream);
}

void CVideoAnlysisWindow::OnStartActiveStream()
{
    if (m_pHost && m_pHost->GetActiveVideoWindow() == this)
        ClearOpenedFile();
    WaitHere(1000);
}

void CVideoAnlysisWindow::OnStopPlayback()
{
    const bool afterLoad = playState == Loaded;
    if (mediaPlayer)
        mediaPlayer->stop();
    playState = Stopped;
    showPlayState();
    // The player may have run on past the first frame before the rewind took: fetch the first
    // frame as a step would, so the picture is the position the window stands on.
    if (afterLoad)
        requestFrame(0);
    WaitHere(1000);
}

bool CVideoAnlysisWindow::WaitHere(int ms)
{
    // The window may be closed, and deleted, by an event handled during the wait; the guard
    // tells the caller so, and the loop ends with the window instead of running on.
    QPointer<CVideoAnlysisWindow> self(this);
    QEventLoop loop;
    connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
    QTimer::singleShot(qMax(ms, 0), &loop, &QEventLoop::quit);
    loop.exec();
    return !self.isNull();
}

void CVideoAnlysisWindow::resizeEvent(QResizeEvent* event)
{
    CKorvantaWindow::resizeEvent(event);
    if (isMinimized() || !videoLabel)
        return;
    const QMargins m = contentsMargins();
    const int w = width();
    const int h = height();
    const int t = GetTitleBarHeight();
    const int cw = w - m.left() - m.right();
    const int y0 = h - 81;
    videoLabel->move(m.left(), t);
    videoLabel->setFixedSize(qMax(cw, 0), qMax(h - t - 81, 0));
    playbackToolBar->setGeometry(m.left() + 10, y0, cw, 36);
    const int sliderWidth = qMax(cw - 145, 0);
    positionSlider->setGeometry(m.left() + 105, y0 + 11, sliderWidth, 12);
    positionSlider->setFixedWidth(sliderWidth);
    nextFrameToolBar->setGeometry(w - m.right() - 31, y0, 100, 36);
    trackingToolBar->setGeometry(w - m.right() - 36, y0 + 40, 100, 36);
    axisToolBar->setGeometry(m.left() + 13, y0 + 40, cw, 36);
    timeLabel->move(m.left() + 105 + positionSlider->width() / 2 - timeLabel->width() / 2, y0 + 19);
    // The slider and the next-frame bar overlap the playback bar; keep them on top of it.
    positionSlider->raise();
    nextFrameToolBar->raise();
    timeLabel->raise();
    trackingToolBar->raise();
    updateVideoDisplay();
    notifyHasNewDataToSave();
}

void CVideoAnlysisWindow::paintEvent(QPaintEvent* event)
{
    CKorvantaWindow::paintEvent(event);
    const QMargins m = contentsMargins();
    QPainter painter(this);
    const QColor grey(210, 210, 210);
    painter.setPen(grey);
    painter.setBrush(grey);
    painter.drawRect(QRect(QPoint(m.left(), height() - m.bottom() - 40), QPoint(width() - 1 - m.right(), height() - m.bottom()))
                         .adjusted(0, 0, -1, -1));
}

void CVideoAnlysisWindow::mouseDoubleClickEvent(QMouseEvent* event)
{
    // Neither the picture nor the title bar reacts to a double click.
    event->accept();
}

void CVideoAnlysisWindow::closeEvent(QCloseEvent* event)
{
    if (isTracking) {
        event->ignore();
        return;
    }
    if (m_pHost && m_pHost->GetActiveVideoWindow() == this)
        m_pHost->SetLastVideoWindowActive(this);
    CKorvantaWindow::closeEvent(event);
}
