// The full setup window asks its questions through its host's prompter, and hands that prompter
// to its cells and their dialogs: a host that answers for its windows sees every question, the
// shell's prompter none.
#include "common/ScriptedPrompter.h"
#include "support/SetupRig.h"

#include "windowbase/ChildWindowHost.h"
#include "Core/Data/SensorInfo.h"
#include "setup/DropCounterCalibration.h"
#include "setup/FullSetupWindow.h"
#include "setup/SetupColumns.h"
#include "setup/TriggerCalibrateColumns.h"

#include <QLineEdit>
#include <QPushButton>
#include "common/TestMain.h"

namespace {
// A window area that hosts its child windows with a prompter of its own.
class CPromptingArea : public QMdiArea, public IChildWindowHost
{
public:
    bool AlignToGrid() const override { return false; }
    IPrompter* GetPrompter() const override { return m_pOwn; }
    IPrompter* m_pOwn = nullptr;
};
} // namespace

class TestSetupPrompting : public QObject
{
    Q_OBJECT
private slots:
    void cellsAndDialogsAskTheHost();
};

void TestSetupPrompting::cellsAndDialogsAskTheHost()
{
    CScriptedPrompter own(false);
    CFakeSetupHostOn<CPromptingArea> host;
    host.m_pOwn = &own;
    CScriptedPrompter shell;

    // Channel 0: a sensor that takes a trigger and a two-point calibration; channel 1: a drop
    // counter, whose calibration is the drop volume.
    const CSensorInfo& catalogue = host.m_Logic.m_SensorInfo;
    int sensor = -1;
    for (int i = 1; i < CSensorInfo::s_NumOfSensors && sensor < 0; ++i) {
        const CSensorParametersInfo& s = catalogue.m_Sensors[i];
        if (!s.m_HiddenSensor && s.m_TriggerAllowed && s.m_CalibrationKind != 0 && !CSensorInfo::IsISEIndex(i)
            && i != 33)
            sensor = i;
    }
    QVERIFY(sensor > 0);
    host.plugLogger(70.0);
    CSetupWindow& controller = *host.m_pController;
    controller.initWindow();
    controller.loggerConnected(true);
    host.setStatus({sensor, 33});
    controller.displaySetupWindow(1);
    controller.updateSetupWindow(1);
    CFullSetupWindow& window = *controller.fullSetupWindow();

    auto* colour = window.cell<FullSetupColorSelection>(0, CFullSetupWindow::ColorColumn);
    auto* trigger = window.cell<FullSetupTriggerColumn>(0, CFullSetupWindow::TriggerColumn);
    auto* calibrate = window.cell<FullSetupCalibrateColumn>(0, CFullSetupWindow::CalibrateColumn);
    auto* drops = window.cell<FullSetupCalibrateColumn>(1, CFullSetupWindow::CalibrateColumn);
    QVERIFY(colour && trigger && calibrate && drops);
    colour->button()->click();
    trigger->setButton()->click();
    calibrate->setButton()->click();
    drops->setButton()->click();
    drops->dropCounterDialog()->form()->VolumeLineEdit->setText("0");
    drops->dropCounterDialog()->form()->okButton->click();

    QCOMPARE(own.m_Log.size(), 5);
    QVERIFY2(own.m_Log.at(0).startsWith("color|"), qPrintable(own.m_Log.at(0)));
    QCOMPARE(own.m_Log.mid(1), (QStringList{"dialog|TriggerDialog", "dialog|CalibrationDialog",
                                            "dialog|DropCounterCalibration", "warn|Pavix|Invalid input"}));
    QCOMPARE(shell.m_Log, QStringList());
}

KORVANTA_TEST_MAIN(TestSetupPrompting)
#include "tst_setup_prompting.moc"
