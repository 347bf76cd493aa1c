#pragma once
// The workspace's share of video-analysis windows: the copy of a window's video placed beside
// the workspace file, and passing over a video record no window can take.
#include <QString>

class QDataStream;

// The name of the copy for a workspace file and a window's serial number: the workspace's
// base name (the file suffix removed), "_serial" for every window after the first, and the
// video's own suffix.
QString VideoCopyName(const QString& workspacePath, const QString& videoPath, int serial);

// Makes sure a copy of videoPath lies beside the workspace file and returns its file name, or a
// null text when no copy could be made. A file already at the copy's place is taken only when it
// is the same video; otherwise the next free name is used, so another workspace's video is never
// taken for this one. copyPath receives the copy's full path.
QString PlaceVideoCopy(const QString& workspacePath, const QString& videoPath, int serial, QString* copyPath);

// Reads a video-analysis record (after its begin tag) up to its end tag and keeps nothing.
// Returns 0, or -4 when the stream ends first.
int SkipVideoRecord(QDataStream& in);
