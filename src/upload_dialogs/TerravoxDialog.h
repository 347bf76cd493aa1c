#pragma once
// The small modal dialog through which the user logs in to the online service and out of it.
// It keeps no login state of its own: everything it shows or changes lives in the upload
// controller. Its one other effect is the check mark of the "Login to Terravox" command, set
// through the handler its opener gives it.
#include <QDialog>

#include <functional>

class XMLRPC;
namespace Ui {
class TerravoxDialog;
}

class TerravoxDialog : public QDialog
{
    Q_OBJECT
public:
    // The key of the "Login to Terravox" command whose check mark the dialog sets.
    static constexpr int LoginActionKey = 51;
    // A fault text from the service is shown cut to this length.
    static constexpr int MaxStatusLength = 120;

    explicit TerravoxDialog(QWidget* parent, XMLRPC* controller = nullptr);
    ~TerravoxDialog() override;

    // Called with (checked, key) where the main window's menu mark is to change.
    void SetCheckedMenuItemHandler(std::function<void(bool, int)> handler) { m_SetChecked = std::move(handler); }
    // Fills the dialog for the controller's login state; called once before exec().
    void init();

    Ui::TerravoxDialog* form() const { return m_pUi; }

private slots:
    void onLogin();
    void onLogout();
    void onOk();
    void onCancel();
    void ServerReplied(bool Suceeded, bool NetworkError);

private:
    void setInputsEnabled(bool enabled);
    void setChecked(bool checked);

    Ui::TerravoxDialog* m_pUi;
    XMLRPC* m_pController;
    std::function<void(bool, int)> m_SetChecked;
};
