#include "table/MetersView.h"

#include "Core/Data/DataBranch.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"
#include "Core/Data/SensorInfo.h"
#include "table/MeterFaces.h"

#include <QPainter>
#include <QResizeEvent>

#include <cmath>

namespace {
const char* const s_ImagePaths[12] = {
    ":images/meters/small/meter_analog_bg_small.png",   ":images/meters/medium/meter_analog_bg_medium.png",
    ":images/meters/large/meter_analog_bg_large.png",   ":images/meters/small/meter_digital_bg_small.png",
    ":images/meters/medium/meter_digital_bg_medium.png", ":images/meters/large/meter_digital_bg_large.png",
    ":images/meters/small/meter_color_bg_small.png",    ":images/meters/medium/meter_color_bg_medium.png",
    ":images/meters/large/meter_color_bg_large.png",    ":images/meters/small/meter_bar_bg_small.png",
    ":images/meters/medium/meter_bar_bg_medium.png",    ":images/meters/large/meter_bar_bg_large.png",
};

// Geometry of the faces by background size: small, medium, large.
const int s_BarFont[3] = {6, 12, 16};
const int s_BarHalfWidth[3] = {19, 36, 54};
const int s_BarHalfHeight[3] = {75, 150, 225};
const int s_BarWidth[3] = {38, 74, 114};
const int s_BarHeight[3] = {150, 300, 450};
const int s_CornerRadius[3] = {25, 50, 75};
const int s_DigitalFont[3] = {16, 24, 36};
const int s_DigitalWidth[3] = {110, 220, 330};
const int s_DigitalHeight[3] = {24, 48, 72};
const int s_DigitalLift[3] = {10, 20, 30};
const int s_ImageSide[3] = {200, 400, 600};

// A value the faces can take: a number that is not the store's mark of a missing sample.
bool IsReading(double v)
{
    return std::isfinite(v) && v != MissingValue;
}

// The ranges never collapse: a maximum that does not lie above the minimum moves up.
double SpanMaximum(double minimum, double maximum)
{
    return maximum > minimum ? maximum : minimum + CMetersView::s_MinimumSpan;
}
} // namespace

CMetersView::CMetersView(QWidget* parent) : QWidget(parent)
{
    // Every face fills the whole view: nothing beneath it needs painting first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    for (int i = 0; i < 12; ++i)
        m_Images[i] = QPixmap(QString::fromLatin1(s_ImagePaths[i]));
    m_pAnalog = new CAnalogMeter(this);
    m_pColor = new CColorMeter(this);
    m_pDigital = new CDigitalMeter(this);
    m_pBar = new CBarMeter(this);

    const int w = width();
    const int h = height();
    m_pColor->setBackgroundImage(image(Color, Small));
    m_pColor->setCornerRadius(25);
    m_pDigital->setFontPointSize(16);
    QRect text(w / 2 - 55, h / 2 - 22, 110, 24);
    m_pDigital->setTextRect(&text);
    m_pDigital->setBackgroundImage(image(Digital, Small));
    m_pBar->setFontPointSize(6);
    m_pBar->setBarEdges(w / 2 - 19, h / 2 - 75);
    m_pBar->setBarSize(38, 150);
    m_pBar->setBackgroundImage(image(Bar, Small));
    m_pAnalog->setBackgroundImage(image(Analog, Small));
    m_pAnalog->setScaleRadius(double(s_ImageSide[Small] / 2) * 0.6);
}

CMetersView::~CMetersView() = default;

const QPixmap* CMetersView::image(MeterType type, BackgroundSize size) const
{
    static const int s_Row[4] = {0, 3, 2, 1}; // analog, bar, colour, digital in image order
    return &m_Images[s_Row[type] * 3 + size];
}

CMeterFace* CMetersView::currentFace() const
{
    switch (m_MeterType) {
    case Bar:
        return m_pBar;
    case Color:
        return m_pColor;
    case Digital:
        return m_pDigital;
    case Analog:
    default:
        return m_pAnalog;
    }
}

