#include "table/MeterFaces.h"

#include "Core/Data/Globals.h"

#include <QFontMetrics>
#include <QPainter>

#include <cmath>

namespace {
const char* const s_FaceFamily = "Helvetica [Cronyx]";
const double s_Pi = 3.14159265358979323846;

QFont FaceFont(int pointSize)
{
    QFont font(QString::fromLatin1(s_FaceFamily), pointSize, QFont::Normal, false);
    return font;
}

// Coordinates of a pixel: cut toward zero, and kept where a painter can take them.
int Pixel(double v)
{
    int out = 0;
    SafeDoubleToInt(std::max(-1.0e6, std::min(1.0e6, v)), out, 0);
    return out;
}
} // namespace

namespace MeterScale {

double TickStep(double minimum, double maximum, int limit)
{
    if (!std::isfinite(minimum) || !std::isfinite(maximum))
        return 0.0;
    const float width = float(maximum) - float(minimum);
    if (!(width > 0.0f) || !std::isfinite(width) || limit < 1)
        return 0.0;
    const double l = std::log10(double(width));
    const double whole = std::floor(l);
    const double fraction = l - std::trunc(l);
    const double e = fraction > 0.5 ? whole + 1.0 : whole;
    double step = std::pow(10.0, e - 1.0);
    while (double(width) / step > double(limit))
        step *= 2.0;
    return step;
}

QVector<double> TickValues(double minimum, double maximum, double step)
{
    QVector<double> out;
    if (!(step > 0.0) || !std::isfinite(step) || float(minimum) == float(maximum) || minimum > maximum)
        return out;
    for (int i = 0; i < s_MaxTicks; ++i) {
        const double v = minimum + double(i) * step;
        if (float(v) > float(maximum))
            break;
        out.append(v);
    }
    return out;
}

int BarStepLimit(int barHeight, int fontHeight)
{
    if (fontHeight <= 0)
        return 10;
    return std::max(5, std::min(10, barHeight / fontHeight));
}

QString LabelText(double value, double width)
{
    if (std::fabs(value) < 0.0001 && width > 0.0001)
        value = 0.0;
    return QString::number(value, 'f', 2);
}

int PointSizeToFit(const QString& text, QFont font, int width)
{
    int size = font.pointSize();
    if (size < 1)
        return 1;
    while (size > 1 && QFontMetrics(font).horizontalAdvance(text) > width) {
        --size;
        font.setPointSize(size);
    }
    return size;
}

} // namespace MeterScale

CMeterFace::CMeterFace(QWidget* view) : QWidget(view)
{
    // A face draws on the view; as a widget of its own it stays out of sight.
    hide();
}

void CMeterFace::drawMeter()
{
    QWidget* view = parentWidget();
    if (!view)
        return;
    QPainter painter(view);
    drawMeter(&painter, view->size());
}

QPoint CMeterFace::drawBackground(QPainter* painter, const QSize& viewSize) const
{
    painter->fillRect(QRect(QPoint(0, 0), viewSize), m_FillColor);
    if (!m_pBackground || m_pBackground->isNull())
        return QPoint(viewSize.width() / 2, viewSize.height() / 2);
    const QPoint origin(viewSize.width() / 2 - m_pBackground->width() / 2,
                        viewSize.height() / 2 - m_pBackground->height() / 2);
    painter->drawPixmap(origin, *m_pBackground);
    return origin;
}

QString CMeterFace::backgroundKey(const QSize& viewSize) const
{
    const qint64 image = m_pBackground ? m_pBackground->cacheKey() : 0;
    return QStringLiteral("%1x%2 %3").arg(viewSize.width()).arg(viewSize.height()).arg(image);
}

namespace {
QString Number(double v)
{
    return QString::number(v, 'g', 17);
}
} // namespace

// Analog face.

const QColor CAnalogMeter::s_NeedleColor(255, 164, 8);

CAnalogMeter::CAnalogMeter(QWidget* view)
    : CMeterFace(view), m_Font(FaceFont(10)), m_NeedleColor(s_NeedleColor)
{
}

void CAnalogMeter::setScaleRadius(double radius)
{
    m_ScaleRadius = radius;
    m_NeedleLength = Pixel(radius);
}

void CAnalogMeter::drawMeter(QPainter* painter, const QSize& viewSize)
{
    const QString key = backgroundKey(viewSize) + QLatin1Char(' ') + Number(m_Min) + QLatin1Char(' ') + Number(m_Max)
        + QStringLiteral(" %1 %2 %3 %4").arg(m_ScaleX).arg(m_ScaleY).arg(Number(m_ScaleRadius)).arg(m_SensorIcon.cacheKey());
    if (m_Layer.key != key || m_Layer.pixmap.size() != viewSize) {
        m_Layer.pixmap = QPixmap(viewSize);
        QPainter layer(&m_Layer.pixmap);
        layer.setRenderHint(QPainter::Antialiasing, true);
        drawBackground(&layer, viewSize);
        if (!m_SensorIcon.isNull())
            layer.drawPixmap(10, 10, m_SensorIcon);
        DrawScale(&layer);
        m_Layer.key = key;
    }
    painter->drawPixmap(0, 0, m_Layer.pixmap);
    painter->setRenderHint(QPainter::Antialiasing, true);
    drawNeedle(painter, m_NeedleX, m_NeedleY, m_NeedleLength, m_NeedleAngle);
}

