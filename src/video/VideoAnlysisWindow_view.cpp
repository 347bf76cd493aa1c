// The picture, the axis system and the mouse of the video-analysis window.
#include "video/VideoAnlysisWindow.h"

#include "Core/Data/Globals.h"
#include "video/tracking/VideoAxis.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

#include <cmath>

namespace {

QPoint rounded(const QPointF& p)
{
    // Halves upward in both coordinates.
    return QPoint(int(std::floor(p.x() + 0.5)), int(std::floor(p.y() + 0.5)));
}

} // namespace

QPoint CVideoAnlysisWindow::VideoViewPointToView(const QPoint& labelPoint) const
{
    return VideoAxis::VideoViewPointToView(labelPoint, frameImage.size(), videoLabel ? videoLabel->size() : QSize());
}

QPoint CVideoAnlysisWindow::PointToVideoView(const QPoint& framePoint) const
{
    return VideoAxis::PointToVideoView(framePoint, frameImage.size(), videoLabel ? videoLabel->size() : QSize());
}

QRect CVideoAnlysisWindow::videoArea() const
{
    const QMargins m = contentsMargins();
    return QRect(QPoint(m.left(), m.top()), QPoint(width() - 1 - m.right(), height() - 82));
}

void CVideoAnlysisWindow::updateVideoDisplay()
{
    if (frameImage.isNull() || !videoLabel || videoLabel->width() < 1 || videoLabel->height() < 1)
        return;
    QImage view = frameImage.scaled(videoLabel->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (showAxes)
        DrawAxis(&view);
    if (isTracking)
        DrawTracking(&view);
    DrawTrackingTrail(&view);
    if (selectionRect.isValid() && dragState == DragSelect)
        DrawObjectSelection(&view);
    if (templateSet && objectTemplate.width() > 0 && objectTemplate.height() > 0) {
        QPainter painter(&view);
        painter.drawImage(QPoint(0, 0), objectTemplate);
    }
    videoLabel->setPixmap(QPixmap::fromImage(view));
}

void CVideoAnlysisWindow::DrawAxis(QImage* view)
{
    if (!view || frameImage.width() < 1 || frameImage.height() < 1)
        return;
    QPainter painter(view);
    painter.setPen(QPen(Qt::yellow, 1));
    painter.setBrush(Qt::NoBrush);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const double a = double(float(axisAngle * VideoAxis::s_Pi / 180.0));
    const double t = std::tan(a);
    const QPoint o = PointToVideoView(axisOrigin);
    const double sx = double(view->width()) / frameImage.width();
    const double sy = double(view->height()) / frameImage.height();
    const double ox = axisOrigin.x();
    const double oy = axisOrigin.y();
    // Both ends are computed in doubles: a stored angle near 90 degrees must not overflow an int.
    const double topX = (ox - std::trunc(oy * t)) * sx;
    const double rightY = (oy - std::trunc(t * (frameImage.width() - ox))) * sy;
    painter.drawLine(QPointF(std::trunc(qBound(-1e6, topX, 1e6)), 0), QPointF(o));
    painter.drawLine(QPointF(o), QPointF(view->width(), std::trunc(qBound(-1e6, rightY, 1e6))));
    QFont font(QStringLiteral("Helvetica"), 9);
    font.setWeight(75);
    painter.setFont(font);
    painter.drawText(QPoint(o.x(), o.y() + 13),
                     QStringLiteral("(0,0), ") + Double2String(axisAngle, 1, false, false) + QChar(0x00B0));
}

void CVideoAnlysisWindow::DrawObjectSelection(QImage* view)
{
    if (!view)
        return;
    const QMargins m = contentsMargins();
    QPainter painter(view);
    painter.setPen(QPen(Qt::red, 1));
    painter.setBrush(Qt::NoBrush);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.drawRect(selectionRect.translated(-m.left(), -m.top()));
}

void CVideoAnlysisWindow::mousePressEvent(QMouseEvent* event)
{
    CKorvantaWindow::mousePressEvent(event);
    event->accept();
    const QPoint pt = rounded(event->localPos());
    if (!videoArea().contains(pt) || !videoLabel)
        return;
    const QPoint p = VideoViewPointToView(pt - videoLabel->pos());
    if (!isTracking) {
        if (VideoAxis::InOriginBox(p, axisOrigin) && axisMode != 3) {
            dragState = DragOrigin;
            pressPoint = lastPoint = pt;
            notifyHasNewDataToSave();
        } else if (axisMode == 3) {
            dragState = DragSelect;
            pressPoint = lastPoint = pt;
        } else if (VideoAxis::InAxisLineBand(p, axisOrigin, axisAngle)) {
            dragState = DragAngle;
            pressPoint = lastPoint = pt;
            notifyHasNewDataToSave();
        }
        return;
    }
    if (axisMode == 3) {
        dragState = DragSelect;
        pressPoint = lastPoint = pt;
    }
    if (trackingMode == 1) {
        const QMargins m = contentsMargins();
        AddManualTrackingPoint(VideoViewPointToView(pt - QPoint(m.left(), m.top())));
    }
}

void CVideoAnlysisWindow::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pt = rounded(event->localPos());
    AdjustCursor(pt);
    event->accept();
    if (!videoArea().contains(pt) || !videoLabel) {
        CKorvantaWindow::mouseMoveEvent(event);
        return;
    }
    bool changed = false;
    if (dragState == DragSelect) {
        if (pt != lastPoint) {
            // The far corner runs one movement step ahead of the pointer.
            const QPoint corner = pt + (pt - lastPoint);
            selectionRect = VideoAxis::SpanRect(pressPoint, corner);
            lastPoint = pt;
            changed = true;
        }
    } else if (dragState == DragAngle) {
        const QMargins m = contentsMargins();
        const QPoint q = VideoViewPointToView(pt - QPoint(m.left(), m.top()));
        if (q != lastPoint) {
            // A drag that lands on the origin has no direction and keeps the angle.
            VideoAxis::AngleFromDrag(q, axisOrigin, &axisAngle);
            lastPoint = q;
            changed = true;
        }
    } else if (dragState == DragOrigin) {
        if (pt != lastPoint) {
            axisOrigin = VideoViewPointToView(pt - videoLabel->pos());
            lastPoint = pt;
            changed = true;
        }
    }
    if (changed)
        updateVideoDisplay();
}

