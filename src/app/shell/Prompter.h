#pragma once
// Every modal question or notice of the shell goes through this interface, so tests answer
// them instead of leaving a box open. The real one shows message boxes and dialogs.
#include <QString>

class QWidget;

class IPrompter
{
public:
    virtual ~IPrompter() = default;
    virtual void information(QWidget* parent, const QString& title, const QString& text) = 0;
    virtual void warning(QWidget* parent, const QString& title, const QString& text) = 0;
    // A Yes/No question (Yes the default); true for Yes.
    virtual bool question(QWidget* parent, const QString& title, const QString& text) = 0;
    // Asks for the next manual X value of a run; false when the user cancels.
    virtual bool askManualXValue(QWidget* parent, const QString& name, double* value) = 0;
};

// The message-box implementation.
class CWidgetPrompter : public IPrompter
{
public:
    void information(QWidget* parent, const QString& title, const QString& text) override;
    void warning(QWidget* parent, const QString& title, const QString& text) override;
    bool question(QWidget* parent, const QString& title, const QString& text) override;
    bool askManualXValue(QWidget* parent, const QString& name, double* value) override;
};

// The prompter the shell uses unless one is given: the message boxes, or what a test set.
IPrompter* ShellPrompter();
void SetShellPrompter(IPrompter* prompter);