void CAnalogMeter::DrawScale(QPainter* painter)
{
    const double step = MeterScale::TickStep(m_Min, m_Max, MeterScale::s_AnalogStepLimit);
    const QVector<double> ticks = MeterScale::TickValues(m_Min, m_Max, step);
    if (ticks.isEmpty())
        return;
    painter->save();
    painter->setPen(m_ScaleColor);
    painter->setFont(m_Font);
    const QFontMetrics metrics(m_Font);
    const double width = m_Max - m_Min;
    const double r = m_ScaleRadius;
    auto angleOf = [&](double v) {
        double degrees = (v - m_Min) / width * 180.0;
        if (degrees < 0.0)
            degrees = 0.0;
        return degrees >= 180.0 ? s_Pi : double(float(degrees * s_Pi / 180.0));
    };
    auto at = [&](double a, double radius) {
        return QPoint(Pixel(m_ScaleX - radius * std::cos(a)), Pixel(m_ScaleY - radius * std::sin(a)));
    };
    for (double v : ticks) {
        const double frac = (v - m_Min) / width;
        const double a = angleOf(v);
        const QPoint inner = at(a, r - 10);
        painter->drawLine(at(a, r), inner);
        const QString text = MeterScale::LabelText(v, width);
        const int x = Pixel(inner.x() + 3 - frac * metrics.horizontalAdvance(text));
        const int y = Pixel(std::trunc(m_ScaleY - std::sin(a) * (r - 20))) + metrics.height() / 4;
        painter->drawText(x, y, text);
        const double minor = v + step / 2.0;
        if (minor < m_Max) {
            const double b = angleOf(minor);
            painter->drawLine(at(b, r), at(b, r - 4));
        }
    }
    painter->restore();
}

QPoint CAnalogMeter::NeedleTip(int x, int y, double length, double angle)
{
    const double b = (angle - 180.0) * s_Pi / 180.0;
    return QPoint(x + Pixel(std::cos(b) * length), y + Pixel(std::sin(b) * length));
}

void CAnalogMeter::drawNeedle(QPainter* painter, int x, int y, double length, double angle)
{
    if (!std::isfinite(angle))
        return;
    painter->save();
    painter->setPen(QPen(m_NeedleColor, 3));
    painter->drawLine(QPoint(x, y), NeedleTip(x, y, length, angle));
    painter->restore();
}

// Colour face.

CColorMeter::CColorMeter(QWidget* view) : CMeterFace(view) {}

QColor CColorMeter::levelColor() const
{
    const int value = std::max(0, std::min(255, m_Level));
    return QColor::fromHsv(m_MeterColor.hsvHue(), m_MeterColor.hsvSaturation(), value, 255);
}

QRect CColorMeter::PatchRect(const QPoint& origin, const QSize& imageSize)
{
    // The factors are single-precision constants taken into double arithmetic, which is what
    // puts the patch of a 200-pixel image at 41, not 42.
    const double inset = double(0.42f) * 0.5;
    const double share = double(0.6f);
    return QRect(Pixel(origin.x() + imageSize.width() * inset), Pixel(origin.y() + imageSize.height() * inset),
                 Pixel(imageSize.width() * share), Pixel(imageSize.height() * share));
}

void CColorMeter::drawMeter(QPainter* painter, const QSize& viewSize)
{
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->fillRect(QRect(QPoint(0, 0), viewSize), m_FillColor);
    const QPoint origin = drawBackground(painter, viewSize);
    const QSize imageSize = m_pBackground ? m_pBackground->size() : QSize(0, 0);
    painter->save();
    painter->setBrush(levelColor());
    painter->drawRoundedRect(PatchRect(origin, imageSize), m_CornerRadius, m_CornerRadius, Qt::AbsoluteSize);
    painter->restore();
}

// Digital face.

CDigitalMeter::CDigitalMeter(QWidget* view) : CMeterFace(view), m_Font(FaceFont(36)) {}

void CDigitalMeter::setTextRect(QRect* rect)
{
    m_TextRect = rect ? *rect : QRect();
}

QString CDigitalMeter::valueText() const
{
    return Double2String(m_Value, 3, false, false);
}

