#include "opencv/plugin/ObjectTracker.h"

#include "opencv/OpenCvPlugin.h"
#include "opencv/plugin/TemplateMatch.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <QPoint>
#include <QRect>

#include <algorithm>

namespace {

// The colour guess counts as much as this many frames that showed whether a pixel moves.
constexpr float s_ColourFrames = 2.0f;
// No pixel counts less than this, so that the scenery still settles a tie of the object's places.
constexpr float s_MinWeight = 0.01f;
// The share of its weight an object's outermost pixel keeps.
constexpr float s_RimShare = 0.3f;
// A frame teaches only when at least this share of the weighed template agrees with it where the
// object was found: an object hidden or lost must not teach that the scenery is the object.
constexpr double s_MinAgreement = 0.5;
// A match this many times worse than the last one (and worse by more than compression does)
// may be the scenery: the object is then looked for in the whole frame.
constexpr double s_LostFactor = 4.0;
constexpr double s_ErrorFloor = 3.0 * 16.0 * 16.0;
// The search looks at least this far around the place the last motion leads to.
constexpr int s_MinSearchRadius = 16;
// Colours are compared in cubes of this many levels a channel, coarse enough that compression
// keeps a pixel in its cube.
constexpr int s_ColourStep = 32;
constexpr int s_ColourLevels = 256 / s_ColourStep;

int colourBin(const cv::Vec3b& c)
{
    return (c[0] / s_ColourStep * s_ColourLevels + c[1] / s_ColourStep) * s_ColourLevels + c[2] / s_ColourStep;
}

// Per pixel of objectTemplate, how much more common its colour is in the template than in the
// scenery around the place it was cut from (the frame within a template's size of cutFrom, less
// cutFrom itself): 1 for a colour the scenery does not show, 0 for one at least as common there.
cv::Mat colourWeights(const cv::Mat& objectTemplate, const cv::Mat& frame, const cv::Rect& cutFrom)
{
    const cv::Rect around = cv::Rect(cutFrom.x - cutFrom.width, cutFrom.y - cutFrom.height, 3 * cutFrom.width,
                                     3 * cutFrom.height)
                            & cv::Rect(0, 0, frame.cols, frame.rows);
    std::vector<double> inTemplate(s_ColourLevels * s_ColourLevels * s_ColourLevels, 0.0);
    std::vector<double> inScenery(inTemplate.size(), 0.0);
    for (int y = 0; y < objectTemplate.rows; ++y)
        for (int x = 0; x < objectTemplate.cols; ++x)
            inTemplate[colourBin(objectTemplate.at<cv::Vec3b>(y, x))] += 1.0;
    double scenery = 0.0;
    for (int y = around.y; y < around.br().y; ++y)
        for (int x = around.x; x < around.br().x; ++x)
            if (!cutFrom.contains(cv::Point(x, y))) {
                inScenery[colourBin(frame.at<cv::Vec3b>(y, x))] += 1.0;
                scenery += 1.0;
            }
    cv::Mat weights(objectTemplate.size(), CV_32F, cv::Scalar(1.0f));
    if (scenery <= 0.0)
        return weights;
    const double share = double(objectTemplate.total()) / scenery;
    for (int y = 0; y < objectTemplate.rows; ++y)
        for (int x = 0; x < objectTemplate.cols; ++x) {
            const int bin = colourBin(objectTemplate.at<cv::Vec3b>(y, x));
            weights.at<float>(y, x) = float(std::clamp(1.0 - inScenery[bin] * share / inTemplate[bin], 0.0, 1.0));
        }
    return weights;
}

} // namespace

bool CObjectTracker::Start(const cv::Mat& objectTemplate, const cv::Rect& cutFrom, QString* error)
{
    *this = CObjectTracker();
    if (objectTemplate.empty() || objectTemplate.type() != CV_8UC3) {
        if (error)
            *error = QStringLiteral("The object is empty.");
        return false;
    }
    m_Template = objectTemplate.clone();
    if (cutFrom.size() == objectTemplate.size())
        m_CutFrom = cutFrom;
    m_Told = cv::Mat::zeros(objectTemplate.size(), CV_32F);
    m_Moved = cv::Mat::zeros(objectTemplate.size(), CV_32F);
    return true;
}

