#pragma once
// The segments of a dense XY curve painted by our own rasteriser. A noisy run makes every
// sample its own segment, and the painter's wide smoothed strokes cost about a microsecond
// each; once a curve holds far more segments than its area has pixels, that is seconds.
//
// Each segment is the painter's stroke of a two-pixel solid pen with square caps: the rectangle
// about the segment, its corners on the painter's 1/64-pixel grid. Its coverage of each pixel
// is the exact area, truncated to 8 bits, and blends the pixel with the colour as the painter's
// source-over does, rounding included. Strokes the image's edge cuts are left to the painter.
// Pixels are blended segment after segment in the order given (the rounding makes the order
// matter), so the image is shared out in tiles, each with the segments that reach it, in order.
// The picture is the same however many threads paint it and however the segments come in
// batches, and within the two levels per channel a live redraw may differ by of the painter's.
#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>

#include <utility>
#include <vector>

// What the rasteriser knows of an image after painting into it: per pixel the least coverage
// that changes it, and where pixels are left that may still change. A later painting into the
// same image in the same colour takes it up instead of looking through every pixel again, as
// long as nothing else changed the image meanwhile (its cache key stays as the last painting
// left it).
struct CXYCoverageMaps
{
    std::vector<uchar> need;   // per pixel, the least coverage that changes it (0: none)
    std::vector<quint32> open;   // per pixel, a bit: its need is not 0
    std::vector<int> openInTile;   // per tile, its pixels whose need is not 0
    std::vector<uchar> strayInTile;   // per tile, whether a pixel's need may be not 0 with no open bit
    qint64 imageKey = 0;   // the image's cache key after the last painting
    QRgb colour = 0;
    // Kept from one painting to the next as well, so that a curve painted in stretches neither
    // works its colour's tables out again nor sorts each batch into fresh memory: the colour
    // times each coverage as the blend rounds it, per channel and value the least coverage that
    // changes it (for tablesFor, 0: none yet); the segments of the tiles, per tile and chunk of
    // segments the counts, and the entries tile by tile (each a segment with the part of the
    // tile its stroke's bounds cover, see paintInTiles).
    QRgb tablesFor = 0;
    uint tint[256];
    quint16 channelNeed[4 * 256];
    std::vector<int> counts, starts;
    std::vector<quint32> entries;
};

class CXYCoverage
{
public:
    // Whether segments of this colour can be painted into this image here: an opaque colour
    // into an image of 32-bit pixels, premultiplied or without alpha, at a pixel ratio of 1.
    static bool Handles(const QImage& image, const QColor& colour);

    // image must be one Handles accepts; origin is the curve coordinate of its top-left pixel.
    // With maps, those of earlier paintings are taken up when they still hold, and left for
    // the next.
    CXYCoverage(QImage& image, QPoint origin, const QColor& colour, CXYCoverageMaps* maps = nullptr);
    CXYCoverage(const CXYCoverage&) = delete;
    CXYCoverage& operator=(const CXYCoverage&) = delete;

    // Paints the segments between consecutive points of points[0 .. count), in order, over up
    // to `threads` threads.
    void paint(const QPoint* points, int count, int threads);

private:
    void makeTables();
    void paintSerial(const QPoint* points, int count);
    void paintInTiles(const QPoint* points, int count, int threads);

    QImage& m_Image;
    const QPoint m_Origin;
    const QColor m_Colour;
    struct CWork
    {
        QRect area;
        int tile;
    };
    std::vector<CWork> m_Work;
    CXYCoverageMaps m_OwnMaps;
    CXYCoverageMaps& m_Maps;
    // Of the maps: the tables (made for the first batch) and the tiles' segments.
    uint* const m_Tint;
    quint16* const m_ChannelNeed;
    std::vector<int>& m_Counts;
    std::vector<int>& m_Starts;
    std::vector<quint32>& m_Entries;
};
