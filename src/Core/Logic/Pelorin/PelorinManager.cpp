// The Pelorin manager: logger interface, command queue and the link's worker threads.
#include "Core/Logic/Pelorin/PelorinManager.h"
#include "Core/Logic/Transport/PortNumber.h"

#include "Core/Logic/Pelorin/PelorinDiagnostics.h"
#include "Core/Data/SensorInfo.h"
#include "Core/Logic/LogicServices.h"

#include <QThread>

#include <algorithm>
#include <chrono>
#include <cstring>

namespace {

void Log(const char* text) { MyOutputDebugString(text, DiagPelorinMan); }

// How long the shutdown waits for each worker, and in all, before it gives up on a thread.
constexpr unsigned long kKeepAliveJoinMs = 2000;
constexpr unsigned long kWorkerJoinMs = 1000;
constexpr int kLastResortJoinMs = 10000;

CThreadWorker* NewWorker(void (*proc)(void*), void* self, bool runOnce)
{
    auto* worker = new CThreadWorker();
    worker->SetRunOnce(runOnce);
    worker->InitProc(proc, self);
    return worker;
}

} // namespace

const QString CPelorinManager::s_TimerDisconnectionName = QStringLiteral("Timer Disconnection");

CPelorinManager::CPelorinManager(ILogicServices* logic)
    : m_pLogic(logic), m_Host(logic, this)
{
    m_Clock.start();
    SetHost(&m_Host);
    SetLogger(this);
    m_RxWorker = NewWorker(&CPelorinManager::RxThreadProc, this, false);
    m_TxWorker = NewWorker(&CPelorinManager::TxThreadProc, this, true);
    m_ProcWorker = NewWorker(&CPelorinManager::ProcessDataThreadProc, this, true);
    m_DtWorker = NewWorker(&CPelorinManager::DtThreadProc, this, false);
    m_KeepAliveWorker = NewWorker(&CPelorinManager::KeepAliveThreadProc, this, false);
    // The sender and the processor wait on their conditions for their whole life.
    m_TxWorker->StartWork(0);
    m_ProcWorker->StartWork(0);
}

CPelorinManager::~CPelorinManager()
{
    ExitManager();
    SetHost(nullptr);
}

// ---- logger interface

void CPelorinManager::StartDetection() { StartDeviceDetection(); }

void CPelorinManager::ExecuteHalvorenCmd(short id)
{
    Log("ExecuteHalvorenCmd");
    Log("ExecutePelorinCmd");
    SendCmd(CommandParametersStruct(static_cast<unsigned char>(id)), true);
}

void CPelorinManager::SendCmd(CommandParametersStruct cmd, bool bStartNow)
{
    AddSafeCommand(cmd, bStartNow);
}

void CPelorinManager::SendStatusReq() { StatusReq(); }

void CPelorinManager::SendStopReq() { StopReq(); }

int CPelorinManager::GetNumberOfSensors() { return RecordCopy().channelCount; }

int CPelorinManager::GetLoggerSensorList(unsigned char* list)
{
    if (!list)
        return 0;
    std::memset(list, 0, 8);
    return LoggerSensorList(list);
}

int CPelorinManager::GetActiveSensorListIndex(unsigned char* list)
{
    if (!list)
        return 0;
    std::memset(list, 0, 8);
    return ActiveSensorListIndex(list);
}

int CPelorinManager::GetNumberOfSamples() { return RecordCopy().numberOfSamples; }

int CPelorinManager::GetSampleRateCode() { return int(RecordCopy().RateWord()); }

int CPelorinManager::GetNumberOfSamples(unsigned char code) { return int(CGlobalTable::GetNumberOfSamples(code)); }

int CPelorinManager::GetNumberOfSamplesCode(int samples) { return CGlobalTable::GetNumberOfSamplesCode(samples); }

int CPelorinManager::GetLoggerRateCode(int rateCode, int sensors)
{
    return CPelorinProtocolTables::GetLoggerRateCode(rateCode, sensors);
}

int CPelorinManager::GetUiRateCode(int loggerCode) { return CPelorinProtocolTables::GetUiRateCode(loggerCode); }

int CPelorinManager::GetMaxRate(short sensor) { return MaxRate(sensor); }

ExperimentInterval CPelorinManager::GetExperimentInterval(short rateCode, short samples)
{
    return GetLoggertExperimentInterval(rateCode, samples);
}

