// Command records built by the logic manager's command operations and by the Dravlet's room (its
// setup, run, timing run and firmware commands), against the fake logger that records them.
#include "Core/Base/CommandParameters.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Logic/Dravlet/DravletCommands.h"
#include "Core/Logic/Dravlet/DravletCoreHost.h"
#include "Core/Logic/LogicContext.h"
#include "Core/Logic/LogicManager.h"
#include "common/FakeLogger.h"

#include <QThread>
#include "common/TestMain.h"

namespace {

class Context : public ILogicContext
{
public:
    CKorvantaSignals m_Hub{nullptr};
    CSetupInfo m_Setup{nullptr};
    int m_RunMode = 0;
    CKorvantaSignals* GetSignals() override { return &m_Hub; }
    CSetupInfo* GetSetupInfo() override { return &m_Setup; }
    ExperimentRunMode GetCurrentRunMode() override { return ExperimentRunMode(m_RunMode); }
};

CSesnorProperties* activeSensor(int channel, int catalogueIndex)
{
    auto* s = new CSesnorProperties;
    s->m_Channel = channel;
    s->m_SensorIndex = catalogueIndex;
    auto* m = new CMeasurementSetup;
    m->m_bActive = true;
    s->m_MeasurementList << m;
    return s;
}

} // namespace

class TestCommands : public QObject
{
    Q_OBJECT
private slots:
    void recordLayout()
    {
        CommandParametersStruct cmd(CmdSetup);
        QCOMPARE(int(sizeof cmd), 52);
        QCOMPARE(int(cmd.CommandId()), 3);
        cmd.SetWord(4, 0xABCD);
        QCOMPARE(int(cmd.m_Data[4]), 0xCD);   // low byte first
        QCOMPARE(int(cmd.m_Data[5]), 0xAB);
        QCOMPARE(int(cmd.GetWord(4)), 0xABCD);
        cmd.SetDWord(16, 0x01020304);
        QCOMPARE(QByteArray(reinterpret_cast<char*>(cmd.m_Data + 16), 4), QByteArray::fromHex("04030201"));
        // Outside the record nothing is written and 0 is read.
        cmd.SetByte(52, 9);
        cmd.SetWord(51, 0xFFFF);
        cmd.SetByte(-1, 9);
        QCOMPARE(int(cmd.GetByte(52)), 0);
        QCOMPARE(int(cmd.GetByte(51)), 0);
    }

    void simpleCommandsCarryTheirIds()
    {
        CLogicManager logic;
        CFakeLogger logger;
        logic.SendStatusReqCmd(&logger, true);
        DravletCommands::SendRun(&logger, false);
        logic.SendGetNotesCmd(&logger, true);
        logic.SendDownloadCmd(&logger, true);
        logic.SendClearCmd(&logger, true);
        logic.SendGetLastExperimentNumberCmd(&logger, true);
        logic.SendGetStatusByteCmd(&logger, true);
        logic.SendGetTimingParametersCmd(&logger, true);
        logic.SendRenameCmd(&logger, QStringLiteral("x"), true);
        logic.SendManualSampleCmd(&logger, true);
        logic.SendSnapshotCmd(&logger, true);
        logic.SendSetSensorRange(&logger, true);
        logic.SendSetCalibration(&logger, true);
        logic.SendKeepAliveCmd(&logger, false);
        logic.SendUpdateUserDefinedSensorsCmd(&logger, true);
        QList<int> ids;
        for (const auto& s : logger.SentCommands())
            ids << s.cmd.CommandId();
        QCOMPARE(ids, QList<int>({0, 1, 2, 4, 6, 7, 11, 13, 16, 17, 18, 25, 26, 31}));
        QCOMPARE(logger.SentCommands().at(1).now, false);
        QCOMPARE(logger.SentCommands().at(0).now, true);
        QCOMPARE(logger.SentCommands().last().now, false);
    }

    void nullLoggerSendsNothing()
    {
        CLogicManager logic;
        TimingParametersStruct timing;
        DravletCommands::SendRun(nullptr, true);
        DravletCommands::SendSetup(nullptr, DravletSetupView(), true);
        logic.SendStopCmd(nullptr, true);
        logic.SendUpdateNotesCmd(nullptr, true);
        logic.SendSetTimingParametersCmd(nullptr, timing, true);
        DravletCommands::SendTimingRun(nullptr, true);
        logic.SendWriteSensorId(nullptr, true);
        DravletCommands::SendFirmwareUpload(nullptr, true);
        logic.ExecuteHalvorenCmd(1);   // no detected logger
        CFakeLogger logger;
        logic.m_pDetectedLogger = &logger;
        logic.ExecuteHalvorenCmd(15);
        QCOMPARE(logger.Executed(), QList<short>({15}));
    }

