#include "video/VideoPositionSlider.h"

#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>

CVideoPositionSlider::CVideoPositionSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {}

QRect CVideoPositionSlider::handleRect() const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
}

void CVideoPositionSlider::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && isEnabled() && !handleRect().contains(event->pos())) {
        QStyleOptionSlider option;
        initStyleOption(&option);
        const QRect groove = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
        const int handle = handleRect().width();
        const int x = event->pos().x() - groove.x() - handle / 2;
        setSliderPosition(QStyle::sliderValueFromPosition(minimum(), maximum(), x, groove.width() - handle,
                                                          option.upsideDown));
    }
    // Now on the handle: the press grabs it.
    QSlider::mousePressEvent(event);
}
