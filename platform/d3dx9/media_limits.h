// Limits on what a demo's pictures and meshes may ask of the machine. Each is far above what
// a real demo needs; a file past one is refused with a message naming the limit, so that a
// hostile or broken file cannot exhaust memory. docs/SCRIPTING.md lists them for demo makers.
#pragma once

#include <cstdint>
#include <string>

namespace d3dx {

// Pictures: the largest side of a texture (also after rounding up to a power of two), its
// pixel count (8192 x 8192: 256 MiB as A8R8G8B8) and the size of an image file.
constexpr uint32_t kMaxTextureSide = 16384;
constexpr uint64_t kMaxTexturePixels = uint64_t{8192} * 8192;
constexpr uint64_t kMaxImageFileBytes = uint64_t{256} << 20;

// Meshes: .x file size, vertices and triangles after loading (the whole file), frames nested
// inside one another, and materials.
constexpr uint64_t kMaxMeshFileBytes = uint64_t{256} << 20;
constexpr uint32_t kMaxMeshVertices = 4u << 20;
constexpr uint32_t kMaxMeshFaces = 4u << 20;
constexpr uint32_t kMaxFrameDepth = 256;
constexpr uint32_t kMaxMeshMaterials = 65536;

// Empty when a width x height picture is within the texture limits, else the reason, e.g.
// "20000 x 20000 pixels is larger than the limit of 16384 pixels a side".
inline std::string CheckTextureSize(uint64_t width, uint64_t height) {
  if (width == 0 || height == 0)
    return "the picture claims a size of " + std::to_string(width) + " x " +
           std::to_string(height) + " pixels";
  if (width > kMaxTextureSide || height > kMaxTextureSide)
    return std::to_string(width) + " x " + std::to_string(height) +
           " pixels is larger than the limit of " + std::to_string(kMaxTextureSide) +
           " pixels a side";
  if (width * height > kMaxTexturePixels)
    return std::to_string(width) + " x " + std::to_string(height) +
           " pixels is more than the limit of " + std::to_string(kMaxTexturePixels) +
           " pixels (8192 x 8192)";
  return {};
}

}  // namespace d3dx
