#pragma once
// Serial-port enumeration: the list of serial ports with their USB ids, and notifications
// when a port arrives or goes away.
//
// IPortEnumerator is what device detection talks to. CSerialPortEnumerator is the real one:
// QSerialPortInfo for USB serial devices, /dev/rfcomm* for Bluetooth serial links (recognised
// by name), and the ports named in KORVANTA_EXTRA_PORTS; arrivals and removals come from
// comparing the list about once a second. CTestPortEnumerator (TestPortEnumerator.h) gives
// chosen ports and raises arrivals and removals on demand.
#include <QFutureWatcher>
#include <QList>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <QStringList>

class QTimer;

struct CPortInfo
{
    QString portName;      // the device path to open ("/dev/ttyACM0", "/dev/rfcomm0", "/dev/pts/5")
    QString friendName;    // description reported by the system, may be empty
    QString enumName;      // "usb", "bluetooth" or "extra" (from KORVANTA_EXTRA_PORTS)
    quint16 vendorID = 0;  // 0 when the port reports none
    quint16 productID = 0;
    bool bluetooth = false;

    bool operator==(const CPortInfo& o) const
    {
        return portName == o.portName && vendorID == o.vendorID && productID == o.productID &&
               bluetooth == o.bluetooth;
    }
    bool operator!=(const CPortInfo& o) const { return !(*this == o); }
};
Q_DECLARE_METATYPE(CPortInfo)

class IPortEnumerator : public QObject
{
    Q_OBJECT
public:
    explicit IPortEnumerator(QObject* parent = nullptr);
    ~IPortEnumerator() override = default;

    // The ports present now.
    virtual QList<CPortInfo> getPorts() = 0;
    // Starts (or stops) the arrival and removal notifications.
    virtual void setUpNotifications(bool on) = 0;

    // Reports a port as gone, as if it had been unplugged: for links that die silently (a
    // Bluetooth logger that stopped talking) so one unplug path handles every loss. May be
    // called from any thread; receivers in another thread connect with Qt::QueuedConnection.
    void reportRemoval(const CPortInfo& port) { emit deviceRemoved(port); }

    // Ports of `now` not in `before` (arrived) and of `before` not in `now` (removed), by port
    // name; a port whose ids changed counts as removed and arrived.
    static void diffPorts(const QList<CPortInfo>& before, const QList<CPortInfo>& now,
                          QList<CPortInfo>* arrived, QList<CPortInfo>* removed);
    // True for the names of Bluetooth serial links (rfcomm devices, any case).
    static bool isBluetoothName(const QString& portName);

signals:
    void deviceDiscovered(const CPortInfo& port);
    void deviceRemoved(const CPortInfo& port);

protected:
    // Diffs against the last list, emits the changes and keeps `now` as the last list.
    void publish(const QList<CPortInfo>& now);
    QList<CPortInfo> m_lastPorts;
};

class CSerialPortEnumerator : public IPortEnumerator
{
    Q_OBJECT
public:
    static constexpr int kPollMs = 1000;

    // extraPorts: entries "path:vid:pid" separated by commas, with vid and pid in hexadecimal
    // as lsusb prints them ("0483", "0x0483" and "483" all mean 0x0483), e.g.
    // "/dev/pts/5:0483:5740,/dev/pts/6:1f0c:1000". A null string reads KORVANTA_EXTRA_PORTS.
    explicit CSerialPortEnumerator(const QString& extraPorts = QString(), QObject* parent = nullptr);
    ~CSerialPortEnumerator() override;

    QList<CPortInfo> getPorts() override;
    void setUpNotifications(bool on) override;

    // Parses an extra-ports list; entries that do not parse are left out and described in
    // `errors`. Does not check that the paths exist.
    static QList<CPortInfo> parseExtraPorts(const QString& text, QStringList* errors = nullptr);
    // Where Bluetooth serial devices are looked for (a test may point it elsewhere).
    void setDeviceDir(const QString& dir) { m_deviceDir = dir; }

public slots:
    // One comparison with the previous list, listed here and now; a list still being taken in
    // the background is waited for and taken into account first.
    void poll();

private:
    // The timer's comparisons list the ports on a pool thread: listing takes milliseconds
    // (the system's device database), too long for the interface thread once a second.
    void listInBackground();
    void backgroundListed();
    // The first list after notifications start is what is there already: no arrival.
    void take(const QList<CPortInfo>& ports);

    QList<CPortInfo> m_extraPorts;
    QString m_deviceDir = QStringLiteral("/dev");
    QTimer* m_pTimer = nullptr;
    QFutureWatcher<QList<CPortInfo>> m_ListingWatch;
    bool m_bBaselinePending = false;
    bool m_bListingTaken = true;   // the background list was used (or dropped) already
};
