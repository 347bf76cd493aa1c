#include "graph/XYCoverage.h"

#include "graph/CurveLayer.h"
#include "platform/Processors.h"

#include <QPainter>
#include <QtAlgorithms>

#include <algorithm>
#include <cmath>

namespace {

// The tiles of the image the threads blend, one at a time each. Where most of a long run
// crowds into a small spot, a batch's strokes all reach the same few tiles, which take them
// one after the other: tiles of few rows share that spot out over more threads.
constexpr int TileRows = 8;
constexpr int TileColumns = 32;
// Batches of fewer segments are painted in order, not sorted into tiles: sorting them would
// cost more than it saves.
constexpr int SerialSegments = 4096;
// The float sums of a pixel's area are off by far less than this share of a level; a pixel
// the stroke covers whole must come out at the full level, as the painter's fixed point has it.
constexpr float LevelSlack = 1.0f / 256.0f;
// Strokes this close to the image's top or left edge are left to the painter: its coverage there
// differs from the area by up to 3 levels, against 1 elsewhere.
constexpr double PainterMargin = 8.0;
// A part of an edge narrower than this is taken as upright at its middle: the area it leaves
// changes by a sixteenth of a level at most, and dividing by its width stays well within float.
constexpr float MinPieceWidth = 1.0f / 512.0f;

// x * a / 255 for each 8-bit channel, rounded to nearest: the painter's blend arithmetic.
inline uint ByteMul(uint x, uint a)
{
    uint rb = (x & 0xff00ffu) * a;
    rb = ((rb + ((rb >> 8) & 0xff00ffu) + 0x800080u) >> 8) & 0xff00ffu;
    uint ag = ((x >> 8) & 0xff00ffu) * a;
    ag = (ag + ((ag >> 8) & 0xff00ffu) + 0x800080u) & 0xff00ff00u;
    return ag | rb;
}

// The outline of one segment's stroke in image pixels.
struct CStroke
{
    enum Kind
    {
        Whole,     // along a row or a column (or a dot): columns left..right of rows top..bottom, all covered
        Slanted,   // the quadrilateral x, y (corners in order around it) over rows top..bottom
        Cut        // one the image's edge cuts: a to b, left to the painter, over rows top..bottom
    };
    Kind kind = Whole;
    int left = 0, right = -1, top = 0, bottom = -1;
    float x[4], y[4];
    // The edges of a slanted one from their upper end: x at y0, how x changes down to y1, and +1
    // for an edge the outline runs down, -1 up.
    float x0[4], y0[4], y1[4], slope[4], sign[4];
    QPoint a, b;
};

inline double Snapped(double v)
{
    // The painter puts a slanted stroke's corners on its 1/64-pixel grid, rounding down. Scaled
    // by 64 the value stays exact and well within 64 bits: rounded down through an integer, which
    // is cheaper than a call of floor.
    const double scaled = v * 64.0;
    long long whole = static_cast<long long>(scaled);
    whole -= double(whole) > scaled ? 1 : 0;
    return double(whole) * (1.0 / 64.0);
}

// The stroke of the segment a-b (image pixels) as far as it reaches the w x h image; false when
// it does not. The pen is two pixels wide with square caps: a rectangle one pixel beyond each end
// and either side; a segment of no length is a square of two pixels.
bool MakeStroke(QPoint a, QPoint b, int w, int h, CStroke& s)
{
    const int dx = b.x() - a.x(), dy = b.y() - a.y();
    if (dx == 0 || dy == 0) {
        s.kind = CStroke::Whole;
        s.left = std::max(std::min(a.x(), b.x()) - 1, 0);
        s.right = std::min(std::max(a.x(), b.x()), w - 1);
        s.top = std::max(std::min(a.y(), b.y()) - 1, 0);
        s.bottom = std::min(std::max(a.y(), b.y()), h - 1);
        return s.left <= s.right && s.top <= s.bottom;
    }
    const double len = std::sqrt(double(dx) * dx + double(dy) * dy);
    const double ux = dx / len, uy = dy / len;
    const double cx[4] = {a.x() - ux + uy, b.x() + ux + uy, b.x() + ux - uy, a.x() - ux - uy};
    const double cy[4] = {a.y() - uy - ux, b.y() + uy - ux, b.y() + uy + ux, a.y() - uy + ux};
    const double left = std::min({cx[0], cx[1], cx[2], cx[3]}), right = std::max({cx[0], cx[1], cx[2], cx[3]});
    const double top = std::min({cy[0], cy[1], cy[2], cy[3]}), bottom = std::max({cy[0], cy[1], cy[2], cy[3]});
    if (right < 0.0 || left > w || bottom < 0.0 || top > h)
        return false;
    // Where the image's edge cuts a stroke, the painter first cuts the segment and rounds the
    // parts before its edge in its own way: such a stroke is left to it, as are those close to
    // the top and left edges, near which its fixed point rounds differently.
    const bool cut = left <= PainterMargin || right >= w || top <= PainterMargin || bottom >= h;
    s.kind = cut ? CStroke::Cut : CStroke::Slanted;
    s.a = a;
    s.b = b;
    float snappedTop = 1e9f, snappedBottom = -1e9f;
    for (int i = 0; i < 4; ++i) {
        // Exact in single precision: sixty-fourths of a pixel a few thousand pixels out.
        s.x[i] = float(cut ? cx[i] : Snapped(cx[i]));
        s.y[i] = float(cut ? cy[i] : Snapped(cy[i]));
        snappedTop = std::min(snappedTop, s.y[i]);
        snappedBottom = std::max(snappedBottom, s.y[i]);
    }
    s.top = std::max(int(std::floor(snappedTop)) - (cut ? 1 : 0), 0);
    s.bottom = std::min(int(std::ceil(snappedBottom)) - (cut ? 0 : 1), h - 1);
    for (int i = 0; i < 4 && !cut; ++i) {
        float xa = s.x[i], ya = s.y[i], xb = s.x[(i + 1) & 3], yb = s.y[(i + 1) & 3];
        s.sign[i] = 1.0f;
        if (ya > yb) {
            std::swap(xa, xb);
            std::swap(ya, yb);
            s.sign[i] = -1.0f;
        }
        s.x0[i] = xa;
        s.y0[i] = ya;
        s.y1[i] = yb;
        s.slope[i] = yb > ya ? (xb - xa) / (yb - ya) : 0.0f;
    }
    return s.top <= s.bottom;
}

// The columns within two pixels of where the outline x, y lies between heights y0 and y1.
void ColumnsBetween(const float* x, const float* y, float y0, float y1, int w, int& first, int& last)
{
    float lo = 1e9f, hi = -1e9f;
    for (int i = 0; i < 4; ++i) {
        float xa = x[i], ya = y[i], xb = x[(i + 1) & 3], yb = y[(i + 1) & 3];
        if (ya > yb) {
            std::swap(xa, xb);
            std::swap(ya, yb);
        }
        const float from = std::max(ya, y0), to = std::min(yb, y1);
        if (from > to)
            continue;
        const float slope = yb > ya ? (xb - xa) / (yb - ya) : 0.0f;
        const float u = xa + (from - ya) * slope, v = xa + (to - ya) * slope;
        lo = std::min({lo, u, v});
        hi = std::max({hi, u, v});
    }
    first = std::max(int(std::floor(lo)) - 2, 0);
    last = std::min(int(std::floor(hi)) + 2, w - 1);
}

// The bits of columns left..right (of one word, at `first` column) of a word.
inline quint32 Columns(int left, int right, int first)
{
    const int from = std::max(left - first, 0), to = std::min(right - first, 31);
    return from > to ? 0u : (0xffffffffu >> (31 - to)) & (0xffffffffu << from);
}

struct CTarget
{
    uchar* bits;
    qsizetype bytesPerLine;
    int width, height;
    const uint* tint;
    uint colour;
    // Per pixel, the least coverage that changes it; 0 where none does: it holds the colour,
    // which painting the colour never takes away. Looking through these tells, faster than the
    // pixels, where a stroke can change nothing.
    uchar* need;
    // A bit per pixel, set where need is not 0, TileColumns to a word: the few pixels a stroke
    // may change are found a word of a row at a time, and each tile has words of its own.
    quint32* open;
    int words;   // a row's, and the tiles across the image
    // Per tile, its pixels whose need is not 0: a tile down to none takes no stroke.
    int* openInTile;
    // Per tile, whether a pixel of it may have a need other than 0 and no open bit: the blend
    // rounds each product alone, so the colour blended over itself (by a stroke left to the
    // painter, which blends whatever it covers) can come out a level off it. Such a pixel is
    // blended again only by a stroke painted for the sake of others, which finds it by its need:
    // in such a tile the open bits do not tell every pixel a stroke blends.
    uchar* strayInTile;
    const quint16* channelNeed;   // per channel (4 x 256), the least coverage that changes a value; 256: none

