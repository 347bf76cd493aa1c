// What the simulated sensors read, as the program converts it: inside each sensor type's
// catalogue range, clear of its ends (where the conversion would pin a value), and moving.
#include "Core/Data/DataConversion.h"
#include "Core/Data/SensorInfo.h"
#include "Core/Data/SensorsCalibration.h"
#include "Core/Data/SetupInfo.h"
#include "common/FakeLogger.h"
#include "simulator/CatalogueSensors.h"
#include "simulator/DravletDevice.h"
#include "simulator/ModelFactory.h"
#include "simulator/PelorinDevice.h"
#include "support/SimDriver.h"

#include "common/TestMain.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <memory>

using kvsim::SignalShape;

namespace {

constexpr int kSamples = 1200;

QByteArray Hex(const char* text) { return QByteArray::fromHex(QByteArray(text).replace(' ', "")); }

// The range a range text shows ("0 - 400kPa", "-30 - 50°C", "± 10N"); false when it shows none.
bool ShownRange(const QString& text, double& low, double& high)
{
    static const QRegularExpression range(QStringLiteral("(±)?\\s*(-?[\\d.]+)(?:\\s*-\\s*(-?[\\d.]+))?"));
    const QRegularExpressionMatch m = range.match(text);
    if (!m.hasMatch() || m.captured(1).isEmpty() == m.captured(3).isEmpty())
        return false;
    high = m.captured(m.captured(1).isEmpty() ? 3 : 2).toDouble();
    low = m.captured(1).isEmpty() ? m.captured(2).toDouble() : -high;
    return true;
}

// The 12-bit readings of the first channel over kSamples samples of a run, and the seconds
// between two samples; plugId (when not 0) replaces the model's own plug.
QVector<int> RunReadings(kvsim::IDeviceModel& device, int plugId, double& period)
{
    CClockOutput out;
    QVector<int> readings;
    if (auto* p = dynamic_cast<kvsim::CPelorinDevice*>(&device)) {
        if (plugId) {
            kvsim::CPelorinDevice::Sensor s;
            s.channel = 1;
            s.idLow = static_cast<unsigned char>(plugId);
            p->setSensors({s});
        }
        // 100 samples a second in packets of 25, channel 1 alone.
        Feed(*p, out, Hex("BC9E 12 01 00000064 00 0004B0 00 00 0000 0019 01 0100"));
        out.now = 20000;
        p->onTick(out);
        period = 0.01;
        for (const QByteArray& f : out.Take())
            for (int at = 10; quint8(f[3]) == 0x09 && at + 1 < f.size(); at += 2)
                readings << (((quint8(f[at]) << 8) | quint8(f[at + 1])) & 0x0FFF);
    } else if (auto* d = dynamic_cast<kvsim::CDravletDeviceModel*>(&device)) {
        if (plugId) {
            kvsim::CDravletDeviceModel::Sensor sensor;
            sensor.id = plugId;
            d->setSensors({sensor});
        }
        Feed(*d, out, Hex("BC9E 01 00"));
        for (int i = 0; i < kSamples; ++i)
            d->onTick(out);
        period = 0.04;  // the interface's rate before a setup
        for (const QByteArray& f : out.Take())
            if (f.size() == 32 && quint8(f[2]) == 0x09)
                readings << (((quint8(f[4]) & 0x0F) << 8) | quint8(f[5]));
    }
    return readings;
}

} // namespace

class TestSimSignals : public QObject
{
    Q_OBJECT

    CSensorInfo m_catalogue;

private slots:
    void initTestCase() { m_catalogue.LoadSensorInfo(); }

