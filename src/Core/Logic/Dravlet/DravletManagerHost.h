#pragma once
// The Dravlet manager's host: the core host's setup, catalogue, data-store and logic-manager
// access, with what a live link needs on top: hub signals of the logger threads reach the hub
// on the interface thread, in the order they happened, the new-data signals of a burst on one
// hand-over; the setup record is read on the interface thread, and the logger threads work
// from the copy taken there when the last command was given.
#include "Core/Logic/Dravlet/DravletCoreHost.h"
#include "Core/Logic/HubHandOver.h"

#include <QMutex>

class CDravletManagerHost : public CDravletCoreHost
{
public:
    // The manager is the interface's logger object; null leaves it to SetLogger.
    CDravletManagerHost(ILogicServices* logic, ILogger* manager);

    // ---- setup
    DravletSetupView ReadSetup() override;
    // Takes a fresh copy of the setup (on the interface thread only; elsewhere nothing).
    void RefreshSetup();

    // ---- signal hub
    void Announce(DravletEvent event, int arg = 0) override;

private:
    bool onInterfaceThread() const;

    ILogicServices* m_pLogicServices;
    CHubHandOver m_HubHandOver;
    QMutex m_SetupLock;
    DravletSetupView m_Setup;
    bool m_bSetupTaken = false;
};
