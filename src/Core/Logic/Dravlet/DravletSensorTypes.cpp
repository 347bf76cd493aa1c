#include "Core/Logic/Dravlet/DravletSensorTypes.h"

#include "Core/Data/SensorInfo.h"

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
