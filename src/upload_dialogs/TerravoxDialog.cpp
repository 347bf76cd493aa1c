#include "upload_dialogs/TerravoxDialog.h"
#include "windowbase/DialogKeys.h"

#include "ui_TerravoxDialog.h"
#include "upload/XMLRPC.h"

#include <QPixmap>

TerravoxDialog::TerravoxDialog(QWidget* parent, XMLRPC* controller)
    : QDialog(parent), m_pUi(new Ui::TerravoxDialog), m_pController(controller)
{
    m_pUi->setupUi(this);
    m_pUi->StatusLabel->hide();
}

TerravoxDialog::~TerravoxDialog()
{
    delete m_pUi;
}

void TerravoxDialog::setChecked(bool checked)
{
    if (m_SetChecked)
        m_SetChecked(checked, LoginActionKey);
}

void TerravoxDialog::init()
{
    Ui::TerravoxDialog* ui = m_pUi;
    if (m_pController && m_pController->m_bLoggedIn) {
        ui->okButton->setText(tr("Logout"));
        ui->cancelButton->setText(tr("OK"));
        ui->avatarLabel->show();
        ui->userNameLabel->show();
        ui->userLabel->hide();
        ui->UserNameEdit->hide();
        ui->passwordLabel->hide();
        ui->PasswordEdit->hide();
        ui->userNameLabel->setText(m_pController->m_DisplayName);
        ui->avatarLabel->setPixmap(QPixmap::fromImage(m_pController->m_Picture));
        connect(ui->okButton, &QPushButton::released, this, &TerravoxDialog::onLogout);
        connect(ui->cancelButton, &QPushButton::released, this, &TerravoxDialog::onOk);
        // Logged in, OK is the right-hand button; logging out takes a click.
        DialogKeys::AcceptOnReturn(this, ui->cancelButton);
        return;
    }
    ui->okButton->setText(tr("Login"));
    ui->cancelButton->setText(tr("Cancel"));
    ui->UserNameEdit->show();
    ui->PasswordEdit->show();
    ui->UserNameEdit->setText(QString());
    ui->PasswordEdit->setText(QString());
    ui->avatarLabel->hide();
    ui->userNameLabel->hide();
    connect(ui->okButton, &QPushButton::released, this, &TerravoxDialog::onLogin);
    connect(ui->cancelButton, &QPushButton::released, this, &TerravoxDialog::onCancel);
    DialogKeys::AcceptOnReturn(this, ui->okButton);
    if (m_pController)
        connect(m_pController, &XMLRPC::ValidationReplied, this, &TerravoxDialog::ServerReplied);
}

void TerravoxDialog::setInputsEnabled(bool enabled)
{
    m_pUi->okButton->setEnabled(enabled);
    m_pUi->cancelButton->setEnabled(enabled);
    m_pUi->PasswordEdit->setEnabled(enabled);
    m_pUi->UserNameEdit->setEnabled(enabled);
}

void TerravoxDialog::onLogin()
{
    if (!m_pController)
        return;
    m_pUi->StatusLabel->setText(tr("Please Wait..."));
    m_pUi->StatusLabel->show();
    auto* packet = new XMLPacket(XMLPacket::Login);
    // Sent exactly as typed: a password may well begin or end with a space.
    m_pController->m_LoginName = m_pUi->UserNameEdit->text();
    m_pController->m_Password = m_pUi->PasswordEdit->text();
    setInputsEnabled(false);
    m_pController->Process(packet);
}

void TerravoxDialog::ServerReplied(bool Suceeded, bool NetworkError)
{
    if (Suceeded) {
        m_pUi->StatusLabel->hide();
        setChecked(true);
        done(0);
        return;
    }
    QString status;
    if (NetworkError)
        status = tr("Network error.");
    else if (m_pController && m_pController->LastFaultCode() != 0 && m_pController->LastFaultCode() != 2
             && !m_pController->LastFaultText().isEmpty())
        // A refusal the service explains in its own words; its text is shown, not trusted.
        status = m_pController->LastFaultText().simplified().left(MaxStatusLength);
    else
        status = tr("Authentification failed.");
    m_pUi->StatusLabel->setText(status);
    m_pUi->StatusLabel->show();
    setInputsEnabled(true);
    setChecked(false);
}

void TerravoxDialog::onLogout()
{
    if (m_pController)
        m_pController->DisableTerravox();
    setChecked(false);
    done(0);
}

void TerravoxDialog::onOk()
{
    done(0);
}

void TerravoxDialog::onCancel()
{
    done(0);
}