void CMetersView::setBackGroundImageSize(MeterType type, BackgroundSize size)
{
    const int w = width();
    const int h = height();
    switch (type) {
    case Analog: {
        const QPixmap* bg = image(Analog, size);
        const int side = bg->isNull() ? s_ImageSide[size] : bg->width();
        m_pAnalog->setBackgroundImage(bg);
        m_pAnalog->setScaleRadius(double(side / 2) * 0.6);
        m_pAnalog->layOut(QWidget::size());
        break;
    }
    case Bar:
        m_pBar->setFontPointSize(s_BarFont[size]);
        m_pBar->setBarEdges(w / 2 - s_BarHalfWidth[size], h / 2 - s_BarHalfHeight[size]);
        m_pBar->setBarSize(s_BarWidth[size], s_BarHeight[size]);
        m_pBar->setBackgroundImage(image(Bar, size));
        break;
    case Color:
        m_pColor->setCornerRadius(s_CornerRadius[size]);
        m_pColor->setBackgroundImage(image(Color, size));
        break;
    case Digital: {
        m_pDigital->setFontPointSize(s_DigitalFont[size]);
        QRect text(w / 2 - s_DigitalWidth[size] / 2, h / 2 - s_DigitalHeight[size] / 2 - s_DigitalLift[size],
                   s_DigitalWidth[size], s_DigitalHeight[size]);
        m_pDigital->setTextRect(&text);
        m_pDigital->setBackgroundImage(image(Digital, size));
        break;
    }
    }
}

CMetersView::BackgroundSize CMetersView::SizeFor(int w, int h) const
{
    auto fits = [&](BackgroundSize size) {
        const QPixmap* bg = image(m_MeterType, size);
        const int iw = bg->isNull() ? s_ImageSide[size] : bg->width();
        const int ih = bg->isNull() ? s_ImageSide[size] : bg->height();
        return w >= iw && h >= ih;
    };
    if (fits(Large))
        return Large;
    return fits(Medium) ? Medium : Small;
}

void CMetersView::onWindowResized()
{
    setBackGroundImageSize(m_MeterType, SizeFor(width(), height()));
    if (m_MeterType == Bar)
        UpdateNewData();
    update();
}

void CMetersView::setRanges(double minimum, double maximum, bool withColor)
{
    maximum = SpanMaximum(minimum, maximum);
    m_pAnalog->setRange(minimum, maximum);
    m_pBar->setRange(minimum, maximum);
    if (withColor)
        m_pColor->setRange(minimum, maximum);
}

void CMetersView::setCurrentBranch(CDataBranch* branch)
{
    m_pDigital->setUnit(branch ? branch->m_Unit : QString());
    if (!branch) {
        setRanges(0.0, 10.0, false);
        return;
    }
    switch (branch->m_SensorIndex) {
    case SensorIndexVideoTrack:
        m_FollowedKey = -1;
        setRanges(0.0, 100.0, true);
        return;
    case SensorIndexTimingResult:
        setRanges(0.0, 10.0, false);
        return;
    default:
        break;
    }
    m_FollowedKey = branch->m_Key;
    if (!setCatalogueRange(branch->m_SensorIndex, branch->m_Measurement, branch->m_IconVariant)) {
        // Function, fit and manual-X series have no catalogue range: start from 0 to 10 on every
        // face and let the readings widen it.
        setRanges(0.0, 10.0, true);
    }
}

bool CMetersView::setCatalogueRange(int sensorIndex, int measurement, int iconVariant)
{
    const CSensorInfo* catalogue = m_pDataManager ? m_pDataManager->GetSensorCatalogue() : nullptr;
    // The range of the measurement shown: a dial in °C for a reading in °F would put the needle
    // against its stop. A branch that does not say which one it holds takes the first.
    const CSensorParametersInfo* record = catalogue ? catalogue->GetSensorInfo(sensorIndex) : nullptr;
    const bool known = record && measurement >= 0 && measurement < record->m_NumOfMeasurements;
    const CSensorMeasuremntInfo* info = record ? record->GetMeasurement(known ? measurement : 0) : nullptr;
    if (!info)
        return false;
    int lo = 0;
    int hi = 0;
    SafeDoubleToInt(info->m_Min, lo, 0);
    SafeDoubleToInt(info->m_Max, hi, 0);
    setRanges(lo, hi, true);
    m_pAnalog->setSensorIcon(GetSensorIcon(sensorIndex, iconVariant, catalogue));
    return true;
}

