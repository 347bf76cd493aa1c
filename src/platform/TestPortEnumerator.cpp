#include "platform/TestPortEnumerator.h"

QList<CPortInfo> CTestPortEnumerator::getPorts()
{
    return m_lastPorts;
}

void CTestPortEnumerator::setPorts(const QList<CPortInfo>& ports)
{
    if (m_notify) publish(ports);
    else m_lastPorts = ports;
}

void CTestPortEnumerator::plug(const CPortInfo& port)
{
    QList<CPortInfo> ports = m_lastPorts;
    for (int i = ports.size() - 1; i >= 0; --i)
        if (ports.at(i).portName == port.portName) ports.removeAt(i);
    ports.append(port);
    setPorts(ports);
}

bool CTestPortEnumerator::unplug(const QString& portName)
{
    QList<CPortInfo> ports = m_lastPorts;
    bool found = false;
    for (int i = ports.size() - 1; i >= 0; --i) {
        if (ports.at(i).portName == portName) {
            ports.removeAt(i);
            found = true;
        }
    }
    if (found) setPorts(ports);
    return found;
}

CPortInfo CTestPortEnumerator::makePort(const QString& path, quint16 vendorId, quint16 productId)
{
    CPortInfo port;
    port.portName = path;
    port.vendorID = vendorId;
    port.productID = productId;
    port.bluetooth = isBluetoothName(path);
    port.enumName = port.bluetooth ? QStringLiteral("bluetooth") : QStringLiteral("test");
    port.friendName = QStringLiteral("Test port");
    return port;
}
