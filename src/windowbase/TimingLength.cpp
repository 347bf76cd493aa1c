#include "windowbase/TimingLength.h"

#include "Core/Data/SetupInfo.h"

#include <QCoreApplication>

namespace TimingLength {

Kind Of(int measurement, int arrangement)
{
    if (measurement < 1 || measurement > 2 || arrangement < 0 || arrangement > 2)
        return Kind::None;
    return measurement == 1 && arrangement == 1 ? Kind::Distance : Kind::Width;
}

Kind OfMethodCode(int code)
{
    return code < 0 ? Kind::None : Of(code % 10, code / 10);
}

CNumberRange Range()
{
    return CNumberRange{0.1, 1000.0, false};
}

QString Label(Kind kind)
{
    switch (kind) {
    case Kind::Width: return QCoreApplication::translate("TimingLength", "Width");
    case Kind::Distance: return QCoreApplication::translate("TimingLength", "Distance");
    default: return QString();
    }
}

double* Kept(CSetupInfo* setup, Kind kind)
{
    if (!setup || kind == Kind::None)
        return nullptr;
    return kind == Kind::Distance ? &setup->m_TimingDistance : &setup->m_TimingWidth;
}

} // namespace TimingLength
