// The Run button: its picture table, the animation cycle, the hit test, double clicks, the
// Manual sub-button and the disabled rendering.
#include "app/shell/CustomRunButton.h"

#include <QSignalSpy>
#include "common/TestMain.h"

class TestShellRunButton : public QObject
{
    Q_OBJECT
private slots:
    void everyFrameLoads();
    void animationCycle();
    void hitTest();
    void doubleClickPressesOnce();
    void manualButtonAndRunMode();
    void disabledRendering();
};

void TestShellRunButton::everyFrameLoads()
{
    CustomRunButton b;
    b.init();
    QCOMPARE(CustomRunButton::FramePath(3, 0), QString("://images/RunButton/normal-sampling/64_sampling0001.png"));
    QCOMPARE(CustomRunButton::FramePath(63, 1), QString("://images/RunButton/timing/64_measuring0061.png"));
    QCOMPARE(CustomRunButton::FramePath(1, 0), CustomRunButton::FramePath(1, 1));
    QSet<qint64> distinct;
    for (int mode = 0; mode < 2; ++mode) {
        for (int f = 0; f < CustomRunButton::s_NumFrames; ++f) {
            const QPixmap pm = b.frameIcon(f, mode).pixmap(60, 60);
            QVERIFY2(!pm.isNull(), qPrintable(CustomRunButton::FramePath(f, mode)));
            distinct.insert(pm.cacheKey());
        }
    }
    QVERIFY(b.frameIcon(64, 0).isNull());
    QVERIFY(b.frameIcon(0, 2).isNull());
    QVERIFY(b.frameIcon(-1, 0).isNull());
}

void TestShellRunButton::animationCycle()
{
    CustomRunButton b;
    b.init();
    QCOMPARE(b.currentFrame(), 0);
    QVERIFY(!b.isPlaying());
    b.DelayPlay(5);
    QCOMPARE(b.currentFrame(), 1);
    QVERIFY(b.isPlaying());
    b.Play();
    QCOMPARE(b.currentFrame(), 3);
    QList<int> seen;
    for (int i = 0; i < 61; ++i) {
        b.updateIcon();
        seen << b.currentFrame();
    }
    QCOMPARE(b.currentFrame(), 3);
    QCOMPARE(seen.first(), 4);
    QCOMPARE(seen.at(59), 63);
    for (int f : seen)
        QVERIFY(f >= 3 && f <= 63);
    // The timer drives it: a few ticks at 100 ms move the frame on.
    QTRY_VERIFY_WITH_TIMEOUT(b.currentFrame() > 3, 2000);
    b.Stop();
    QCOMPARE(b.currentFrame(), 0);
    QVERIFY(!b.isPlaying());
    const int frozen = b.currentFrame();
    QTest::qWait(250);
    QCOMPARE(b.currentFrame(), frozen);
}

void TestShellRunButton::hitTest()
{
    CustomRunButton b;
    b.init();
    b.AddManualButton();
    b.ShowManualButton(true);
    b.show();
    QVERIFY(QTest::qWaitForWindowExposed(&b));
    QSignalSpy released(&b, &QPushButton::released);
    const QList<QPoint> misses = {QPoint(0, 30), QPoint(30, 0), QPoint(59, 30), QPoint(30, 59), QPoint(0, 1), // (0, 0) would mean the centre to QTest
                                 
                                  QPoint(59, 59), QPoint(80, 30)};
    for (const QPoint& p : misses) {
        QTest::mouseClick(&b, Qt::LeftButton, Qt::NoModifier, p);
        QVERIFY2(released.isEmpty(), qPrintable(QString("%1,%2").arg(p.x()).arg(p.y())));
    }
    const QList<QPoint> hits = {QPoint(1, 1), QPoint(58, 58), QPoint(30, 30), QPoint(1, 58)};
    for (const QPoint& p : hits)
        QTest::mouseClick(&b, Qt::LeftButton, Qt::NoModifier, p);
    QCOMPARE(released.count(), hits.size());
}

void TestShellRunButton::doubleClickPressesOnce()
{
    CustomRunButton b;
    b.init();
    b.show();
    QVERIFY(QTest::qWaitForWindowExposed(&b));
    QSignalSpy released(&b, &QPushButton::released);
    const QPoint p(30, 30);
    QTest::mouseClick(&b, Qt::LeftButton, Qt::NoModifier, p);
    QTest::mouseDClick(&b, Qt::LeftButton, Qt::NoModifier, p);
    QTest::mouseRelease(&b, Qt::LeftButton, Qt::NoModifier, p);
    QCOMPARE(released.count(), 1);
}

void TestShellRunButton::manualButtonAndRunMode()
{
    CustomRunButton b;
    b.init();
    b.AddManualButton();
    QVERIFY(b.manualButton());
    QCOMPARE(b.manualButton()->geometry(), QRect(60, 12, 42, 42));
    b.ShowManualButton(false);
    QCOMPARE(b.width(), 60);
    QVERIFY(b.manualButton()->isHidden());
    b.ShowManualButton(true);
    QCOMPARE(b.width(), 102);
    QVERIFY(!b.manualButton()->isHidden());
    b.SetCurrentRunMode(1);
    QCOMPARE(b.width(), 60);
    QVERIFY(b.manualButton()->isHidden());
    QCOMPARE(b.runMode(), 1);
    b.ShowManualButton(true);
    b.SetCurrentRunMode(0);
    QCOMPARE(b.width(), 102);
    QCOMPARE(b.runMode(), 0);
    // A mode outside the two columns still draws from a column that exists.
    b.SetCurrentRunMode(7);
    QCOMPARE(b.runMode(), 1);
}

void TestShellRunButton::disabledRendering()
{
    CustomRunButton b;
    b.init();
    b.show();
    QVERIFY(QTest::qWaitForWindowExposed(&b));
    const QImage enabled = b.grab().toImage();
    b.setEnabled(false);
    const QImage disabled = b.grab().toImage();
    QVERIFY(enabled != disabled);
    // The disabled picture is the same frame, greyed: the centre pixel loses its saturation.
    const QColor ce = enabled.pixelColor(10, 30), cd = disabled.pixelColor(10, 30);
    QVERIFY2(cd.hsvSaturation() < ce.hsvSaturation(), qPrintable(ce.name() + " " + cd.name()));
}

KORVANTA_TEST_MAIN(TestShellRunButton)
#include "tst_shell_runbutton.moc"
