#pragma once
// The play-position slider of the video-analysis window. A press on the bar away from the
// handle puts the handle under the pointer and goes on as a drag of it, so the release seeks to
// where the user pointed; a plain slider would only page towards the pointer, and a page step
// is no release, so it seeks nothing.
#include <QSlider>

class CVideoPositionSlider : public QSlider
{
    Q_OBJECT
public:
    explicit CVideoPositionSlider(QWidget* parent);

    // Where the handle is drawn and grabbed, in the slider's points.
    QRect handleRect() const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
};
