#pragma once
// The meter view: follows one data branch, keeps the value range of the faces (widening it when
// a reading falls outside), chooses the background size that fits, and paints the current face.
//
// The followed branch is held by its key and looked up in the data store for every reading, so
// a branch deleted from the data tree (or by clearing the workspace) is simply not found.
#include <QPixmap>
#include <QWidget>

class CAnalogMeter;
class CBarMeter;
class CColorMeter;
class CDataBranch;
class CDataManager;
class CDigitalMeter;
class CMeterFace;

class CMetersView : public QWidget
{
    Q_OBJECT
public:
    enum MeterType { Analog = 0, Bar = 1, Color = 2, Digital = 3 };
    enum BackgroundSize { Small = 0, Medium = 1, Large = 2 };
    // The span a range is widened to when its minimum reaches its maximum (a catalogue range
    // such as 0.2 to 0.8 cuts to 0 to 0), so a reading never divides by zero.
    static constexpr double s_MinimumSpan = 1.0;

    explicit CMetersView(QWidget* parent = nullptr);
    ~CMetersView() override;

    // The data store the followed key is looked up in (and the catalogue the ranges come from).
    void setDataManager(CDataManager* manager) { m_pDataManager = manager; }

    void setCurrentBranch(CDataBranch* branch);
    // The face of a measurement of the setup that no run has recorded yet (a unit chosen since
    // the last run, a sensor plugged in since): its catalogue range, unit and icon, and no
    // reading; no branch is followed until the next run.
    void showMeasurement(int sensorIndex, int measurement, const QString& unit);
    void setBackGroundImageSize(MeterType type, BackgroundSize size);
    bool AutoScaleIfNeeded(double value);
    void setMeterType(MeterType type) { m_MeterType = type; }
    MeterType meterType() const { return m_MeterType; }

    // The key of the followed branch, -1 for none.
    int followedKey() const { return m_FollowedKey; }
    // The size the current face would take for a view of w x h.
    BackgroundSize SizeFor(int w, int h) const;
    // Forgets the followed branch when it is the one about to be deleted.
    void forgetBranch(int key);

    CAnalogMeter* analogMeter() const { return m_pAnalog; }
    CColorMeter* colorMeter() const { return m_pColor; }
    CDigitalMeter* digitalMeter() const { return m_pDigital; }
    CBarMeter* barMeter() const { return m_pBar; }

public slots:
    void StartRunning(CDataBranch* branch);
    void EndRunning();
    void UpdateNewData();
    void onWindowResized();

protected:
    void paintEvent(QPaintEvent* event) override;
    // The layout settles the view's size after the window's own resize: choose the size again.
    void resizeEvent(QResizeEvent* event) override;

private:
    CMeterFace* currentFace() const;
    const QPixmap* image(MeterType type, BackgroundSize size) const;
    void setRanges(double minimum, double maximum, bool withColor);
    // The catalogue range of a measurement on every face, and the sensor's icon; false when the
    // catalogue has none.
    bool setCatalogueRange(int sensorIndex, int measurement, int iconVariant);

    int m_FollowedKey = -1;
    CDataManager* m_pDataManager = nullptr;
    // analog, digital, colour, bar; each small, medium, large.
    QPixmap m_Images[12];
    CAnalogMeter* m_pAnalog = nullptr;
    CColorMeter* m_pColor = nullptr;
    CDigitalMeter* m_pDigital = nullptr;
    CBarMeter* m_pBar = nullptr;
    MeterType m_MeterType = Analog;
};