cv::Mat CObjectTracker::stillPixels(const cv::Mat& frame) const
{
    if (m_CutFrom.empty() || (m_CutFrom & cv::Rect(0, 0, frame.cols, frame.rows)) != m_CutFrom)
        return cv::Mat();
    return SameColour(m_Template, frame(m_CutFrom));
}

cv::Mat CObjectTracker::Weights() const
{
    if (m_Template.empty() || (m_Colour.empty() && !m_Learnt))
        return cv::Mat();
    const cv::Mat guess = m_Colour.empty() ? cv::Mat(m_Template.size(), CV_32F, cv::Scalar(1.0f)) : m_Colour;
    cv::Mat w;
    cv::divide(m_Moved + s_ColourFrames * guess, m_Told + s_ColourFrames, w);
    double largest = 0.0;
    cv::minMaxLoc(w, nullptr, &largest);
    if (largest <= s_MinWeight)
        return cv::Mat();
    // An object's rim is part scenery: how it looks depends on what lies behind it, and more so
    // once compressed. It keeps a little of its weight, enough to place a plain object exactly.
    cv::Mat inner;
    cv::erode(w, inner, cv::Mat());
    w = inner + s_RimShare * (w - inner);
    return cv::max(w / largest, s_MinWeight);
}

double CObjectTracker::matchError(const cv::Mat& frame, const cv::Point& at, const cv::Mat& weights) const
{
    cv::Mat difference;
    cv::absdiff(m_Template, frame(cv::Rect(at, m_Template.size())), difference);
    difference.convertTo(difference, CV_32F);
    difference = difference.mul(difference);
    cv::Mat summed;
    cv::transform(difference, summed, cv::Matx13f(1.0f, 1.0f, 1.0f));
    if (weights.empty())
        return cv::mean(summed)[0];
    const cv::Mat squared = weights.mul(weights);
    const double total = cv::sum(squared)[0];
    return total > 0.0 ? cv::sum(summed.mul(squared))[0] / total : 0.0;
}

cv::Rect CObjectTracker::searchArea(const cv::Size& frame) const
{
    const cv::Rect whole(cv::Point(0, 0), frame);
    if (m_Track.empty())
        return whole;
    const cv::Point last = m_Track.back();
    const cv::Point predicted = m_Track.size() < 2 ? last : last + (last - m_Track.front());
    // The object may move its selection's size a frame beyond what its last motion leads to.
    const int radius = std::max(s_MinSearchRadius, std::max(m_Template.cols, m_Template.rows));
    const cv::Rect area = cv::Rect(predicted.x - radius, predicted.y - radius, m_Template.cols + 2 * radius,
                                   m_Template.rows + 2 * radius)
                          & whole;
    if (area.width < m_Template.cols || area.height < m_Template.rows)
        return whole;
    return area;
}

void CObjectTracker::learn(const cv::Mat& frame, const cv::Mat& still, const cv::Mat& weights, const cv::Point& at)
{
    const cv::Rect placed(at, m_Template.size());
    if (still.empty() || placed == m_CutFrom)
        return;   // the object has not left its place: nothing tells it from the scenery
    const cv::Mat moves = SameColour(m_Template, frame(placed));
    if (!weights.empty()) {
        cv::Mat agreeing = cv::Mat::zeros(weights.size(), CV_32F);
        weights.copyTo(agreeing, moves);
        if (cv::sum(agreeing)[0] < s_MinAgreement * cv::sum(weights)[0])
            return;
    }
    // Where the object now lies over its old place, the frame shows the template shifted by the
    // motion: a scenery pixel there agrees with the moved object by chance, not by moving.
    const cv::Point shift = at - m_CutFrom.tl();
    cv::Mat covered(m_Template.size(), CV_8U, cv::Scalar(0));
    const cv::Rect overlap = cv::Rect(shift, m_Template.size()) & cv::Rect(cv::Point(0, 0), m_Template.size());
    if (!overlap.empty())
        SameColour(frame(m_CutFrom)(overlap), m_Template(overlap - shift)).copyTo(covered(overlap));
    // A pixel that left its place and is found with the object moves with it; one that stayed
    // and is not found with the object is scenery. Pixels that do both (plain areas, the part
    // of the object lying over its old place) or neither tell nothing.
    const cv::Mat object = moves & ~still & ~covered;
    const cv::Mat scenery = still & ~moves;
    cv::add(m_Told, 1.0, m_Told, object | scenery);
    cv::add(m_Moved, 1.0, m_Moved, object);
    m_Learnt = true;
}

