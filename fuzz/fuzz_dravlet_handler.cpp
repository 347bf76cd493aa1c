// Arbitrary input through the whole Dravlet protocol handler, as its manager drives it: the
// commands the sender writes (with their parameter bytes) interleaved with the interface's
// byte stream, each chunk drained through the receive machine, acknowledgements, handshakes,
// status, data and timing packets, run start and end, snapshots and manual samples. The host
// accepts everything and checks what the handler hands it: rows no wider than a packet holds,
// positions beside every row, zeros of no more channels than the interface has. The first
// bytes choose the setup and the run mode; one handler per input, so no input inherits
// another's receive state.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "DravletFuzzHost.h"

namespace {

// What the sender writes, in the order the manager's queue may hold it.
const unsigned char kCommands[] = {CmdStatus,         CmdRun,           CmdStop,           CmdTimingRun,
                                   CmdManualSample,   CmdSnapshot,      CmdSetInputMode,   CmdUploadFirmware,
                                   CmdDravletSetup1,  CmdDravletSetup2};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 6 || size > 16384)
        return 0;
    FuzzHost host;
    host.runMode = data[0] & 1;
    host.timingBranch = (data[0] & 2) == 0;
    host.setup.autoDetect = (data[0] & 4) != 0;
    host.setup.numChannels = data[1] % (DravletSetupView::s_Channels + 1);
    host.setup.activeCount = data[2] % (DravletSetupView::s_Channels + 1);
    for (int i = 0; i < DravletSetupView::s_Channels; ++i) {
        host.setup.activePositions[i] = static_cast<unsigned char>((data[3] + i * 37) & 0xFF);
        host.setup.channels[i] = {(data[3] * (i + 1)) % 200, ((data[4] >> i) & 1) != 0};
    }
    host.setup.triggerChannel = int8_t(data[4]) % 10;
    host.setup.triggerLevel = data[5] * 16;
    host.setup.timingRow = data[5] % 7 - 1;
    host.setup.timingColumn = data[4] % 5 - 1;

    auto handler = std::make_unique<FuzzHandler>();
    CDravletSensorTypes& types = handler->SensorTypes();
    const uint16_t words[] = {0x1000, 0x2000, 0x3000, 0x4000, 0x5000, 0x0000};
    for (int i = 1; i < CDravletSensorTypes::s_NumOfTypes; ++i)
        types.SetType(i, {words[i % 6], i * 20, i * 20 + 20, (i & 1) != 0, 2048});
    handler->SetHost(&host);
    handler->m_bConnected = true;
    handler->m_bPortOpen = true;
    handler->RefreshActiveSensors();

    CommandParametersStruct current(CmdStatus);
    size_t at = 6;
    while (at < size) {
        const unsigned char op = data[at++];
        if (op & 0x80) {
            // A command (low four bits) with 0, 4, 8 or 12 parameter bytes (bits 4 and 5), as the
            // sender's record carries them, written again after a missed acknowledgement when
            // bit 6 is set.
            CommandParametersStruct command(kCommands[(op & 0x0F) % sizeof(kCommands)]);
            const size_t n = std::min<size_t>(((op >> 4) & 3) * 4, size - at);
            for (size_t k = 0; k < n; ++k)
                command.SetByte(int(k + 1), data[at + k]);
            at += n;
            if (command.CommandId() == CmdDravletSetup1)
                handler->RefreshActiveSensors();
            current = command;
            unsigned char reply = 0;
            handler->m_bResending = (op & 0x40) != 0;
            handler->SendCommandHandler(current, reply);
            handler->m_bResending = false;
        } else {
            const size_t n = std::min<size_t>(size_t(op) + 1, size - at);
            handler->WriteCycliceBuffer(int(n), data + at);
            at += n;
            // The packet processor drains what arrived; a machine that stops consuming its
            // input would spin here.
            int guard = 0;
            while (handler->SomethingInCycliceBufferFunction()) {
                if (++guard > 1000000)
                    std::abort();
                handler->DataReceivedHandler(current);
            }
        }
    }
    handler->SetHost(nullptr);
    return host.sink == 0.125 ? 1 : 0;
}
