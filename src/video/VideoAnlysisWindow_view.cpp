// The picture, the axis system and the mouse of the video-analysis window.
#include "video/VideoAnlysisWindow.h"

#include "Core/Data/Globals.h"
#include "tracking/VideoAxis.h"

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

QRect CVideoAnlysisWindow::pictureRect() const
{
    return VideoAxis::PictureRect(frameImage.size(), videoLabel ? videoLabel->size() : QSize());
}

QPoint CVideoAnlysisWindow::VideoViewPointToView(const QPoint& labelPoint) const
{
    const QRect picture = pictureRect();
    return VideoAxis::VideoViewPointToView(labelPoint - picture.topLeft(), frameImage.size(), picture.size());
}

QPoint CVideoAnlysisWindow::PointToVideoView(const QPoint& framePoint) const
{
    const QRect picture = pictureRect();
    return VideoAxis::PointToVideoView(framePoint, frameImage.size(), picture.size()) + picture.topLeft();
}

QRect CVideoAnlysisWindow::videoArea() const
{
    return videoLabel ? pictureRect().translated(videoLabel->pos()) : QRect();
}

QPoint CVideoAnlysisWindow::WindowPointToFrame(const QPoint& windowPoint) const
{
    // Every press, drag and click maps through the label the picture is drawn in; the title
    // bar and the style's margins may place it anywhere.
    return VideoViewPointToView(windowPoint - (videoLabel ? videoLabel->pos() : QPoint()));
}

