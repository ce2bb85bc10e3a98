#pragma once
// Symbols of our shared libraries are hidden unless marked with BRINDLE_EXPORT.
// On this platform the same attribute serves the library that defines a symbol
// and the host that uses it, so one macro covers both sides.
#if defined(__GNUC__) || defined(__clang__)
#define BRINDLE_EXPORT __attribute__((visibility("default")))
#else
#define BRINDLE_EXPORT
#endif
