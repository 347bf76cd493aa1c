// The logic manager's queries over its logger slots, the users' requests, the keep-alive of
// timing runs, trigger levels, the logger status record and the shut-down.
#include "Core/Logic/LogicManager.h"
#include "support/LogicFakes.h"

#include <QSignalSpy>
#include <QtConcurrent/QtConcurrentRun>
#include "common/TestMain.h"

namespace {

void setRange(CLogicManager& logic, int index, unsigned short kind, double minimum, double maximum)
{
    CSensorParametersInfo& s = logic.m_SensorInfo.m_Sensors[index];
    s.m_DataKind = kind;
    s.m_NumOfMeasurements = 1;
    s.m_Measurements[0].m_Min = minimum;
    s.m_Measurements[0].m_Max = maximum;
}

} // namespace

class TestLogicManager : public QObject
{
    Q_OBJECT
private slots:
    void activeLoggerFollowsSlotOrder()
    {
        CFakeLogicContext ctx;
        CLogicManager logic(nullptr, &ctx);
        CFakeLogger pelorin(70.0), dravlet(12.0);
        pelorin.m_bConnected = dravlet.m_bConnected = false;
        QVERIFY(logic.GetActiveLogger() == nullptr);
        logic.m_pLoggers[0] = &pelorin;
        logic.m_pLoggers[1] = &dravlet;
        QVERIFY(logic.GetActiveLogger() == nullptr);
        QVERIFY(!logic.IsLoggerConnected());
        QCOMPARE(logic.GetConnectedLoggerType(), 0.0);

        dravlet.m_bConnected = true;
        dravlet.m_Port = 5;
        QVERIFY(logic.GetActiveLogger() == &dravlet);
        QCOMPARE(logic.GetNumConnLoggers(), 1);
        QCOMPARE(logic.GetConnectedPort(), 5);
        QCOMPARE(logic.GetConnectedLoggerType(), 12.0);

        pelorin.m_bConnected = true;
        pelorin.m_Port = 7;
        QVERIFY(logic.GetActiveLogger() == &pelorin);
        QCOMPARE(logic.GetNumConnLoggers(), 2);
        QCOMPARE(logic.GetConnectedPort(), 7);

        // Without slot 0 there is no active logger, whatever the others report.
        logic.m_pLoggers[0] = nullptr;
        QVERIFY(logic.GetActiveLogger() == nullptr);
        QVERIFY(logic.IsLoggerConnected());

        QVERIFY(!logic.IsLoggerRunning());
        dravlet.m_bRunning = true;
        QVERIFY(logic.IsLoggerRunning());
        QVERIFY(!logic.IsLoggerOnFirmwareUpdate());
        dravlet.m_bFirmwareBusy = true;
        QVERIFY(logic.IsLoggerOnFirmwareUpdate());
        logic.m_pLoggers[1] = nullptr;
    }

    void loggersByTypeAndIntervals()
    {
        CFakeLogicContext ctx;
        CLogicManager logic(nullptr, &ctx);
        CFakeLogger pelorin(70.0), dravlet(12.0);
        pelorin.m_bConnected = dravlet.m_bConnected = false;
        pelorin.m_Interval.m_PeriodSec = 6.0;
        logic.m_pLoggers[0] = &pelorin;
        logic.m_pLoggers[1] = &dravlet;
        QVERIFY(logic.GetLoggerByType(70) == &pelorin);
        QVERIFY(logic.GetLoggerByType(12) == &dravlet);
        QVERIFY(logic.GetLoggerByType(0) == nullptr);
        QCOMPARE(logic.GetExperimentInterval(6, 10, 70).m_PeriodSec, 6.0);
        QCOMPARE(pelorin.m_LastIntervalRate, 6);
        const ExperimentInterval none = logic.GetExperimentInterval(6, 10, 3);
        QCOMPARE(none.m_PeriodSec, 0.0);
        QCOMPARE(none.m_PeriodDisplay, 0.0);
        QCOMPARE(int(none.m_UnitCode), 0);
        // Without a Dravlet interface every run is allowed.
        QVERIFY(logic.IsLoggerAllowToRun());
        logic.m_pLoggers[0] = logic.m_pLoggers[1] = nullptr;
    }

