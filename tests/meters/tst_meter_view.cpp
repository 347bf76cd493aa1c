// The meter view: ranges from the followed branch and their widening, the background size for
// the view's size, readings on each face (rendered and checked where the needle, bar and patch
// stand), and what a missing value, a collapsed range or a deleted branch do.
#include "support/MeterRig.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/Globals.h"
#include "table/MeterFaces.h"
#include "table/MetersView.h"

#include <QApplication>
#include "common/TestMain.h"

#include <cmath>

namespace {
const QColor kNeedle(255, 164, 8);

bool Near(QRgb a, const QColor& b, int tolerance = 12)
{
    return std::abs(qRed(a) - b.red()) <= tolerance && std::abs(qGreen(a) - b.green()) <= tolerance
        && std::abs(qBlue(a) - b.blue()) <= tolerance;
}

// The brightest grey level around a pixel (antialiased lines spread over their neighbours).
int Brightest(const QImage& image, int x, int y)
{
    int best = 0;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            best = std::max(best, qGray(image.pixel(x + dx, y + dy)));
    return best;
}

QImage Render(CMetersView& view)
{
    QImage image(view.size(), QImage::Format_ARGB32);
    image.fill(Qt::black);
    view.render(&image);
    return image;
}
} // namespace

class TestMeterView : public QObject
{
    Q_OBJECT

