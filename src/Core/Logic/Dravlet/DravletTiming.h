#pragma once
// What the Dravlet's timing runs compute: the interface hands over ready time differences of
// its gates, turned here into times, speeds, accelerations and periods with the setup's flag
// width and gate distance. The host keeps one for the interface; it is used on the handler's
// thread only.
class CSetupInfo;

class CDravletTiming
{
public:
    // The answer the handler stores nothing for.
    static constexpr double s_NoResult = -2000.0;

    // The result of the method (TimingMethodId; Reset starts a new run) from the interface's
    // times in seconds: a the passage at the first gate, b the time between the gates, c the
    // passage at the second gate, d and e the passage's start and end. Width and distance are
    // the setup's (with none, 3 cm and 20 cm).
    double Result(unsigned char method, double a, double b, double c, double d, double e, const CSetupInfo* setup);

private:
    int m_PendulumCounter = 0;
    double m_PendulumReference = -1.0;
    double m_PreviousVelocity = -1.0;
    double m_PreviousTime = -1.0;
};
