#pragma once
// The media player's video output: takes each decoded frame and hands it on as a 32-bit image.
#include <QAbstractVideoSurface>
#include <QImage>
#include <QVideoFrame>

class QWidget;

class CVideoSurface_Player : public QAbstractVideoSurface
{
    Q_OBJECT
public:
    explicit CVideoSurface_Player(QWidget* parent = nullptr);

    QList<QVideoFrame::PixelFormat> supportedPixelFormats(
        QAbstractVideoBuffer::HandleType handleType = QAbstractVideoBuffer::NoHandle) const override;
    bool present(const QVideoFrame& frame) override;

    // The frame in memory as a 32-bit image that owns its pixels (null for a format that is
    // not offered, or sizes that do not fit the buffer). 16-bit frames are widened, never read
    // as 32-bit pixels; a bottom-to-top frame is turned upright.
    static QImage FrameToImage(const uchar* bits, int width, int height, int bytesPerLine, int mappedBytes,
                               QVideoFrame::PixelFormat format, bool bottomToTop);

    // The request generation an image was made in (-1 for an image not made here). The window
    // raises the generation with every stop, step, seek and start it asks of the player, so a
    // frame made before such a request can be told from the ones it brings.
    static qint64 FrameGeneration(const QImage& image);
    // The start time of the frame an image was made from, in microseconds of the media (-1 when
    // the back end gave none).
    static qint64 FrameStartUs(const QImage& image);
    qint64 generation = 0;

    // The frame the window stands on (or has asked the player for), for stepping and seeking.
    qint64 frameCounter = 0;

    // Holds the next frame handed over this long before returning it to the player, as a window
    // too busy to take it does (the player's stream breaks off when a frame takes over 300 ms).
    int stallNextFrameMs = 0;

signals:
    void frameArived(QImage image, qint64 frameIndex);
};
