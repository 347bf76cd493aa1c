#pragma once
// The graph child window: draws data branches against time (or sample number), against
// another branch (an XY graph) or as bars of timing results; follows a live run from its
// start to its end, takes a plot for every new analysis result and drops the plots of
// deleted branches. Split over several files by concern: GraphWindow.cpp (state and run
// cycle), GraphWindow_autoscale.cpp, GraphWindow_paint.cpp (layout and legend),
// GraphWindow_scales.cpp, GraphWindow_lines.cpp and GraphWindow_toolbar.cpp; the X axis and
// what its positions are worth are a class of their own (GraphX.h), and so are the two
// cursors (GraphCursors.h).
#include "windowbase/KorvantaWindow.h"
#include "graph/GraphCsv.h"
#include "graph/GraphCursors.h"
#include "graph/GraphPredictions.h"
#include "graph/GraphPlot.h"
#include "graph/GraphRules.h"
#include "graph/GraphX.h"
#include "graph/PlotStrokes.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QMap>
#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QStringList>
#include <QVector>

#include <climits>
#include <vector>

class CDataBranch;
class CDataManager;
class IChildWindowHost;
class CSensorInfo;
class CSetupInfo;
class CKorvantaSignals;
class IPrompter;
class QDate;
class QPrinter;
class MultiAction;
class QComboBox;
class QPainter;
class QPushButton;
class QTimer;
class QToolBar;
struct ExperimentInterval;

class CGraphWindow : public CKorvantaWindow
{
    Q_OBJECT
public:
    enum GraphType { TimeGraph = 1, XYGraph = 2, BarGraph = 3 };
    // What a press and a drag in the plot area do (m_MouseMode); the tool bar switches them.
    enum MouseMode {
        MouseNormal = 0,   // attach and drag the cursors
        MouseZoom = 1,     // rubber-band zoom
        MousePan = 4,
        MouseAddPredict = 8,
        MouseErasePredict = 9,
        MouseMoveAnnotation = 10
    };
    // What the next paint draws (m_RepaintMode); the paint then falls back to RepaintFull.
    enum RepaintMode {
        RepaintFull = 0,
        RepaintWithoutCursors = 1,   // the picture SaveGraph keeps
        RepaintPredictOff = 2,       // prediction mode just ended: the whole graph
        RepaintLiveTick = 3,         // the redraw timer: may repaint only the columns that changed
        RepaintCursorDrag = 4,       // the kept picture with both cursors over it
        RepaintZoomBand = 5          // the kept picture with the rubber band over it
    };
    // Tool-bar positions (also the index into m_ToolBarActions).
    enum ToolAction {
        ActZoom = 0, ActPan, ActAutoscale, ActCursor, ActCursor2, ActAddAnnotation, ActMoveAnnotation,
        ActProperties, ActCopyGraph, ActExport, ActPredict, ActAddPredict, ActErasePredict, ActPrint,
        NumToolActions
    };
    static constexpr int s_RedrawMs = 50;
    static constexpr int s_ToolBarMs = 500;
    static constexpr int s_BottomBand = 40;
    static constexpr int s_MinScaleWidth = 44;

    CGraphWindow(QWidget* parent, Qt::WindowFlags flags = Qt::SubWindow);
    ~CGraphWindow() override;

    void initWindow() override;
    // Workspace record (GraphWindow_record.cpp).
    int saveToFile(QDataStream* stream) override;
    int loadFromFile(QDataStream* stream) override;
    // Adds a plot for every key that names a stored branch.
    void AddPlotsFromKeyArray(const QList<int>& keys);
    // The branch keys of the plots (what an upload of this graph sends).
    void GetPlotKeys(QList<int>* keys) override;

    // Plot bookkeeping: plots are handed out as copies and taken back whole.
    CGraphPlot GetPlot(int index) const;
    void UpdatePlot(const CGraphPlot& plot, int plotIndex);
    CDataBranch* GetDataBranch(int index) const;
    int GetNumPlots() const { return m_Plots.size(); }
    // The X axis: its range, its plot and what a position on it is worth.
    CGraphX& X();
    const CGraphX& X() const;
    // The plot area as the last paint laid it out (null before the first paint).
    QRect GraphRect() const { return m_GraphRect; }
    // The plots whose Y scales are drawn left and right (-1: none).
    int LeftScalePlot() const { return m_LeftScalePlot; }
    int RightScalePlot() const { return m_RightScalePlot; }
    int GetNumVisiblePlots() const;
    int PlotIndexToVisiblePlotIndex(int index) const;
    short GetCommonRate() const;
    CDataBranch* GetLongestVisibleSensorBranch() const;
    void SetXPlot(CGraphPlot* plot, bool timeAxis, int index);
    void RepaintGraph(RepaintMode mode);