void CDigitalMeter::drawMeter(QPainter* painter, const QSize& viewSize)
{
    painter->setRenderHint(QPainter::Antialiasing, false);
    drawBackground(painter, viewSize);
    const QString text = valueText();
    if (text != m_FitText || m_TextRect.width() != m_FitWidth || m_Font.pointSize() != m_FitFrom) {
        m_FitText = text;
        m_FitWidth = m_TextRect.width();
        m_FitFrom = m_Font.pointSize();
        m_FitSize = getPointSizeForTextToFit(text, m_Font, m_TextRect.width());
    }
    const int size = m_FitSize;
    if (size != m_Font.pointSize())
        m_Font.setPointSize(size);
    painter->save();
    painter->setPen(m_TextColor);
    painter->setFont(m_Font);
    painter->drawText(m_TextRect, Qt::AlignHCenter | Qt::AlignVCenter, text);
    painter->restore();
}

// Bar face.

const QColor CBarMeter::s_OverlayColor(255, 0, 0, 100);

CBarMeter::CBarMeter(QWidget* view) : CMeterFace(view), m_OverlayColor(s_OverlayColor), m_Font(FaceFont(10)) {}

QRect CBarMeter::stripRect() const
{
    const int bottom = Pixel(m_Top + m_BarHeight);
    const int right = Pixel(m_Left + m_BarWidth);
    const int levelTop = Pixel(bottom - m_Level);
    return QRect(QPoint(m_Left, levelTop), QPoint(right, bottom));
}

void CBarMeter::drawMeter(QPainter* painter, const QSize& viewSize)
{
    painter->setRenderHint(QPainter::Antialiasing, true);
    drawBackground(painter, viewSize);
    const QRect strip = stripRect();
    static const QPixmap s_Texture(QStringLiteral(":/images/meters/bar_strip.png"));
    if (!s_Texture.isNull())
        painter->fillRect(strip, QBrush(s_Texture));
    painter->fillRect(strip, m_OverlayColor);
    const QRect bar(QPoint(m_Left, m_Top), QPoint(strip.right(), Pixel(m_Top + m_BarHeight)));
    const QString key = QStringLiteral("%1x%2 %3 %4 %5 %6 %7 %8")
                            .arg(viewSize.width())
                            .arg(viewSize.height())
                            .arg(Number(m_Min), Number(m_Max))
                            .arg(bar.left())
                            .arg(bar.top())
                            .arg(bar.right())
                            .arg(bar.bottom())
        + QStringLiteral(" %1").arg(m_Font.pointSize());
    if (m_ScaleLayer.key != key || m_ScaleLayer.pixmap.size() != viewSize) {
        m_ScaleLayer.pixmap = QPixmap(viewSize);
        m_ScaleLayer.pixmap.fill(Qt::transparent);
        QPainter layer(&m_ScaleLayer.pixmap);
        layer.setRenderHint(QPainter::Antialiasing, true);
        DrawScale(&layer, bar, m_ScaleColor);
        m_ScaleLayer.key = key;
    }
    painter->drawPixmap(0, 0, m_ScaleLayer.pixmap);
}

void CBarMeter::DrawScale(QPainter* painter, QRect bar, QColor scaleColour)
{
    const int left = bar.left();
    const int top = bar.top();
    const int right = bar.right();
    const int bottom = bar.bottom();
    const int height = bottom - top;
    const int labelWidth = right - 9 - left;
    painter->save();
    painter->setPen(scaleColour);
    painter->setFont(m_Font);
    int fontHeight = QFontMetrics(m_Font).height();
    const double step = MeterScale::TickStep(m_Min, m_Max, MeterScale::BarStepLimit(height, fontHeight));
    const QVector<double> ticks = MeterScale::TickValues(m_Min, m_Max, step);
    const double width = m_Max - m_Min;
    auto yOf = [&](double v) { return qint16(Pixel(bottom - (v - m_Min) / width * height)); };
    for (int i = 0; i < ticks.size(); ++i) {
        const qint16 y = yOf(ticks[i]);
        if (top <= y && y <= bottom) {
            const QString text = QString::number(ticks[i], 'f', 2);
            const int size = getPointSizeForTextToFit(text, m_Font, labelWidth);
            if (size != m_Font.pointSize()) {
                m_Font.setPointSize(size);
                painter->setFont(m_Font);
                fontHeight = QFontMetrics(m_Font).height();
                if (parentWidget())
                    parentWidget()->update();
            }
            painter->drawLine(right - 9, y, right, y);
            painter->drawText(QRect(left, y - fontHeight / 2, labelWidth, fontHeight),
                              Qt::AlignRight | Qt::AlignHCenter, text);
        }
        // The minor tick halfway to the next step, which may lie beyond the last label.
        const qint16 next = yOf(ticks[i] + step);
        const qint16 mid = qint16(y + (next - y) / 2);
        if (top <= mid && mid <= bottom)
            painter->drawLine(right - 6, mid, right, mid);
    }
    painter->restore();
}
