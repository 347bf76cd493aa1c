// Workspace files read from arbitrary bytes: the first byte picks the current format (the
// top-level reader with folders, branches and a passed-over video record) or the older
// format's import. Any result is acceptable except a crash, a hang or a runaway allocation.
#include "Core/Data/DataManager.h"
#include "workspace/WorkspaceHost.h"
#include "workspace/WorkspaceLoader.h"
#include "workspace/WorkspaceVideo.h"

#include <QByteArray>
#include <QDataStream>
#include <cstddef>
#include <cstdint>

namespace {

class CFuzzHost : public IWorkspaceHost
{
public:
    CDataManager m_Data;
    CDataManager* GetDataManager() const override { return const_cast<CDataManager*>(&m_Data); }
    QString WorkspaceFolder() override { return QString(); }
    QString ChooseSaveFile(const QString&, const QString&, const QString&) override { return QString(); }
    QString ChooseOpenFile(const QString&, const QString&, const QString&) override { return QString(); }
    void Warn(const QString&, const QString&) override {}
    void ClearForLoad() override { m_Data.ClearAllData(); }
    QVector<SavedWindow> WindowsToSave() override { return {}; }
    int LoadWindowRecord(quint16 tag, QDataStream* stream, bool* handled) override
    {
        *handled = tag == 1111;
        return *handled ? SkipVideoRecord(*stream) : 0;
    }
    void ShowGraphOfBranches(const QVector<int>& keys) override { m_Keys = keys.size(); }
    void ShowNotesWithText(const QString& text) override { m_Notes = text.size(); }
    int m_Keys = 0;
    int m_Notes = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 1 << 20)
        return 0;
    static CFuzzHost* host = new CFuzzHost;
    static CWorkspaceLoader* loader = [] {
        auto* l = new CWorkspaceLoader;
        l->SetHost(host);
        return l;
    }();
    host->ClearForLoad();
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data + 1), int(size - 1));
    if (data[0] & 1) {
        loader->loadPvxData(bytes);
    } else {
        QDataStream in(bytes);
        loader->loadWorkspaceFromStream(in);
    }
    return 0;
}
