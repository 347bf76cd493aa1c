#pragma once
// The command record every request to a logger travels as: byte 0 the command id, bytes 1 to
// 51 the parameters of that command. Copied by value into the logger's command queue.
#include <QMetaType>
#include <QtGlobal>

enum LoggerCommandId : unsigned char {
    CmdStatus = 0,
    CmdRun = 1,
    CmdGetNotes = 2,
    CmdSetup = 3,
    CmdDownload = 4,
    CmdStop = 5,
    CmdLogClear = 6,
    CmdGetLastExperimentNumber = 7,
    CmdSelectiveFetch = 8,
    CmdUpdateNotes = 9,
    CmdGetStatusByte = 11,
    CmdGetTimingParameters = 13,
    CmdSetTimingParameters = 14,
    CmdTimingRun = 15,
    CmdRename = 16,
    CmdManualSample = 17,
    CmdSnapshot = 18,
    CmdSetInputMode = 19,        // also SetAutoDetect
    CmdSetAverageWindow = 20,
    CmdUploadFirmware = 21,
    // 22 and 23 are a logger's own commands, named in its room.
    CmdSetSensorRange = 25,
    CmdSetCalibration = 26,
    CmdWriteSensorId = 27,
    CmdHello = 30,
    CmdKeepAlive = 31,
    CmdGoodbye = 32
};

// Byte positions of the parameters (position 0 is the command id).
enum CommandParameterByte {
    ParSetupSensorCount = 1,      // 8 bits
    ParSetupSensorCount16 = 2,    // 16 bits
    ParSetupRateCode = 4,         // 16 bits, the logger's rate code
    ParSetupSamplesCode = 6,      // 16 bits
    ParSetupSamples = 8,          // 16 bits, low half of the number of samples
    ParSetupTriggerType = 10,     // 16 bits
    ParSetupTriggerLevel = 12,    // 16 bits
    ParSetupTriggerChannel = 14,  // 16 bits
    ParSetupReserved = 16,        // 32 bits, 0
    ParExperimentNumber = 20,
    ParNotesBlock = 21,
    ParTimingKind = 23,
    ParTimingBytes = 24,          // 24 to 26
    ParFlag = 27,                 // input mode / automatic detection
    ParAverageWindow = 28,
    ParFirmwareState = 41,        // 41 to 49: the transfer state of a firmware upload
    ParFirmwareBlock = 42,        // 16 bits
    ParFirmwareFirst = 44,
    ParSetupTimingRun = 50
};

struct CommandParametersStruct
{
    static constexpr int Size = 52;

    CommandParametersStruct() = default;
    explicit CommandParametersStruct(unsigned char id) { m_Data[0] = id; }

    unsigned char CommandId() const { return m_Data[0]; }
    void SetCommandId(unsigned char id) { m_Data[0] = id; }
    // Positions outside 0 .. 51 read 0 and are not written.
    unsigned char GetByte(int pos) const { return (pos >= 0 && pos < Size) ? m_Data[pos] : 0; }
    void SetByte(int pos, unsigned char value)
    {
        if (pos >= 0 && pos < Size)
            m_Data[pos] = value;
    }
    // 16-bit values, low byte first.
    quint16 GetWord(int pos) const { return quint16(GetByte(pos) | (GetByte(pos + 1) << 8)); }
    void SetWord(int pos, quint16 value)
    {
        if (pos >= 0 && pos + 1 < Size) {
            m_Data[pos] = static_cast<unsigned char>(value & 0xFF);
            m_Data[pos + 1] = static_cast<unsigned char>(value >> 8);
        }
    }
    quint32 GetDWord(int pos) const { return GetWord(pos) | (quint32(GetWord(pos + 2)) << 16); }
    void SetDWord(int pos, quint32 value)
    {
        if (pos >= 0 && pos + 3 < Size) {
            SetWord(pos, quint16(value & 0xFFFF));
            SetWord(pos + 2, quint16(value >> 16));
        }
    }

    unsigned char m_Data[Size] = {};
};
static_assert(sizeof(CommandParametersStruct) == 52, "the command record is 52 bytes");

// The four bytes of a timing run's parameters: byte 0 the logger kind (its GetType number),
// bytes 1 to 3 the parameters the logger takes.
struct TimingParametersStruct
{
    unsigned char m_Bytes[4] = {0, 0, 0, 0};
};

// One trigger threshold offered for a sensor: the integer the logger compares with (a raw
// value, or an integer formed from the level) and the level in the sensor's unit.
struct TriggerLevel
{
    int m_Code = 0;
    float m_Level = 0.0f;
};

Q_DECLARE_METATYPE(CommandParametersStruct)
Q_DECLARE_METATYPE(TriggerLevel)
