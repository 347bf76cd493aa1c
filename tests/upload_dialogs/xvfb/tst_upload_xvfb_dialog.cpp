// The login dialog on a real X server, against the stand-in service: the login form and, after
// a login, the logged-in face are drawn (each screenshot checked not to be blank).
#include "common/PlainLogicContext.h"
#include "common/TerravoxStandIn.h"

#include "Core/Data/DataManager.h"
#include "upload/XMLRPC.h"
#include "upload_dialogs/TerravoxDialog.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QSignalSpy>
#include "common/AwaitScreen.h"
#include "common/TestMain.h"

namespace {

int colours(const QImage& image)
{
    QSet<QRgb> seen;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            seen.insert(image.pixel(x, y));
    return seen.size();
}

// The dialog as the X server shows it, once it is drawn (more than a few colours), or as it
// still is when that never comes.
QImage shoot(QWidget& w, const QString& name)
{
    QString blank;
    const QImage image = KorvantaTest::AwaitScreen(
        [](const QImage& shot) { return colours(shot) > 4 ? QString() : QStringLiteral("blank"); }, &blank, w.winId());
    QDir().mkpath(SCREENSHOT_DIR);
    image.save(QStringLiteral(SCREENSHOT_DIR "/%1.png").arg(name));
    return image;
}

} // namespace

class TestUploadXvfbDialog : public QObject
{
    Q_OBJECT
private slots:
    void formAndLoggedInFaceAreDrawn();
};

void TestUploadXvfbDialog::formAndLoggedInFaceAreDrawn()
{
    CTerravoxStandIn service;
    QVERIFY(service.start());
    CPlainLogicContext context;
    CDataManager data;
    XMLRPC controller(nullptr);
    controller.SetContext(&context);
    controller.SetDataManager(&data);
    {
        TerravoxDialog dialog(nullptr, &controller);
        dialog.init();
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.findChild<QLineEdit*>("UserNameEdit")->setText("teacher");
        dialog.findChild<QLineEdit*>("PasswordEdit")->setText("secret");
        const QImage form = shoot(dialog, "login_form");
        QCOMPARE(form.size(), QSize(405, 149));
        QVERIFY2(colours(form) > 4, "the login form is blank");
        QSignalSpy finished(&dialog, &QDialog::finished);
        QTest::mouseClick(dialog.findChild<QPushButton*>("okButton"), Qt::LeftButton);
        QVERIFY(finished.wait(10000));
    }
    TerravoxDialog dialog(nullptr, &controller);
    dialog.init();
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QImage face = shoot(dialog, "logged_in");
    QVERIFY2(colours(face) > 4, "the logged-in face is blank");
    QCOMPARE(dialog.findChild<QLabel*>("userNameLabel")->text(), QString("Ada Teacher"));
    controller.Exit();
}

KORVANTA_TEST_MAIN(TestUploadXvfbDialog)
#include "tst_upload_xvfb_dialog.moc"
