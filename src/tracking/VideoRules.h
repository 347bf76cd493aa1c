#pragma once
// The rules of the video-analysis window that need no window: which tool-bar commands are
// open in which state, and the frame, position and time arithmetic of playback. Every division
// by a frame count, rate or duration is guarded, so a file that reports none gives zeros
// instead of a crash.
#include <QMargins>
#include <QRect>
#include <QString>
#include <QtGlobal>

// How the object is followed: found in each frame by its template, or clicked on by hand.
enum class VideoTrackingMode : int { Automatic = 0, Manual = 1 };
// What a press on the picture does away from the axes: nothing, or start selecting the object.
enum class VideoAxisMode : int { None = 0, SelectObject = 3 };

struct VideoButtonInputs
{
    bool available = false;   // the player has a picture
    bool playing = false;     // play state 0
    bool tracking = false;
    bool templateSet = false;
    bool runInProgress = false;
    bool showAxes = true;
    VideoTrackingMode trackingMode = VideoTrackingMode::Automatic;
    VideoAxisMode axisMode = VideoAxisMode::None;
    bool modeEnabledBefore = true;   // the Tracking Mode command's current state
};

struct VideoButtonStates
{
    bool playEnabled = false;
    bool applyPlayChecked = false;   // the check marks of Play and Start Tracking follow the
    bool playChecked = false;        // state only while there is a picture
    bool stepEnabled = false;
    bool sliderEnabled = false;
    bool axesChecked = false;
    bool modeEnabled = false;
    bool modeChecked = false;
    bool setObjectEnabled = false;
    bool setObjectChecked = false;
    bool trackEnabled = false;
    bool applyTrackChecked = false;
    bool trackChecked = false;
};

VideoButtonStates VideoButtonRules(const VideoButtonInputs& in);

namespace VideoPlayback {

// Slider steps over the whole video.
constexpr int s_SliderRange = 200;

// The frame shown at a player position.
int FrameAtPosition(qint64 positionMs, double fps);
// The player position inside frame t of frameCount over a video of durationMs.
qint64 PositionOfFrame(qint64 t, qint64 frameCount, qint64 durationMs);
// The slider value of a position.
int SliderValue(qint64 positionMs, qint64 durationMs);
// The frame a slider value seeks to.
qint64 SliderTargetFrame(int sliderValue, qint64 frameCount);
// Where the slider stands for a frame: the first value that seeks to it, so a release that
// leaves the handle where it was stays on the frame.
int SliderValueOfFrame(qint64 frame, qint64 frameCount);
// One frame period in milliseconds (what a seek waits for its frame).
int FramePeriodMs(double fps);
// The number of the frame a decoded picture shows, from its start time and the start time of
// the first picture after loading (containers may start their clock above 0). A picture delivered
// after a seek starts at the seek position, inside its frame; one delivered in play starts at
// the frame's own time, which may lie a microsecond short of it. -1 without a time or a rate.
int FrameIndexOfTime(qint64 startUs, qint64 firstStartUs, double fps, qint64 frameCount);
// The time text under the slider for a frame: "hh:mm:ss.zzz", so that it changes with every
// frame stepped.
QString TimeText(qint64 durationMs, int frame, qint64 frameCount);
// The window width that shows a picture at its aspect ratio at the window's height: the
// picture area is the height less the tool bars (80) and the vertical margins.
int FittedWidth(int height, int left, int top, int right, int bottom, int imageWidth, int imageHeight);
// The window geometry that shows a picture at its aspect ratio inside the document area: the
// fitted width at the window's height when that fits, else a smaller height whose fitted width
// fits; then moved, when it must be, to lie inside the area (never above or left of it).
QRect FittedGeometry(const QRect& window, const QSize& area, const QMargins& margins, const QSize& image,
                     const QSize& minimum);

} // namespace VideoPlayback