    void setupRecordWithoutTrigger()
    {
        Context ctx;
        ctx.m_Setup.m_SelectedSensorList << activeSensor(0, 4) << activeSensor(1, 0) << activeSensor(2, 25);
        ctx.m_Setup.m_RateCode = 9;
        ctx.m_Setup.m_NumberOfSamples = 70000;   // 0x11170: the record carries the low half
        CLogicManager logic(nullptr, &ctx);
        CFakeLogger logger;
        logger.m_LoggerRateCode = 0x1234;
        logger.m_SamplesCode = 0x0B;
        CDravletCoreHost host(&logic);
        host.SetLogger(&logger);
        host.SendSetupCmd(true);
        QCOMPARE(logger.SentCommands().size(), 1);
        const CommandParametersStruct c = logger.Sent().first();
        QCOMPARE(logger.m_LastRateArgs[0], 9);
        QCOMPARE(logger.m_LastRateArgs[1], 2);
        QCOMPARE(logger.m_LastSamplesArg, 70000);
        const QByteArray expected = QByteArray::fromHex(
            "03"          // Setup
            "02"          // 1: sensors
            "0200"        // 2-3: sensors again
            "3412"        // 4-5: the logger's rate code
            "0B00"        // 6-7: sample-count code
            "7011"        // 8-9: 70000 & 0xFFFF
            "0000"        // 10-11: no trigger
            "FFFF"        // 12-13: level -1
            "FFFF"        // 14-15: channel -1
            "00000000");  // 16-19
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(c.m_Data), 20).toHex(), expected.toHex());
        QCOMPARE(int(c.GetByte(ParFlag)), 1);
        QCOMPARE(int(c.GetByte(ParSetupTimingRun)), 0);
        qDeleteAll(ctx.m_Setup.m_SelectedSensorList);
    }

    void setupRecordWithTriggerInATimingRun()
    {
        Context ctx;
        ctx.m_RunMode = 1;
        ctx.m_Setup.m_TriggerType = 2;
        ctx.m_Setup.m_TriggerLevel = 12;
        ctx.m_Setup.m_TriggerChannel = 1;
        ctx.m_Setup.m_bAutoDetect = false;
        CLogicManager logic(nullptr, &ctx);
        CFakeLogger logger;
        CDravletCoreHost host(&logic);
        host.SetLogger(&logger);
        host.SendSetupCmd(false);
        const CommandParametersStruct c = logger.Sent().first();
        QCOMPARE(int(c.GetWord(ParSetupTriggerType)), 2);
        QCOMPARE(int(c.GetWord(ParSetupTriggerLevel)), 12);
        QCOMPARE(int(c.GetWord(ParSetupTriggerChannel)), 1);
        QCOMPARE(int(c.GetByte(ParFlag)), 0);
        QCOMPARE(int(c.GetByte(ParSetupTimingRun)), 1);
        QCOMPARE(logger.SentCommands().first().now, false);
    }

    void setupWithoutASetupRecordSendsNothing()
    {
        CLogicManager logic;
        CFakeLogger logger;
        CDravletCoreHost host(&logic);
        host.SetLogger(&logger);
        host.SendSetupCmd(true);
        QVERIFY(logger.SentCommands().isEmpty());
    }

    void notesAreSentIn35Blocks()
    {
        CLogicManager logic;
        CFakeLogger logger;
        logic.SendUpdateNotesCmd(&logger, true);
        QCOMPARE(logger.SentCommands().size(), 35);
        for (int i = 0; i < 35; ++i) {
            QCOMPARE(int(logger.SentCommands().at(i).cmd.CommandId()), 9);
            QCOMPARE(int(logger.SentCommands().at(i).cmd.GetByte(ParNotesBlock)), i);
        }
    }

    void parameterBytes()
    {
        CLogicManager logic;
        CFakeLogger logger;
        TimingParametersStruct timing;
        timing.m_Bytes[0] = 12;
        timing.m_Bytes[1] = 0xA1;
        timing.m_Bytes[2] = 0xB2;
        timing.m_Bytes[3] = 0xC3;
        logic.SendSetTimingParametersCmd(&logger, timing, true);
        timing.m_Bytes[0] = 70;
        logic.SendSetTimingParametersCmd(&logger, timing, true);
        logic.SendSelectiveFetchCmd(&logger, 7, true);
        logic.SendLinkSetInputModeCmd(&logger, true, true);
        logic.SendSetAutoDetectCmd(&logger, false, true);
        logic.SendSetAverageWindowCmd(&logger, 33, true);
        const auto s = logger.SentCommands();
        QCOMPARE(int(s[0].cmd.CommandId()), 14);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(s[0].cmd.m_Data + 23), 4), QByteArray::fromHex("01A1B2C3"));
        QCOMPARE(int(s[1].cmd.GetByte(23)), 0);
        QCOMPARE(int(s[2].cmd.CommandId()), 8);
        QCOMPARE(int(s[2].cmd.GetByte(20)), 7);
        QCOMPARE(int(s[3].cmd.CommandId()), 19);
        QCOMPARE(int(s[3].cmd.GetByte(27)), 1);
        QCOMPARE(int(s[4].cmd.CommandId()), 19);
        QCOMPARE(int(s[4].cmd.GetByte(27)), 0);
        QCOMPARE(int(s[5].cmd.CommandId()), 20);
        QCOMPARE(int(s[5].cmd.GetByte(28)), 33);
    }

    void firmwareUploadNeedsAConnection()
    {
        CFakeLogger logger;
        logger.m_bConnected = false;
        DravletCommands::SendFirmwareUpload(&logger, true);
        QVERIFY(logger.SentCommands().isEmpty());
        logger.m_bConnected = true;
        DravletCommands::SendFirmwareUpload(&logger, true);
        QCOMPARE(logger.SentCommands().size(), 1);
        const CommandParametersStruct c = logger.Sent().first();
        QCOMPARE(int(c.CommandId()), 21);
        QCOMPARE(int(c.GetWord(42)), 0);
        QCOMPARE(int(c.GetByte(44)), 1);
    }

    void sensorIdsNeedFirmwareX8()
    {
        CLogicManager logic;
        const int versions[][2] = {{0, 9}, {1, 7}, {2, 0}, {1, 8}, {2, 9}};
        const bool sends[] = {false, false, false, true, true};
        for (int i = 0; i < 5; ++i) {
            CFakeLogger logger;
            logger.m_Version[0] = versions[i][0];
            logger.m_Version[1] = versions[i][1];
            logic.SendWriteSensorId(&logger, true);
            QCOMPARE(logger.SentCommands().size(), sends[i] ? 1 : 0);
            if (sends[i])
                QCOMPARE(int(logger.SentCommands().first().cmd.CommandId()), 27);
        }
    }

    void timingRunResetsTheEventCounter()
    {
        CFakeLogger logger;
        CLoggerProtocolState state;
        state.m_TimingEventCounter = 41;
        logger.m_pProtocolState = &state;
        DravletCommands::SendTimingRun(&logger, true);
        QCOMPARE(state.m_TimingEventCounter, qint64(-1));
        QCOMPARE(int(logger.SentCommands().first().cmd.CommandId()), 15);
        CFakeLogger stateless;
        DravletCommands::SendTimingRun(&stateless, true);
        QCOMPARE(stateless.SentCommands().size(), 1);
    }

    void stopAlwaysStopsTheKeepAlive()
    {
        CLogicManager logic;
        CFakeLogger logger;
        logic.m_TimingKeepAliveTimer.start();
        logic.SendStopCmd(&logger, true);
        QVERIFY(!logic.m_TimingKeepAliveTimer.isActive());
        QCOMPARE(int(logger.SentCommands().first().cmd.CommandId()), 5);
        // Without a timing run in progress it stays stopped.
        logic.SendStopCmd(&logger, true);
        QVERIFY(!logic.m_TimingKeepAliveTimer.isActive());
        // A stop from a worker thread reaches the timer through its own thread.
        logic.m_TimingKeepAliveTimer.start();
        QThread* worker = QThread::create([&]() { logic.SendStopCmd(&logger, false); });
        worker->start();
        QVERIFY(worker->wait(5000));
        delete worker;
        QTRY_VERIFY(!logic.m_TimingKeepAliveTimer.isActive());
        QCOMPARE(logger.SentCommands().size(), 3);
    }

    void logicManagerPublishesItself()
    {
        Context ctx;
        {
            CLogicManager logic(nullptr, &ctx);
            QCOMPARE(p_LogicManager, &logic);
            QCOMPARE(logic.GetSignals(), &ctx.m_Hub);
            QCOMPARE(logic.m_DataManager.GetSetupInfo(), &ctx.m_Setup);
            QCOMPARE(logic.m_DataManager.GetRunServices(), static_cast<IRunServices*>(&logic));
            QCOMPARE(logic.m_DataManager.GetSensorCatalogue(), &logic.m_SensorInfo);
        }
        QVERIFY(!p_LogicManager);
    }
};

KORVANTA_TEST_GUILESS_MAIN(TestCommands)
#include "tst_commands.moc"
