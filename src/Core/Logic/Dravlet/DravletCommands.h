#pragma once
// The commands the Dravlet is given for a run and its firmware, built in its room: the setup
// command from the copy of the setup the interface thread took last (DravletSetupView), the rate
// and sample-count codes from the interface itself. Each hands its record to the logger's
// SendCmd with startNow; a null logger sends nothing.
class ILogger;
struct DravletSetupView;

namespace DravletCommands {

// Nothing either when the setup was taken from no setup record.
void SendSetup(ILogger* logger, const DravletSetupView& setup, bool startNow);
void SendRun(ILogger* logger, bool startNow);
// The run's event counter starts again with the timing run.
void SendTimingRun(ILogger* logger, bool startNow);
void SendManualSample(ILogger* logger, bool startNow);
// The first block of the transfer; only to a connected interface.
void SendFirmwareUpload(ILogger* logger, bool startNow);

} // namespace DravletCommands
