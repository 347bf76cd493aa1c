#pragma once
// Finding the selected object in a video frame by template matching (squared differences over
// the whole frame). The matching is OpenCV's, in the OpenCV plugin, loaded on first use.
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

// Searches frame for objectTemplate and gives the top-left corner of the best match, in frame
// pixels. cutFrom is where in its frame the object was cut (frame pixels), or a null rectangle
// when that is not known: it tells the object from the scenery cut out with it. False, with the
// reason in error, when the template is empty or larger than the frame, the matching itself
// fails or the plugin cannot be loaded; the location is then left alone.
bool TrackTemplateMatch(const QImage& frame, const QImage& objectTemplate, QPoint* location, QString* error,
                        const QRect& cutFrom = QRect());