    uint* row(int y) const { return reinterpret_cast<uint*>(bits + qsizetype(y) * bytesPerLine); }
    uchar* needOf(int y) const { return need + qsizetype(y) * width; }
    quint32* openOf(int y) const { return open + qsizetype(y) * words; }
    uchar needOfPixel(uint pixel) const
    {
        const uint n = std::min(std::min(channelNeed[pixel & 0xff], channelNeed[256 + ((pixel >> 8) & 0xff)]),
                                std::min(channelNeed[512 + ((pixel >> 16) & 0xff)], channelNeed[768 + (pixel >> 24)]));
        return n > 255 ? 0 : uchar(n);
    }
    // The tile pixel x of row y lies in (neither is negative).
    int tileOf(int x, int y) const { return int(uint(y) / TileRows) * words + int(uint(x) / TileColumns); }
    // Notes pixel x of row y as holding the colour.
    void settle(int x, int y) const
    {
        needOf(y)[x] = 0;
        quint32& word = openOf(y)[x >> 5];
        if (word & (1u << (x & 31))) {
            word &= ~(1u << (x & 31));
            --openInTile[tileOf(x, y)];
        }
    }
    // The same for columns left..right.
    void settle(int left, int right, int y) const
    {
        std::fill(needOf(y) + left, needOf(y) + right + 1, uchar(0));
        for (int w = left >> 5; w <= right >> 5; ++w) {
            quint32& word = openOf(y)[w];
            const quint32 settling = word & Columns(left, right, w << 5);
            word &= ~settling;
            openInTile[tileOf(w << 5, y)] -= qPopulationCount(settling);
        }
    }
};

// The open bits of columns left..right of a row, at most 33 of them, the first as bit 0. The
// word after the first is read only when the columns reach into it: it is the next tile's,
// which another thread may be settling meanwhile, and masking its bits off afterwards would
// not make reading it any less a race.
inline quint64 OpenBits(const quint32* open, int left, int right)
{
    const int w = left >> 5;
    quint64 pair = open[w];
    if ((right >> 5) != w)
        pair |= quint64(open[w + 1]) << 32;
    return (pair >> (left & 31)) & (~quint64(0) >> (63 - (right - left)));
}

// Rounded down, for values well within the range of int.
inline int Floor(float v)
{
    const int i = int(v);
    return i - (float(i) > v ? 1 : 0);
}

inline void Blend(uint* row, uchar* need, int x, int y, uint level, const CTarget& t)
{
    row[x] = t.tint[level] + ByteMul(row[x], 255u - level);
    need[x] = t.needOfPixel(row[x]);
    if (!need[x])
        t.settle(x, y);
}

// A stroke left to the painter, drawn into an image of the target's size that holds nothing but
// it: its coverage then comes out as the alpha of each pixel.
class CPainterCoverage
{
public:
    // Blends the part of the stroke within `area` into the target and empties every row of it.
    void paint(const CStroke& s, const QRect& area, const CTarget& t)
    {
        if (m_Alpha.width() != t.width || m_Alpha.height() != t.height) {
            m_Alpha = QImage(t.width, t.height, QImage::Format_Alpha8);
            m_Alpha.fill(0);
        }
        {
            QPainter p(&m_Alpha);
            p.setRenderHint(QPainter::Antialiasing, true);
            p.setPen(QPen(Qt::black, 2, Qt::SolidLine));
            p.drawLine(s.a, s.b);
        }
        uchar* alpha = m_Alpha.bits();
        for (int y = s.top; y <= s.bottom; ++y) {
            // A row a pixel up and down: generous, so that no coverage stays behind.
            int from = 0, to = -1;
            ColumnsBetween(s.x, s.y, float(y - 1), float(y + 2), t.width, from, to);
            uchar* cover = alpha + qsizetype(y) * m_Alpha.bytesPerLine();
            uint* row = t.row(y);
            uchar* need = t.needOf(y);
            const bool blend = y >= area.top() && y <= area.bottom();
            for (int x = from; x <= to; ++x) {
                if (!cover[x])
                    continue;
                if (blend && x >= area.left() && x <= area.right()) {
                    const bool settled = !need[x];
                    Blend(row, need, x, y, cover[x], t);
                    if (settled && need[x])
                        t.strayInTile[t.tileOf(x, y)] = 1;
                }
                cover[x] = 0;
            }
        }
    }

private:
    QImage m_Alpha;
};

// The area of the part of a pixel column [0, 1] left of x = z, integrated over z from 0: what
// an edge running evenly from z = a to z = b leaves of a pixel is (Phi(b) - Phi(a)) / (b - a).
inline float Phi(float z)
{
    const float c = std::min(std::max(z, 0.0f), 1.0f);
    return 0.5f * c * c + std::max(z - 1.0f, 0.0f);
}

// Blends columns left..right of row y of a slanted stroke. Each pixel's coverage is the area
// between the outline's edges within the pixel, taken exactly (edge by edge, the part of the
// pixel beside it).
void PaintRow(const CStroke& s, int y, int left, int right, const CTarget& t)
{
    float from[4], to[4], weight[4];
    int pieces = 0;
    float lo = 1e9f, hi = -1e9f;
    const float rowTop = float(y), rowBottom = float(y + 1);
    for (int i = 0; i < 4; ++i) {
        const float top = std::max(s.y0[i], rowTop), bottom = std::min(s.y1[i], rowBottom);
        if (!(top < bottom))
            continue;
        float a = s.x0[i] + (top - s.y0[i]) * s.slope[i], b = s.x0[i] + (bottom - s.y0[i]) * s.slope[i];
        if (a > b)
            std::swap(a, b);
        lo = std::min(lo, a);
        hi = std::max(hi, b);
        if (b - a < MinPieceWidth) {
            const float middle = 0.5f * (a + b);
            a = middle - 0.5f * MinPieceWidth;
            b = middle + 0.5f * MinPieceWidth;
        }
        from[pieces] = a;
        to[pieces] = b;
        weight[pieces] = s.sign[i] * (bottom - top) / (b - a);
        ++pieces;
    }
    if (pieces == 0)
        return;
    uint* row = t.row(y);
    uchar* need = t.needOf(y);
    const auto blend = [&](int x) {
        const float px = float(x);
        float cover = 0.0f;
        for (int k = 0; k < pieces; ++k)
            cover += weight[k] * (Phi(to[k] - px) - Phi(from[k] - px));
        Blend(row, need, x, y, uint(std::min(std::abs(cover), 1.0f) * 255.0f + LevelSlack), t);
    };
    // The colour over itself stays as it is: only pixels whose need is not 0 are blended.
    const int first = std::max(int(lo), left), last = std::min(int(hi), right);
    if (first <= last && (first >> 5) == (last >> 5) && !t.strayInTile[t.tileOf(first, y)]) {
        // Within one word of open bits (always, within a tile): its bits as the row starts tell
        // them, as blending a pixel changes no other pixel's bit.
        for (quint32 bits = t.openOf(y)[first >> 5] & Columns(first, last, first & ~31); bits; bits &= bits - 1)
            blend((first & ~31) + qCountTrailingZeroBits(bits));
        return;
    }
    for (int x = first; x <= last; ++x)
        if (need[x])
            blend(x);
}

// Blends the part of the stroke within `area` (of the image) into the image.
void PaintStroke(const CStroke& s, const QRect& area, const CTarget& t)
{
    if (s.kind == CStroke::Cut) {
        thread_local CPainterCoverage painter;
        painter.paint(s, area, t);
        return;
    }
    const int first = std::max(area.top(), s.top), last = std::min(area.bottom(), s.bottom);
    if (s.kind == CStroke::Whole) {
        const int left = std::max(area.left(), s.left), right = std::min(area.right(), s.right);
        for (int y = first; y <= last && left <= right; ++y) {
            std::fill(t.row(y) + left, t.row(y) + right + 1, t.colour);
            t.settle(left, right, y);
        }
        return;
    }
    // The stroke reaches no further than Unchanging's rectangle: rows where that holds no open
    // pixel are passed over (within one word of open bits, as always within a tile).
    const int left = std::max(area.left(), std::min(s.a.x(), s.b.x()) - 2);
    const int right = std::min(area.right(), std::max(s.a.x(), s.b.x()) + 1);
    const bool oneWord = left <= right && (left >> 5) == (right >> 5);
    const quint32 columns = oneWord ? Columns(left, right, left & ~31) : 0u;
    for (int y = first; y <= last; ++y) {
        if (oneWord && !(t.openOf(y)[left >> 5] & columns) && !t.strayInTile[t.tileOf(left, y)])
            continue;
        PaintRow(s, y, area.left(), area.right(), t);
    }
}

// Calls may(x, y) for the pixels of area the stroke of segment a-b may change, until it returns
// false. Painting the colour over itself changes nothing, nor does a small share of it over a
// pixel close to it already; where a long noisy run crowds, nearly every segment lands on pixels
// its forerunners filled, and only the few others near it are looked at. A pixel's share of the
// stroke's rectangle is at most its share of the side of each of the rectangle's edges it lies
// on, which is less than the edge's distance beyond the pixel's centre plus half its diagonal
// (with a rounding's worth of slack).
template <typename Fn>
void ForEachChangeable(QPoint a, QPoint b, const QRect& area, const CTarget& t, Fn&& may)
{
    // Every point of the stroke lies within sqrt(2) of the segment: in row y, within Near of
    // where the segment runs from Near above the row to Near below it.
    constexpr float Near = 1.5f;
    const int top = std::max(area.top(), std::min(a.y(), b.y()) - 2);
    const int bottom = std::min(area.bottom(), std::max(a.y(), b.y()) + 1);
    const float leftmost = float(std::min(a.x(), b.x())) - Near, rightmost = float(std::max(a.x(), b.x())) + Near;
    const float step = a.y() == b.y() ? 0.0f : float(b.x() - a.x()) / float(b.y() - a.y());
    float above = float(a.x()) + (float(top) - Near - float(a.y())) * step;
    float below = above + (1.0f + 2.0f * Near) * step;
    bool measured = false;
    float cx = 0.0f, cy = 0.0f, ux = 1.0f, uy = 0.0f, halfLength = 1.0f;
    // The columns of every row lie within Unchanging's rectangle: a row with no open bit there
    // (within one word, as always within a tile) is passed over before its columns are worked out.
    const int boundsLeft = std::max(area.left(), std::min(a.x(), b.x()) - 2);
    const int boundsRight = std::min(area.right(), std::max(a.x(), b.x()) + 1);
    const bool oneWord = boundsLeft <= boundsRight && (boundsLeft >> 5) == (boundsRight >> 5);
    const quint32 bounds = oneWord ? Columns(boundsLeft, boundsRight, boundsLeft & ~31) : 0u;
    for (int y = top; y <= bottom; ++y, above += step, below += step) {
        if (oneWord && !(t.openOf(y)[boundsLeft >> 5] & bounds))
            continue;
        const float lo = step == 0.0f ? leftmost : std::max(std::min(above, below) - Near, leftmost);
        const float hi = step == 0.0f ? rightmost : std::min(std::max(above, below) + Near, rightmost);
        const int left = std::max(area.left(), Floor(lo)), right = std::min(area.right(), Floor(hi));
        for (int from = left; from <= right; from += 33) {
            quint64 bits = OpenBits(t.openOf(y), from, std::min(right, from + 32));
            while (bits) {
                const int x = from + qCountTrailingZeroBits(bits);
                bits &= bits - 1;
                if (!measured) {
                    measured = true;
                    const float dx = float(b.x() - a.x()), dy = float(b.y() - a.y());
                    const float length = std::sqrt(dx * dx + dy * dy);
                    if (length > 0.0f) {
                        ux = dx / length;
                        uy = dy / length;
                    }
                    cx = 0.5f * float(a.x() + b.x());
                    cy = 0.5f * float(a.y() + b.y());
                    halfLength = 0.5f * length + 1.0f;
                }
                constexpr float Reach = 0.70711f + 1.0f / 32.0f;
                const float qx = float(x) + 0.5f - cx, qy = float(y) + 0.5f - cy;
                const float share = std::min(1.0f + Reach - std::abs(qy * ux - qx * uy),
                                             halfLength + Reach - std::abs(qx * ux + qy * uy));
                if (share * 255.0f + 1.0f >= float(t.needOf(y)[x]) && !may(x, y))
                    return;
            }
        }
    }
}

// Whether the stroke of segment a-b may change a pixel of area, followed along its outline.
bool MayChange(QPoint a, QPoint b, const QRect& area, const CTarget& t)
{
    bool found = false;
    ForEachChangeable(a, b, area, t, [&found](int, int) {
        found = true;
        return false;
    });
    return found;
}

// Whether the stroke of segment a-b can change no pixel of area.
bool Unchanging(QPoint a, QPoint b, const QRect& area, const CTarget& t)
{
    // Where a run crowds, most strokes find no open pixel anywhere about them: a look at the
    // open bits of the rectangle around the stroke tells so before its outline is followed.
    const int top = std::max(area.top(), std::min(a.y(), b.y()) - 2);
    const int bottom = std::min(area.bottom(), std::max(a.y(), b.y()) + 1);
    const int left = std::max(area.left(), std::min(a.x(), b.x()) - 2);
    const int right = std::min(area.right(), std::max(a.x(), b.x()) + 1);
    if (left > right)
        return true;
    if ((left >> 5) == (right >> 5)) {
        // Within one word of open bits, as always within a tile: one mask for every row.
        const int word = left >> 5;
        const quint32 mask = Columns(left, right, word << 5);
        quint32 any = 0;
        for (int y = top; y <= bottom; ++y)
            any |= t.openOf(y)[word] & mask;
        if (!any)
            return true;
    } else if (right - left <= 32) {
        quint64 any = 0;
        for (int y = top; y <= bottom; ++y)
            any |= OpenBits(t.openOf(y), left, right);
        if (!any)
            return true;
    }
    return !MayChange(a, b, area, t);
}

// Segments a batch painted in tiles holds at most: split into at least four chunks, each
// chunk's segments are numbered within it in 16 bits.
constexpr int TiledSegments = 1 << 18;
constexpr int MinChunks = 4;
// An entry of a tile's list: segment k of its chunk, with the rows first..last (of the tile's)
// and the columns left..right (of the tile's word of open bits) of the rectangle Unchanging
// looks through. The columns are kept as the shifts that cut a word down to them: the word
// shifted right by left, then left by 31 - (right - left), holds the bits of those columns alone.
inline quint32 TileEntry(int k, int first, int last, int left, int right)
{
    static_assert(TileRows <= 8 && TileColumns == 32, "a tile's row fits 3 bits, its columns 5");
    static_assert(TiledSegments / MinChunks <= 1 << 16, "a chunk's segments fit 16 bits");
    return quint32(left) | (quint32(31 - (right - left)) << 5) | (quint32(first + 8 * last) << 10)
        | (quint32(k) << 16);
}

// The target of a painting into image; the maps are made unless they are those the last
// painting left (the image must not change before the painting takes up its maps).
CTarget Target(QImage& image, QRgb colour, const uint* tint, const quint16* channelNeed, CXYCoverageMaps& maps)
{
    static_assert(TileColumns == 32, "a tile's row is a word of open bits");
    const bool kept = !maps.need.empty() && maps.imageKey == image.cacheKey() && maps.colour == colour;
    const int words = (image.width() + 31) / 32;
    CTarget t{image.bits(), image.bytesPerLine(), image.width(), image.height(), tint, tint[255], nullptr, nullptr,
              words, nullptr, nullptr, channelNeed};
    if (!kept) {
        maps.colour = colour;
        maps.need.resize(size_t(t.width) * size_t(t.height));
        maps.open.resize(size_t(words) * size_t(t.height), 0);
        maps.openInTile.assign(size_t(words) * size_t((t.height + TileRows - 1) / TileRows), 0);
        maps.strayInTile.assign(maps.openInTile.size(), 0);
        uint last = t.row(0)[0];
        uchar lastNeed = t.needOfPixel(last);
        for (int y = 0; y < t.height; ++y) {
            const uint* row = t.row(y);
            uchar* rowNeed = maps.need.data() + size_t(y) * size_t(t.width);
            quint32* rowOpen = maps.open.data() + size_t(y) * size_t(words);
            int* tileOpen = maps.openInTile.data() + size_t(y / TileRows) * size_t(words);
            for (int w = 0; w < words; ++w) {
                quint32 bits = 0;
                for (int x = w * 32, end = std::min(x + 32, t.width); x < end; ++x) {
                    if (row[x] != last) {
                        last = row[x];
                        lastNeed = t.needOfPixel(last);
                    }
                    rowNeed[x] = lastNeed;
                    bits |= quint32(lastNeed != 0) << (x & 31);
                }
                rowOpen[w] = bits;
                tileOpen[w] += qPopulationCount(bits);
            }
        }
    }
    t.need = maps.need.data();
    t.open = maps.open.data();
    t.openInTile = maps.openInTile.data();
    t.strayInTile = maps.strayInTile.data();
    return t;
}

} // namespace

