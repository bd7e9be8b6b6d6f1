// The vexil mark shown in the setup dialog and used as its window icon: a rounded dark
// tile with an orange "V" stroke, as pixels and as ImGui drawing.
#pragma once

#include <cstdint>
#include <vector>

struct ImDrawList;
struct ImVec2;

namespace vexil {

// size x size pixels, rows top to bottom, each pixel R, G, B, A bytes (anti-aliased).
std::vector<uint8_t> MakeMarkPixels(int size);

// Draws the mark with its top-left corner at `origin`, `size` pixels square.
void DrawMark(ImDrawList* draw_list, const ImVec2& origin, float size);

}  // namespace vexil
