#include "Core/Data/DataFolder.h"

#include "Core/Data/DataBranch.h"
#include "Core/Data/RecordIO.h"

#include <QDataStream>
#include <QDir>
#include <QFileInfo>

namespace {

enum FolderTag : qint16 {
    TagName = 700,
    TagKey = 701,
    TagBranchKey = 702,
    TagPairsStart = 703,
    TagPair = 704,
    TagPairsEnd = 705,
    TagVideoAnalysis = 706,
    TagVideoFile = 707,
    // Present (without a value) in the record of a run sampled by hand: its series carry the
    // period of no rate, which alone cannot tell them from a run at one sample a second.
    TagSampledByHand = 708
};

// The video file sits next to the workspace file. Only the file name of the stored text is
// used, so a crafted record cannot point the player (or the copy made when the workspace is
// saved again) at a file elsewhere on the disk.
QString resolveVideoFile(const QString& stored, const CFolderReadHooks* hooks)
{
    if (stored.isEmpty())
        return stored;
    QString name = stored;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    name = QFileInfo(name).fileName();
    if (name.isEmpty() || name == QLatin1String("..") || name == QLatin1String("."))
        return QString();
    const QString workspace = hooks && hooks->workspacePath ? hooks->workspacePath() : QString();
    if (workspace.isEmpty())
        return name;
    return QFileInfo(workspace).absolutePath() + QDir::separator() + name;
}

} // namespace

int CDataFolder::GetBranchKey(int index) const
{
    if (index < 0 || index >= m_BranchKeys.GetSize())
        return -1;
    return m_BranchKeys.GetAt(index);
}

void CDataFolder::AddVideoFrameAndSampleIndex(int frame, int sample)
{
    m_FrameSamples.append(qMakePair(frame, sample));
}

void CDataFolder::ClearVideoFrameAndSampleList()
{
    m_FrameSamples.clear();
    m_PlaybackCursor = 0;
}

int CDataFolder::GetSampleFromVideoFrame(int frame)
{
    const int n = m_FrameSamples.size();
    if (n == 0)
        return 0;
    // The cursor is public state; keep it inside the pairs before using it.
    if (m_PlaybackCursor < 0 || m_PlaybackCursor >= n)
        m_PlaybackCursor = 0;
    for (int i = m_PlaybackCursor + 1; i < n; ++i) {
        if (m_FrameSamples.at(i).first <= frame) {
            m_PlaybackCursor = i;
            return m_FrameSamples.at(i).second;
        }
    }
    if (m_FrameSamples.last().first < frame)
        return m_FrameSamples.last().second;
    if (m_FrameSamples.first().first >= frame)
        return 0;
    return m_FrameSamples.at(m_PlaybackCursor).second;
}

QString CDataFolder::GetIconName() const
{
    if (m_bVideoAnalysis)
        return QStringLiteral("://images/History/Video-Analysis-folder.png");
    if (!m_VideoFile.isEmpty() || !m_FrameSamples.isEmpty())
        return QStringLiteral("://images/History/Video-Sync-folder.png");
    return QStringLiteral("://images/History/folder_normal.png");
}

int CDataFolder::SaveToFile(QDataStream* stream)
{
    if (!stream)
        return RecordWriteFailed;
    QDataStream& out = *stream;
    RecordIO::PrepareStream(out);
    out << qint16(TagName) << m_Name;
    out << qint16(TagKey) << qint32(m_Key);
    const QVector<int> keys = m_BranchKeys.Snapshot();
    for (int key : keys)
        out << qint16(TagBranchKey) << qint32(key);
    if (!m_FrameSamples.isEmpty()) {
        out << qint16(TagPairsStart);
        for (const auto& pair : qAsConst(m_FrameSamples))
            out << qint32(TagPair) << qint32(pair.first) << qint32(pair.second);
        out << qint16(TagPairsEnd);
    }
    out << qint16(TagVideoAnalysis) << m_bVideoAnalysis;
    out << qint16(TagVideoFile) << m_VideoFile;
    if (m_bSampledByHand)
        out << qint16(TagSampledByHand);
    out << qint16(RecordIO::TagFolderEnd);
    return out.status() == QDataStream::Ok ? RecordOk : RecordWriteFailed;
}

int CDataFolder::readFramePairs(QDataStream& in)
{
    // The list is replaced only by a list read to its end.
    QVector<QPair<int, int>> pairs;
    for (;;) {
        qint16 tag = 0;
        if (!RecordIO::ReadTag(in, tag))
            return RecordTruncated;
        if (tag == TagPairsEnd)
            break;
        if (tag != TagPair)
            continue;   // the high half of the 32-bit 704, or noise
        qint32 frame = 0;
        qint32 sample = 0;
        in >> frame >> sample;
        if (in.status() != QDataStream::Ok)
            return RecordTruncated;
        pairs.append(qMakePair(int(frame), int(sample)));
    }
    m_FrameSamples = pairs;
    m_PlaybackCursor = 0;
    return RecordOk;
}

int CDataFolder::LoadFromFile(QDataStream* stream, int keyOffset, int* largestKeySeen,
                              const CFolderReadHooks* hooks)
{
    if (!stream)
        return RecordTruncated;
    QDataStream& in = *stream;
    RecordIO::PrepareStream(in);
    for (;;) {
        qint16 tag = 0;
        if (!RecordIO::ReadTag(in, tag))
            return RecordTruncated;
        int key = -1;
        switch (tag) {
        case RecordIO::TagFolderEnd:
            return RecordOk;
        case TagName:
            RecordIO::ReadField(in, m_Name);
            break;
        case TagKey:
        case TagBranchKey:
            if (!RecordIO::ReadKey(in, keyOffset, false, key))
                return in.status() != QDataStream::Ok ? RecordTruncated : RecordCorrupt;
            if (largestKeySeen && key > *largestKeySeen)
                *largestKeySeen = key;
            if (tag == TagKey)
                m_Key = key;
            else
                m_BranchKeys.Add(key);
            break;
        case TagPairsStart: {
            const int result = readFramePairs(in);
            if (result != RecordOk)
                return result;
            break;
        }
        case TagVideoAnalysis:
            if (RecordIO::ReadField(in, m_bVideoAnalysis) && m_bVideoAnalysis && hooks
                && hooks->trackingRunLoaded)
                hooks->trackingRunLoaded();
            break;
        case TagVideoFile: {
            QString name;
            RecordIO::ReadString(in, name);
            if (in.status() == QDataStream::Ok)
                m_VideoFile = resolveVideoFile(name, hooks);
            break;
        }
        case TagSampledByHand:
            m_bSampledByHand = true;
            break;
        default:
            break;
        }
        if (in.status() != QDataStream::Ok)
            return RecordTruncated;
    }
}
