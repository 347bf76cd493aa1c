// The frameless tool bar of the child windows against the bar a "border:none" style sheet made:
// the same buttons in the same places and the same pixels over the window beneath.
#include "windowbase/FlatToolBar.h"

#include <QPainter>
#include <QToolButton>

#include "common/TestMain.h"

class TestFlatToolbar : public QObject
{
    Q_OBJECT
private slots:
    void drawsAsTheStyleSheetBarDid_data();
    void drawsAsTheStyleSheetBarDid();
};

namespace {

// A patterned window with a grey bar at (30, 10); a bar with a style sheet drew no background
// even when asked to fill it (the graph's bar asked so), the flat bar is not asked.
QToolBar* Place(QWidget& window, QToolBar* bar, int width, int actions, bool fill, bool disabled)
{
    window.resize(320, 70);
    window.setAutoFillBackground(true);
    QPalette wp;
    wp.setBrush(QPalette::Window, QBrush(QColor(30, 90, 160), Qt::Dense4Pattern));
    window.setPalette(wp);
    bar->setParent(&window);
    QPalette p = bar->palette();
    p.setColor(QPalette::Window, QColor(192, 192, 192));
    p.setColor(QPalette::Button, QColor(192, 192, 192));
    bar->setPalette(p);
    bar->setAutoFillBackground(fill);
    bar->setMovable(false);
    bar->setIconSize(QSize(24, 24));
    bar->setGeometry(30, 10, width, 40);
    for (int i = 0; i < actions; ++i) {
        QPixmap swatch(24, 24);
        swatch.fill(QColor::fromHsv((i * 47) % 360, 200, 220));
        QAction* a = bar->addAction(QIcon(swatch), QStringLiteral("Act %1").arg(i));
        a->setCheckable(i % 3 == 0);
        a->setChecked(i == 3);   // a checked button is drawn in the application's colours
        a->setEnabled(!(disabled && i % 2));
    }
    return bar;
}

} // namespace

void TestFlatToolbar::drawsAsTheStyleSheetBarDid_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("actions");
    QTest::addColumn<bool>("fill");
    QTest::addColumn<bool>("disabled");
    QTest::newRow("two buttons on a wider bar") << 200 << 2 << false << false;
    QTest::newRow("bar asked to fill, reaching past the window") << 320 << 9 << true << false;
    QTest::newRow("some buttons disabled") << 290 << 8 << true << true;
    QTest::newRow("too narrow: the extension button shows") << 120 << 9 << false << false;
}

void TestFlatToolbar::drawsAsTheStyleSheetBarDid()
{
    QFETCH(int, width);
    QFETCH(int, actions);
    QFETCH(bool, fill);
    QFETCH(bool, disabled);
    QWidget before, now;
    auto* sheetBar = new QToolBar;
    sheetBar->setStyleSheet(QStringLiteral("QToolBar { border:none;}"));
    QToolBar* a = Place(before, sheetBar, width, actions, fill, disabled);
    QToolBar* b = Place(now, new CFlatToolBar, width, actions, false, disabled);
    const QImage expected = before.grab().toImage();
    const QImage got = now.grab().toImage();
    const QList<QToolButton*> was = a->findChildren<QToolButton*>();
    const QList<QToolButton*> is = b->findChildren<QToolButton*>();
    QCOMPARE(is.size(), was.size());
    QVERIFY(was.size() > actions);   // the actions' buttons and the extension button
    for (int i = 0; i < was.size(); ++i) {
        QCOMPARE(is.at(i)->geometry(), was.at(i)->geometry());
        QCOMPARE(is.at(i)->isVisibleTo(b), was.at(i)->isVisibleTo(a));
    }
    QVERIFY2(got == expected, "the bars' pixels differ");
}

KORVANTA_TEST_MAIN(TestFlatToolbar)
#include "tst_flat_toolbar.moc"
