// Script container codec: block layer (CBC over whole blocks, an overlapping tail block,
// an enciphered length block for short inputs) and the scrambling byte pass, plus the key.
#include "container_cipher.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "container_cipher_blowfish.h"

namespace {

constexpr uint32_t kScrambleSeed = 58316427u;

uint32_t LoadLittleEndian(const unsigned char* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void StoreLittleEndian(uint32_t v, unsigned char* p) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
  p[2] = static_cast<unsigned char>(v >> 16);
  p[3] = static_cast<unsigned char>(v >> 24);
}

// The scrambling state runs over the plain bytes from the last to the first, so the same
// sequence is available while scrambling and while unscrambling.
uint32_t NextScrambleState(uint32_t s, unsigned char plain) {
  uint32_t t = s + (s >> 13);
  return (((t >> 12) & 0xFFFE0u) ^ (t << 5)) + uint32_t(plain) * 32u;
}

void DecipherBlock(const vexil::Blowfish& cipher, unsigned char* block) {
  uint32_t l = LoadLittleEndian(block);
  uint32_t r = LoadLittleEndian(block + 4);
  cipher.Decipher(&l, &r);
  StoreLittleEndian(l, block);
  StoreLittleEndian(r, block + 4);
}

void EncipherBlock(const vexil::Blowfish& cipher, unsigned char* block) {
  uint32_t l = LoadLittleEndian(block);
  uint32_t r = LoadLittleEndian(block + 4);
  cipher.Encipher(&l, &r);
  StoreLittleEndian(l, block);
  StoreLittleEndian(r, block + 4);
}

// Inputs shorter than a block are masked with the enciphered length, repeated in both
// halves (the initialisation vector is zero, so XOR-ing it changes nothing).
void ShortInputMask(const vexil::Blowfish& cipher, uint32_t length, unsigned char* mask) {
  uint32_t l = length * 0x01010101u;
  uint32_t r = l;
  cipher.Encipher(&l, &r);
  StoreLittleEndian(l, mask);
  StoreLittleEndian(r, mask + 4);
}

}  // namespace

bool CContainerCipher::Decode(unsigned char* buffer, uint32_t length, const unsigned char* key,
                              uint32_t key_length) {
  if (key == nullptr || key_length == 0) return false;
  if (length > 0 && buffer == nullptr) return false;
  const vexil::Blowfish cipher(key, key_length);

  if (length >= 8) {
    // The tail block overlaps the last whole block and was enciphered after it.
    if (length % 8 != 0) DecipherBlock(cipher, buffer + length - 8);
    uint32_t prev_l = 0;
    uint32_t prev_r = 0;
    for (uint32_t i = 0; i < length / 8; ++i) {
      unsigned char* block = buffer + 8 * i;
      const uint32_t cipher_l = LoadLittleEndian(block);
      const uint32_t cipher_r = LoadLittleEndian(block + 4);
      uint32_t l = cipher_l;
      uint32_t r = cipher_r;
      cipher.Decipher(&l, &r);
      StoreLittleEndian(l ^ prev_l, block);
      StoreLittleEndian(r ^ prev_r, block + 4);
      prev_l = cipher_l;
      prev_r = cipher_r;
    }
  } else if (length > 0) {
    unsigned char mask[8];
    ShortInputMask(cipher, length, mask);
    for (uint32_t i = 0; i < length; ++i)
      buffer[i] = static_cast<unsigned char>(buffer[i] - mask[i]);
  }

  uint32_t s = kScrambleSeed;
  for (uint32_t i = length; i-- > 0;) {
    const unsigned char plain = static_cast<unsigned char>(buffer[i] - (s >> 7));
    buffer[i] = plain;
    s = NextScrambleState(s, plain);
  }
  return true;
}

