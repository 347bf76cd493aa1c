#include "tracking/TemplateTracker.h"

#include "opencv/OpenCvLibrary.h"

#include <QCoreApplication>

bool TrackTemplateMatch(const QImage& frame, const QImage& objectTemplate, QPoint* location, QString* error,
                        const QRect& cutFrom)
{
    static const auto match = KorvantaOpenCv::Entry<KorvantaTrackTemplateFunction>(s_OpenCvLibrary, s_TrackTemplateSymbol);
    if (!match) {
        if (error)
            *error = QCoreApplication::translate("CVideoAnlysisWindow", "The tracking library could not be loaded.");
        return false;
    }
    return match(&frame, &objectTemplate, cutFrom.isNull() ? nullptr : &cutFrom, location, error) != 0;
}
