// Placeholders for the two functions of the statistics-and-fits half of the engine that the
// dispatcher reaches (ids 26 and 28). They make nothing until that half lands; this file goes
// away with it.
#include "analysis/Functions.h"

#include "Core/Logic/Diagnostics.h"

CDataBranch* CFunctions::FunctionPolynomialRegression(CDataBranch*, long, long, short)
{
    MyOutputDebugString("CFunctions: polynomial fit not available in this build", DiagGui);
    return nullptr;
}

void CFunctions::FunctionBloodPressure(CDataBranch*)
{
    MyOutputDebugString("CFunctions: blood-pressure evaluation not available in this build",
                        DiagGui);
}