    // A view following a function series (range 0 to 10 on every face) with the given values.
    struct Fixture
    {
        CMeterRig rig;
        CMetersView view;
        CDataBranch* branch = nullptr;
        int key = -1;
        explicit Fixture(QSize size = QSize(450, 450))
        {
            view.setDataManager(&rig.m_Data);
            view.resize(size);
            key = rig.addRun({SensorIndexOnlineFunction}).first();
            branch = rig.m_Data.GetDataBranch(key);
            view.setCurrentBranch(branch);
        }
        void show(CMetersView::MeterType type, double value)
        {
            branch->AddSample(branch->GetNumSamples(), value);
            view.setMeterType(type);
            view.onWindowResized();
            view.UpdateNewData();
        }
    };

private slots:
    void widening_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("lo");
        QTest::addColumn<double>("hi");
        QTest::addColumn<double>("angle");
        QTest::addColumn<bool>("widened");
        QTest::newRow("above") << 15.0 << 0.0 << 16.0 << 168.75 << true;
        QTest::newRow("below") << -5.0 << -6.0 << 10.0 << 11.25 << true;
        QTest::newRow("at the maximum") << 10.0 << 0.0 << 10.0 << 180.0 << false;
        QTest::newRow("at the minimum") << 0.0 << 0.0 << 10.0 << 0.0 << false;
        QTest::newRow("inside") << 2.5 << 0.0 << 10.0 << 45.0 << false;
    }
    void widening()
    {
        QFETCH(double, value);
        QFETCH(double, lo);
        QFETCH(double, hi);
        QFETCH(double, angle);
        QFETCH(bool, widened);
        Fixture f;
        QCOMPARE(f.view.AutoScaleIfNeeded(value), widened);
        f.view.setCurrentBranch(f.branch);
        f.show(CMetersView::Analog, value);
        QCOMPARE(f.view.analogMeter()->minimum(), lo);
        QCOMPARE(f.view.analogMeter()->maximum(), hi);
        QCOMPARE(f.view.barMeter()->maximum(), hi);
        QCOMPARE(f.view.colorMeter()->minimum(), lo);
        QVERIFY(std::fabs(f.view.analogMeter()->needleAngle() - angle) < 1e-9);
    }

    void catalogueRangeIsCutToWholeNumbers()
    {
        CMeterRig rig;
        CMetersView view;
        view.setDataManager(&rig.m_Data);
        for (int index = 1; index < CSensorInfo::s_NumOfSensors; ++index) {
            const CSensorMeasuremntInfo* m = rig.m_pCatalogue->GetMeasurementInfo(index, 0);
            if (!m || std::trunc(m->m_Min) >= std::trunc(m->m_Max) || m->m_Min == std::trunc(m->m_Min))
                continue;
            const int key = rig.addRun({index}).first();
            view.setCurrentBranch(rig.m_Data.GetDataBranch(key));
            QCOMPARE(view.followedKey(), key);
            QCOMPARE(view.analogMeter()->minimum(), std::trunc(m->m_Min));
            QCOMPARE(view.analogMeter()->maximum(), std::trunc(m->m_Max));
            QCOMPARE(view.colorMeter()->maximum(), std::trunc(m->m_Max));
            QVERIFY(!view.analogMeter()->sensorIcon().isNull());
            return;
        }
        QSKIP("the catalogue has no range with a fractional minimum");
    }

    void collapsedRangeKeepsASpan()
    {
        // A catalogue range such as 0.2 to 0.8 cuts to 0 to 0: every reading would divide by zero.
        CMeterRig rig;
        CMetersView view;
        view.setDataManager(&rig.m_Data);
        view.resize(300, 300);
        for (int index = 1; index < CSensorInfo::s_NumOfSensors; ++index) {
            const CSensorMeasuremntInfo* m = rig.m_pCatalogue->GetMeasurementInfo(index, 0);
            if (!m || std::trunc(m->m_Min) != std::trunc(m->m_Max))
                continue;
            const int key = rig.addRun({index}).first();
            CDataBranch* branch = rig.m_Data.GetDataBranch(key);
            view.setCurrentBranch(branch);
            QVERIFY(view.analogMeter()->maximum() > view.analogMeter()->minimum());
            QVERIFY(view.barMeter()->maximum() > view.barMeter()->minimum());
            branch->AddSample(0, std::trunc(m->m_Min));
            for (auto type : {CMetersView::Analog, CMetersView::Bar, CMetersView::Color}) {
                view.setMeterType(type);
                view.UpdateNewData();
            }
            QVERIFY(std::isfinite(view.analogMeter()->needleAngle()));
            QVERIFY(std::isfinite(view.barMeter()->level()));
            QVERIFY(view.colorMeter()->level() >= 0 && view.colorMeter()->level() <= 255);
            return;
        }
        QSKIP("the catalogue has no range that cuts to zero width");
    }

    void missingValueIsSkipped()
    {
        Fixture f;
        f.show(CMetersView::Analog, 5.0);
        QCOMPARE(f.view.analogMeter()->needleAngle(), 90.0);
        f.show(CMetersView::Analog, MissingValue);
        QCOMPARE(f.view.analogMeter()->minimum(), 0.0);
        QCOMPARE(f.view.analogMeter()->needleAngle(), 90.0);
        f.show(CMetersView::Analog, std::nan(""));
        QCOMPARE(f.view.analogMeter()->maximum(), 10.0);
        QCOMPARE(f.view.analogMeter()->needleAngle(), 90.0);
    }

    void deletedBranchIsNeverRead()
    {
        Fixture f;
        f.show(CMetersView::Analog, 5.0);
        f.rig.m_Data.DeleteDataBranch(f.key);
        f.view.UpdateNewData(); // must not touch the freed branch (the sanitizer build checks)
        QCOMPARE(f.view.analogMeter()->needleAngle(), 90.0);
        f.view.setMeterType(CMetersView::Digital);
        f.view.UpdateNewData();
        QCOMPARE(f.view.digitalMeter()->value(), 0.0);
    }

    void branchKinds()
    {
        Fixture f;
        const QList<int> keys = f.rig.addRun({SensorIndexVideoTrack, SensorIndexTimingResult});
        f.view.setCurrentBranch(f.rig.m_Data.GetDataBranch(keys[1]));
        QCOMPARE(f.view.followedKey(), f.key);
        QCOMPARE(f.view.analogMeter()->maximum(), 10.0);
        f.view.setCurrentBranch(f.rig.m_Data.GetDataBranch(keys[0]));
        QCOMPARE(f.view.followedKey(), -1);
        QCOMPARE(f.view.analogMeter()->maximum(), 100.0);
        QCOMPARE(f.view.barMeter()->maximum(), 100.0);
        QCOMPARE(f.view.colorMeter()->maximum(), 100.0);
        f.view.setCurrentBranch(nullptr);
        QCOMPARE(f.view.analogMeter()->maximum(), 10.0);
        QCOMPARE(f.view.colorMeter()->maximum(), 100.0);
    }

    void backgroundSizes_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("expected");
        QTest::newRow("450 x 450") << QSize(450, 450) << int(CMetersView::Medium);
        QTest::newRow("600 x 599") << QSize(600, 599) << int(CMetersView::Medium);
        QTest::newRow("600 x 600") << QSize(600, 600) << int(CMetersView::Large);
        QTest::newRow("399 x 800") << QSize(399, 800) << int(CMetersView::Small);
    }
    void backgroundSizes()
    {
        QFETCH(QSize, size);
        QFETCH(int, expected);
        CMetersView view;
        view.setCurrentBranch(nullptr); // the range of a meter that follows nothing: 0 to 10
        QCOMPARE(int(view.SizeFor(size.width(), size.height())), expected);
        view.resize(size);
        view.onWindowResized();
        // The dial is laid out in the chosen face, not across the whole view.
        const double side = 200.0 * (expected + 1);
        QVERIFY(view.analogMeter()->layout().ok);
        QVERIFY(view.analogMeter()->scaleRadius() > 0.2 * side);
        QVERIFY(view.analogMeter()->scaleRadius() < 0.5 * side);
        QCOMPARE(view.analogMeter()->backgroundImage()->width(), 200 * (expected + 1));
    }

    void needleIsDrawnWhereTheReadingPutsIt()
    {
        Fixture f;
        f.show(CMetersView::Analog, 5.0); // 90 degrees: straight up from the pivot
        QImage image = Render(f.view);
        const MeterScale::AnalogLayout& l = f.view.analogMeter()->layout();
        QVERIFY(l.ok);
        const int cx = int(l.centre.x()), cy = int(l.centre.y()), reach = int(l.needle * 0.7);
        QVERIFY(Near(image.pixel(cx, cy - reach), kNeedle));
        QVERIFY(!Near(image.pixel(cx - reach, cy), kNeedle));
        f.show(CMetersView::Analog, 0.0); // the minimum: pointing left
        image = Render(f.view);
        QVERIFY(Near(image.pixel(cx - reach, cy), kNeedle));
        QVERIFY(!Near(image.pixel(cx, cy - reach), kNeedle));
    }

    void analogScaleTicks()
    {
        Fixture f;
        f.show(CMetersView::Analog, 5.0);
        const QImage image = Render(f.view);
        const MeterScale::AnalogLayout& l = f.view.analogMeter()->layout();
        QCOMPARE(l.step, 2.0);
        const double cx = l.centre.x(), cy = l.centre.y(), r = l.radius - 3;
        // Major ticks run from the scale radius inwards, white on the dark dial: at 0 left of
        // the pivot, at 10 right of it; a minor tick at 1 (18 degrees).
        QVERIFY(Brightest(image, int(cx - r), int(cy) - 1) > 120);
        QVERIFY(Brightest(image, int(cx + r), int(cy) - 1) > 120);
        const double a = 18.0 * M_PI / 180.0;
        QVERIFY(Brightest(image, int(cx - r * std::cos(a)), int(cy - r * std::sin(a))) > 90);
        // Halfway between a major and a minor tick the dial is bare.
        const double b = 9.0 * M_PI / 180.0;
        QVERIFY(Brightest(image, int(cx - r * std::cos(b)), int(cy - r * std::sin(b))) < 90);
    }

    void barLevel()
    {
        Fixture f;
        f.show(CMetersView::Bar, 5.0); // medium bar: left 189, top 75, 74 x 300; half full
        QCOMPARE(f.view.barMeter()->level(), 150.0);
        QCOMPARE(f.view.barMeter()->stripRect().top(), 225);
        const QImage image = Render(f.view);
        QVERIFY(qRed(image.pixel(210, 300)) > 150);
        QVERIFY(qRed(image.pixel(210, 150)) < 80);
        f.show(CMetersView::Bar, 10.0);
        QVERIFY(qRed(Render(f.view).pixel(210, 90)) > 150);
    }

    void colourPatchFollowsTheReading()
    {
        Fixture f;
        f.show(CMetersView::Color, 10.0);
        QCOMPARE(f.view.colorMeter()->level(), 255);
        QVERIFY(Near(Render(f.view).pixel(225, 225), QColor(255, 0, 0), 2));
        f.show(CMetersView::Color, 0.0);
        QCOMPARE(f.view.colorMeter()->level(), 0);
        QVERIFY(Near(Render(f.view).pixel(225, 225), QColor(0, 0, 0), 2));
    }

    void digitalFontShrinksAndIsResetBySize()
    {
        Fixture f;
        f.show(CMetersView::Digital, 98765432109876.5);
        QCOMPARE(f.view.digitalMeter()->value(), 98765432109876.5);
        QCOMPARE(f.view.digitalMeter()->textRect(), QRect(115, 181, 220, 48));
        Render(f.view);
        const int shrunk = f.view.digitalMeter()->font().pointSize();
        QVERIFY(shrunk < 24);
        QVERIFY(shrunk >= 1);
        f.view.setBackGroundImageSize(CMetersView::Digital, CMetersView::Medium);
        QCOMPARE(f.view.digitalMeter()->font().pointSize(), 24);
    }

    void unshownFacesKeepTheirReadings()
    {
        Fixture f;
        f.show(CMetersView::Analog, 5.0);
        f.show(CMetersView::Digital, 7.5);
        QCOMPARE(f.view.analogMeter()->needleAngle(), 90.0);
        QCOMPARE(f.view.digitalMeter()->value(), 7.5);
    }
};

KORVANTA_TEST_MAIN(TestMeterView)
#include "tst_meter_view.moc"
