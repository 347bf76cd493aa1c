#include "Core/Data/Globals.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QPainter>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// The C library's printf, so halves round as it rounds them (to even) and "-0" stays.
QByteArray cPrintf(const char* format, double value)
{
    char small[128];
    const int n = std::snprintf(small, sizeof small, format, value);
    if (n < 0)
        return QByteArray();
    if (n < int(sizeof small))
        return QByteArray(small, n);
    QByteArray big(n + 1, '\0');
    std::snprintf(big.data(), size_t(big.size()), format, value);
    big.chop(1);
    return big;
}

const int s_Palette[colorTableSize][3] = {
    {238, 30, 70},  {244, 128, 48}, {105, 191, 255}, {0, 169, 163},
    {241, 129, 179}, {253, 194, 14}, {128, 88, 164},  {168, 211, 231},
    {233, 211, 135}, {205, 78, 156}, {47, 119, 188},  {253, 235, 95}};

// Positive remainder, so a negative index still lands inside the palette.
int paletteSlot(int i)
{
    const int r = i % colorTableSize;
    return r < 0 ? r + colorTableSize : r;
}

// Drops digits the way "%.Nf" printed and read back as an int would: -1 when the scaled
// value does not fit an int (and then all decimals are dropped).
int trimmedDecimals(double value, int decimals)
{
    const double scaled = value * std::pow(10.0, decimals);
    const QByteArray printed = cPrintf("%.0f", scaled);
    int n = 0;
    if (std::isfinite(scaled)) {
        char* end = nullptr;
        const long long wide = std::strtoll(printed.constData(), &end, 10);
        if (wide >= INT_MIN && wide <= INT_MAX && end != printed.constData())
            n = int(wide);
    }
    while (decimals >= 1 && n % 10 == 0) {
        n /= 10;
        --decimals;
    }
    return decimals;
}

bool needsScientific(double value, int decimals)
{
    if (value == 0.0 || !std::isfinite(value))
        return false;
    const double a = std::fabs(value);
    return (a < 0.001 && decimals < 3) || (a < 0.0001 && decimals < 4)
        || (a < 0.00001 && decimals < 5) || (a < 0.000001 && decimals < 6)
        || (a < 0.0000001 && decimals < 7);
}

} // namespace

QColor colorsTable[colorTableSize];
std::atomic<int> globalColorIndex{0};
QColor gridBlue;
QColor gridOrange;
QColor xScaleTextColor;
QColor xScaleColor;
QColor toolbarBackColor;
QColor topBarColor;

void InitGlobalColors()
{
    for (int i = 0; i < colorTableSize; ++i)
        colorsTable[i] = QColor(s_Palette[i][0], s_Palette[i][1], s_Palette[i][2]);
    globalColorIndex = 0;
    gridBlue = QColor(168, 211, 231);
    gridOrange = QColor(233, 211, 135);
    xScaleTextColor = QColor(48, 48, 48);
    xScaleColor = QColor(128, 128, 128);
    toolbarBackColor = QColor(192, 192, 192);
    topBarColor = QColor(232, 232, 232);
}

namespace {
const bool s_ColorsReady = (InitGlobalColors(), true);
}

QString Double2String(double value, int decimals, bool plusSign, bool scientific)
{
    // A caller's decimals come from dialogs and stored plots; keep the printf precision sane.
    decimals = qBound(0, decimals, 30);
    const char* sign = plusSign ? "%+." : "%.";
    if (std::isnan(value))
        return QStringLiteral("nan");
    if (scientific || needsScientific(value, decimals)) {
        const QByteArray format = QString::asprintf("%s%de", sign, decimals).toLatin1();
        QString text = QString::fromLatin1(cPrintf(format.constData(), value));
        return text.replace(QLatin1Char('e'), QLatin1Char('E'));
    }
    decimals = trimmedDecimals(value, decimals);
    const QByteArray format = QString::asprintf("%s%d%s", sign, decimals, "f").toLatin1();
    return QString::fromLatin1(cPrintf(format.constData(), value));
}

double GetMultiplier(short fromPrefix, short toPrefix)
{
    static const double table[4][5] = {
        {0.25, 1.0, 0.001, 1000.0, 1000000.0},
        {1.0, 1000.0, 1.0, 1000000.0, 1000000000.0},
        {1.0, 0.001, 0.000001, 1.0, 1000.0},
        {1.0, 0.000001, 0.000000001, 0.001, 1.0}};
    if (fromPrefix < 0 || fromPrefix > 3 || toPrefix < -1 || toPrefix > 3)
        return 1.0;
    return table[fromPrefix][toPrefix + 1];
}

double GetTimeMultiplier(short timeUnit, short toSeconds)
{
    static const double seconds[4] = {0.001, 1.0, 60.0, 3600.0};
    static const double millis[4] = {1.0, 1000.0, 60000.0, 3600000.0};
    if (timeUnit < 0 || timeUnit > 3)
        return 1.0;
    if (toSeconds == 1)
        return seconds[timeUnit];
    if (toSeconds == 0)
        return millis[timeUnit];
    return 1.0;
}

QString GetUnitPrefix(short code)
{
    switch (code) {
    case 1: return QCoreApplication::translate("QObject", "k", "kilo unit");
    case 2: return QCoreApplication::translate("QObject", "m", "mili unit");
    case 3: return QString(QChar(0x03BC));
    default: return QString();
    }
}

float GetRoundVal(float value, float step)
{
    if (value == 0.0f)
        return 0.0f;
    // A zero or broken step has no multiples to round to; leave the value as it is.
    if (step == 0.0f || !std::isfinite(step) || !std::isfinite(value))
        return value;
    double whole = std::trunc(double(value) / double(step));
    whole += value > 0.0f ? 1.0 : -1.0;
    return float(double(step) * whole);
}

int StringWidth(QPainter* painter, const QString& text)
{
    if (!painter)
        return 0;
    return QFontMetrics(painter->font()).horizontalAdvance(text);
}

bool SafeDoubleToInt(double value, int& out, int fallback)
{
    if (!std::isfinite(value)) {
        out = fallback;
        return false;
    }
    const double t = std::trunc(value);
    if (t < double(INT_MIN) || t > double(INT_MAX)) {
        out = fallback;
        return false;
    }
    out = int(t);
    return true;
}

QColor GetColorAtIndex(int i)
{
    return colorsTable[paletteSlot(i)];
}

QColor GetNextGlobalColor()
{
    // The data manager hands out colours on the logger thread while the windows do on the
    // interface thread; the cursor stays inside the palette so it never overflows.
    int current = globalColorIndex.load();
    int next;
    do {
        next = paletteSlot(paletteSlot(current) + 1);
    } while (!globalColorIndex.compare_exchange_weak(current, next));
    return colorsTable[paletteSlot(current)];
}

QColor GetCurrentGlobalColor()
{
    return colorsTable[paletteSlot(globalColorIndex.load())];
}
