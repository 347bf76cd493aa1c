#pragma once
// Finds the entry points of the OpenCV plugins, loading a plugin on first use. The plugins sit
// in lib/ beside the program's bin/; test and benchmark programs of a build tree find them in
// the tree's lib/. Safe from any thread.
#include "opencv/OpenCvPlugin.h"

namespace KorvantaOpenCv {

// The entry point of that name in the plugin library (s_OpenCvLibrary or s_VideoReaderLibrary),
// or null when the plugin cannot be loaded (the reason is logged).
void* Resolve(const char* library, const char* symbol);
// True once that plugin has been loaded.
bool Loaded(const char* library);

template <class Function>
Function Entry(const char* library, const char* symbol)
{
    return reinterpret_cast<Function>(Resolve(library, symbol));
}

} // namespace KorvantaOpenCv
