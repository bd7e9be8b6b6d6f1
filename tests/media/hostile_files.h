// Small hostile media files made at run time for the tests: headers that claim sizes the data
// does not back, and sound files with absurd formats. Each is a few dozen bytes.
#pragma once

#include <cstdint>
#include <string>

namespace hostile {

// A PNG signature, an IHDR chunk (valid CRC) claiming width x height RGBA and the start of
// an IDAT chunk: a file that libpng accepts up to the pixel data.
std::string PngHeader(uint32_t width, uint32_t height);
// A baseline JPEG frame header claiming width x height and the start of a scan.
std::string JpegHeader(uint32_t width, uint32_t height);
// A run-length TGA claiming width x height 32-bit pixels with one packet of data.
std::string RleTga(uint32_t width, uint32_t height);
// A DDS header for width x height A8R8G8B8 with no pixel data.
std::string DdsHeaderOnly(uint32_t width, uint32_t height);
// A 24-bit BMP header claiming width x height with no pixel data.
std::string BmpHeaderOnly(uint32_t width, uint32_t height);
// A 16-bit PCM WAV whose header says `rate` and `channels`, with `frames` frames of a ramp.
std::string Wav(uint32_t rate, uint32_t channels, uint32_t frames);

}  // namespace hostile
