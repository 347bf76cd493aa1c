#pragma once
// The X axis of a graph and what a position on it is worth, without the window: what the axis
// counts (time, samples, events, frequency, or the values of another series), its range, kept
// in the same times when the plots change, the plot an XY graph is drawn against, and for each
// plot's series what its positions count, what one is worth, how the cursors read them and
// which X value each of its samples stands on. The graph window owns one over its plot list
// and its type; every change of the X state goes through here.
#include "graph/GraphPlot.h"
#include "graph/GraphRules.h"

#include <QList>
#include <QMap>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <vector>

class CDataBranch;
class CDataManager;

class CGraphX
{
public:
    // The graph types (CGraphWindow::GraphType).
    enum GraphType { TimeGraph = 1, XYGraph = 2, BarGraph = 3 };
    // What the X axis shows.
    enum class Kind { Time, Samples, Events, Frequency, Series };
    // The store is asked for whenever it is needed: a window may be made before its store is
    // known. plots and graphType are the owner's and outlive this.
    CGraphX(const QList<CGraphPlot>& plots, const int& graphType, std::function<CDataManager*()> store);

    // The range of the axis, in positions of the first plot's series on a time graph, in the
    // shown values of the X plot on an XY graph.
    float Min() const { return m_XMin; }
    float Max() const { return m_XMax; }
    // The plot an XY graph is drawn against (key -1: none), where the plot list holds it (-1:
    // nowhere), and whether the axis follows the data. Index and key change together.
    const CGraphPlot& Plot() const { return m_XPlot; }
    int PlotKey() const { return m_XPlot.m_Key; }
    int PlotIndex() const { return m_XPlotIndex; }
    bool AutoScale() const { return m_XPlot.m_bAutoScale; }
    // Whether a paint found samples beyond the axis, so that the next autoscale widens it.
    bool Rescale() const { return m_bRescaleX; }

    // What a graph asks of its axis. Back to a new graph's: 0-10, no X plot, nothing beyond.
    void Reset();
    // The range a graph of a run opens on (OpeningSpan), nothing found beyond it yet.
    void OpenRun(bool timingRun, double periodSec);
    // A range chosen (a zoom, a scale dragged): from the smaller to the larger end; and one
    // chosen with whether the axis then follows the data.
    void ZoomTo(float a, float b);
    void ScaleTo(float a, float b, bool autoscale);
    // The range moved by d; on a bar graph of count bars, then pushed back inside [0, count].
    void PanBy(float d);
    void KeepInside(float count);
    // A paint found samples beyond the axis (beyond false leaves the mark as it is); and the
    // mark taken by the autoscale that answers it.
    void NoteBeyond(bool beyond) { m_bRescaleX = m_bRescaleX || beyond; }
    bool TakeRescale();
    // The X plot becomes plot index of the list (its name, unit, range, colour and autoscale),
    // or the plot of key (the last the list holds; returns its index); out of the list: none.
    void ChoosePlot(int index);
    int ChoosePlotByKey(int key);
    void DropPlot();
    // The X plot followed to its position in the list by its key, dropped when gone; false then.
    bool FollowPlot();
    // An XY graph's axis follows the data as the list's X plot says; that plot, or null when the
    // list does not hold the X plot where the index says.
    const CGraphPlot* TakeScaleChoice();
    // The end of the range a new graph of a run opens on: ten samples' worth of a timing run
    // (a period the tables do not know gives none), else 10.
    static float OpeningSpan(bool timingRun, double periodSec)
    {
        return timingRun && periodSec > 0.0 && periodSec < 60.0 ? float(10.0 / periodSec) : 10.0f;
    }

    // The axis' kind: another series on an XY graph with an X plot, else what the first plot's
    // positions count.
    Kind AxisKind() const;
    static Kind KindOf(GraphRules::XAxisContent content);

    // The series of plot index (null when gone).
    CDataBranch* Series(int index) const;
    // What the positions (X values) of a series count on a time or bar graph, and so how the
    // axis, the cursors and the CSV export name and show them: of the series of plot index (on
    // a bar graph every position is an event), or of any series as its own curve.
    GraphRules::XAxisContent PositionContent(int index) const;
    GraphRules::XAxisContent SeriesPositionContent(const CDataBranch* branch) const;
    // The same for plot index showing branch, remembered for the searches behind the mouse:
    // asked of the store, it costs a look-up of the series' run and of its siblings, for every
    // plot at every move. An entry holds while its plot shows the same series with the same
    // interval; ForgetPositions drops them all (at each paint, at each change of the store).
    GraphRules::XAxisContent RememberedPositionContent(int index, const CDataBranch* branch) const;
    void ForgetPositions() { m_PositionMemo.clear(); }
    // What one position of plot index's series is worth in that unit, and a number of positions
    // as the cursors read it ("6.25Hz", "2.5s", "12").
    double PositionStep(int index) const;
    QString PositionText(int index, double positions) const;
    // What the X axis of a time or bar graph counts (the first plot's positions), and what one
    // of its positions is worth.
    GraphRules::XAxisContent TimeAxisContent() const;
    double AxisStep() const;
    // On a time graph, the axis positions one sample of a plot's series spans (1 elsewhere):
    // every curve stands at its own samples' times, whatever the rate of the first plot.
    double PlotScale(int index) const;
    // The axis range, and the X value under a pixel column of rect, in a plot's own samples.
    GraphRules::Range PlotRange(int index) const;
    float ColumnToX(int column, const QRect& rect) const;
    float PlotColumnToX(int index, int column, const QRect& rect) const;
    // Samples [0, to) of a plot that the axis positions [0, to) hold; to < 0 stays (all).
    long PlotSampleEnd(int index, long to) const;
    // What the first plot's positions count and the interval of its series, taken before the
    // plot list changes; KeepRange then restates the range in the new first plot's positions,
    // so that the times shown stay where they were.
    struct FirstPositions
    {
        GraphRules::XAxisContent content = GraphRules::XAxisContent::Samples;
        double interval = 0.0;
    };
    FirstPositions FirstPlotPositions() const;
    void KeepRange(const FirstPositions& before);
    // After plots left the list: the range restated so, and the X plot followed to its new
    // position (FollowPlot); false when it went.
    bool PlotsRemoved(const FirstPositions& before);
    // The visible plot whose series spans the most time (-1: none).
    int LongestVisiblePlot() const;

