#pragma once
// The four faces of the meters window: a half-circle dial with a needle, a vertical bar with a
// scale, a patch whose brightness follows the reading and the number itself. The view owns the
// faces and sets their range, reading, background and geometry; a face only draws, on the view,
// from inside the view's paint event.
#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QRect>
#include <QRectF>
#include <QStringList>
#include <QString>
#include <QVector>
#include <QWidget>

class QPainter;

// The scale arithmetic the analog and bar faces share, kept apart so it can be checked alone.
namespace MeterScale {
// The analog scale never shows more than this many steps.
constexpr int s_AnalogStepLimit = 7;
// A scale never walks more ticks than this, whatever the range (a guard for huge or tiny
// ranges whose single-precision width rounds oddly).
constexpr int s_MaxTicks = 64;

// The tick step for a range: the smallest round step (1, 2, 2.5 or 5 times a power of ten),
// from a tenth of the range's order up, that divides the range into at most limit steps.
// Zero for a range that draws no scale (empty, reversed or not finite).
double TickStep(double minimum, double maximum, int limit);
// The tick values: the whole multiples of the step from the minimum up to the maximum. Each
// value is a whole number of steps, so a step too small to change a large value cannot
// stall the walk.
QVector<double> TickValues(double minimum, double maximum, double step);
// The step limit of the bar scale: as many steps as font heights fit into the bar, five to ten.
int BarStepLimit(int barHeight, int fontHeight);
// The decimals that show every multiple of a step exactly (0 to 6).
int StepDecimals(double step);
// A label: with the decimals of its step; a value within a millionth of a step of zero shows
// as plain zero, without a minus sign.
QString LabelText(double value, double step);
// The largest point size, from the font's own downwards, at which text fits into width; 1 at
// the least. Fitting never enlarges.
int PointSizeToFit(const QString& text, QFont font, int width);

// Where the analog face puts its dial in a face rectangle: the half circle of ticks, the
// labels outside it (so the needle, which stays inside, never crosses one) and the needle's
// pivot. The label font, the label count and the radius are chosen from the space: labels
// never overlap each other, never leave the face and keep clear of the avoid rectangle (the
// sensor icon).
struct AnalogLayout
{
    QPointF centre;
    double radius = 0.0;     // outer end of the ticks
    double needle = 0.0;     // needle length, short of the ticks' outer end
    double step = 0.0;
    QFont font;
    QVector<double> ticks;
    QStringList labels;
    QVector<QRectF> labelRects;
    bool ok = false;         // false: no scale for this range
};
AnalogLayout LayOutAnalog(const QRectF& face, double minimum, double maximum, const QString& family,
                          const QRectF& avoid = QRectF());
// The angle of a value on the dial in radians: 0 at the minimum (left), pi at the maximum.
double AnalogAngle(double value, double minimum, double maximum);
} // namespace MeterScale

// What every face shares: the fill colour, the background image it draws centred on the view,
// and the painter it opens on the view.
class CMeterFace : public QWidget
{
    Q_OBJECT
public:
    explicit CMeterFace(QWidget* view);

    void setBackgroundImage(const QPixmap* image) { m_pBackground = image; }
    const QPixmap* backgroundImage() const { return m_pBackground; }

    // Paints the face on the view; called from the view's paint event.
    void drawMeter();
    // Paints the face with a given painter on a view of the given size.
    virtual void drawMeter(QPainter* painter, const QSize& viewSize) = 0;

protected:
    // Fills the view and draws the background centred; returns the background's top-left.
    QPoint drawBackground(QPainter* painter, const QSize& viewSize) const;

    // The parts of a face that change only with its range, size or geometry (background, scale
    // and labels) are drawn once into a layer and reused while its key stays the same, so a
    // live reading costs a blit and the needle or bar.
    struct Layer
    {
        QPixmap pixmap;
        QString key;
    };
    QString backgroundKey(const QSize& viewSize) const;

    QColor m_FillColor{255, 255, 255};
    const QPixmap* m_pBackground = nullptr;
};

class CAnalogMeter : public CMeterFace
{
    Q_OBJECT
public:
    explicit CAnalogMeter(QWidget* view);

    void setRange(double minimum, double maximum) { m_Min = minimum; m_Max = maximum; }
    double minimum() const { return m_Min; }
    double maximum() const { return m_Max; }
    void setScaleCentre(int x, int y) { m_ScaleX = x; m_ScaleY = y; }
    void setNeedleCentre(int x, int y) { m_NeedleX = x; m_NeedleY = y; }
    void setScaleRadius(double radius);
    double scaleRadius() const { return m_ScaleRadius; }
    int needleLength() const { return m_NeedleLength; }
    void setNeedleAngle(double degrees) { m_NeedleAngle = degrees; }
    double needleAngle() const { return m_NeedleAngle; }
    void setSensorIcon(const QPixmap& icon) { m_SensorIcon = icon; }
    const QPixmap& sensorIcon() const { return m_SensorIcon; }

    using CMeterFace::drawMeter;
    void drawMeter(QPainter* painter, const QSize& viewSize) override;
    void DrawScale(QPainter* painter);
    void drawNeedle(QPainter* painter, int x, int y, double length, double angle);
    // The dial's layout for a view of that size (the face rectangle is the centred background).
    const MeterScale::AnalogLayout& layOut(const QSize& viewSize);
    const MeterScale::AnalogLayout& layout() const { return m_Layout; }

