// Blowfish block cipher (Schneier, 1993): the key schedule and the 16-round core on a
// block's two 32-bit halves. The script container codec builds its modes on top of it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vexil {

class Blowfish {
 public:
  // Keys a fresh context from the constants of pi. Only the first 72 key bytes can
  // influence the P-array, as in the published algorithm; an empty key keys nothing.
  Blowfish(const uint8_t* key, size_t key_length);

  void Encipher(uint32_t* left, uint32_t* right) const;
  void Decipher(uint32_t* left, uint32_t* right) const;

 private:
  uint32_t Round(uint32_t x) const {
    return ((s_[0][x >> 24] + s_[1][(x >> 16) & 0xFF]) ^ s_[2][(x >> 8) & 0xFF]) + s_[3][x & 0xFF];
  }

  uint32_t p_[18];
  uint32_t s_[4][256];
};

// The initial P-array and S-boxes: the fractional hexadecimal digits of pi.
extern const uint32_t kBlowfishInitialP[18];
extern const uint32_t kBlowfishInitialS[4][256];

}  // namespace vexil
