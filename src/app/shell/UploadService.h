#pragma once
// The window manager's upload services answered by the upload controller.
#include "app/shell/ShellServices.h"

#include <functional>

class XMLRPC;

class CUploadService : public IUploadService
{
public:
    // setChecked(checked, key) sets the check mark of a main-window command.
    CUploadService(XMLRPC* controller, std::function<void(bool, int)> setChecked)
        : m_pController(controller), m_SetChecked(std::move(setChecked))
    {
    }

    bool IsLoggedIn() override;
    bool IsUploading() override;
    bool IsLiveUpload() override;
    void SetLiveUpload(bool on) override;
    void StopUploading() override;
    void StartUploadOffLineExp(QList<int>* keys) override;
    void StartUploadOnLineExp(QList<int>& keys) override;
    void FinishUploadOnLineExp() override;
    void RunLoginDialog(QWidget* parent) override;

private:
    XMLRPC* m_pController;
    std::function<void(bool, int)> m_SetChecked;
};
