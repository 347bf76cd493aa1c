// The shell's share of the online upload: the login command opens the dialog, the upload
// command sends the current graph's series or says there are none, and the run control
// starts, ends and stops the live upload. The upload service is a scripted one.
#include "Core/Base/KorvantaSignals.h"
#include "windowbase/KorvantaWindow.h"
#include "app/shell/HistoryWindow.h"
#include "app/shell/ShellServices.h"
#include "support/ShellRig.h"

#include "common/TestMain.h"

namespace {

class CScriptedUpload : public IUploadService
{
public:
    bool IsLoggedIn() override { return m_bLoggedIn; }
    bool IsUploading() override { return false; }
    bool IsLiveUpload() override { return m_bLive; }
    void SetLiveUpload(bool on) override { m_bLive = on; }
    void StopUploading() override { m_Log << "stop"; }
    void StartUploadOffLineExp(QList<int>* keys) override { m_Log << "stored " + text(*keys); }
    void StartUploadOnLineExp(QList<int>& keys) override { m_Log << "live " + text(keys); }
    void FinishUploadOnLineExp() override { m_Log << "finish"; }
    void RunLoginDialog(QWidget* parent) override
    {
        m_Log << "dialog";
        m_pDialogParent = parent;
    }

    static QString text(const QList<int>& keys)
    {
        QStringList parts;
        for (int k : keys)
            parts << QString::number(k);
        return parts.join(',');
    }

    QStringList m_Log;
    QWidget* m_pDialogParent = nullptr;
    bool m_bLoggedIn = false;
    bool m_bLive = false;
};

// A graph window as the upload command sees it: a list of plot keys.
class CPlotWindow : public CKorvantaWindow
{
public:
    explicit CPlotWindow(QWidget* parent) : CKorvantaWindow(parent, Qt::SubWindow) {}
    void GetPlotKeys(QList<int>* keys) override
    {
        if (!keys)
            return;
        keys->clear();
        keys->append(m_Keys);
    }
    QList<int> m_Keys;
};

} // namespace

class TestUploadShell : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void loginCommandRunsTheDialogOverTheArea();
    void uploadCommandSendsTheCurrentGraphsSeries();
    void runControlDrivesTheLiveUpload();
    void liveSwitchOnlyWhileLoggedIn();
};

void TestUploadShell::loginCommandRunsTheDialogOverTheArea()
{
    CShellRig rig;
    CScriptedUpload upload;
    rig.manager.onEnableTerravox(); // no service: nothing
    rig.manager.SetUploadService(&upload);
    rig.manager.onEnableTerravox();
    QCOMPARE(upload.m_Log, QStringList({"dialog"}));
    QCOMPARE(upload.m_pDialogParent, static_cast<QWidget*>(&rig.manager));
}

void TestUploadShell::uploadCommandSendsTheCurrentGraphsSeries()
{
    CShellRig rig;
    CScriptedUpload upload;
    rig.manager.SetUploadService(&upload);
    rig.manager.onUpload2Terravox();
    QCOMPARE(rig.prompter.boxes("warn crit"), QStringList({"Error|No plots"}));
    auto* graph = new CPlotWindow(&rig.manager);
    rig.manager.AddChildWindow(graph, CWindowsManager::GraphKind);
    rig.manager.onUpload2Terravox(); // a graph without plots
    QCOMPARE(rig.prompter.boxes("warn crit").size(), 2);
    QVERIFY(upload.m_Log.isEmpty());
    graph->m_Keys = {7, 3, 5};
    rig.manager.onUpload2Terravox();
    QCOMPARE(upload.m_Log, QStringList({"stored 7,3,5"}));
    QCOMPARE(rig.prompter.boxes("warn crit").size(), 2);
}

void TestUploadShell::runControlDrivesTheLiveUpload()
{
    CShellRig rig;
    CScriptedUpload upload;
    rig.manager.SetUploadService(&upload);
    rig.manager.GetHistoryWindow()->SetDataManager(&rig.logic.m_DataManager);
    rig.hub().SignalLoggerEndDtetection(true);
    CDataManager& data = rig.logic.m_DataManager;
    CDataFolder* older = data.CreateDataFolder();
    older->AddBranchKey(data.CreateDataBranch(-1, 1.0, 0, 0, older->m_Key));
    CDataFolder* run = data.CreateDataFolder();
    const int a = data.CreateDataBranch(-1, 1.0, 0, 0, run->m_Key);
    const int b = data.CreateDataBranch(-1, 1.0, 1, 0, run->m_Key);
    run->AddBranchKey(b);
    run->AddBranchKey(a);

    rig.hub().SignalLoggerStartedRun();
    // The newest run's series, in the folder's order, before the run control goes on.
    QCOMPARE(upload.m_Log, QStringList({"live " + CScriptedUpload::text({b, a})}));
    QCOMPARE(rig.state(), 4);
    rig.manager.OnRun(); // the user stops the run: the upload goes on to the run's end
    QCOMPARE(upload.m_Log.size(), 1);
    QCOMPARE(rig.state(), 2);
    rig.hub().SignalLoggerExperimentEnd();
    QCOMPARE(upload.m_Log.last(), QString("finish"));
    // An end while no logger is connected still finishes the live upload.
    rig.logic.m_pLoggers[0] = nullptr;
    rig.logic.m_pDetectedLogger = nullptr;
    rig.hub().SignalLoggerExperimentEnd();
    QCOMPARE(upload.m_Log, QStringList({"live " + CScriptedUpload::text({b, a}), "finish", "finish"}));
}

void TestUploadShell::liveSwitchOnlyWhileLoggedIn()
{
    CShellRig rig;
    CScriptedUpload upload;
    rig.manager.SetUploadService(&upload);
    rig.manager.onOnlineUpload2Terravox();
    QVERIFY(!upload.m_bLive);
    upload.m_bLoggedIn = true;
    rig.manager.onOnlineUpload2Terravox();
    QVERIFY(upload.m_bLive);
    rig.manager.onOnlineUpload2Terravox();
    QVERIFY(!upload.m_bLive);
}

KORVANTA_TEST_MAIN(TestUploadShell)
#include "tst_upload_shell.moc"
