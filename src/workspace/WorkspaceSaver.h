#pragma once
// Writes the whole workspace into one workspace file: header, runs and series, and the
// records of the open data windows. Keeps the current workspace path, which Save reuses and
// the video-analysis record reads to place its copy of the video.
#include <QCoreApplication>
#include <QString>

class IWorkspaceHost;
class QDataStream;

class CWorkspaceSaver
{
    Q_DECLARE_TR_FUNCTIONS(QTranslator)
public:
    static CWorkspaceSaver* getInstance();

    // Returns a WorkspaceResult (or a record writer's code). An empty path asks for one.
    // The file is replaced only once it was written whole: a failed save keeps the old one.
    int saveWorkspaceToFile(IWorkspaceHost* host, QString path);

    // The header of a workspace file (date and time of saving), shared with the tests.
    static void WriteHeader(QDataStream& out, const class QDateTime& when);
    // The name proposed in the working folder for a workspace never saved.
    static QString ProposedFileName(const QString& folder, const class QDateTime& when);

    QString m_CurrentPath;

private:
    QString askForPath(IWorkspaceHost* host) const;
    int writeWorkspace(IWorkspaceHost* host, QDataStream& out);
};
