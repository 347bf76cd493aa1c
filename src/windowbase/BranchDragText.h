#pragma once
// The drag text in which data folders and branches travel from the data tree (and a table's
// header) to the table, graph and video-analysis windows: the folder's name, then branch keys
// in decimal, joined by ",". Readers skip the name and look every key up.
#include <QList>
#include <QString>

class CDataManager;

// The folder name as the first element: a comma in it would read as one more element, so it
// is written as a look-alike that is not a separator.
QString BranchDragFolderElement(const QString& folderName);
QString BuildBranchDragText(const QString& folderName, const QList<int>& keys);
// The keys of a drag text: element 0 is skipped; an element that is not a plain decimal
// integer >= 0 is passed over. The keys still have to be looked up: nothing here says a
// branch has them.
QList<int> ParseBranchDragKeys(const QString& text);
// A branch's key followed by the keys of every branch derived from it, in pre-order.
QList<int> BranchDragKeys(const CDataManager* data, int branchKey);
// The keys of a folder's branches, each followed by its derived branches.
QList<int> FolderDragKeys(const CDataManager* data, int folderKey);
// The order in which a branch and everything derived from it are deleted: each branch after
// every branch derived from it, the last child first. Each key once, even in a damaged store
// whose child lists loop.
QList<int> BranchDeletionOrder(const CDataManager* data, int branchKey);