void CVideoAnlysisWindow::updateVideoDisplay()
{
    if (frameImage.isNull() || !videoLabel || videoLabel->width() < 1 || videoLabel->height() < 1)
        return;
    const QRect picture = pictureRect();
    if (picture.width() < 1 || picture.height() < 1)
        return;
    // The frame keeps its shape whatever the window's: a ball stays round, and the bars left
    // over are black.
    QImage view(videoLabel->size(), QImage::Format_RGB32);
    view.fill(Qt::black);
    {
        QPainter painter(&view);
        painter.drawImage(picture.topLeft(),
                          frameImage.scaled(picture.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    }
    if (showAxes)
        DrawAxis(&view);
    if (isTracking)
        DrawTracking(&view);
    DrawTrackingTrail(&view);
    if (m_DragRect.isValid() && dragState == DragSelect)
        DrawObjectSelection(&view);
    if (templateSet && objectTemplate.width() > 0 && objectTemplate.height() > 0) {
        QPainter painter(&view);
        painter.drawImage(picture.topLeft(), objectTemplate);
    }
    videoLabel->setPixmap(QPixmap::fromImage(view));
}

void CVideoAnlysisWindow::DrawAxis(QImage* view)
{
    if (!view || frameImage.width() < 1 || frameImage.height() < 1)
        return;
    const QRect picture = pictureRect();
    QPainter painter(view);
    painter.setClipRect(picture);
    painter.setPen(QPen(Qt::yellow, 1));
    painter.setBrush(Qt::NoBrush);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const double a = double(float(axisAngle * VideoAxis::s_Pi / 180.0));
    const double t = std::tan(a);
    const QPoint o = PointToVideoView(axisOrigin);
    const double sx = double(picture.width()) / frameImage.width();
    const double sy = double(picture.height()) / frameImage.height();
    const double ox = axisOrigin.x();
    const double oy = axisOrigin.y();
    // Both ends are computed in doubles: a stored angle near 90 degrees must not overflow an int.
    const double topX = (ox - std::trunc(oy * t)) * sx;
    const double rightY = (oy - std::trunc(t * (frameImage.width() - ox))) * sy;
    painter.drawLine(QPointF(picture.x() + std::trunc(qBound(-1e6, topX, 1e6)), picture.y()), QPointF(o));
    painter.drawLine(QPointF(o), QPointF(picture.x() + picture.width(),
                                         picture.y() + std::trunc(qBound(-1e6, rightY, 1e6))));
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
    // The rectangle being dragged is held in points of the label, which is the view.
    QPainter painter(view);
    painter.setPen(QPen(Qt::red, 1));
    painter.setBrush(Qt::NoBrush);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.drawRect(m_DragRect);
}

void CVideoAnlysisWindow::mousePressEvent(QMouseEvent* event)
{
    CKorvantaWindow::mousePressEvent(event);
    event->accept();
    const QPoint pt = rounded(event->localPos());
    if (!videoArea().contains(pt) || !videoLabel)
        return;
    const QPoint p = WindowPointToFrame(pt);
    if (!isTracking) {
        if (VideoAxis::InOriginBox(p, axisOrigin) && axisMode != VideoAxisMode::SelectObject) {
            dragState = DragOrigin;
            pressPoint = lastPoint = pt;
            notifyHasNewDataToSave();
        } else if (axisMode == VideoAxisMode::SelectObject) {
            dragState = DragSelect;
            pressPoint = lastPoint = pt;
            m_DragRect = VideoAxis::SpanRect(pt - videoLabel->pos(), pt - videoLabel->pos());
        } else if (VideoAxis::InAxisLineBand(p, axisOrigin, axisAngle)) {
            dragState = DragAngle;
            pressPoint = pt;
            lastPoint = p;
            notifyHasNewDataToSave();
        }
        return;
    }
    if (axisMode == VideoAxisMode::SelectObject) {
        dragState = DragSelect;
        pressPoint = lastPoint = pt;
        m_DragRect = VideoAxis::SpanRect(pt - videoLabel->pos(), pt - videoLabel->pos());
    }
    if (trackingMode == VideoTrackingMode::Manual)
        AddManualTrackingPoint(p);
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
    applyDrag(pt);
}

void CVideoAnlysisWindow::applyDrag(const QPoint& pt)
{
    // Moves and the release go through here alike, so a drag whose moves never arrive (a fast
    // drag, a grab elsewhere) still ends where the button was let go.
    bool changed = false;
    if (dragState == DragSelect) {
        if (pt != lastPoint) {
            m_DragRect = VideoAxis::SpanRect(pressPoint - videoLabel->pos(), pt - videoLabel->pos());
            lastPoint = pt;
            changed = true;
        }
    } else if (dragState == DragAngle) {
        const QPoint q = WindowPointToFrame(pt);
        if (q != lastPoint) {
            // A drag that lands on the origin has no direction and keeps the angle.
            VideoAxis::AngleFromDrag(q, axisOrigin, &axisAngle);
            lastPoint = q;
            changed = true;
        }
    } else if (dragState == DragOrigin) {
        if (pt != lastPoint) {
            axisOrigin = WindowPointToFrame(pt);
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
    const QPoint pt = rounded(event->localPos());
    if (videoLabel && (dragState == DragOrigin || dragState == DragAngle)) {
        // The release point is the drag's last point, also outside the picture: limited to it.
        const QRect area = videoArea();
        applyDrag(QPoint(qBound(area.left(), pt.x(), area.right()), qBound(area.top(), pt.y(), area.bottom())));
    }
    if (dragState == DragSelect && videoLabel)
        takeSelection(pt);
    dragState = DragNone;
}

void CVideoAnlysisWindow::takeSelection(const QPoint& windowPoint)
{
    // The object is the rectangle from the press to the release, whatever moves came between.
    const QRect inLabel = VideoAxis::SpanRect(pressPoint - videoLabel->pos(), windowPoint - videoLabel->pos());
    m_DragRect = QRect();
    if (frameImage.isNull())
        return;
    // A rectangle dragged past the picture's edge keeps only the part on the picture; one with
    // nothing on it, or too small to be searched for (a click), takes no object and leaves the
    // object before it in place.
    const QRect clamped = VideoAxis::ClampSelection(
        QRect(VideoViewPointToView(inLabel.topLeft()), VideoViewPointToView(inLabel.bottomRight())), frameImage.size());
    if (clamped.width() < s_MinObjectSide || clamped.height() < s_MinObjectSide) {
        updateVideoDisplay();
        return;
    }
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
    const QPoint p = WindowPointToFrame(windowPoint);
    Qt::CursorShape shape = Qt::ArrowCursor;
    if (VideoAxis::InOriginBox(p, axisOrigin) && axisMode != VideoAxisMode::SelectObject && !isTracking)
        shape = Qt::SizeAllCursor;
    else if (axisMode == VideoAxisMode::SelectObject)
        shape = Qt::CrossCursor;
    else if (!isTracking && VideoAxis::InAxisLineBand(p, axisOrigin, axisAngle))
        shape = Qt::OpenHandCursor;
    setCursor(shape);
    videoLabel->setCursor(shape);
}