void CVideoAnlysisWindow::mouseReleaseEvent(QMouseEvent* event)
{
    CKorvantaWindow::mouseReleaseEvent(event);
    event->accept();
    if (dragState == DragSelect)
        takeSelection();
    dragState = DragNone;
}

void CVideoAnlysisWindow::takeSelection()
{
    const QMargins m = contentsMargins();
    const QRect inLabel = selectionRect.translated(-m.left(), -m.top());
    selectionRect = QRect(VideoViewPointToView(inLabel.topLeft()), VideoViewPointToView(inLabel.bottomRight()));
    if (frameImage.isNull())
        return;
    // A rectangle dragged past the picture's edge keeps only the part on the picture; one with
    // nothing on it takes no object.
    const QRect clamped = VideoAxis::ClampSelection(selectionRect, frameImage.size());
    if (clamped.isNull())
        return;
    selectionRect = clamped;
    objectTemplate = frameImage.copy(selectionRect);
    templateSet = true;
    dragState = DragNone;
    updateVideoDisplay();
    repaint();
}

void CVideoAnlysisWindow::AdjustCursor(const QPoint& windowPoint)
{
    if (!videoLabel)
        return;
    const QPoint p = VideoViewPointToView(windowPoint - videoLabel->pos());
    Qt::CursorShape shape = Qt::ArrowCursor;
    if (VideoAxis::InOriginBox(p, axisOrigin) && axisMode != 3 && !isTracking)
        shape = Qt::SizeAllCursor;
    else if (axisMode == 3)
        shape = Qt::CrossCursor;
    else if (!isTracking && VideoAxis::InAxisLineBand(p, axisOrigin, axisAngle))
        shape = Qt::OpenHandCursor;
    setCursor(shape);
    videoLabel->setCursor(shape);
}
