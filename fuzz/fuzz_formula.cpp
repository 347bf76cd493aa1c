// The calculator's formula parser on arbitrary text: check and evaluation in both angle modes
// must end with a value or an error code, never crash and never hang.
#include "analysis/FormulaParser.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The calculator's line holds at most 255 characters; a little more reaches past that limit.
    // Longer inputs only repeat what shorter ones reach, at a cost that grows with the square
    // of the length.
    if (size > 320)
        return 0;
    static CFormulaParser* parser = CFormulaParser::getInstance();
    const QString formula = QString::fromUtf8(reinterpret_cast<const char*>(data), int(size));

    for (bool radians : {false, true}) {
        parser->setRadians(radians);
        int error = 0;
        const double value = parser->calc(formula, &error);
        if (error > 0 || error < -18)
            __builtin_trap(); // codes are 0 or one of the table's
        if (error != 0 && value != 0.0)
            __builtin_trap(); // a failed evaluation returns 0.0
        (void)parser->getErrorText(error);
    }
    int error = 0;
    (void)parser->calcSimpleOperatorsExpression(formula, &error);
    return 0;
}
