// The login dialog against the stand-in service: its two faces, a login that succeeds, one
// that is refused or meets an unknown refusal or a dead network, and the logout; the check mark
// of the "Login to Terravox" command follows.
#include "common/PlainLogicContext.h"
#include "common/TerravoxStandIn.h"

#include "Core/Data/DataManager.h"
#include "upload/XMLRPC.h"
#include "upload_dialogs/TerravoxDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include "common/TestMain.h"

namespace {

struct CDialogRig
{
    CPlainLogicContext context;
    CDataManager data;
    XMLRPC controller{nullptr};
    QList<QPair<bool, int>> marks;

    CDialogRig()
    {
        controller.SetContext(&context);
        controller.SetDataManager(&data);
    }
    ~CDialogRig() { controller.Exit(); }

    std::unique_ptr<TerravoxDialog> open()
    {
        auto dialog = std::make_unique<TerravoxDialog>(nullptr, &controller);
        dialog->SetCheckedMenuItemHandler([this](bool checked, int key) { marks << qMakePair(checked, key); });
        dialog->init();
        dialog->show();
        return dialog;
    }
};

// The dialog's widgets by the names its form gives them.
template <class T>
T* child(const QWidget& d, const char* name)
{
    return d.findChild<T*>(QLatin1String(name));
}

void type(TerravoxDialog& d, const QString& name, const QString& password)
{
    child<QLineEdit>(d, "UserNameEdit")->setText(name);
    child<QLineEdit>(d, "PasswordEdit")->setText(password);
}

void press(QPushButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

} // namespace

class TestUploadDialog : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void loggedOutFace();
    void loginSucceedsThenLogout();
    void refusedLoginKeepsTheTextForAnotherTry_data();
    void refusedLoginKeepsTheTextForAnotherTry();
    void okAndCancelChangeNothing();
};

void TestUploadDialog::loggedOutFace()
{
    CDialogRig rig;
    auto d = rig.open();
    QCOMPARE(d->windowTitle(), QString("Terravox"));
    QCOMPARE(d->minimumSize(), QSize(405, 149));
    QCOMPARE(d->maximumSize(), QSize(405, 149));
    QCOMPARE(child<QPushButton>(*d, "okButton")->text(), QString("Login"));
    QCOMPARE(child<QPushButton>(*d, "cancelButton")->text(), QString("Cancel"));
    QVERIFY(child<QLineEdit>(*d, "UserNameEdit")->isVisible() && child<QLineEdit>(*d, "PasswordEdit")->isVisible());
    QVERIFY(child<QLabel>(*d, "userLabel")->isVisible() && child<QLabel>(*d, "passwordLabel")->isVisible());
    QVERIFY(!child<QLabel>(*d, "avatarLabel")->isVisible() && !child<QLabel>(*d, "userNameLabel")->isVisible() && !child<QLabel>(*d, "StatusLabel")->isVisible());
    QCOMPARE(child<QLineEdit>(*d, "PasswordEdit")->echoMode(), QLineEdit::Password);
    QCOMPARE(child<QLabel>(*d, "StatusLabel")->text(), QString("Please wait..."));
}

void TestUploadDialog::loginSucceedsThenLogout()
{
    CTerravoxStandIn service;
    QVERIFY(service.start());
    CDialogRig rig;
    {
        auto d = rig.open();
        QSignalSpy finished(d.get(), &QDialog::finished);
        type(*d, "teacher", "secret");
        press(child<QPushButton>(*d, "okButton"));
        // Waiting: nothing can be pressed.
        QCOMPARE(child<QLabel>(*d, "StatusLabel")->text(), QString("Please Wait..."));
        QVERIFY(child<QLabel>(*d, "StatusLabel")->isVisible());
        QVERIFY(!child<QPushButton>(*d, "okButton")->isEnabled() && !child<QPushButton>(*d, "cancelButton")->isEnabled());
        QVERIFY(!child<QLineEdit>(*d, "UserNameEdit")->isEnabled() && !child<QLineEdit>(*d, "PasswordEdit")->isEnabled());
        QVERIFY(finished.wait(10000));
        QCOMPARE(rig.marks, (QList<QPair<bool, int>>{{true, 51}}));
        QVERIFY(rig.controller.m_bLoggedIn);
    }
    // Opened again: the logged-in face with the display name and no edits.
    auto d = rig.open();
    QCOMPARE(child<QPushButton>(*d, "okButton")->text(), QString("Logout"));
    QCOMPARE(child<QPushButton>(*d, "cancelButton")->text(), QString("OK"));
    QCOMPARE(child<QLabel>(*d, "userNameLabel")->text(), QString("Ada Teacher"));
    QVERIFY(child<QLabel>(*d, "userNameLabel")->isVisible() && child<QLabel>(*d, "avatarLabel")->isVisible());
    QVERIFY(!child<QLineEdit>(*d, "UserNameEdit")->isVisible() && !child<QLineEdit>(*d, "PasswordEdit")->isVisible() && !child<QLabel>(*d, "userLabel")->isVisible());
    QSignalSpy finished(d.get(), &QDialog::finished);
    press(child<QPushButton>(*d, "okButton"));
    QCOMPARE(finished.size(), 1);
    QVERIFY(!rig.controller.m_bLoggedIn);
    QCOMPARE(rig.marks.last(), qMakePair(false, 51));
    // And the login form comes back with both edits empty.
    d = rig.open();
    QCOMPARE(child<QPushButton>(*d, "okButton")->text(), QString("Login"));
    QVERIFY(child<QLineEdit>(*d, "UserNameEdit")->text().isEmpty() && child<QLineEdit>(*d, "PasswordEdit")->text().isEmpty());
}

