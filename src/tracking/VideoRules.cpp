#include "tracking/VideoRules.h"

#include <QTime>

#include <cmath>
#include <limits>

VideoButtonStates VideoButtonRules(const VideoButtonInputs& in)
{
    const bool a = in.available;
    const bool p = in.playing;
    const bool k = in.tracking;
    VideoButtonStates s;
    s.playEnabled = a && !k;
    s.applyPlayChecked = a;
    s.playChecked = p;
    s.stepEnabled = a && !k;
    s.sliderEnabled = a;
    s.axesChecked = in.showAxes;
    if (a)
        s.modeEnabled = !k && !p;
    else
        s.modeEnabled = p ? false : in.modeEnabledBefore;
    s.modeChecked = in.trackingMode == VideoTrackingMode::Automatic;
    s.setObjectEnabled = a && !k && in.trackingMode == VideoTrackingMode::Automatic && !p;
    s.setObjectChecked = in.axisMode == VideoAxisMode::SelectObject;
    s.trackEnabled = a && (in.templateSet || in.trackingMode == VideoTrackingMode::Manual) && !in.runInProgress && !p;
    s.applyTrackChecked = a;
    s.trackChecked = k;
    return s;
}

namespace VideoPlayback {
namespace {

qint64 toInt64(double v)
{
    if (!std::isfinite(v) || v < -9.0e18 || v > 9.0e18)
        return 0;
    return qint64(v);
}

int toInt(double v)
{
    if (!std::isfinite(v) || v < -2.0e9 || v > 2.0e9)
        return 0;
    return int(v);
}

} // namespace

int FrameAtPosition(qint64 positionMs, double fps)
{
    if (!(fps > 0.0))
        return 0;
    // Positions come in whole milliseconds, cut from a frame's exact start time (frame 1 of a
    // 30 fps video starts at 33.3 ms and is reported at 33); one millisecond of slack keeps
    // such a position on its own frame instead of the one before.
    return toInt((positionMs + 1) / 1000.0 * fps);
}

qint64 PositionOfFrame(qint64 t, qint64 frameCount, qint64 durationMs)
{
    if (frameCount <= 0)
        return 0;
    // The middle of the frame: a position cut to whole milliseconds at the frame's start can
    // fall just before it (frame 2 of a 15 fps video starts at 133.3 ms) and show the frame
    // before.
    return toInt64(durationMs * ((double(t) + 0.5) / double(frameCount)));
}

int SliderValue(qint64 positionMs, qint64 durationMs)
{
    if (durationMs <= 0)
        return 0;
    return toInt(double(positionMs) / double(durationMs) * double(s_SliderRange));
}

qint64 SliderTargetFrame(int sliderValue, qint64 frameCount)
{
    return toInt64(frameCount * (sliderValue / double(s_SliderRange)));
}

int SliderValueOfFrame(qint64 frame, qint64 frameCount)
{
    if (frameCount <= 0 || frame <= 0)
        return 0;
    if (frame >= frameCount)
        return s_SliderRange;
    // Whole numbers: the value must not fall short of the frame by a rounding error. A count
    // too large for that (only a damaged file reports one) is worked in doubles.
    if (frameCount > std::numeric_limits<qint64>::max() / (2 * s_SliderRange))
        return toInt(std::ceil(double(frame) / double(frameCount) * s_SliderRange));
    return int((frame * s_SliderRange + frameCount - 1) / frameCount);
}

int FramePeriodMs(double fps)
{
    if (!(fps > 0.0))
        return 0;
    return toInt(1.0 / fps * 1000.0);
}

int FrameIndexOfTime(qint64 startUs, qint64 firstStartUs, double fps, qint64 frameCount)
{
    if (startUs < 0 || !(fps > 0.0) || frameCount <= 0)
        return -1;
    const double frames = double(startUs - qMax<qint64>(firstStartUs, 0)) / 1.0e6 * fps;
    // A twentieth of a frame of slack takes a start time cut to whole microseconds (frame 1 of
    // a 30 fps video at 33333 us) to its own frame; a seek's mid-frame start is far from the edge.
    return int(qBound<qint64>(0, toInt64(std::floor(frames + 0.05)), frameCount - 1));
}

QString TimeText(qint64 durationMs, int frame, qint64 frameCount)
{
    const qint64 ms = frameCount > 0 ? toInt64(std::llround(durationMs * (double(frame) / double(frameCount)))) : 0;
    // QTime wraps at a day; a video that long shows the time of day it would reach.
    const int wrapped = int(qBound<qint64>(0, ms, 86400000 - 1));
    return QTime(0, 0, 0).addMSecs(wrapped).toString(QStringLiteral("hh:mm:ss.zzz"));
}

int FittedWidth(int height, int left, int top, int right, int bottom, int imageWidth, int imageHeight)
{
    if (imageWidth < 1 || imageHeight < 1)
        return left + right;
    return toInt(left + (height - 80 - top - bottom) * (double(imageWidth) / double(imageHeight)) + right);
}

QRect FittedGeometry(const QRect& window, const QSize& area, const QMargins& m, const QSize& image,
                     const QSize& minimum)
{
    auto widthAt = [&](int h) {
        return FittedWidth(h, m.left(), m.top(), m.right(), m.bottom(), image.width(), image.height());
    };
    int h = window.height();
    if (area.height() > 0)
        h = qMin(h, qMax(area.height(), minimum.height()));
    int w = widthAt(h);
    if (area.width() > 0 && w > area.width() && image.width() > 0 && image.height() > 0) {
        // The height whose picture is as wide as the area allows.
        const double picture = double(area.width() - m.left() - m.right()) * image.height() / image.width();
        h = qMax(minimum.height(), toInt(std::floor(picture)) + 80 + m.top() + m.bottom());
        w = qMin(widthAt(h), area.width());
    }
    w = qMax(w, minimum.width());
    int x = window.x();
    int y = window.y();
    if (area.width() > 0)
        x = qMax(0, qMin(x, area.width() - w));
    if (area.height() > 0)
        y = qMax(0, qMin(y, area.height() - h));
    return QRect(x, y, w, h);
}

} // namespace VideoPlayback
