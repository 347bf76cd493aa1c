#pragma once
// A stand-in for the window manager under a graph window: a hub, a setup record and a data
// store of its own, the last-activated-graph record and a fixed interval record; with helpers
// that make runs and fill branches as the logger threads would.
#include "windowbase/ChildWindowHost.h"
#include "windowbase/KorvantaWindow.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"
#include "Core/Data/SetupInfo.h"

#include <QVector>
#include <QWidget>

class CGraphTestHost : public QWidget, public IChildWindowHost
{
public:
    mutable CKorvantaSignals m_Hub{nullptr};
    mutable CSetupInfo m_Setup{nullptr};
    mutable CDataManager m_Data{&m_Setup};
    CKorvantaWindow* m_pActive = nullptr;
    ExperimentInterval m_Interval;
    QList<int> m_OwnGraphKeys;   // the results a graph handed on to a graph of their own

    bool AlignToGrid() const override { return false; }
    CKorvantaSignals* GetSignals() const override { return &m_Hub; }
    CDataManager* GetDataManager() const override { return &m_Data; }
    CKorvantaWindow* GetLastActiveGraph() const override { return m_pActive; }
    void SetLastActiveGraph(CKorvantaWindow* graph) override { m_pActive = graph; }
    CSetupInfo* GetSetupInfo() const override { return &m_Setup; }
    ExperimentInterval GetExperimentInterval(short, short, short) const override { return m_Interval; }
    void ShowInGraphOfItsOwn(int key) override { m_OwnGraphKeys << key; }
    // The sensor catalogue, when a test gives one (measured series then take its units).
    CSensorInfo* m_pCatalogue = nullptr;
    CSensorInfo* GetSensorCatalogue() const override { return m_pCatalogue; }

    // A new run folder named like a logger run.
    CDataFolder* addRun(const QString& name = QStringLiteral("Run1"))
    {
        CDataFolder* f = m_Data.CreateDataFolder();
        f->m_Name = name;
        return f;
    }
    // A branch of a special kind (no catalogue lookup) in folder f.
    CDataBranch* addBranch(CDataFolder* f, int sensorIndex = SensorIndexOnlineFunction, double interval = 0.1,
                           const QString& name = QStringLiteral("Series"), int rateCode = 10)
    {
        const int key = m_Data.CreateDataBranch(sensorIndex, interval, -1, -1, f ? f->m_Key : -1);
        if (f)
            f->AddBranchKey(key);
        CDataBranch* b = m_Data.GetDataBranch(key);
        b->m_Name = name;
        b->m_RateCode = rateCode;
        return b;
    }
    // Samples 0..n-1 with y = fn(i) and X the sample number, in one block.
    template <typename Fn>
    static void fill(CDataBranch* b, int n, Fn fn, int first = 0)
    {
        QVector<double> x(n), y(n);
        for (int i = 0; i < n; ++i) {
            x[i] = first + i;
            y[i] = fn(first + i);
        }
        b->AppendSamples(x.constData(), y.constData(), n);
    }
};
