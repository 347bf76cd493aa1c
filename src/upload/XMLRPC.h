#pragma once
// The upload controller: the one object through which the program talks to the online service.
// It keeps the login state, turns the upload commands into packets for its queue, makes the
// service's four calls through the XML-RPC client on the user-interface thread, and lets its
// worker thread go on when a reply allows it.
#include "upload/DataQueue.h"
#include "upload/MaiaXmlRpcClient.h"
#include "upload/XMLPackets.h"

#include "Core/Logic/Transport/ThreadWorker.h"

#include <QHash>
#include <QImage>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QWaitCondition>

#include <atomic>

class CDataManager;
class ILogicContext;
class QNetworkReply;

class XMLRPC : public QObject
{
    Q_OBJECT
public:
    // How long Exit waits for the worker thread.
    static constexpr int ExitWaitMs = 1000;
    // Texts that come from the service are shown, never trusted to be short.
    static constexpr int MaxDisplayNameLength = 200;

    explicit XMLRPC(QObject* parent = nullptr);
    ~XMLRPC() override;

    // Where the hub, the setup and the data come from (by default the logic manager's).
    void SetContext(ILogicContext* context) { m_pContext = context; }
    void SetDataManager(CDataManager* data) { m_pDataManager = data; }
    CDataManager* GetDataManager() const;

    void Process(XMLPacket* packet);
    void StartUploadOffLineExp(QList<int>* keys);
    void StartUploadOnLineExp(QList<int>& keys);
    void FinishUploadOnLineExp();
    void StopUploading();
    bool IsUploading() const { return m_Queue.IsStreaming(); }
    // Logout.
    void DisableTerravox();
    // Ends the worker thread; false when it did not finish within ExitWaitMs.
    bool Exit();

    // The worker thread's procedure (the controller is its argument).
    static void XmlRpcProc(void* controller);
    // Wakes the worker; a wake given while it is busy is kept for its next wait.
    void WakeWorker();
    void RequestExit() { m_bExit.store(true); }
    bool IsExiting() const { return m_bExit.load(); }

    // The service's codes; "" and -1 for what it does not know.
    static QString RateCode(qint64 rateIndex);
    static int SensorCode(int sensorIndex);
    // The same, telling the user when the code is unsupported.
    QString FixRateCode(qint64 rateIndex);
    int FixSensorCode(qint16 sensorIndex);

    CDataQueue* Queue() { return &m_Queue; }
    MaiaXmlRpcClient* Client() { return &m_Client; }
    QString ExperimentId() const { return m_ExperimentId; }
    // The last fault the service or the network gave (the login dialog shows its text).
    int LastFaultCode() const { return m_LastFaultCode; }
    QString LastFaultText() const { return m_LastFaultText; }

    // Read and written directly by the login dialog and the shell (user-interface thread).
    QString m_LoginName;
    QString m_Password;
    QString m_DisplayName;
    QString m_PictureAddress;
    QImage m_Picture;
    std::atomic<bool> m_bLoggedIn{false};
    std::atomic<bool> m_bOnlineUpload{false};

signals:
    void ValidationReplied(bool suceeded, bool NetworkError);
    // An upload failed before its end (a call refused, unreadable, failed on the network or
    // not answered in time): the text tells the user why. Given at most once per upload; the
    // recorded data stay where they are.
    void UploadHalted(const QString& message);

public slots:
    void onValidateUser();
    void onSendReading(XMLDataPacket DataPacket);
    void onStart(XMLStartPacket startPacket);
    void onEnd(XMLPacket Done);
    void ValidationResponse(QVariant& retVal, QNetworkReply* netReply);
    void StartExpResponse(QVariant& retVal, QNetworkReply* netReply);
    void EndExpResponse(QVariant& retVal, QNetworkReply* netReply);
    void ExpDataReponse(QVariant& retVal, QNetworkReply* netReply);
    void FaultReponse(int error, const QString& message, QNetworkReply* netReply);

private:
    enum class Call { None, Login, Start, Reading, Stop };
    void makeCall(Call call, const QString& method, const QList<QVariant>& args, const char* replySlot);
    // Which call a reply answers (None for a reply this controller did not ask for).
    Call takeCall(QNetworkReply* reply);
    // A call of the upload failed for the reason given: the user is told (once per upload),
    // the rest of the upload is dropped and a started experiment is closed at the service.
    void uploadCallFailed(Call call, const QString& reason);
    static QString faultReason(int error, const QString& message);
    void showMessage(const QString& text);
    ILogicContext* context() const;
    // The keys of the list that name a branch, at most limit of them; empty (after a message)
    // when more than the service takes would remain.
    QList<int> uploadableKeys(const QList<int>& keys, int limit);
    // The names of the series among keys the service has no sensor code for (series of a
    // sensor it does not know, and series of no sensor: functions, typed X values). Checked
    // before anything is queued, so that the user hears which series stop the upload.
    QStringList seriesWithoutCode(const QList<int>& keys) const;
    void stopWorker();

    QMutex m_Mutex;
    QWaitCondition m_WaitCondition;
    bool m_bWakePending = false; // guarded by m_Mutex
    CThreadWorker m_Worker;
    std::atomic<bool> m_bExit{false};
    CDataQueue m_Queue;
    QString m_ExperimentId;
    MaiaXmlRpcClient m_Client;
    ILogicContext* m_pContext = nullptr;
    CDataManager* m_pDataManager = nullptr;
    // The calls awaiting their answers (compared, never used).
    QHash<QNetworkReply*, Call> m_Calls;
    // The current upload has already told the user it failed.
    bool m_bHaltReported = false;
    int m_LastFaultCode = 0;
    QString m_LastFaultText;
};
