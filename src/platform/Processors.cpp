#include "platform/Processors.h"

#include <algorithm>
#include <cerrno>
#include <thread>

#include <sched.h>

namespace KorvantaPlatform {

int UsableProcessors()
{
    for (int cpus = CPU_SETSIZE; cpus <= 64 * CPU_SETSIZE; cpus *= 2) {
        cpu_set_t* set = CPU_ALLOC(cpus);
        if (!set)
            break;
        const size_t bytes = CPU_ALLOC_SIZE(cpus);
        const bool got = sched_getaffinity(0, bytes, set) == 0;
        const int count = got ? CPU_COUNT_S(bytes, set) : 0;
        CPU_FREE(set);
        if (got)
            return std::max(count, 1);
        if (errno != EINVAL)
            break;   // EINVAL: the kernel's mask is larger than this one
    }
    return int(std::max(std::thread::hardware_concurrency(), 1u));
}

void ClearUpperVectorHalves()
{
#if defined(__x86_64__) || defined(__i386__)
    // The instruction exists only where the processor (and the system) has the wide registers.
    static const bool wide = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx") != 0;
    }();
    if (wide)
        asm volatile("vzeroupper");
#endif
}

} // namespace KorvantaPlatform
