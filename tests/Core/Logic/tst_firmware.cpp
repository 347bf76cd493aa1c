// Firmware update of the Pelorin logger against the simulated boot-loader: the boot-loader is
// entered, the logger comes back as a new device, the file goes over in 1024-byte blocks and
// the boot-loader checks the CRC-16 over the whole file.
#include "Core/Logic/Pelorin/PelorinFirmwareFile.h"
#include "support/PelorinRig.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include "common/TestMain.h"

namespace {

using kvsim::CPelorinDevice;
using kvsim::ISimOutput;

// A boot-loader that can answer the end of the transfer with a result code of its choice and
// acknowledge every block twice (a repeated reply on the link).
class CScriptedBootDevice : public CPelorinDevice
{
public:
    void onFrame(const QByteArray& frame, ISimOutput& out) override
    {
        const unsigned char op = frame.size() >= 4 ? quint8(frame[3]) : 0;
        if (op == 0xF4 && m_ResultOverride >= 0) {
            CPelorinDevice::onFrame(frame, *static_cast<ISimOutput*>(&m_Swallow));
            out.send(QByteArray::fromHex("3DB702F4") + QByteArray(1, char(m_ResultOverride)));
            return;
        }
        CPelorinDevice::onFrame(frame, out);
        if (op == 0xF3 && m_bDoubleAcks)
            CPelorinDevice::onFrame(frame, out);
    }

    int m_ResultOverride = -1;
    bool m_bDoubleAcks = false;

private:
    struct Swallow : ISimOutput
    {
        void send(const QByteArray&) override {}
        qint64 elapsedMs() const override { return 0; }
    } m_Swallow;
};

QByteArray RandomImage(int size)
{
    QByteArray image(size, '\0');
    QRandomGenerator rng(0x5eed + quint32(size));
    for (char& c : image)
        c = char(rng.bounded(256));
    return image;
}

quint16 Crc16(const QByteArray& data)
{
    quint16 crc = 0;
    for (char ch : data) {
        const quint8 byte = quint8(ch);
        for (int bit = 7; bit >= 0; --bit) {
            const bool dataBit = (byte >> bit) & 1;
            const bool top = crc & 0x8000;
            crc = quint16(crc << 1);
            if (top != dataBit)
                crc ^= 0x8005;
        }
    }
    return crc;
}

} // namespace

