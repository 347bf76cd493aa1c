// The yardstick of start-up: an empty main window of the same size as the program's.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.resize(1024, 768);
    window.show();
    return app.exec();
}
