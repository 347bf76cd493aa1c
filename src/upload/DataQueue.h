#pragma once
// The upload packet queue: holds the packets of a login or an upload and hands them, one at a
// time and in order, to the controller's call slots. Its worker step runs on the controller's
// worker thread and does the slow part: it gathers the rows of a data packet from the data
// branches and formats every value as text. After it hands over a start or a data packet the
// queue stays inactive until the controller has the service's reply, so one call of an upload
// is outstanding at a time and the rows reach the service in order.
#include "upload/XMLPackets.h"

#include <QList>
#include <QMutex>
#include <QObject>

#include <atomic>
#include <optional>

class CDataManager;
class XMLRPC;

class CDataQueue : public QObject
{
    Q_OBJECT
public:
    // A call carries at most this many rows, gathered within about this time, so a long upload
    // goes out in calls of bounded size and a live one sends what arrived meanwhile.
    static constexpr int MaxRowsPerPacket = 10001;
    static constexpr int GatherTimeMs = 1000;
    // How often a live upload looks for new samples while it waits for them.
    static constexpr int PollMs = 5;

    explicit CDataQueue(XMLRPC* owner, QObject* parent = nullptr);
    ~CDataQueue() override;

    // User-interface thread. Add2Queue takes over the packet.
    void Add2Queue(XMLPacket* packet);
    void StopUploading();
    // A call of the upload failed: the rest of it is dropped and, when the experiment was
    // started at the service, an end goes out to close it there. A run that is still being
    // recorded goes on; its end no longer reaches the service.
    void AbandonUpload(bool closeAtService);
    // The recorded run has ended: its live upload sends every row the run stored, then the
    // end packet (which the queue takes over).
    void FinishStreaming(XMLPacket* end);
    // Worker thread.
    void ProcessData_XMLRPC();

    bool IsActive() const { return m_bActive.load(); }
    void SetActive(bool active) { m_bActive.store(active); }
    bool IsStreaming() const { return m_bStreaming.load(); }
    // A start or data call is out and its reply not yet in.
    bool IsAwaitingReply() const { return m_bAwaitingReply.load(); }
    // The controller has the reply of the call out (whatever it says); active: go on.
    void ReplyArrived(bool active);
    int PendingCount() const;

    // One value as the service reads it: six significant digits, a point whatever the locale;
    // the missing value as the plain number the rest of the program writes for it.
    static QString FormatValue(double value);

signals:
    void ValidateUser();
    // The packets go out by value: the receiving thread gets its own copy.
    void StartExperiement(XMLStartPacket oData);
    void SendReading(XMLDataPacket oData);
    void EndExperiement(XMLPacket oData);

private:
    // Neither working nor waiting for a reply, with an upload left over: it failed.
    bool isHalted() const;
    XMLPacket* takePending();
    void dropPending();
    // Drops every pending packet and queues end, when given, in their place.
    void replacePending(XMLPacket* end);
    // Queues the end of the upload under way; activate lets the worker take it at once.
    void closeUpload(bool activate);
    void gather(XMLDataPacket& packet);
    // Appends up to count rows from next sample on; returns how many were appended.
    int appendRows(XMLDataPacket& packet, int count);
    int firstBranchCount(const XMLDataPacket& packet) const;
    void waitForSamples();

    QList<XMLPacket*> m_Pending;
    mutable QMutex m_ListLock;
    std::atomic<bool> m_bActive{false};
    std::atomic<bool> m_bStreaming{false};
    std::atomic<bool> m_bAwaitingReply{false};
    // Set when the run being sent has ended: no more samples will come.
    std::atomic<bool> m_bRunEnded{false};
    // Set when a failed call ended the upload; the next start clears it.
    std::atomic<bool> m_bAbandoned{false};
    XMLRPC* m_pOwner;
    // Worker thread only.
    qint64 m_TotalSamples = 0;
    qint64 m_NextSample = 0;
    std::optional<XMLDataPacket> m_CurrentDataPacket;
};
