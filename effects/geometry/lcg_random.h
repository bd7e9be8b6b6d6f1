// The seeded random numbers that shape the spline tunnel: the classic linear congruential
// generator (state x 214013 + 2531011, output bits 16-30), so a seed gives the same tube on
// every platform.
#pragma once

#include <cstdint>

namespace effects {

class LcgRandom {
 public:
  explicit LcgRandom(uint32_t seed) : m_state(seed) {}

  // The next number, 0 to 32767.
  int Next() {
    m_state = m_state * 214013u + 2531011u;
    return static_cast<int>((m_state >> 16) & 0x7FFFu);
  }

 private:
  uint32_t m_state;
};

}  // namespace effects
