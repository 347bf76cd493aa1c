// The timing reports of the simulated photogates, byte for byte. The lesson: a cart at 0.5 m/s
// with a 2 cm flag blocks the first gate 0.3-0.34 s into the run, the second, 50 cm on,
// 1.3-1.34 s; the next cart comes at 1.8 s.
#include "simulator/DravletDevice.h"
#include "simulator/PelorinDevice.h"
#include "simulator/PhotogateModels.h"
#include "support/SimDriver.h"

#include "common/TestMain.h"

using namespace kvsim;

class TestPhotogateSim : public QObject
{
    Q_OBJECT
private slots:
    void reports_data()
    {
        QTest::addColumn<bool>("pelorin");
        QTest::addColumn<QString>("lesson");
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QString>("frames");  // the reply, those due at 1.2 s, "|", those due at 1.5 s
        // Edges with microsecond ticks from 1 s on: gate code (the channel), unblock flag.
        QTest::newRow("pelorin") << true << "cart" << QByteArray::fromHex("bc9e0e0c00000000020100080002000800")
                                 << "3db7010c 3db7080d0100000013d620 3db7080d01010000147260 | "
                                    "3db7080d02000000231860 3db7080d0201000023b4a0";
        // Passages in 24 MHz counts: t1 t2 of each with one gate, t1 t2 t3 t4 of a cart with two.
        QTest::newRow("dravlet two gates") << false << "cart" << QByteArray::fromHex("bc9e0c02")
                                           << "3db70c | 3db711006ddd00007c830001dc130001eab900";
        // A flag of two bars (0-2 cm, 4-6 cm) accelerating at 0.5 m/s².
        QTest::newRow("dravlet accelerating") << false << "accel" << QByteArray::fromHex("bc9e0c01")
                                              << "3db70c 3db711006ddd00007c3adc 3db711008a12d700977295 |";
    }
    void reports()
    {
        QFETCH(bool, pelorin);
        QFETCH(QString, lesson);
        QFETCH(QByteArray, request);
        QFETCH(QString, frames);
        std::unique_ptr<IDeviceModel> d;
        d.reset(pelorin ? static_cast<IDeviceModel*>(new CPelorinDevice) : new CDravletDeviceModel);
        PhotogateSettings s;
        QString error;
        QVERIFY(PhotogateSettingsFrom(lesson == "cart" ? "2" : "1", lesson, "", "", "", "", "", "", "", s, error));
        QVERIFY(ApplyPhotogates(*d, s));
        CClockOutput out;
        Feed(*d, out, request);
        QStringList sent;
        for (qint64 at : {1200, 1500}) {
            out.now = at;
            d->onTick(out);
            for (const QByteArray& f : out.Take())
                sent << f.toHex();
            if (at == 1200)
                sent << "|";
        }
        QCOMPARE(sent.join(' '), frames);
    }
};

KORVANTA_TEST_MAIN(TestPhotogateSim)
#include "tst_photogate_sim.moc"
