// The child-window base: the window record byte for byte, reading it back (and every way a
// record can be cut short or damaged), grid snapping, the MultiAction icon switching, and
// icons read on first use.
#include "Core/Base/KorvantaSignals.h"
#include "windowbase/ChildWindowHost.h"
#include "windowbase/DeferredIcon.h"
#include "windowbase/KorvantaStyle.h"
#include "windowbase/KorvantaWindow.h"
#include "windowbase/MultiAction.h"

#include <QBuffer>
#include <QDataStream>
#include <QEnterEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QStyleFactory>

#include <memory>
#include "common/TestMain.h"

namespace {

class CFakeHost : public QWidget, public IChildWindowHost
{
public:
    bool AlignToGrid() const override { return m_bAlign; }
    CKorvantaSignals* GetSignals() const override { return const_cast<CKorvantaSignals*>(&m_Hub); }
    bool m_bAlign = true;
    CKorvantaSignals m_Hub;
};

QByteArray be16(int v)
{
    QByteArray b;
    b.append(char((v >> 8) & 0xff)).append(char(v & 0xff));
    return b;
}

QByteArray be32(qint32 v)
{
    QByteArray b;
    for (int s = 24; s >= 0; s -= 8)
        b.append(char((quint32(v) >> s) & 0xff));
    return b;
}

QIcon colourIcon(const QColor& c)
{
    QPixmap pm(8, 8);
    pm.fill(c);
    return QIcon(pm);
}

QColor iconColour(const QIcon& icon)
{
    return icon.pixmap(8, 8).toImage().pixelColor(4, 4);
}

} // namespace

class TestShellWindow : public QObject
{
    Q_OBJECT
private slots:
    void recordBytes();
    void recordRoundTrip();
    void recordDamaged_data();
    void recordDamaged();
    void snapArithmetic();
    void snapWindow();
    void noSnapWhenAlignOff();
    void notifyRaisesHub();
    void multiActionIcons();
    void deferredIconsDrawAsFileIcons();
    void deferredIconChangedByOneWindowLeavesTheOthers();
};

void TestShellWindow::recordBytes()
{
    CFakeHost host;
    host.m_bAlign = false;
    CKorvantaWindow win(&host, Qt::SubWindow);
    win.setWindowTitle("Ab");
    win.setGeometry(20, 40, 300, 200);
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    QCOMPARE(win.saveToFile(&out), 0);

    QByteArray expect;
    expect += be16(1113);
    expect += be16(1100) + be32(4) + QByteArray("\x00\x41\x00\x62", 4);
    expect += be16(1101) + be32(20);
    expect += be16(1102) + be32(40);
    expect += be16(1103) + be32(300);
    expect += be16(1104) + be32(200);
    expect += be16(1114);
    QCOMPARE(bytes.toHex(), expect.toHex());
}

void TestShellWindow::recordRoundTrip()
{
    CFakeHost host;
    host.m_bAlign = false;
    CKorvantaWindow a(&host, Qt::SubWindow), b(&host, Qt::SubWindow);
    a.setWindowTitle(QString::fromUtf8("Graph – Läuf 3"));
    a.setGeometry(-15, 7, 333, 222);
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        QCOMPARE(a.saveToFile(&out), 0);
        out << qint32(0x12345678); // the window's own fields follow the base record
    }
    QDataStream in(bytes);
    qint16 start = 0;
    in >> start;
    QCOMPARE(start, qint16(1113));
    QCOMPARE(b.loadFromFile(&in), 0);
    QCOMPARE(b.windowTitle(), a.windowTitle());
    QCOMPARE(b.geometry(), QRect(-15, 7, 333, 222));
    qint32 after = 0;
    in >> after;
    QCOMPARE(after, qint32(0x12345678));
}

