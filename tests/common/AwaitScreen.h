#pragma once
// What the X server shows, grabbed again and again until a check finds there what it looks
// for: a widget's paint reaches the server some time after the widget asked for it, later on a
// loaded machine, so a test waits for the picture it checks, never for a while.
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QString>
#include <QtTest>

namespace KorvantaTest {

// check(picture) says what is wrong with the picture, nothing once it is right. Returns the
// last picture grabbed of window (0: the whole screen); *problem is the check's last word.
template <typename Check>
QImage AwaitScreen(Check check, QString* problem, WId window = 0, int timeoutMs = 30000)
{
    QImage shot;
    (void)QTest::qWaitFor(
        [&] {
            shot = QGuiApplication::primaryScreen()->grabWindow(window).toImage();
            *problem = check(shot);
            return problem->isEmpty();
        },
        timeoutMs);
    return shot;
}

} // namespace KorvantaTest
