// libFuzzer target for the script container decoder: any bytes, with the player's key and
// with a key taken from the input, must decode inside the buffer and re-encode to the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "container/container_cipher.h"

namespace {

void DecodeAndCheck(const uint8_t* data, size_t size, const unsigned char* key, uint32_t key_len) {
  // An exact-size copy lets the address sanitizer catch any step that leaves the buffer.
  std::unique_ptr<unsigned char[]> buffer(new unsigned char[size ? size : 1]);
  if (size) std::memcpy(buffer.get(), data, size);
  CContainerCipher cipher;
  cipher.Decode(buffer.get(), static_cast<uint32_t>(size), key, key_len);
  // Every step is invertible: encoding the decoded text must give the container back.
  cipher.Encode(buffer.get(), static_cast<uint32_t>(size), key, key_len);
  if (size && std::memcmp(buffer.get(), data, size) != 0) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto key = vexil::ContainerKey();
  DecodeAndCheck(data, size, key.data(), static_cast<uint32_t>(key.size()));

  // The first byte chooses a key length (1..56) taken from the bytes that follow it.
  if (size >= 2) {
    const size_t key_len = 1 + data[0] % 56;
    if (size > 1 + key_len) {
      DecodeAndCheck(data + 1 + key_len, size - 1 - key_len, data + 1,
                     static_cast<uint32_t>(key_len));
    }
  }
  return 0;
}
