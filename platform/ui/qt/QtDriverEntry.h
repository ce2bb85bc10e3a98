#pragma once
// The C entry points of libbrui-qt.so, for hosts that load the windowed driver at run time
// (dlopen) so that they run without Qt where no window is wanted.
#include <cstddef>

#include "brindle/export.h"

class CUiDriver;

extern "C" {
// Makes the windowed driver. None when no display can be reached; then `error` (capacity
// bytes, NUL included) says why.
BRINDLE_EXPORT CUiDriver* bruiQtCreateDriver(char* error, std::size_t capacity);
BRINDLE_EXPORT void bruiQtDestroyDriver(CUiDriver* driver);
}

using BruiQtCreateDriverFn = CUiDriver* (*)(char*, std::size_t);
using BruiQtDestroyDriverFn = void (*)(CUiDriver*);