    void triggerLevelsFromTheRange()
    {
        CFakeLogicContext ctx;
        CLogicManager logic(nullptr, &ctx);
        QList<TriggerLevel> levels;
        // A 64th of a 0..64 range: whole steps, codes the levels truncated.
        setRange(logic, 5, 16384, 0.0, 64.0);
        logic.GetTriggeringLevels(0, 5, &levels);
        QCOMPARE(levels.size(), 65);
        for (int i = 0; i < 65; ++i) {
            QCOMPARE(levels[i].m_Level, float(64 - i));
            QCOMPARE(levels[i].m_Code, 64 - i);
        }
        // Kind 3: the code is the level in thousandths.
        levels.clear();
        setRange(logic, 6, 3, 0.0, 5.0);
        logic.GetTriggeringLevels(0, 6, &levels);
        QCOMPARE(levels.size(), 65);
        QCOMPARE(levels.first().m_Level, 5.0f);
        QCOMPARE(levels.first().m_Code, 5000);
        QCOMPARE(levels[1].m_Level, 4.921875f);
        QCOMPARE(levels[1].m_Code, 4921);
        QCOMPARE(levels.last().m_Level, 0.0f);
        QCOMPARE(levels.last().m_Code, 0);
        // A kind with no level of its own offers only the first candidate, and only when 0
        // lies in the range.
        levels.clear();
        setRange(logic, 7, 7, -1.0, 1.0);
        logic.GetTriggeringLevels(0, 7, &levels);
        QCOMPARE(levels.size(), 1);
        QCOMPARE(levels[0].m_Code, 0);
        levels.clear();
        setRange(logic, 8, 7, 1.0, 2.0);
        logic.GetTriggeringLevels(0, 8, &levels);
        QVERIFY(levels.isEmpty());
        // Nonsense arguments change nothing.
        logic.GetTriggeringLevels(0, 5, nullptr);
        logic.GetTriggeringLevels(0, 149, &levels);
        logic.GetTriggeringLevels(0, -1, &levels);
        QVERIFY(levels.isEmpty());
    }

    void calibratedTriggerLevels()
    {
        // Dravlet voltage (±25 V) calibrated 0 at raw 3060 and ∓10 at raw 2710: the levels span
        // the calibrated image of the sensor's range, highest first, on a rising and on a
        // falling line. The ends are where the sensor itself reads ±25 V.
        CFakeLogicContext ctx;
        CLogicManager logic(nullptr, &ctx);
        logic.m_SensorInfo.LoadSensorInfo();
        CFakeLogger dravlet(12.0);
        dravlet.m_bAutoDetect = false;
        logic.m_pDetectedLogger = &dravlet;
        for (double sign : {1.0, -1.0}) {
            CalibrationValues v;
            v.type = 2;
            v.raw1 = 3060, v.real1 = 0, v.raw2 = 2710, v.real2 = -10 * sign;
            logic.m_SensorsCalibration.setCalibrationValues(v, 1);
            QList<TriggerLevel> levels;
            logic.GetTriggeringLevels(0, 1, &levels);
            QCOMPARE(levels.size(), 65);
            const double high = sign * (2048 + 25 / double(0.01225f) - 3060) / 35;
            const double low = sign * (2048 - 25 / double(0.01225f) - 3060) / 35;
            QVERIFY(qAbs(levels.first().m_Level - qMax(high, low)) < 1e-3);
            QVERIFY(qAbs(levels.last().m_Level - qMin(high, low)) < 1e-3);
            for (int i = 1; i < levels.size(); ++i)
                QVERIFY(levels[i].m_Level < levels[i - 1].m_Level);
        }
    }

    void userRequestsBecomeCommands()
    {
        CFakeLogicContext ctx;
        CLogicManager logic(nullptr, &ctx);
        CFakeLogger logger(70.0);
        logger.m_bConnected = false;
        // No detected logger: nothing goes anywhere.
        emit ctx.m_Hub.UserSetSensorRange();
        emit ctx.m_Hub.UserFirmwareUpdate();
        logic.UserSnapshotRequest();
        logic.UserStatusRequest(0);
        logic.UserStartedRun();
        QVERIFY(!logic.IsKeepAliveRunning());

        logic.m_pDetectedLogger = &logger;
        ctx.m_Setup.m_bAutoDetect = false;
        emit ctx.m_Hub.UserDetectionModeChanged();
        emit ctx.m_Hub.UserFirmwareUpdate();      // not connected: nothing
        logger.m_bConnected = true;
        emit ctx.m_Hub.UserFirmwareUpdate();
        emit ctx.m_Hub.UserSetSensorRange();
        logic.UserSnapshotRequest();
        logic.UserStatusRequest(3);
        QCOMPARE(logger.SentIds(), (QList<int>{19, 21, 25, 18, 0}));
        const QList<CommandParametersStruct> sent = logger.Sent();
        QCOMPARE(int(sent[0].GetByte(27)), 0);
        QCOMPARE(int(sent[1].GetWord(42)), 0);
        QCOMPARE(int(sent[1].GetByte(44)), 1);

        // Sensor ids are written only to the Pelorin logger from firmware x.8 on.
        logger.m_Version[0] = 1;
        logger.m_Version[1] = 8;
        emit ctx.m_Hub.UserWriteSensorId();
        QCOMPARE(logger.SentIds().last(), 27);
        logic.m_pDetectedLogger = nullptr;
    }

