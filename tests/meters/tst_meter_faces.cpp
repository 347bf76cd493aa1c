// The arithmetic of the meter faces: tick steps and walks, label texts, text fitting, the
// needle's tip, the colour patch and the digital text.
#include "table/MeterFaces.h"

#include <QApplication>
#include "common/TestMain.h"

#include <algorithm>
#include <cmath>
#include <limits>

class TestMeterFaces : public QObject
{
    Q_OBJECT
private slots:
    void tickStep_data()
    {
        QTest::addColumn<double>("lo");
        QTest::addColumn<double>("hi");
        QTest::addColumn<int>("limit");
        QTest::addColumn<double>("step");
        QTest::newRow("0..10 analog") << 0.0 << 10.0 << 7 << 2.0;
        QTest::newRow("0..100 analog") << 0.0 << 100.0 << 7 << 20.0;
        QTest::newRow("tiny below zero") << -0.00001 << 1.0 << 7 << 0.2;
        QTest::newRow("0..10 bar limit 10") << 0.0 << 10.0 << 10 << 1.0;
        QTest::newRow("0..4 analog") << 0.0 << 4.0 << 7 << 1.0;
        QTest::newRow("width 0.5") << 0.0 << 0.5 << 7 << 0.1;
        QTest::newRow("width 80, a round 20") << -30.0 << 50.0 << 7 << 20.0;
        QTest::newRow("width 300, 50 not 80") << 0.0 << 300.0 << 7 << 50.0;
        QTest::newRow("width 12, 2.5") << 0.0 << 12.0 << 5 << 2.5;
        QTest::newRow("zero width") << 5.0 << 5.0 << 7 << 0.0;
        QTest::newRow("reversed") << 10.0 << 0.0 << 7 << 0.0;
        QTest::newRow("not a number") << std::nan("") << 1.0 << 7 << 0.0;
        QTest::newRow("infinite") << 0.0 << std::numeric_limits<double>::infinity() << 7 << 0.0;
    }
    void tickStep()
    {
        QFETCH(double, lo);
        QFETCH(double, hi);
        QFETCH(int, limit);
        QFETCH(double, step);
        QVERIFY2(std::fabs(MeterScale::TickStep(lo, hi, limit) - step) < 1e-9,
                 qPrintable(QString::number(MeterScale::TickStep(lo, hi, limit))));
    }

    void tickWalkOfATenRange()
    {
        const QVector<double> ticks = MeterScale::TickValues(0.0, 10.0, 2.0);
        QCOMPARE(ticks, (QVector<double>{0, 2, 4, 6, 8, 10}));
    }

    void tickWalkEndsAtLargeValues()
    {
        // A single-precision step of 20 cannot move 1e9: a walk that adds the step would stay
        // at its start for ever.
        const double step = 20.0;
        const QVector<double> ticks = MeterScale::TickValues(1.0e9, 1.0e9 + 100.0, step);
        QVERIFY(!ticks.isEmpty());
        QVERIFY(ticks.size() <= MeterScale::s_MaxTicks);
        QCOMPARE(ticks.first(), 1.0e9);
        for (int i = 1; i < ticks.size(); ++i)
            QCOMPARE(ticks[i] - ticks[i - 1], step);
    }

    void tickWalkOfNothing()
    {
        QVERIFY(MeterScale::TickValues(5.0, 5.0, 1.0).isEmpty());
        QVERIFY(MeterScale::TickValues(0.0, 10.0, 0.0).isEmpty());
        QVERIFY(MeterScale::TickValues(0.0, 10.0, std::nan("")).isEmpty());
    }

    void barStepLimit_data()
    {
        QTest::addColumn<int>("barHeight");
        QTest::addColumn<int>("fontHeight");
        QTest::addColumn<int>("limit");
        QTest::newRow("15 px font") << 150 << 15 << 10;
        QTest::newRow("40 px font") << 150 << 40 << 5;
        QTest::newRow("in between") << 150 << 20 << 7;
        QTest::newRow("very tall") << 1000 << 10 << 10;
        QTest::newRow("no font height") << 150 << 0 << 10;
    }
    void barStepLimit()
    {
        QFETCH(int, barHeight);
        QFETCH(int, fontHeight);
        QFETCH(int, limit);
        QCOMPARE(MeterScale::BarStepLimit(barHeight, fontHeight), limit);
    }

