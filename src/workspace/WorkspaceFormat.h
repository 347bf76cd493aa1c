#pragma once
// Names and tags of the workspace file shared by the saver, the loader and the window records.
#include <QtGlobal>

extern const char* const s_dataFilePrefix;      // "korvanta data"
extern const char* const s_dataFileSuffix;      // "kvb"
extern const char* const s_PavixDataFileSuffix; // "pvx", the older format
extern const char* const s_fileFormat;          // the magic text of header tag 1

// Top-level tags of a workspace file. Window records begin with their tag (written by the
// saver) and end with the matching end tag (written by the window's own writer).
enum WorkspaceTag : quint16 {
    TagTestText = 0,
    TagMagic = 1,
    TagZeros1 = 2,
    TagZeros2 = 3,
    TagSaveDate = 5,
    TagSaveTime = 6,
    TagComment = 7,
    TagDataFolder = 10,
    TagDataBranch = 12,
    TagGraphWindow = 1105,
    TagGraphWindowEnd = 1106,
    TagTableWindow = 1107,
    TagTableWindowEnd = 1108,
    TagNotesWindow = 1109,
    TagNotesWindowEnd = 1110,
    TagVideoWindow = 1111,
    TagVideoWindowEnd = 1112,
    TagHistoryWindow = 1115,
    TagFullSetupWindow = 1117,
    TagMinimalSetupWindow = 1119,
};

// Results of the saver and the loader.
enum WorkspaceResult {
    WorkspaceOk = 0,
    WorkspaceCancelled = -1,     // no file chosen (or the older import refused the file)
    WorkspaceOpenFailed = -2,    // the file could not be opened
    WorkspaceNotWorkspace = -3,  // loading: the magic text differs
    WorkspaceTruncated = -4,     // loading: the file ended inside a record
    WorkspaceUnreadable = -7,    // loading: the file is empty, holds no workspace, or a record in it cannot be read
    WorkspaceWriteFailed = -9,   // saving: the file could not be written whole; the old one stays
    WorkspaceAborted = -10,      // loading: the user stopped it
    WorkspaceRefused = -11,      // loading: the older import refused the file and told the user why
};

// Whether a path names a file of the older format, or a workspace file, by the file name's own
// suffix in any case (never by text elsewhere in the path).
bool IsOlderWorkspacePath(const QString& path);
bool IsWorkspacePath(const QString& path);
