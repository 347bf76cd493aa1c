#include "tracking/VideoAxis.h"

#include <cmath>

namespace VideoAxis {
namespace {

// The mapped coordinate, truncated toward zero; out-of-range results (a label or frame of an
// absurd size) are held at the int limits instead of overflowing.
int scaled(int value, int to, int from)
{
    const double v = std::trunc(double(to) * (double(value) / double(from)));
    if (!std::isfinite(v))
        return 0;
    if (v > 2e9)
        return 2000000000;
    if (v < -2e9)
        return -2000000000;
    return int(v);
}

double radians(double degrees)
{
    // Rounded to single precision, as the drawn axis and its band have always been.
    return double(float(degrees * s_Pi / 180.0));
}

} // namespace

QRect PictureRect(const QSize& frame, const QSize& label)
{
    if (frame.width() < 1 || frame.height() < 1 || label.width() < 1 || label.height() < 1)
        return QRect(QPoint(0, 0), label);
    const QSize shown = frame.scaled(label, Qt::KeepAspectRatio);
    return QRect(QPoint((label.width() - shown.width()) / 2, (label.height() - shown.height()) / 2), shown);
}

QPoint VideoViewPointToView(const QPoint& p, const QSize& frame, const QSize& label)
{
    if (frame.width() < 1 || frame.height() < 1 || label.width() < 1 || label.height() < 1)
        return p;
    return QPoint(scaled(p.x(), frame.width(), label.width()), scaled(p.y(), frame.height(), label.height()));
}

QPoint PointToVideoView(const QPoint& q, const QSize& frame, const QSize& label)
{
    if (frame.width() < 1 || frame.height() < 1)
        return q;
    return QPoint(scaled(q.x(), label.width(), frame.width()), scaled(q.y(), label.height(), frame.height()));
}

QPointF PointToAxisPoint(const QPointF& point, const QPoint& origin, double angleDegrees)
{
    const double t = angleDegrees * s_Pi / 180.0;
    const double dx = point.x() - origin.x();
    const double dy = origin.y() - point.y();
    double a;
    if (point.x() != origin.x()) {
        a = std::atan(dy / dx);
        if (dx < 0)
            a += s_Pi;
    } else {
        a = dy >= 0 ? s_Pi / 2.0 : s_Pi / 2.0 + s_Pi;
    }
    a -= t;
    const double r = std::sqrt(dx * dx + dy * dy);
    return QPointF(r * std::cos(a), r * std::sin(a));
}

bool InOriginBox(const QPoint& p, const QPoint& origin)
{
    return std::abs(p.x() - origin.x()) <= s_OriginHalfBox && std::abs(p.y() - origin.y()) <= s_OriginHalfBox;
}

bool InAxisLineBand(const QPoint& p, const QPoint& origin, double angleDegrees)
{
    const double yLine = origin.y() - std::trunc(std::tan(radians(angleDegrees)) * (p.x() - origin.x()));
    if (!std::isfinite(yLine))
        return false;
    return yLine - s_AxisBandHalf < p.y() && p.y() < yLine + s_AxisBandHalf;
}

bool AngleFromDrag(const QPoint& q, const QPoint& origin, double* angleDegrees)
{
    const int rise = q.y() - origin.y();
    const int run = origin.x() - q.x();
    if (rise == 0 && run == 0)
        return false;
    double degrees;
    if (run == 0)
        degrees = rise > 0 ? 90.0 : -90.0;   // straight below or above the origin
    else
        degrees = std::atan(double(rise) / double(run)) * 180.0 / s_Pi;
    if (degrees < s_MinAngle)
        degrees = s_MinAngle;
    if (degrees > s_MaxAngle)
        degrees = s_MaxAngle;
    if (angleDegrees)
        *angleDegrees = degrees;
    return true;
}

QRect SpanRect(const QPoint& a, const QPoint& b)
{
    return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                 QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
}

QRect ClampSelection(const QRect& selection, const QSize& frame)
{
    if (!selection.isValid() || frame.width() < 1 || frame.height() < 1)
        return QRect();
    const QRect clamped = selection.intersected(QRect(QPoint(0, 0), frame));
    return clamped.isEmpty() ? QRect() : clamped;
}

} // namespace VideoAxis
