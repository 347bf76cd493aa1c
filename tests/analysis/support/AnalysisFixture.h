#pragma once
// Shared setting of the analysis-engine tests: a data manager of their own, a sink that
// records every message instead of showing a box, and source branches made from value lists.
#include "Core/Data/DataManager.h"
#include "analysis/Functions.h"
#include "analysis/IMessageSink.h"

#include <QList>
#include <QString>
#include <QVector>

namespace AnalysisTest {

class RecordingSink : public IMessageSink
{
public:
    struct Message
    {
        QString title;
        QString text;
    };
    void criticalMessage(const QString& title, const QString& text) override
    {
        messages.append({title, text});
    }
    QString lastText() const { return messages.isEmpty() ? QString() : messages.last().text; }
    QString lastTitle() const { return messages.isEmpty() ? QString() : messages.last().title; }
    QList<Message> messages;
};

class Fixture
{
public:
    Fixture() = default;
    Fixture(const Fixture&) = delete;
    Fixture& operator=(const Fixture&) = delete;

    // A source branch with the given Y values on X = 0, 1, 2, ... (or on the given X values).
    CDataBranch* branch(const QVector<double>& y, double interval = 1.0,
                        const QString& name = QStringLiteral("G1"),
                        const QString& unit = QStringLiteral("m"), short prefix = 0,
                        QVector<double> x = QVector<double>(), int rateCode = 6,
                        int sensorIndex = -1)
    {
        if (x.isEmpty()) {
            x.resize(y.size());
            for (int i = 0; i < y.size(); ++i)
                x[i] = i;
        }
        const int key = manager.CreateDataBranch(sensorIndex, interval, 0, 0, -1);
        CDataBranch* b = manager.GetDataBranch(key);
        b->AppendSamples(x.constData(), y.constData(), qMin(x.size(), y.size()));
        b->m_Name = name;
        b->m_Unit = unit;
        b->m_UnitPrefix = prefix;
        b->m_RateCode = rateCode;
        return b;
    }

    // b in a run of its own, sampled by hand or not, whatever rate code b has.
    CDataBranch* inRun(CDataBranch* b, bool byHand)
    {
        CDataFolder* run = manager.CreateDataFolder();
        run->m_bSampledByHand = byHand;
        b->m_OwnerKey = run->m_Key;
        return b;
    }

    QVector<double> xs(const CDataBranch* b) const { return b->GetXSnapshot(); }
    QVector<double> ys(const CDataBranch* b) const { return b->GetYSnapshot(); }
    int branchCount() const { return manager.GetNumDataBranches(); }

    CDataManager manager;
    RecordingSink sink;
    CFunctions functions{&manager, &sink};
};

} // namespace AnalysisTest
