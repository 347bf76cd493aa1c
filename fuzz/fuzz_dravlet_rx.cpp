// The Dravlet receive machine, parsers and decoder on arbitrary bytes. The first input bytes
// choose the command the sender is working on and the interface's sensors and rate; the rest
// is the byte stream from the interface, delivered in chunks whose sizes also come from it.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "DravletFuzzHost.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 6 || size > 8192) return 0;
    static FuzzHandler* handler = [] {
        auto* h = new FuzzHandler;
        CDravletSensorTypes& t = h->SensorTypes();
        const uint16_t words[] = {0x1000, 0x2000, 0x3000, 0x4000, 0x5000, 0x0000};
        for (int i = 1; i < CDravletSensorTypes::s_NumOfTypes; ++i)
            t.SetType(i, {words[i % 6], i * 20, i * 20 + 20, (i & 1) != 0, 2048});
        return h;
    }();
    static FuzzHost host;
    handler->SetHost(&host);
    handler->ClearCyclicCBuffer();

    CommandParametersStruct current(data[0] % 33);
    host.setup.numChannels = data[1] % 12;
    host.setup.activeCount = data[2] % 12;
    for (int i = 0; i < DravletSetupView::s_Channels; ++i) {
        host.setup.activePositions[i] = static_cast<unsigned char>((data[3] + i * 37) & 0xFF);
        host.setup.channels[i] = {(data[3] * (i + 1)) % 200, ((data[4] >> i) & 1) != 0};
    }
    host.setup.triggerChannel = int8_t(data[4]);
    host.setup.triggerLevel = data[5] * 16;
    handler->RefreshActiveSensors();

    // The parsers and the decoder on their own.
    DravletInterfaceState state;
    CDravletProtocolTables tables;
    DravletReplies::ParseHandshake(data, int(size), state);
    DravletReplies::ParseStatus(data, int(size), handler->SensorTypes(), tables, state);
    double values[DravletData::s_MaxValues] = {};
    int position = 1;
    for (int k = 0; k < 16; ++k)
        if (!DravletData::DecodeSample(data, int(size < 29 ? size : 29), position, state, handler->SensorTypes(), values))
            break;

    // The machine, fed in chunks.
    size_t at = 6;
    while (at < size) {
        size_t chunk = 1 + (data[at] % 64);
        if (chunk > size - at) chunk = size - at;
        handler->WriteCycliceBuffer(int(chunk), data + at);
        at += chunk;
        int guard = 0;
        while (handler->SomethingInCycliceBufferFunction() && ++guard < 20000) handler->DataReceivedHandler(current);
        if ((data[at - 1] & 0x3F) == 0) {
            unsigned char reply = 0;
            handler->SendCommandHandler(current, reply);
        }
    }
    return 0;
}
