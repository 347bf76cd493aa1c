#include "platform/PortEnumerator.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSerialPortInfo>
#include <QTimer>
#include <QtConcurrent>

namespace {

Q_LOGGING_CATEGORY(lcPorts, "korvanta.serial", QtInfoMsg)

const int s_portInfoType = qRegisterMetaType<CPortInfo>("CPortInfo");

int indexOfName(const QList<CPortInfo>& ports, const QString& name)
{
    for (int i = 0; i < ports.size(); ++i)
        if (ports.at(i).portName == name) return i;
    return -1;
}

bool parseHexId(const QString& text, quint16* out)
{
    QString digits = text.trimmed();
    if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) digits = digits.mid(2);
    if (digits.isEmpty() || digits.size() > 4) return false;
    bool ok = false;
    const uint value = digits.toUInt(&ok, 16);
    if (!ok || value > 0xFFFF) return false;
    *out = quint16(value);
    return true;
}

} // namespace

// ---- IPortEnumerator

IPortEnumerator::IPortEnumerator(QObject* parent) : QObject(parent)
{
    Q_UNUSED(s_portInfoType);
}

bool IPortEnumerator::isBluetoothName(const QString& portName)
{
    return portName.contains(QLatin1String("rfcomm"), Qt::CaseInsensitive);
}

void IPortEnumerator::diffPorts(const QList<CPortInfo>& before, const QList<CPortInfo>& now,
                                QList<CPortInfo>* arrived, QList<CPortInfo>* removed)
{
    for (const CPortInfo& old : before) {
        const int at = indexOfName(now, old.portName);
        if (at < 0 || now.at(at) != old) removed->append(old);
    }
    for (const CPortInfo& port : now) {
        const int at = indexOfName(before, port.portName);
        if (at < 0 || before.at(at) != port) arrived->append(port);
    }
}

void IPortEnumerator::publish(const QList<CPortInfo>& now)
{
    QList<CPortInfo> arrived;
    QList<CPortInfo> removed;
    diffPorts(m_lastPorts, now, &arrived, &removed);
    m_lastPorts = now;
    // Removals first, so a port that changed identity is gone before it comes back.
    for (const CPortInfo& port : qAsConst(removed)) emit deviceRemoved(port);
    for (const CPortInfo& port : qAsConst(arrived)) emit deviceDiscovered(port);
}

// ---- CSerialPortEnumerator

CSerialPortEnumerator::CSerialPortEnumerator(const QString& extraPorts, QObject* parent) : IPortEnumerator(parent)
{
    const QString text = extraPorts.isNull() ? qEnvironmentVariable("KORVANTA_EXTRA_PORTS") : extraPorts;
    QStringList errors;
    m_extraPorts = parseExtraPorts(text, &errors);
    for (const QString& error : qAsConst(errors)) qCWarning(lcPorts).noquote() << "KORVANTA_EXTRA_PORTS:" << error;
    connect(&m_ListingWatch, &QFutureWatcher<QList<CPortInfo>>::finished, this,
            &CSerialPortEnumerator::backgroundListed);
}

CSerialPortEnumerator::~CSerialPortEnumerator()
{
    // The pool thread reads this object's settings.
    m_ListingWatch.waitForFinished();
}

QList<CPortInfo> CSerialPortEnumerator::parseExtraPorts(const QString& text, QStringList* errors)
{
    QList<CPortInfo> ports;
    const QStringList entries = text.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString& raw : entries) {
        const QString entry = raw.trimmed();
        if (entry.isEmpty()) continue;
        // The ids are the last two fields; the path keeps any colon of its own.
        const int pidColon = entry.lastIndexOf(QLatin1Char(':'));
        const int vidColon = pidColon > 0 ? entry.lastIndexOf(QLatin1Char(':'), pidColon - 1) : -1;
        CPortInfo port;
        if (vidColon < 1 || !parseHexId(entry.mid(vidColon + 1, pidColon - vidColon - 1), &port.vendorID) ||
            !parseHexId(entry.mid(pidColon + 1), &port.productID)) {
            if (errors) errors->append(QStringLiteral("\"%1\" is not path:vid:pid with hexadecimal ids").arg(entry));
            continue;
        }
        port.portName = entry.left(vidColon);
        port.friendName = QStringLiteral("Extra port");
        port.enumName = QStringLiteral("extra");
        port.bluetooth = isBluetoothName(port.portName);
        if (indexOfName(ports, port.portName) < 0) ports.append(port);
    }
    return ports;
}

QList<CPortInfo> CSerialPortEnumerator::getPorts()
{
    QList<CPortInfo> ports;
    const QList<QSerialPortInfo> infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : infos) {
        CPortInfo port;
        port.portName = info.systemLocation();
        port.friendName = info.description();
        port.vendorID = info.hasVendorIdentifier() ? info.vendorIdentifier() : 0;
        port.productID = info.hasProductIdentifier() ? info.productIdentifier() : 0;
        port.bluetooth = isBluetoothName(port.portName);
        port.enumName = port.bluetooth ? QStringLiteral("bluetooth") : QStringLiteral("usb");
        ports.append(port);
    }
    // rfcomm links have no device behind them in sysfs, so the serial-port scan may skip them.
    const QStringList links = QDir(m_deviceDir).entryList({QStringLiteral("rfcomm*")}, QDir::System | QDir::Files);
    for (const QString& name : links) {
        const QString path = QDir(m_deviceDir).filePath(name);
        if (indexOfName(ports, path) >= 0) continue;
        CPortInfo port;
        port.portName = path;
        port.friendName = QStringLiteral("Bluetooth serial link");
        port.enumName = QStringLiteral("bluetooth");
        port.bluetooth = true;
        ports.append(port);
    }
    // Extra ports come and go with their device node (a simulator that stops or unplugs).
    for (const CPortInfo& extra : qAsConst(m_extraPorts)) {
        if (indexOfName(ports, extra.portName) >= 0 || !QFileInfo::exists(extra.portName)) continue;
        ports.append(extra);
    }
    return ports;
}

void CSerialPortEnumerator::setUpNotifications(bool on)
{
    if (!on) {
        if (m_pTimer) m_pTimer->stop();
        m_bListingTaken = true;   // a list still under way is of no use now
        m_bBaselinePending = false;
        return;
    }
    if (!m_pTimer) {
        m_pTimer = new QTimer(this);
        m_pTimer->setInterval(kPollMs);
        connect(m_pTimer, &QTimer::timeout, this, &CSerialPortEnumerator::listInBackground);
    }
    if (m_pTimer->isActive()) return;
    m_bBaselinePending = true;
    listInBackground();
    m_pTimer->start();
}

void CSerialPortEnumerator::listInBackground()
{
    if (m_ListingWatch.isRunning())
        return;   // the one under way answers this tick too
    m_bListingTaken = false;
    m_ListingWatch.setFuture(QtConcurrent::run([this] { return getPorts(); }));
}

void CSerialPortEnumerator::backgroundListed()
{
    if (m_bListingTaken)
        return;
    m_bListingTaken = true;
    take(m_ListingWatch.result());
}

void CSerialPortEnumerator::take(const QList<CPortInfo>& ports)
{
    if (m_bBaselinePending) {
        m_bBaselinePending = false;
        m_lastPorts = ports;
        return;
    }
    publish(ports);
}

void CSerialPortEnumerator::poll()
{
    if (!m_bListingTaken) {
        m_ListingWatch.waitForFinished();
        m_bListingTaken = true;
        take(m_ListingWatch.result());
    }
    take(getPorts());
}
