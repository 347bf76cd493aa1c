// The registry of the loggers the program knows: the look-ups by GetType number and by model,
// the models' own numbers, and a third logger that is known through its registry line alone.
#include "Core/Base/CommandParameters.h"
#include "Core/Logic/Dravlet/DravletFace.h"
#include "Core/Logic/LoggerKinds.h"
#include "Core/Logic/Pelorin/PelorinFace.h"

#include "common/TestMain.h"

#include <cmath>
#include <limits>

namespace {
// A third model, as a room of its own would describe it: numbers of its own for everything a
// face must state.
constexpr LoggerModel s_ThirdModel = LoggerModel(33);

class CThirdFace : public ILoggerFace
{
public:
    LoggerModel Model() const override { return s_ThirdModel; }
    int FastestRateCode() const override { return 9; }
    int SharedTopRate(int rateCode) const override { return rateCode == 9 ? 500 : 0; }
    QVector<int> LongestSampleCounts() const override { return {4000}; }
    short TimingRunCommand() const override { return CmdRun; }
    EventTiming TimesEvents() const override { return EventTiming::Photogates; }
    unsigned char TimingParametersKind() const override { return 7; }
};

CThirdFace s_Third;
const CLoggerKind s_ThirdKind{s_Third, 5, nullptr, nullptr};

// The registry's lines with the third one's after them.
LoggerKindList WithThird()
{
    LoggerKindList kinds = LoggerKinds();
    kinds << &s_ThirdKind;
    return kinds;
}
} // namespace

class TestLoggerKinds : public QObject
{
    Q_OBJECT
private slots:
    void modelsOfTypeNumbers_data()
    {
        QTest::addColumn<double>("type");
        QTest::addColumn<int>("model");
        QTest::newRow("Pelorin") << 70.0 << int(LoggerModel::Pelorin);
        QTest::newRow("Dravlet") << 12.0 << int(LoggerModel::Dravlet);
        QTest::newRow("nothing said") << 0.0 << int(LoggerModel::None);
        QTest::newRow("older stored type") << 14.0 << int(LoggerModel::None);
        QTest::newRow("another older one") << 60.0 << int(LoggerModel::None);
        QTest::newRow("near a model") << 70.5 << int(LoggerModel::None);
        QTest::newRow("negative") << -12.0 << int(LoggerModel::None);
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << int(LoggerModel::None);
        QTest::newRow("third, not registered") << 33.0 << int(LoggerModel::None);
    }
    void modelsOfTypeNumbers()
    {
        QFETCH(double, type);
        QFETCH(int, model);
        QCOMPARE(int(LoggerModelOf(type)), model);
        // A known model's face answers for it; any other number answers as no logger.
        QCOMPARE(int(LoggerFaceOf(LoggerModelOf(type)).Model()), model);
        QCOMPARE(KnownLoggerFace(LoggerModelOf(type)) != nullptr, model != int(LoggerModel::None));
    }

    // What each face states for the setup's rates and run lengths and for a timing run; the
    // no-logger face's are what the setup offers before a logger is found.
    void facesStateTheirOwnNumbers_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("fastest");
        QTest::addColumn<int>("sharedAt13");
        QTest::addColumn<int>("sharedAt14");
        QTest::addColumn<QVector<int>>("longest");
        QTest::addColumn<int>("timingRun");
        QTest::newRow("Pelorin") << int(LoggerModel::Pelorin) << 14 << 0 << 100000 << QVector<int>{100000, 250000}
                                 << int(CmdTimingRun);
        QTest::newRow("Dravlet") << int(LoggerModel::Dravlet) << 13 << 10000 << 100000 << QVector<int>{32000}
                                 << int(CmdRun);
        QTest::newRow("no logger") << int(LoggerModel::None) << 13 << 0 << 100000 << QVector<int>{100000, 250000}
                                   << int(CmdTimingRun);
    }
    void facesStateTheirOwnNumbers()
    {
        QFETCH(int, model);
        QFETCH(int, fastest);
        QFETCH(int, sharedAt13);
        QFETCH(int, sharedAt14);
        QFETCH(QVector<int>, longest);
        QFETCH(int, timingRun);
        const ILoggerFace& face = LoggerFaceOf(LoggerModel(model));
        QCOMPARE(int(face.Model()), model);
        QCOMPARE(face.FastestRateCode(), fastest);
        QCOMPARE(face.SharedTopRate(13), sharedAt13);
        QCOMPARE(face.SharedTopRate(14), sharedAt14);
        QCOMPARE(face.SharedTopRate(8), 0);
        QCOMPARE(face.LongestSampleCounts(), longest);
        QCOMPARE(int(face.TimingRunCommand()), timingRun);
    }

    // A third logger is its room and its registry line: every look-up by number or model finds
    // it there, with its own answers, and the two models keep their slots.
    void thirdLoggerIsKnownThroughItsRegistryLine()
    {
        const LoggerKindList kinds = WithThird();
        QCOMPARE(int(LoggerModelOf(33.0, kinds)), int(s_ThirdModel));
        QCOMPARE(LoggerSlotOf(s_ThirdModel, kinds), LoggerKinds().size());
        QCOMPARE(LoggerSlotOf(LoggerModel::Pelorin, kinds), LoggerSlotOf(LoggerModel::Pelorin));
        QCOMPARE(LoggerSlotOf(LoggerModel::Dravlet, kinds), LoggerSlotOf(LoggerModel::Dravlet));
        QCOMPARE(int(LoggerModelOf(70.0, kinds)), int(LoggerModel::Pelorin));
        // The logic manager's timing-run look-ups, by the number the parameters carry.
        const ILoggerFace& face = LoggerFaceOf(LoggerModelOf(33.0, kinds), kinds);
        QCOMPARE(&face, static_cast<const ILoggerFace*>(&s_Third));
        QCOMPARE(int(face.TimingRunCommand()), int(CmdRun));
        QCOMPARE(int(face.TimingParametersKind()), 7);
        QCOMPARE(int(face.TimesEvents()), int(ILoggerFace::EventTiming::Photogates));
        QCOMPARE(face.FastestRateCode(), 9);
        QCOMPARE(face.LongestSampleCounts(), QVector<int>{4000});
        // Its identity carries its own number.
        QCOMPARE(face.Identity(CCurrentLoggerStatus()).m_Type, 33.0);
        // Without its line it is no logger.
        QCOMPARE(int(LoggerFaceOf(s_ThirdModel).Model()), int(LoggerModel::None));
        QCOMPARE(LoggerSlotOf(s_ThirdModel), -1);
    }
};

KORVANTA_TEST_GUILESS_MAIN(TestLoggerKinds)
#include "tst_logger_kinds.moc"
