#pragma once
// A monotonic millisecond tick count that wraps at 32 bits, for draft timing and time-outs.
// Differences of two ticks are taken as unsigned 32-bit values, so they survive the wrap.

#include <cstdint>

uint32_t GetTickCount();
