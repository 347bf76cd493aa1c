#pragma once
// Keeps the logic manager's view of the loggers in step with the serial devices coming and
// going: a device arriving or leaving goes to the face of the logger that claims it, which takes
// it up in its own way (a search, or the steps of a firmware update under way) or lets the
// logger go; this announces the loss (ending a run in progress), tells the user, and watches a
// firmware update's waits until the logger is back with its new firmware.
#include "Core/Logic/LoggerFace.h"
#include "platform/PortEnumerator.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class ILogicServices;

class CDeviceDetectionManager : public QObject, private ILoggerPlugs
{
    Q_OBJECT
public:
    static constexpr int ConnectionTimeoutMs = 75000;
    // The longest each wait of a firmware update may last before the update is given
    // up: the answer to the request to enter the boot-loader, the boot-loader coming back as a
    // device and asking for the file, each block's acknowledgement, the result after the last.
    static constexpr int FirmwareEnterReplyMs = 5000;
    static constexpr int FirmwareBootLoaderMs = 30000;
    static constexpr int FirmwareBlockAckMs = 5000;
    static constexpr int FirmwareLeaveReplyMs = 10000;

    // enumerator: the serial-device list and its notifications; null for the platform's own.
    CDeviceDetectionManager(ILogicServices* logic, QObject* parent = nullptr, IPortEnumerator* enumerator = nullptr);
    ~CDeviceDetectionManager() override;

    IPortEnumerator* Enumerator() const { return m_pEnumerator; }
    bool IsDetected() const override { return m_bDetected; }
    bool IsConnectionTimerActive() const { return m_ConnectionTimer.isActive(); }

    void FwProgTick(int percent, QString text);
    void btDisconnectMessage();
    // A logger pulled out during a run: the run ended there, and what came before is stored.
    void runLostMessage();
    // The connected logger stopped answering while idle: it is handled as unplugged (closed,
    // announced as gone, its setup held for its return), then the hub's LoggerStoppedAnswering
    // offers to connect again. Its port stays listed, so nothing looks for it by itself.
    void LoggerStoppedAnswering();
    static int GetPortNumer(QString name);
    // The pauses of the boot-loader reconnection (tests shorten them).
    void SetPlugWaitScale(double scale) { m_WaitScale = scale; }
    // The firmware update's waits (tests shorten them).
    void SetFirmwareWaitScale(double scale) { m_FirmwareWaitScale = scale; }
    // A firmware update was asked for: its waits are watched until it ends.
    void WatchFirmwareUpdate();
    bool IsWatchingFirmware() const { return m_FirmwareWatch.isActive(); }
    // From the update command until the logger is back with its new firmware or the update is
    // given up, disconnections included: the logger leaves and comes back twice on the way.
    bool IsUpdateUnderWay() const { return m_bUpdateUnderWay; }
    // The new firmware is written and the program waits for the logger to come back with it
    // (up to ConnectionTimeoutMs). The user may give that wait up: the search stops, nothing is
    // reported of it, and the logger is found again by a plug or by Connect.
    bool IsWaitingForUpdatedLogger() const;
    void StopWaitingForUpdatedLogger();

    // The diagnostic line an unplugged device writes to the error output.
    static QString DeviceUnplugLine(const CPortInfo& info);

public slots:
    void DevicePluged(const CPortInfo& info);
    void DeviceUnPluged(const CPortInfo& info);
    void ConnectionTimeOut();
    void LoggerEndDetection(bool isDetected);

private:
    // The live face of the logger whose firmware this program updates; null when none.
    ILoggerFace* updatingFace() const;
    // ---- what the loggers' faces are given (ILoggerPlugs)
    ILogicServices& Logic() override { return *m_pLogic; }
    void SetDetected(bool detected) override { m_bDetected = detected; }
    void Wait(int ms) override { wait(ms); }
    void StartReturnWait() override { m_ConnectionTimer.start(); }
    std::function<void()> AfterRelease(bool announceRunEnd, LossNotice notice) override;

    void stoppedAnsweringNotice();
    void announceDisconnection(bool wasRunning);
    void wait(int ms);
    void firmwareWatchTick();
    void firmwareUpdateFailed();
    void upgradeProblemMessage();

    QTimer m_ConnectionTimer;
    QTimer m_FirmwareWatch;
    double m_FirmwareWaitScale = 1.0;
    ILogicServices* m_pLogic;
    std::unique_ptr<IPortEnumerator> m_OwnEnumerator;
    IPortEnumerator* m_pEnumerator = nullptr;
    bool m_bDetected = false;
    bool m_bUpdateUnderWay = false;
    double m_WaitScale = 1.0;
};
