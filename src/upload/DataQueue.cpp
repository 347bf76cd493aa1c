#include "upload/DataQueue.h"

#include "upload/XMLRPC.h"

#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"

#include <QElapsedTimer>
#include <QMutexLocker>
#include <QThread>

#include <algorithm>
#include <charconv>
#include <memory>

CDataQueue::CDataQueue(XMLRPC* owner, QObject* parent) : QObject(parent), m_pOwner(owner)
{
    static const bool registered = [] {
        qRegisterMetaType<XMLPacket>("XMLPacket");
        qRegisterMetaType<XMLStartPacket>("XMLStartPacket");
        qRegisterMetaType<XMLDataPacket>("XMLDataPacket");
        return true;
    }();
    Q_UNUSED(registered);
    // Emitted on the worker thread; the controller's slots run on its own thread.
    connect(this, &CDataQueue::ValidateUser, owner, &XMLRPC::onValidateUser, Qt::QueuedConnection);
    connect(this, &CDataQueue::StartExperiement, owner, &XMLRPC::onStart, Qt::QueuedConnection);
    connect(this, &CDataQueue::SendReading, owner, &XMLRPC::onSendReading, Qt::QueuedConnection);
    connect(this, &CDataQueue::EndExperiement, owner, &XMLRPC::onEnd, Qt::QueuedConnection);
}

CDataQueue::~CDataQueue()
{
    dropPending();
}

int CDataQueue::PendingCount() const
{
    QMutexLocker lock(&m_ListLock);
    return m_Pending.size();
}

void CDataQueue::Add2Queue(XMLPacket* packet)
{
    if (!packet)
        return;
    // The worker reads a start or data packet as its own type: one made as a plain packet
    // with such a kind is refused rather than read past its end.
    const bool typed = (packet->kind != XMLPacket::Start || dynamic_cast<XMLStartPacket*>(packet))
                       && (packet->kind != XMLPacket::Data || dynamic_cast<XMLDataPacket*>(packet));
    switch (typed ? packet->kind : -1) {
    case XMLPacket::Login:
        m_bActive = true;
        m_bStreaming = false;
        packet->kind = XMLPacket::Validate;
        break;
    case XMLPacket::Start:
        // What a failed upload left behind would go out first and then drop this one.
        if (isHalted()) {
            dropPending();
            m_bStreaming = false;
        }
        m_bAbandoned = false;
        m_bActive = true;
        break;
    case XMLPacket::Data:
        break;
    case XMLPacket::End:
        m_bStreaming = false;
        break;
    case XMLPacket::Stop:
        delete packet;
        StopUploading();
        return;
    default:
        delete packet;
        return;
    }
    {
        QMutexLocker lock(&m_ListLock);
        m_Pending.append(packet);
    }
    m_pOwner->WakeWorker();
}

void CDataQueue::FinishStreaming(XMLPacket* end)
{
    if (!end)
        return;
    if (m_bAbandoned) {
        delete end;
        return;
    }
    // Unlike an end queued on its own, this one leaves the streaming flag alone: cutting the
    // stream here would drop the rows stored since the last part.
    m_bRunEnded = true;
    {
        QMutexLocker lock(&m_ListLock);
        m_Pending.append(end);
    }
    m_pOwner->WakeWorker();
}

bool CDataQueue::isHalted() const
{
    return !m_bActive && !m_bAwaitingReply && (m_bStreaming || PendingCount() > 0);
}

void CDataQueue::ReplyArrived(bool active)
{
    if (active)
        m_bActive = true;
    m_bAwaitingReply = false;
}

void CDataQueue::StopUploading()
{
    if (!m_bStreaming && PendingCount() == 0)
        return;
    // Most of an upload is spent waiting for a reply; a stop given then is kept, and the end
    // goes out once the reply lets the worker go on. A failed upload gets its end at once.
    closeUpload(isHalted());
}

void CDataQueue::AbandonUpload(bool closeAtService)
{
    m_bAbandoned = true;
    if (closeAtService) {
        closeUpload(true);
        return;
    }
    m_bStreaming = false;
    replacePending(nullptr);
}

void CDataQueue::closeUpload(bool activate)
{
    m_bStreaming = false;
    replacePending(new XMLPacket(XMLPacket::End));
    if (activate)
        m_bActive = true;
    m_pOwner->WakeWorker();
}

void CDataQueue::replacePending(XMLPacket* end)
{
    QList<XMLPacket*> dropped;
    {
        QMutexLocker lock(&m_ListLock);
        dropped.swap(m_Pending);
        if (end)
            m_Pending.append(end);
    }
    qDeleteAll(dropped);
}

XMLPacket* CDataQueue::takePending()
{
    QMutexLocker lock(&m_ListLock);
    return m_Pending.isEmpty() ? nullptr : m_Pending.takeFirst();
}

