// The import of the older workspace format: a little-endian tag-length-value file of runs,
// their series and a notes text.
#include "workspace/WorkspaceLoader.h"

#include "workspace/WorkspaceFormat.h"
#include "workspace/WorkspaceHost.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/DataManager.h"
#include "Core/Base/GlobalTable.h"

#include <QByteArray>
#include <QFile>
#include <QtEndian>
#include <cstring>

namespace {

// Little-endian reads where every byte at or past the end of the data is 0.
quint64 readLE(const QByteArray& data, quint64 position, int width)
{
    quint64 value = 0;
    const quint64 size = quint64(data.size());
    for (int i = 0; i < width; ++i) {
        const quint64 at = position + quint64(i);
        if (at < size)
            value |= quint64(quint8(data.at(int(at)))) << (8 * i);
    }
    return value;
}

qint16 readShort(const QByteArray& data, quint64 position)
{
    return qint16(quint16(readLE(data, position, 2)));
}

quint32 readUInt(const QByteArray& data, quint64 position)
{
    return quint32(readLE(data, position, 4));
}

enum PvxTag : qint16 {
    PvxBranch = 8,
    PvxFolder = 10,
    PvxFolderName = 11,
    PvxBranchName = 800,
    PvxRateText = 801,
    PvxSensorId = 802,
    PvxUnitPrefix = 804,
    PvxXValues = 806,
    PvxYValues = 807,
    PvxUnit = 810,
    PvxRateIndex = 813,
    PvxNotes = 1008,
};

} // namespace

struct CWorkspaceLoader::PvxState
{
    CDataManager* data = nullptr;
    CDataFolder* folder = nullptr;
    CDataBranch* branch = nullptr;
    QString notes;
};

QString CWorkspaceLoader::readStringWByteLength(int count, const QByteArray& data, quint64 position)
{
    if (count < 1 || position >= quint64(data.size()))
        return QString();
    const quint64 available = quint64(data.size()) - position;
    const int length = int(qMin<quint64>(quint64(count), available));
    const char* start = data.constData() + position;
    const void* nul = std::memchr(start, 0, size_t(length));
    const int used = nul ? int(static_cast<const char*>(nul) - start) : length;
    return QString::fromUtf8(start, used);
}

quint64 CWorkspaceLoader::readArray(const QByteArray& data, quint64 position, QVector<double>& values)
{
    if (readShort(data, position) != 1000)
        return position + 6;
    const qint32 count = qint32(readUInt(data, position + 6));
    if (readShort(data, position + 10) != 1001 || count < 1)
        return position + 16;
    const quint64 first = position + 16;
    // Only whole values the data really holds; a count beyond them is not trusted.
    const quint64 size = quint64(data.size());
    const quint64 held = first < size ? (size - first) / 8 : 0;
    const int n = int(qMin<quint64>(quint64(count), held));
    const int before = values.size();
    values.resize(before + n);
    if (n > 0)
        qFromLittleEndian<double>(data.constData() + first, n, values.data() + before);
    return first + 8 * quint64(quint32(count));
}

void CWorkspaceLoader::FixPavixRateCode(const QString& rate, double* secondsPerSample, int* rateIndex)
{
    struct Row
    {
        const char* pattern;
        bool needsSec;
        double seconds;
        int index;
    };
    // Tried in order: "100" must match before "10" and "1". A rate of ten samples a second
    // is 0.1 s, the interval of rate index 7.
    static const Row rows[] = {
        {"1 hour", false, 3600.0, 1}, {"30 min", false, 1800.0, 2}, {"10 min", false, 600.0, 3},
        {"1 min", false, 60.0, 4},    {"100,000", true, 0.00001, 14}, {"10,000", true, 0.0001, 13},
        {"1,000", true, 0.001, 12},   {"500", true, 0.002, 11},       {"100", true, 0.01, 10},
        {"50", true, 0.02, 9},        {"25", true, 0.04, 8},          {"10", true, 0.1, 7},
        {"1", true, 1.0, 6},
    };
    const bool hasSec = rate.contains(QLatin1String("sec"));
    for (const Row& row : rows) {
        if (rate.contains(QLatin1String(row.pattern)) && (!row.needsSec || hasSec)) {
            *secondsPerSample = row.seconds;
            *rateIndex = row.index;
            return;
        }
    }
    *secondsPerSample = 1.0;
    *rateIndex = 0;
}

int CWorkspaceLoader::loadWorkspaceFromPvxFile(QFile& file)
{
    return loadWorkspaceFromPvxFile_new(file);
}

