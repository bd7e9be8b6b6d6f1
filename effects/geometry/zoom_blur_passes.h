// The passes of the zoom blur without a device: where the zoom centre lies, how many passes a
// frame may draw, and the full-screen quad of each pass with its texture window and opacity.
#pragma once

#include <cstdint>

#include "vertex_formats.h"

namespace effects {

// More passes than this are drawn as this many: a frame stays bounded whatever "times" says.
constexpr int32_t kMaxBlurPasses = 1024;

// The zoom centre as the factors of the four quad edges: edge coordinates move inwards by
// factor x zoom per pass. kLeft + kRight = kTop + kBottom = 2, so the point that stays put
// lies at u = kLeft / 2, v = kTop / 2.
struct ZoomCentre {
  float kLeft, kRight, kTop, kBottom;
};
ZoomCentre ZoomCentreFor(float xOffset, float yOffset);

// The passes drawn for a "times" value: none for 0 or less, at most kMaxBlurPasses.
int32_t BlurPassCount(int32_t times);

// One pass of a frame: its opacity and how far it is zoomed. The first pass has the start
// opacity and no zoom; each further pass loses startAlpha / passes of opacity and gains the
// growth "size", accumulated in single precision as the pass loop runs.
struct ZoomBlurPass {
  float alpha;
  float alphaStep;
  float zoom;

  static ZoomBlurPass First(float startAlpha, int32_t passes);
  void Advance(float size) {
    alpha -= alphaStep;
    zoom += size;
  }
};

// The 640 x 480 full-screen strip of one pass: white with the pass's alpha, showing the
// texture window that the zoom leaves around the centre.
void WriteBlurQuad(const ZoomCentre& centre, const ZoomBlurPass& pass, VertexColorTex quad[4]);

}  // namespace effects
