#pragma once
// The sensor catalogue as the Dravlet interface sees it: the kind of reading and the window of
// reported ids of every catalogue index.
#include <cstdint>

class CSensorInfo;

// What the interface code needs of one catalogue entry.
struct DravletSensorType
{
    uint16_t interfaceWord = 0; // 0x1000 analogue, 0x2000 time, 0x3000 count, 0x4000 echo distance
    int idLow = 0;              // reported ids idLow <= id < idHigh belong to the type
    int idHigh = 0;
    bool zeroAllowed = false;
    int defaultZero = 0;
};

// The catalogue seen through the interface's eyes. Every lookup is bounded: an index outside
// the catalogue reads as the empty entry.
class CDravletSensorTypes
{
public:
    static constexpr int s_NumOfTypes = 149;

    CDravletSensorTypes() = default;
    void Load(const CSensorInfo& catalogue);

    const DravletSensorType& Type(int index) const;
    void SetType(int index, const DravletSensorType& type);
    static bool IsValidIndex(int index) { return index >= 0 && index < s_NumOfTypes; }

    // The setup word that describes a type to the interface: its interface word with the middle
    // of its id window in the low twelve bits.
    uint16_t SetupWord(int index) const;
    // Catalogue index 1..148 whose window holds a reported 12-bit id; 0 when none does.
    int IndexOfId(int id) const;

private:
    DravletSensorType m_Types[s_NumOfTypes];
};
