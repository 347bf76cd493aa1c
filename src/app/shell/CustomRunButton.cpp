#include "app/shell/CustomRunButton.h"

#include <QMouseEvent>
#include <QPainter>

CustomRunButton::CustomRunButton(QWidget* parent) : QPushButton(parent), m_AnimationTimer(this) {}

QString CustomRunButton::FramePath(int frame, int mode)
{
    const bool timing = mode != 0;
    switch (frame) {
    case s_IdleFrame:
        return timing ? QStringLiteral(":/images/RunButton/timing/sampling_event.png")
                      : QStringLiteral(":/images/RunButton/normal-sampling/sampling_auto.png");
    case s_WaitFrame:
        return QStringLiteral(":/images/RunButton/triggerWait.png");
    case s_StopFrame:
        return QStringLiteral(":/images/RunButton/stop.png");
    default:
        break;
    }
    const QString number = QString::asprintf("%04d.png", frame - s_FirstRunFrame + 1);
    return (timing ? QStringLiteral("://images/RunButton/timing/64_measuring")
                   : QStringLiteral("://images/RunButton/normal-sampling/64_sampling"))
           + number;
}

void CustomRunButton::init()
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    setFixedWidth(s_Size);
    setFixedHeight(s_Size);
    m_HitRect = QRect(0, 0, s_Size, s_Size);
    setGeometry(m_HitRect);
    connect(&m_AnimationTimer, &QTimer::timeout, this, &CustomRunButton::updateIcon);
}

const QIcon& CustomRunButton::frameIcon(int frame, int mode) const
{
    static const QIcon none;
    if (frame < 0 || frame >= s_NumFrames || mode < 0 || mode >= s_NumModes)
        return none;
    // Decoded when first drawn: reading all 128 pictures up front cost a noticeable part of
    // start-up, and most frames are only seen during a run.
    QIcon& icon = m_Icons[frame][mode];
    if (icon.isNull())
        icon.addFile(FramePath(frame, mode), QSize(), QIcon::Normal, QIcon::Off);
    return icon;
}

void CustomRunButton::AddManualButton()
{
    if (m_pManualButton)
        return;
    m_pManualButton = new QPushButton(this);
    m_pManualButton->setFlat(true);
    m_pManualButton->setGeometry(width(), height() - 48, 42, 42);
    m_pManualButton->setStyleSheet(QStringLiteral(
        "QPushButton {background-image: url(:/images/RunButton/ManualSampling_normal.png);}"
        "QPushButton :pressed {background-image: url(:/images/RunButton/ManualSampling_press.png);  border-style: none;}"
        "QPushButton :hover {background-image: url(:/images/RunButton/ManualSampling_rollover.png);}"
        "QPushButton :disabled {background-image: url(:/images/RunButton/ManualSampling_disabled.png);}"));
}

void CustomRunButton::ShowManualButton(bool show)
{
    const int w = show ? s_WidthWithManual : s_Size;
    setFixedWidth(w);
    resize(w, height());
    if (m_pManualButton)
        m_pManualButton->setVisible(show);
    update();
}

void CustomRunButton::SetCurrentRunMode(int mode)
{
    // Only the two columns of the table exist; any other mode draws as event timing would
    // index past them.
    m_RunMode = (mode == 0) ? 0 : 1;
    if (mode != 0) {
        // Event timing has no manual sampling.
        setFixedWidth(s_Size);
        resize(s_Size, height());
        if (m_pManualButton)
            m_pManualButton->hide();
    }
    update();
}

void CustomRunButton::Play()
{
    m_bPlaying = true;
    m_CurrentFrame = s_FirstRunFrame;
    m_AnimationTimer.start(s_AnimationMs);
    update();
}

void CustomRunButton::DelayPlay(int)
{
    m_CurrentFrame = s_WaitFrame;
    m_bPlaying = true;
    update();
}

void CustomRunButton::Stop()
{
    m_bPlaying = false;
    m_CurrentFrame = s_IdleFrame;
    m_AnimationTimer.stop();
    update();
}

void CustomRunButton::updateIcon()
{
    ++m_CurrentFrame;
    if (m_CurrentFrame >= s_NumFrames)
        m_CurrentFrame = s_FirstRunFrame;
    update();
}

void CustomRunButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QIcon& icon = frameIcon(m_CurrentFrame, m_RunMode);
    const QPixmap pm = icon.pixmap(m_HitRect.size(), isEnabled() ? QIcon::Normal : QIcon::Disabled,
                                   isChecked() ? QIcon::On : QIcon::Off);
    painter.drawPixmap(m_HitRect, pm);
}

bool CustomRunButton::hitButton(const QPoint& pos) const
{
    return m_HitRect.contains(pos, true);
}

void CustomRunButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second click of a double click must not start or stop a run a second time.
    event->ignore();
}
