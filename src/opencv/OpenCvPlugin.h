#pragma once
// The entry points of the OpenCV plugins: OpenCV and the libraries it brings are loaded the
// first time they are needed, not when the program starts. The video reader (library
// korvanta_videoreader, OpenCV's file readers and some 240 codec libraries) when a video is
// first opened; template matching and the Fourier transform (library korvanta_opencv, OpenCV's
// core and image processing with their linear algebra, threading and GL libraries) when an
// object is first tracked or a spectrum first computed. Every entry point lets no exception out.
class QImage;
class QPoint;
class QRect;
class QString;

// Opens the file at path (UTF-8) and writes its frame count and frame rate as the reader reports
// them (unchecked). 1 when the file opened, 0 otherwise; the out-values are then left alone.
extern "C" int korvanta_video_probe(const char* path, double* frameCount, double* fps);
using KorvantaVideoProbeFunction = int (*)(const char* path, double* frameCount, double* fps);
constexpr const char* s_VideoProbeSymbol = "korvanta_video_probe";

// Searches frame for objectTemplate (template matching, squared differences) and writes the
// top-left corner of the best match. cutFrom, when not null, is the rectangle of the frame the
// object was cut from (see TrackTemplateMatch). 1 on success; 0 with the reason in error otherwise.
extern "C" int korvanta_track_template(const QImage* frame, const QImage* objectTemplate, const QRect* cutFrom,
                                       QPoint* location, QString* error);
using KorvantaTrackTemplateFunction = int (*)(const QImage*, const QImage*, const QRect*, QPoint*, QString*);
constexpr const char* s_TrackTemplateSymbol = "korvanta_track_template";

// The object tracker of one tracking run (CObjectTracker in the plugin), for an object template
// cut from its frame at cutFrom (null when that is not known): null, with the reason in error,
// when the template cannot be tracked. The run's frames go through korvanta_tracker_track in
// their order, each giving the top-left corner of the object (1 on success; 0 with the reason in
// error otherwise); korvanta_tracker_free ends the run. One run's tracker is used by one thread.
extern "C" void* korvanta_tracker_new(const QImage* objectTemplate, const QRect* cutFrom, QString* error);
extern "C" int korvanta_tracker_track(void* tracker, const QImage* frame, QPoint* location, QString* error);
extern "C" void korvanta_tracker_free(void* tracker);
using KorvantaTrackerNewFunction = void* (*)(const QImage*, const QRect*, QString*);
using KorvantaTrackerTrackFunction = int (*)(void*, const QImage*, QPoint*, QString*);
using KorvantaTrackerFreeFunction = void (*)(void*);
constexpr const char* s_TrackerNewSymbol = "korvanta_tracker_new";
constexpr const char* s_TrackerTrackSymbol = "korvanta_tracker_track";
constexpr const char* s_TrackerFreeSymbol = "korvanta_tracker_free";

// The magnitudes |X_m| / count of the discrete Fourier transform of count real values, for
// m = 0 .. bins - 1 (bins <= count), written to out. 1 on success, 0 otherwise.
extern "C" int korvanta_fourier_magnitudes(const double* values, int count, int bins, double* out);
using KorvantaFourierFunction = int (*)(const double*, int, int, double*);
constexpr const char* s_FourierSymbol = "korvanta_fourier_magnitudes";

constexpr const char* s_OpenCvLibrary = "korvanta_opencv";
constexpr const char* s_VideoReaderLibrary = "korvanta_videoreader";