    // The title of a plot: name(prefix unit).
    static QString PlotTitle(const CGraphPlot& plot);
    // The X plot as the plot list holds it, with the unit prefix chosen for it (Plot() when the
    // list no longer has it); the multiplier from its stored values to the values shown, and
    // its unit with that prefix ("kPa").
    CGraphPlot AxisPlot() const;
    double AxisMultiplier() const;
    QString AxisUnit() const;
    // The X-axis title of the graph.
    QString AxisTitle() const;
    // The first header cell of an export: what the first written series' positions are.
    QString CsvTitle() const;

    // On an XY graph, what plot index is drawn against: the X-axis quantity in the plot's own
    // run; null when that run holds none, and the plot is not drawn.
    CDataBranch* XBranchOfPlot(int index) const;
    // The entry of that branch's values that sample 0 of the plot stands on (sample i stands on
    // entry i + offset: 0 for a recorded series, the first sample of a fit or other result), as
    // the curve is drawn; and the X value sample `sample` stands on, the missing mark for none.
    long long XYSampleOffset(int index) const;
    double XYSampleX(int index, long long sample) const;
    // The sample of a plot's curve on an XY graph nearest a point in pixels of rect (-1 when
    // the plot has no point), and its squared distance.
    int NearestXYSample(int index, const QPoint& point, const QRect& rect, double* distance2) const;
    // Whether plot index shows a curve: visible, and standing on the graph's X axis (below);
    // axis is what the X axis of a time graph counts, found once by a caller asking of every plot.
    bool PlotIsDrawn(int index) const;
    bool PlotIsDrawn(int index, GraphRules::XAxisContent axis) const;
    // Whether a series stands on a time or bar graph's X axis counting axis: its positions are of
    // that kind (GraphRules::SameTimeAxis) and it is no curve fitted against an X series. And
    // whether it stands on an XY graph's X values ownX of its own run: its positions are of the
    // kind of theirs, and a fitted curve only on the very series it was fitted against (its
    // equation's X). What does not stand on the axis is not drawn against it.
    bool StandsOnTimeAxis(const CDataBranch& series, GraphRules::XAxisContent axis) const;
    bool StandsOnXSeries(const CDataBranch& series, const CDataBranch& ownX) const;
    // The title of what a series' X values are, as a notice names it: a fit's X series
    // ("Pressure(kPa)"), or what its positions count ("Time (s)", "Frequency (Hz)").
    QString SeriesXTitle(const CDataBranch& series) const;
    // The title of the X plot's series as a notice names it ("Mass(g)"); empty without one.
    QString XSeriesTitle() const;
    // The range of the X values the drawn curves of an XY graph stand on; false when none.
    bool DrawnXRange(float& lo, float& hi) const;

    // Of the keys dropped on an XY graph, those whose run holds no X-axis values (their runs'
    // names appended to runs), and the notice that names them.
    QList<int> KeysWithoutOwnX(const QList<int>& keys, QStringList* runs) const;
    static QString NoOwnXText(const QStringList& runs, const QString& xTitle);
    // Of the keys dropped on the graph, those whose X values are of another kind than its X axis
    // shows (GraphRules::SameTimeAxis; on an empty graph the first series dropped sets the axis),
    // grouped by the title of their own X; graphX gets the title of the graph's X axis. And the
    // notice that names such series (fitted: curves fitted against the X series theirX names).
    QList<int> KeysOffTheXAxis(const QList<int>& keys, QString* graphX, QMap<QString, QList<int>>* byX) const;
    static QString OffTheXAxisText(const QString& graphX, const QString& theirX, const QStringList& series,
                                   bool fitted = false);
    // The notices that name the shown plots not drawn against the X axis the graph has now, by
    // what their X values are (and the runs without values of an XY graph's X axis).
    QStringList NotDrawnTexts() const;
    // The label of a mid-point mark on the curve of parentPlot at stored x (a position on a time
    // graph, the X series' value on an XY graph) and y: "X=2.5s,Y=10mV".
    QString MidPointLabel(int parentPlot, double x, double y) const;

private:
    void takePlot(const CGraphPlot& plot);

    const QList<CGraphPlot>& m_Plots;
    const int& m_GraphType;
    std::function<CDataManager*()> m_Store;

    float m_XMin = 0.0f;
    float m_XMax = 10.0f;
    CGraphPlot m_XPlot;
    int m_XPlotIndex = -1;
    bool m_bRescaleX = false;

    struct CPositionMemo
    {
        const CDataBranch* m_pBranch = nullptr;
        int m_Key = -1;
        int m_SensorIndex = 0;
        int m_RelatedKey = -1;
        double m_Interval = 0.0;
        GraphRules::XAxisContent m_Content = GraphRules::XAxisContent::Samples;
    };
    // A std::vector: the memo is read for every plot on every search, and a QVector's
    // writable access checks whether it must detach first.
    mutable std::vector<CPositionMemo> m_PositionMemo;
};