    // The needle's tip for a centre, length and angle (0 left, 90 up, 180 right).
    static QPoint NeedleTip(int x, int y, double length, double angle);

    static const QColor s_NeedleColor;

private:
    QFont m_Font;
    QColor m_ScaleColor{255, 255, 255};
    double m_Min = 0.0;
    double m_Max = 0.0;
    int m_ScaleX = 0;
    int m_ScaleY = 0;
    double m_ScaleRadius = 150.0;
    QColor m_NeedleColor;
    int m_NeedleX = 0;
    int m_NeedleY = 0;
    int m_NeedleLength = 150;
    double m_NeedleAngle = 0.0;
    QPixmap m_SensorIcon;
    Layer m_Layer;
    MeterScale::AnalogLayout m_Layout;
};

class CColorMeter : public CMeterFace
{
    Q_OBJECT
public:
    explicit CColorMeter(QWidget* view);

    void setRange(double minimum, double maximum) { m_Min = minimum; m_Max = maximum; }
    double minimum() const { return m_Min; }
    double maximum() const { return m_Max; }
    void setLevel(int level) { m_Level = level; }
    int level() const { return m_Level; }
    void setCornerRadius(int radius) { m_CornerRadius = radius; }
    int cornerRadius() const { return m_CornerRadius; }

    using CMeterFace::drawMeter;
    void drawMeter(QPainter* painter, const QSize& viewSize) override;
    // The patch for a background image of that size whose top-left is at origin.
    static QRect PatchRect(const QPoint& origin, const QSize& imageSize);
    // The patch colour of a level: black at 0, full red at 255.
    QColor levelColor() const;

private:
    QColor m_MeterColor{255, 0, 0};
    int m_Level = 0;
    double m_Min = 0.0;
    double m_Max = 0.0;
    int m_CornerRadius = 25;
};

class CDigitalMeter : public CMeterFace
{
    Q_OBJECT
public:
    explicit CDigitalMeter(QWidget* view);

    void setValue(double value) { m_Value = value; m_bHasValue = true; }
    double value() const { return m_Value; }
    // No reading to show: the number gives way to a dash.
    void clearValue() { m_Value = 0.0; m_bHasValue = false; }
    bool hasValue() const { return m_bHasValue; }
    // The unit shown under the number (empty: none).
    void setUnit(const QString& unit) { m_Unit = unit; }
    QString unit() const { return m_Unit; }
    void setTextRect(QRect* rect);
    QRect textRect() const { return m_TextRect; }
    void setFontPointSize(int size) { m_Font.setPointSize(size); }
    QFont font() const { return m_Font; }
    // The text the face shows for its value.
    QString valueText() const;

    using CMeterFace::drawMeter;
    void drawMeter(QPainter* painter, const QSize& viewSize) override;
    static int getPointSizeForTextToFit(const QString& text, const QFont& font, int width)
    {
        return MeterScale::PointSizeToFit(text, font, width);
    }

private:
    QColor m_TextColor{255, 255, 255};
    QFont m_Font;
    double m_Value = 0.0;
    bool m_bHasValue = true;
    QString m_Unit;
    QRect m_TextRect;
    // The last fitting: its text, width and starting size, and the size it gave.
    QString m_FitText;
    int m_FitWidth = -1;
    int m_FitFrom = -1;
    int m_FitSize = -1;
};

class CBarMeter : public CMeterFace
{
    Q_OBJECT
public:
    explicit CBarMeter(QWidget* view);

    void setRange(double minimum, double maximum) { m_Min = minimum; m_Max = maximum; }
    double minimum() const { return m_Min; }
    double maximum() const { return m_Max; }
    void setBarEdges(int left, int top) { m_Left = left; m_Top = top; }
    void setBarSize(double width, double height) { m_BarWidth = width; m_BarHeight = height; }
    int barLeft() const { return m_Left; }
    int barTop() const { return m_Top; }
    double barWidth() const { return m_BarWidth; }
    double barHeight() const { return m_BarHeight; }
    void setLevel(double level) { m_Level = level; }
    double level() const { return m_Level; }
    void setFontPointSize(int size) { m_Font.setPointSize(size); }
    QFont font() const { return m_Font; }

    using CMeterFace::drawMeter;
    void drawMeter(QPainter* painter, const QSize& viewSize) override;
    void DrawScale(QPainter* painter, QRect bar, QColor scaleColour);
    static int getPointSizeForTextToFit(const QString& text, const QFont& font, int width)
    {
        return MeterScale::PointSizeToFit(text, font, width);
    }
    // The filled part of the bar: from the level's top down to the bar's bottom.
    QRect stripRect() const;

    static const QColor s_OverlayColor;

private:
    QColor m_ScaleColor{255, 255, 255};
    QColor m_OverlayColor;
    QFont m_Font;
    int m_Left = 0;
    int m_Top = 0;
    double m_BarWidth = 50.0;
    double m_BarHeight = 200.0;
    double m_Level = 0.0;
    double m_Min = 0.0;
    double m_Max = 0.0;
    Layer m_ScaleLayer;
};
