#include "Core/Logic/DravletCodec.h"

#include <cmath>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// Catalogue view

const DravletSensorType& CDravletSensorTypes::Type(int index) const
{
    return IsValidIndex(index) ? m_Types[index] : m_Types[0];
}

void CDravletSensorTypes::SetType(int index, const DravletSensorType& type)
{
    if (IsValidIndex(index)) m_Types[index] = type;
}

uint16_t CDravletSensorTypes::SetupWord(int index) const
{
    const DravletSensorType& t = Type(index);
    // Integer mean truncated toward zero, as the interface expects it. It must stay within the
    // low twelve bits so that it never changes the kind in the top four.
    const int middle = (t.idLow + t.idHigh) / 2;
    return static_cast<uint16_t>(t.interfaceWord | (middle & 0x0FFF));
}

int CDravletSensorTypes::IndexOfId(int id) const
{
    for (int k = 1; k < s_NumOfTypes; ++k)
        if (m_Types[k].idLow <= id && id < m_Types[k].idHigh) return k;
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Request frames

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

// ---------------------------------------------------------------------------------------------
// Replies

namespace DravletReplies {

namespace {
int16_t readS16(const unsigned char* p) { return int16_t(uint16_t((p[0] << 8) | p[1])); }
uint16_t readU16(const unsigned char* p) { return uint16_t((p[0] << 8) | p[1]); }
} // namespace

bool ParseHandshake(const unsigned char* packet, int length, DravletInterfaceState& state)
{
    if (!packet || length < DravletFrames::s_HandshakeLength) return false;
    state.firmwareMajor = packet[0];
    state.firmwareMinor = packet[1];
    state.hardwareMajor = packet[2];
    state.hardwareMinor = packet[3];
    state.firmwareVersion = packet[0] + packet[1] / 100.0;
    state.hardwareVersion = packet[2] + packet[3] / 100.0;
    const int c1 = readS16(packet + 8);
    const int c2 = readS16(packet + 10);
    if (c1 != c2) {
        state.gain = 2048.0 / (c1 - c2);
        state.offset = (2047.0 * c1 - 4095.0 * c2) / (c1 - c2);
        state.calibrated = true;
    } else {
        state.gain = 1.0;
        state.offset = 0.0;
        state.calibrated = false;
    }
    state.triggerMode = 0;
    state.loggerRateCode = 6;
    return true;
}

int ChannelId(const unsigned char* packet, int channel)
{
    if (!packet || channel < 0 || channel >= DravletInterfaceState::s_Channels) return 0xFFF;
    return ((packet[1 + 2 * channel] & 0x0F) << 8) | packet[2 + 2 * channel];
}

namespace {

void identifyChannels(const unsigned char* packet, const CDravletSensorTypes& types,
                      DravletInterfaceState& state)
{
    state.sensorCount = 0;
    for (int& index : state.channelIndex) index = 0;
    const DravletSensorType& entry2 = types.Type(2);
    for (int ch = 0; ch < DravletInterfaceState::s_Channels; ++ch) {
        int id = ChannelId(packet, ch);
        if (id > 4080) break; // no sensor from here on
        if (id >= 151 && id <= 179) id = (entry2.idLow + entry2.idHigh) / 2;
        const int index = types.IndexOfId(id);
        if (index == 0) break; // unknown sensor: the channel stays empty
        state.channelIndex[ch] = index;
        ++state.sensorCount;
    }
}

int chooseZero(int reading, int index, const CDravletSensorTypes& types, const DravletInterfaceState& state)
{
    const DravletSensorType& type = types.Type(index);
    if (index < 1 || !CDravletSensorTypes::IsValidIndex(index) || !type.zeroAllowed) return type.defaultZero;
    const double z = std::trunc(reading * state.gain + state.offset);
    if (!std::isfinite(z)) return type.defaultZero;
    const double distance = std::fabs(z - double(type.defaultZero));
    return distance < 164.0 ? int(z) : type.defaultZero;
}

} // namespace

bool ParseStatus(const unsigned char* packet, int length, const CDravletSensorTypes& types,
                 CDravletProtocolTables& tables, DravletInterfaceState& state)
{
    if (!packet || length < DravletFrames::s_StatusLength) return false;
    state.autoDetect = (packet[0] & 0x01) != 0;
    identifyChannels(packet, types, state);
    tables.UpdateRateInfo(packet[17], packet[18], readU16(packet + 19));
    state.numberOfSamples = readU16(packet + 22);
    state.loggerRateCode = packet[24];
    tables.m_CurrentRateInfo.rateCode = packet[24];
    for (int ch = 0; ch < DravletInterfaceState::s_Channels; ++ch)
        state.zeroConst[ch] = chooseZero(readU16(packet + 29 + 2 * ch), state.channelIndex[ch], types, state);
    state.timingMethod = packet[45];
    state.numberOfGates = packet[46];
    state.timingParameter[0] = packet[47];
    state.timingParameter[1] = packet[48];
    state.triggerLevel = readU16(packet + 49);
    state.triggerMode = packet[51] >> 4;
    state.triggerChannel = packet[51] & 0x0F;
    return true;
}

} // namespace DravletReplies

// ---------------------------------------------------------------------------------------------
// Data packets

namespace DravletData {

uint32_t ReadU32(const unsigned char* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

int32_t ReadS32(const unsigned char* p) { return int32_t(ReadU32(p)); }

int SamplesPerPacket(int loggerRateCode, const DravletRateInfo& current)
{
    if (loggerRateCode == CDravletProtocolTables::s_FastLoggerRate) return current.samplesPerPacket;
    return 1;
}

namespace {
int widthOf(uint16_t word)
{
    switch (word) {
    case 0x1000: return 2;
    case 0x2000:
    case 0x3000:
    case 0x4000: return 4;
    default: return 0;
    }
}

int channelsToRead(const DravletInterfaceState& state)
{
    int n = state.sensorCount;
    if (n < 0) n = 0;
    return n > DravletInterfaceState::s_Channels ? DravletInterfaceState::s_Channels : n;
}
} // namespace

int SampleWidth(const DravletInterfaceState& state, const CDravletSensorTypes& types)
{
    int width = 0;
    for (int ch = 0; ch < channelsToRead(state); ++ch) width += widthOf(types.Type(state.channelIndex[ch]).interfaceWord);
    return width;
}

bool DecodeSample(const unsigned char* packet, int length, int& position,
                  const DravletInterfaceState& state, const CDravletSensorTypes& types, double* values)
{
    if (!packet || !values || position < 0) return false;
    if (position + SampleWidth(state, types) > length) return false;
    int at = position;
    for (int ch = 0; ch < channelsToRead(state); ++ch) {
        const uint16_t word = types.Type(state.channelIndex[ch]).interfaceWord;
        const unsigned char* p = packet + at;
        switch (word) {
        case 0x1000: {
            const int reading = ((p[0] & 0x0F) << 8) | p[1];
            values[ch] = std::trunc(reading * state.gain + state.offset);
            break;
        }
        case 0x2000:
            values[ch] = double(int32_t(ReadU32(p) & 0xFFFFFFF0u)) / s_ClockHz;
            break;
        case 0x3000: values[ch] = double(ReadS32(p)); break;
        case 0x4000: values[ch] = double(ReadS32(p)) / s_ClockHz * 0.5 * 342.0; break;
        default: break; // a type the interface does not read
        }
        at += widthOf(word);
    }
    position = at;
    return true;
}

double CountsToSeconds(uint32_t count) { return double(count) / s_ClockHz; }

double CountDifferenceSeconds(uint32_t later, uint32_t earlier)
{
    const int64_t diff = int64_t(later) - int64_t(earlier);
    return double(diff) / s_ClockHz;
}

} // namespace DravletData