bool CXYCoverage::Handles(const QImage& image, const QColor& colour)
{
    return colour.alpha() == 255 && image.devicePixelRatio() == 1.0
        && (image.format() == QImage::Format_ARGB32_Premultiplied || image.format() == QImage::Format_RGB32);
}

CXYCoverage::CXYCoverage(QImage& image, QPoint origin, const QColor& colour, CXYCoverageMaps* maps)
    : m_Image(image), m_Origin(origin), m_Colour(colour), m_Maps(maps ? *maps : m_OwnMaps), m_Tint(m_Maps.tint),
      m_ChannelNeed(m_Maps.channelNeed), m_Counts(m_Maps.counts), m_Starts(m_Maps.starts),
      m_Entries(m_Maps.entries)
{
}

void CXYCoverage::paint(const QPoint* points, int count, int threads)
{
    if (count < 2 || m_Image.isNull())
        return;
    makeTables();
    // Tiles pay on one thread too: a tile's pixels and maps stay in the cache while its strokes
    // are blended, and no stroke is wider than a tile's word of open bits.
    if (count - 1 < SerialSegments) {
        paintSerial(points, count);
    } else {
        for (int k = 0; k + 1 < count; k += TiledSegments)
            paintInTiles(points + k, std::min(count - k, TiledSegments + 1), threads);
    }
    m_Maps.imageKey = m_Image.cacheKey();   // the image as the maps describe it
}