bool CContainerCipher::Encode(unsigned char* buffer, uint32_t length, const unsigned char* key,
                              uint32_t key_length) {
  if (key == nullptr || key_length == 0) return false;
  if (length > 0 && buffer == nullptr) return false;
  const vexil::Blowfish cipher(key, key_length);

  uint32_t s = kScrambleSeed;
  for (uint32_t i = length; i-- > 0;) {
    const unsigned char plain = buffer[i];
    buffer[i] = static_cast<unsigned char>(plain + (s >> 7));
    s = NextScrambleState(s, plain);
  }

  if (length >= 8) {
    uint32_t prev_l = 0;
    uint32_t prev_r = 0;
    for (uint32_t i = 0; i < length / 8; ++i) {
      unsigned char* block = buffer + 8 * i;
      uint32_t l = LoadLittleEndian(block) ^ prev_l;
      uint32_t r = LoadLittleEndian(block + 4) ^ prev_r;
      cipher.Encipher(&l, &r);
      StoreLittleEndian(l, block);
      StoreLittleEndian(r, block + 4);
      prev_l = l;
      prev_r = r;
    }
    if (length % 8 != 0) EncipherBlock(cipher, buffer + length - 8);
  } else if (length > 0) {
    unsigned char mask[8];
    ShortInputMask(cipher, length, mask);
    for (uint32_t i = 0; i < length; ++i)
      buffer[i] = static_cast<unsigned char>(buffer[i] + mask[i]);
  }
  return true;
}

namespace vexil {

std::array<unsigned char, kContainerKeyLength> ContainerKey() {
  // Two halves and a mask, combined here so that no 16-byte run of the binary is the key.
  static const unsigned char kFront[8] = {0x5D, 0x1A, 0xC7, 0x33, 0x90, 0x6E, 0x2B, 0xF4};
  static const unsigned char kBack[8] = {0x0C, 0xB8, 0x47, 0xE1, 0x72, 0x9F, 0x15, 0x6A};
  static const unsigned char kMask[16] = {0x76, 0x65, 0x78, 0x69, 0x6C, 0x2D, 0x64, 0x65,
                                          0x6D, 0x6F, 0x2D, 0x70, 0x6C, 0x61, 0x79, 0x21};
  std::array<unsigned char, kContainerKeyLength> key{};
  for (size_t i = 0; i < kContainerKeyLength; ++i) {
    const unsigned char part = i < 8 ? kFront[i] : kBack[15 - i];
    key[i] = static_cast<unsigned char>(part ^ kMask[(i * 7) % kContainerKeyLength]);
  }
  return key;
}

bool HasContainerExtension(const std::string& path) {
  // The extension runs from the last dot of the file-name part; both separators count.
  const size_t name_start = path.find_last_of("/\\");
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos) return false;
  if (name_start != std::string::npos && dot < name_start) return false;
  const std::string ext = path.substr(dot);
  if (ext.size() != 4) return false;
  static const char kExt[] = ".gma";
  for (size_t i = 0; i < 4; ++i) {
    char c = ext[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != kExt[i]) return false;
  }
  return true;
}

bool DecodeContainer(std::string* bytes) {
  if (bytes->size() > kMaxContainerLength) return false;
  const auto key = ContainerKey();
  return CContainerCipher().Decode(reinterpret_cast<unsigned char*>(&(*bytes)[0]),
                                   static_cast<uint32_t>(bytes->size()), key.data(),
                                   static_cast<uint32_t>(key.size()));
}

bool EncodeContainer(std::string* bytes) {
  if (bytes->size() > kMaxContainerLength) return false;
  const auto key = ContainerKey();
  return CContainerCipher().Encode(reinterpret_cast<unsigned char*>(&(*bytes)[0]),
                                   static_cast<uint32_t>(bytes->size()), key.data(),
                                   static_cast<uint32_t>(key.size()));
}

bool LoadContainerFile(const std::string& path, std::string* plain, std::string* error) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    *error = "cannot open \"" + path + "\": " + std::strerror(errno);
    return false;
  }
  std::string bytes;
  char chunk[65536];
  size_t got = 0;
  bool too_large = false;
  while ((got = std::fread(chunk, 1, sizeof(chunk), file)) > 0) {
    if (bytes.size() + got > kMaxContainerLength) {
      too_large = true;
      break;
    }
    bytes.append(chunk, got);
  }
  const bool read_failed = std::ferror(file) != 0;
  std::fclose(file);
  if (read_failed) {
    *error = "cannot read \"" + path + "\"";
    return false;
  }
  if (too_large) {
    *error = "\"" + path + "\" is too large for a script container (4 GiB at most)";
    return false;
  }
  DecodeContainer(&bytes);
  *plain = std::move(bytes);
  return true;
}

}  // namespace vexil
