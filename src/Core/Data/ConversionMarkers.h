#pragma once
// Marker values that travel in place of converted samples.
namespace ConversionMarkers {
// The conversion has no value for this sample: nothing is stored for it.
constexpr double s_NoSample = -999999999.0;
// The branch repeats its last Y value for this sample.
constexpr double s_RepeatLast = -888888888.0;
// A gap in a branch or a missing result (also what an impossible reading is stored as).
constexpr double s_Missing = -9999999.0;
}  // namespace ConversionMarkers
