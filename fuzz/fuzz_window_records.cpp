// Arbitrary bytes as a window record of the workspace file: the reader returns 0 or the
// workspace error code, and a window it accepted has a position and size the document area
// can show. One offscreen application and one window serve every input.
#include "windowbase/KorvantaWindow.h"

#include <QApplication>
#include <QByteArray>
#include <QDataStream>

#include <cstdint>
#include <cstdlib>

namespace {

CKorvantaWindow& Window()
{
    static int argc = 1;
    static char name[] = "fuzz_window_records";
    static char* argv[] = {name, nullptr};
    static bool offscreen = qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* app = new QApplication(argc, argv);
    static CKorvantaWindow* window = new CKorvantaWindow(nullptr, Qt::WindowFlags());
    (void)offscreen;
    (void)app;
    return *window;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 8192)
        return 0;
    CKorvantaWindow& w = Window();
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), int(size));
    QDataStream in(bytes);
    const int rc = w.loadFromFile(&in);
    if (rc != 0 && rc != -4)
        std::abort();
    if (rc == 0) {
        const QRect g = w.geometry();
        const int far = CKorvantaWindow::s_MaxWindowExtent;
        if (g.width() < 1 || g.height() < 1 || g.width() > far || g.height() > far || g.x() < -far || g.x() > far ||
            g.y() < -far || g.y() > far)
            std::abort();
        // What was accepted is written again without trouble.
        QByteArray again;
        QDataStream out(&again, QIODevice::WriteOnly);
        if (w.saveToFile(&out) != 0)
            std::abort();
    }
    return 0;
}
