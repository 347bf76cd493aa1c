#pragma once
// Finding the selected object in a video frame by template matching (squared differences over
// the whole frame), and the image conversion it needs. Part of the OpenCV plugin; the program
// calls it through TrackTemplateMatch (tracking/TemplateTracker.h).
#include <QImage>
#include <QPoint>
#include <QString>

#include <opencv2/core/mat.hpp>
#include <opencv2/core/types.hpp>

// The image's pixels as an 8-bit three-channel matrix in red, green, blue order that owns its
// buffer. type must be CV_8UC4 (24): the image is taken as 32-bit pixels, so any other image
// format is first converted to a 32-bit one. An empty matrix for a null image or another type.
cv::Mat qimage_to_mat_cpy(const QImage& image, int type);

// Searches frame for objectTemplate and gives the top-left corner of the best match, in frame
// pixels. cutFrom is the rectangle of its frame the object was cut from, or empty when unknown.
// False, with the reason in error, when the template is empty or larger than the frame or the
// matching itself fails; the location is then left alone.
bool TrackTemplateMatch(const cv::Mat& frame, const cv::Mat& objectTemplate, QPoint* location, QString* error,
                        const cv::Rect& cutFrom = cv::Rect());

// The pixels of objectTemplate that differ from what frame shows at cutFrom, the place the
// template was cut from: in a still camera's picture these moved with the object, the others
// are the scenery cut out around it. An empty matrix when that cannot be told: cutFrom is not
// the template's size inside the frame, or too few pixels differ (the object has not moved off
// its place, or the picture itself changed little).
cv::Mat MovedPixels(const cv::Mat& frame, const cv::Mat& objectTemplate, const cv::Rect& cutFrom);

// Where two pictures of one size show the same colour, up to what compression changes: 255
// there, 0 elsewhere (8-bit, one channel).
cv::Mat SameColour(const cv::Mat& a, const cv::Mat& b);

// The top-left corner of the best place of objectTemplate whose whole lies in area (frame
// pixels, inside frame, at least the template's size), by squared differences, each template
// pixel's difference counted by its weight (32-bit float, the template's size), or all alike when
// weights is empty. A large area is searched coarse to fine. OpenCV's exceptions pass through.
cv::Point BestPlaceIn(const cv::Mat& frame, const cv::Mat& objectTemplate, const cv::Mat& weights, const cv::Rect& area);

// True when the template can be searched for in frame: neither is empty, they are of one type
// and the template is no larger than the frame; false with the reason in error otherwise.
bool TemplateFits(const cv::Mat& frame, const cv::Mat& objectTemplate, QString* error);
