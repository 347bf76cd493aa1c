#pragma once
// Constant rows the catalogue is loaded from (internal to the catalogue). One row per sensor
// type and one per measurement slot; a field a row leaves out keeps the record's default.
#include <QtGlobal>

namespace SensorTables {

// A translatable catalogue text. The tables write each one as QT_TRANSLATE_NOOP3 so that lupdate
// extracts its context and comment; the expansion fills source and comment. Texts translated
// in the general object context are wrapped in G(). A null source means "not stored".
struct CatalogueText
{
    const char* source;
    const char* comment;
    bool general = false;
};

constexpr CatalogueText G(CatalogueText text)
{
    return CatalogueText{text.source, text.comment, true};
}

// The range-variant and sibling lists a sensor family shares, with its range names.
struct SensorVariantRow
{
    int numRanges;
    int rangeIds[4];
    int numSiblings;
    int siblingIds[4];
    CatalogueText rangeNames[4];
};

struct SensorEntryRow
{
    short index;
    CatalogueText name;
    short sensorId;
    short classCode;
    short fastestRate;
    short slowestRate;
    short numOfMeasurements;
    unsigned short dataKind;
    unsigned char inputOption;
    bool inputFlag;
    bool useLoggerCalibration;
    short windows[4];
    float gain;
    int zero;
    int calibrationKind;
    bool zeroAllowed;
    const char* icon;
    bool triggerAllowed = true;
    double filterCutoff = -1;
    int altId = -1;
    bool iseFlag = false;
    bool hidden = false;
    const SensorVariantRow* variants = nullptr;
};

struct SensorSlotRow
{
    short index;
    short slot;
    CatalogueText name;
    CatalogueText unit;
    short unitPrefix;
    CatalogueText range;
    double min;
    double max;
    bool clampToMax = true;
    bool clampToMin = true;
    short fastestRate = 999;
    short slowestRate = 999;
    bool defaultActive = false;
};

// One block of consecutive catalogue entries with their measurement rows, both in index order.
struct SensorTableBlock
{
    const SensorEntryRow* entries;
    int entryCount;
    const SensorSlotRow* measurements;
    int measurementCount;
};

SensorTableBlock block0to37();
SensorTableBlock block38to84();
SensorTableBlock block85to126();
SensorTableBlock block127to148();

} // namespace SensorTables
