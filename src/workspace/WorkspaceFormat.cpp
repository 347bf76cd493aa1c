#include "workspace/WorkspaceFormat.h"

#include <QFileInfo>

const char* const s_dataFilePrefix = "korvanta data";
const char* const s_dataFileSuffix = "kvb";
const char* const s_PavixDataFileSuffix = "pvx";
const char* const s_fileFormat = "KORVANTA4 FILE";

namespace {
bool hasSuffix(const QString& path, const char* suffix)
{
    // The suffix, not the text anywhere in the path: a folder named "x.pvx" or "kvb-lessons"
    // holds files of any kind.
    return QFileInfo(path).suffix().compare(QLatin1String(suffix), Qt::CaseInsensitive) == 0;
}
} // namespace

bool IsOlderWorkspacePath(const QString& path)
{
    return hasSuffix(path, s_PavixDataFileSuffix);
}

bool IsWorkspacePath(const QString& path)
{
    return hasSuffix(path, s_dataFileSuffix);
}
