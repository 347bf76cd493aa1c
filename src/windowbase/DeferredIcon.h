#pragma once
// Icons whose pictures are read when first drawn. A QIcon made from a file decodes the file at
// once, and before that asks every image plug-in whether it knows the format (a dozen
// libraries loaded); the ribbon, the tool bars and the title bars make some two hundred icons
// at start-up, most of them for states (pressed, hover, disabled) that may never be shown.
// A deferred icon reads its files (with their "@2x" siblings on a high-density screen) on first
// use, by their suffixes, and from then on draws as an icon made from those files would.
#include <QIcon>
#include <QString>

#include <functional>

namespace KorvantaIcons {

// An icon of one picture file; an empty path gives a null icon.
QIcon Deferred(const QString& path);
inline QIcon Deferred(const char* path) { return Deferred(QString::fromLatin1(path)); }
// An icon with no picture yet: the files given to its addFile (one per mode and state) are
// read on first use.
QIcon Deferred();
// An icon that another maker (a style's standard icon) makes on first use.
QIcon Deferred(std::function<QIcon()> make);

} // namespace KorvantaIcons
