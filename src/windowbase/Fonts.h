#pragma once
// The forms and drawings name fonts that Debian does not ship (Arial, Helvetica). Left alone,
// the font matcher falls back to whatever family it meets first, a maths or a script face;
// so every such name is pointed at a packaged face with the same metrics, and the
// application font is a packaged family as well.
#include <QString>
#include <QStringList>

namespace KorvantaFonts {

// The packaged sans-serif families, in order of preference.
QStringList SansFamilies();
// Points the missing names at the packaged faces and sets the application font's family.
// Runs once; later calls do nothing.
void Install();
// The family of available that stands for wanted: wanted itself when it is there, else the
// first packaged sans family that is there, else an empty string.
QString Choose(const QStringList& available, const QString& wanted);

} // namespace KorvantaFonts