    // Axes.
    void AutoScaleAllAxis(bool scrolling);
    void AutoScaleXAxis(bool scrolling, short unused = 0);
    void SetAxisMinMax(short axis, float min, float max, bool autoscale);
    void FindMinMaxValues(const CDataBranch* branch, bool yValues, long from, long to, float& min, float& max,
                          float multiplier) const;

    // Tool bar and scale combo boxes.
    void InitToolBar();
    void InitScaleCombos();
    // Hides the scale boxes, made or not, and empties them if asked.
    void HideScaleCombos(bool clear);
    void BuildScaleCombos();
    void ResizeScaleCombos();
    void RepositionScaleCombos();
    // The plots' titles in the scale lists again (a unit prefix changed), the choices kept.
    void RetitleScaleCombos();
    // The enabled, image and checked states of the tool-bar actions for a window state
    // (GraphToolStates, below); the window applies them.
    struct ToolState
    {
        bool enabled[NumToolActions];     // the action's enabled flag
        bool image[NumToolActions];       // its normal (true) or disabled image
        bool checked[NumToolActions];
    };
    struct ToolInput
    {
        bool running = false;
        int plots = 0;
        int graphType = TimeGraph;
        MouseMode mouseMode = MouseNormal;
        bool cursor1 = false;
        bool cursor2 = false;
        bool annotations = false;
        bool predictMode = false;
        bool predictCurves = false;
    };

    // Painting pieces, public for printing and copying later.
    void DrawGraphWindow(QPainter* painter);
    void DrawGraph(QPainter* painter, QRect& area);
    void DrawYScales(QPainter* painter, QRect& area);
    void DrawLegend(QPainter* painter);
    int DrawYScale(QPainter* painter, QRect& rect, bool left, int plotIndex, bool measureOnly);
    void DrawYOneTick(QPainter* painter, short y, float value, bool left, short decimals, bool scientific,
                      QRect* rect);
    int GetRightMargin(QPainter* painter);
    void DrawXScale(QPainter* painter, QRect& rect);
    void DrawXOneTick(QPainter* painter, short x, float value, short* spacing, QRect* plotRect);
    void DrawLineGraph(QPainter* painter, QRect& area);
    void DrawLines(QPainter* painter, long from, long to);
    void DrawPlotLine(QPainter* painter, int plotIndex, long from, long to);
    void DrawPlotLine_optimized(QPainter* painter, int plotIndex, long from, long to);
    void DrawMidPoints(QPainter* painter, int plotIndex, const CDataBranch* branch);
    void SaveGraph();
    QRect GetPlotRemoveButonRect(int plotIndex);
    void DrawPlotRemoveButon(QPainter* painter);

    // Derived series (GraphWindow_derived.cpp). The plot whose Y scale a plot is drawn on: that
    // of the shown plot of the series it was derived from (a fit, a function, a derivative, a
    // function computed while the run recorded) when the two are in one unit, followed along a
    // chain of such; else its own.
    int ScalePlotOf(int index) const;
    // ScalePlotOf of every plot and every plot's series, found in one pass over the list: each
    // series looked up once and each source found by its key, so that a graph of thousands of
    // runs costs a few look-ups per plot, not a walk of the list per plot.
    struct CScaleMap
    {
        QVector<const CDataBranch*> m_Branches;   // per plot; null where the series is gone
        QVector<int> m_ScaleOf;                   // per plot
    };
    CScaleMap ScaleMap() const;
    // The fits' equations as the plot area shows them, with the colours of their curves.
    QStringList FitEquations(QList<QColor>* colors = nullptr) const;
    // The formula text of a plot's series; a fit's equation in the units its axes show.
    QString FormulaTextAsShown(int index) const;
    void DrawFitEquations(QPainter* painter);

    // Time, XY or bar graph (GraphType), and whether a run is being followed.
    int GraphType() const { return m_GraphType; }
    bool IsRunning() const { return m_bRunning; }

