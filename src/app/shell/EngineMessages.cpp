#include "app/shell/EngineMessages.h"

#include "windowbase/Prompter.h"

#include <QThread>

CEngineMessages::CEngineMessages(std::function<IPrompter*()> prompter, QObject* parent)
    : QObject(parent), m_Prompter(std::move(prompter))
{
}

void CEngineMessages::criticalMessage(const QString& title, const QString& text)
{
    if (QThread::currentThread() == thread()) {
        show(title, text);
        return;
    }
    // A box opened on a worker thread would crash; the user-interface thread shows it.
    QMetaObject::invokeMethod(this, [this, title, text]() { show(title, text); }, Qt::QueuedConnection);
}

void CEngineMessages::show(const QString& title, const QString& text)
{
    if (IPrompter* prompter = m_Prompter ? m_Prompter() : nullptr)
        prompter->critical(nullptr, MessageBoxTitle(title), text);
}
