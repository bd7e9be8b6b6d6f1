// The one hash of the device's caches (fixed-function programs and shaders, GL sampler
// objects): plain keys built zero-filled, hashed eight bytes at a time through a
// multiply-rotate mix and a final avalanche, so keys that differ in one byte spread well.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace vexil::d3d9 {

inline uint64_t HashBytes(const void* data, size_t size) {
  constexpr uint64_t kMul1 = 0x87c37b91114253d5ull, kMul2 = 0x4cf5ad432745937full;
  const auto* p = static_cast<const uint8_t*>(data);
  uint64_t h = 0x9e3779b97f4a7c15ull ^ size;
  auto mix = [&h](uint64_t word) {
    word *= kMul1;
    word = (word << 31) | (word >> 33);
    h ^= word * kMul2;
    h = ((h << 27) | (h >> 37)) * 5 + 0x52dce729;
  };
  for (; size >= 8; p += 8, size -= 8) {
    uint64_t word;
    std::memcpy(&word, p, 8);
    mix(word);
  }
  if (size) {
    uint64_t word = 0;
    std::memcpy(&word, p, size);
    mix(word);
  }
  // splitmix64's finaliser.
  h ^= h >> 30;
  h *= 0xbf58476d1ce4e5b9ull;
  h ^= h >> 27;
  h *= 0x94d049bb133111ebull;
  return h ^ (h >> 31);
}

// Hash of a key whose bytes are its value (no padding), for unordered_map.
template <class Key>
struct KeyHash {
  static_assert(std::has_unique_object_representations_v<Key>,
                "a hashed key must have no padding bytes");
  size_t operator()(const Key& key) const {
    return static_cast<size_t>(HashBytes(&key, sizeof key));
  }
};

}  // namespace vexil::d3d9
