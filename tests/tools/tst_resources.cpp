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
    // A command or sensor icon is a pictogram: drawn from a theme icon or from an SVG drawing of
    // ours that holds no text, except the short label of a sensor family that has no other
    // sign (next to a drawing); and each picture has its double-density twin.
    void everyIconIsAPictogram()
    {
        const QString root = qEnvironmentVariable("KORVANTA_SOURCE_DIR", KORVANTA_SOURCE_DIR) + "/resources";
        const QStringList manifests = QDir(root + "/manifests").entryList({"*.manifest"}, QDir::Files);
        QVERIFY(!manifests.isEmpty());
        const QRegularExpression token(QStringLiteral("\"[^\"]*\"|\\S+"));
        const QRegularExpression shape(QStringLiteral("<(path|circle|rect|polygon|polyline|line|ellipse)\\b"));
        int icons = 0;
        for (const QString& name : manifests) {
            QFile f(root + "/manifests/" + name);
            QVERIFY(f.open(QIODevice::ReadOnly | QIODevice::Text));
            for (const QString& raw : QString::fromUtf8(f.readAll()).split('\n')) {
                const QString line = raw.trimmed();
                if (line.isEmpty() || line.startsWith('#')) continue;
                QStringList t;
                for (auto m = token.globalMatch(line); m.hasNext();) t << m.next().captured(0).remove('"');
                const QString where = name + ": " + t.value(0);
                QVERIFY2(t.size() >= 4 && (t.at(2) == "svg" || t.at(2) == "theme"), qPrintable(where));
                QVERIFY2(QFile::exists(":/" + t.at(0)), qPrintable(where));
                QString twin = ":/" + t.at(0);
                twin.insert(twin.lastIndexOf('.'), "@2x");
                QVERIFY2(QImage(twin).size() == QImage(":/" + t.at(0)).size() * 2, qPrintable(where));
                const int side = t.at(1).section('x', 0, 0).toInt();
                if (t.at(2) != "svg" || side > 64) continue;
                ++icons;
                QFile svg(root + "/svg/" + t.at(3));
                QVERIFY2(svg.open(QIODevice::ReadOnly), qPrintable(where));
                const QString text = QString::fromUtf8(svg.readAll());
                int shapes = 0;
                for (auto m = shape.globalMatch(text); m.hasNext(); m.next()) ++shapes;
                if (text.contains("<text")) {
                    QVERIFY2(t.at(0).contains("/Sensors/") && shapes >= 3, qPrintable(where + " is a text badge"));
                } else {
                    QVERIFY2(shapes >= 1, qPrintable(where + " draws nothing"));
                }
            }
        }
        QVERIFY(icons > 100);
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
