// Writes captured frames as PNG files: one fixed row filter and libdeflate's fast deflate, the
// same bytes for the same pixels on every run.
#pragma once

#include <cstdint>
#include <string>

namespace vexil {

// Writes tightly packed top-down RGB pixels (width * 3 bytes per row). False on failure, with
// the reason (the system's, such as "No space left on device") in *why when it is given.
bool WritePngRgb(const std::string& path, int width, int height, const uint8_t* rgb,
                 std::string* why = nullptr);

}  // namespace vexil
