#pragma once
// The computations of one online-function record over the samples stored since its last pass.
struct OnLineFunctionInfo;

// Runs the record's function id on its bound sources and appends the new points to its output
// branch (one bulk append). Does nothing when the record has no first source or no output, or
// when a two-source function has no second source; ids above 25, negative ids and 11 compute
// nothing.
void ComputeOnLineRecord(OnLineFunctionInfo& record);
