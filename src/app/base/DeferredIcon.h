#pragma once
// Icons whose picture is read when it is first drawn. A QIcon made from a file decodes the
// file at once, and before that it asks every image plugin whether it knows the format (a
// dozen libraries loaded); the ribbon and the tool bars make some two hundred icons at
// start-up, most of them for states (pressed, hover, disabled) that may never be shown.
// A deferred icon reads its file, and its "@2x" sibling on a high-density screen, on first use,
// by the file's suffix, and from then on behaves as an icon made from those pictures.
#include <QIcon>
#include <QString>

namespace KorvantaIcons {

QIcon Deferred(const QString& path);
inline QIcon Deferred(const char* path) { return Deferred(QString::fromLatin1(path)); }

} // namespace KorvantaIcons
