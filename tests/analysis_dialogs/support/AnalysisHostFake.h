#pragma once
// A stand-in for the window manager under the analysis dialogs: a data store, setup record,
// catalogue, hub, engine and online-function table of its own, a current graph given as plot
// keys and cursor values, a history tree that records the rows it is asked for, and a prompter
// that records every box and answers it.
#include "analysis/Functions.h"
#include "analysis/IMessageSink.h"
#include "analysis/OnlineFunctions.h"
#include "analysis_dialogs/AnalysisHost.h"
#include "common/ScriptedPrompter.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/SensorInfo.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Base/KorvantaSignals.h"

#include <QComboBox>
#include <QLineEdit>
#include <QStringList>
#include <QVector>
#include <QWidget>

// The shell's scripted prompter, with the timing wizard's result box and the engine's messages
// in the same log.
class CRecordingPrompter : public CScriptedPrompter, public IMessageSink
{
public:
    bool retryOrClose(QWidget*, const QString& title, const QString& text) override
    {
        m_Log << "result|" + title + "|" + text;
        return m_bRetry;
    }
    void criticalMessage(const QString& title, const QString& text) override { m_Log << "engine|" + title + "|" + text; }

    bool m_bRetry = false;
};

class CAnalysisHostFake : public QWidget, public IAnalysisHost
{
public:
    CAnalysisHostFake()
    {
        m_Catalogue.LoadSensorInfo();
        m_Data.SetSensorCatalogue(&m_Catalogue);
        m_Online.SetTable(m_Table, &m_OnlineCount);
    }
    ~CAnalysisHostFake() override
    {
        qDeleteAll(m_Sensors);
    }

    CFunctions* AnalysisEngine() override { return &m_Engine; }
    CDataManager* AnalysisData() override { return &m_Data; }
    CSetupInfo* AnalysisSetup() override { return &m_Setup; }
    const CSensorInfo* AnalysisCatalogue() override { return &m_Catalogue; }
    CKorvantaSignals* AnalysisHub() override { return &m_Hub; }
    IPrompter* AnalysisPrompter() override { return &m_Prompter; }
    CCalculateOnLineFunctions* OnlineFunctions() override { return &m_Online; }
    bool HasCurrentGraph() override { return m_bGraph; }
    int CurrentGraphCursors(int& c1, int& c2, int& x) override
    {
        if (!m_bGraph || m_CursorKey == -1)
            return -1;
        c1 = m_Cursor1;
        c2 = m_Cursor2;
        x = m_XKey;
        return m_CursorKey;
    }
    // The window manager's fallback to a whole curve is tried with the real one.
    int CurrentGraphAnalysisRange(int& c1, int& c2, int& x) override { return CurrentGraphCursors(c1, c2, x); }
    int CurrentGraphXAxisKey() override { return m_bGraph ? m_XKey : -1; }
    QList<int> CurrentGraphPlotKeys() override { return m_bGraph ? m_PlotKeys : QList<int>(); }
    void HistoryInsertChild(int parentKey, int childKey, bool deleteEnabled) override
    {
        m_History << QStringLiteral("%1>%2%3").arg(parentKey).arg(childKey).arg(deleteEnabled ? "" : " locked");
    }
    void HistoryExpandLastBranch() override { ++m_Expanded; }

    // A run folder and a plotted series of it with the given values on X = 0, 1, 2, ...
    CDataFolder* run(const QString& name = QStringLiteral("Run1"))
    {
        CDataFolder* f = m_Data.CreateDataFolder();
        f->m_Name = name;
        return f;
    }
    CDataBranch* series(CDataFolder* f, const QString& name, const QString& unit, const QVector<double>& y,
                        double interval = 0.1, int sensorIndex = SensorIndexFunctionResult(), bool plot = true)
    {
        const int key = m_Data.CreateDataBranch(sensorIndex, interval, -1, -1, f->m_Key);
        f->AddBranchKey(key);
        CDataBranch* b = m_Data.GetDataBranch(key);
        b->m_Name = name;
        b->m_Unit = unit;
        b->m_SensorIndex = sensorIndex;
        QVector<double> x(y.size());
        for (int i = 0; i < y.size(); ++i)
            x[i] = i;
        b->AppendSamples(x.constData(), y.constData(), y.size());
        if (plot)
            m_PlotKeys << key;
        return b;
    }
    static int SensorIndexFunctionResult() { return CFunctions::FunctionResultIndex; }
    // A selected sensor of the setup with its measurements (name, unit, active).
    CSesnorProperties* sensor(int catalogueIndex, const QString& name, int channel,
                              const QList<QPair<QString, bool>>& measurements, const QString& unit = QStringLiteral("V"))
    {
        auto* s = new CSesnorProperties;
        s->m_Name = name;
        s->m_Channel = channel;
        s->m_SensorIndex = catalogueIndex;
        for (const auto& m : measurements) {
            auto* setup = new CMeasurementSetup;
            setup->m_Name = m.first;
            setup->m_bActive = m.second;
            setup->m_Unit = unit;
            s->m_MeasurementList << setup;
        }
        m_Sensors << s;
        m_Setup.m_SelectedSensorList << s;
        return s;
    }
    void cursors(int key, int c1, int c2, int x = -1)
    {
        m_CursorKey = key;
        m_Cursor1 = c1;
        m_Cursor2 = c2;
        m_XKey = x;
    }

    CSensorInfo m_Catalogue;
    CKorvantaSignals m_Hub{nullptr};
    CSetupInfo m_Setup{nullptr};
    CDataManager m_Data{&m_Setup};
    CRecordingPrompter m_Prompter;
    CFunctions m_Engine{&m_Data, &m_Prompter, &m_Hub};
    OnLineFunctionInfo m_Table[MaxOnLineFunctions];
    short m_OnlineCount = 0;
    CCalculateOnLineFunctions m_Online;
    QList<CSesnorProperties*> m_Sensors;
    bool m_bGraph = true;
    QList<int> m_PlotKeys;
    int m_CursorKey = -1;
    int m_Cursor1 = -1;
    int m_Cursor2 = -1;
    int m_XKey = -1;
    QStringList m_History;
    int m_Expanded = 0;
};

// What a test does in the Math Function dialog: find a control, choose a function as the user
// does (the row, then the activation).
template <typename Dialog>
QComboBox* Combo(Dialog& d, const char* name)
{
    return d.template findChild<QComboBox*>(QLatin1String(name));
}
template <typename Dialog>
QLineEdit* Edit(Dialog& d, const char* name)
{
    return d.template findChild<QLineEdit*>(QLatin1String(name));
}
template <typename Dialog>
void ChooseFunction(Dialog& d, int id)
{
    QComboBox* combo = Combo(d, "FunctionCombo");
    combo->setCurrentIndex(id);
    emit combo->activated(id);
}
