#pragma once
// The Dravlet manager's host: the core host's setup, catalogue, data-store and logic-manager
// access, with what a live link needs on top. Hub signals of the logger threads reach the hub
// on the interface thread, in the order they happened; the port and the last event value are
// kept for the manager's several threads.
#include "Core/Logic/Dravlet/DravletCoreHost.h"
#include "Core/Logic/HubHandOver.h"

#include <QMutex>

#include <atomic>

class CDravletManagerHost : public CDravletCoreHost
{
public:
    // The manager is the interface's logger object; null leaves it to SetLogger.
    CDravletManagerHost(ILogicServices* logic, ILogger* manager);

    QString LastPort() override;
    bool LastPortKnown() override { return m_bLastPortKnown; }
    void SetLastPort(const QString& port) override;
    void SetLastPortKnown(bool known) override { m_bLastPortKnown = known; }
    int PreviousEventValue() override { return m_PreviousEvent; }
    void SetPreviousEventValue(int value) override { m_PreviousEvent = value; }

    void Announce(DravletEvent event, int arg = 0) override;

private:
    CHubHandOver m_HubHandOver;
    QMutex m_PortLock;
    QString m_LastPort;
    std::atomic<bool> m_bLastPortKnown{false};
    std::atomic<int> m_PreviousEvent{-1};
};
