#pragma once
// A window manager as the workspace files see it: a real data store, scripted file choices and
// windows that are plain records.
#include "Core/Data/DataManager.h"
#include "workspace/WorkspaceFormat.h"
#include "workspace/WorkspaceHost.h"

#include <QDataStream>
#include <QStringList>

class CFakeWorkspaceHost : public IWorkspaceHost
{
public:
    CDataManager m_Data;
    QString m_Folder;
    QString m_SaveAnswer;
    QString m_OpenAnswer;
    QStringList m_Log;
    // Windows to save: each writes its tag's end tag after one int.
    QVector<quint16> m_Windows;
    // Windows read back: the tag and the int each held.
    QVector<QPair<quint16, qint32>> m_Loaded;
    QVector<int> m_GraphKeys;
    QString m_Notes;

    CDataManager* GetDataManager() const override { return const_cast<CDataManager*>(&m_Data); }
    QString WorkspaceFolder() override { return m_Folder; }
    QString ChooseSaveFile(const QString& title, const QString& start, const QString& filter) override
    {
        m_Log << "save|" + title + "|" + start + "|" + filter;
        return m_SaveAnswer;
    }
    QString ChooseOpenFile(const QString& title, const QString& start, const QString& filter) override
    {
        m_Log << "open|" + title + "|" + start + "|" + filter;
        return m_OpenAnswer;
    }
    void Warn(const QString& title, const QString& text) override { m_Log << "warn|" + title + "|" + text; }
    void ClearForLoad() override
    {
        m_Log << "clear";
        m_Data.ClearAllData();
    }
    QVector<SavedWindow> WindowsToSave() override
    {
        QVector<SavedWindow> out;
        for (quint16 tag : m_Windows) {
            SavedWindow w;
            w.tag = tag;
            w.save = [tag](QDataStream* s) {
                *s << qint16(1) << qint32(tag * 10) << qint16(tag + 1);
                return 0;
            };
            out << w;
        }
        return out;
    }
    int LoadWindowRecord(quint16 tag, QDataStream* in, bool* handled) override
    {
        *handled = tag == TagGraphWindow || tag == TagTableWindow || tag == TagNotesWindow;
        if (!*handled)
            return 0;
        qint32 value = -1;
        while (!in->atEnd()) {
            quint16 t = 0;
            *in >> t;
            if (t == 1)
                *in >> value;
            else if (t == tag + 1) {
                m_Loaded.append({tag, value});
                return 0;
            }
        }
        m_Loaded.append({tag, value});
        return WorkspaceTruncated;
    }
    void ShowGraphOfBranches(const QVector<int>& keys) override { m_GraphKeys = keys; }
    void ShowNotesWithText(const QString& text) override { m_Notes = text; }
};