    void dravletRequestsDependOnItsState()
    {
        CFakeLogicContext ctx;
        CLogicManager logic(nullptr, &ctx);
        CFakeLogger dravlet(12.0);
        dravlet.m_bConnected = false;
        dravlet.m_Version[0] = 2;
        dravlet.m_Version[1] = 9;
        logic.m_pDetectedLogger = &dravlet;
        dravlet.m_bRunning = true;
        logic.UserStatusRequest(0);
        emit ctx.m_Hub.UserWriteSensorId();
        QVERIFY(dravlet.SentIds().isEmpty());
        dravlet.m_bRunning = false;
        logic.UserStatusRequest(0);
        QCOMPARE(dravlet.SentIds(), QList<int>{0});
        // A timing run on the interface is a plain run with no keep-alive.
        ctx.m_RunMode = 1;
        emit ctx.m_Hub.UserStartedRun();
        QCOMPARE(dravlet.Executed(), QList<short>{1});
        QVERIFY(!logic.IsKeepAliveRunning());
        logic.m_pDetectedLogger = nullptr;
    }

    void runStartsAndTheKeepAlive()
    {
        CFakeLogicContext ctx;
        CLogicManager logic(nullptr, &ctx);
        CFakeLogger logger(70.0);
        logger.m_bConnected = true;
        logic.m_pDetectedLogger = &logger;
        // A normal run over USB (no Bluetooth link): run command only.
        ctx.m_Setup.m_RateCode = 0;
        emit ctx.m_Hub.UserStartedRun();
        QCOMPARE(logger.Executed(), QList<short>{1});
        QVERIFY(!logic.IsKeepAliveRunning());
        // A timing run on the Pelorin logger: the timing-run command and the keep-alive.
        ctx.m_RunMode = 1;
        emit ctx.m_Hub.UserStartedRun();
        QCOMPARE(logger.Executed(), (QList<short>{1, 15}));
        QVERIFY(logic.IsKeepAliveRunning());
        // Any stop ends the keep-alive.
        logic.SendStopCmd(&logger, true);
        QVERIFY(!logic.IsKeepAliveRunning());
        QCOMPARE(logger.SentIds(), QList<int>{5});
        // Run modes other than 0 and 1 start nothing.
        ctx.m_RunMode = 2;
        emit ctx.m_Hub.UserStartedRun();
        QCOMPARE(logger.Executed().size(), 2);
        logic.m_pDetectedLogger = nullptr;
    }

    void keepAliveAnswersKeepTheRunAlive()
    {
        // Two timing runs side by side: one logger answers every keep-alive, the other is
        // silent. Only the silent one is declared lost, once 3 s have passed without an answer.
        CFakeLogicContext ctxA, ctxB;
        CLogicManager answering(nullptr, &ctxA);
        CLogicManager silent(nullptr, &ctxB);
        CFakeLogger a(70.0), b(70.0);
        a.m_bConnected = b.m_bConnected = true;
        a.m_OnSend = [&answering](const CommandParametersStruct& c) {
            if (c.CommandId() == CmdKeepAlive)
                answering.KeepAliveReplied();
        };
        answering.m_pDetectedLogger = &a;
        silent.m_pDetectedLogger = &b;
        ctxA.m_RunMode = ctxB.m_RunMode = 1;
        QSignalSpy lostA(&ctxA.m_Hub, &CKorvantaSignals::LoggerDisconnected);
        QSignalSpy lostB(&ctxB.m_Hub, &CKorvantaSignals::LoggerDisconnected);
        emit ctxA.m_Hub.UserStartedRun();
        emit ctxB.m_Hub.UserStartedRun();
        QTRY_COMPARE_WITH_TIMEOUT(lostB.count(), 1, 6000);
        QVERIFY(!silent.IsKeepAliveRunning());
        const int silentKeepAlives = b.SentIds().count(CmdKeepAlive);
        QVERIFY2(silentKeepAlives >= 2 && silentKeepAlives <= 3, qPrintable(QString::number(silentKeepAlives)));
        // Past the 3 s window the answering run still runs and keeps asking.
        QTRY_VERIFY_WITH_TIMEOUT(a.SentIds().count(CmdKeepAlive) >= 5, 3000);
        QCOMPARE(lostA.count(), 0);
        QVERIFY(answering.IsKeepAliveRunning());
        answering.m_pDetectedLogger = nullptr;
        silent.m_pDetectedLogger = nullptr;
    }

