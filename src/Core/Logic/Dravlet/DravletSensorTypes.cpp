#include "Core/Data/SensorInfo.h"
#include "Core/Logic/DravletCodec.h"

void CDravletSensorTypes::Load(const CSensorInfo& catalogue)
{
    for (int index = 0; index < s_NumOfTypes; ++index) {
        const CSensorParametersInfo* info = catalogue.GetSensorInfo(index);
        DravletSensorType t;
        if (info) {
            t.interfaceWord = info->m_DataKind;
            t.idLow = info->m_IdWindowLow;
            t.idHigh = info->m_IdWindowHigh;
            t.zeroAllowed = info->m_ZeroAllowed;
            t.defaultZero = info->m_Zero;
        }
        m_Types[index] = t;
    }
}
