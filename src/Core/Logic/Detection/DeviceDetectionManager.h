#pragma once
// Keeps the logic manager's view of the loggers in step with the serial devices coming and
// going: a logger plugged in starts detection, a logger pulled out is closed and announced as
// disconnected (ending a run in progress), and around a Pelorin firmware update the logger that
// restarted in its boot-loader is reopened and, once the new firmware runs, reconnected.
#include "platform/PortEnumerator.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class ILoggerFace;
class ILogicServices;

class CDeviceDetectionManager : public QObject
{
    Q_OBJECT
public:
    static constexpr int ConnectionTimeoutMs = 75000;
    // The longest each wait of a Pelorin firmware update may last before the update is given
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
    bool IsDetected() const { return m_bDetected; }
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

    static bool IsDravletDevice(const CPortInfo& info);
    static bool IsPelorinUsbDevice(const CPortInfo& info);
    static bool IsPelorinOnPlug(const CPortInfo& info);
    static bool IsPelorinOnUnplug(const CPortInfo& info);
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
    void pelorinPlugged(const CPortInfo& info);
    void bootLoaderPlugged(const CPortInfo& info);
    // silent: the logger stopped answering rather than left the bus.
    void dravletUnplugged(bool silent = false);
    void pelorinUnplugged(const CPortInfo& info, bool silent = false);
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
    // The Pelorin port last handled as unplugged while connected.
    QString m_LostPelorinPort;
    double m_WaitScale = 1.0;
};
