#pragma once
// Every modal question or notice of the shell goes through this interface, so tests answer
// them instead of leaving a box open. The real one shows message boxes and dialogs.
#include <QColor>
#include <QString>

class QDialog;
class QWidget;

class IPrompter
{
public:
    virtual ~IPrompter() = default;
    virtual void information(QWidget* parent, const QString& title, const QString& text) = 0;
    virtual void warning(QWidget* parent, const QString& title, const QString& text) = 0;
    // A Yes/No question (Yes the default); true for Yes.
    virtual bool question(QWidget* parent, const QString& title, const QString& text) = 0;

    // The questions and choosers below have answers that lose nothing when a prompter does
    // not know them (a test fake that predates them): Cancel, No, no file.
    enum SaveAnswer { SaveYes = 0, SaveNo = 1, SaveCancel = 2 };
    // "Do you want to save your changes?": Yes, No and Cancel, Yes the default.
    virtual int askSaveChanges(QWidget*, const QString&, const QString&) { return SaveCancel; }
    // A Yes/No question whose default is No (deleting data).
    virtual bool confirm(QWidget*, const QString&, const QString&) { return false; }
    virtual void critical(QWidget* parent, const QString& title, const QString& text)
    {
        warning(parent, title, text);
    }
    virtual QString getOpenFileName(QWidget*, const QString&, const QString&, const QString&) { return QString(); }
    virtual QString getSaveFileName(QWidget*, const QString&, const QString&, const QString&) { return QString(); }
    // Runs a dialog modally; the real prompter execs it, a test one may answer for it.
    virtual int runDialog(QDialog* dialog);
    // The standard colour chooser; an invalid colour when the user cancels.
    virtual QColor getColor(QWidget*, const QColor&) { return QColor(); }
    // A result shown with Retry and Close (Close the default); true for Retry.
    virtual bool retryOrClose(QWidget*, const QString&, const QString&) { return false; }
};

// The title a message box shows: the given one, or the program's message-box title "Pavix"
// for a box asked for without one.
QString MessageBoxTitle(const QString& title = QString());

// The message-box implementation; its boxes are titled by MessageBoxTitle.
class CWidgetPrompter : public IPrompter
{
public:
    void information(QWidget* parent, const QString& title, const QString& text) override;
    void warning(QWidget* parent, const QString& title, const QString& text) override;
    bool question(QWidget* parent, const QString& title, const QString& text) override;
    int askSaveChanges(QWidget* parent, const QString& title, const QString& text) override;
    bool confirm(QWidget* parent, const QString& title, const QString& text) override;
    void critical(QWidget* parent, const QString& title, const QString& text) override;
    QString getOpenFileName(QWidget* parent, const QString& caption, const QString& dir,
                            const QString& filter) override;
    QString getSaveFileName(QWidget* parent, const QString& caption, const QString& dir,
                            const QString& filter) override;
    QColor getColor(QWidget* parent, const QColor& initial) override;
    bool retryOrClose(QWidget* parent, const QString& title, const QString& text) override;
};

// The prompter the shell uses unless one is given: the message boxes, or what a test set.
IPrompter* ShellPrompter();
void SetShellPrompter(IPrompter* prompter);
// The prompter a window handed to one of its cells or dialogs; the shell's while none was.
inline IPrompter* PrompterOrShell(IPrompter* given) { return given ? given : ShellPrompter(); }
