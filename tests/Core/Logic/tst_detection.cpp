// Finding loggers among the serial devices: which ports count as which logger, plug and unplug
// handling through the test enumerator, and the Bluetooth keep-alive watchdog.
#include "Core/Data/DataFolder.h"
#include "Core/Logic/LoggerKinds.h"
#include "Core/Logic/Pelorin/PelorinFace.h"
#include "support/PelorinRig.h"

#include <QLoggingCategory>
#include <QMutex>
#include <QScopeGuard>
#include <QSignalSpy>
#include "common/TestMain.h"

namespace {

CPortInfo Port(const QString& name, quint16 vid, quint16 pid, const QString& friendName = QString(),
               const QString& enumName = QString())
{
    CPortInfo p;
    p.portName = name;
    p.vendorID = vid;
    p.productID = pid;
    p.friendName = friendName;
    p.enumName = enumName;
    p.bluetooth = IPortEnumerator::isBluetoothName(name);
    return p;
}

// What the program writes to its message handler while the test runs.
// Written from every thread that logs.
QMutex s_PlugMessagesLock;
QStringList s_PlugMessages;
QtMessageHandler s_PlugPreviousHandler = nullptr;
QLoggingCategory::CategoryFilter s_PlugPreviousFilter = nullptr;

void RecordMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    {
        QMutexLocker lock(&s_PlugMessagesLock);
        s_PlugMessages << text;
    }
    if (s_PlugPreviousHandler)
        s_PlugPreviousHandler(type, context, text);
}

// The logic diagnostics switched on as a user does, whatever the test's own rules say.
void PlugLogicDiagnosticsOn(QLoggingCategory* category)
{
    if (s_PlugPreviousFilter)
        s_PlugPreviousFilter(category);
    if (qstrcmp(category->categoryName(), "korvanta.logic") == 0)
        category->setEnabled(QtDebugMsg, true);
}

} // namespace

class TestDetection : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<CPelorinRig> rig;

