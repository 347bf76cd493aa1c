#pragma once
// The analysis engine: every function that derives a new data branch from recorded ones.
//
// A derivation reads its source range once (one bulk copy under each list's lock), computes
// on the copy and writes the result as a new branch through AddFunctionBranch. The caller gets
// the new branch (or null) and is responsible for the history entry and the announcement.
// Failures a user must see go to the message sink (IMessageSink.h); nothing here blocks.
// The engine is given the store it reads and writes, the sink and the hub when it is made; an
// engine without a store makes no branch, without a sink its messages only go to the
// diagnostics.
#include "Core/Data/SafeArray.h"
#include "analysis/Statistics.h"

#include <QFuture>

#include <QCoreApplication>
#include <QString>
#include <QVector>

class CDataBranch;
class CDataManager;
class CKorvantaSignals;
class CSensorInfo;
class IMessageSink;

class CFunctions
{
    Q_DECLARE_TR_FUNCTIONS(CFunctions)

public:
    // Function ids of QuickFunctions, the math-function and curve-fit dialogs and the table
    // of online functions.
    enum FunctionId {
        IdAbsoluteValue = 0,
        IdAdd2Functions = 1,
        IdArcCos = 2,
        IdArcSin = 3,
        IdCos = 4,
        IdDeltaY = 5,
        IdDerivative = 6,
        IdDiv2Functions = 7,
        IdLowerEnvelope = 8,
        IdUpperEnvelope = 9,
        IdExp = 10,
        IdFourier = 11,
        IdFrequency = 12,
        IdIntegral = 13,
        IdKineticEnergy = 14,
        IdLinear = 15,
        IdLn = 16,
        IdLog10 = 17,
        IdMul2Functions = 18,
        IdQuadratic = 19,
        IdReciprocal = 20,
        IdSin = 21,
        IdSquareX = 22,
        IdSquareRoot = 23,
        IdSub2Functions = 24,
        IdTan = 25,
        IdBloodPressure = 26,
        IdLinearRegression = 27,
        IdPolynomialRegression = 28,
        IdNone = 29,
        IdPowerRegression = 30,
        IdExponentialRegression = 31
    };

    // Sensor-index codes of result branches: every derived branch except the curve fits, and
    // the curve fits (which also record their source as parent).
    static constexpr int FunctionResultIndex = 20480;
    static constexpr int CurveFitResultIndex = 20481;

    explicit CFunctions(CDataManager* data = nullptr, IMessageSink* messages = nullptr,
                        CKorvantaSignals* hub = nullptr);

    // The store changes when the shell's logic manager comes and goes; the others stay.
    void SetDataManager(CDataManager* manager) { m_pDataManager = manager; }
    CDataManager* GetDataManager() const { return m_pDataManager; }
    void SetMessageSink(IMessageSink* sink) { m_pMessageSink = sink; }
    IMessageSink* GetMessageSink() const { return m_pMessageSink; }
    // The hub through which results reach the user (the blood-pressure message) and the
    // statistics stop the logger keep-alive.
    void SetSignalHub(CKorvantaSignals* hub) { m_pSignalHub = hub; }
    CKorvantaSignals* GetSignalHub() const { return m_pSignalHub; }
    // The sensor catalogue of the data manager; may be null.
    const CSensorInfo* GetSensorCatalogue() const;

    // The single entry by function id. Looks G1 (always), G2 (g2Key >= 0) and the X-axis
    // branch (xKey >= 0) up, then hands each function its arguments. end = -1: whole branch.
    CDataBranch* QuickFunctions(short id, int g1Key, bool g1AsTime, int start, int end,
                                int g2Key, bool g2AsTime, int xKey, double A, double B,
                                double C, QString name, QString unit);

    // ---- Common frame ----------------------------------------------------------------
    // end -1 = whole branch; swapped when end < start; start and end clamped into 0..n-1.
    // With n = 0 the range comes out as 0..-1.
    static void ValidateStartEndIndexes(long& start, long& end, long n);
    // target = source x branch's seconds per sample (the time of each sample). The bool is
    // not used.
    void CreateTimeArray(CDataBranch* branch, bool, CSafeArray<double>* source,
                         CSafeArray<double>& target);
    // Creates the result branch of a derivation under parentKey and copies min(|x|, |y|)
    // pairs into it. For sensor index 20481 (a fitted curve) the parent also lists it.
    // Null only when there is no data manager.
    CDataBranch* AddFunctionBranch(int parentKey, CSafeArray<double>* x, CSafeArray<double>* y,
                                   QString name, QString text, double secondsPerSample,
                                   QString unit, short unitPrefix, int sensorIndex);
    CDataBranch* AddFunctionBranch(int parentKey, const QVector<double>& x,
                                   const QVector<double>& y, const QString& name,
                                   const QString& text, double secondsPerSample,
                                   const QString& unit, short unitPrefix, int sensorIndex);
    // Sum of (a[start+k] - meanA)(b[k] - meanB), k = 0..end-start, divided by end - start;
    // 0 when the range holds fewer than two samples.
    double Cov(CSafeArray<double>* a, CSafeArray<double>* b, long start, long end,
               double meanA, double meanB);
    // Sum of (a[i] - mean)^2, i = start..end, divided by end - start; 0 when the range holds
    // fewer than two samples.
    double Var(CSafeArray<double>* a, long start, long end, double mean);