    // State the other graph commands and the tests read.
    int m_GraphType = TimeGraph;
    qint64 m_LastShownSample = -1;
    QList<CGraphPlot> m_Plots;
private:
    // The X axis over these plots: its range, its plot and what a position on it is worth.
    CGraphX m_X{m_Plots, m_GraphType, [this] { return dataStore(); }};
public:
    bool m_bRescaleY = false;
    bool m_bTimingRun = false;
private:
    bool m_bRunning = false;
    // The plot area: the rectangle inside the scales where the curves are drawn.
    QRect m_GraphRect;
    // The plots whose Y scales are drawn left and right (-1: none), and the boxes that choose
    // them and the X axis.
    int m_LeftScalePlot = 0;
    int m_RightScalePlot = 1;
    QComboBox* m_pLeftScaleCombo = nullptr;
    QComboBox* m_pRightScaleCombo = nullptr;
    QComboBox* m_pXScaleCombo = nullptr;
    // The plot area the combo boxes were last placed by; a paint that lays the area out
    // elsewhere (the first paint of an opened graph, a right scale that appeared) moves them.
    QRect m_ScaleCombosRect;
    // Runs, plot changes, the tool bar, the mouse and annotations as the window alone keeps them.
    bool m_bVideoAnalysisRun = false;
    // A video of one of the plots' runs plays: the curves end at the frame shown.
    bool m_bVideoPlayback = false;
    bool m_bUpdatingPlots = false;
    QList<int> m_ScaleComboPlots;
    QToolBar* m_pToolBar = nullptr;
    QPushButton* m_pToolBarToggle = nullptr;
    QPoint m_PressPoint;
    // The two cursors (GraphCursors.h).
    CGraphCursors m_Cursors;
    // What a press and a drag do, where the mouse was last and where a drag started, the zoom
    // band, whether a pan is under way, the bars as last drawn (for their tooltips), whether a
    // full paint draws the cursors (not while one is dragged) and the annotation pressed.
    MouseMode m_MouseMode = MouseNormal;
    QPoint m_LastMousePoint;
    QPoint m_DragStartPoint;
    QRect m_ZoomRect;
    bool m_bPanning = false;
    QList<CBarData> m_BarDataList;
    bool m_bDrawCursors = true;
    int m_SelAnnotation = -1;
    int m_SelAnnotationPlot = -1;
    QRect m_PrevZoomRect;
    bool m_bZooming = false;
    QPixmap m_GraphPixmap;
    int m_DragScale = -2;
    int m_DragScalePlot = -1;
    float m_DragStartXMax = 0.0f;
    bool m_bShowAnnotations = true;
    bool m_bDraggingAnnotation = false;
    // The prediction curves and predict mode (GraphPredictions.h).
    CGraphPredictions m_Predictions;

public slots:
    void StartRunning();
    void EndRunning();
    void UpdateNewData();
    void UpdateTimer();
    void UpdateButtons();
    void windowDeleted(QObject* win);
    void OnGraphToggle();
    void OnAutoscale();
    void OnLeftScaleComboChanged(int index);
    void OnRightScaleComboChanged(int index);
    void OnXScaleComboChanged(int index);
    void DataDeleted(int key);
    void NewFunctionData(int datKey, int sourceKey1, int sourceKey2);
    void onGraphWindowStateChanged(Qt::WindowStates oldState, Qt::WindowStates newState);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // The data store; asked of the host while none is known yet (a window made before the
    // store was handed to the host).
    CDataManager* dataStore() const;
    bool isLastActiveGraph() const;
    bool isLive() const { return m_bRunning || m_bVideoPlayback || m_bVideoAnalysisRun; }
    void chooseFirstVisibleScales();
    // SetXPlot without rebuilding the scale combos, for a caller that rebuilds them after.
    void takeXPlot(CGraphPlot* plot, bool timeAxis, int index);
    // The X axis of an XY graph takes the scale choice of the plot it is drawn from: a fixed
    // range set for that plot, or its autoscale (autoRangeFound: an autoscaled X range has just
    // been found as this would find it, and stands).
    void takeXAxisScaleFromPlot(bool autoRangeFound = false);
    // Scales, combo boxes and picture after the plot list changed as a whole.
    void finishPlotsChange();
    // Every plot drawn on another's scale takes that scale's range, prefixes and unit.
    void shareScales(const CScaleMap& map);
    // The Y autoscale of the plots which marks (those whose plot has autoscale on) in one pass:
    // each scale takes in the curves drawn on it, which then take its range.
    void autoScaleYAxes(const QVector<bool>& which);
    // The Y autoscale of one plot over samples [first, last) of its series (last 0: all) and the
    // whole of the curves drawn on its scale.
    void autoScaleY(int plot, long first, long last, bool force, const CScaleMap& map, const QVector<int>& drawnOnIt);
    // Whether a new analysis result is plotted here: it stands on this graph's X axis. One that
    // does not is handed to a graph of its own, or named in a notice when no graph of time can
    // show it.
    bool takesNewResult(const CDataBranch& branch);

