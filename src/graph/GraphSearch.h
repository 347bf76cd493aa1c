#pragma once
// The searches behind the cursors over one series, apart from any window: the sample whose
// value is nearest a given value, and the sample standing at an X position (GraphWindow_search.cpp).
// The X searches halve the samples whenever the X list is known to be non-decreasing.
class CDataBranch;

// The Y value nearest value, and its sample in index (0 and a far value for no samples).
float FindNearestY(CDataBranch* branch, float value, int& index);
// The Y of the first sample from start on whose X (as a time, X times the interval) lies within
// tolerance of x's; index then is one past that sample. Missing where none does.
float FindMatchingY(CDataBranch* branch, float x, float tolerance, int& index, int start);
// The Y of the sample whose X is nearest x, searched from start on (a position, less the first
// X); missing beyond the samples, 0 with index 0 for no samples.
float FindMatchingTimeY(CDataBranch* branch, float x, int& index, int start);