void CXYCoverage::makeTables()
{
    const uint pixel = qPremultiply(m_Colour.rgba());
    if (m_Maps.tablesFor == pixel && pixel != 0)
        return;
    m_Maps.tablesFor = pixel;
    for (uint a = 0; a < 256; ++a)
        m_Tint[a] = ByteMul(pixel, a);
    // A blend at coverage a changes a channel from v to the colour's c by
    // round(c a / 255) - round(v a / 255) (the painter rounds each product alone).
    for (int channel = 0; channel < 4; ++channel) {
        const int c = int((pixel >> (8 * channel)) & 0xff);
        for (int v = 0; v < 256; ++v) {
            int a = 1;
            while (a < 256 && (c * a + 127) / 255 == (v * a + 127) / 255)
                ++a;
            m_ChannelNeed[channel * 256 + v] = quint16(a);
        }
    }
}

void CXYCoverage::paintSerial(const QPoint* points, int count)
{
    KorvantaPlatform::ClearUpperVectorHalves();
    const CTarget t = Target(m_Image, m_Colour.rgba(), m_Tint, m_ChannelNeed, m_Maps);
    CStroke s;
    const QRect all(0, 0, t.width, t.height);
    for (int k = 0; k + 1 < count; ++k) {
        const QPoint a = points[k] - m_Origin, b = points[k + 1] - m_Origin;
        if (Unchanging(a, b, all, t))
            continue;
        if (MakeStroke(a, b, t.width, t.height, s))
            PaintStroke(s, all, t);
    }
}

