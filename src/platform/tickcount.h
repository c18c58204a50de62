#pragma once
// A monotonic millisecond tick count that wraps at 32 bits, for draft timing and time-outs.
// Differences of two ticks are taken as unsigned 32-bit values, so they survive the wrap.

#include <cstdint>
#include <functional>

uint32_t GetTickCount();

// Replaces the clock behind GetTickCount (tests advance time instead of sleeping); an empty
// function restores the system's monotonic clock.
void SetTickSource(std::function<uint32_t()> source);
