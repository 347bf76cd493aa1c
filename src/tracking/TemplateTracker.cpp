#include "tracking/TemplateTracker.h"

#include "opencv/OpenCvLibrary.h"

#include <QCoreApplication>

namespace {

QString notLoaded()
{
    return QCoreApplication::translate("CVideoAnlysisWindow", "The tracking library could not be loaded.");
}

} // namespace

bool TrackTemplateMatch(const QImage& frame, const QImage& objectTemplate, QPoint* location, QString* error,
                        const QRect& cutFrom)
{
    static const auto match = KorvantaOpenCv::Entry<KorvantaTrackTemplateFunction>(s_OpenCvLibrary, s_TrackTemplateSymbol);
    if (!match) {
        if (error)
            *error = notLoaded();
        return false;
    }
    return match(&frame, &objectTemplate, cutFrom.isNull() ? nullptr : &cutFrom, location, error) != 0;
}

CTemplateTracker::~CTemplateTracker()
{
    Stop();
}

bool CTemplateTracker::Start(const QImage& objectTemplate, const QRect& cutFrom, QString* error)
{
    Stop();
    static const auto make = KorvantaOpenCv::Entry<KorvantaTrackerNewFunction>(s_OpenCvLibrary, s_TrackerNewSymbol);
    if (!make) {
        if (error)
            *error = notLoaded();
        return false;
    }
    m_pTracker = make(&objectTemplate, cutFrom.isNull() ? nullptr : &cutFrom, error);
    return m_pTracker != nullptr;
}

bool CTemplateTracker::Track(const QImage& frame, QPoint* location, QString* error)
{
    static const auto track = KorvantaOpenCv::Entry<KorvantaTrackerTrackFunction>(s_OpenCvLibrary, s_TrackerTrackSymbol);
    if (!m_pTracker || !track) {
        if (error)
            *error = m_pTracker ? notLoaded() : QCoreApplication::translate("CVideoAnlysisWindow", "No object is being tracked.");
        return false;
    }
    return track(m_pTracker, &frame, location, error) != 0;
}

void CTemplateTracker::Stop()
{
    if (!m_pTracker)
        return;
    // The tracker was made by the plugin, so the plugin is loaded and frees it.
    static const auto release = KorvantaOpenCv::Entry<KorvantaTrackerFreeFunction>(s_OpenCvLibrary, s_TrackerFreeSymbol);
    if (release)
        release(m_pTracker);
    m_pTracker = nullptr;
}
