#include "Core/Logic/LogicManager.h"

#include "Core/Logic/LogicContext.h"

#include <QThread>

CLogicManager* p_LogicManager = nullptr;

CLogicManager::CLogicManager(QObject* parent, ILogicContext* context)
    : QObject(parent), m_pContext(context)
{
    m_TimingKeepAliveTimer.setInterval(1000);
    p_LogicManager = this;
    m_DataManager.SetLogicManager(this);
    m_DataManager.SetSensorCatalogue(&m_SensorInfo);
    m_DataManager.SetSetupInfo(GetSetupInfo());
    m_CalculateOnLineFunctions.SetTable(m_OnLineFunctions, &m_NumOnLineFunctions);
    // A branch deleted while a run records must be let go by the online functions before it
    // is freed; the data manager waits for a running pass through the calculator's lock.
    m_DataManager.SetBranchDeletedCallback(
        [this](const CDataBranch* branch) { m_CalculateOnLineFunctions.BranchDeleted(branch); });
}

CLogicManager::~CLogicManager()
{
    // The calculator goes before the data manager, which still destroys its branches.
    m_DataManager.SetBranchDeletedCallback(nullptr);
    if (p_LogicManager == this)
        p_LogicManager = nullptr;
}

void CLogicManager::CalculateOnLineFunctions()
{
    m_CalculateOnLineFunctions.CalculateOnLineFunctions();
}

void CLogicManager::SetContext(ILogicContext* context)
{
    m_pContext = context;
    m_DataManager.SetSetupInfo(GetSetupInfo());
}

CKorvantaSignals* CLogicManager::GetSignals() const
{
    return m_pContext ? m_pContext->GetSignals() : nullptr;
}

CSetupInfo* CLogicManager::GetSetupInfo() const
{
    return m_pContext ? m_pContext->GetSetupInfo() : nullptr;
}

int CLogicManager::GetCurrentRunMode() const
{
    return m_pContext ? m_pContext->GetCurrentRunMode() : 0;
}

void CLogicManager::stopKeepAliveTimer()
{
    // A stop may come from a logger's packet thread; the timer belongs to this object's thread.
    if (QThread::currentThread() == m_TimingKeepAliveTimer.thread())
        m_TimingKeepAliveTimer.stop();
    else
        QMetaObject::invokeMethod(&m_TimingKeepAliveTimer, "stop", Qt::QueuedConnection);
}
