// Every image path that the sources name must be compiled in and load as a real image.
#include <QDirIterator>
#include <QImage>
#include <QRegularExpression>
#include "common/TestMain.h"

class TestResources : public QObject
{
    Q_OBJECT
private slots:
    void everyReferencedImageLoads()
    {
        const QString root = qEnvironmentVariable("KORVANTA_SOURCE_DIR", KORVANTA_SOURCE_DIR);
        const QRegularExpression re(QStringLiteral("\"(:/+images/[^\"]+\\.(png|svg|jpg|gif))\""));
        QSet<QString> paths;
        QDirIterator it(root + "/src", {"*.cpp", "*.h", "*.ui"}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile f(it.next());
            QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(f.fileName()));
            const QString text = QString::fromUtf8(f.readAll());
            for (auto m = re.globalMatch(text); m.hasNext();) paths.insert(m.next().captured(1));
        }
        QStringList missing;
        for (const QString& p : qAsConst(paths)) {
            QImage img(p);
            if (img.isNull() || img.width() == 0) missing << p;
        }
        missing.sort();
        QVERIFY2(missing.isEmpty(), qPrintable("images that do not load: " + missing.join(", ")));
    }
    void defaultSensorIconIsPresent()
    {
        const QImage img(QStringLiteral(":/images/Sensors/Sensor-Icon.png"));
        QVERIFY(!img.isNull());
        QCOMPARE(img.size(), QSize(48, 48));
    }
};

KORVANTA_TEST_GUILESS_MAIN(TestResources)
#include "tst_resources.moc"
