#pragma once
// One run: the keys of its data branches, its name and key, and the link between the frames of
// a video recorded or analysed with it and the run's sample indices.
#include "Core/Data/SafeArray.h"

#include <QPair>
#include <QString>
#include <QVector>
#include <functional>

class QDataStream;

// Services of other layers a folder being read calls: the path of the workspace file being read
// (its directory receives the video file), and the count of tracking runs kept by the
// video-analysis window. Empty ones are skipped.
struct CFolderReadHooks
{
    std::function<QString()> workspacePath;
    std::function<void()> trackingRunLoaded;
};

class CDataFolder
{
public:
    CDataFolder() = default;
    CDataFolder(const CDataFolder&) = delete;
    CDataFolder& operator=(const CDataFolder&) = delete;

    void AddBranchKey(int key) { m_BranchKeys.Add(key); }
    void RemoveBranchKey(int index) { m_BranchKeys.RemoveAt(index); }
    int GetNumberBranches() const { return m_BranchKeys.GetSize(); }
    int GetBranchKey(int index) const;   // -1 outside the list
    QVector<int> GetBranchKeys() const { return m_BranchKeys.Snapshot(); }

    void AddVideoFrameAndSampleIndex(int frame, int sample);
    void ClearVideoFrameAndSampleList();
    int GetNumVideoFrames() const { return m_FrameSamples.size(); }
    void InitVideoPlayback() { m_PlaybackCursor = 0; }
    int GetSampleFromVideoFrame(int frame);

    QString GetIconName() const;

    // Workspace record (tag 10 is written by the data manager before it).
    int SaveToFile(QDataStream* stream);
    // Returns a RecordResult; keyOffset is added to the folder key and every branch key. The
    // largest key read is reported through largestKeySeen.
    int LoadFromFile(QDataStream* stream, int keyOffset, int* largestKeySeen = nullptr,
                     const CFolderReadHooks* hooks = nullptr);

    int m_PlaybackCursor = 0;
    CSafeArray<int> m_BranchKeys;
    QVector<QPair<int, int>> m_FrameSamples;   // (video frame, sample index)
    QString m_Name;
    int m_Key = 0;
    bool m_bVideoAnalysis = false;
    QString m_VideoFile;
    // The run was sampled by hand: its samples have no fixed time between them, whatever
    // period the rate tables give it. Kept in the workspace record.
    bool m_bSampledByHand = false;

private:
    int readFramePairs(QDataStream& in);
};
