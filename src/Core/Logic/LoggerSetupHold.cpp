#include "Core/Logic/LoggerSetupHold.h"

#include "Core/Base/Diagnostics.h"
#include "Core/Data/SensorsCalibration.h"

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

CLoggerSetupHold::Verdict CLoggerSetupHold::Claim(const CLoggerIdentity& found)
{
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
    MyOutputDebugString("Another logger or other sensors: the held setup goes", DiagLogic);
    return Verdict::OtherLogger;
}

void CLoggerSetupHold::LoggerDetected()
{
    if (m_State == State::Free && m_pCalibration)
        m_pCalibration->LoadSensorsCalibrationInfo();
}
