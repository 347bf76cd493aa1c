#include "app/shell/UploadService.h"

#include "upload/XMLRPC.h"
#include "upload_dialogs/TerravoxDialog.h"

bool CUploadService::IsLoggedIn()
{
    return m_pController->m_bLoggedIn;
}

bool CUploadService::IsUploading()
{
    return m_pController->IsUploading();
}

bool CUploadService::IsLiveUpload()
{
    return m_pController->m_bOnlineUpload;
}

void CUploadService::SetLiveUpload(bool on)
{
    m_pController->m_bOnlineUpload = on;
}

void CUploadService::StopUploading()
{
    m_pController->StopUploading();
}

void CUploadService::StartUploadOffLineExp(QList<int>* keys)
{
    m_pController->StartUploadOffLineExp(keys);
}

void CUploadService::StartUploadOnLineExp(QList<int>& keys)
{
    m_pController->StartUploadOnLineExp(keys);
}

void CUploadService::FinishUploadOnLineExp()
{
    m_pController->FinishUploadOnLineExp();
}

void CUploadService::RunLoginDialog(QWidget* parent)
{
    TerravoxDialog dialog(parent, m_pController);
    dialog.SetCheckedMenuItemHandler(m_SetChecked);
    dialog.init();
    dialog.exec();
}