void CXYCoverage::paintInTiles(const QPoint* points, int count, int threads)
{
    const CTarget t = Target(m_Image, m_Colour.rgba(), m_Tint, m_ChannelNeed, m_Maps);
    const int segments = count - 1;
    const int columns = (t.width + TileColumns - 1) / TileColumns;
    const int tiles = columns * ((t.height + TileRows - 1) / TileRows);
    const auto tileArea = [&](int tile) {
        return QRect((tile % columns) * TileColumns, (tile / columns) * TileRows, TileColumns, TileRows)
            .intersected(QRect(0, 0, t.width, t.height));
    };
    // Several chunks a thread, handed out as threads come free: a thread that joins late (the
    // walk's, done with its batch) still finds some left.
    const int chunks = std::max(threads, 1) * MinChunks;
    const auto chunkBegin = [&](int c) { return int((long long)segments * c / chunks); };
    // Each chunk of segments lists, in order, the tiles where the rectangle about each segment's
    // stroke (the one Unchanging looks through) holds pixels that may still change (a pixel that
    // holds the colour keeps it). Whether they still may is asked again when the tile takes the
    // segment in turn: by then the strokes before it in the batch have mostly filled them in,
    // and the entry's rows and columns, against the open bits, answer without the segment.
    const auto forEachTile = [&](int c, auto&& take) {
        const int begin = chunkBegin(c);
        for (int k = begin, end = chunkBegin(c + 1); k < end; ++k) {
            const QPoint a = points[k] - m_Origin, b = points[k + 1] - m_Origin;
            const int left = std::max(std::min(a.x(), b.x()) - 2, 0), right = std::min(std::max(a.x(), b.x()) + 1, t.width - 1);
            const int top = std::max(std::min(a.y(), b.y()) - 2, 0), bottom = std::min(std::max(a.y(), b.y()) + 1, t.height - 1);
            if (left > right || top > bottom)
                continue;
            // None of the bounds is negative: the tiles' rows and columns by shifts.
            const int firstColumn = int(uint(left) / TileColumns), lastColumn = int(uint(right) / TileColumns);
            const int firstRow = int(uint(top) / TileRows), lastRow = int(uint(bottom) / TileRows);
            for (int row = firstRow; row <= lastRow; ++row) {
                const int first = std::max(top - row * TileRows, 0), last = std::min(bottom - row * TileRows, TileRows - 1);
                const int* open = t.openInTile + row * columns;
                for (int column = firstColumn; column <= lastColumn; ++column) {
                    if (open[column] > 0)
                        take(row * columns + column, k - begin, first, last, left, right, column);
                }
            }
        }
    };
    // The chunks count their tiles' segments first, then write them straight into place: the
    // tiles' lists hold chunk after chunk, so that each keeps its segments in order. Working out
    // a segment's tiles twice costs less than keeping them in between.
    m_Counts.assign(size_t(chunks) * size_t(tiles), 0);
    ParallelFor(chunks, threads, [&](int c) {
        int* counts = m_Counts.data() + size_t(c) * size_t(tiles);
        forEachTile(c, [counts](int tile, int, int, int, int, int, int) { ++counts[tile]; });
    });
    m_Starts.assign(size_t(tiles) + 1, 0);
    int total = 0;
    for (int tile = 0; tile < tiles; ++tile) {
        m_Starts[size_t(tile)] = total;
        for (int c = 0; c < chunks; ++c) {
            int& n = m_Counts[size_t(c) * size_t(tiles) + size_t(tile)];
            const int here = n;
            n = total;   // from now on: where the chunk's next segment of the tile goes
            total += here;
        }
    }
    m_Starts[size_t(tiles)] = total;
    m_Entries.resize(size_t(total));
    ParallelFor(chunks, threads, [&](int c) {
        int* next = m_Counts.data() + size_t(c) * size_t(tiles);
        quint32* entries = m_Entries.data();
        forEachTile(c, [next, entries](int tile, int k, int first, int last, int left, int right, int column) {
            const int from = std::max(left - column * TileColumns, 0), to = std::min(right - column * TileColumns, 31);
            entries[next[tile]++] = TileEntry(k, first, last, from, to);
        });
    });
    // The fullest tiles first, so that none is left to the end for one thread alone; empty ones
    // not at all.
    const auto size = [this](int tile) { return m_Starts[size_t(tile) + 1] - m_Starts[size_t(tile)]; };
    m_Work.clear();
    for (int tile = 0; tile < tiles; ++tile)
        if (size(tile) > 0)
            m_Work.push_back({tileArea(tile), tile});
    std::stable_sort(m_Work.begin(), m_Work.end(), [&](const CWork& a, const CWork& b) { return size(a.tile) > size(b.tile); });
    ParallelFor(int(m_Work.size()), threads, [&](int i) {
        // The strokes are float arithmetic throughout; whatever ran on this thread before (the
        // painter, for strokes the image's edge cuts) may have left the wide registers in use.
        KorvantaPlatform::ClearUpperVectorHalves();
        const int tile = m_Work[size_t(i)].tile;
        const QRect area = m_Work[size_t(i)].area;
        // The tile's open bits, as they stand: only strokes painted here change them.
        const quint32* open = t.openOf(area.top()) + area.left() / TileColumns;
        quint32 rows[TileRows] = {};
        const auto look = [&] {
            for (int y = 0; y < area.height(); ++y)
                rows[y] = open[y * t.words];
        };
        look();
        CStroke s;
        // The tile's list holds chunk after chunk; the counts now tell where each chunk's part
        // of it ends.
        for (int c = 0, e = m_Starts[size_t(tile)]; c < chunks && t.openInTile[tile] > 0; ++c) {
            const QPoint* chunk = points + chunkBegin(c);
            for (const int end = m_Counts[size_t(c) * size_t(tiles) + size_t(tile)]; e < end && t.openInTile[tile] > 0; ++e) {
                // Strokes painted before it in the batch may have filled its pixels in: Unchanging,
                // its look at the open bits taken from the entry (every row looked at, those out
                // of the entry's taken as none: no row count to guess).
                const quint32 entry = m_Entries[size_t(e)];
                const int first = int(entry >> 10) & 7, last = int(entry >> 13) & 7;
                quint32 any = 0;
                for (int y = 0; y < TileRows; ++y)
                    any |= y >= first && y <= last ? rows[y] : 0u;
                if (!((any >> (entry & 31)) << ((entry >> 5) & 31)))
                    continue;
                const int k = int(entry >> 16);
                const QPoint a = chunk[k] - m_Origin, b = chunk[k + 1] - m_Origin;
                if (MayChange(a, b, area, t) && MakeStroke(a, b, t.width, t.height, s)) {
                    PaintStroke(s, area, t);
                    look();
                }
            }
        }
    });
}