    // ---- Derivative and integral -------------------------------------------------------
    CDataBranch* FunctionDerivative(CDataBranch* g1, bool g1AsTime, long start, long end,
                                    QString name, CDataBranch* xAxis);
    // Named by the caller (the Math Function dialog's name, the same for its online twin); without a
    // name, after the formula with A and B written in as the dialog writes them.
    CDataBranch* FunctionIntegral(CDataBranch* g1, bool g1AsTime, long start, long end,
                                  double A, double B, QString name = QString());

    // ---- Curve fits ---------------------------------------------------------------------
    // Each fits against the X its graph shows: without xSeries the time of each sample in
    // seconds, with it the values of that series (an XY graph's X axis in g1's run) that the
    // samples stand on (XSeries.h), in that series' unit. The equation is in that X, and the
    // fitted series has a value for every sample it draws.
    CDataBranch* FunctionLinearRegression(CDataBranch* g1, long start, long end,
                                          const CDataBranch* xSeries = nullptr);
    CDataBranch* FunctionPowerRegression(CDataBranch* g1, long start, long end,
                                         const CDataBranch* xSeries = nullptr);
    CDataBranch* FunctionExponentialRegression(CDataBranch* g1, long start, long end,
                                               const CDataBranch* xSeries = nullptr);
    // The series g1 is drawn against on a graph whose X axis shows series xAxisKey: that
    // quantity in g1's own run. True with null for a time axis (xAxisKey < 0); false, after a
    // message, when g1's run holds no such values.
    bool XAxisSeriesOf(const CDataBranch* g1, int xAxisKey, CDataBranch*& xSeries);

    // ---- Point-wise transforms with coefficients ---------------------------------------
    CDataBranch* FunctionCos(CDataBranch* g1, bool g1AsTime, double A, double B, double C,
                             long start, long end, QString name);
    CDataBranch* FunctionExp(CDataBranch* g1, bool g1AsTime, double A, double B, double C,
                             long start, long end, QString name);
    CDataBranch* FunctionLinear(CDataBranch* g1, bool g1AsTime, double A, double B, long start,
                                long end, QString name);
    CDataBranch* FunctionLn(CDataBranch* g1, bool g1AsTime, double A, double B, long start,
                            long end, QString name);
    CDataBranch* FunctionLog10(CDataBranch* g1, bool g1AsTime, double A, double B, long start,
                               long end, QString name);
    CDataBranch* FunctionQuadratic(CDataBranch* g1, bool g1AsTime, double A, double B, double C,
                                   long start, long end, QString name);
    CDataBranch* Function1DevideByX(CDataBranch* g1, bool g1AsTime, double A, double B,
                                    double C, long start, long end, QString name);
    CDataBranch* FunctionSin(CDataBranch* g1, bool g1AsTime, double A, double B, double C,
                             long start, long end, QString name);
    CDataBranch* FunctionSquareX(CDataBranch* g1, bool g1AsTime, double A, double B, long start,
                                 long end, QString name);
    CDataBranch* FunctionSquareRoot(CDataBranch* g1, bool g1AsTime, double A, double B,
                                    double C, long start, long end, QString name);
    CDataBranch* FunctionTan(CDataBranch* g1, bool g1AsTime, double A, double B, double C,
                             long start, long end, QString name);

    // ---- Two-branch arithmetic (samples paired by equal X) --------------------------------
    CDataBranch* FunctionAdd2Functions(CDataBranch* g1, bool g1AsTime, CDataBranch* g2,
                                       bool g2AsTime, double A, double B, long start, long end,
                                       QString name, QString unit = QString());
    CDataBranch* FunctionSub2Functions(CDataBranch* g1, bool g1AsTime, CDataBranch* g2,
                                       bool g2AsTime, double A, double B, long start, long end,
                                       QString name, QString unit = QString());
    CDataBranch* FunctionMul2Functions(CDataBranch* g1, bool g1AsTime, CDataBranch* g2,
                                       bool g2AsTime, double A, double B, long start, long end,
                                       QString name, QString unit = QString());
    CDataBranch* FunctionDiv2Functions(CDataBranch* g1, bool g1AsTime, CDataBranch* g2,
                                       bool g2AsTime, double A, double B, long start, long end,
                                       QString name, QString unit = QString());