class TestFirmware : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<CPelorinRig> rig;
    CScriptedBootDevice* device = nullptr;

    // Reads the simulated device's state on the simulator's own thread.
    template <typename Fn>
    auto onDevice(Fn read) -> decltype(read())
    {
        decltype(read()) value{};
        rig->m_Sim->invoke([&] { value = read(); });
        return value;
    }
    QTemporaryDir dir;

    // restarts: the device leaves and comes back by itself, as the logger does; otherwise the
    // test plugs it back in (rig->Replug) at the moment it chooses.
    void startWithImage(const QByteArray& image, bool restarts = false)
    {
        auto d = std::make_unique<CScriptedBootDevice>();
        d->setRestartAbsenceMs(restarts ? 100 : -1);
        device = d.get();
        rig = std::make_unique<CPelorinRig>(std::move(d));
        if (restarts)
            rig->FollowRestarts();
        QVERIFY(rig->Start());
        // The pauses around the boot-loader's reconnection are the hardware's; the simulator
        // needs none of them.
        rig->m_pLogic->GetDeviceDetectionManager()->SetPlugWaitScale(0.02);
        QVERIFY(rig->PlugAndDetect());
        const QString path = dir.filePath(QStringLiteral("firmware-%1.bin").arg(image.size()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(image), qint64(image.size()));
        file.close();
        rig->m_pLogic->SetFirmwareFileName(path);
    }

    // Enter the boot-loader, come back as a new device and transfer; true when a result came.
    bool runUpdate()
    {
        emit rig->Hub().UserFirmwareUpdate();
        if (!QTest::qWaitFor([&] { return rig->m_Recorder->Count(QStringLiteral("EnteredBootLoader")) >= 1; }, 3000))
            return false;
        if (!rig->Logger()->IsFirmwareBusy())
            return false;
        if (!rig->Replug())
            return false;
        return QTest::qWaitFor([&] { return !rig->m_Recorder->m_BootResults.isEmpty(); }, 8000);
    }

private slots:
    void cleanup()
    {
        rig.reset();
        device = nullptr;
    }

    void crcOfTheBootLoader()
    {
        QCOMPARE(Crc16("123456789"), quint16(0xFEE8));
        QCOMPARE(Crc16("abc"), quint16(0xCADB));
        CPelorinRig probe;
        QVERIFY(probe.Start());
        QCOMPARE(probe.Pelorin()->CalcBootloaderCRC("abc", 3), quint16(0xCADB));
    }

    void randomImageIsTransferredAndVerified()
    {
        const QByteArray image = RandomImage(5000);   // four whole blocks and one of 904 bytes
        startWithImage(image);
        QVERIFY(runUpdate());
        QCOMPARE(rig->m_Recorder->m_BootResults, QList<int>{1});
        QTRY_VERIFY(onDevice([this] { return device->bootCrcMatched(); }));
        QCOMPARE(onDevice([this] { return device->bootBlocks(); }), 5);
        QCOMPARE(onDevice([this] { return device->bootCrc(); }), Crc16(image));
        QVERIFY(!rig->Logger()->IsFirmwareBusy());
        QVERIFY(rig->Pelorin()->IsFirmwareWritten());
        // Progress: boot-loader entered, connected, starting, updating, then the blocks.
        const QList<int> progress = rig->m_Recorder->m_Progress;
        QVERIFY(progress.size() >= 7);
        QCOMPARE(progress.mid(0, 4), (QList<int>{4, 22, 24, 26}));
        QCOMPARE(progress.mid(4), (QList<int>{30, 42, 54, 66}));

        // The logger restarts with the new firmware and is found again.
        QSignalSpy messages(&rig->Hub(), &CKorvantaSignals::GuiModallessMsg);
        QVERIFY(rig->Replug());
        QTRY_VERIFY_WITH_TIMEOUT(rig->m_pLogic->IsLoggerConnected(), 8000);
        QTRY_VERIFY(rig->m_Recorder->m_Progress.contains(100));
        QVERIFY(rig->m_Recorder->m_Progress.contains(90));
        QVERIFY(!rig->Pelorin()->IsFirmwareWritten());
        QVERIFY(!rig->m_pLogic->GetDeviceDetectionManager()->IsConnectionTimerActive());
        bool announced = false;
        for (const QList<QVariant>& m : messages)
            announced = announced || m.at(1).toString() == QStringLiteral("Update successful.");
        QVERIFY(announced);
    }

    void deviceRestartsCarryTheUpdateThrough()
    {
        // Into its boot-loader and out of it with the new firmware, the logger comes back as a
        // new device each time: nobody plugs anything.
        const QByteArray image = RandomImage(2500);
        startWithImage(image, true);
        QSignalSpy messages(&rig->Hub(), &CKorvantaSignals::GuiModallessMsg);
        emit rig->Hub().UserFirmwareUpdate();
        QTRY_COMPARE_WITH_TIMEOUT(rig->m_Recorder->m_BootResults, QList<int>{1}, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(rig->m_pLogic->IsLoggerConnected() && !rig->m_pLogic->IsFirmwareUpdateUnderWay(),
                                 10000);
        QCOMPARE(onDevice([this] { return device->bootBlocks(); }), 3);
        QVERIFY(onDevice([this] { return device->bootCrcMatched(); }));
        QVERIFY(!onDevice([this] { return device->inBootLoader(); }));
        // It left twice, each time seen as gone, and is connected where it came back.
        QCOMPARE(rig->m_Recorder->Count(QStringLiteral("Disconnected")), 2);
        QCOMPARE(rig->m_pLogic->GetConnectedPortName(), rig->m_Sim->portName());
        QCOMPARE(messages.last().at(1).toString(), QStringLiteral("Update successful."));
        // Back to normal: the logger answers its status.
        QVERIFY(rig->RequestStatus());
    }

    void repeatedBlockAcknowledgementsSkipNothing()
    {
        const QByteArray image = RandomImage(3 * 1024 + 1);
        startWithImage(image);
        QVERIFY(rig->m_Sim->invoke([this] { device->m_bDoubleAcks = true; }));
        QVERIFY(runUpdate());
        QCOMPARE(rig->m_Recorder->m_BootResults, QList<int>{1});
        QCOMPARE(onDevice([this] { return device->bootBlocks(); }), 4);
        QVERIFY(onDevice([this] { return device->bootCrcMatched(); }));
    }

    void failedUpdateIsReportedAsFailed()
    {
        // Only 1 means success; any other result byte is a failure.
        startWithImage(RandomImage(2048));
        QVERIFY(rig->m_Sim->invoke([this] { device->m_ResultOverride = 2; }));
        QVERIFY(runUpdate());
        QCOMPARE(rig->m_Recorder->m_BootResults, QList<int>{0});
        QVERIFY(!rig->Logger()->IsFirmwareBusy());
    }

    void bootLoaderRefusalIsReportedAsFailed()
    {
        // The boot-loader's own refusal (result 0, as after a CRC mismatch).
        const QByteArray image = RandomImage(2048);
        startWithImage(image);
        QVERIFY(rig->m_Sim->invoke([this] { device->m_ResultOverride = 0; }));
        QSignalSpy messages(&rig->Hub(), &CKorvantaSignals::GuiModallessMsg);
        QVERIFY(runUpdate());
        QCOMPARE(rig->m_Recorder->m_BootResults, QList<int>{0});
        // The logger comes back with its old firmware: no success is announced, the problem is.
        QVERIFY(!rig->Pelorin()->IsFirmwareWritten());
        QVERIFY(rig->Replug());
        QTRY_VERIFY_WITH_TIMEOUT(rig->m_pLogic->IsLoggerConnected(), 8000);
        QTRY_VERIFY(!rig->m_pLogic->IsFirmwareUpdateUnderWay());
        QStringList texts;
        for (const QList<QVariant>& m : messages)
            texts << m.at(1).toString();
        QVERIFY2(!texts.contains(QStringLiteral("Update successful.")) && !rig->m_Recorder->m_Progress.contains(100)
                     && texts.filter(QStringLiteral("There was a problem with the upgrade")).size() == 1,
                 qPrintable(texts.join('|')));
    }

    // Every wait of the update is bounded: a logger or boot-loader that stops answering ends
    // the update with the problem message, and the logger is found again after its reset.
    void stalledUpdateIsGivenUp_data()
    {
        QTest::addColumn<bool>("silentLogger");
        QTest::addColumn<int>("bootReplies");
        QTest::addColumn<int>("blocksTaken");
        QTest::newRow("boot-loader request unanswered") << true << -1 << 0;
        QTest::newRow("boot-loader never answers") << false << 0 << 0;
        QTest::newRow("block not acknowledged") << false << 2 << 1;
        QTest::newRow("no result after the last block") << false << 3 << 2;
    }
    void stalledUpdateIsGivenUp()
    {
        QFETCH(bool, silentLogger);
        QFETCH(int, bootReplies);
        QFETCH(int, blocksTaken);
        startWithImage(RandomImage(2048));
        CDeviceDetectionManager* detection = rig->m_pLogic->GetDeviceDetectionManager();
        detection->SetFirmwareWaitScale(0.1);
        QVERIFY(rig->m_Sim->invoke([&] { device->setBootTransferReplies(bootReplies); }));
        rig->m_Sim->setSilent(silentLogger);
        QSignalSpy messages(&rig->Hub(), &CKorvantaSignals::GuiModallessMsg);
        emit rig->Hub().UserFirmwareUpdate();
        if (!silentLogger) {
            QTRY_COMPARE_WITH_TIMEOUT(rig->m_Recorder->Count(QStringLiteral("EnteredBootLoader")), 1, 3000);
            QVERIFY(rig->Replug());
        }
        QTRY_COMPARE_WITH_TIMEOUT(rig->m_Recorder->m_BootResults, QList<int>{0}, 10000);
        QCOMPARE(onDevice([this] { return device->bootBlocks(); }), blocksTaken);
        QCOMPARE(messages.count(), 1);
        QCOMPARE(messages.at(0).at(0).toString(), QStringLiteral("Firmware update."));
        QCOMPARE(messages.at(0).at(1).toString(),
                 QStringLiteral("There was a problem with the upgrade. Reset by pressing the power button until the "
                                "LED turns red. Then release and try upgrading again."));
        QVERIFY(!rig->Logger()->IsFirmwareBusy());
        QVERIFY(!rig->Pelorin()->IsFirmwareWritten());
        QVERIFY(!rig->m_pLogic->IsLoggerConnected());
        QVERIFY(!detection->IsWatchingFirmware());

        rig->m_Sim->setSilent(false);
        QVERIFY(rig->m_Sim->invoke([this] { device->restartFirmware(); }));
        QVERIFY(rig->Replug());
        QTRY_VERIFY_WITH_TIMEOUT(rig->m_pLogic->IsLoggerConnected(), 8000);
        QVERIFY(!rig->Logger()->IsFirmwareBusy());
    }

    void firmwareFileIsChecked_data()
    {
        using P = PelorinFirmwareFile::Problem;
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint64>("size");   // -1 no file, -2 a folder of that name
        QTest::addColumn<int>("problem");
        QTest::newRow("no file") << "logger_ver1.25.bin" << qint64(-1) << int(P::Missing);
        QTest::newRow("a folder") << "logger_ver1.25.bin" << qint64(-2) << int(P::NotAFile);
        QTest::newRow("other name") << "logger_ver1.25.hex" << qint64(4096) << int(P::NotFirmwareName);
        QTest::newRow("no suffix") << "firmware" << qint64(4096) << int(P::NotFirmwareName);
        QTest::newRow("empty") << "logger_ver1.25.bin" << qint64(0) << int(P::Empty);
        QTest::newRow("one byte") << "logger_ver1.25.bin" << qint64(1) << int(P::None);
        QTest::newRow("capital suffix") << "LOGGER.BIN" << qint64(65536) << int(P::None);
        QTest::newRow("every block number") << "big.bin" << PelorinFirmwareFile::s_MaxSize << int(P::None);
        QTest::newRow("beyond the block numbers") << "big.bin" << PelorinFirmwareFile::s_MaxSize + 1
                                                  << int(P::TooLarge);
    }
    // A file is refused, with its reason, before the logger is asked to update.
    void firmwareFileIsChecked()
    {
        QFETCH(QString, name);
        QFETCH(qint64, size);
        QFETCH(int, problem);
        QTemporaryDir files;
        const QString path = files.filePath(name);
        QFile file(path);
        if (size == -2)
            QVERIFY(QDir().mkdir(path));
        else if (size >= 0)
            QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(size));   // sparse: the big ones cost no disk
        const PelorinFirmwareFile::Problem found = PelorinFirmwareFile::Check(path);
        QCOMPARE(int(found), problem);
        QCOMPARE(PelorinFirmwareFile::Explain(found).isEmpty(), problem == int(PelorinFirmwareFile::Problem::None));
    }

    void updateNeedsAConnectedLogger()
    {
        auto d = std::make_unique<CScriptedBootDevice>();
        device = d.get();
        rig = std::make_unique<CPelorinRig>(std::move(d));
        QVERIFY(rig->Start());
        emit rig->Hub().UserFirmwareUpdate();
        QTest::qWait(300);
        QCOMPARE(rig->m_Sim->frameCount(), 0);
        QVERIFY(!rig->Logger()->IsFirmwareBusy());
    }
};

KORVANTA_TEST_MAIN(TestFirmware)
#include "tst_firmware.moc"
