#include "Core/Logic/Pelorin/PelorinCatalog.h"

#include "Core/Data/SensorInfo.h"

#include <algorithm>

bool CPelorinCatalog::TypeAt(int index, Pelorin::SensorTypeView& out) const
{
    const CSensorParametersInfo* s = m_pCatalogue ? m_pCatalogue->GetSensorInfo(index) : nullptr;
    if (!s)
        return false;
    out = Pelorin::SensorTypeView();
    out.valid = true;
    out.dataKind = s->m_DataKind;
    out.sensorId = s->m_SensorId;
    out.loggerCalibration = s->m_UseLoggerCalibration;
    out.zero = s->m_Zero;
    // The plug's sibling ids come first (addressed by bits 2-3 of a downloaded id), then its
    // range ids (bits 0-1).
    out.variantCount = std::clamp(s->m_NumOfSiblings, 0, CSensorParametersInfo::s_MaxVariants);
    for (int k = 0; k < CSensorParametersInfo::s_MaxVariants; ++k) {
        out.variantIds[k] = s->m_SiblingIds[k];
        out.variantIds[CSensorParametersInfo::s_MaxVariants + k] = s->m_RangeIds[k];
    }
    return true;
}
