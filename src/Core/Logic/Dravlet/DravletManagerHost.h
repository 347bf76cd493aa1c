#pragma once
// The Dravlet manager's host: the core host's setup, catalogue, data-store and logic-manager
// access, with what a live link needs on top. The setup record and the settings belong to the
// interface thread, where the setup window changes them too: the logger threads hand their
// changes over, and hub signals reach the hub there in the order they happened. The port and
// the last event value are read and written by several of the manager's threads.
#include "Core/Logic/Dravlet/DravletCoreHost.h"
#include "Core/Logic/HubHandOver.h"

#include <QMutex>

#include <atomic>

class CDravletManagerHost : public CDravletCoreHost
{
public:
    // The manager is the interface's logger object; null leaves it to SetLogger.
    CDravletManagerHost(ILogicServices* logic, ILogger* manager);

    void StoreSnapshotReadings(const int* readings, int count) override;
    void UpdateSensorsInfo() override;
    void SaveSettings() override;

    void RunOnInterfaceThread(std::function<void()> fn) override;
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