    // ---- Simple point-wise functions -----------------------------------------------------
    CDataBranch* FunctionAbsoluteValue(CDataBranch* g1, double A, double B, long start,
                                       long end, QString name);
    CDataBranch* FunctionArcCos(CDataBranch* g1, double A, double B, long start, long end,
                                QString name);
    CDataBranch* FunctionArcSin(CDataBranch* g1, double A, double B, long start, long end,
                                QString name);
    CDataBranch* FunctionDeltaY(CDataBranch* g1, long start, long end, QString name);
    CDataBranch* FunctionKineticEnergy(CDataBranch* g1, double A, long start, long end,
                                       QString name);

    // ---- Envelope and frequency ------------------------------------------------------------
    // A is the minimum distance in samples between two accepted extremes. The extremes are those
    // the functions computed while recording find (CExtremeScan), so both give the same points.
    CDataBranch* FunctionEnvelope(CDataBranch* g1, double A, long start, long end, bool upper,
                                  QString name);
    CDataBranch* FunctionFrequency(CDataBranch* g1, double A, long start, long end,
                                   QString name, QString unit);

    // ---- Functions of the statistics, fit and evaluation half of the engine -------------------
    // Polynomial least-squares fit with coefficientCount coefficients (2 = a straight line),
    // against time or an X-axis series as the other fits.
    CDataBranch* FunctionPolynomialRegression(CDataBranch* branch, long start, long end,
                                              short coefficientCount,
                                              const CDataBranch* xSeries = nullptr);
    // Evaluates a cuff-pressure branch and shows the result as text; makes no branch.
    void FunctionBloodPressure(CDataBranch* branch);

    // ---- Range evaluations: smoothing, spectrum, photogate timing, statistics, averages ----
    // Centred moving average of width 2*(width/2)+1 as a new list of the same length, owned by
    // the caller. A list too short for one full window away from both edges (fewer than
    // 2*(width/2)+3 values), or a negative width, comes back as an unchanged copy.
    CSafeArray<double>* SmoothGraphWithMovingAvarage(CSafeArray<double>* values, int width);
    // Amplitude spectrum of the range as two new branches: the frequency axis (handed out
    // through frequencyBranch) and the spectrum (returned). Null, and nothing created, for a
    // range of fewer than three samples or a branch without a usable sample interval. unit is
    // not used: both take the source's unit.
    CDataBranch* FunctionFourier(CDataBranch* branch, long start, long end, QString name,
                                 QString unit, CDataBranch** frequencyBranch);
    // Photogate pulse evaluation (method codes 0, 1, 2, 10, 11, 12, 20, 21; lengths in cm):
    // the result lines, or the "Please verify ..." message.
    QString FunctionTiming(CDataBranch* gate1, CDataBranch* gate2, long start, long end,
                           unsigned char methodId, double flagLength, double gateDistance);
    // Statistics of the branch with that key over start..end (end -1: whole branch). Copies
    // the range first and computes on the copy. On an XY graph (xAxisKey, the X axis' series)
    // the area is taken along that axis; the missing mark when the series' run has no such values.
    CStatisticsInfo FunctionStatistics(int key, long start, long end, int xAxisKey = -1);
    // The same as a concurrent task for the statistics dialog's future watcher: the range is
    // copied here, on the calling thread, so the worker never touches a branch the user may
    // delete meanwhile.
    QFuture<CStatisticsInfo> StartStatistics(int key, long start, long end, int xAxisKey = -1);
    // Moving average of the range as a new branch under the source; null after "Too few
    // samples." when fewer than two samples result. The range is clipped to the branch.
    CDataBranch* CalculateArraysAverage(CDataBranch* branch, long width, int start, int end,
                                        QString name);
    // Mean of the window of the given width around one index of a list.
    double FunctionAverage(CSafeArray<double>* values, long index, long width);
    // Rewrites coef[1..order+1] of p(u) into the coefficients of p(t + shift) in powers of t.
    void FixCoef(double* coef, short order, double shift);
    int Binom(int n, int k);

private:
    CDataManager* m_pDataManager = nullptr;
    IMessageSink* m_pMessageSink = nullptr;
    CKorvantaSignals* m_pSignalHub = nullptr;
};
