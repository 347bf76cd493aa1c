#pragma once

namespace KorvantaPlatform {

// The processors this process may run on (its affinity), at least 1. The machine's count
// (std::thread::hardware_concurrency, QThread::idealThreadCount) ignores the affinity: pinned
// to two of eight, a pool sized by it would run eight threads taking turns on two.
int UsableProcessors();

// Clears the upper halves of the processor's wide vector registers, where it has them (a no-op
// elsewhere). Left in use by code that ran on the thread before, they make each SSE instruction
// that follows wait on them on some processors: a tight loop of float arithmetic then runs at
// two thirds of its speed. Long stretches of such arithmetic start with this.
void ClearUpperVectorHalves();

} // namespace KorvantaPlatform
