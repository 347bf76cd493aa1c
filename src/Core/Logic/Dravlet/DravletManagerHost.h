#pragma once
// The Dravlet manager's host: the core host's setup, catalogue, data-store and logic-manager
// access, with what a live link needs on top: hub signals of the logger threads reach the hub
// on the interface thread, in the order they happened, the new-data signals of a burst on one
// hand-over.
#include "Core/Logic/Dravlet/DravletCoreHost.h"
#include "Core/Logic/HubHandOver.h"

class CDravletManagerHost : public CDravletCoreHost
{
public:
    // The manager is the interface's logger object; null leaves it to SetLogger.
    CDravletManagerHost(ILogicServices* logic, ILogger* manager);

    // ---- signal hub
    void Announce(DravletEvent event, int arg = 0) override;

private:
    CHubHandOver m_HubHandOver;
};
