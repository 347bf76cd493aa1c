#include <QApplication>
#include <QTextStream>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral("4.00.000"));
    QTextStream(stdout) << "Korvanta " << QApplication::applicationVersion() << "\n";
    return 0;
}
