#include "Core/Logic/LoggerSetupHold.h"

#include "Core/Base/Diagnostics.h"
#include "Core/Data/SensorsCalibration.h"
#include "analysis/OnlineFunctions.h"

CLoggerIdentity::CLoggerIdentity(double type, const CCurrentLoggerStatus& status)
    : m_Type(type), m_Channels(status.m_SensorList)
{
}

bool CLoggerIdentity::operator==(const CLoggerIdentity& other) const
{
    return m_Type == other.m_Type && m_Channels == other.m_Channels;
}

void CLoggerSetupHold::Reported(const CLoggerIdentity& identity)
{
    if (identity.IsKnown())
        m_LastReported = identity;
}

bool CLoggerSetupHold::Hold()
{
    if (m_State == State::Waiting)
        return true;
    if (!m_LastReported.IsKnown())
        return false;
    m_Held = m_LastReported;
    m_State = State::Waiting;
    MyOutputDebugString("The setup waits for its logger", DiagLogic);
    return true;
}

namespace {
// A function's source is still there when the logger found reports the same sensor on its
// channel; a function without that source (-1) needs none.
bool SourceGone(const CLoggerIdentity& found, int channel, int sensorIndex)
{
    if (channel == -1)
        return false;
    return channel < 0 || channel >= found.m_Channels.size() || found.m_Channels.at(channel).m_SensorIndex != sensorIndex;
}
} // namespace

CLoggerSetupHold::Verdict CLoggerSetupHold::Claim(const CLoggerIdentity& found, QStringList* dropped)
{
    if (dropped)
        dropped->clear();
    if (m_State != State::Waiting)
        return Verdict::NothingHeld;
    if (found == m_Held) {
        m_State = State::Returned;
        MyOutputDebugString("The logger that went is back: its setup stays", DiagLogic);
        return Verdict::SameLogger;
    }
    m_State = State::Free;
    m_Held = CLoggerIdentity();
    if (m_pCalibration)
        m_pCalibration->LoadSensorsCalibrationInfo();
    if (m_pOnline) {
        const QStringList gone = m_pOnline->DropOnLineFunctions([&found](const OnLineFunctionInfo& f) {
            return SourceGone(found, f.m_G1Channel, f.m_G1SensorIndex) || SourceGone(found, f.m_G2Channel, f.m_G2SensorIndex);
        });
        if (dropped)
            *dropped = gone;
    }
    MyOutputDebugString("Another logger or other sensors: the held setup goes", DiagLogic);
    return Verdict::OtherLogger;
}

void CLoggerSetupHold::LoggerDetected()
{
    if (m_State == State::Free && m_pCalibration)
        m_pCalibration->LoadSensorsCalibrationInfo();
}