void TestShellWindow::recordDamaged_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QRect>("geometry"); // expected; the window starts at (1,2) 100x100

    const QRect before(1, 2, 100, 100);
    QTest::newRow("empty") << QByteArray() << -4 << QString("Old") << before;
    QTest::newRow("ends before end tag, title kept")
        << (be16(1100) + be32(2) + QByteArray("\x00X", 2) + be16(1101) + be32(60)) << -4 << QString("X") << before;
    QTest::newRow("cut inside a value") << (be16(1101) + QByteArray("\x00\x00", 2)) << -4 << QString("Old") << before;
    QTest::newRow("odd half tag") << QByteArray("\x04", 1) << -4 << QString("Old") << before;
    // Only x and the end tag: the missing size would be 0 x 0; it is clamped to the minimum.
    QTest::newRow("x and end only") << (be16(1101) + be32(60) + be16(1114)) << 0 << QString("Old")
                                    << QRect(60, 0, CKorvantaWindow::s_MinWindowSize,
                                             CKorvantaWindow::s_MinWindowSize);
    // An unknown tag is passed over without consuming a value: 999 is followed by tag 1102.
    QTest::newRow("unknown tag") << (be16(999) + be16(1102) + be32(80) + be16(1103) + be32(120) + be16(1104)
                                     + be32(90) + be16(1114))
                                 << 0 << QString("Old") << QRect(0, 80, 120, 90);
    QTest::newRow("absurd values clamped")
        << (be16(1101) + be32(-2000000000) + be16(1102) + be32(2000000000) + be16(1103) + be32(-5) + be16(1104)
            + be32(2000000000) + be16(1114))
        << 0 << QString("Old")
        << QRect(-CKorvantaWindow::s_MaxWindowExtent, CKorvantaWindow::s_MaxWindowExtent,
                 CKorvantaWindow::s_MinWindowSize, CKorvantaWindow::s_MaxWindowExtent);
    QTest::newRow("window state cut") << (be16(1116) + QByteArray("\x00\x00", 2)) << -4 << QString("Old") << before;
    // A title whose length runs past the data is refused without reading beyond it.
    QTest::newRow("title length past end") << (be16(1100) + be32(0x7ffffff0) + QByteArray("\x00X", 2)) << -4
                                           << QString("Old") << before;
}

void TestShellWindow::recordDamaged()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, result);
    QFETCH(QString, title);
    QFETCH(QRect, geometry);
    CFakeHost host;
    host.m_bAlign = false;
    CKorvantaWindow win(&host, Qt::SubWindow);
    win.setWindowTitle("Old");
    win.setGeometry(1, 2, 100, 100);
    QDataStream in(bytes);
    QCOMPARE(win.loadFromFile(&in), result);
    QCOMPARE(win.windowTitle(), title);
    QCOMPARE(win.geometry(), geometry);
}

void TestShellWindow::snapArithmetic()
{
    QCOMPARE(CKorvantaWindow::SnapSize(59, 59), 40);
    QCOMPARE(CKorvantaWindow::SnapSize(41, 41), 40);
    QCOMPARE(CKorvantaWindow::SnapSize(40, 40), 40);
    QCOMPARE(CKorvantaWindow::SnapSize(60, 60), 60);
    QCOMPARE(CKorvantaWindow::SnapSize(70, 70), 60);  // half rounds up, then back down
    QCOMPARE(CKorvantaWindow::SnapSize(89, 100), 80); // rounding to 80 stays below the window
    QCOMPARE(CKorvantaWindow::SnapSize(91, 100), 100);
    // Below two grid steps nothing is snapped: 15 would otherwise become 0.
    QCOMPARE(CKorvantaWindow::SnapSize(15, 15), 15);
    QCOMPARE(CKorvantaWindow::SnapSize(0, 0), 0);
    QCOMPARE(CKorvantaWindow::SnapPosition(47), 40);
    QCOMPARE(CKorvantaWindow::SnapPosition(133), 120);
    QCOMPARE(CKorvantaWindow::SnapPosition(0), 0);
    QCOMPARE(CKorvantaWindow::SnapPosition(-5), -20);
    QCOMPARE(CKorvantaWindow::SnapPosition(-20), -20);
}

