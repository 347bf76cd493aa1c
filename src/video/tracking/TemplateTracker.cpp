#include "video/tracking/TemplateTracker.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

cv::Mat qimage_to_mat_cpy(const QImage& image, int type)
{
    if (image.isNull() || type != CV_8UC4)
        return cv::Mat();
    // A 16-bit or palette frame read as 32-bit pixels would run past its buffer; bring every
    // other format to 32 bits first.
    QImage source = image;
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32
        && image.format() != QImage::Format_ARGB32_Premultiplied)
        source = image.convertToFormat(QImage::Format_RGB32);
    const cv::Mat wrapped(source.height(), source.width(), type, const_cast<uchar*>(source.constBits()),
                          size_t(source.bytesPerLine()));
    // The colour conversion writes a new matrix that owns its pixels, so the wrapped buffer
    // need not be copied first; the result is the same three channels red, green, blue.
    cv::Mat result;
    cv::cvtColor(wrapped, result, cv::COLOR_BGR2RGB, 0);
    return result;
}

bool TrackTemplateMatch(const cv::Mat& frame, const cv::Mat& objectTemplate, QPoint* location, QString* error)
{
    if (frame.empty() || objectTemplate.empty()) {
        if (error)
            *error = QStringLiteral("The object or the frame is empty.");
        return false;
    }
    if (objectTemplate.cols > frame.cols || objectTemplate.rows > frame.rows || objectTemplate.type() != frame.type()) {
        if (error)
            *error = QStringLiteral("The object does not fit in the frame.");
        return false;
    }
    try {
        cv::Mat result;
        cv::matchTemplate(frame, objectTemplate, result, cv::TM_SQDIFF);
        double minValue = 0.0;
        double maxValue = 0.0;
        cv::Point minLocation;
        cv::Point maxLocation;
        cv::normalize(result, result, 0.0, 1.0, cv::NORM_MINMAX, -1);
        cv::minMaxLoc(result, &minValue, &maxValue, &minLocation, &maxLocation);
        if (location)
            *location = QPoint(minLocation.x, minLocation.y);
        return true;
    } catch (const cv::Exception& e) {
        if (error)
            *error = QString::fromStdString(e.what());
        return false;
    }
}

bool TrackTemplateMatch(const QImage& frame, const QImage& objectTemplate, QPoint* location, QString* error)
{
    try {
        return TrackTemplateMatch(qimage_to_mat_cpy(frame, CV_8UC4), qimage_to_mat_cpy(objectTemplate, CV_8UC4),
                                  location, error);
    } catch (const cv::Exception& e) {
        if (error)
            *error = QString::fromStdString(e.what());
        return false;
    } catch (const std::exception& e) {
        if (error)
            *error = QString::fromLocal8Bit(e.what());
        return false;
    }
}
