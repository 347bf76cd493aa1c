#pragma once
// Test videos made on the spot with OpenCV's writers: a filled square moving in a straight line
// over a plain background, and a ball on a line or a circle with its frame number burned in.
#include <QImage>
#include <QRect>
#include <QPoint>
#include <QSize>
#include <QString>

#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>

#include <cmath>

// Writes video.frameMat(i) for every frame: MJPG in AVI by OpenCV's own writer, or with h264
// H.264 in MP4 through FFmpeg (false when that encoder is not there).
template <class Video>
bool WriteTestVideo(const Video& video, const QString& path, bool h264)
{
    cv::VideoWriter writer;
    const cv::Size size(video.size.width(), video.size.height());
    if (h264)
        writer.open(path.toStdString(), cv::CAP_FFMPEG, cv::VideoWriter::fourcc('a', 'v', 'c', '1'), video.fps, size);
    else
        writer.open(path.toStdString(), cv::CAP_OPENCV_MJPEG, cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), video.fps, size);
    if (!writer.isOpened())
        return false;
    for (int i = 0; i < video.frames; ++i)
        writer.write(video.frameMat(i));
    writer.release();
    return true;
}

struct SquareVideo
{
    QSize size = QSize(320, 240);
    double fps = 30.0;
    int frames = 30;
    int side = 20;
    QPoint start = QPoint(40, 100);
    QPoint step = QPoint(5, 0);

    // Top-left corner of the square in frame i.
    QPoint cornerAt(int i) const { return start + step * i; }
    QPoint centreAt(int i) const { return cornerAt(i) + QPoint(side / 2, side / 2); }

    cv::Mat frameMat(int i) const
    {
        cv::Mat m(size.height(), size.width(), CV_8UC3, cv::Scalar(235, 235, 235));
        const QPoint c = cornerAt(i);
        cv::rectangle(m, cv::Rect(c.x(), c.y(), side, side), cv::Scalar(40, 40, 200), cv::FILLED);
        return m;
    }

    // The frame as the player hands it over: a 32-bit image.
    QImage frameImage(int i) const
    {
        const cv::Mat m = frameMat(i);
        QImage img(m.cols, m.rows, QImage::Format_RGB32);
        for (int y = 0; y < m.rows; ++y) {
            const cv::Vec3b* row = m.ptr<cv::Vec3b>(y);
            QRgb* out = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < m.cols; ++x)
                out[x] = qRgb(row[x][2], row[x][1], row[x][0]);
        }
        return img;
    }

    bool write(const QString& path, bool h264 = false) const { return WriteTestVideo(*this, path, h264); }
};

// The square's frame number in a decoded picture, from the column of its left edge on the
// square's row (the background is light, the square dark); -1 when no square is found.
inline int SquareFrameIndex(const QImage& image, const SquareVideo& v)
{
    if (image.isNull())
        return -1;
    const int y = v.start.y() + v.side / 2;
    if (y >= image.height())
        return -1;
    for (int x = 0; x < image.width(); ++x) {
        if (qGray(image.pixel(x, y)) < 120) {
            const int offset = x - v.start.x();
            if (v.step.x() == 0)
                return -1;
            // Rounded to the nearest step: compression blurs the edge by a pixel or two.
            return int((offset + v.step.x() / 2) / v.step.x());
        }
    }
    return -1;
}

// A white ball moving over black along a straight line or a circle, or an orange one thrown
// over a still textured scene (a red one over a black and white checker when the scene is
// periodic), with its frame number burned in as ten bits (white blocks on the black bottom row),
// as MJPG in AVI or H.264 in MP4. The ball's centre is a whole pixel in every frame, so each
// frame shows the same ball.
struct BallVideo
{
    enum Path { Line, Circle, Throw };
    Path path = Line;
    bool textured = false;
    bool periodic = false;
    QSize size = QSize(320, 240);
    double fps = 25.0;
    int frames = 101;
    int radius = 8;
    static constexpr int s_Bits = 10;

    QPoint centreAt(int i) const
    {
        if (path == Line)
            return QPoint(40 + 2 * i, 170 - i);
        if (path == Throw)
            return QPoint(size.width() / 8 + 6 * i, size.height() * 5 / 6 - i * (frames - 1 - i) / 5);
        const double a = 2.0 * M_PI * i / frames;
        return QPoint(160 + int(std::lround(70 * std::cos(a))), 105 + int(std::lround(70 * std::sin(a))));
    }
    static QRect bitBlock(const QSize& size, int bit) { return QRect(4 + 14 * bit, size.height() - 12, 10, 9); }

    // A carpet of blotches in every colour, with a few stripes, or a checker of 24-pixel
    // squares; the same in every frame.
    cv::Mat scenery() const
    {
        if (periodic) {
            cv::Mat m(size.height(), size.width(), CV_8UC3, cv::Scalar(255, 255, 255));
            for (int y = 0; y < size.height(); y += 24)
                for (int x = (y / 24 % 2) * 24; x < size.width(); x += 48)
                    cv::rectangle(m, cv::Rect(x, y, 24, 24), cv::Scalar(0, 0, 0), cv::FILLED);
            cv::rectangle(m, cv::Rect(0, size.height() - 14, size.width(), 14), cv::Scalar(0, 0, 0), cv::FILLED);
            return m;
        }
        cv::Mat blotches(size.height() / 4, size.width() / 4, CV_8UC3);
        cv::RNG rng(57);
        rng.fill(blotches, cv::RNG::UNIFORM, 83, 173);
        cv::Mat m;
        cv::resize(blotches, m, cv::Size(size.width(), size.height()), 0, 0, cv::INTER_CUBIC);
        for (int y = 0; y < size.height(); y += 16)
            cv::line(m, cv::Point(0, y), cv::Point(size.width(), y + 40), cv::Scalar(100, 120, 140), 2);
        cv::rectangle(m, cv::Rect(0, size.height() - 14, size.width(), 14), cv::Scalar(0, 0, 0), cv::FILLED);
        return m;
    }

    cv::Mat frameMat(int i) const
    {
        cv::Mat m = textured ? scenery() : cv::Mat(size.height(), size.width(), CV_8UC3, cv::Scalar(0, 0, 0));
        const QPoint c = centreAt(i);
        const cv::Scalar ball = periodic ? cv::Scalar(30, 30, 220)
                                : textured ? cv::Scalar(30, 120, 240) : cv::Scalar(255, 255, 255);
        cv::circle(m, cv::Point(c.x(), c.y()), radius, ball, cv::FILLED, cv::LINE_AA);
        for (int b = 0; b < s_Bits; ++b) {
            const QRect r = bitBlock(size, b);
            if (i & (1 << b))
                cv::rectangle(m, cv::Rect(r.x(), r.y(), r.width(), r.height()), cv::Scalar(255, 255, 255), cv::FILLED);
        }
        return m;
    }

    bool write(const QString& file, bool h264 = false) const { return WriteTestVideo(*this, file, h264); }

    // The frame number burned into a decoded picture; -1 for no picture.
    static int FrameNumber(const QImage& image)
    {
        if (image.isNull())
            return -1;
        int n = 0;
        for (int b = 0; b < s_Bits; ++b)
            if (qGray(image.pixel(bitBlock(image.size(), b).center())) > 128)
                n |= 1 << b;
        return n;
    }
};
