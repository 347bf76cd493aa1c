#pragma once
// The entry point of the video reader plugin (library korvanta_videoprobe).

// Opens the file at path (UTF-8) and writes its frame count and frame rate as the reader reports
// them (unchecked). 1 when the file opened, 0 otherwise; the out-values are then left alone.
extern "C" int korvanta_video_probe(const char* path, double* frameCount, double* fps);
using KorvantaVideoProbeFunction = int (*)(const char* path, double* frameCount, double* fps);
constexpr const char* s_VideoProbeSymbol = "korvanta_video_probe";
constexpr const char* s_VideoProbeLibrary = "korvanta_videoprobe";