double CPelorinManager::GetZeroConst(int, int index)
{
    const CSensorInfo* catalogue = m_pLogic ? &m_pLogic->SensorCatalogue() : nullptr;
    const CSensorParametersInfo* record = catalogue ? catalogue->GetSensorInfo(index) : nullptr;
    return record ? double(record->m_Zero) : 0.0;
}

int CPelorinManager::GetPortNumber()
{
    return PortNumberOfName(portName());
}

void CPelorinManager::GetVersion(int& v1, int& v2, int& v3, int& v4, int& v5, int& v6)
{
    Version(v1, v2, v3, v4, v5, v6);
}

void CPelorinManager::Exit()
{
    CloseLogger(false);
    // Leaving the program: what was received is stored before the threads end.
    WaitForClose(2000);
    ExitManager();
}

// ---- command queue

void CPelorinManager::AddSafeCommand(const CommandParametersStruct& cmd, bool bStartNow)
{
    Log("AddSafeCommand");
    if (!m_bConnected)
        return;
    // The command is carried out with the setup as it is now.
    m_Host.RefreshSetup();
    // A stop goes before everything still waiting.
    if (cmd.CommandId() == CmdStop)
        m_CommandQueue.clearAndAppend(cmd);
    else
        m_CommandQueue.append(cmd);
    // The logger's answer to the request to enter its boot-loader is awaited from here on.
    if (cmd.CommandId() == CmdUploadFirmware)
        NoteFirmwareWait(FirmwareWait::EnterReply);
    if (bStartNow)
        StartTxEvent();
}

void CPelorinManager::StartTxEvent()
{
    Log("StartTxEvent");
    QMutexLocker lock(&m_TxLock);
    m_bTxPending = true;
    m_TxCond.wakeAll();
}

int CPelorinManager::QueuedCommands()
{
    return m_CommandQueue.count();
}

bool CPelorinManager::CommandExpectsAck(unsigned char id) const
{
    // The logger's answers to these carry no acknowledgement: waiting for one would only
    // resend them and hold up the commands behind.
    return id != CmdKeepAlive && id != CmdWriteSensorId && id != CmdHello && id != CmdGoodbye &&
           id != CmdUploadFirmware;
}

bool CPelorinManager::SleepUnlessExit(int ms)
{
    QElapsedTimer t;
    t.start();
    while (!m_bExit) {
        const qint64 left = ms - t.elapsed();
        if (left <= 0)
            return true;
        QThread::msleep(static_cast<unsigned long>(std::min<qint64>(left, 20)));
    }
    return false;
}

bool CPelorinManager::WaitForAck(int ms)
{
    QElapsedTimer t;
    t.start();
    while (!m_bExit) {
        const qint64 left = ms - t.elapsed();
        if (left <= 0)
            return false;
        if (WaitforCmdRecivedEvent(int(std::min<qint64>(left, 50))))
            return true;
    }
    return false;
}

void CPelorinManager::PelorinTx()
{
    Log("PelorinTx");
    while (!m_bExit) {
        if (!m_CommandQueue.takeFront(m_CurrentCommand))
            return;
        ResetCmdRecivedEvent();
        const int link = m_LinkCloses;
        unsigned char unused = 0;
        SendCommandHandler(m_CurrentCommand, unused);
        Log("<< << CMD SENT >>  >>");
        const unsigned char id = m_CurrentCommand.CommandId();
        if (id == CmdUploadFirmware) {
            SleepUnlessExit(200);
            continue;
        }
        if (CommandExpectsAck(id)) {
            const int timeout = id == CmdRun ? RunAckTimeoutMs : AckTimeoutMs;
            // Each write but the last is followed by an acknowledgement wait: once the last
            // permitted write is out, the next command only keeps its usual 100 ms distance.
            for (int resend = 0;; ++resend) {
                if (WaitForAck(timeout)) {
                    Log("<< << CMD ACK  >>  >>");
                    break;
                }
                if (m_bExit || link != m_LinkCloses)
                    break;
                Log("<< << ***CMD RESEND*** >>  >>");
                m_bResending = true;
                SendCommandHandler(m_CurrentCommand, unused);
                m_bResending = false;
                if (resend + 1 == MaxResends)
                    break;
            }
        }
        SleepUnlessExit(100);
    }
}

// ---- worker procedures

