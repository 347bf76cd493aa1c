#pragma once
// Replaces the workspace by the content of a chosen workspace file, in the current format or
// the older one, and remembers the path of the last file read (video files of a workspace lie
// beside it).
#include <QCoreApplication>
#include <QString>
#include <QVector>

class IWorkspaceHost;
class QByteArray;
class QDataStream;
class QFile;

class CWorkspaceLoader
{
    Q_DECLARE_TR_FUNCTIONS(QTranslator)
public:
    static CWorkspaceLoader* getInstance();

    QString selectFile();
    // Returns a WorkspaceResult. From the clearing on, a failure leaves what was read, for the
    // host to clear; the host's LoadProgress may stop the load (WorkspaceAborted).
    int loadWorkspaceFromFile(IWorkspaceHost* host);
    // Whether the last load cleared the workspace before it ended (a failure after that point
    // leaves a workspace that is not the saved file any more).
    bool workspaceCleared() const { return m_bCleared; }

    // The current format: 0, -3 for a foreign magic text, -4 for a file cut short, -7 for a
    // damaged record or a file that holds no workspace, or -10 when the host stopped the load.
    int loadWorkspaceFromKvbFile(QFile& file);
    int loadWorkspaceFromStream(QDataStream& in);
    // The older format: 0; -1 when the file is refused with a warning; -7 when it is empty or
    // holds no such file; -4 when a record runs past its end; -10 when the host stopped it.
    int loadWorkspaceFromPvxFile(QFile& file);
    int loadWorkspaceFromPvxFile_new(QFile& file);
    int loadPvxData(const QByteArray& data);
    int loadPvxFileVersion_TLV(const QByteArray& data, unsigned int position);

    // Pieces of the older format, shared with the tests. Bytes beyond the data read as 0.
    static QString readStringWByteLength(int count, const QByteArray& data, quint64 position);
    // Reads an array whose value starts at position into values; returns where the next record
    // starts.
    static quint64 readArray(const QByteArray& data, quint64 position, QVector<double>& values);
    static void FixPavixRateCode(const QString& rate, double* secondsPerSample, int* rateIndex);

    void SetHost(IWorkspaceHost* host) { m_pHost = host; }
    QString m_LastPath;

private:
    struct PvxState;
    quint64 pvxRecord(const QByteArray& data, quint64 position, PvxState& state);

    // Hands progress to the host; false once the host has stopped the load.
    bool reportProgress(qint64 done, qint64 total);

    IWorkspaceHost* m_pHost = nullptr;
    bool m_bCleared = false;
    bool m_bAborted = false;
};
