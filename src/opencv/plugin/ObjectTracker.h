#pragma once
// Follows one object through the frames of a tracking run by template matching. The template
// is cut with scenery around the object; over a busy backdrop that scenery decides the match
// (it fits best where it was cut, or wherever a pattern repeats) unless it is left out. So each
// template pixel is weighed by how likely it belongs to the object: at first by its colour
// (the object is what the scenery around the selection does not show), then by what the frames
// show, since a still camera's scenery stays where it was while the object moves on. The search
// looks where the object's last motion leads. Part of the OpenCV plugin; the program uses it
// through CTemplateTracker (tracking/TemplateTracker.h).
#include <QString>

#include <opencv2/core/mat.hpp>
#include <opencv2/core/types.hpp>

#include <vector>

class CObjectTracker
{
public:
    // A new run: objectTemplate (8-bit, three channels) was cut from its frame at cutFrom; an
    // empty cutFrom, or one of another size, is taken as not known (the template is then matched
    // whole). False, with the reason in error, for an empty template.
    bool Start(const cv::Mat& objectTemplate, const cv::Rect& cutFrom, QString* error);
    // The top-left corner of the object in the next frame of the run (frame pixels). False,
    // with the reason in error, before a successful Start, for a frame of another type or smaller
    // than the template, or when the matching fails; the run then learns nothing from the frame.
    bool Track(const cv::Mat& frame, cv::Point* location, QString* error);

    // How much each template pixel counts in the next match, 0 to 1 (32-bit float, the
    // template's size); empty while they all count alike.
    cv::Mat Weights() const;

private:
    cv::Mat stillPixels(const cv::Mat& frame) const;
    cv::Rect searchArea(const cv::Size& frame) const;
    // The mean squared colour difference of the template placed at `at`, each pixel counted by
    // its squared weight, as the match counts it.
    double matchError(const cv::Mat& frame, const cv::Point& at, const cv::Mat& weights) const;
    // Teaches the weights from the object found at `at` with these weights.
    void learn(const cv::Mat& frame, const cv::Mat& still, const cv::Mat& weights, const cv::Point& at);

    cv::Mat m_Template;
    cv::Rect m_CutFrom;
    // Per template pixel (32-bit float): the guess from colour, made on the first frame; the
    // frames that told whether the pixel moves with the object; of those, the ones where it did.
    cv::Mat m_Colour;
    cv::Mat m_Told;
    cv::Mat m_Moved;
    bool m_Learnt = false;
    // The object's last two places, oldest first, and how well it fitted the last one.
    std::vector<cv::Point> m_Track;
    double m_LastError = 0.0;
};
