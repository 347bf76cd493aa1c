#pragma once
// What the fuzz targets that build real windows share.
#include <cstring>

namespace KvFuzz {

// libFuzzer counts the allocations of every input, and when an input ends with more blocks
// than it began with it runs the input again and scans the whole heap for leaks. A window keeps
// a few blocks past its end by Qt's design (the weak pointers of its event filters, timers'
// records), which Qt frees later: every input then looked like a leak, and the scans took
// three quarters of the time. Per-input leak checks are therefore off unless the command line
// asks for them (a flag given there comes later and wins); LeakSanitizer still checks the whole
// process when the run ends.
inline void PerInputLeakChecksOff(int* argc, char*** argv)
{
    static char flag[] = "-detect_leaks=0";
    static char** args = new char*[size_t(*argc) + 2];
    args[0] = (*argv)[0];
    args[1] = flag;
    std::memcpy(args + 2, *argv + 1, sizeof(char*) * size_t(*argc - 1));
    args[*argc + 1] = nullptr;
    *argv = args;
    ++*argc;
}

} // namespace KvFuzz
