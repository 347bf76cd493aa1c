#pragma once
// The data of one tracking run: a new data folder with an X and a Y position branch, one
// sample per recorded point (X the point's number in the run, Y its axis coordinate), and the
// trail of recorded centres the view draws. Point k is frame k of the video, so the branches'
// time between samples is the video's frame period: graphs, tables and analyses then show
// seconds, as for a logger's run.
#include <QPoint>
#include <QPointF>
#include <QString>
#include <QVector>

class CDataManager;

class CTrackingRun
{
public:
    // Makes the folder and its two branches. Both names and the folder's run number come from
    // the caller (translated there). secondsPerFrame: the video's frame period, 1 s when the
    // frame rate is unknown. False when a branch could not be made; the run then records trail
    // points only.
    bool Init(CDataManager* data, const QString& folderName, const QString& xName, const QString& yName,
              double secondsPerFrame = 1.0);
    // Stores one point: axisPoint into the branches, trailPoint (frame pixels) onto the trail.
    void Record(CDataManager* data, const QPointF& axisPoint, const QPoint& trailPoint);

    bool HasBranches() const { return m_XBranchKey >= 0 && m_YBranchKey >= 0; }

    int m_FolderKey = -1;
    int m_XBranchKey = -1;
    int m_YBranchKey = -1;
    double m_SampleCounter = 0.0;
    QVector<QPoint> m_Trail;
};
