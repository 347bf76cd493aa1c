#include "opencv/plugin/TemplateMatch.h"

#include "opencv/OpenCvPlugin.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>

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

namespace {

// Frames up to this many pixels are searched at full resolution in one pass.
constexpr int s_DirectSearchPixels = 320 * 240;
// The reduced object keeps at least this many pixels on its shorter side.
constexpr int s_MinReducedSide = 12;
constexpr int s_MaxReduction = 4;

cv::Point bestMatch(const cv::Mat& frame, const cv::Mat& objectTemplate)
{
    cv::Mat result;
    cv::matchTemplate(frame, objectTemplate, result, cv::TM_SQDIFF);
    cv::normalize(result, result, 0.0, 1.0, cv::NORM_MINMAX, -1);
    double minValue = 0.0;
    double maxValue = 0.0;
    cv::Point minLocation;
    cv::Point maxLocation;
    cv::minMaxLoc(result, &minValue, &maxValue, &minLocation, &maxLocation);
    return minLocation;
}

} // namespace

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
        const int reduction = std::min(s_MaxReduction, std::min(objectTemplate.cols, objectTemplate.rows) / s_MinReducedSide);
        cv::Point best;
        if (frame.cols * frame.rows <= s_DirectSearchPixels || reduction < 2) {
            best = bestMatch(frame, objectTemplate);
        } else {
            // A large frame is searched whole, coarse to fine, to keep up with the video: first
            // over a reduced copy of frame and object, then at full resolution around the
            // reduced match, within the reduction's uncertainty.
            const double f = 1.0 / reduction;
            cv::Mat smallFrame;
            cv::Mat smallObject;
            cv::resize(frame, smallFrame, cv::Size(), f, f, cv::INTER_AREA);
            cv::resize(objectTemplate, smallObject, cv::Size(), f, f, cv::INTER_AREA);
            const cv::Point coarse = bestMatch(smallFrame, smallObject) * reduction;
            const int margin = 2 * reduction;
            const cv::Rect area = cv::Rect(coarse.x - margin, coarse.y - margin, objectTemplate.cols + 2 * margin,
                                           objectTemplate.rows + 2 * margin)
                                  & cv::Rect(0, 0, frame.cols, frame.rows);
            best = bestMatch(frame(area), objectTemplate) + area.tl();
        }
        if (location)
            *location = QPoint(best.x, best.y);
        return true;
    } catch (const cv::Exception& e) {
        if (error)
            *error = QString::fromStdString(e.what());
        return false;
    }
}

extern "C" __attribute__((visibility("default"))) int korvanta_track_template(const QImage* frame,
                                                                             const QImage* objectTemplate,
                                                                             QPoint* location, QString* error)
{
    if (!frame || !objectTemplate)
        return 0;
    try {
        return TrackTemplateMatch(qimage_to_mat_cpy(*frame, CV_8UC4), qimage_to_mat_cpy(*objectTemplate, CV_8UC4),
                                  location, error) ? 1 : 0;
    } catch (const cv::Exception& e) {
        if (error)
            *error = QString::fromStdString(e.what());
    } catch (const std::exception& e) {
        if (error)
            *error = QString::fromLocal8Bit(e.what());
    } catch (...) {
    }
    return 0;
}
