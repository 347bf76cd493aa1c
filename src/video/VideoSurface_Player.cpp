#include "video/VideoSurface_Player.h"

#include <QThread>
#include <QTransform>
#include <QWidget>
#include <QVideoSurfaceFormat>

namespace {
// The image text that carries the generation to the window.
const char* const s_GenerationKey = "KorvantaGeneration";
const char* const s_StartKey = "KorvantaStartUs";

qint64 imageNumber(const QImage& image, const char* key)
{
    bool ok = false;
    const qint64 v = image.text(QString::fromLatin1(key)).toLongLong(&ok);
    return ok ? v : -1;
}
}

qint64 CVideoSurface_Player::FrameGeneration(const QImage& image)
{
    return imageNumber(image, s_GenerationKey);
}

qint64 CVideoSurface_Player::FrameStartUs(const QImage& image)
{
    return imageNumber(image, s_StartKey);
}

CVideoSurface_Player::CVideoSurface_Player(QWidget* parent) : QAbstractVideoSurface(parent) {}

QList<QVideoFrame::PixelFormat> CVideoSurface_Player::supportedPixelFormats(QAbstractVideoBuffer::HandleType handleType) const
{
    if (handleType != QAbstractVideoBuffer::NoHandle)
        return {};
    return {QVideoFrame::Format_RGB32, QVideoFrame::Format_ARGB32, QVideoFrame::Format_ARGB32_Premultiplied,
            QVideoFrame::Format_RGB565, QVideoFrame::Format_RGB555};
}

QImage CVideoSurface_Player::FrameToImage(const uchar* bits, int width, int height, int bytesPerLine, int mappedBytes,
                                          QVideoFrame::PixelFormat format, bool bottomToTop)
{
    QImage::Format imageFormat;
    int bytesPerPixel;
    switch (format) {
    case QVideoFrame::Format_RGB32:
    case QVideoFrame::Format_ARGB32:
    case QVideoFrame::Format_ARGB32_Premultiplied:
        // The frame has always been shown as plain ARGB; premultiplied frames of a video are
        // opaque, so the two read alike.
        imageFormat = QImage::Format_ARGB32;
        bytesPerPixel = 4;
        break;
    case QVideoFrame::Format_RGB565:
        imageFormat = QImage::Format_RGB16;
        bytesPerPixel = 2;
        break;
    case QVideoFrame::Format_RGB555:
        imageFormat = QImage::Format_RGB555;
        bytesPerPixel = 2;
        break;
    default:
        return QImage();
    }
    if (!bits || width < 1 || height < 1 || bytesPerLine < width * qint64(bytesPerPixel)
        || qint64(bytesPerLine) * height > mappedBytes)
        return QImage();
    const QImage view(bits, width, height, bytesPerLine, imageFormat);
    // The copy owns its pixels; the frame's buffer is unmapped as soon as present returns.
    QImage image = bytesPerPixel == 4 ? view.copy() : view.convertToFormat(QImage::Format_ARGB32);
    if (bottomToTop)
        image = image.transformed(QTransform().rotate(180), Qt::FastTransformation);
    return image;
}

bool CVideoSurface_Player::present(const QVideoFrame& frame)
{
    if (!frame.isValid())
        return true;
    QVideoFrame mapped(frame);
    if (!mapped.map(QAbstractVideoBuffer::ReadOnly))
        return true;
    const bool bottomToTop = surfaceFormat().scanLineDirection() == QVideoSurfaceFormat::BottomToTop;
    QImage image = FrameToImage(mapped.bits(), mapped.width(), mapped.height(), mapped.bytesPerLine(),
                                mapped.mappedBytes(), mapped.pixelFormat(), bottomToTop);
    mapped.unmap();
    if (image.isNull())
        return true;
    image.setText(QString::fromLatin1(s_GenerationKey), QString::number(generation));
    image.setText(QString::fromLatin1(s_StartKey), QString::number(frame.startTime()));
    emit frameArived(image, frameCounter);
    if (stallNextFrameMs > 0) {
        QThread::msleep(static_cast<unsigned long>(stallNextFrameMs));
        stallNextFrameMs = 0;
    }
    return true;
}