    QPointer<CKorvantaSignals> m_pHub;
    // The strokes of the last curve drawn, kept to reuse their storage.
    CPlotStrokes m_Strokes;

    // What the next paint draws; whether the last paint reached beyond the tool bar.
    RepaintMode m_RepaintMode = RepaintFull;
    bool m_bRepaintBeyondToolBar = true;
    QTimer* m_pRedrawTimer = nullptr;
    QTimer* m_pToolBarTimer = nullptr;
    QList<MultiAction*> m_ToolBarActions;
    // An XY curve cannot be reduced to pixel columns; its settled samples are drawn once
    // into an image of the plot area, which later paints show and extend while the axes,
    // the plot and the area stay as they were.
    struct CXYLayer
    {
        int m_Key = -1;
        int m_XKey = -1;
        CCurveFrame m_Frame;
        QColor m_Color;
        long long m_From = 0;
        long long m_To = 0;
        QImage m_Image;
        CXYProgress m_Progress;
        bool m_bRescaleX = false;
        bool m_bRescaleY = false;
        int m_LeftOut = 0;   // segments not drawn as their pixels held the colour already
        double m_NsPerSample = 0.0;   // on screen, the slowest rate of the last paint's stretches
    };
    QList<CXYLayer> m_XYLayers;
    // Whether a picture is being taken of the window (copied, printed, kept under a cursor
    // drag) rather than a paint going to the screen.
    bool m_bTakingPicture = false;
    // The plot-area image of a live run (below), and the edges of the columns the last tick
    // drew again in it.
    QImage m_PlotLayer;
    int m_LayerRedrawLeft = -1;
    int m_LayerRedrawRight = -1;
    int m_PartialTicks = 0;   // ticks that repainted part of the plot area alone
    int m_StripPaints = 0;    // full paints that went through strips
    // The store the run's plots come from, once known.
    CDataManager* m_pDataManager = nullptr;
    // Cursor 1's read-out shows the slope; the area between the cursors is shaded and told.
    bool m_bSlopeMode = false;
    bool m_bAreaMode = false;
    // Whether the paint under way goes to the screen, and since when.
    bool m_bPaintingOnScreen = false;
    QElapsedTimer m_PaintClock;
    int m_XYStretches = 0;   // stretches of XY layers stroked in this paint
    bool m_bXYPaintPending = false;

    // Paint caches
    // While a run streams in, each redraw tick extends the curves instead of drawing them
    // again: the strokes of every curve continue from their last pixel column, and the plot
    // area is kept as an image (m_PlotLayer) of which only the columns right of the oldest
    // changed column are drawn again, over the plot area without curves (m_PlotBackground).
    // Any other paint draws everything and drops these (stored values may have been edited).
    struct CCurveCache
    {
        int m_Key = -1;
        const CDataBranch* m_pBranch = nullptr;
        CCurveFrame m_Frame;
        long m_From = 0, m_To = -1;
        CPlotStrokes m_Strokes;
        CTimeProgress m_Progress;
    };
    std::vector<CCurveCache> m_CurveCaches;
    QImage m_PlotBackground;
    QVector<double> m_LayerSignature;
    int m_LayerReach = INT_MIN;   // the rightmost column the layer's strokes reach
    bool m_bLayerWhole = false;   // whether the last tick drew the layer afresh
    // Whether the last paint of the window showed m_PlotLayer over the whole plot area: a
    // redraw tick then repaints only the columns it drew again (liveTickRegion).
    bool m_bLiveAreaShown = false;
    // The widths the scales measured, by what their labels are made of: a paint measures each
    // scale several times and the labels rarely change from one paint to the next.
    QHash<QString, int> m_ScaleWidths;
    QImage m_StripLayer;   // the strips' image, kept: a fresh one costs its pages every paint

private:
    void drawTimeCurves(QPainter* painter, long from, long to);
    bool drawLiveLayer(QPainter* painter, long from, long to);
    // Extends the curves and the plot-area image of a live run by what arrived; false, with the
    // caches dropped, where the graph has to be drawn whole.
    bool updateLiveLayer(long from, long to);
    // The paint of a tick that repaints only part of the plot area: the image over rect, then
    // what a full paint draws over the curves.
    void paintLiveTick(QPainter* painter, const QRect& rect);
public:
    // What a redraw tick repaints: the whole window, or the part of the plot area whose
    // columns changed (extending the curves on the way), or nothing. Unless nothing, the next
    // paint is that tick's.
    QRegion liveTickRegion();
private:
    // Reduces and paints the curves of a full paint into an image of the plot area, in strips
    // side by side; false, with nothing done, where the picture needs the stroke-by-stroke route.
    bool paintTimeLayer(QPainter* painter, QVector<CCurveJob>& jobs, const QVector<int>& plotOf);
    // The plot area without curves (white, with the scales' grid) into image, whose top left
    // pixel shows the window's point topLeft.
    void paintPlotBackground(QImage& image, QPoint topLeft);
    void dropPaintCaches();
    QRect graphArea();