bool CObjectTracker::Track(const cv::Mat& frame, cv::Point* location, QString* error)
{
    if (m_Template.empty()) {
        if (error)
            *error = QStringLiteral("No object has been selected.");
        return false;
    }
    if (!TemplateFits(frame, m_Template, error))
        return false;
    try {
        const cv::Mat still = stillPixels(frame);
        if (m_Colour.empty() && !still.empty())
            m_Colour = colourWeights(m_Template, frame, m_CutFrom);
        const cv::Mat weights = Weights();
        const cv::Rect whole(0, 0, frame.cols, frame.rows);
        const cv::Rect area = searchArea(frame.size());
        cv::Point best = BestPlaceIn(frame, m_Template, weights, area);
        double misfit = matchError(frame, best, weights);
        // Found on the edge of the area, or fitting far worse than before, the object may lie
        // beyond the area (a kick, a bounce, a jump of the video): the whole frame is searched,
        // and the better of the two places taken.
        const bool onEdge = (best.x == area.x && area.x > 0) || (best.y == area.y && area.y > 0)
                            || (best.x + m_Template.cols == area.br().x && area.br().x < frame.cols)
                            || (best.y + m_Template.rows == area.br().y && area.br().y < frame.rows);
        if (area != whole && (onEdge || misfit > s_LostFactor * m_LastError + s_ErrorFloor)) {
            const cv::Point elsewhere = BestPlaceIn(frame, m_Template, weights, whole);
            const double elsewhereMisfit = matchError(frame, elsewhere, weights);
            if (elsewhereMisfit < misfit) {
                best = elsewhere;
                misfit = elsewhereMisfit;
            }
        }
        m_LastError = misfit;
        learn(frame, still, weights, best);
        m_Track.push_back(best);
        if (m_Track.size() > 2)
            m_Track.erase(m_Track.begin());
        if (location)
            *location = best;
        return true;
    } catch (const cv::Exception& e) {
        if (error)
            *error = QString::fromStdString(e.what());
        return false;
    }
}

extern "C" __attribute__((visibility("default"))) void* korvanta_tracker_new(const QImage* objectTemplate,
                                                                            const QRect* cutFrom, QString* error)
{
    if (!objectTemplate)
        return nullptr;
    try {
        const cv::Rect cut = cutFrom ? cv::Rect(cutFrom->x(), cutFrom->y(), cutFrom->width(), cutFrom->height())
                                     : cv::Rect();
        auto* tracker = new CObjectTracker;
        if (tracker->Start(qimage_to_mat_cpy(*objectTemplate, CV_8UC4), cut, error))
            return tracker;
        delete tracker;
    } catch (const std::exception& e) {
        if (error)
            *error = QString::fromLocal8Bit(e.what());
    } catch (...) {
    }
    return nullptr;
}

extern "C" __attribute__((visibility("default"))) int korvanta_tracker_track(void* tracker, const QImage* frame,
                                                                            QPoint* location, QString* error)
{
    if (!tracker || !frame)
        return 0;
    try {
        cv::Point at;
        if (!static_cast<CObjectTracker*>(tracker)->Track(qimage_to_mat_cpy(*frame, CV_8UC4), &at, error))
            return 0;
        if (location)
            *location = QPoint(at.x, at.y);
        return 1;
    } catch (const std::exception& e) {
        if (error)
            *error = QString::fromLocal8Bit(e.what());
    } catch (...) {
    }
    return 0;
}

extern "C" __attribute__((visibility("default"))) void korvanta_tracker_free(void* tracker)
{
    delete static_cast<CObjectTracker*>(tracker);
}
