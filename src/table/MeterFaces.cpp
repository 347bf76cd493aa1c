#include "table/MeterFaces.h"

#include "Core/Data/Globals.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {
// The Helvetica-metric face Debian ships, named outright so no fallback font is picked.
const char* const s_FaceFamily = "Liberation Sans";
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
    const double width = maximum - minimum;
    if (!(width > 0.0) || !std::isfinite(width) || limit < 1)
        return 0.0;
    // Never finer than a tenth of the range's order of magnitude, as the scale always was.
    const double l = std::log10(width);
    const double e = std::floor(l) + (l - std::trunc(l) > 0.5 ? 1.0 : 0.0);
    double step = std::max(std::pow(10.0, e - 1.0), width / double(limit));
    const double decade = std::pow(10.0, std::floor(std::log10(step)));
    for (double m : {1.0, 2.0, 2.5, 5.0, 10.0}) {
        if (m * decade >= step * (1.0 - 1e-9)) {
            step = m * decade;
            break;
        }
    }
    return std::isfinite(step) ? step : 0.0;
}

QVector<double> TickValues(double minimum, double maximum, double step)
{
    QVector<double> out;
    if (!(step > 0.0) || !std::isfinite(step) || !std::isfinite(minimum) || !std::isfinite(maximum)
        || float(minimum) == float(maximum) || minimum > maximum)
        return out;
    const double first = std::ceil(minimum / step - 1e-9);
    if (!(std::fabs(first) < 1.0e15))
        return out;
    for (int i = 0; i < s_MaxTicks; ++i) {
        const double v = (first + double(i)) * step;
        if (v > maximum + step * 1e-9)
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

int StepDecimals(double step)
{
    int d = 0;
    while (d < 6 && step > 0.0 && std::fabs(step * std::pow(10.0, d) - std::round(step * std::pow(10.0, d))) > 1e-6)
        ++d;
    return d;
}

QString LabelText(double value, double step)
{
    if (std::fabs(value) < std::fabs(step) * 1e-6 || !std::isfinite(value))
        value = 0.0;
    QString text = QString::number(value, 'f', StepDecimals(step));
    // A negative value that rounds to zero shows no minus sign.
    if (text.startsWith(QLatin1Char('-')) && text.count(QLatin1Char('0')) == text.size() - 1 - text.count(QLatin1Char('.')))
        text.remove(0, 1);
    return text;
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

double AnalogAngle(double value, double minimum, double maximum)
{
    const double width = maximum - minimum;
    if (!(width > 0.0))
        return 0.0;
    return std::clamp((value - minimum) / width, 0.0, 1.0) * s_Pi;
}

namespace {

// The label rectangles of ticks on a dial of that radius: each lies just beyond the circle of
// radius + gap, along its tick's direction (the rectangle's extent in that direction is added,
// so no corner comes closer to the centre than that circle).
QVector<QRectF> LabelRects(const QPointF& c, double radius, double gap, const QVector<double>& ticks,
                           const QStringList& labels, const QFontMetricsF& fm, double minimum, double maximum)
{
    QVector<QRectF> out;
    for (int i = 0; i < ticks.size(); ++i) {
        const double a = AnalogAngle(ticks[i], minimum, maximum);
        const QSizeF size(fm.horizontalAdvance(labels[i]), fm.height());
        const double dx = -std::cos(a), dy = -std::sin(a);
        const double reach = radius + gap + std::fabs(dx) * size.width() / 2 + std::fabs(dy) * size.height() / 2;
        const QPointF mid(c.x() + dx * reach, c.y() + dy * reach);
        out.append(QRectF(mid.x() - size.width() / 2, mid.y() - size.height() / 2, size.width(), size.height()));
    }
    return out;
}

bool Clear(const QVector<QRectF>& rects, const QRectF& face, const QRectF& avoid)
{
    for (int i = 0; i < rects.size(); ++i) {
        if (!face.contains(rects[i]) || (!avoid.isEmpty() && rects[i].intersects(avoid)))
            return false;
        if (i > 0 && rects[i].adjusted(-2, -2, 2, 2).intersects(rects[i - 1]))
            return false;
    }
    return true;
}

} // namespace

AnalogLayout LayOutAnalog(const QRectF& face, double minimum, double maximum, const QString& family,
                          const QRectF& avoid)
{
    AnalogLayout out;
    if (!(face.width() > 20.0) || !(face.height() > 20.0) || TickStep(minimum, maximum, 1) <= 0.0)
        return out;
    const double side = std::min(face.width(), face.height());
    const double margin = side * 0.05;
    const QRectF inner = face.adjusted(margin, margin, -margin, -margin);
    // A dial of at least a third of the face if the labels allow it, else a smaller one; for
    // each, from a font a twentieth of the face high down to 7 pixels, at each size from the
    // most labels down to one, the largest dial that keeps the labels clear.
    for (double least : {side / 3.0, side * 0.15})
    for (int px = std::max(7, int(side / 20.0)); px >= 7; --px) {
        QFont font(family);
        font.setPixelSize(px);
        const QFontMetricsF fm(font);
        const double gap = px * 0.4;
        for (int limit = s_AnalogStepLimit; limit >= 1; --limit) {
            const double step = TickStep(minimum, maximum, limit);
            const QVector<double> ticks = TickValues(minimum, maximum, step);
            // A big dial is not worth a lone label; a small one is, when nothing else fits.
            if (ticks.isEmpty() || (ticks.size() < 2 && least > side * 0.2))
                continue;
            QStringList labels;
            double widest = 0.0;
            for (double v : ticks) {
                labels << LabelText(v, step);
                widest = std::max(widest, fm.horizontalAdvance(labels.last()));
            }
            const double pivot = side * 0.06;
            double radius = std::min(inner.width() / 2 - gap - widest, inner.height() - gap - fm.height() - pivot);
            for (; radius >= least; radius -= 2.0) {
                const double block = radius + gap + fm.height() + pivot;
                const QPointF c(inner.center().x(), inner.top() + (inner.height() - block) / 2 + radius + gap + fm.height());
                const QVector<QRectF> rects = LabelRects(c, radius, gap, ticks, labels, fm, minimum, maximum);
                if (!Clear(rects, inner, avoid))
                    continue;
                out.centre = c;
                out.radius = radius;
                out.needle = radius - std::max(3.0, radius * 0.04);
                out.step = step;
                out.font = font;
                out.ticks = ticks;
                out.labels = labels;
                out.labelRects = rects;
                out.ok = true;
                return out;
            }
        }
    }
    return out;
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

const MeterScale::AnalogLayout& CAnalogMeter::layOut(const QSize& viewSize)
{
    QRectF face(QPointF(0, 0), QSizeF(viewSize));
    if (m_pBackground && !m_pBackground->isNull())
        face = QRectF(QPointF(viewSize.width() / 2 - m_pBackground->width() / 2,
                              viewSize.height() / 2 - m_pBackground->height() / 2),
                      QSizeF(m_pBackground->size()));
    const QRectF icon = m_SensorIcon.isNull() ? QRectF() : QRectF(QPointF(10, 10), QSizeF(m_SensorIcon.size()));
    m_Layout = MeterScale::LayOutAnalog(face, m_Min, m_Max, m_Font.family(), icon);
    if (!m_Layout.ok) {
        // No range yet: the dial of a 0 to 10 scale stands bare, without ticks or labels.
        m_Layout = MeterScale::LayOutAnalog(face, 0.0, 10.0, m_Font.family(), icon);
        m_Layout.ticks.clear();
        m_Layout.labels.clear();
        m_Layout.labelRects.clear();
        m_Layout.ok = false;
    }
    if (m_Layout.radius > 0.0) {
        m_ScaleX = Pixel(m_Layout.centre.x());
        m_ScaleY = Pixel(m_Layout.centre.y());
        m_NeedleX = m_ScaleX;
        m_NeedleY = m_ScaleY;
        m_ScaleRadius = m_Layout.radius;
        m_NeedleLength = Pixel(m_Layout.needle);
    }
    return m_Layout;
}

void CAnalogMeter::drawMeter(QPainter* painter, const QSize& viewSize)
{
    const QString key = backgroundKey(viewSize) + QLatin1Char(' ') + Number(m_Min) + QLatin1Char(' ') + Number(m_Max)
        + QStringLiteral(" %1").arg(m_SensorIcon.cacheKey());
    if (m_Layer.key != key || m_Layer.pixmap.size() != viewSize) {
        layOut(viewSize);
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
    const MeterScale::AnalogLayout& l = m_Layout;
    if (!(l.radius > 0.0))
        return;
    painter->save();
    const double r = l.radius;
    const QPointF c = l.centre;
    auto at = [&](double a, double radius) { return QPointF(c.x() - radius * std::cos(a), c.y() - radius * std::sin(a)); };
    // The dial's arc, its last fifth marked, then the ticks and the labels outside it.
    const QRectF circle(c.x() - r, c.y() - r, 2 * r, 2 * r);
    const double band = std::max(2.0, r * 0.035);
    painter->setPen(QPen(QColor(0x4a, 0x58, 0x68), band, Qt::SolidLine, Qt::FlatCap));
    painter->drawArc(circle.adjusted(band / 2, band / 2, -band / 2, -band / 2), 0, 180 * 16);
    painter->setPen(QPen(QColor(0xb3, 0x3b, 0x2e), band, Qt::SolidLine, Qt::FlatCap));
    painter->drawArc(circle.adjusted(band / 2, band / 2, -band / 2, -band / 2), 0, 36 * 16);
    const double major = std::max(6.0, r * 0.12);
    painter->setPen(QPen(m_ScaleColor, std::max(1.0, r * 0.015)));
    for (double v : l.ticks) {
        const double a = MeterScale::AnalogAngle(v, m_Min, m_Max);
        painter->drawLine(at(a, r), at(a, r - major));
        const double minor = v + l.step / 2.0;
        if (minor < m_Max) {
            const double b = MeterScale::AnalogAngle(minor, m_Min, m_Max);
            painter->drawLine(at(b, r), at(b, r - major / 2));
        }
        const double before = v - l.step / 2.0;
        if (v == l.ticks.first() && before > m_Min) {
            const double b = MeterScale::AnalogAngle(before, m_Min, m_Max);
            painter->drawLine(at(b, r), at(b, r - major / 2));
        }
    }
    painter->setFont(l.font);
    for (int i = 0; i < l.labels.size(); ++i)
        painter->drawText(l.labelRects[i], Qt::AlignCenter, l.labels[i]);
    // The pivot.
    painter->setPen(QPen(QColor(0x15, 0x1a, 0x20), 1.5));
    painter->setBrush(m_NeedleColor);
    const double pivot = std::max(3.0, r * 0.08);
    painter->drawEllipse(c, pivot, pivot);
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
    return m_bHasValue ? Double2String(m_Value, 3, false, false) : QStringLiteral("-");
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
    if (!m_Unit.isEmpty() && m_TextRect.height() > 0) {
        // The unit sits under the display window of the background, in a smaller face.
        QFont unitFont(m_Font.family());
        unitFont.setPixelSize(std::max(8, m_TextRect.height() / 2));
        painter->setFont(unitFont);
        painter->setPen(QColor(0xc8, 0xd0, 0xd8));
        const QRect unitRect(m_TextRect.left(), m_TextRect.bottom() + m_TextRect.height() / 2, m_TextRect.width(),
                             m_TextRect.height() * 3 / 4);
        painter->drawText(unitRect, Qt::AlignHCenter | Qt::AlignVCenter,
                          QFontMetrics(unitFont).elidedText(m_Unit, Qt::ElideRight, unitRect.width()));
    }
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
    const int bottom = bar.bottom();
    const int height = bottom - top;
    // The labels stand left of the bar, on the face's dark panel, where the strip never
    // covers them: from a twelfth of the panel in to 5 pixels before the bar.
    int panelLeft = left - 60;
    if (parentWidget() && m_pBackground && !m_pBackground->isNull())
        panelLeft = parentWidget()->width() / 2 - m_pBackground->width() / 2 + m_pBackground->width() / 12;
    const int labelLeft = std::min(panelLeft, left - 6);
    const int labelWidth = std::max(1, left - 5 - labelLeft);
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
            const QString text = MeterScale::LabelText(ticks[i], step);
            const int size = getPointSizeForTextToFit(text, m_Font, labelWidth);
            if (size != m_Font.pointSize()) {
                m_Font.setPointSize(size);
                painter->setFont(m_Font);
                fontHeight = QFontMetrics(m_Font).height();
                if (parentWidget())
                    parentWidget()->update();
            }
            painter->drawLine(left, y, left + 9, y);
            painter->drawText(QRect(labelLeft, y - fontHeight / 2, labelWidth, fontHeight),
                              Qt::AlignRight | Qt::AlignVCenter, text);
        }
        // The minor tick halfway to the next step, which may lie beyond the last label.
        const qint16 next = yOf(ticks[i] + step);
        const qint16 mid = qint16(y + (next - y) / 2);
        if (top <= mid && mid <= bottom)
            painter->drawLine(left, mid, left + 6, mid);
    }
    painter->restore();
}
