#include "upload/XMLRPC.h"

#include "upload/MaiaObject.h"
#include "upload/UploadEndpoint.h"

#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/DataFolder.h"
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

QStringList XMLRPC::seriesWithoutCode(const QList<int>& keys) const
{
    QStringList names;
    CDataManager* data = GetDataManager();
    for (int key : keys) {
        const CDataBranch* branch = data ? data->GetDataBranch(key) : nullptr;
        if (!branch || SensorCode(branch->m_SensorIndex) != -1)
            continue;
        // As the history shows it: "Run 1: Pressure (kPa)".
        const CDataFolder* folder = data->GetDataFolderByBranch(key);
        QString name = folder && !folder->m_Name.isEmpty() ? folder->m_Name + QStringLiteral(": ") : QString();
        name += branch->m_Name;
        if (!branch->m_Unit.isEmpty())
            name += QStringLiteral(" (") + branch->m_Unit + QLatin1Char(')');
        names << name;
    }
    return names;
}

void XMLRPC::StartUploadOffLineExp(QList<int>* keys)
{
    if (!m_bLoggedIn || !keys)
        return;
    // Only the series that exist are sent; the first one decides the rows.
    const QList<int> usable = uploadableKeys(*keys, keys->size());
    const QStringList refused = seriesWithoutCode(usable);
    if (!refused.isEmpty()) {
        showMessage(tr("These series cannot be uploaded to Terravox, which has no code for what they measure: %1. "
                       "Nothing was sent. A graph without them can be uploaded.")
                        .arg(refused.join(QStringLiteral("; "))));
        return;
    }
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
    const QStringList refused = seriesWithoutCode(usable);
    if (!refused.isEmpty()) {
        showMessage(tr("These series cannot be uploaded to Terravox, which has no code for what they measure: %1. "
                       "Nothing of this run is sent; it is recorded as usual.")
                        .arg(refused.join(QStringLiteral("; "))));
        return;
    }
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

void XMLRPC::makeCall(Call call, const QString& method, const QList<QVariant>& args, const char* replySlot)
{
    QNetworkReply* reply = m_Client.call(method, args, this, replySlot, this,
                                         SLOT(FaultReponse(int, const QString&, QNetworkReply*)));
    m_Calls.insert(reply, call);
}

XMLRPC::Call XMLRPC::takeCall(QNetworkReply* reply)
{
    return m_Calls.take(reply);
}

void XMLRPC::onValidateUser()
{
    if (IsExiting())
        return;
    makeCall(Call::Login, QStringLiteral("ValidateUser"), {m_LoginName, m_Password},
             SLOT(ValidationResponse(QVariant&, QNetworkReply*)));
}

void XMLRPC::onStart(XMLStartPacket startPacket)
{
    if (IsExiting())
        return;
    // A new upload: its failure is reported afresh, and no identifier of an earlier
    // experiment may be closed in its name.
    m_bHaltReported = false;
    m_ExperimentId.clear();
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
    makeCall(Call::Start, QStringLiteral("StartExperiment"),
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
    makeCall(Call::Reading, QStringLiteral("SendReading"), {m_ExperimentId, DataPacket.rowCount, sets},
             SLOT(ExpDataReponse(QVariant&, QNetworkReply*)));
}

void XMLRPC::onEnd(XMLPacket)
{
    if (IsExiting())
        return;
    makeCall(Call::Stop, QStringLiteral("StopExperiment"), {m_ExperimentId},
             SLOT(EndExpResponse(QVariant&, QNetworkReply*)));
}

void XMLRPC::ValidationResponse(QVariant& retVal, QNetworkReply* netReply)
{
    takeCall(netReply);
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

void XMLRPC::StartExpResponse(QVariant& retVal, QNetworkReply* netReply)
{
    takeCall(netReply);
    m_ExperimentId = retVal.toString();
    m_Queue.ReplyArrived(true);
    WakeWorker();
}

// Only a number that reads as 0 is a success; anything else is the service's refusal.
static bool isResultZero(const QVariant& value, int* code)
{
    bool ok = false;
    *code = value.toInt(&ok);
    return ok && *code == 0 && value.type() != QVariant::Map && value.type() != QVariant::List;
}

static QString refusalReason(const QVariant& value, int code)
{
    bool ok = false;
    value.toInt(&ok);
    if (!ok || value.type() == QVariant::Map || value.type() == QVariant::List)
        return XMLRPC::tr("the service gave an answer that is not a result code.");
    return XMLRPC::tr("the service refused the call (result code %1).").arg(code);
}

void XMLRPC::ExpDataReponse(QVariant& retVal, QNetworkReply* netReply)
{
    takeCall(netReply);
    int code = 0;
    const bool accepted = isResultZero(retVal, &code);
    m_Queue.ReplyArrived(accepted);
    if (accepted)
        WakeWorker();
    else
        uploadCallFailed(Call::Reading, refusalReason(retVal, code));
}

void XMLRPC::EndExpResponse(QVariant& retVal, QNetworkReply* netReply)
{
    takeCall(netReply);
    int code = 0;
    if (!isResultZero(retVal, &code))
        uploadCallFailed(Call::Stop, refusalReason(retVal, code));
}

QString XMLRPC::faultReason(int error, const QString& message)
{
    // The service's own text is shown, never trusted to be short.
    const QString text = message.left(MaxDisplayNameLength);
    switch (error) {
    case MaiaObject::FaultTransport:
        return tr("the connection to the service failed (%1).").arg(text);
    case MaiaObject::FaultNotWellFormed:
    case MaiaObject::FaultNotXmlRpc:
        return tr("the service's answer could not be read.");
    default:
        return tr("the service refused the call (fault %1: %2).").arg(error).arg(text);
    }
}

void XMLRPC::uploadCallFailed(Call call, const QString& reason)
{
    // The end that closes a failed upload may fail as well: the user has heard of it once.
    if (m_bHaltReported || IsExiting())
        return;
    m_bHaltReported = true;
    QString message;
    if (call == Call::Stop) {
        message = tr("The experiment could not be closed at Terravox: %1").arg(reason);
    } else {
        // Rows already sent stay with the service; a started experiment is closed there.
        m_Queue.AbandonUpload(call == Call::Reading && !m_ExperimentId.isEmpty());
        message = tr("The upload to Terravox stopped: %1").arg(reason);
    }
    emit UploadHalted(message + QLatin1Char('\n') + tr("The recorded data are kept on this computer."));
}

void XMLRPC::FaultReponse(int error, const QString& message, QNetworkReply* netReply)
{
    m_LastFaultCode = error;
    m_LastFaultText = message;
    const Call call = takeCall(netReply);
    const bool login = call == Call::Login;
    // The answer to an end leaves the queue alone: the next upload's start may be out by then.
    if (call == Call::Start || call == Call::Reading || call == Call::None)
        m_Queue.ReplyArrived(false);
    if (call == Call::Start || call == Call::Reading || call == Call::Stop)
        uploadCallFailed(call, faultReason(error, message));
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
