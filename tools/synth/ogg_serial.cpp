// Ogg page walking and CRC-32 (polynomial 0x04C11DB7, unreflected, as Ogg defines it).
#include "ogg_serial.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

namespace synth {

namespace {

uint32_t OggCrc(const uint8_t* data, size_t size) {
  static uint32_t table[256];
  static bool ready = false;
  if (!ready) {
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t r = i << 24;
      for (int bit = 0; bit < 8; ++bit) r = (r & 0x80000000u) ? (r << 1) ^ 0x04C11DB7u : r << 1;
      table[i] = r;
    }
    ready = true;
  }
  uint32_t crc = 0;
  for (size_t i = 0; i < size; ++i) crc = (crc << 8) ^ table[((crc >> 24) ^ data[i]) & 0xFF];
  return crc;
}

void Put32(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

bool SetOggSerial(const std::string& path, uint32_t serial) {
  std::vector<uint8_t> bytes;
  {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  constexpr size_t kHeader = 27;  // fixed part of a page header, before the segment table
  size_t pos = 0;
  while (pos < bytes.size()) {
    if (bytes.size() - pos < kHeader || bytes[pos] != 'O' || bytes[pos + 1] != 'g' ||
        bytes[pos + 2] != 'g' || bytes[pos + 3] != 'S') {
      return false;
    }
    const size_t segments = bytes[pos + 26];
    if (bytes.size() - pos < kHeader + segments) return false;
    size_t body = 0;
    for (size_t i = 0; i < segments; ++i) body += bytes[pos + kHeader + i];
    const size_t page = kHeader + segments + body;
    if (bytes.size() - pos < page) return false;
    Put32(&bytes[pos + 14], serial);
    Put32(&bytes[pos + 22], 0);  // the checksum is computed with its own field zeroed
    Put32(&bytes[pos + 22], OggCrc(&bytes[pos], page));
    pos += page;
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace synth
