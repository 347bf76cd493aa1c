#pragma once
// Pointer gestures on a video window for its tests: where a frame pixel shows, and a drag.
#include "video/VideoAnlysisWindow.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include <cmath>

// The window point that shows a frame pixel: the inverse of the window's mapping, rounded up so
// that it maps back onto the same pixel.
inline QPoint WindowPointOfFrame(CVideoAnlysisWindow* w, const QPoint& framePoint)
{
    const QRect picture = w->videoArea();
    const QSize frame = w->frameImage.size();
    return picture.topLeft() + QPoint(int(std::ceil(framePoint.x() * double(picture.width()) / frame.width())),
                                      int(std::ceil(framePoint.y() * double(picture.height()) / frame.height())));
}

// A press, one move and a release, as the user drags.
inline void DragOnWindow(QWidget* w, const QPoint& from, const QPoint& to)
{
    QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, from);
    QMouseEvent move(QEvent::MouseMove, to, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &move);
    QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, to);
}
