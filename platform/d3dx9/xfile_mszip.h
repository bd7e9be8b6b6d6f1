// Compressed .x files ("tzip" text, "bzip" binary): after the 16-byte header, the size of the
// whole uncompressed file, then MSZIP blocks, each a 4-byte block header, the signature "CK"
// and a deflate stream that may refer back into the previous block's output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace d3dx {

// Writes the uncompressed file (header with "txt " or "bin ", then the data) into `out`.
// Never produces more than `maxBytes`; false with `error` set on broken or too large data.
bool InflateXFile(const unsigned char* data, size_t size, uint64_t maxBytes,
                  std::vector<unsigned char>* out, std::string* error);

}  // namespace d3dx