void CMetersView::showMeasurement(int sensorIndex, int measurement, const QString& unit)
{
    m_FollowedKey = -1;
    m_pDigital->setUnit(unit);
    if (!setCatalogueRange(sensorIndex, measurement, -1))
        setRanges(0.0, 10.0, true);
    // No reading of this measurement exists yet: every face rests at the start of its scale.
    m_pAnalog->setNeedleAngle(0.0);
    m_pBar->setLevel(0.0);
    m_pColor->setLevel(0);
    m_pDigital->clearValue();
    update();
}

void CMetersView::forgetBranch(int key)
{
    if (key >= 0 && key == m_FollowedKey)
        m_FollowedKey = -1;
}

bool CMetersView::AutoScaleIfNeeded(double value)
{
    const double lo = m_pAnalog->minimum();
    const double hi = m_pAnalog->maximum();
    const double width = hi - lo;
    if (value < lo) {
        const double minimum = value - 0.1 * width;
        m_pAnalog->setRange(minimum, hi);
        m_pBar->setRange(minimum, m_pBar->maximum());
        m_pColor->setRange(minimum, m_pColor->maximum());
        return true;
    }
    if (value > hi) {
        const double maximum = value + 0.1 * width;
        m_pAnalog->setRange(lo, maximum);
        m_pBar->setRange(m_pBar->minimum(), maximum);
        m_pColor->setRange(m_pColor->minimum(), maximum);
        return true;
    }
    return false;
}

void CMetersView::StartRunning(CDataBranch* branch)
{
    setCurrentBranch(branch);
    update();
}

void CMetersView::EndRunning() {}

void CMetersView::UpdateNewData()
{
    if (m_FollowedKey < 0 || !m_pDataManager)
        return;
    const CDataBranch* branch = m_pDataManager->GetDataBranch(m_FollowedKey);
    if (!branch)
        return;
    const int count = branch->GetYSize();
    if (count <= 0)
        return;
    const double v = branch->GetYSample(count - 1);
    if (!IsReading(v))
        return;
    // A reading that moves nothing on the face costs no repaint.
    bool changed = AutoScaleIfNeeded(v);
    auto fraction = [v](double lo, double hi) { return hi > lo ? (v - lo) / (hi - lo) : 0.0; };
    switch (m_MeterType) {
    case Analog: {
        const double angle = fraction(m_pAnalog->minimum(), m_pAnalog->maximum()) * 180.0;
        changed |= angle != m_pAnalog->needleAngle();
        m_pAnalog->setNeedleAngle(angle);
        break;
    }
    case Bar: {
        const double level = fraction(m_pBar->minimum(), m_pBar->maximum()) * m_pBar->barHeight();
        changed |= level != m_pBar->level();
        m_pBar->setLevel(level);
        break;
    }
    case Color: {
        // The level feeds a colour channel of 0 to 255; the colour range can lag the analog one.
        const double level = std::max(0.0, std::min(255.0, fraction(m_pColor->minimum(), m_pColor->maximum()) * 255.0));
        changed |= int(level) != m_pColor->level();
        m_pColor->setLevel(int(level));
        break;
    }
    case Digital:
        changed |= v != m_pDigital->value() || !m_pDigital->hasValue();
        m_pDigital->setValue(v);
        break;
    }
    if (changed)
        update();
}

void CMetersView::paintEvent(QPaintEvent*)
{
    // The analog face places its own dial (and so its needle's pivot) in the space it has.
    currentFace()->drawMeter();
}

void CMetersView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    onWindowResized();
}
