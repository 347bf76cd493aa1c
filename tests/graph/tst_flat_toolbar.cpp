// The frameless tool bar of the child windows against the bar a "border:none" style sheet makes:
// the same buttons in the same places, and the same pixels over the window beneath it.
#include "windowbase/FlatToolBar.h"

#include <QAction>
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

QIcon Swatch(int i)
{
    QPixmap p(24, 24);
    p.fill(Qt::transparent);
    QPainter painter(&p);
    painter.fillRect(3 + i % 5, 4, 12, 14, QColor::fromHsv((i * 47) % 360, 200, 220));
    return QIcon(p);
}

// A window with a patterned background and a bar at (30, 10) of the given width. A bar with
// a style sheet draws no background even when asked to fill it (the graph's bar asked so):
// the flat bar is not asked.
struct Scene
{
    QWidget window;
    QToolBar* bar;

    Scene(QToolBar* made, int width, int actions, bool fill, bool disabled)
    {
        window.resize(320, 70);
        window.setAutoFillBackground(true);
        QPalette wp;
        wp.setBrush(QPalette::Window, QBrush(QColor(30, 90, 160), Qt::Dense4Pattern));
        window.setPalette(wp);
        bar = made;
        bar->setParent(&window);
        QPalette p = bar->palette();
        p.setColor(QPalette::Window, QColor(192, 192, 192));
        p.setColor(QPalette::Button, QColor(192, 192, 192));
        bar->setPalette(p);
        bar->setAutoFillBackground(fill);
        bar->setMovable(false);
        bar->setIconSize(QSize(24, 24));
        bar->move(30, 10);
        bar->resize(width, 40);
        for (int i = 0; i < actions; ++i) {
            QAction* a = bar->addAction(Swatch(i), QStringLiteral("Act %1").arg(i));
            a->setCheckable(i % 3 == 0);
            a->setChecked(i == 3);
            a->setEnabled(!(disabled && i % 2));
        }
    }
};

} // namespace

void TestFlatToolbar::drawsAsTheStyleSheetBarDid_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("actions");
    QTest::addColumn<bool>("fill");
    QTest::addColumn<bool>("disabled");
    QTest::newRow("two buttons, a bar wider than its buttons") << 200 << 2 << false << false;
    QTest::newRow("filled bar reaching past the window") << 320 << 9 << true << false;
    QTest::newRow("some buttons disabled") << 290 << 8 << true << true;
    QTest::newRow("too narrow: the extension button shows") << 120 << 9 << false << false;
}

void TestFlatToolbar::drawsAsTheStyleSheetBarDid()
{
    QFETCH(int, width);
    QFETCH(int, actions);
    QFETCH(bool, fill);
    QFETCH(bool, disabled);
    auto* sheetBar = new QToolBar;
    sheetBar->setStyleSheet(QStringLiteral("QToolBar { border:none;}"));
    Scene before(sheetBar, width, actions, fill, disabled);
    Scene now(new CFlatToolBar, width, actions, false, disabled);
    const QImage expected = before.window.grab().toImage();
    const QImage got = now.window.grab().toImage();

    const QList<QToolButton*> a = before.bar->findChildren<QToolButton*>();
    const QList<QToolButton*> b = now.bar->findChildren<QToolButton*>();
    QCOMPARE(b.size(), a.size());
    QVERIFY(a.size() > actions);   // the actions' buttons and the extension button
    for (int i = 0; i < a.size(); ++i) {
        QCOMPARE(b.at(i)->geometry(), a.at(i)->geometry());
        QCOMPARE(b.at(i)->isVisibleTo(now.bar), a.at(i)->isVisibleTo(before.bar));
    }
    QCOMPARE(got.size(), expected.size());
    QVERIFY2(got == expected, "the bars' pixels differ");
}

KORVANTA_TEST_MAIN(TestFlatToolbar)
#include "tst_flat_toolbar.moc"
