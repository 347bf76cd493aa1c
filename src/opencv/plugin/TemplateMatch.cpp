#include "opencv/plugin/TemplateMatch.h"

#include "opencv/OpenCvPlugin.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <QRect>

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

// Areas up to this many pixels are searched at full resolution in one pass.
constexpr int s_DirectSearchPixels = 320 * 240;
// The reduced object keeps at least this many pixels on its shorter side.
constexpr int s_MinReducedSide = 12;
constexpr int s_MaxReduction = 4;

// Two pixels differ when their three channels differ by more than this together (what
// compression changes in a still picture stays well below it).
constexpr int s_SceneryDifference = 40;
// Fewer moved pixels than this (or than a fiftieth of the template) tell nothing.
constexpr int s_MinMovedPixels = 25;
// The weight of the pixels that did not move: the scenery, but also the part of the object
// that lies where the object is now, whose edges place a plain-coloured object.
constexpr float s_StillWeight = 0.35f;

// The best place of the object in frame; with weights, each template pixel's difference counts
// by its weight.
cv::Point bestMatch(const cv::Mat& frame, const cv::Mat& objectTemplate, const cv::Mat& mask)
{
    cv::Mat result;
    if (mask.empty())
        cv::matchTemplate(frame, objectTemplate, result, cv::TM_SQDIFF);
    else
        cv::matchTemplate(frame, objectTemplate, result, cv::TM_SQDIFF, mask);
    cv::normalize(result, result, 0.0, 1.0, cv::NORM_MINMAX, -1);
    double minValue = 0.0;
    double maxValue = 0.0;
    cv::Point minLocation;
    cv::Point maxLocation;
    cv::minMaxLoc(result, &minValue, &maxValue, &minLocation, &maxLocation);
    return minLocation;
}

} // namespace

cv::Mat SameColour(const cv::Mat& a, const cv::Mat& b)
{
    cv::Mat difference;
    cv::absdiff(a, b, difference);
    cv::Mat summed;
    cv::transform(difference, summed, cv::Matx13f(1.0f, 1.0f, 1.0f));
    return summed <= s_SceneryDifference;
}

cv::Mat MovedPixels(const cv::Mat& frame, const cv::Mat& objectTemplate, const cv::Rect& cutFrom)
{
    if (frame.empty() || objectTemplate.empty() || frame.type() != objectTemplate.type() || frame.channels() != 3
        || cutFrom.size() != objectTemplate.size() || (cutFrom & cv::Rect(0, 0, frame.cols, frame.rows)) != cutFrom)
        return cv::Mat();
    cv::Mat moved = ~SameColour(objectTemplate, frame(cutFrom));
    // Single pixels that compression made differ are not the object.
    cv::morphologyEx(moved, moved, cv::MORPH_OPEN, cv::Mat());
    const int count = cv::countNonZero(moved);
    if (count < std::max(s_MinMovedPixels, int(moved.total() / 50)))
        return cv::Mat();
    return moved;
}

cv::Point BestPlaceIn(const cv::Mat& frame, const cv::Mat& objectTemplate, const cv::Mat& weights, const cv::Rect& area)
{
    const cv::Mat searched = frame(area);
    const int reduction = std::min(s_MaxReduction, std::min(objectTemplate.cols, objectTemplate.rows) / s_MinReducedSide);
    if (area.area() <= s_DirectSearchPixels || reduction < 2)
        return bestMatch(searched, objectTemplate, weights) + area.tl();
    // A large area is searched coarse to fine, to keep up with the video: first over a reduced
    // copy of area and object, then at full resolution around the reduced match, within the
    // reduction's uncertainty.
    const double f = 1.0 / reduction;
    cv::Mat smallArea;
    cv::Mat smallObject;
    cv::Mat smallWeights;
    cv::resize(searched, smallArea, cv::Size(), f, f, cv::INTER_AREA);
    cv::resize(objectTemplate, smallObject, cv::Size(), f, f, cv::INTER_AREA);
    if (!weights.empty())
        cv::resize(weights, smallWeights, smallObject.size(), 0, 0, cv::INTER_AREA);
    const cv::Point coarse = bestMatch(smallArea, smallObject, smallWeights) * reduction + area.tl();
    const int margin = 2 * reduction;
    const cv::Rect fine = cv::Rect(coarse.x - margin, coarse.y - margin, objectTemplate.cols + 2 * margin,
                                   objectTemplate.rows + 2 * margin)
                          & area;
    return bestMatch(frame(fine), objectTemplate, weights) + fine.tl();
}

bool TrackTemplateMatch(const cv::Mat& frame, const cv::Mat& objectTemplate, QPoint* location, QString* error,
                        const cv::Rect& cutFrom)
{
    if (!TemplateFits(frame, objectTemplate, error))
        return false;
    try {
        // The scenery cut out around the object stays where it was while the object moves on.
        // Compared as well, it holds the match to the place the object was cut from, or pulls
        // it to wherever it happens to fit: the more, the larger the selection is against the
        // object. So the pixels that moved with the object count fully, when they can be told
        // apart, and the rest only a little.
        const cv::Mat moved = MovedPixels(frame, objectTemplate, cutFrom);
        cv::Mat weights;
        if (!moved.empty()) {
            weights = cv::Mat(moved.size(), CV_32F, cv::Scalar(s_StillWeight));
            weights.setTo(1.0f, moved);
        }
        const cv::Point best = BestPlaceIn(frame, objectTemplate, weights, cv::Rect(0, 0, frame.cols, frame.rows));
        if (location)
            *location = QPoint(best.x, best.y);
        return true;
    } catch (const cv::Exception& e) {
        if (error)
            *error = QString::fromStdString(e.what());
        return false;
    }
}

bool TemplateFits(const cv::Mat& frame, const cv::Mat& objectTemplate, QString* error)
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
    return true;
}

extern "C" __attribute__((visibility("default"))) int korvanta_track_template(const QImage* frame,
                                                                             const QImage* objectTemplate,
                                                                             const QRect* cutFrom, QPoint* location,
                                                                             QString* error)
{
    if (!frame || !objectTemplate)
        return 0;
    try {
        const cv::Rect cut = cutFrom ? cv::Rect(cutFrom->x(), cutFrom->y(), cutFrom->width(), cutFrom->height())
                                     : cv::Rect();
        return TrackTemplateMatch(qimage_to_mat_cpy(*frame, CV_8UC4), qimage_to_mat_cpy(*objectTemplate, CV_8UC4),
                                  location, error, cut) ? 1 : 0;
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
