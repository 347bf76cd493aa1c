#pragma once
// The Run/Stop button of the main window: draws one picture out of 64 frames in two run modes,
// animates while a run is under way, can show a Manual sub-button beside it, and carries the
// run-control state that the window manager reads and writes.
#include <QIcon>
#include <QPushButton>
#include <QRect>
#include <QTimer>

// The values of the run-control state.
namespace RunControl {
enum State : int {
    Idle = 0,
    StartSent = 1,
    StopSent = 2,
    LoggerStarted = 3,
    Running = 4,
    LoggerEnded = 5,
    Finishing = 6,
    WaitingTrigger = 7,
};
}

class CustomRunButton : public QPushButton
{
    Q_OBJECT
public:
    static constexpr int s_NumFrames = 64;
    static constexpr int s_NumModes = 2;
    static constexpr int s_IdleFrame = 0;
    static constexpr int s_WaitFrame = 1;
    static constexpr int s_StopFrame = 2;
    static constexpr int s_FirstRunFrame = 3;
    static constexpr int s_Size = 60;
    static constexpr int s_WidthWithManual = 102;   // with the Manual sub-button beside it
    static constexpr int s_AnimationMs = 100;

    explicit CustomRunButton(QWidget* parent = nullptr);

    void init();
    void AddManualButton();
    void ShowManualButton(bool show);
    void SetCurrentRunMode(int mode);
    void Play();
    void DelayPlay(int);
    void Stop();
    bool isPlaying() const { return m_bPlaying; }

    int currentFrame() const { return m_CurrentFrame; }
    int runMode() const { return m_RunMode; }
    QPushButton* manualButton() const { return m_pManualButton; }
    const QIcon& frameIcon(int frame, int mode) const;
    // The resource path of one picture of the table.
    static QString FramePath(int frame, int mode);

    // Written only by run control; read by the action states.
    int RunControlState = RunControl::Idle;

public slots:
    void updateIcon();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QTimer m_AnimationTimer;
    QRect m_HitRect;
    mutable QIcon m_Icons[s_NumFrames][s_NumModes];   // filled as frames are first drawn
    int m_RunMode = 0;
    qint16 m_CurrentFrame = 0;
    bool m_bPlaying = false;
    QPushButton* m_pManualButton = nullptr;
};
