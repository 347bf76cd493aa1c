#pragma once
// Test videos made on the spot: a filled square moving in a straight line over a plain
// background, written by OpenCV's own MJPG writer into an AVI file.
#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>

#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>

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

    // MJPG in AVI by OpenCV's own writer; with h264 set, H.264 in MP4 through FFmpeg (false
    // when that encoder is not there).
    bool write(const QString& path, bool h264 = false) const
    {
        cv::VideoWriter writer;
        if (h264)
            writer.open(path.toStdString(), cv::CAP_FFMPEG, cv::VideoWriter::fourcc('a', 'v', 'c', '1'), fps,
                        cv::Size(size.width(), size.height()));
        else
            writer.open(path.toStdString(), cv::CAP_OPENCV_MJPEG, cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), fps,
                        cv::Size(size.width(), size.height()));
        if (!writer.isOpened())
            return false;
        for (int i = 0; i < frames; ++i)
            writer.write(frameMat(i));
        writer.release();
        return true;
    }
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