void CPelorinManager::RxThreadProc(void* self) { static_cast<CPelorinManager*>(self)->PelorinRx(); }
void CPelorinManager::TxThreadProc(void* self) { static_cast<CPelorinManager*>(self)->TxLoop(); }
void CPelorinManager::ProcessDataThreadProc(void* self) { static_cast<CPelorinManager*>(self)->ProcessLoop(); }
void CPelorinManager::DtThreadProc(void* self) { static_cast<CPelorinManager*>(self)->PoolDeviceDetection(); }
void CPelorinManager::KeepAliveThreadProc(void* self) { static_cast<CPelorinManager*>(self)->KeepAliveTimerFun(); }

void CPelorinManager::PelorinRx()
{
    static constexpr int kChunk = 8192;
    unsigned char buffer[kChunk];
    {
        QMutexLocker readLock(&m_ReadLock);
        if (!m_bPortOpen || m_bExit || m_bLinkLost)
            return;
        const int n = Read(buffer, kChunk);
        if (n < 0) {
            readLock.unlock();
            LinkLost();
            return;
        }
        if (n == 0)
            return;
        if (m_bObserveStores) {
            QMutexLocker lock(&m_ArrivalLock);
            NoteArrival(WriteCycliceBuffer(n, buffer));
        } else {
            WriteCycliceBuffer(n, buffer);
        }
    }
    WakeProcessor();
}

