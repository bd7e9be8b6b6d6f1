// Overlay text drawn with D3DX's font through the device, inside a scene of its own.
#include "edit_overlay.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace vexil {

namespace {

constexpr int kLineHeight = 18;
constexpr int kMargin = 6;

}  // namespace

std::string FormatDemoTime(double ms) {
  const bool negative = ms < 0;
  const long long total = std::llround(std::fabs(ms));
  char text[48];
  std::snprintf(text, sizeof text, "%s%lld:%02lld.%03lld", negative ? "-" : "", total / 60000,
                (total / 1000) % 60, total % 1000);
  return text;
}

EditOverlay::EditOverlay(IDirect3DDevice9* device) : device_(device) {
  LOGFONT face{};
  face.lfHeight = 16;
  face.lfWeight = 700;
  face.lfCharSet = 1;  // DEFAULT_CHARSET
  face.lfQuality = 4;  // ANTIALIASED_QUALITY
  // A monospaced face keeps the numbers still while they count; fontconfig finds a fallback.
  std::strncpy(face.lfFaceName, "DejaVu Sans Mono", sizeof face.lfFaceName - 1);
  // A failed creation leaves the font null, and Draw then shows nothing.
  D3DXCreateFontIndirect(device_, &face, font_.put());
}

int EditOverlay::DrawLine(const std::string& text, D3DCOLOR color, int x, int y, int right) {
  // Wrapped at blanks within the window: an error names a file and says why, all of it matters.
  RECT shadow = {x + 1, y + 1, right + 1, y + 1};
  font_->DrawTextA(text.c_str(), -1, &shadow, DT_WORDBREAK | DT_NOCLIP, 0xC0000000);
  RECT box = {x, y, right, y};
  return font_->DrawTextA(text.c_str(), -1, &box, DT_WORDBREAK | DT_NOCLIP, color);
}

int EditOverlay::Measure(const std::string& text, int right) {
  RECT box = {kMargin, 0, right, 0};
  return font_->DrawTextA(text.c_str(), -1, &box, DT_WORDBREAK | DT_CALCRECT, 0);
}

void EditOverlay::DrawBacking(int left, int top, int right, int bottom) {
  // A clear of a rectangle: opaque and independent of every blending state. The viewport and
  // the scissor limit a clear, so both open to the whole target for it and return after.
  D3DVIEWPORT9 viewport{};
  const bool had_viewport = device_->GetViewport(&viewport) == D3D_OK;
  DWORD scissor = FALSE;
  device_->GetRenderState(D3DRS_SCISSORTESTENABLE, &scissor);
  D3DVIEWPORT9 whole = {0, 0, static_cast<DWORD>(right), static_cast<DWORD>(bottom), 0.0f, 1.0f};
  device_->SetViewport(&whole);
  device_->SetRenderState(D3DRS_SCISSORTESTENABLE, FALSE);
  const D3DRECT box = {left, top, right, bottom};
  device_->Clear(1, &box, D3DCLEAR_TARGET, kBackingColor, 1.0f, 0);
  device_->SetRenderState(D3DRS_SCISSORTESTENABLE, scissor);
  if (had_viewport) device_->SetViewport(&viewport);
}

void EditOverlay::Draw(const std::vector<OverlayLine>& top, const std::vector<OverlayLine>& bottom,
                       int width, int height) {
  if (!font_ || (top.empty() && bottom.empty())) return;
  if (FAILED(device_->BeginScene())) return;
  font_->Begin();
  const int right = std::max(width - kMargin, kMargin + 1);
  int y = kMargin;
  for (const OverlayLine& line : top) {
    y += std::max(DrawLine(line.text, line.color, kMargin, y, right), kLineHeight);
  }
  int total = 0;
  for (const OverlayLine& line : bottom) total += std::max(Measure(line.text, right), kLineHeight);
  y = height - kMargin - total;
  if (!bottom.empty()) DrawBacking(0, std::max(y - kMargin, 0), width, height);
  for (const OverlayLine& line : bottom) {
    y += std::max(DrawLine(line.text, line.color, kMargin, y, right), kLineHeight);
  }
  font_->End();
  device_->EndScene();
}

}  // namespace vexil
