#pragma once
// CTestPortEnumerator: a port enumerator for tests and the simulator. It lists the ports it
// is given and raises arrivals and removals when told to, synchronously, from the calling
// thread.
#include "platform/PortEnumerator.h"

class CTestPortEnumerator : public IPortEnumerator
{
    Q_OBJECT
public:
    explicit CTestPortEnumerator(QObject* parent = nullptr) : IPortEnumerator(parent) {}

    QList<CPortInfo> getPorts() override;
    void setUpNotifications(bool on) override { m_notify = on; }
    bool notificationsOn() const { return m_notify; }

    // Replaces the list; with notifications on, raises the differences.
    void setPorts(const QList<CPortInfo>& ports);
    // Adds a port (replacing one of the same name) and raises its arrival.
    void plug(const CPortInfo& port);
    // Removes the port of that name and raises its removal; false when there is none.
    bool unplug(const QString& portName);

    // A port with the given path and ids (Bluetooth when the name says rfcomm).
    static CPortInfo makePort(const QString& path, quint16 vendorId, quint16 productId);

private:
    bool m_notify = true;
};
