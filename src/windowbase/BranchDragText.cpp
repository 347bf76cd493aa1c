#include "windowbase/BranchDragText.h"

#include "Core/Data/DataBranch.h"
#include "Core/Data/DataManager.h"

#include <QSet>
#include <QStringList>
#include <QVector>

QString BranchDragFolderElement(const QString& folderName)
{
    QString name = folderName;
    name.replace(QLatin1Char(','), QChar(0x201A));
    return name;
}

QString BuildBranchDragText(const QString& folderName, const QList<int>& keys)
{
    QStringList parts;
    parts.reserve(keys.size() + 1);
    parts << BranchDragFolderElement(folderName);
    for (int key : keys)
        parts << QString::number(key);
    return parts.join(QLatin1Char(','));
}

QList<int> ParseBranchDragKeys(const QString& text)
{
    QList<int> keys;
    const QStringList parts = text.split(QLatin1Char(','), Qt::KeepEmptyParts);
    for (int i = 1; i < parts.size(); ++i) {
        const QString& part = parts.at(i);
        // Plain digits only: no sign, no blanks, no exponent.
        if (part.isEmpty() || part.size() > 10)
            continue;
        bool digits = true;
        for (QChar ch : part)
            digits = digits && ch >= QLatin1Char('0') && ch <= QLatin1Char('9');
        bool ok = false;
        const qint64 key = digits ? part.toLongLong(&ok) : -1;
        if (ok && key >= 0 && key <= MaxDataKey)
            keys.append(int(key));
    }
    return keys;
}

QList<int> BranchDragKeys(const CDataManager* data, int branchKey)
{
    QList<int> keys;
    CDataBranch* branch = data ? data->GetDataBranch(branchKey) : nullptr;
    if (!branch)
        return keys;
    keys.append(branchKey);
    data->GetAllBranchChildren(branch, keys);
    return keys;
}

QList<int> FolderDragKeys(const CDataManager* data, int folderKey)
{
    QList<int> keys;
    if (data && data->GetDataFolder(folderKey))
        data->GetAllFolderAssociatedKeys(folderKey, keys);
    return keys;
}

QList<int> BranchDeletionOrder(const CDataManager* data, int branchKey)
{
    QList<int> order;
    if (!data || !data->GetDataBranch(branchKey))
        return order;
    // Depth first without recursion; a branch is emitted once all of its children are.
    struct Frame
    {
        int key;
        QVector<int> children;
        int next;
    };
    QSet<int> seen{branchKey};
    QVector<Frame> stack;
    auto push = [&](int key) {
        CDataBranch* branch = data->GetDataBranch(key);
        QVector<int> children = branch ? branch->m_ChildKeys.Snapshot() : QVector<int>();
        stack.append({key, children, children.size() - 1});
    };
    push(branchKey);
    while (!stack.isEmpty()) {
        Frame& top = stack.last();
        if (top.next < 0) {
            order.append(top.key);
            stack.removeLast();
            continue;
        }
        const int child = top.children.at(top.next--);
        if (seen.contains(child) || !data->GetDataBranch(child))
            continue;
        seen.insert(child);
        push(child);
    }
    return order;
}
