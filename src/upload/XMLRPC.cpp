#include "upload/XMLRPC.h"

#include "upload/MaiaObject.h"
#include "upload/UploadEndpoint.h"

#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Logic/LogicContext.h"
#include "Core/Logic/LogicManager.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QMutexLocker>
#include <QNetworkReply>
#include <QUrl>

XMLRPC::XMLRPC(QObject* parent)
    : QObject(parent), m_Queue(this), m_Client(TerravoxEndpoint())
{
    m_bExit = false;
    m_Worker.SetRunOnce(true);
    m_Worker.InitProc(&XMLRPC::XmlRpcProc, this);
    m_Worker.StartWork(0);
}

XMLRPC::~XMLRPC()
{
    stopWorker();
    m_Worker.Shutdown(ExitWaitMs);
    // Packets the worker handed over are still on their way in posted calls; delivered now,
    // the exiting slots release them without calling the service.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

CDataManager* XMLRPC::GetDataManager() const
{
    if (m_pDataManager)
        return m_pDataManager;
    return p_LogicManager ? &p_LogicManager->m_DataManager : nullptr;
}

ILogicContext* XMLRPC::context() const
{
    if (m_pContext)
        return m_pContext;
    return p_LogicManager ? p_LogicManager->GetContext() : nullptr;
}

void XMLRPC::stopWorker()
{
    m_Queue.SetActive(false);
    RequestExit();
    WakeWorker();
}

bool XMLRPC::Exit()
{
    stopWorker();
    return m_Worker.Shutdown(ExitWaitMs);
}

void XMLRPC::WakeWorker()
{
    QMutexLocker lock(&m_Mutex);
    m_bWakePending = true;
    m_WaitCondition.wakeOne();
}

void XMLRPC::XmlRpcProc(void* controller)
{
    auto* self = static_cast<XMLRPC*>(controller);
    for (;;) {
        {
            QMutexLocker lock(&self->m_Mutex);
            // The mutex is held only around the wait: a reply slot that wakes the worker
            // never waits for a gathering to end, and a wake given meanwhile is kept.
            while (!self->m_bWakePending && !self->IsExiting())
                self->m_WaitCondition.wait(&self->m_Mutex);
            self->m_bWakePending = false;
        }
        if (self->IsExiting())
            return;
        self->m_Queue.ProcessData_XMLRPC();
    }
}

void XMLRPC::Process(XMLPacket* packet)
{
    m_Queue.Add2Queue(packet);
}

void XMLRPC::showMessage(const QString& text)
{
    ILogicContext* ctx = context();
    if (CKorvantaSignals* hub = ctx ? ctx->GetSignals() : nullptr)
        hub->SignalGuiModallessMsg(tr("Terravox"), text, true);
}

QList<int> XMLRPC::uploadableKeys(const QList<int>& keys, int limit)
{
    CDataManager* data = GetDataManager();
    QList<int> usable;
    for (int i = 0; i < keys.size() && i < limit; ++i)
        if (data && data->GetDataBranch(keys.at(i)))
            usable.append(keys.at(i));
    if (usable.size() > XMLPacket::MaxSensors) {
        showMessage(tr("At most %1 sensors can be uploaded.").arg(XMLPacket::MaxSensors));
        return {};
    }
    return usable;
}

void XMLRPC::StartUploadOffLineExp(QList<int>* keys)
{
    if (!m_bLoggedIn || !keys)
        return;
    // Only the series that exist are sent; the first one decides the rows.
    const QList<int> usable = uploadableKeys(*keys, keys->size());
    CDataManager* data = GetDataManager();
    const CDataBranch* first = (data && !usable.isEmpty()) ? data->GetDataBranch(usable.first()) : nullptr;
    if (!first)
        return;
    auto* start = new XMLStartPacket;
    start->sensorCount = qint16(usable.size());
    for (int i = 0; i < usable.size(); ++i) {
        const CDataBranch* branch = data->GetDataBranch(usable.at(i));
        start->sensorCodes[i] = qint16(branch ? branch->m_SensorIndex : -1);
    }
    start->numberOfSamples = first->GetYSize();
    start->rateIndex = first->m_RateCode;
    auto* rows = new XMLDataPacket;
    rows->sensorCount = start->sensorCount;
    rows->keys = usable;
    Process(start);
    Process(rows);
    Process(new XMLPacket(XMLPacket::End));
}

void XMLRPC::StartUploadOnLineExp(QList<int>& keys)
{
    if (!m_bLoggedIn || !m_bOnlineUpload)
        return;
    ILogicContext* ctx = context();
    const CSetupInfo* setup = ctx ? ctx->GetSetupInfo() : nullptr;
    if (!setup)
        return;
    const QList<int> usable = uploadableKeys(keys, setup->GetActiveSensorsCount());
    CDataManager* data = GetDataManager();
    if (usable.isEmpty() || !data)
        return;
    auto* start = new XMLStartPacket;
    start->numberOfSamples = setup->m_NumberOfSamples;
    start->sensorCount = qint16(usable.size());
    start->rateIndex = setup->m_RateCode;
    for (int i = 0; i < usable.size(); ++i) {
        const CDataBranch* branch = data->GetDataBranch(usable.at(i));
        start->sensorCodes[i] = qint16(branch ? branch->m_SensorIndex : -1);
    }
    auto* rows = new XMLDataPacket;
    rows->sensorCount = start->sensorCount;
    rows->keys = usable;
    Process(start);
    Process(rows);
}

void XMLRPC::FinishUploadOnLineExp()
{
    if (m_bLoggedIn && m_bOnlineUpload)
        m_Queue.FinishStreaming(new XMLPacket(XMLPacket::End));
}

void XMLRPC::StopUploading()
{
    if (m_bLoggedIn)
        m_Queue.StopUploading();
}

void XMLRPC::DisableTerravox()
{
    m_bLoggedIn = false;
    m_Picture = QImage();
    m_PictureAddress = QString();
    m_DisplayName = QString();
    m_ExperimentId = QString();
}

QString XMLRPC::RateCode(qint64 rateIndex)
{
    static const char* const codes[] = {"0", "1", "B", "C", "2", "3", "4", "5", "6", "D", "7", "8", "9", "", "", "A"};
    if (rateIndex < 0 || rateIndex >= qint64(sizeof codes / sizeof codes[0]))
        return QString();
    return QString::fromLatin1(codes[rateIndex]);
}

int XMLRPC::SensorCode(int sensorIndex)
{
    if (sensorIndex < 51 || (sensorIndex >= 54 && sensorIndex <= 56))
        return sensorIndex;
    if (sensorIndex >= 72)
        return sensorIndex + 300;
    return -1;
}

QString XMLRPC::FixRateCode(qint64 rateIndex)
{
    const QString code = RateCode(rateIndex);
    if (code.isEmpty())
        showMessage(tr("Unsupported rate"));
    return code;
}

int XMLRPC::FixSensorCode(qint16 sensorIndex)
{
    const int code = SensorCode(sensorIndex);
    // -1 is also a sensor index of its own (a series without a sensor): it stops the upload
    // without a message.
    if (code == -1 && sensorIndex != -1)
        showMessage(tr("Unsupported sensor"));
    return code;
}

void XMLRPC::makeCall(const QString& method, const QList<QVariant>& args, const char* replySlot)
{
    QNetworkReply* reply = m_Client.call(method, args, this, replySlot, this,
                                         SLOT(FaultReponse(int, const QString&, QNetworkReply*)));
    if (method == QLatin1String("ValidateUser"))
        m_pLoginReply = reply;
}

void XMLRPC::onValidateUser()
{
    if (IsExiting())
        return;
    makeCall(QStringLiteral("ValidateUser"), {m_LoginName, m_Password},
             SLOT(ValidationResponse(QVariant&, QNetworkReply*)));
}

void XMLRPC::onStart(XMLStartPacket startPacket)
{
    if (IsExiting())
        return;
    const QString rate = FixRateCode(startPacket.rateIndex);
    QVariantList sensors;
    bool supported = !rate.isEmpty();
    const int count = std::min<int>(startPacket.sensorCount, XMLPacket::MaxSensors);
    for (int i = 0; supported && i < count; ++i) {
        const int code = FixSensorCode(startPacket.sensorCodes[i]);
        if (code == -1)
            supported = false;
        else
            sensors.append(code);
    }
    if (!supported) {
        // No call, so no reply will come: the upload stays halted with its packets queued.
        m_Queue.ReplyArrived(false);
        return;
    }
    makeCall(QStringLiteral("StartExperiment"),
             {m_LoginName, m_Password, rate, sensors, QDateTime::currentDateTime()},
             SLOT(StartExpResponse(QVariant&, QNetworkReply*)));
}

void XMLRPC::onSendReading(XMLDataPacket DataPacket)
{
    if (IsExiting())
        return;
    QVariantList sets;
    for (const QStringList& texts : qAsConst(DataPacket.valueLists))
        sets.append(texts.join(QLatin1Char(',')));
    makeCall(QStringLiteral("SendReading"), {m_ExperimentId, DataPacket.rowCount, sets},
             SLOT(ExpDataReponse(QVariant&, QNetworkReply*)));
}

void XMLRPC::onEnd(XMLPacket)
{
    if (IsExiting())
        return;
    makeCall(QStringLiteral("StopExperiment"), {m_ExperimentId}, SLOT(EndExpResponse(QVariant&, QNetworkReply*)));
}

void XMLRPC::ValidationResponse(QVariant& retVal, QNetworkReply* netReply)
{
    if (netReply == m_pLoginReply)
        m_pLoginReply = nullptr;
    m_LastFaultCode = 0;
    m_LastFaultText.clear();
    if (retVal.type() != QVariant::Map) {
        emit ValidationReplied(false, false);
        return;
    }
    const QVariantMap user = retVal.toMap();
    m_DisplayName = user.value(QStringLiteral("name")).toString().left(MaxDisplayNameLength);
    m_PictureAddress = QUrl(user.value(QStringLiteral("avatar")).toString()).toDisplayString();
    m_bLoggedIn = true;
    emit ValidationReplied(true, false);
}

void XMLRPC::StartExpResponse(QVariant& retVal, QNetworkReply*)
{
    m_ExperimentId = retVal.toString();
    m_Queue.ReplyArrived(true);
    WakeWorker();
}

void XMLRPC::ExpDataReponse(QVariant& retVal, QNetworkReply*)
{
    // Only a number that reads as 0 lets the upload go on; anything else halts it.
    bool ok = false;
    const int code = retVal.toInt(&ok);
    const bool accepted = ok && code == 0 && retVal.type() != QVariant::Map && retVal.type() != QVariant::List;
    m_Queue.ReplyArrived(accepted);
    if (accepted)
        WakeWorker();
}

void XMLRPC::EndExpResponse(QVariant&, QNetworkReply*)
{
}

void XMLRPC::FaultReponse(int error, const QString& message, QNetworkReply* netReply)
{
    m_LastFaultCode = error;
    m_LastFaultText = message;
    const bool login = netReply && netReply == m_pLoginReply;
    if (login)
        m_pLoginReply = nullptr;
    else
        m_Queue.ReplyArrived(false);
    // An answer refused for its size is a transport fault too, whether or not the network
    // layer had finished reading it.
    if ((netReply && netReply->error() != QNetworkReply::NoError) || error == MaiaObject::FaultTransport) {
        emit ValidationReplied(false, true);
        return;
    }
    // Any other refusal of a login ends the wait too, or the dialog would wait for ever.
    if (error == 2 || login)
        emit ValidationReplied(false, false);
}
