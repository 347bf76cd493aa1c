// The X values typed for the readings of a hand-sampled run.
#include <QDateTime>
#include <QTime>
#include <algorithm>

#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"

void CDataManager::BeginManualXValues()
{
    QMutexLocker lock(&m_ManualXMutex);
    m_ManualXValues.clear();
    m_ManualXReadings = 0;
    m_ManualXPaired = 0;
    m_ManualXBranchKey = -1;
}

void CDataManager::AddManualXValue(double value)
{
    int paired = 0;
    {
        QMutexLocker lock(&m_ManualXMutex);
        m_ManualXValues.append(value);
        paired = pairManualXValuesLocked();
    }
    // A reading that waited for its value is now complete: the windows show it.
    CKorvantaSignals* hub = m_pRunServices ? m_pRunServices->GetSignals() : nullptr;
    if (paired > 0 && hub)
        hub->SignalLoggerNewDataArrived();
}

int CDataManager::pairManualXValuesLocked()
{
    CDataBranch* branch = m_ManualXBranchKey >= 0 ? GetDataBranch(m_ManualXBranchKey) : nullptr;
    const int ready = std::min(m_ManualXReadings, int(m_ManualXValues.size()));
    int appended = 0;
    for (; m_ManualXPaired < ready; ++m_ManualXPaired) {
        // A series the user deleted in the meantime takes nothing.
        if (branch)
            branch->AddSample(static_cast<double>(m_ManualXPaired), m_ManualXValues.at(m_ManualXPaired));
        ++appended;
    }
    return appended;
}

void CDataManager::StoreManualSample(ILogger* logger)
{
    CDataBranch* branch = GetLastFolderDataBranch(SensorIndexManualX);
    if (!branch)
        return;
    CLoggerProtocolState* st = RunState(logger);
    {
        QMutexLocker lock(&m_ManualXMutex);
        // The first reading of a run: the values typed since the run was asked for are its own.
        const bool first = branch->m_Key != m_ManualXBranchKey || st->m_ManualSampleCounter == 0;
        if (first) {
            m_ManualXBranchKey = branch->m_Key;
            m_ManualXReadings = 0;
            m_ManualXPaired = 0;
        }
        // The times between readings come from a steady clock, which neither midnight nor a
        // change of the wall clock moves. The start is noted as the time of day in UTC: the
        // local time zone's lock in the C library is one the race checker cannot see.
        if (first || !m_ManualXClock.isValid()) {
            m_ManualXClock.start();
            const qint64 day = 24 * 60 * 60 * 1000;
            branch->m_ManualStartTime = QTime::fromMSecsSinceStartOfDay(int(QDateTime::currentMSecsSinceEpoch() % day));
            branch->AddManualTime(0.0);
        } else {
            branch->AddManualTime(m_ManualXClock.elapsed() / 1000.0);
        }
        ++m_ManualXReadings;
        pairManualXValuesLocked();
    }
    ++st->m_ManualSampleCounter;
    CKorvantaSignals* hub = m_pRunServices ? m_pRunServices->GetSignals() : nullptr;
    if (hub)
        hub->SingalUserAskXValue();
}
