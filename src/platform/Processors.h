#pragma once

namespace KorvantaPlatform {

// The processors this process may run on (its affinity), at least 1. The machine's count
// (std::thread::hardware_concurrency, QThread::idealThreadCount) ignores the affinity: pinned
// to two of eight, a pool sized by it would run eight threads taking turns on two.
int UsableProcessors();

} // namespace KorvantaPlatform
