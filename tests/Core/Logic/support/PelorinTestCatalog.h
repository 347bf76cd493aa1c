#pragma once
// A small hand-made catalogue for the Pelorin protocol tests: a few records at fixed indices with
// the data kinds, sensor ids and variant lists the wire format cares about.
#include "Core/Logic/Pelorin/PelorinTypes.h"

#include <map>

class CPelorinTestCatalog : public Pelorin::ICatalogView
{
public:
    enum Index {
        Empty = 0,
        Analog = 80,       // kind 0, id 0x10
        Wide = 81,         // kind 1 (16 bits), id 0x11
        Calibrated = 82,   // kind 0 with the logger's gain and offset, id 0x12
        Time = 90,         // kind 0x2000, id 0x20
        Count = 91,        // kind 0x3000, id 0x21
        Echo = 92,         // kind 0x4000, id 0x22
        Generic = 93,      // kind 0x99, id 0x23
        Odd = 94,          // kind 0x5000 (no bytes), id 0x24
        Gate = 111,        // photogate, kind 0x1000, id 0x4A
        Gate2 = 112,       // photogate, kind 0x1000, id 0x4C
        VoltA = 123,       // multi-range family 0x100: ids 0x100, 0x101, 0x102
        VoltB = 124,
        VoltC = 125,
        Oxygen = 134,      // two-sensor plug 0x300: oxygen 0x300, temperature 0x3A0
        OxygenTemp = 135
    };

    CPelorinTestCatalog();
    bool TypeAt(int index, Pelorin::SensorTypeView& out) const override;

private:
    std::map<int, Pelorin::SensorTypeView> m_Types;
};