qint64 CPelorinManager::NowNs()
{
    using namespace std::chrono;
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

void CPelorinManager::NoteArrival(int bytes)
{
    m_BytesWritten += bytes;
    m_Arrivals.push_back({m_BytesWritten, NowNs()});
}

void CPelorinManager::SetStoreObserver(std::function<void(qint64 arrivalNs, int rows)> observer)
{
    {
        QMutexLocker lock(&m_ArrivalLock);
        m_StoreObserver = std::move(observer);
        m_Arrivals.clear();
        m_BytesWritten = AvailableBytes();
        m_bObserveStores = bool(m_StoreObserver);
    }
    if (!m_bObserveStores) {
        m_Host.SetStoreObserver(nullptr);
        return;
    }
    m_Host.SetStoreObserver([this](int rows) { OnRowsStored(rows); });
}

void CPelorinManager::OnRowsStored(int rows)
{
    QMutexLocker lock(&m_ArrivalLock);
    // The packet just stored ended at the last byte taken from the ring; it arrived with the
    // read that brought that byte.
    const qint64 consumed = m_BytesWritten - AvailableBytes();
    while (!m_Arrivals.empty() && m_Arrivals.front().endByte < consumed)
        m_Arrivals.pop_front();
    const qint64 arrival = m_Arrivals.empty() ? NowNs() : m_Arrivals.front().ns;
    if (m_StoreObserver)
        m_StoreObserver(arrival, rows);
}

void CPelorinManager::WakeProcessor()
{
    QMutexLocker lock(&m_ProcLock);
    m_bProcPending = true;
    m_ProcCond.wakeAll();
}

void CPelorinManager::ProcessLoop()
{
    for (;;) {
        {
            QMutexLocker lock(&m_ProcLock);
            while (!m_bExit && !m_bProcPending)
                m_ProcCond.wait(&m_ProcLock, 100);
            if (m_bExit)
                return;
            m_bProcPending = false;
        }
        // Steps while the ring holds what the machine expects; bytes that arrive meanwhile
        // set the pending flag again, so nothing waits unseen.
        std::vector<std::function<void()>> finished;
        {
            QMutexLocker lock(&m_ProcessDataLock);
            ProcessReceivedData();
            if (m_bClosing) {
                // The close came after the last read: one more pass takes what that read brought.
                ProcessReceivedData();
                finished = FinishClose();
            }
        }
        RunCloseDone(std::move(finished));
    }
}

void CPelorinManager::TxLoop()
{
    Log("TxThreadProc ");
    for (;;) {
        {
            QMutexLocker lock(&m_TxLock);
            while (!m_bExit && !m_bTxPending)
                m_TxCond.wait(&m_TxLock, 100);
            if (m_bExit)
                return;
            m_bTxPending = false;
        }
        PelorinTx();
    }
}

// ---- closing

void CPelorinManager::CloseLogger(bool bUnplugged, std::function<void()> done)
{
    Log("CloseLogger");
    StopKeepAliveTimer();
    // A command still unanswered dies with the link: neither its resend nor the packets after
    // the next connection start a run that nobody asked that logger for.
    ++m_LinkCloses;
    m_bRunRequested = false;
    if (!bUnplugged) {
        if (m_bConnected && !m_bFirmwareBusy)
            GoodbyeReq();
        QThread::msleep(50);
    } else {
        QThread::msleep(50);
    }
    // The reader must not read a port being closed; it tests the flag before each read, and a
    // read already under way finishes its copy into the ring before the port goes.
    m_bPortOpen = false;
    if (m_RxWorker)
        m_RxWorker->StopWork();
    {
        QMutexLocker readLock(&m_ReadLock);
        ClosePort();
    }
    m_bConnected = false;
    m_CommandQueue.ClearPacketQueue();
    // Whatever arrived before the link went is still decoded and stored, so an unplug ends the
    // run with every sample received. The packet processor does that on its own thread: a
    // long backlog must not hold up the window.
    {
        QMutexLocker lock(&m_CloseLock);
        if (done)
            m_CloseDone.push_back(std::move(done));
        m_bClosing = true;
    }
    if (!m_ProcWorker || m_bExit) {
        std::vector<std::function<void()>> finished;
        {
            QMutexLocker lock(&m_ProcessDataLock);
            finished = FinishClose();
        }
        RunCloseDone(std::move(finished));
        return;
    }
    WakeProcessor();
}

std::vector<std::function<void()>> CPelorinManager::FinishClose()
{
    // Under the processing lock, after the last complete frame was handled. A half frame left
    // at the end never completes and is dropped with the ring.
    std::vector<std::function<void()>> done;
    QMutexLocker lock(&m_CloseLock);
    if (!m_bClosing)
        return done;
    m_bRunning = false;
    ResetReceiveState();
    ClearCyclicCBuffer();
    done.swap(m_CloseDone);
    m_bClosing = false;
    return done;
}

void CPelorinManager::RunCloseDone(std::vector<std::function<void()>> done)
{
    // The completions belong to the interface thread, in the order the closes were asked for.
    for (std::function<void()>& fn : done) {
        if (m_pLogic && QThread::currentThread() != m_pLogic->InterfaceObject()->thread())
            QMetaObject::invokeMethod(m_pLogic->InterfaceObject(), std::move(fn), Qt::QueuedConnection);
        else
            fn();
    }
}

bool CPelorinManager::WaitForClose(int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (m_bClosing && !m_bExit && t.elapsed() < timeoutMs) {
        WakeProcessor();
        QThread::msleep(2);
    }
    return !m_bClosing;
}

void CPelorinManager::RequestExit()
{
    m_bOpenRetryAbort = true;
}

void CPelorinManager::ExitManager()
{
    if (m_bExited)
        return;
    m_bExited = true;
    Log("ExitManager Enter");
    m_bOpenRetryAbort = true;
    m_bExit = true;
    CThreadWorker* workers[] = {m_KeepAliveWorker, m_DtWorker, m_ProcWorker, m_TxWorker, m_RxWorker};
    for (CThreadWorker* w : workers)
        w->StopWork();
    {
        QMutexLocker lock(&m_TxLock);
        m_TxCond.wakeAll();
    }
    {
        QMutexLocker lock(&m_ProcLock);
        m_ProcCond.wakeAll();
    }
    for (CThreadWorker* w : workers)
        w->Exit();
    m_KeepAliveWorker->wait(kKeepAliveJoinMs);
    for (CThreadWorker* w : {m_DtWorker, m_ProcWorker, m_TxWorker, m_RxWorker})
        w->wait(kWorkerJoinMs);
    // Every procedure gives up within a few tens of milliseconds once exit is set; a thread
    // still running here is given a last, longer chance, and is never deleted while it runs.
    QElapsedTimer t;
    t.start();
    for (CThreadWorker*& w : workers) {
        const qint64 left = std::max<qint64>(0, kLastResortJoinMs - t.elapsed());
        if (!w->wait(static_cast<unsigned long>(left))) {
            Log("ExitManager worker still running: left alive");
            continue;
        }
        delete w;
    }
    m_KeepAliveWorker = m_DtWorker = m_ProcWorker = m_TxWorker = m_RxWorker = nullptr;
    Log("ExitManager Leave");
}
