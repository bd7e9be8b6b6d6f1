// The ".gma" script container: a plain XML script enciphered with Blowfish (CBC, zero IV,
// little-endian halves) after a byte-wise scrambling pass. Decoding happens in memory only.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

class CContainerCipher {
 public:
  virtual ~CContainerCipher() = default;

  // Turns container bytes into the plain script, in place. False only when no key is given.
  bool Decode(unsigned char* buffer, uint32_t length, const unsigned char* key,
              uint32_t key_length);
  // The exact inverse of Decode: turns a plain script into container bytes, in place.
  bool Encode(unsigned char* buffer, uint32_t length, const unsigned char* key,
              uint32_t key_length);
};

namespace vexil {

constexpr size_t kContainerKeyLength = 16;
// Largest container the 32-bit length of the format can describe.
constexpr uint64_t kMaxContainerLength = 0xFFFFFFFFu;

// The key shared by the player and the packer, assembled from parts at run time.
std::array<unsigned char, kContainerKeyLength> ContainerKey();

// True when the file-name part of the path ends in ".gma", in any letter case.
bool HasContainerExtension(const std::string& path);

// Whole-buffer helpers with the built-in key. Inputs longer than kMaxContainerLength are
// refused (false, output untouched).
bool DecodeContainer(std::string* bytes);
bool EncodeContainer(std::string* bytes);

// Reads a container file and decodes it into *plain. On failure returns false and puts a
// message naming the path into *error; *plain is left untouched.
bool LoadContainerFile(const std::string& path, std::string* plain, std::string* error);

}  // namespace vexil
