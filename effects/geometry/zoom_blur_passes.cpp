// Zoom blur pass arithmetic: all single precision, so the picture is the same everywhere.
#include "zoom_blur_passes.h"

namespace effects {

namespace {

// 1/640 and (a little under) 1/480: one virtual pixel of offset in texture units.
constexpr float kPerVirtualPixelX = 0.0015625f;
constexpr float kPerVirtualPixelY = 0.0020833f;

}  // namespace

ZoomCentre ZoomCentreFor(float xOffset, float yOffset) {
  ZoomCentre centre;
  centre.kLeft = 1.0f - (0.5f - (xOffset + 320.0f) * kPerVirtualPixelX);
  centre.kRight = 2.0f - centre.kLeft;
  centre.kTop = 1.0f - (0.5f - (yOffset + 240.0f) * kPerVirtualPixelY);
  centre.kBottom = 2.0f - centre.kTop;
  return centre;
}

int32_t BlurPassCount(int32_t times) {
  if (times <= 0) return 0;
  return times > kMaxBlurPasses ? kMaxBlurPasses : times;
}

ZoomBlurPass ZoomBlurPass::First(float startAlpha, int32_t passes) {
  // No passes, no step: the division would be by zero.
  return {startAlpha, passes > 0 ? startAlpha / static_cast<float>(passes) : 0.0f, 0.0f};
}

void WriteBlurQuad(const ZoomCentre& c, const ZoomBlurPass& pass, VertexColorTex quad[4]) {
  const uint32_t color = (OpacityToByte(pass.alpha) << 24) | 0x00FFFFFFu;
  const float z = pass.zoom;
  // Texture row 0 is the top of the picture: the top edge (y 480) takes the smaller v.
  quad[0] = {0.0f, 480.0f, 0.0f, color, c.kLeft * z, c.kTop * z};
  quad[1] = {640.0f, 480.0f, 0.0f, color, 1.0f - c.kRight * z, c.kTop * z};
  quad[2] = {0.0f, 0.0f, 0.0f, color, c.kLeft * z, 1.0f - c.kBottom * z};
  quad[3] = {640.0f, 0.0f, 0.0f, color, 1.0f - c.kRight * z, 1.0f - c.kBottom * z};
}

}  // namespace effects