private slots:
    void cleanup() { rig.reset(); }

    void devicesAreRecognisedByTheirMarks()
    {
        using D = CDeviceDetectionManager;
        // Each logger's face claims its own devices.
        const ILoggerFace& dravlet = LoggerFaceOf(LoggerModel::Dravlet);
        const ILoggerFace& pelorin = LoggerFaceOf(LoggerModel::Pelorin);
        QVERIFY(dravlet.ClaimsPlug(Port("/dev/ttyACM0", 0x1F0C, 0x1000)));
        QVERIFY(CPelorinFace::IsUsbDevice(Port("/dev/ttyACM1", 0x0483, 0x5740)));
        QVERIFY(!pelorin.ClaimsPlug(Port("/dev/ttyUSB0", 0x0403, 0x6001)));
        // A friendly name saying "bt port" counts when the device arrives, not when it leaves.
        const CPortInfo bt = Port("/dev/ttyS9", 0, 0, QStringLiteral("BT PORT 3"));
        QVERIFY(pelorin.ClaimsPlug(bt));
        QVERIFY(!pelorin.ClaimsUnplug(bt));
        QVERIFY(pelorin.ClaimsUnplug(Port("x", 0, 0, QString(), QStringLiteral("BTHENUM"))));
        QVERIFY(!pelorin.ClaimsUnplug(Port("x", 0, 0, QString(), QStringLiteral("bthenum"))));
        QVERIFY(pelorin.ClaimsUnplug(Port("/dev/rfcomm0", 0, 0)));
        QCOMPARE(D::GetPortNumer(QStringLiteral("COM7")), 7);
        QCOMPARE(D::GetPortNumer(QStringLiteral("cOm12")), 12);
        QCOMPARE(D::GetPortNumer(QStringLiteral("/dev/ttyACM0")), 0);
        QCOMPARE(D::GetPortNumer(QString()), 0);
        QCOMPARE(D::DeviceUnplugLine(Port("/dev/ttyACM0", 0x1F0C, 0x1000)),
                 QString("Device UnPluged@: /dev/ttyACM0, pid: 0x1000, vid: 0x1f0c"));
    }

    void searchListTakesTheFirstUsbLoggerOrBluetoothPorts()
    {
        rig = std::make_unique<CPelorinRig>();
        QVERIFY(rig->Start());
        CPelorinManager* pelorin = rig->Pelorin();
        rig->m_Ports.setPorts({Port("/dev/ttyUSB0", 0x0403, 0x6001), Port("/dev/ttyACM3", 0x0483, 0x5740),
                               Port("/dev/ttyACM4", 0x0483, 0x5740), Port("/dev/rfcomm0", 0, 0)});
        QVERIFY(pelorin->DeviceDetectionComSearchList());
        QCOMPARE(pelorin->CandidatePortNames(), QStringList{QStringLiteral("/dev/ttyACM3")});
        QVERIFY(!pelorin->IsBluetoothLink());
        // Without a USB logger every Bluetooth-looking port is a candidate; a modem is not.
        rig->m_Ports.setPorts({Port("/dev/ttyUSB0", 0x0403, 0x6001), Port("/dev/rfcomm1", 0, 0),
                               Port("/dev/ttyS4", 0, 0, QStringLiteral("bt port 3")),
                               Port("/dev/ttyS5", 0, 0, QString(), QStringLiteral("BTHENUM"))});
        QVERIFY(pelorin->DeviceDetectionComSearchList());
        QCOMPARE(pelorin->CandidatePortNames(),
                 (QStringList{QStringLiteral("/dev/rfcomm1"), QStringLiteral("/dev/ttyS4"), QStringLiteral("/dev/ttyS5")}));
        QVERIFY(pelorin->IsBluetoothLink());
        rig->m_Ports.setPorts({Port("/dev/ttyUSB0", 0x0403, 0x6001)});
        QVERIFY(!pelorin->DeviceDetectionComSearchList());
        QVERIFY(pelorin->CandidatePortNames().isEmpty());
    }

    void pluggedLoggerIsDetected()
    {
        rig = std::make_unique<CPelorinRig>();
        QVERIFY(rig->Start());
        QVERIFY(rig->PlugAndDetect());
        QVERIFY(rig->m_Recorder->m_Events.startsWith(QStringLiteral("StartDetection")));
        QCOMPARE(rig->m_Recorder->m_Detections, QList<bool>{true});
        QVERIFY(rig->m_pLogic->GetDeviceDetectionManager()->IsDetected());
        QCOMPARE(rig->Pelorin()->CurrentPortName(), rig->m_Sim->portName());
        QCOMPARE(rig->m_pLogic->GetConnectedPortName(), rig->m_Sim->portName());
        // The hello request carried the host's clock: opcode 8 with a 7-byte payload.
        bool hello = false;
        for (const QByteArray& f : rig->m_Sim->frames())
            hello = hello || (f.size() == 11 && quint8(f[2]) == 0x08 && quint8(f[3]) == 0x08);
        QVERIFY(hello);
    }

    void plugsWhileConnectedChangeNothing()
    {
        rig = std::make_unique<CPelorinRig>();
        QVERIFY(rig->Start());
        QVERIFY(rig->PlugAndDetect());
        kvsim::CLoggerSimulator second(std::make_unique<kvsim::CPelorinDevice>());
        QVERIFY(second.start());
        QSignalSpy start(&rig->Hub(), &CKorvantaSignals::LoggerStartDetection);
        rig->m_Ports.plug(Port(second.portName(), 0x0483, 0x5740));
        rig->m_Ports.plug(Port("/dev/ttyACM9", 0x1F0C, 0x1000));
        QTest::qWait(400);
        QCOMPARE(start.count(), 0);
        QCOMPARE(second.frameCount(), 0);
        QCOMPARE(rig->Pelorin()->CurrentPortName(), rig->m_Sim->portName());
        QVERIFY(rig->m_pLogic->IsLoggerConnected());
    }

    void unplugOfAnotherDeviceChangesNothing()
    {
        rig = std::make_unique<CPelorinRig>();
        QVERIFY(rig->Start());
        QVERIFY(rig->PlugAndDetect());
        QSignalSpy lost(&rig->Hub(), &CKorvantaSignals::LoggerDisconnected);
        rig->m_Ports.plug(Port("/dev/ttyACM7", 0x0483, 0x5740));
        rig->m_Ports.unplug(QStringLiteral("/dev/ttyACM7"));
        rig->m_Ports.plug(Port("/dev/ttyACM8", 0x1F0C, 0x1000));
        rig->m_Ports.unplug(QStringLiteral("/dev/ttyACM8"));
        QTest::qWait(300);
        QCOMPARE(lost.count(), 0);
        QVERIFY(rig->m_pLogic->IsLoggerConnected());
        // The logger's own port leaving is the disconnection.
        rig->m_Ports.unplug(rig->m_Sim->portName());
        QTRY_COMPARE(lost.count(), 1);
        QVERIFY(!rig->m_pLogic->IsLoggerConnected());
        QVERIFY(!rig->m_pLogic->GetDeviceDetectionManager()->IsDetected());
        QCOMPARE(rig->m_Recorder->Count(QStringLiteral("ExperimentEnd")), 0);
    }

    // A device arriving or leaving is a diagnostic line, written only with the diagnostics on.
    void plugLinesGoThroughTheDiagnostics()
    {
        rig = std::make_unique<CPelorinRig>();
        QVERIFY(rig->Start());
        {
            QMutexLocker lock(&s_PlugMessagesLock);
            s_PlugMessages.clear();
        }
        s_PlugPreviousHandler = qInstallMessageHandler(RecordMessage);
        const auto restore = qScopeGuard([] {
            qInstallMessageHandler(s_PlugPreviousHandler);
            if (s_PlugPreviousFilter)
                QLoggingCategory::installFilter(s_PlugPreviousFilter);
            s_PlugPreviousFilter = nullptr;
        });
        rig->m_Ports.plug(Port("/dev/ttyUSB7", 0x0403, 0x6001));
        rig->m_Ports.unplug(QStringLiteral("/dev/ttyUSB7"));
        // Handled now, with the diagnostics at their default.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
        s_PlugPreviousFilter = QLoggingCategory::installFilter(PlugLogicDiagnosticsOn);
        rig->m_Ports.plug(Port("/dev/ttyUSB8", 0x0403, 0x6001));
        rig->m_Ports.unplug(QStringLiteral("/dev/ttyUSB8"));
        const auto mentions = [](const QString& text) {
            QMutexLocker lock(&s_PlugMessagesLock);
            return s_PlugMessages.filter(text).size();
        };
        QTRY_VERIFY(mentions(QStringLiteral("UnPluged@: /dev/ttyUSB8")) == 1);
        QCOMPARE(mentions(QStringLiteral("Device Pluged: /dev/ttyUSB8")), 1);
        QCOMPARE(mentions(QStringLiteral("ttyUSB7")), 0);
    }

    void noLoggerEndsDetectionUnfound()
    {
        rig = std::make_unique<CPelorinRig>();
        QVERIFY(rig->Start());
        rig->m_Ports.setPorts({Port("/dev/ttyUSB0", 0x0403, 0x6001)});
        rig->m_pLogic->StartLoggersDetection();
        QTRY_COMPARE(rig->m_Recorder->m_Detections, QList<bool>{false});
        QVERIFY(!rig->m_pLogic->IsLoggerConnected());
    }

    void devicesArrivingAfterTheShutDownAreIgnored()
    {
        rig = std::make_unique<CPelorinRig>();
        QVERIFY(rig->Start());
        QVERIFY(rig->m_pLogic->ExitLogicManager());
        QVERIFY(rig->m_pLogic->IsShutDown());
        rig->m_Ports.plug(rig->DevicePort());
        rig->m_pLogic->StartLoggersDetection();
        QTest::qWait(300);
        QCOMPARE(rig->m_Sim->frameCount(), 0);
        QVERIFY(rig->m_Recorder->m_Events.isEmpty());
        QVERIFY(!rig->m_pLogic->IsLoggerConnected());
    }

    void silentBluetoothLinkIsTreatedAsUnplugged()
    {
        rig = std::make_unique<CPelorinRig>();
        rig->m_bBluetoothPort = true;
        QVERIFY(rig->Start());
        QVERIFY(rig->OnDevice(CPelorinRig::TwoSensors));
        QVERIFY(rig->PlugAndDetect());
        QVERIFY(rig->Pelorin()->IsBluetoothLink());
        QVERIFY(rig->m_pLogic->IsConnectedViaBlueThooth());
        QVERIFY(rig->RequestStatus());
        rig->SelectReportedSensors(0);
        rig->Setup().m_RateCode = 10;          // 100 per second: the watchdog ticks every 500 ms
        rig->Setup().m_NumberOfSamples = 5000;
        QSignalSpy messages(&rig->Hub(), &CKorvantaSignals::GuiModallessMsg);
        emit rig->Hub().UserStartedRun();
        QTRY_VERIFY2_WITH_TIMEOUT(rig->m_Recorder->Count(QStringLiteral("NewData")) >= 20,
                                  qPrintable(rig->m_Recorder->m_Events.join(QLatin1Char(' '))), 5000);
        QTRY_VERIFY(rig->Pelorin()->IsKeepAliveWatchdogRunning());
        QCOMPARE(rig->Pelorin()->KeepAliveTickMs(), 500);
        // The logger goes out of range: nothing arrives any more.
        rig->m_Sim->setSilent(true);
        QTRY_COMPARE_WITH_TIMEOUT(rig->m_Recorder->Count(QStringLiteral("Disconnected")), 1, 8000);
        QCOMPARE(rig->m_Recorder->Count(QStringLiteral("ExperimentEnd")), 1);
        QVERIFY(!rig->m_pLogic->IsLoggerConnected());
        QVERIFY(!rig->Pelorin()->IsKeepAliveWatchdogRunning());
        bool told = false;
        for (const QList<QVariant>& m : messages)
            told = told || m.at(1).toString().startsWith(QStringLiteral("Logger is disconnected."));
        QVERIFY(told);
        QCOMPARE(rig->m_pLogic->m_DataManager.GetNumDataFolders(), 1);
    }
};

KORVANTA_TEST_MAIN(TestDetection)
#include "tst_detection.moc"
