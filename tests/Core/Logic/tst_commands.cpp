// Command records built by the logic manager's command operations, against a recording logger.
#include "Core/Data/SetupInfo.h"
#include "Core/Base/CommandParameters.h"
#include "Core/Base/ILogger.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Logic/LogicContext.h"
#include "Core/Logic/LogicManager.h"

#include <QThread>
#include "common/TestMain.h"

namespace {

class RecordingLogger : public ILogger
{
public:
    struct Sent
    {
        CommandParametersStruct cmd;
        bool now;
    };
    QList<Sent> m_Sent;
    QList<short> m_Executed;
    bool m_Connected = true;
    int m_Version[6] = {0, 0, 0, 0, 0, 0};
    int m_LastRateArgs[2] = {-1, -1};
    int m_LastSamplesArg = -1;

    void StartDetection() override {}
    void ExecuteHalvorenCmd(short id) override { m_Executed << id; }
    void SendCmd(CommandParametersStruct cmd, bool now) override { m_Sent.append({cmd, now}); }
    void SendStatusReq() override {}
    void SendStopReq() override {}
    bool IsComInitilazied() override { return true; }
    bool IsConnected() override { return m_Connected; }
    bool IsRunning() override { return false; }
    bool IsFirmwareBusy() override { return false; }
    bool IsAutoDetectMode() override { return true; }
    int GetNumberOfSensors() override { return 0; }
    int GetLoggerSensorList(unsigned char*) override { return 0; }
    int GetActiveSensorListIndex(unsigned char*) override { return 0; }
    int GetNumberOfSamples() override { return 0; }
    int GetSampleRateCode() override { return 0; }
    int GetNumberOfSamples(unsigned char) override { return 0; }
    int GetNumberOfSamplesCode(int samples) override
    {
        m_LastSamplesArg = samples;
        return 0x0B;
    }
    int GetLoggerRateCode(int rate, int sensors) override
    {
        m_LastRateArgs[0] = rate;
        m_LastRateArgs[1] = sensors;
        return 0x1234;
    }
    int GetUiRateCode(int code) override { return code; }
    int GetMaxRate(short) override { return 15; }
    ExperimentInterval GetExperimentInterval(short, short) override { return ExperimentInterval(); }
    double GetZeroConst(int, int) override { return 0.0; }
    const char* GetName() override { return nullptr; }
    double GetType() override { return 70.0; }
    int GetPortNumber() override { return 0; }
    void GetVersion(int& a, int& b, int& c, int& d, int& e, int& f) override
    {
        a = m_Version[0]; b = m_Version[1]; c = m_Version[2];
        d = m_Version[3]; e = m_Version[4]; f = m_Version[5];
    }
    void Exit() override {}
    int GetExpirmentType() override { return 0; }
};

class Context : public ILogicContext
{
public:
    CKorvantaSignals m_Hub{nullptr};
    CSetupInfo m_Setup{nullptr};
    int m_RunMode = 0;
    CKorvantaSignals* GetSignals() override { return &m_Hub; }
    CSetupInfo* GetSetupInfo() override { return &m_Setup; }
    int GetCurrentRunMode() override { return m_RunMode; }
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
        RecordingLogger logger;
        logic.SendStatusReqCmd(&logger, true);
        logic.SendRunCmd(&logger, false);
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
        for (const auto& s : logger.m_Sent)
            ids << s.cmd.CommandId();
        QCOMPARE(ids, QList<int>({0, 1, 2, 4, 6, 7, 11, 13, 16, 17, 18, 25, 26, 31}));
        QCOMPARE(logger.m_Sent.at(1).now, false);
        QCOMPARE(logger.m_Sent.at(0).now, true);
        QCOMPARE(logger.m_Sent.last().now, false);
    }

    void nullLoggerSendsNothing()
    {
        CLogicManager logic;
        TimingParametersStruct timing;
        logic.SendRunCmd(nullptr, true);
        logic.SendSetupCmd(nullptr, true);
        logic.SendStopCmd(nullptr, true);
        logic.SendUpdateNotesCmd(nullptr, true);
        logic.SendSetTimingParametersCmd(nullptr, timing, true);
        logic.SendTimingRunCmd(nullptr, true);
        logic.SendWriteSensorId(nullptr, true);
        logic.SendUploadFirmwareCmd(nullptr, true);
        logic.ExecuteHalvorenCmd(1);   // no detected logger
        RecordingLogger logger;
        logic.m_pDetectedLogger = &logger;
        logic.ExecuteHalvorenCmd(15);
        QCOMPARE(logger.m_Executed, QList<short>({15}));
    }

