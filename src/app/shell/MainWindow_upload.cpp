// The online-service upload controller: made once the logic manager is up, ended before it.
#include "app/shell/MainWindow.h"

#include "windowbase/Prompter.h"
#include "app/shell/UploadService.h"
#include "Core/Logic/LogicManager.h"
#include "upload/XMLRPC.h"

void MainWindow::initUpload()
{
    if (m_pUploadController)
        return;
    m_pUploadController.reset(new XMLRPC(nullptr));
    m_pUploadController->SetContext(this);
    m_pUploadController->SetDataManager(&m_pLogicManager->m_DataManager);
    m_pOwnUpload.reset(new CUploadService(m_pUploadController.get(),
                                          [this](bool checked, int key) { SetCheckedMenuItem(checked, key); }));
    m_WindowsManager.SetUploadService(m_pOwnUpload.get());
    // Queued: the notice waits in its own turn of the event loop, not inside the client's
    // handling of the answer that failed.
    connect(m_pUploadController.get(), &XMLRPC::UploadHalted, this, [this](const QString& message) {
        if (IPrompter* prompter = m_WindowsManager.GetPrompter())
            prompter->warning(this, tr("Terravox"), message);
    }, Qt::QueuedConnection);
}

void MainWindow::exitUpload()
{
    if (!m_pUploadController)
        return;
    m_WindowsManager.SetUploadService(nullptr);
    m_pUploadController->Exit();
    m_pOwnUpload.reset();
    m_pUploadController.reset();
}