int CWorkspaceLoader::loadWorkspaceFromPvxFile_new(QFile& file)
{
    file.seek(0);
    return loadPvxData(file.readAll());
}

int CWorkspaceLoader::loadPvxData(const QByteArray& data)
{
    m_bAborted = false;
    if (data.isEmpty() || readShort(data, 0) != 0)
        return WorkspaceUnreadable;
    if (readShort(data, 6) != 4) {
        if (m_pHost)
            m_pHost->Warn(QStringLiteral("Pavix"),
                          tr("Sorry, this file is not supported by your version of Pavix.\r\n Try upgrading to the "
                             "most recent version of Pavix and try again"));
        return WorkspaceCancelled;
    }
    return loadPvxFileVersion_TLV(data, 8);
}

quint64 CWorkspaceLoader::pvxRecord(const QByteArray& data, quint64 position, PvxState& state)
{
    const qint16 tag = readShort(data, position);
    const quint64 length = readUInt(data, position + 2);
    const quint64 textEnd = position + 6 + length;
    const auto text = [&]() { return readStringWByteLength(int(qint32(quint32(length - 4))), data, position + 10); };
    CDataBranch* branch = state.branch;
    switch (tag) {
    case PvxFolder:
        state.folder = state.data ? state.data->CreateDataFolder() : nullptr;
        return position + 6;
    case PvxFolderName:
        if (state.folder) {
            state.folder->m_Name = text();
            state.data->NoteFolderName(*state.folder);
        }
        return textEnd;
    case PvxBranch:
        if (state.folder && state.data) {
            const int key = state.data->CreateDataBranch(-1, -1.0, -1, -1, state.folder->m_Key);
            state.folder->AddBranchKey(key);
            state.branch = state.data->GetDataBranch(key);
        }
        return position + 6;
    case PvxBranchName:
        if (branch)
            branch->m_Name = text();
        return textEnd;
    case PvxRateText:
        if (branch)
            FixPavixRateCode(text(), &branch->m_Interval, &branch->m_RateCode);
        return textEnd;
    case PvxSensorId:
        if (branch)
            branch->m_IconVariant = int(readUInt(data, position + 6));
        return position + 10;
    case PvxUnitPrefix:
        if (branch)
            branch->m_UnitPrefix = readShort(data, position + 6);
        return position + 10;
    case PvxXValues:
    case PvxYValues: {
        QVector<double> values;
        const quint64 next = readArray(data, position + 6, values);
        if (branch)
            tag == PvxXValues ? branch->AppendXValues(values.constData(), values.size())
                              : branch->AppendYValues(values.constData(), values.size());
        return next;
    }
    case 808:
    case 809:
        return position + 14;
    case PvxUnit:
        if (branch)
            branch->m_Unit = text();
        return textEnd;
    case 811:
    case 1009:
        return position + 10;
    case 812:
        return position + 7;
    case PvxRateIndex:
        if (branch) {
            const qint32 index = qint32(readUInt(data, position + 6));
            branch->m_RateCode = index;
            branch->m_Interval = CGlobalTable::GlobalExperimentInterval(qint16(quint16(index)), 1).m_PeriodSec;
        }
        return position + 10;
    case PvxNotes:
        // Its length counts four bytes more than follow it: the text starts right after it.
        state.notes = readStringWByteLength(int(qint32(quint32(length - 4))), data, position + 6);
        return position + 2 + length;
    default:
        if (tag >= 1002 && tag <= 1007)
            return position + 6;
        return textEnd;
    }
}

int CWorkspaceLoader::loadPvxFileVersion_TLV(const QByteArray& data, unsigned int position)
{
    PvxState state;
    state.data = m_pHost ? m_pHost->GetDataManager() : nullptr;
    CDataFolder* lastFolder = nullptr;
    quint64 at = position;
    const quint64 size = quint64(data.size());
    while (at < size) {
        if (!reportProgress(qint64(at), qint64(size)))
            return WorkspaceAborted;
        at = pvxRecord(data, at, state);
        if (state.folder)
            lastFolder = state.folder;
    }
    // A record (its text, its array, its fixed fields) that reaches past the end of the data:
    // the file was cut, and what it held after that point is lost.
    if (at > size)
        return WorkspaceTruncated;
    if (lastFolder && m_pHost) {
        m_pHost->ShowGraphOfBranches(lastFolder->GetBranchKeys());
        m_pHost->ShowNotesWithText(state.notes);
    }
    return 0;
}