void TestShellWindow::snapWindow()
{
    CFakeHost host;
    host.resize(800, 600);
    CKorvantaWindow win(&host, Qt::SubWindow);
    win.setGeometry(0, 0, 200, 200);
    host.show();
    win.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));

    win.resize(159, 141);
    QCOMPARE(win.size(), QSize(140, 140));
    win.resize(140, 160);
    QCOMPARE(win.size(), QSize(140, 160));
    win.move(47, 133);
    QCOMPARE(win.pos(), QPoint(40, 120));
    win.move(-5, 60);
    QCOMPARE(win.pos(), QPoint(-5, 60));
    win.move(65, -1);
    QCOMPARE(win.pos(), QPoint(65, -1));
}

void TestShellWindow::noSnapWhenAlignOff()
{
    CFakeHost host;
    host.m_bAlign = false;
    host.resize(800, 600);
    CKorvantaWindow win(&host, Qt::SubWindow);
    host.show();
    win.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    win.resize(159, 141);
    win.move(47, 133);
    QCOMPARE(win.geometry(), QRect(47, 133, 159, 141));
}

void TestShellWindow::notifyRaisesHub()
{
    CFakeHost host;
    CKorvantaWindow win(&host, Qt::SubWindow);
    QSignalSpy spy(&host.m_Hub, &CKorvantaSignals::HasNewDataToSave);
    win.notifyHasNewDataToSave();
    QCOMPARE(spy.count(), 1);
    // A window hosted somewhere else has no hub to tell and must not crash.
    QWidget plain;
    CKorvantaWindow orphan(&plain, Qt::SubWindow);
    orphan.notifyHasNewDataToSave();
    QCOMPARE(spy.count(), 1);
    win.initWindow();
    QVERIFY(!win.windowIcon().isNull());
    QVERIFY(win.systemMenu() && win.systemMenu()->actions().isEmpty());
    QCOMPARE(win.GetTitleBarHeight(), 22);
}

void TestShellWindow::multiActionIcons()
{
    QWidget button;
    MultiAction one(colourIcon(Qt::gray), "One", nullptr);
    QCOMPARE(iconColour(one.icon()), QColor(Qt::gray));
    one.setNormalIcon(colourIcon(Qt::white));
    one.setHoverIcon(colourIcon(Qt::yellow));
    one.setPressedIcon(colourIcon(Qt::red));
    one.setDisabledIcon(colourIcon(Qt::black));
    // Storing icons shows nothing yet; without a widget every event is ignored.
    QEvent enter(QEvent::Enter);
    QVERIFY(!one.eventFilter(&button, &enter));
    QCOMPARE(iconColour(one.icon()), QColor(Qt::gray));

    one.setAssociatedWidget(&button);
    button.setCursor(Qt::IBeamCursor);
    QVERIFY(!one.eventFilter(&button, &enter));
    QCOMPARE(iconColour(one.icon()), QColor(Qt::yellow));
    QCOMPARE(button.cursor().shape(), Qt::ArrowCursor);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(1, 1), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    one.eventFilter(&button, &press);
    QCOMPARE(iconColour(one.icon()), QColor(Qt::white));
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(1, 1), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    one.eventFilter(&button, &release);
    QCOMPARE(iconColour(one.icon()), QColor(Qt::yellow));
    QEvent leave(QEvent::Leave);
    one.eventFilter(&button, &leave);
    QCOMPARE(iconColour(one.icon()), QColor(Qt::white));

    // A checked checkable action keeps the pressed icon after the pointer leaves.
    one.setCheckable(true);
    one.setChecked(true);
    one.eventFilter(&button, &leave);
    QCOMPARE(iconColour(one.icon()), QColor(Qt::red));

    // Events of other objects are not looked at.
    QWidget other;
    one.eventFilter(&other, &enter);
    QCOMPARE(iconColour(one.icon()), QColor(Qt::red));

    // Disabled: the icon stays whatever the pointer does, the cursor is still set.
    one.SetEnabledWithIcon(false);
    QCOMPARE(iconColour(one.icon()), QColor(Qt::black));
    button.setCursor(Qt::IBeamCursor);
    one.eventFilter(&button, &enter);
    one.eventFilter(&button, &press);
    QCOMPARE(iconColour(one.icon()), QColor(Qt::black));
    QCOMPARE(button.cursor().shape(), Qt::ArrowCursor);
    one.SetEnabledWithIcon(true);
    QCOMPARE(iconColour(one.icon()), QColor(Qt::white));
    one.setIcon(colourIcon(Qt::green));
    one.RefreshNormal();
    QCOMPARE(iconColour(one.icon()), QColor(Qt::white));

    one.setKey(40);
    QCOMPARE(one.getKey(), 40);
    MultiAction plain("Two", nullptr);
    QCOMPARE(plain.getKey(), 0);
    QVERIFY(plain.icon().isNull());
}