    void labels_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("step");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole step") << 2.0 << 2.0 << "2";
        QTest::newRow("near zero") << -0.00001 << 0.2 << "0.0";
        QTest::newRow("negative") << -1.5 << 0.5 << "-1.5";
        QTest::newRow("quarter step") << 0.75 << 0.25 << "0.75";
        QTest::newRow("large") << 2500.0 << 500.0 << "2500";
    }
    void labels()
    {
        QFETCH(double, value);
        QFETCH(double, step);
        QFETCH(QString, text);
        QCOMPARE(MeterScale::LabelText(value, step), text);
    }

    // At every face size and over ranges from tiny to huge, negative and lopsided: the labels
    // stay inside the face and off the sensor icon, never overlap each other, and lie beyond
    // the needle's reach at every angle; the needle stays inside the ticks.
    void analogLabelsKeepClear_data()
    {
        QTest::addColumn<double>("lo");
        QTest::addColumn<double>("hi");
        const double ranges[][2] = {{0, 10},    {-30, 50},      {-10, 10},       {0, 100},     {0, 5000},
                                    {-1000, 1000}, {0, 0.5},    {-0.00001, 1},   {95, 105},    {0, 1.0e6},
                                    {-273, 1200}, {0.001, 0.0012}, {-55555.5, 77777.7}, {0, 3},     {1.0e9, 1.0e9 + 100}};
        for (int side : {200, 400, 600})
            for (const auto& r : ranges)
                QTest::addRow("%d: %g..%g", side, r[0], r[1]) << r[0] << r[1];
    }
    void analogLabelsKeepClear()
    {
        QFETCH(double, lo);
        QFETCH(double, hi);
        const int side = QString::fromLatin1(QTest::currentDataTag()).section(':', 0, 0).toInt();
        const QRectF face(0, 0, side, side);
        const QRectF icon(10, 10, 48, 48);
        const MeterScale::AnalogLayout l = MeterScale::LayOutAnalog(face, lo, hi, QStringLiteral("Liberation Sans"), icon);
        QVERIFY(l.ok);
        QVERIFY(l.labels.size() >= 2 || hi - lo < l.step * 1.01);
        QVERIFY(l.needle < l.radius);
        QVERIFY(l.radius > side * 0.15);
        for (int i = 0; i < l.labelRects.size(); ++i) {
            const QRectF& r = l.labelRects[i];
            QVERIFY(face.contains(r));
            QVERIFY(!r.intersects(icon));
            for (int j = i + 1; j < l.labelRects.size(); ++j)
                QVERIFY2(!r.intersects(l.labelRects[j]), qPrintable(l.labels[i] + " / " + l.labels[j]));
            // The rectangle's nearest point to the pivot lies beyond the needle's tip.
            const double nx = std::clamp(l.centre.x(), r.left(), r.right());
            const double ny = std::clamp(l.centre.y(), r.top(), r.bottom());
            QVERIFY2(std::hypot(nx - l.centre.x(), ny - l.centre.y()) > l.needle + 2, qPrintable(l.labels[i]));
        }
    }

    void fittingShrinksButNeverEnlarges()
    {
        QFont font;
        font.setPointSize(24);
        const QString text = QStringLiteral("123456789.123");
        const int wide = QFontMetrics(font).horizontalAdvance(text) + 10;
        QCOMPARE(MeterScale::PointSizeToFit(text, font, wide), 24);
        const int shrunk = MeterScale::PointSizeToFit(text, font, wide / 3);
        QVERIFY(shrunk < 24);
        QVERIFY(shrunk >= 1);
        font.setPointSize(shrunk);
        QVERIFY(QFontMetrics(font).horizontalAdvance(text) <= wide / 3 || shrunk == 1);
        QCOMPARE(MeterScale::PointSizeToFit(text, font, 0), 1);
    }

    void needleTips_data()
    {
        QTest::addColumn<double>("angle");
        QTest::addColumn<QPoint>("tip");
        QTest::newRow("minimum points left") << 0.0 << QPoint(50, 100);
        QTest::newRow("middle points up") << 90.0 << QPoint(100, 50);
        QTest::newRow("maximum points right") << 180.0 << QPoint(150, 100);
    }
    void needleTips()
    {
        QFETCH(double, angle);
        QFETCH(QPoint, tip);
        const QPoint got = CAnalogMeter::NeedleTip(100, 100, 50, angle);
        QVERIFY2((got - tip).manhattanLength() <= 1, qPrintable(QStringLiteral("%1,%2").arg(got.x()).arg(got.y())));
    }

    void colourPatch_data()
    {
        QTest::addColumn<int>("side");
        QTest::addColumn<QRect>("patch");
        QTest::newRow("small") << 200 << QRect(41, 41, 120, 120);
        QTest::newRow("medium") << 400 << QRect(83, 83, 240, 240);
        QTest::newRow("large") << 600 << QRect(125, 125, 360, 360);
    }
    void colourPatch()
    {
        QFETCH(int, side);
        QFETCH(QRect, patch);
        QCOMPARE(CColorMeter::PatchRect(QPoint(0, 0), QSize(side, side)), patch);
    }

    void colourLevels()
    {
        QWidget view;
        CColorMeter face(&view);
        face.setLevel(0);
        QCOMPARE(face.levelColor().rgb(), QColor(0, 0, 0).rgb());
        face.setLevel(255);
        QCOMPARE(face.levelColor().rgb(), QColor(255, 0, 0).rgb());
        face.setLevel(900);
        QCOMPARE(face.levelColor().rgb(), QColor(255, 0, 0).rgb());
    }

    void digitalTexts_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("three decimals") << 3.14159 << "3.142";
        QTest::newRow("zeros cut") << 2.5 << "2.5";
        QTest::newRow("small value") << 0.00005 << "5.000E-05";
    }
    void digitalTexts()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QWidget view;
        CDigitalMeter face(&view);
        face.setValue(value);
        QCOMPARE(face.valueText(), text);
    }
};

KORVANTA_TEST_MAIN(TestMeterFaces)
#include "tst_meter_faces.moc"