    // Commands, export, prediction curves and reactions
public:
    // Export (GraphWindow_csv.cpp): the columns of the plots as they are now.
    QList<CCsvColumn> CsvColumns() const;
    // Whether cursor 1's read-out shows the slope, and the area between the cursors.
    bool SlopeMode() const { return m_bSlopeMode; }
    bool AreaMode() const { return m_bAreaMode; }
    // What the paints of a live run did: the columns the last tick drew again (-1: none, or
    // the layer drawn whole), the ticks that repainted part of the plot area alone, the full
    // paints that went through strips, and whether a plot-area image is kept to extend.
    struct CPaintCounts
    {
        int m_RedrawLeft = -1;
        int m_RedrawRight = -1;
        int m_PartialTicks = 0;
        int m_StripPaints = 0;
        bool m_bLayerKept = false;
        // What the next paint draws, and whether the last one reached beyond the tool bar.
        RepaintMode m_NextRepaint = RepaintFull;
        bool m_bBeyondToolBar = true;
        // Per plot, what its XY layer holds: the first sample not stroked yet (-1: none), the
        // segments left out as their pixels held the colour already, and the image.
        struct CXYLayerCounts
        {
            int m_Next = -1;
            int m_LeftOut = 0;
            QImage m_Image;
        };
        QVector<CXYLayerCounts> m_XYLayers;
    };
    CPaintCounts PaintCounts() const;
    // How the window paints; changing them drops what earlier paints kept.
    struct CPaintSettings
    {
        bool m_bShowGrid = true;
        // A paint on screen extends the XY layers for about this long, shows what they hold and
        // asks for another paint to go on: stroking a long noisy run takes seconds, and the
        // window must answer meanwhile. A picture taken otherwise (grab, print, render) is
        // always whole.
        int m_XYPaintBudgetMs = 30;
        // The segments of an XY curve beyond this share of the plot area's pixels are painted
        // by our own rasteriser over the graph's threads (CXYCoverage): a noisy run makes every
        // sample a segment, and the painter's strokes of millions of them take seconds.
        // Negative: never.
        double m_XYCoverageShare = 1.0 / 64;
        // Full paints of time curves go through an image painted in strips (paintTimeLayer);
        // off, they are stroked on the window's painter one by one, which tests compare against.
        bool m_bPaintInStrips = true;
    };
    CPaintSettings PaintSettings() const { return m_PaintSettings; }
    void SetPaintSettings(const CPaintSettings& settings);

private:
    CPaintSettings m_PaintSettings;

public:
    // Copy and print (GraphWindow_print.cpp): the part of the window they show, or the whole
    // window with its tool bar and scale boxes as it shows them.
    enum PictureArea { PictureGraph, PictureWindow };
    QRect PictureRect();
    QPixmap GraphPicture(PictureArea area = PictureGraph);
    // Prediction curves (GraphWindow_predictioncurves.cpp).
    const CGraphPredictions& Predictions() const { return m_Predictions; }
    void DrawPredictPlots(QPainter* painter);
    // What the main window and the window manager ask (GraphWindow_commands.cpp).
    void EnableSlopeMode(bool on);
    void EnableAreaMode(bool on);
    bool EnableFunctions() const;
    bool XAxisFuntionsAreLegal() const;
    // A plot of a branch as a download or a tracking run makes it.
    CGraphPlot PlotFromBranch(const CDataBranch& branch) const;
    // The unit a series is shown in (PlotUnitOf, below).
    struct CPlotUnit
    {
        QString unit;
        int prefix = 0;
    };

public slots:
    void OnProperties();
    void OnCopyGraph();
    void OnExportGraph();
    void OnPrint();
    void on_print(QPrinter* printer);
    void OnPredict();
    void OnAddPredict();
    void OnErasePredict();
    void LoggerDownloadNewData(bool offlineRun);
    void StartVideoAnalysisRun(int folderKey);
    void StopVideoAnalysisRun();
    void OnVideoPlaybackStart(int folderKey);
    void OnVideoPlaybackSample(int sample);
    void OnVideoPlaybackStop();
    void BranchValuesChanged(int key);

private:
    void ConnectCommands();
    void ConnectReactions(CKorvantaSignals* hub);
    void resetForNewPlots();
    void appendFolderPlots(int folderKey);
    void prepareAxesForNewRun();

