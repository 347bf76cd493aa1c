// The signal hub: wrappers raise their signals with the arguments unchanged, and a signal
// raised on a worker thread reaches interface-thread receivers through the event loop.
#include "Core/Base/KorvantaSignals.h"
#include "Core/Base/LoggerStatus.h"

#include <QSignalSpy>
#include <QThread>
#include "common/TestMain.h"

namespace {

class Receiver : public QObject
{
    Q_OBJECT
public:
    QThread* m_Thread = nullptr;
    int m_Calls = 0;
    QString m_Title;
    bool m_Flag = false;
public slots:
    void onNewData()
    {
        m_Thread = QThread::currentThread();
        ++m_Calls;
    }
    void onMessage(QString title, QString message, bool withBtn)
    {
        m_Thread = QThread::currentThread();
        m_Title = title + QLatin1Char('|') + message;
        m_Flag = withBtn;
        ++m_Calls;
    }
};

} // namespace

class TestHub : public QObject
{
    Q_OBJECT
private slots:
    void wrappersRaiseTheirSignals()
    {
        CKorvantaSignals hub(nullptr);
        QSignalSpy started(&hub, &CKorvantaSignals::LoggerStartedRun);
        QSignalSpy ended(&hub, &CKorvantaSignals::LoggerEndDtetection);
        QSignalSpy progress(&hub, &CKorvantaSignals::LoggerBootLoaderProgUpdate);
        QSignalSpy paused(&hub, &CKorvantaSignals::VideoRecordPaused);
        QSignalSpy snapshot(&hub, &CKorvantaSignals::LoggerSnapShotArrived);
        QSignalSpy askX(&hub, &CKorvantaSignals::UserAskXvalue);
        QSignalSpy message(&hub, &CKorvantaSignals::GuiModallessMsg);
        QSignalSpy status(&hub, &CKorvantaSignals::LoggerStatusArrived);
        QSignalSpy download(&hub, &CKorvantaSignals::LoggerDownloadFinshed);
        QSignalSpy playback(&hub, &CKorvantaSignals::VideoPlaybackStart);
        hub.SignalLoggerStartedRun();
        hub.SignalLoggerEndDtetection(true);
        hub.SignalLoggerBootLoaderProgUpdate(42, QStringLiteral("Block 3"));
        hub.SignalVideoRecordPause();
        hub.SingnalLoggerSnapShotArrived();
        hub.SingalUserAskXValue();
        hub.SignalGuiModallessMsg(QString(), QStringLiteral("Trying to connect..."), false);
        hub.SignalLoggerStatusArrived(3);
        hub.SignalLoggerDownloadFinshed(false);
        hub.SignalVideoPlaybackStart(17);
        QCOMPARE(started.count(), 1);
        QCOMPARE(ended.at(0).at(0).toBool(), true);
        QCOMPARE(progress.at(0).at(0).toInt(), 42);
        QCOMPARE(progress.at(0).at(1).toString(), QStringLiteral("Block 3"));
        QCOMPARE(paused.count(), 1);
        QCOMPARE(snapshot.count(), 1);
        QCOMPARE(askX.count(), 1);
        QVERIFY(message.at(0).at(0).toString().isEmpty());   // an empty title passes unchanged
        QCOMPARE(message.at(0).at(1).toString(), QStringLiteral("Trying to connect..."));
        QCOMPARE(message.at(0).at(2).toBool(), false);
        QCOMPARE(status.at(0).at(0).toInt(), 3);
        QCOMPARE(download.at(0).at(0).toBool(), false);
        QCOMPARE(playback.at(0).at(0).toInt(), 17);
    }

    void signalsWithoutWrappersAreRaisedDirectly()
    {
        CKorvantaSignals hub(nullptr);
        QSignalSpy deleted(&hub, &CKorvantaSignals::dataKeyIsDeleted);
        QSignalSpy fn(&hub, &CKorvantaSignals::newFunctionData);
        emit hub.dataKeyIsDeleted(12);
        emit hub.newFunctionData(30, 4, -1);
        QCOMPARE(deleted.at(0).at(0).toInt(), 12);
        QCOMPARE(fn.at(0), QList<QVariant>({30, 4, -1}));
    }

    void workerThreadSignalsArriveInTheInterfaceThread()
    {
        CKorvantaSignals hub(nullptr);
        Receiver receiver;
        connect(&hub, &CKorvantaSignals::LoggerNewDataArrived, &receiver, &Receiver::onNewData,
                Qt::QueuedConnection);
        connect(&hub, &CKorvantaSignals::GuiModallessMsg, &receiver, &Receiver::onMessage);
        QSignalSpy spy(&hub, &CKorvantaSignals::LoggerNewDataArrived);
        QThread* worker = QThread::create([&hub]() {
            for (int i = 0; i < 5; ++i)
                hub.SignalLoggerNewDataArrived();
            hub.SignalGuiModallessMsg(QStringLiteral("Pavix"), QStringLiteral("Logger"), true);
        });
        worker->start();
        QVERIFY(worker->wait(5000));
        delete worker;
        // Raised on the worker, not yet delivered: the slots wait for this thread's loop.
        QCOMPARE(spy.count(), 5);
        QCOMPARE(receiver.m_Calls, 0);
        QTRY_COMPARE(receiver.m_Calls, 6);
        QCOMPARE(receiver.m_Thread, QThread::currentThread());
        QCOMPARE(receiver.m_Title, QStringLiteral("Pavix|Logger"));
        QVERIFY(receiver.m_Flag);
    }

    void freshLoggerStatus()
    {
        CCurrentLoggerStatus status;
        QVERIFY(status.m_SensorList.isEmpty());
        QVERIFY(status.m_RangeList.isEmpty());
        QVERIFY(status.m_SnapshotList.isEmpty());
        QVERIFY(!status.m_bAutoDetect);
        QCOMPARE(status.m_RateCode, 0);
        QCOMPARE(status.m_NumberOfSamples, 0);
        for (int v : status.m_Version)
            QCOMPARE(v, 0);
        status.m_SensorList << CLoggerChannel(2, 38);
        const CCurrentLoggerStatus copy = status;
        QCOMPARE(copy.m_SensorList.first(), CLoggerChannel(2, 38));
    }
};

KORVANTA_TEST_GUILESS_MAIN(TestHub)
#include "tst_hub.moc"