    void setupRecordWithoutTrigger()
    {
        Context ctx;
        ctx.m_Setup.m_SelectedSensorList << activeSensor(0, 4) << activeSensor(1, 0) << activeSensor(2, 25);
        ctx.m_Setup.m_RateCode = 9;
        ctx.m_Setup.m_NumberOfSamples = 70000;   // 0x11170: the record carries the low half
        CLogicManager logic(nullptr, &ctx);
        RecordingLogger logger;
        logic.SendSetupCmd(&logger, true);
        QCOMPARE(logger.m_Sent.size(), 1);
        const CommandParametersStruct& c = logger.m_Sent.first().cmd;
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
        RecordingLogger logger;
        logic.SendSetupCmd(&logger, false);
        const CommandParametersStruct& c = logger.m_Sent.first().cmd;
        QCOMPARE(int(c.GetWord(ParSetupTriggerType)), 2);
        QCOMPARE(int(c.GetWord(ParSetupTriggerLevel)), 12);
        QCOMPARE(int(c.GetWord(ParSetupTriggerChannel)), 1);
        QCOMPARE(int(c.GetByte(ParFlag)), 0);
        QCOMPARE(int(c.GetByte(ParSetupTimingRun)), 1);
        QCOMPARE(logger.m_Sent.first().now, false);
    }

    void setupWithoutASetupRecordSendsNothing()
    {
        CLogicManager logic;
        RecordingLogger logger;
        logic.SendSetupCmd(&logger, true);
        QVERIFY(logger.m_Sent.isEmpty());
    }

    void notesAreSentIn35Blocks()
    {
        CLogicManager logic;
        RecordingLogger logger;
        logic.SendUpdateNotesCmd(&logger, true);
        QCOMPARE(logger.m_Sent.size(), 35);
        for (int i = 0; i < 35; ++i) {
            QCOMPARE(int(logger.m_Sent.at(i).cmd.CommandId()), 9);
            QCOMPARE(int(logger.m_Sent.at(i).cmd.GetByte(ParNotesBlock)), i);
        }
    }

    void parameterBytes()
    {
        CLogicManager logic;
        RecordingLogger logger;
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
        const auto& s = logger.m_Sent;
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
        CLogicManager logic;
        RecordingLogger logger;
        logger.m_Connected = false;
        logic.SendUploadFirmwareCmd(&logger, true);
        QVERIFY(logger.m_Sent.isEmpty());
        logger.m_Connected = true;
        logic.SendUploadFirmwareCmd(&logger, true);
        QCOMPARE(logger.m_Sent.size(), 1);
        const CommandParametersStruct& c = logger.m_Sent.first().cmd;
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
            RecordingLogger logger;
            logger.m_Version[0] = versions[i][0];
            logger.m_Version[1] = versions[i][1];
            logic.SendWriteSensorId(&logger, true);
            QCOMPARE(logger.m_Sent.size(), sends[i] ? 1 : 0);
            if (sends[i])
                QCOMPARE(int(logger.m_Sent.first().cmd.CommandId()), 27);
        }
    }

    void timingRunResetsTheEventCounter()
    {
        CLogicManager logic;
        RecordingLogger logger;
        CLoggerProtocolState state;
        state.m_TimingEventCounter = 41;
        logger.m_pProtocolState = &state;
        logic.SendTimingRunCmd(&logger, true);
        QCOMPARE(state.m_TimingEventCounter, qint64(-1));
        QCOMPARE(int(logger.m_Sent.first().cmd.CommandId()), 15);
        RecordingLogger stateless;
        logic.SendTimingRunCmd(&stateless, true);
        QCOMPARE(stateless.m_Sent.size(), 1);
    }

    void stopAlwaysStopsTheKeepAlive()
    {
        CLogicManager logic;
        RecordingLogger logger;
        logic.m_TimingKeepAliveTimer.start();
        logic.SendStopCmd(&logger, true);
        QVERIFY(!logic.m_TimingKeepAliveTimer.isActive());
        QCOMPARE(int(logger.m_Sent.first().cmd.CommandId()), 5);
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
        QCOMPARE(logger.m_Sent.size(), 3);
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
