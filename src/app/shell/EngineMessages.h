#pragma once
// The analysis engine's failure texts ("Too few samples." and the others) as boxes the user
// sees. A message that comes from a worker thread is carried to the user-interface thread
// first; the boxes go through the prompter, so tests answer them.
#include "analysis/IMessageSink.h"

#include <QObject>
#include <functional>

class IPrompter;

class CEngineMessages : public QObject, public IMessageSink
{
    Q_OBJECT
public:
    explicit CEngineMessages(std::function<IPrompter*()> prompter, QObject* parent = nullptr);

    void criticalMessage(const QString& title, const QString& text) override;

private:
    void show(const QString& title, const QString& text);

    std::function<IPrompter*()> m_Prompter;
};