    // Cursors, annotations, mouse modes and drops
public:
    // Searches behind the cursors (GraphWindow_search.cpp; those over one series alone in
    // GraphSearch.h).
    CGraphPlot FindNearestPlot(QPoint* point, int& plotIndex);
    CGraphPlot FindNearestXYPlot(QPoint* point, int& plotIndex, int& sample);
    // What the analysis commands read: cursor 1's plot key (-1 without cursor 1), the two
    // cursor samples and the X-axis key (X().PlotKey()).
    int GetCursorsInfo(int& cursor1Sample, int& cursor2Sample, int& xAxisKey);

    // Cursors (GraphWindow_cursors.cpp): where they stand and what they read.
    const CGraphCursors& Cursors() const { return m_Cursors; }
    CGraphCursors& Cursors() { return m_Cursors; }
    void SelectCursorPlot(int plotIndex, bool switchOn, QPoint* point);
    void SelectCursor2Plot(QPoint* point, bool unused);
    void DrawCursor(QPainter* painter);
    void DrawCursor2(QPainter* painter);
    float CalculateSlope(long sample, int plotIndex);

    // Annotations (GraphWindow_annotations.cpp).
    void DrawAnnotations(QPainter* painter);
    int PtInAnnotation(QPoint point, int& annotationIndex);

    // Mouse (GraphWindow_mouse.cpp): what a press and a drag in the plot area do now.
    MouseMode GetMouseMode() const { return m_MouseMode; }
    int CheckMouseInScale(QPoint point);
    void mousePress(QPoint point, bool doubleClick);
    void DoDragPan(QPoint point);
    void DoDragScale(QPoint point);
    void DoDragScaleFactor(int plotIndex, float xRatio, float yRatio);
    void DoDragCursor(QPoint point);
    void DoDragAnnotation(QPoint point);

public slots:
    void OnZoom();
    void OnPan();
    void OnCursor();
    void OnCursor2();
    void OnAddAnnotation();
    void OnMoveAnnotation();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // The parts of a press: on a scale (true: a scale drag starts, nothing else happens), on
    // cursor 1's plot (a double click adds cursor 2; true: the plot was removed), and what the
    // normal and the annotation mode do with it.
    bool pressOnScale(QPoint p);
    bool pressOnCursorPlot(QPoint p, bool doubleClick);
    void pressForCursors(QPoint p);
    void pressOnAnnotation(QPoint p, bool doubleClick);
    // A press in predict mode adds a point to the last curve there, or erases the curve drawn
    // through it (GraphWindow_predictioncurves.cpp).
    void pressForPrediction(QPoint p);
};

// The tool-bar actions' states for a window state: a rule of the window that needs none.
CGraphWindow::ToolState GraphToolStates(const CGraphWindow::ToolInput& in);

// The unit a series is shown in: its unit text without the prefix, and the prefix code of its
// stored values apart, which Graph Properties may change for the values shown. A measured
// series takes its catalogue's unit and prefix (catalogue may be null); any other its own unit
// text, with the prefix taken apart where the text begins with it ("kPa/s": "Pa/s" and kilo).
CGraphWindow::CPlotUnit PlotUnitOf(const CSensorInfo* catalogue, const CDataBranch& branch);
// A run's plot of a branch as the run's graph first shows it: its name with the run's, its
// unit, and the range, colour, scale and style of its measurement's setup where there is one.
void FillRunPlot(CGraphPlot& plot, const CDataBranch& branch, const QString& runName,
                 const CSensorInfo* catalogue, CSetupInfo* setup);
// The prompter a graph asks its questions through: its host's, else the shell's.
IPrompter* GraphPrompter(IChildWindowHost* host);