    void statusRecordIsWrittenOnTheInterfaceThread()
    {
        CFakeLogicContext ctx;
        CLogicManager logic(nullptr, &ctx);
        CFakeLogger logger(70.0);
        logger.m_bConnected = false;
        logger.m_UiRateOffset = 100;
        logger.m_SensorList = {3, 71};
        logger.m_Samples = 500;
        logger.m_RateCode = 6;
        logger.m_Version[0] = 1;
        logger.m_Version[5] = 9;
        const QList<int> status{4, 2};
        logic.UpdateSetupInfoFromCore(&logger, &status);
        QCOMPARE(ctx.m_Setup.m_LoggerStatusList.size(), 1);
        const CCurrentLoggerStatus& s = ctx.m_Setup.m_LoggerStatusList.first();
        QCOMPARE(s.m_RateCode, 106);
        QCOMPARE(s.m_NumberOfSamples, 500);
        QVERIFY(s.m_bAutoDetect);
        QCOMPARE(s.m_SensorList, (QList<CLoggerChannel>{CLoggerChannel(4, 3), CLoggerChannel(2, 71)}));
        QCOMPARE(s.m_Version[0], 1);
        QCOMPARE(s.m_Version[5], 9);

        // From a logger thread the record changes only once the interface thread runs.
        logger.m_SensorList = {9};
        QtConcurrent::run([&] { logic.UpdateSetupInfoFromCore(&logger, nullptr); }).waitForFinished();
        QCOMPARE(ctx.m_Setup.m_LoggerStatusList.first().m_SensorList.size(), 2);
        QTRY_COMPARE(ctx.m_Setup.m_LoggerStatusList.first().m_SensorList,
                     (QList<CLoggerChannel>{CLoggerChannel(0, 9)}));
    }

    void detectionWithoutManagersEndsUndetected()
    {
        CFakeLogicContext ctx;
        CLogicManager logic(nullptr, &ctx);
        QSignalSpy start(&ctx.m_Hub, &CKorvantaSignals::LoggerStartDetection);
        QSignalSpy message(&ctx.m_Hub, &CKorvantaSignals::GuiModallessMsg);
        QSignalSpy end(&ctx.m_Hub, &CKorvantaSignals::LoggerEndDtetection);
        logic.StartLoggersDetection();
        QCOMPARE(start.count(), 1);
        QCOMPARE(message.count(), 1);
        QCOMPARE(message.first().at(1).toString(), QStringLiteral("Trying to connect..."));
        QTRY_COMPARE(end.count(), 1);
        QCOMPARE(end.first().at(0).toBool(), false);

        // A search that finds nothing new restarts detection on the logger found before.
        CFakeLogger logger(70.0);
        logger.m_bConnected = false;
        logic.m_pDetectedLogger = &logger;
        logic.StartLoggersDetection();
        QTRY_COMPARE(logger.m_Detections.load(), 1);
        QCOMPARE(end.count(), 1);
        logic.m_pDetectedLogger = nullptr;
    }

    void shutDownClosesEveryLoggerOnce()
    {
        CFakeLogicContext ctx;
        CFakeLogger pelorin(70.0), other(12.0);
        pelorin.m_bConnected = other.m_bConnected = false;
        {
            CLogicManager logic(nullptr, &ctx);
            logic.m_pLoggers[0] = &pelorin;
            logic.m_pLoggers[2] = &other;
            QVERIFY(logic.ExitLogicManager());
            QCOMPARE(pelorin.m_Exits.load(), 1);
            QCOMPARE(other.m_Exits.load(), 1);
            QVERIFY(logic.ExitLogicManager());
            QCOMPARE(pelorin.m_Exits.load(), 1);
            logic.m_pLoggers[0] = logic.m_pLoggers[2] = nullptr;
        }
        QCOMPARE(pelorin.m_Exits.load(), 1);
        QVERIFY(p_LogicManager == nullptr);
    }

    void exitWaitsForNoDetection()
    {
        CFakeLogicContext ctx;
        CLogicManager logic(nullptr, &ctx);
        logic.DetectExitLogicManager();
        QTRY_COMPARE_WITH_TIMEOUT(ctx.m_Quits, 1, 3000);
        QTest::qWait(1200);
        QCOMPARE(ctx.m_Quits, 1);
    }

    void sensorNamesSorted()
    {
        CFakeLogicContext ctx;
        CLogicManager logic(nullptr, &ctx);
        for (auto& s : logic.m_SensorInfo.m_Sensors)
            s.m_Name.clear();
        logic.m_SensorInfo.m_Sensors[3].m_Name = QStringLiteral("Voltage");
        logic.m_SensorInfo.m_Sensors[9].m_Name = QStringLiteral("Acceleration");
        logic.m_SensorInfo.m_Sensors[4].m_Name = QStringLiteral("Light");
        logic.SortSensorsNames();
        QCOMPARE(logic.GetSortedSensorIndexes(), (QVector<int>{9, 4, 3}));
    }
};

KORVANTA_TEST_GUILESS_MAIN(TestLogicManager)
#include "tst_logic_manager.moc"
