// korvanta on a real X server: it starts, its main window appears and is drawn (the screenshot
// is checked not to be blank), and it exits cleanly when the window is closed.
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include "common/TestMain.h"

#include <memory>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

// The top-level window whose name is the given title, searched depth first; 0 when none.
Window findWindow(Display* d, Window w, const char* title)
{
    char* name = nullptr;
    if (XFetchName(d, w, &name) && name) {
        const bool match = qstrcmp(name, title) == 0;
        XFree(name);
        if (match) {
            XWindowAttributes a;
            if (XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable)
                return w;
        }
    }
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int n = 0;
    if (!XQueryTree(d, w, &root, &parent, &children, &n))
        return 0;
    Window found = 0;
    for (unsigned int i = 0; i < n && !found; ++i)
        found = findWindow(d, children[i], title);
    if (children)
        XFree(children);
    return found;
}

QImage grab(Display* d, Window w)
{
    XWindowAttributes a;
    if (!XGetWindowAttributes(d, w, &a) || a.width <= 0 || a.height <= 0)
        return QImage();
    XImage* xi = XGetImage(d, w, 0, 0, unsigned(a.width), unsigned(a.height), AllPlanes, ZPixmap);
    if (!xi)
        return QImage();
    QImage img(a.width, a.height, QImage::Format_RGB32);
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            const unsigned long p = XGetPixel(xi, x, y);
            img.setPixel(x, y, qRgb(int((p & xi->red_mask) >> 16), int((p & xi->green_mask) >> 8),
                                    int(p & xi->blue_mask)));
        }
    XDestroyImage(xi);
    return img;
}

// What shows the main window is not drawn yet, or not at its final size; empty once it is.
QString notDrawn(const QImage& shot, int screenWidth, int screenHeight)
{
    if (shot.isNull())
        return QStringLiteral("no picture of the window");
    // The window opens maximised; with no window manager to honour that (as here) it still
    // fills the screen rather than opening at its minimum size.
    if (shot.width() < screenWidth * 9 / 10 || shot.height() < screenHeight * 9 / 10)
        return QStringLiteral("%1x%2 on a %3x%4 screen").arg(shot.width()).arg(shot.height()).arg(screenWidth).arg(screenHeight);
    QSet<QRgb> colours;
    int areaGrey = 0, plotWhite = 0, samples = 0;
    for (int y = 0; y < shot.height(); y += 3)
        for (int x = 0; x < shot.width(); x += 3) {
            const QRgb c = shot.pixel(x, y);
            colours.insert(c);
            ++samples;
            if (c == qRgb(96, 96, 96))
                ++areaGrey;
            else if (c == qRgb(255, 255, 255))
                ++plotWhite;
        }
    // Not blank: a drawn window has menus, tabs and icons in many colours, and the document
    // area below them in its grey, mostly covered by the setup, history and start-up graph
    // windows (the graph's white plot area the largest).
    if (colours.size() < 16 || areaGrey <= samples / 100 || plotWhite <= samples / 4)
        return QStringLiteral("%1 colours, %2 grey and %3 white of %4").arg(colours.size()).arg(areaGrey).arg(plotWhite)
            .arg(samples);
    return QString();
}

} // namespace

class TestShellXvfbStart : public QObject
{
    Q_OBJECT
private slots:
    void startsShowsAndExits();
};

void TestShellXvfbStart::startsShowsAndExits()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X server (scripts/test.sh runs it under Xvfb)");
    Display* display = XOpenDisplay(nullptr);
    QVERIFY2(display, "cannot open the X display");
    const std::unique_ptr<Display, int (*)(Display*)> closer(display, XCloseDisplay);

    QTemporaryDir home;
    QProcess korvanta;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("XDG_CONFIG_HOME", home.path());
    // The program draws no OpenGL; without the GLX integration the Mesa library's own
    // process-lifetime allocations stay out of the leak check.
    env.insert("QT_XCB_GL_INTEGRATION", "none");
    korvanta.setProcessEnvironment(env);
    // Its diagnostics and any sanitizer report go straight to the test's log.
    korvanta.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    korvanta.start(KORVANTA_BIN, QStringList());
    QVERIFY2(korvanta.waitForStarted(10000), qPrintable(korvanta.errorString()));

    QByteArray out;
    QRegularExpression shown("Main window shown after (\\d+) ms");
    QElapsedTimer clock;
    clock.start();
    while (!shown.match(QString::fromUtf8(out)).hasMatch() && clock.elapsed() < 30000) {
        korvanta.waitForReadyRead(200);
        out += korvanta.readAllStandardOutput();
        QVERIFY2(korvanta.state() == QProcess::Running, out.constData());
    }
    const auto m = shown.match(QString::fromUtf8(out));
    QVERIFY2(m.hasMatch(), out.constData());
    QVERIFY(out.contains("Sensor catalogue: 149 sensor types"));
    qInfo("korvanta: main window shown after %s ms", qPrintable(m.captured(1)));

    Window window = 0;
    QTRY_VERIFY2_WITH_TIMEOUT((window = findWindow(display, DefaultRootWindow(display), "Pavix")) != 0,
                              "the main window did not appear", 10000);

    // Grabbed until it is drawn at its final size, or as it still is when that never comes.
    const int screenWidth = DisplayWidth(display, DefaultScreen(display));
    const int screenHeight = DisplayHeight(display, DefaultScreen(display));
    QImage shot;
    QString problem;
    const bool drawn = QTest::qWaitFor(
        [&] {
            shot = grab(display, window);
            problem = notDrawn(shot, screenWidth, screenHeight);
            return problem.isEmpty();
        },
        30000);
    QVERIFY(!shot.isNull());
    shot.save(QDir(SCREENSHOT_DIR).filePath("korvanta-main-window.png"));
    QVERIFY2(drawn, qPrintable(problem));

    // Close it as a window manager would.
    XEvent ev = {};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = window;
    ev.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    ev.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &ev);
    XFlush(display);
    QVERIFY2(korvanta.waitForFinished(15000), "korvanta did not exit");
    QCOMPARE(korvanta.exitStatus(), QProcess::NormalExit);
    QCOMPARE(korvanta.exitCode(), 0);
}

KORVANTA_TEST_GUILESS_MAIN(TestShellXvfbStart)
#include "tst_shell_xvfb_start.moc"
