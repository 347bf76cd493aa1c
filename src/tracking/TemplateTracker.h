#pragma once
// Finding the selected object in a video frame by template matching. The matching is OpenCV's,
// in the OpenCV plugin, loaded on first use.
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

// The object followed through the frames of one tracking run: each frame is searched where the
// object's motion leads, with the template's pixels weighed by how surely they belong to the
// object rather than to the scenery selected with it, which the run's frames tell more surely
// as the object moves. Used by one thread; copying is deleted.
class CTemplateTracker
{
public:
    CTemplateTracker() = default;
    ~CTemplateTracker();
    CTemplateTracker(const CTemplateTracker&) = delete;
    CTemplateTracker& operator=(const CTemplateTracker&) = delete;

    // Starts a run for objectTemplate, cut from its frame at cutFrom (a null rectangle, or one
    // of another size than the template, when that is not known), ending the run before. False,
    // with the reason in error, when the template is empty or the plugin cannot be loaded.
    bool Start(const QImage& objectTemplate, const QRect& cutFrom, QString* error);
    // The top-left corner of the object in the run's next frame, in frame pixels. False, with
    // the reason in error, when no run is started, the template is larger than the frame or the
    // matching fails; the location is then left alone.
    bool Track(const QImage& frame, QPoint* location, QString* error);
    void Stop();
    bool Started() const { return m_pTracker != nullptr; }

private:
    void* m_pTracker = nullptr;
};
