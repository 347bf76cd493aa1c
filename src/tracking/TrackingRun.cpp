#include "tracking/TrackingRun.h"

#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"

#include <cmath>

bool CTrackingRun::Init(CDataManager* data, const QString& folderName, const QString& xName, const QString& yName,
                        double secondsPerFrame)
{
    // Labelled in seconds by every window: a frame counted as a second would make a ball
    // thrown for 1.6 s fly for 40.
    const double interval = std::isfinite(secondsPerFrame) && secondsPerFrame > 0.0 ? secondsPerFrame : 1.0;
    m_FolderKey = -1;
    m_XBranchKey = -1;
    m_YBranchKey = -1;
    m_Trail.clear();
    m_SampleCounter = 0.0;
    if (!data)
        return false;
    CDataFolder* folder = data->CreateVideoAnalysisFolder(folderName);
    if (!folder)
        return false;
    m_FolderKey = folder->m_Key;
    if (m_FolderKey < 0)
        return false;
    m_XBranchKey = data->CreateDataBranch(SensorIndexVideoTrack, interval, 0, 0, m_FolderKey);
    m_YBranchKey = data->CreateDataBranch(SensorIndexVideoTrack, interval, 0, 0, m_FolderKey);
    folder->AddBranchKey(m_XBranchKey);
    folder->AddBranchKey(m_YBranchKey);
    if (!HasBranches())
        return false;
    if (CDataBranch* x = data->GetDataBranch(m_XBranchKey))
        x->m_Name = xName;
    if (CDataBranch* y = data->GetDataBranch(m_YBranchKey))
        y->m_Name = yName;
    return true;
}

void CTrackingRun::Record(CDataManager* data, const QPointF& axisPoint, const QPoint& trailPoint)
{
    if (data && HasBranches()) {
        CDataBranch* x = data->GetDataBranch(m_XBranchKey);
        CDataBranch* y = data->GetDataBranch(m_YBranchKey);
        // A branch deleted from the history during the run takes no more samples.
        if (x)
            x->AddSample(m_SampleCounter, axisPoint.x());
        if (y)
            y->AddSample(m_SampleCounter, axisPoint.y());
        m_SampleCounter += 1.0;
    }
    m_Trail.append(trailPoint);
}
