// Geometry of the vexil mark, shared by the pixel icon and the in-dialog drawing so the
// two always agree. Coordinates are in units of the mark's size.
#include "setup_dialog_mark.h"

#include <imgui.h>

#include <algorithm>
#include <cmath>

namespace vexil {

namespace {

constexpr float kCornerRadius = 0.22f;
constexpr float kStrokeHalfWidth = 0.085f;
constexpr float kLeftTop[2] = {0.24f, 0.26f};
constexpr float kBottom[2] = {0.5f, 0.77f};
constexpr float kRightTop[2] = {0.76f, 0.26f};
constexpr uint8_t kTile[3] = {0x22, 0x27, 0x36};
constexpr uint8_t kStroke[3] = {0xFF, 0x8A, 0x3D};

bool InsideTile(float x, float y) {
  // Distance from the inner rectangle that the corner circles are centred on.
  const float dx = std::max(std::fabs(x - 0.5f) - (0.5f - kCornerRadius), 0.0f);
  const float dy = std::max(std::fabs(y - 0.5f) - (0.5f - kCornerRadius), 0.0f);
  return dx * dx + dy * dy <= kCornerRadius * kCornerRadius;
}

float DistanceToSegment(float x, float y, const float* a, const float* b) {
  const float abx = b[0] - a[0], aby = b[1] - a[1];
  float t = ((x - a[0]) * abx + (y - a[1]) * aby) / (abx * abx + aby * aby);
  t = std::min(std::max(t, 0.0f), 1.0f);
  const float px = a[0] + t * abx - x, py = a[1] + t * aby - y;
  return std::sqrt(px * px + py * py);
}

bool InsideStroke(float x, float y) {
  return DistanceToSegment(x, y, kLeftTop, kBottom) <= kStrokeHalfWidth ||
         DistanceToSegment(x, y, kBottom, kRightTop) <= kStrokeHalfWidth;
}

}  // namespace

std::vector<uint8_t> MakeMarkPixels(int size) {
  std::vector<uint8_t> pixels(static_cast<size_t>(size) * size * 4, 0);
  constexpr int kSamples = 4;  // per axis, for smooth edges at icon sizes
  for (int py = 0; py < size; ++py) {
    for (int px = 0; px < size; ++px) {
      int tile = 0, stroke = 0;
      for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
          const float x = (px + (sx + 0.5f) / kSamples) / size;
          const float y = (py + (sy + 0.5f) / kSamples) / size;
          if (!InsideTile(x, y)) continue;
          ++tile;
          if (InsideStroke(x, y)) ++stroke;
        }
      }
      uint8_t* out = &pixels[(static_cast<size_t>(py) * size + px) * 4];
      if (tile == 0) continue;
      const float s = static_cast<float>(stroke) / tile;
      for (int c = 0; c < 3; ++c) {
        out[c] = static_cast<uint8_t>(kTile[c] + (kStroke[c] - kTile[c]) * s + 0.5f);
      }
      out[3] = static_cast<uint8_t>(255 * tile / (kSamples * kSamples));
    }
  }
  return pixels;
}

void DrawMark(ImDrawList* draw_list, const ImVec2& origin, float size) {
  const ImU32 tile = IM_COL32(kTile[0], kTile[1], kTile[2], 255);
  const ImU32 stroke = IM_COL32(kStroke[0], kStroke[1], kStroke[2], 255);
  auto at = [&](const float* p) { return ImVec2(origin.x + p[0] * size, origin.y + p[1] * size); };
  draw_list->AddRectFilled(origin, ImVec2(origin.x + size, origin.y + size), tile,
                           kCornerRadius * size);
  const ImVec2 points[3] = {at(kLeftTop), at(kBottom), at(kRightTop)};
  draw_list->AddPolyline(points, 3, stroke, ImDrawFlags_None, 2.0f * kStrokeHalfWidth * size);
}

}  // namespace vexil
