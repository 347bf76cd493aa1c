#include "Core/Logic/Dravlet/DravletFrames.h"

#include <cmath>
#include <cstring>

namespace DravletFrames {

const unsigned char DravletStopString[4] = {s_Sync0, s_Sync1, OpStop, 0x00};
const unsigned char DravletBootloaderModeString[4] = {s_Sync0, s_Sync1, OpBootLoader, 0x00};
const unsigned char DravletRunString[4] = {s_Sync0, s_Sync1, OpRun, 0x00};
const unsigned char DravletSnapshotString[4] = {s_Sync0, s_Sync1, OpSnapshot, 0x00};
const unsigned char DravletStatusString[4] = {s_Sync0, s_Sync1, OpStatus, 0x00};
const unsigned char DravletGoodByeString[4] = {s_Sync0, s_Sync1, OpGoodbye, 0x00};

namespace {

QByteArray header(unsigned char opcode)
{
    QByteArray f;
    f.append(char(s_Sync0));
    f.append(char(s_Sync1));
    f.append(char(opcode));
    return f;
}

QByteArray withByte(unsigned char opcode, unsigned char value)
{
    QByteArray f = header(opcode);
    f.append(char(value));
    return f;
}

uint16_t recordWord(const unsigned char* record, int at)
{
    return uint16_t(record[at] | (record[at + 1] << 8));
}

void putBigEndian(QByteArray& f, int at, uint16_t value)
{
    f[at] = char(value >> 8);
    f[at + 1] = char(value & 0xFF);
}

} // namespace

QByteArray DetectString() { return header(OpDetect); }

QByteArray AutoDetect(bool on) { return withByte(OpAutoDetect, on ? 1 : 0); }

QByteArray TimingRun(int numberOfGates) { return withByte(OpTimingRun, numberOfGates >= 2 ? 2 : 1); }

QByteArray TurnOnControlRelay(int triggerChannel)
{
    if (triggerChannel < 0 || triggerChannel > 3) return QByteArray();
    return withByte(OpRelayOn, static_cast<unsigned char>(1u << (triggerChannel + 4)));
}

QByteArray TurnOffControlRelay(int triggerChannel)
{
    if (triggerChannel < 0 || triggerChannel > 3) return QByteArray();
    return withByte(OpRelayOff, static_cast<unsigned char>(1u << (triggerChannel + 4)));
}

QByteArray Setup1(unsigned char* record, bool autoDetect, const ChannelSelection* channels,
                  int numChannels, const CDravletSensorTypes& types, CDravletProtocolTables& tables)
{
    QByteArray f = header(OpSetup1);
    f.resize(s_Setup1Length);
    std::memset(f.data() + 3, 0, s_Setup1Length - 3);
    f[3] = char(autoDetect ? 1 : 0);

    if (!channels || numChannels < 0) numChannels = 0;
    if (numChannels > CDravletProtocolTables::s_MaxChannels)
        numChannels = CDravletProtocolTables::s_MaxChannels;

    const bool timingRun = record[50] != 0;
    int activeChannels = 0;
    for (int ch = 0; ch < CDravletProtocolTables::s_MaxChannels; ++ch) {
        uint16_t word = s_NoSensorWord;
        if (ch < numChannels && channels[ch].hasActiveMeasurement) {
            ++activeChannels;
            const int index = channels[ch].catalogueIndex;
            if (index > 0 && CDravletSensorTypes::IsValidIndex(index))
                word = timingRun ? s_TimingWord : types.SetupWord(index);
        }
        putBigEndian(f, 4 + 2 * ch, word);
    }
    // Trigger type 4 drives the control relay; its output appears as a channel above the inputs.
    const uint16_t triggerType = recordWord(record, 10);
    const uint16_t triggerChannel = recordWord(record, 14);
    if (triggerType == 4 && triggerChannel <= 3) putBigEndian(f, 4 + 2 * (triggerChannel + 4), s_RelayWord);

    record[2] = static_cast<unsigned char>(activeChannels);
    record[3] = 0;

    int rate = record[4];
    if (triggerType == 3) {
        // Event recording runs on the interface's slow clock.
        rate = 12;
        record[4] = 12;
        record[5] = 0;
    }
    const DravletRateInfo info = tables.GetRateInfo(rate, activeChannels);
    f[20] = char(info.timerCount);
    f[21] = char(info.timerReload);
    putBigEndian(f, 22, info.ticks);
    f[24] = char(info.samplesPerPacket);
    putBigEndian(f, 25, recordWord(record, 8));
    f[27] = char(rate);
    return f;
}

int TimingMethod(int row, int column)
{
    static const int table[3][3] = {{0, 10, 20}, {1, 11, 21}, {2, 12, -1}};
    if (row < 0 || row > 2 || column < 0 || column > 2) return 0;
    const int method = table[row][column];
    return method < 0 ? 0 : method;
}

// Every method between gates reports both gates' passages; an acceleration there needs the
// flag's time at each gate.
int NumberOfGates(int method)
{
    return (method == 10 || method == 11 || method == 12 || method == 21) ? 2 : 1;
}

unsigned char TimingParameterByte(double value)
{
    if (!std::isfinite(value) || value < 0.0 || value >= 256.0) return 0;
    return static_cast<unsigned char>(value);
}

QByteArray Setup2(const unsigned char* record, int timingRow, int timingColumn, double parameter1,
                  double parameter2, int& method, int& gates)
{
    method = TimingMethod(timingRow, timingColumn);
    gates = NumberOfGates(method);
    QByteArray f = header(OpSetup2);
    f.resize(s_Setup2Length);
    f[3] = char(method);
    f[4] = char(gates);
    f[5] = char(TimingParameterByte(parameter1));
    f[6] = char(TimingParameterByte(parameter2));
    putBigEndian(f, 7, recordWord(record, 12));
    // Trigger channel in the low nibble, trigger mode in the high one.
    f[9] = char(static_cast<unsigned char>(record[14] + 16 * record[10]));
    return f;
}

} // namespace DravletFrames
