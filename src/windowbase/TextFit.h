#pragma once
// Windows whose forms fix their sizes, and dialogs whose titles name a series: never smaller
// than their texts need in the fonts at hand (a packaged font is wider than the one a form was
// drawn for, a series' name may be long), so no label, button or title is cut.
class QSize;
class QWidget;

namespace TextFit {

// Fixes w's size at designed, or larger where its layout needs more for its texts.
void FixSize(QWidget* w, const QSize& designed);

// Room a title bar takes besides its text: the window icon and the bar's buttons.
constexpr int TitleBarRoom = 140;
// The width w needs for its title to show whole in a title bar: the title in the bold
// application font and the bar's room, no wider than the screen it is on.
int TitleWidth(const QWidget* w);
// Raises w's minimum width to TitleWidth(w).
void FitTitle(QWidget* w);

} // namespace TextFit