void TestUploadDialog::refusedLoginKeepsTheTextForAnotherTry_data()
{
    QTest::addColumn<QStringList>("knobs");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("status");
    QTest::newRow("wrong password") << QStringList() << "nope" << "Authentification failed.";
    QTest::newRow("unknown fault") << QStringList{"--fault", "ValidateUser=11"} << "secret" << "stand-in fault 11";
    QTest::newRow("network") << QStringList{"--drop", "ValidateUser"} << "secret" << "Network error.";
}

void TestUploadDialog::refusedLoginKeepsTheTextForAnotherTry()
{
    QFETCH(QStringList, knobs);
    QFETCH(QString, password);
    QFETCH(QString, status);
    CTerravoxStandIn service;
    QVERIFY(service.start(knobs));
    CDialogRig rig;
    auto d = rig.open();
    QSignalSpy finished(d.get(), &QDialog::finished);
    QSignalSpy replied(&rig.controller, &XMLRPC::ValidationReplied);
    type(*d, " teacher", password);
    press(child<QPushButton>(*d, "okButton"));
    QVERIFY(replied.wait(10000));
    QTRY_COMPARE(child<QLabel>(*d, "StatusLabel")->text(), status);
    QVERIFY(child<QLabel>(*d, "StatusLabel")->isVisible());
    QVERIFY(child<QPushButton>(*d, "okButton")->isEnabled() && child<QPushButton>(*d, "cancelButton")->isEnabled());
    QVERIFY(child<QLineEdit>(*d, "UserNameEdit")->isEnabled() && child<QLineEdit>(*d, "PasswordEdit")->isEnabled());
    QCOMPARE(child<QLineEdit>(*d, "UserNameEdit")->text(), QString(" teacher"));
    QCOMPARE(child<QLineEdit>(*d, "PasswordEdit")->text(), password);
    QCOMPARE(rig.marks, (QList<QPair<bool, int>>{{false, 51}}));
    QCOMPARE(finished.size(), 0);
    QVERIFY(!rig.controller.m_bLoggedIn);
    // The name went exactly as typed, untrimmed (a service that misbehaves records nothing).
    if (knobs.isEmpty())
        QCOMPARE(service.callsOf("ValidateUser").first().value("login").toString(), QString(" teacher"));
    // A second press sends them again.
    press(child<QPushButton>(*d, "okButton"));
    QVERIFY(replied.wait(10000));
    QCOMPARE(replied.size(), 2);
}

void TestUploadDialog::okAndCancelChangeNothing()
{
    CDialogRig rig;
    auto d = rig.open();
    QSignalSpy finished(d.get(), &QDialog::finished);
    press(child<QPushButton>(*d, "cancelButton"));
    QCOMPARE(finished.size(), 1);
    QVERIFY(rig.marks.isEmpty());
    rig.controller.m_bLoggedIn = true;
    rig.controller.m_DisplayName = "X";
    d = rig.open();
    QSignalSpy finished2(d.get(), &QDialog::finished);
    press(child<QPushButton>(*d, "cancelButton")); // "OK"
    QCOMPARE(finished2.size(), 1);
    QVERIFY(rig.controller.m_bLoggedIn);
    QVERIFY(rig.marks.isEmpty());
}

KORVANTA_TEST_MAIN(TestUploadDialog)
#include "tst_upload_dialog.moc"
