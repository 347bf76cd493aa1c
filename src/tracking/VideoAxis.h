#pragma once
// The geometry of the video view: frame pixels against points of the label that shows the
// picture, the user's turned axis system, the zones a press acts on and the rectangle that cuts
// the object out of the frame. Plain functions, so the rules are checked without a window.
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QSize>

namespace VideoAxis {

// The value of pi the axis arithmetic has always used; stored angles and tracked runs depend
// on it, so it is kept rather than replaced by the full-precision constant.
constexpr double s_Pi = 3.14159;
// Half the side of the square around the origin that moves it, and half the height of the
// band along the X axis that turns it, in frame pixels.
constexpr int s_OriginHalfBox = 5;
constexpr int s_AxisBandHalf = 5;
// Limits of a dragged axis angle, in degrees.
constexpr double s_MinAngle = -45.0;
constexpr double s_MaxAngle = 80.0;

// Where a frame is drawn in a label: as large as fits at the frame's own aspect ratio, centred,
// the rest of the label left black. The whole label while there is no frame.
QRect PictureRect(const QSize& frame, const QSize& label);
// A point of the drawn picture (its top-left at 0, 0) to frame pixels, and back (unchanged
// while either size is empty).
QPoint VideoViewPointToView(const QPoint& picturePoint, const QSize& frame, const QSize& picture);
QPoint PointToVideoView(const QPoint& framePoint, const QSize& frame, const QSize& picture);

// A frame point in the axis system: X along the turned axis, Y upwards, in frame pixels.
QPointF PointToAxisPoint(const QPointF& point, const QPoint& origin, double angleDegrees);

// The frame pixels a press grabs the origin in.
bool InOriginBox(const QPoint& p, const QPoint& origin);
// The band along the line through the origin at the axis angle, on both sides of the origin.
bool InAxisLineBand(const QPoint& p, const QPoint& origin, double angleDegrees);

// The axis angle a drag to q (frame pixels) sets, within the limits. A drag that lands on the
// origin itself has no direction: false, and the angle is left alone.
bool AngleFromDrag(const QPoint& q, const QPoint& origin, double* angleDegrees);

// The rectangle spanned by two corners, corners included.
QRect SpanRect(const QPoint& a, const QPoint& b);
// A selection limited to the frame; a null rectangle when nothing of it lies inside.
QRect ClampSelection(const QRect& selection, const QSize& frame);

} // namespace VideoAxis