void TestShellWindow::deferredIconsDrawAsFileIcons()
{
    // One file, and one file per mode and state, against icons made from the same files; every
    // mode at the picture's own size and at half of it.
    const QString closing = QStringLiteral(":/images/GraphToolbar/Closing-toolbar.png");
    const QString opening = QStringLiteral(":/images/GraphToolbar/Opening-toolbar.png");
    QIcon twoStates;
    QIcon deferredTwoStates = KorvantaIcons::Deferred();
    for (QIcon* icon : {&twoStates, &deferredTwoStates}) {
        icon->addFile(closing, QSize(), QIcon::Normal, QIcon::Off);
        icon->addFile(opening, QSize(), QIcon::Normal, QIcon::On);
    }
    // The application's style hands out standard icons that draw as the platform style's.
    CKorvantaStyle style;
    const std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
    const struct
    {
        QIcon reference, deferred;
    } pairs[] = {{QIcon(closing), KorvantaIcons::Deferred(closing)},
                 {twoStates, deferredTwoStates},
                 {fusion->standardIcon(QStyle::SP_TitleBarCloseButton), style.standardIcon(QStyle::SP_TitleBarCloseButton)},
                 {fusion->standardIcon(QStyle::SP_ArrowBack), style.standardIcon(QStyle::SP_ArrowBack)}};
    for (const auto& pair : pairs) {
        QVERIFY(!pair.deferred.isNull());
        const QSize own = pair.reference.availableSizes().value(0);
        QVERIFY(own.isValid());
        for (const QSize& size : {own, own / 2})
            for (QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled, QIcon::Active, QIcon::Selected})
                for (QIcon::State state : {QIcon::Off, QIcon::On}) {
                    QCOMPARE(pair.deferred.actualSize(size, mode, state), pair.reference.actualSize(size, mode, state));
                    QCOMPARE(pair.deferred.pixmap(size, mode, state).toImage(),
                             pair.reference.pixmap(size, mode, state).toImage());
                }
    }
    // A picture that is not there is a null icon, as one made from the file would be.
    QVERIFY(KorvantaIcons::Deferred(QStringLiteral(":/images/no-such-picture.png")).isNull());
    QVERIFY(KorvantaIcons::Deferred(QString()).isNull());
}

void TestShellWindow::deferredIconChangedByOneWindowLeavesTheOthers()
{
    // Windows ask for icons of the same file; one that adds a state to its icon (or draws it
    // first) changes no other window's.
    const QString closing = QStringLiteral(":/images/GraphToolbar/Closing-toolbar.png");
    const QString opening = QStringLiteral(":/images/GraphToolbar/Opening-toolbar.png");
    const QIcon reference(closing);
    QIcon first = KorvantaIcons::Deferred(closing);
    const QSize size = reference.availableSizes().value(0);
    QVERIFY(size.isValid());
    QCOMPARE(first.pixmap(size).toImage(), reference.pixmap(size).toImage());
    first.addFile(opening, QSize(), QIcon::Normal, QIcon::On);
    QCOMPARE(first.pixmap(size, QIcon::Normal, QIcon::On).toImage(), QIcon(opening).pixmap(size).toImage());
    for (const QIcon& other : {KorvantaIcons::Deferred(closing), KorvantaIcons::Deferred(closing)})
        for (QIcon::State state : {QIcon::Off, QIcon::On})
            QCOMPARE(other.pixmap(size, QIcon::Normal, state).toImage(), reference.pixmap(size).toImage());
}

KORVANTA_TEST_MAIN(TestShellWindow)
#include "tst_shell_window.moc"
