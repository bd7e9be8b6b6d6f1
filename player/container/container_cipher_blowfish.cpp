// Blowfish key schedule and block core, written from the published description.
// Halves are plain 32-bit numbers here; the byte order is the caller's business.
#include "container_cipher_blowfish.h"

#include <cstring>
#include <utility>

namespace vexil {

Blowfish::Blowfish(const uint8_t* key, size_t key_length) {
  std::memcpy(p_, kBlowfishInitialP, sizeof(p_));
  std::memcpy(s_, kBlowfishInitialS, sizeof(s_));

  // Each P word is XOR-ed with the next four key bytes read big-endian, cycling the key.
  // An empty key leaves the constants unkeyed rather than reading past the key.
  size_t k = 0;
  for (uint32_t& word : p_) {
    if (key == nullptr || key_length == 0) break;
    uint32_t data = 0;
    for (int b = 0; b < 4; ++b) {
      data = (data << 8) | key[k];
      k = (k + 1 == key_length) ? 0 : k + 1;
    }
    word ^= data;
  }

  // Repeatedly enciphering the running block replaces P and then the S-boxes in pairs.
  uint32_t left = 0;
  uint32_t right = 0;
  for (int i = 0; i < 18; i += 2) {
    Encipher(&left, &right);
    p_[i] = left;
    p_[i + 1] = right;
  }
  for (auto& box : s_) {
    for (int i = 0; i < 256; i += 2) {
      Encipher(&left, &right);
      box[i] = left;
      box[i + 1] = right;
    }
  }
}

void Blowfish::Encipher(uint32_t* left, uint32_t* right) const {
  uint32_t l = *left;
  uint32_t r = *right;
  for (int i = 0; i < 16; ++i) {
    l ^= p_[i];
    r ^= Round(l);
    std::swap(l, r);
  }
  std::swap(l, r);
  r ^= p_[16];
  l ^= p_[17];
  *left = l;
  *right = r;
}

void Blowfish::Decipher(uint32_t* left, uint32_t* right) const {
  uint32_t l = *left;
  uint32_t r = *right;
  for (int i = 17; i > 1; --i) {
    l ^= p_[i];
    r ^= Round(l);
    std::swap(l, r);
  }
  std::swap(l, r);
  r ^= p_[1];
  l ^= p_[0];
  *left = l;
  *right = r;
}

}  // namespace vexil