    // Plugs the simulator brings itself, plugs chosen from the catalogue (plugId -1) and plugs
    // with the span every other sensor gets, each under every shape but the counting pattern.
    void signalsStayInsideTheCatalogueRange_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<int>("plugId");  // 0: the model's own plug
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("shape");
        const struct { const char *name, *model; int plugId, index; } plugs[] = {
            {"Pelorin temperature", "pelorin", 0, 72}, {"Pelorin pH", "pelorin", 22, 92},
            {"Pelorin light", "pelorin", 6, 76},       {"Dravlet voltage 25 V", "dravlet", 0, 1},
            {"Dravlet voltage 5 V", "dravlet", 165, 2}, {"Dravlet voltage 2.5 V", "dravlet", 230, 3},
            {"Dravlet light", "dravlet", 350, 5},      {"Dravlet pH", "dravlet", 850, 13},
            {"Dravlet pressure", "dravlet", 1380, 23}, {"Pelorin pressure chosen", "pelorin", -1, 71},
            {"Dravlet pH chosen", "dravlet", -1, 13},
        };
        for (const auto& p : plugs)
            for (SignalShape shape : {SignalShape::Sine, SignalShape::Step, SignalShape::Ramp, SignalShape::Noise})
                QTest::addRow("%s, %s", p.name, qPrintable(kvsim::SignalShapeNames().at(int(shape))))
                    << QString::fromLatin1(p.model) << p.plugId << p.index << int(shape);
    }
    void signalsStayInsideTheCatalogueRange()
    {
        QFETCH(QString, model);
        QFETCH(int, plugId);
        QFETCH(int, index);
        QFETCH(int, shape);
        kvsim::SignalSettings signal;
        signal.shape = SignalShape(shape);
        std::unique_ptr<kvsim::IDeviceModel> device = kvsim::createDeviceModel(model, signal);
        QVERIFY(device && (plugId >= 0 || kvsim::ApplySensors(*device, {index})));
        double period = 0.0;
        const QVector<int> readings = RunReadings(*device, std::max(plugId, 0), period);
        QCOMPARE(readings.size(), kSamples);
        const CSensorParametersInfo* type = m_catalogue.GetSensorInfo(index);
        QVERIFY(type);
        const CSensorMeasuremntInfo& range = type->m_Measurements[0];
        CSensorsCalibration calibration(&m_catalogue);
        CSetupInfo setup;
        CDataConversion conversion;
        conversion.SetSensorInfo(&m_catalogue);
        conversion.SetCalibration(&calibration);
        conversion.SetSetupInfo(&setup);
        conversion.SetSamplePeriod(period);
        CFakeLogger logger(model == QLatin1String("pelorin") ? 70.0 : 12.0);
        logger.m_ZeroConst = type->m_Zero;
        double low = range.m_Max, high = range.m_Min;
        QSet<qint64> distinct;
        for (int i = 0; i < readings.size(); ++i) {
            short flag = 0;
            const double v = conversion.ConvertDataSample(&logger, 0, 0, index, readings[i], i, flag, 0, true, false);
            QVERIFY2(v > range.m_Min && v < range.m_Max, qPrintable(QStringLiteral("sample %1: %2").arg(i).arg(v)));
            low = std::min(low, v);
            high = std::max(high, v);
            distinct << readings[i];
        }
        // It moves: over a tenth of the range, through many readings.
        QVERIFY(high - low > 0.1 * (range.m_Max - range.m_Min));
        QVERIFY(distinct.size() > 20);
        // A sine on a catalogue plug sweeps the asked share of the range, and its noise.
        const double swept = (high - low) / (range.m_Max - range.m_Min) - signal.amplitude;
        QVERIFY2(plugId > 0 || signal.shape != SignalShape::Sine || (swept > -0.02 && swept < 0.05),
                 qPrintable(QStringLiteral("%1 to %2").arg(low).arg(high)));
    }

    // Every sensor the simulator offers shows in Full Setup the range its readings are kept in,
    // but for those where the catalogue gives no second source (a twin measurement or entry) to
    // tell whether the range text or the limits are right.
    void shownRangeIsTheKeptRange()
    {
        QStringList differ;
        QVector<int> found;
        QString error;
        for (const char* model : {"pelorin", "dravlet"})
            for (int index = 1; index < CSensorInfo::s_NumOfSensors; ++index) {
                const CSensorMeasuremntInfo& kept = m_catalogue.GetSensorInfo(index)->m_Measurements[0];
                double low = 0.0, high = 0.0;
                if (kvsim::ResolveSensors(model, {QString::number(index)}, found, error)
                    && ShownRange(kept.m_RangeText, low, high) && (low != kept.m_Min || high != kept.m_Max))
                    differ << QStringLiteral("%1 %2").arg(model).arg(index);
            }
        QCOMPARE(differ, (QStringList{"pelorin 103", "pelorin 147", "dravlet 22", "dravlet 25", "dravlet 28", "dravlet 32",
                                      "dravlet 34", "dravlet 37", "dravlet 45", "dravlet 58"}));
    }

    // Live readings move, so that the two points of a calibration can differ.
    void snapshotsFollowTheSignal()
    {
        for (const char* model : {"pelorin", "dravlet"}) {
            auto device = kvsim::createDeviceModel(model);
            CClockOutput out;
            QList<QByteArray> packets;
            for (qint64 now : {0, 2500}) {
                out.now = now;
                Feed(*device, out, Hex(model[0] == 'p' ? "BC9E 01 07" : "BC9E 03 00"));
                packets << out.Take().last();
            }
            QVERIFY2(packets[0] != packets[1], model);
        }
    }

    // Each channel starts at its own phase.
    void channelsDiffer()
    {
        const kvsim::SignalSettings sine;
        int apart = 0;
        for (int i = 0; i < 100; ++i)
            apart += qAbs(kvsim::SignalLevel(sine, 0, i, i * 0.1) - kvsim::SignalLevel(sine, 1, i, i * 0.1)) > 0.1;
        QVERIFY(apart > 50);
    }

    void unusableCommandLineValuesAreRefused()
    {
        kvsim::SignalSettings s;
        QString error;
        QVERIFY(kvsim::SignalSettingsFrom("STEP", "0.5", "2.5", s, error));
        QCOMPARE(s.shape, SignalShape::Step);
        for (const QStringList& bad : {QStringList{"wave", "", ""}, {"", "1.5", ""}, {"", "x", ""}, {"", "", "0"},
                                       {"", "", "inf"}}) {
            error.clear();
            QVERIFY(!kvsim::SignalSettingsFrom(bad[0], bad[1], bad[2], s, error));
            QVERIFY(!error.isEmpty());
        }
    }
};

KORVANTA_TEST_MAIN(TestSimSignals)
#include "tst_sim_signals.moc"
