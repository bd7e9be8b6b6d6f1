// The high-resolution clock the main loop times frames with (a frequency and a counter,
// as QueryPerformanceFrequency/Counter give them) and sleeping.
#pragma once

#include <cstdint>

namespace vexil {
namespace sys {

// Counter ticks per second; false (and *frequency 0) when there is no such counter.
bool QueryPerformanceFrequency(int64_t* frequency);
// Current counter value; always true where a counter exists.
bool QueryPerformanceCounter(int64_t* counter);

// Milliseconds between two counter values, as a double.
double CounterToMilliseconds(int64_t start, int64_t end);

// Blocks the calling thread for at least the given number of milliseconds.
void SleepMilliseconds(uint32_t milliseconds);

}  // namespace sys
}  // namespace vexil
