#pragma once
// Where the analysis engine sends the failures a user must see. The windowed application
// implements it with message boxes; tests record the texts. The engine never calls it while
// holding a data lock, and nothing in the engine waits for it.
#include <QString>

class IMessageSink
{
public:
    virtual ~IMessageSink() = default;
    // Shown as a critical box without parent, with this title and one OK button.
    virtual void criticalMessage(const QString& title, const QString& text) = 0;
};
