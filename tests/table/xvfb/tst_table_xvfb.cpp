// A table of two filled columns on a real X server: the screenshot is saved and checked to
// show the cell grey, the header's title colours and the borders, not a blank window.
#include "common/TableRig.h"
#include "table/TableDelegate.h"
#include "table/TableModel.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QSet>
#include "common/AwaitScreen.h"
#include "common/TestMain.h"

class TestTableXvfb : public QObject
{
    Q_OBJECT
private slots:
    void filledTableIsDrawn();
};

void TestTableXvfb::filledTableIsDrawn()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X server (run under Xvfb)");
    CTableHost host;
    CDataFolder* run = host.addRun({1, 2}, 400, 0.1);
    CTableWindow* table = host.newTable();
    const QColor red(220, 60, 60);
    const QColor blue(60, 90, 220);
    table->addColumnByKey(run->GetBranchKey(0), &red);
    table->addColumnByKey(run->GetBranchKey(1), &blue);
    table->bodyModel()->setRowCount(400);
    host.resize(700, 600);
    table->setGeometry(0, 0, 600, 550);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    QString problem;
    const QImage shot = KorvantaTest::AwaitScreen(
        [&](const QImage& screen) -> QString {
            QSet<QRgb> colours;
            int cellGrey = 0;
            bool sawRed = false;
            bool sawBlue = false;
            for (int y = 0; y < screen.height(); y += 2)
                for (int x = 0; x < screen.width(); x += 2) {
                    const QRgb p = screen.pixel(x, y) & 0xffffff;
                    colours.insert(p);
                    cellGrey += QColor(p) == QColor(238, 238, 238);
                    sawRed = sawRed || QColor(p) == red;
                    sawBlue = sawBlue || QColor(p) == blue;
                }
            if (colours.size() <= 20 || cellGrey <= 1000 || !sawRed || !sawBlue)
                return QStringLiteral("%1 colours, %2 grey cell pixels, red %3, blue %4")
                    .arg(colours.size()).arg(cellGrey).arg(sawRed).arg(sawBlue);
            return QString();
        },
        &problem, host.winId());
    QDir().mkpath(SCREENSHOT_DIR);
    shot.save(QDir(SCREENSHOT_DIR).filePath("table.png"));
    QVERIFY(!shot.isNull());
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

KORVANTA_TEST_MAIN(TestTableXvfb)
#include "tst_table_xvfb.moc"
