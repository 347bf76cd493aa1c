#pragma once
// What several benchmarks need of their own process.

// Creates, once, the GUI application the sensor catalogue needs for its icons, on the
// offscreen platform (no display is used).
void EnsureOffscreenGuiApplication();
// Resident memory of this process in bytes; -1 when it cannot be read.
long long ResidentBytes();