void CDataQueue::dropPending()
{
    replacePending(nullptr);
}

void CDataQueue::ProcessData_XMLRPC()
{
    for (;;) {
        if (!m_bActive || m_pOwner->IsExiting())
            return;
        std::unique_ptr<XMLPacket> packet;
        if (m_bStreaming && m_CurrentDataPacket) {
            packet.reset(new XMLDataPacket(std::move(*m_CurrentDataPacket)));
            m_CurrentDataPacket.reset();
        } else {
            // An end or a stop cleared the streaming flag: the rest of that upload is dropped.
            m_CurrentDataPacket.reset();
            packet.reset(takePending());
            if (!packet)
                return;
        }
        // The active flag is cleared before a packet is handed on: the reply that sets it
        // again may come back before this thread runs another line.
        switch (packet->kind) {
        case XMLPacket::Validate:
            emit ValidateUser();
            break;
        case XMLPacket::Start: {
            const auto& start = static_cast<const XMLStartPacket&>(*packet);
            m_bStreaming = false;
            m_NextSample = 0;
            m_TotalSamples = start.numberOfSamples;
            m_bRunEnded = false;
            m_bAwaitingReply = true;
            m_bActive = false;
            emit StartExperiement(start);
            return;
        }
        case XMLPacket::Data:
            gather(static_cast<XMLDataPacket&>(*packet));
            return;
        case XMLPacket::End:
            m_bActive = false;
            m_bStreaming = false;
            dropPending();
            emit EndExperiement(*packet);
            return;
        case XMLPacket::StopWorker:
            m_bActive = false;
            m_pOwner->RequestExit();
            return;
        default:
            break;
        }
    }
}

QString CDataQueue::FormatValue(double value)
{
    if (value == MissingValue)
        return QStringLiteral("-9999999");
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 6);
    return QString::fromLatin1(text, int(result.ptr - text));
}

int CDataQueue::firstBranchCount(const XMLDataPacket& packet) const
{
    CDataManager* data = m_pOwner->GetDataManager();
    const CDataBranch* first =
        (data && !packet.keys.isEmpty()) ? data->GetDataBranch(packet.keys.first()) : nullptr;
    return first ? first->GetYSize() : -1;
}

int CDataQueue::appendRows(XMLDataPacket& packet, int count)
{
    CDataManager* data = m_pOwner->GetDataManager();
    QVector<double> y;
    const int sensors = std::min<int>(packet.sensorCount, packet.valueLists.size());
    for (int s = 0; s < sensors; ++s) {
        // One locked copy per branch and block: the storing thread is held up once, not per row.
        const CDataBranch* branch =
            (data && s < packet.keys.size()) ? data->GetDataBranch(packet.keys.at(s)) : nullptr;
        const int got = branch ? branch->CopyYRange(int(m_NextSample), count, y) : 0;
        QStringList& texts = packet.valueLists[s];
        texts.reserve(texts.size() + count);
        for (int i = 0; i < count; ++i)
            // A branch shorter than the first, or one deleted meanwhile, has a gap here.
            texts.append(FormatValue(i < got ? y.at(i) : MissingValue));
    }
    m_NextSample += count;
    return count;
}

void CDataQueue::waitForSamples()
{
    QThread::msleep(PollMs);
}

void CDataQueue::gather(XMLDataPacket& packet)
{
    m_bStreaming = true;
    packet.CreateDataPacketWithSize(std::max<int>(packet.sensorCount, 0));
    QElapsedTimer clock;
    clock.start();
    int rows = 0;
    for (;;) {
        if (rows >= MaxRowsPerPacket || clock.elapsed() >= GatherTimeMs)
            break;
        if (m_NextSample == m_TotalSamples) {
            m_bStreaming = false;
            break;
        }
        if (!m_bStreaming || m_pOwner->IsExiting())
            break;
        // Read before the count: once the run has ended, the count read after it is final.
        const bool ended = m_bRunEnded;
        const int available = firstBranchCount(packet);
        if (available < 0) {
            // The first branch is gone: nothing decides the rows any more.
            m_bStreaming = false;
            break;
        }
        if (available <= m_NextSample) {
            if (ended) {
                m_bStreaming = false;
                break;
            }
            waitForSamples();
            continue;
        }
        qint64 count = std::min<qint64>(available - m_NextSample, MaxRowsPerPacket - rows);
        if (m_TotalSamples > m_NextSample)
            count = std::min(count, m_TotalSamples - m_NextSample);
        rows += appendRows(packet, int(count));
    }
    packet.rowCount = rows;
    if (m_bStreaming)
        m_CurrentDataPacket = packet.NextPart();
    m_bAwaitingReply = true;
    m_bActive = false;
    emit SendReading(packet);
}
