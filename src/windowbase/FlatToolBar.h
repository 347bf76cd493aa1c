#pragma once
// A tool bar without a frame or background of its own, for the child windows: it draws its
// buttons only, and they start at the bar's item margin. The child windows' tool bars are such bars. A style sheet
// could say as much, but it puts the bar and every button on it through the style-sheet
// machinery, whose rule matching and polishing made up much of the cost of opening a window.
#include <QToolBar>

class CFlatToolBar : public QToolBar
{
public:
    explicit CFlatToolBar(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // The bar's margins leave no room for a frame; the style's own are put back at each style
    // change.
    void dropFrameMargin();
};
