#pragma once
// Finds the OpenCV plugin's entry points, loading the plugin on first use. The plugin sits in
// lib/ beside the program's bin/; test and benchmark programs of a build tree find it in the
// tree's lib/. Safe from any thread.
#include "opencv/OpenCvPlugin.h"

namespace KorvantaOpenCv {

// The entry point of that name, or null when the plugin cannot be loaded (the reason is logged).
void* Resolve(const char* symbol);
// True once the plugin has been loaded.
bool Loaded();

template <class Function>
Function Entry(const char* symbol)
{
    return reinterpret_cast<Function>(Resolve(symbol));
}

} // namespace KorvantaOpenCv
