#include "workspace/WorkspaceFormat.h"

#include <QFileInfo>

const char* const s_dataFilePrefix = "korvanta data";
const char* const s_dataFileSuffix = "kvb";
const char* const s_PavixDataFileSuffix = "pvx";
const char* const s_fileFormat = "KORVANTA4 FILE";

bool IsOlderWorkspacePath(const QString& path)
{
    // The suffix, not any ".pvx" inside the path: a folder named "x.pvx" holds ordinary
    // workspace files too.
    return QFileInfo(path).suffix().compare(QLatin1String(s_PavixDataFileSuffix), Qt::CaseInsensitive) == 0;
}
