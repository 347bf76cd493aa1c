#pragma once
// The length an event-timing measurement computes with, shared by the sampling-mode dialog and
// the timing wizard so that both name, check and keep the same one.
#include "windowbase/NumberField.h"

#include <QString>

class CSetupInfo;

namespace TimingLength {

enum class Kind { None, Width, Distance };

// measurement: 0 time, 1 velocity, 2 acceleration; arrangement: 0 at one gate, 1 between
// gates, 2 pendulum or collision. The distance between the gates for a velocity between them,
// the flag's width for every other velocity and acceleration, none for a time.
Kind Of(int measurement, int arrangement);
// The same for a method code of the timing evaluation (ten times the arrangement plus the
// measurement: 0, 1, 2, 10, 11, 12, 20, 21).
Kind OfMethodCode(int code);
// A flag of a millimetre up to gates ten metres apart, in cm.
CNumberRange Range();
// The field's name: "Width" or "Distance"; empty for none.
QString Label(Kind kind);
// The setup's kept length of that kind (cm); null for none or no setup.
double* Kept(CSetupInfo* setup, Kind kind);

} // namespace TimingLength
