#include "PelorinRig.h"
#include "common/SimulatedLogger.h"

#include <QtTest>

CHubRecorder::CHubRecorder(CKorvantaSignals* hub)
{
    auto note = [this](const char* name) { return [this, name] { m_Events << QLatin1String(name); }; };
    const auto q = Qt::QueuedConnection;
    connect(hub, &CKorvantaSignals::LoggerStartDetection, this, note("StartDetection"), q);
    connect(hub, &CKorvantaSignals::LoggerEndDtetection, this, [this](bool found) {
        m_Events << QStringLiteral("EndDetection");
        m_Detections << found;
    }, q);
    connect(hub, &CKorvantaSignals::LoggerStatusArrived, this, note("StatusArrived"), q);
    connect(hub, &CKorvantaSignals::LoggerStartedRun, this, note("StartedRun"), q);
    connect(hub, &CKorvantaSignals::LoggerNewDataArrived, this, note("NewData"), q);
    connect(hub, &CKorvantaSignals::LoggerExperimentEnd, this, note("ExperimentEnd"), q);
    connect(hub, &CKorvantaSignals::LoggerSnapShotArrived, this, note("SnapShot"), q);
    connect(hub, &CKorvantaSignals::LoggerDisconnected, this, note("Disconnected"), q);
    connect(hub, &CKorvantaSignals::LoggerDownloadStarted, this, note("DownloadStarted"), q);
    connect(hub, &CKorvantaSignals::LoggerDownloadFinshed, this, note("DownloadFinished"), q);
    connect(hub, &CKorvantaSignals::LoggerEnteredBootLoaderMode, this, note("EnteredBootLoader"), q);
    connect(hub, &CKorvantaSignals::LoggerBootLoaderProgUpdate, this, [this](int percent, const QString&) {
        m_Progress << percent;
    }, q);
    connect(hub, &CKorvantaSignals::LoggerBootLoaderFinshed, this, [this](int result) {
        m_Events << QStringLiteral("BootLoaderFinished");
        m_BootResults << result;
    }, q);
}

CPelorinRig::CPelorinRig(std::unique_ptr<kvsim::CPelorinDevice> device)
{
    if (!device)
        device = std::make_unique<kvsim::CPelorinDevice>();
    m_pDevice = device.get();
    m_Sim = std::make_unique<kvsim::CLoggerSimulator>(std::move(device));
}

CPelorinRig::~CPelorinRig()
{
    m_pLogic.reset();
    m_Sim.reset();
    m_Context.m_Setup.m_SelectedSensorList.clear();
    qDeleteAll(m_OwnedSensors);
}

bool CPelorinRig::Start()
{
    if (!m_Sim->start())
        return false;
    m_pLogic = std::make_unique<CLogicManager>(nullptr, &m_Context);
    m_pLogic->m_SensorInfo.LoadSensorInfo();
    m_pLogic->SetPortEnumerator(&m_Ports);
    m_pLogic->InitLogicManager();
    m_Recorder = std::make_unique<CHubRecorder>(&m_Context.m_Hub);
    return Pelorin() != nullptr;
}

CPortInfo CPelorinRig::DevicePort() const
{
    CPortInfo port = CTestPortEnumerator::makePort(m_Sim->portName(), kVendor, kProduct);
    if (m_bBluetoothPort) {
        port.vendorID = port.productID = 0;
        port.bluetooth = true;
        port.enumName = QStringLiteral("bluetooth");
    }
    return port;
}

bool CPelorinRig::Replug()
{
    const QString old = m_Sim->portName();
    m_Sim->unplug();
    m_Ports.unplug(old);
    if (!m_Sim->replug())
        return false;
    m_Ports.plug(DevicePort());
    return true;
}

void CPelorinRig::FollowRestarts()
{
    ::FollowRestarts(*m_Sim, &m_Ports, kVendor, kProduct);
}

bool CPelorinRig::PlugAndDetect(int timeoutMs)
{
    m_Ports.plug(DevicePort());
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
        // Connected, announced, and the detection poller done with its last state.
        if (m_pLogic->IsLoggerConnected() && m_Recorder->m_Detections.contains(true) &&
            !Pelorin()->IsDetectionPolling())
            return true;
        QTest::qWait(10);
    }
    return false;
}

bool CPelorinRig::RequestStatus(int timeoutMs)
{
    const int before = m_Recorder->Count(QStringLiteral("StatusArrived"));
    m_pLogic->SendStatusReqCmd(m_pLogic->GetActiveLogger(), true);
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
        if (m_Recorder->Count(QStringLiteral("StatusArrived")) > before)
            return true;
        QTest::qWait(5);
    }
    return false;
}

void CPelorinRig::SelectReportedSensors(int activeMeasurement)
{
    CSetupInfo& setup = m_Context.m_Setup;
    setup.m_SelectedSensorList.clear();
    if (setup.m_LoggerStatusList.isEmpty())
        return;
    int position = 0;
    for (const CLoggerChannel& ch : setup.m_LoggerStatusList.first().m_SensorList) {
        auto* s = new CSesnorProperties;
        m_OwnedSensors << s;
        s->m_Channel = position++;
        s->m_Port = ch.m_Port;
        s->m_SensorIndex = ch.m_SensorIndex;
        const CSensorParametersInfo* record = m_pLogic->m_SensorInfo.GetSensorInfo(ch.m_SensorIndex);
        const int measurements = record ? std::max<int>(1, record->m_NumOfMeasurements) : 1;
        for (int m = 0; m < measurements; ++m) {
            auto* setupOfMeasurement = new CMeasurementSetup;
            setupOfMeasurement->m_bActive = m == activeMeasurement;
            s->m_MeasurementList << setupOfMeasurement;
        }
        setup.m_SelectedSensorList << s;
    }
}

bool CPelorinRig::OnDevice(const std::function<void(kvsim::CPelorinDevice&)>& fn)
{
    kvsim::CPelorinDevice* device = m_pDevice;
    return m_Sim->invoke([device, fn] { fn(*device); });
}

void CPelorinRig::TwoSensors(kvsim::CPelorinDevice& device)
{
    kvsim::CPelorinDevice::Sensor a;
    a.channel = 1;
    a.idLow = 2;
    kvsim::CPelorinDevice::Sensor b;
    b.channel = 2;
    b.idLow = 3;
    device.setSensors({a, b});
}

bool CPelorinRig::StartConnectedWithTwoSensors()
{
    if (!Start() || !OnDevice(CPelorinRig::TwoSensors) || !PlugAndDetect() || !RequestStatus())
        return false;
    SelectReportedSensors(0);
    return true;
}
