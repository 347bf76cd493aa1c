#pragma once
// What the workspace files need of the window manager: the data store, the working folder,
// the file choosers, clearing the workspace and the windows with their records. The window
// manager implements it; tests implement it with a small fake.
#include <QString>
#include <QVector>
#include <QtGlobal>
#include <functional>

class CDataManager;
class QDataStream;

class IWorkspaceHost
{
public:
    virtual ~IWorkspaceHost() = default;

    virtual CDataManager* GetDataManager() const = 0;
    // The program's working folder under the user's documents (empty when there is none).
    virtual QString WorkspaceFolder() = 0;
    // File choosers; an empty answer means the user cancelled.
    virtual QString ChooseSaveFile(const QString& title, const QString& start, const QString& filter) = 0;
    virtual QString ChooseOpenFile(const QString& title, const QString& start, const QString& filter) = 0;
    virtual void Warn(const QString& title, const QString& text) = 0;

    // Empties the workspace of data windows and runs, ready for a file to be read. The window
    // manager's Open only sets them aside, to give them back should the file fail.
    virtual void ClearForLoad() = 0;
    // Called as a load advances, often (bytes read of the file's size); false stops the load.
    virtual bool LoadProgress(qint64 done, qint64 total)
    {
        Q_UNUSED(done)
        Q_UNUSED(total)
        return true;
    }

    // A window the saver writes: its begin tag and its record writer.
    struct SavedWindow
    {
        quint16 tag = 0;
        std::function<int(QDataStream*)> save;
    };
    // The windows with a record, in the order they were created.
    virtual QVector<SavedWindow> WindowsToSave() = 0;
    // Makes the window a begin tag stands for and reads its record; returns the reader's
    // result. False in handled when the tag is no window tag the host knows.
    virtual int LoadWindowRecord(quint16 tag, QDataStream* stream, bool* handled) = 0;

    // The older import: one graph of the given branches, a notes window with the text.
    virtual void ShowGraphOfBranches(const QVector<int>& keys) = 0;
    virtual void ShowNotesWithText(const QString& text) = 0;
};
