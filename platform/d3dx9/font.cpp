// ID3DXFont: DrawTextA lays text out, rasterises missing glyphs into the atlas, uploads the
// atlas texture when it changed, and draws pre-transformed quads with the font's states,
// restoring the device's own states afterwards.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "d3d9/com_ptr.h"
#include "d3dx9/d3dx9font.h"
#include "d3dx9/font_rasterizer.h"
#include "d3dx9/text_layout.h"

namespace {

struct FontVertex {
  float x, y, z, rhw;
  D3DCOLOR color;
  float u, v;
};
constexpr DWORD kFontFVF = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

struct RenderStateValue {
  D3DRENDERSTATETYPE state;
  DWORD value;
};
struct StageStateValue {
  DWORD stage;
  D3DTEXTURESTAGESTATETYPE type;
  DWORD value;
};
struct SamplerStateValue {
  D3DSAMPLERSTATETYPE type;
  DWORD value;
};

// Alpha-blended, unlit, untested-depth text: coverage from the atlas times the colour.
const RenderStateValue kRenderStates[] = {
    {D3DRS_ALPHABLENDENABLE, TRUE},
    {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
    {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
    {D3DRS_BLENDOP, D3DBLENDOP_ADD},
    {D3DRS_ALPHATESTENABLE, TRUE},
    {D3DRS_ALPHAFUNC, D3DCMP_GREATER},
    {D3DRS_ALPHAREF, 0},
    {D3DRS_ZENABLE, FALSE},
    {D3DRS_ZWRITEENABLE, FALSE},
    {D3DRS_CULLMODE, D3DCULL_NONE},
    {D3DRS_FILLMODE, D3DFILL_SOLID},
    {D3DRS_SHADEMODE, D3DSHADE_GOURAUD},
    {D3DRS_LIGHTING, FALSE},
    {D3DRS_FOGENABLE, FALSE},
    {D3DRS_SPECULARENABLE, FALSE},
    {D3DRS_STENCILENABLE, FALSE},
    {D3DRS_SCISSORTESTENABLE, FALSE},
    {D3DRS_COLORWRITEENABLE, 0xF},
};
const StageStateValue kStageStates[] = {
    {0, D3DTSS_COLOROP, D3DTOP_MODULATE}, {0, D3DTSS_COLORARG1, D3DTA_TEXTURE},
    {0, D3DTSS_COLORARG2, D3DTA_DIFFUSE}, {0, D3DTSS_ALPHAOP, D3DTOP_MODULATE},
    {0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE}, {0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE},
    {0, D3DTSS_TEXCOORDINDEX, 0},         {0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE},
    {1, D3DTSS_COLOROP, D3DTOP_DISABLE},  {1, D3DTSS_ALPHAOP, D3DTOP_DISABLE},
};
// Glyphs map 1:1 onto pixels, so point sampling keeps them sharp.
const SamplerStateValue kSamplerStates[] = {
    {D3DSAMP_MINFILTER, D3DTEXF_POINT},    {D3DSAMP_MAGFILTER, D3DTEXF_POINT},
    {D3DSAMP_MIPFILTER, D3DTEXF_NONE},     {D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP},
    {D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP},
};

constexpr size_t kRenderCount = sizeof(kRenderStates) / sizeof(kRenderStates[0]);
constexpr size_t kStageCount = sizeof(kStageStates) / sizeof(kStageStates[0]);
constexpr size_t kSamplerCount = sizeof(kSamplerStates) / sizeof(kSamplerStates[0]);

// Everything the font changes on the device, as it was before.
class SavedDeviceState {
 public:
  void Capture(IDirect3DDevice9* d) {
    for (size_t i = 0; i < kRenderCount; ++i)
      renderOk_[i] = SUCCEEDED(d->GetRenderState(kRenderStates[i].state, &render_[i]));
    for (size_t i = 0; i < kStageCount; ++i)
      stageOk_[i] = SUCCEEDED(
          d->GetTextureStageState(kStageStates[i].stage, kStageStates[i].type, &stage_[i]));
    for (size_t i = 0; i < kSamplerCount; ++i)
      samplerOk_[i] = SUCCEEDED(d->GetSamplerState(0, kSamplerStates[i].type, &sampler_[i]));
    d->GetTexture(0, texture_.put());
    fvfOk_ = SUCCEEDED(d->GetFVF(&fvf_));
    d->GetStreamSource(0, stream_.put(), &streamOffset_, &streamStride_);
    d->GetIndices(indices_.put());
  }

  void Restore(IDirect3DDevice9* d) {
    for (size_t i = 0; i < kRenderCount; ++i)
      if (renderOk_[i]) d->SetRenderState(kRenderStates[i].state, render_[i]);
    for (size_t i = 0; i < kStageCount; ++i)
      if (stageOk_[i])
        d->SetTextureStageState(kStageStates[i].stage, kStageStates[i].type, stage_[i]);
    for (size_t i = 0; i < kSamplerCount; ++i)
      if (samplerOk_[i]) d->SetSamplerState(0, kSamplerStates[i].type, sampler_[i]);
    d->SetTexture(0, texture_.get());
    if (fvfOk_) d->SetFVF(fvf_);
    // The UP draw unset stream 0 and the indices; put the caller's back.
    d->SetStreamSource(0, stream_.get(), streamOffset_, streamStride_);
    d->SetIndices(indices_.get());
    Drop();
  }

  ~SavedDeviceState() { Drop(); }

 private:
  void Drop() {
    texture_.reset();
    stream_.reset();
    indices_.reset();
  }

  DWORD render_[kRenderCount] = {};
  bool renderOk_[kRenderCount] = {};
  DWORD stage_[kStageCount] = {};
  bool stageOk_[kStageCount] = {};
  DWORD sampler_[kSamplerCount] = {};
  bool samplerOk_[kSamplerCount] = {};
  vexil::Com<IDirect3DBaseTexture9> texture_;
  DWORD fvf_ = 0;
  bool fvfOk_ = false;
  vexil::Com<IDirect3DVertexBuffer9> stream_;
  UINT streamOffset_ = 0, streamStride_ = 0;
  vexil::Com<IDirect3DIndexBuffer9> indices_;
};

void ApplyFontStates(IDirect3DDevice9* d) {
  for (const auto& s : kRenderStates) d->SetRenderState(s.state, s.value);
  for (const auto& s : kStageStates) d->SetTextureStageState(s.stage, s.type, s.value);
  for (const auto& s : kSamplerStates) d->SetSamplerState(0, s.type, s.value);
}

// Clips a screen-space quad and its texture coordinates to a rectangle; false when nothing
// remains.
bool ClipQuad(const RECT& clip, float* x0, float* y0, float* x1, float* y1, float* u0, float* v0,
              float* u1, float* v1) {
  const float cl = static_cast<float>(clip.left), cr = static_cast<float>(clip.right);
  const float ct = static_cast<float>(clip.top), cb = static_cast<float>(clip.bottom);
  if (*x1 <= cl || *x0 >= cr || *y1 <= ct || *y0 >= cb) return false;
  const float du = (*u1 - *u0) / (*x1 - *x0), dv = (*v1 - *v0) / (*y1 - *y0);
  if (*x0 < cl) *u0 += (cl - *x0) * du, *x0 = cl;
  if (*x1 > cr) *u1 -= (*x1 - cr) * du, *x1 = cr;
  if (*y0 < ct) *v0 += (ct - *y0) * dv, *y0 = ct;
  if (*y1 > cb) *v1 -= (*y1 - cb) * dv, *y1 = cb;
  return true;
}

class Font;

// Fonts are shared: every "text" module of a demo asking for the same face and size on the
// same device gets the same font object (a face, a glyph atlas and its texture cost over a
// megabyte). The registry does not own the fonts; each removes itself when its last
// reference goes. At most kMaxFonts distinct fonts live at once.
constexpr size_t kMaxFonts = 256;

struct FontKey {
  IDirect3DDevice9* device;
  LOGFONT logFont;  // face name cleared past its terminator, so equal names compare equal

  bool operator<(const FontKey& o) const {
    if (device != o.device) return device < o.device;
    return std::memcmp(&logFont, &o.logFont, sizeof logFont) < 0;
  }
};

std::map<FontKey, Font*>& SharedFonts() {
  static std::map<FontKey, Font*> fonts;
  return fonts;
}

FontKey MakeKey(IDirect3DDevice9* device, const LOGFONT& logFont) {
  FontKey key{device, {}};
  std::memset(&key.logFont, 0, sizeof key.logFont);
  key.logFont = logFont;
  const size_t nameLength = strnlen(logFont.lfFaceName, LF_FACESIZE);
  std::memset(key.logFont.lfFaceName, 0, LF_FACESIZE);
  // Face names are matched without regard to case, as Windows does.
  for (size_t i = 0; i < nameLength && i < LF_FACESIZE - 1; ++i)
    key.logFont.lfFaceName[i] =
        static_cast<CHAR>(std::tolower(static_cast<unsigned char>(logFont.lfFaceName[i])));
  return key;
}

class Font final : public ID3DXFont {
 public:
  Font(IDirect3DDevice9* device, const LOGFONT& logFont,
       std::unique_ptr<d3dx::FontRasterizer> rasterizer, const FontKey& key)
      : device_(vexil::Com<IDirect3DDevice9>::Share(device)),
        logFont_(logFont),
        rasterizer_(std::move(rasterizer)),
        key_(key) {
    SharedFonts()[key_] = this;
  }

  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT GetDevice(IDirect3DDevice9** ppDevice) override {
    if (!ppDevice) return D3DERR_INVALIDCALL;
    *ppDevice = vexil::Com<IDirect3DDevice9>(device_).detach();
    return D3D_OK;
  }
  HRESULT GetLogFont(LOGFONT* pLogFont) override {
    if (!pLogFont) return D3DERR_INVALIDCALL;
    *pLogFont = logFont_;
    return D3D_OK;
  }

  HRESULT Begin() override {
    if (begun_) return D3D_OK;
    saved_ = std::make_unique<SavedDeviceState>();
    saved_->Capture(device_.get());
    ApplyFontStates(device_.get());
    begun_ = true;
    return D3D_OK;
  }

  HRESULT End() override {
    if (!begun_) return D3DERR_INVALIDCALL;
    saved_->Restore(device_.get());
    saved_.reset();
    begun_ = false;
    return D3D_OK;
  }

  INT DrawTextA(LPCSTR pString, INT count, RECT* pRect, DWORD format, D3DCOLOR color) override {
    if (!pString || !pRect) return 0;
    const size_t length =
        count < 0 ? std::strlen(pString) : strnlen(pString, static_cast<size_t>(count));
    const std::u32string text = d3dx::DecodeText(pString, length);

    d3dx::TextMetrics metrics;
    metrics.lineHeight = rasterizer_->LineHeight();
    metrics.tabWidth = 8 * rasterizer_->AverageCharWidth();
    metrics.advance = [this](char32_t c) { return rasterizer_->Advance(c); };
    const d3dx::TextLayout layout = d3dx::LayoutText(text, *pRect, format, metrics);
    if (format & DT_CALCRECT) {
      pRect->right = pRect->left + layout.width;
      pRect->bottom = pRect->top + layout.height;
      return layout.height;
    }

    // Rasterise every glyph first: the atlas may grow, which changes texture coordinates.
    std::vector<d3dx::GlyphInfo> infos;
    infos.reserve(layout.glyphs.size());
    for (const auto& g : layout.glyphs) infos.push_back(rasterizer_->Glyph(g.codepoint));
    if (FAILED(UpdateTexture())) return 0;

    const float invW = 1.0f / rasterizer_->AtlasWidth();
    const float invH = 1.0f / rasterizer_->AtlasHeight();
    const bool clip = !(format & DT_NOCLIP);
    std::vector<FontVertex> vertices;
    vertices.reserve(infos.size() * 6);
    for (size_t i = 0; i < infos.size(); ++i) {
      const d3dx::GlyphInfo& info = infos[i];
      if (info.width == 0 || info.height == 0) continue;
      float x0 = static_cast<float>(layout.glyphs[i].x + info.left);
      float y0 = static_cast<float>(layout.glyphs[i].lineTop + rasterizer_->Ascent() - info.top);
      float x1 = x0 + info.width, y1 = y0 + info.height;
      float u0 = info.atlasX * invW, v0 = info.atlasY * invH;
      float u1 = (info.atlasX + info.width) * invW, v1 = (info.atlasY + info.height) * invH;
      if (clip && !ClipQuad(*pRect, &x0, &y0, &x1, &y1, &u0, &v0, &u1, &v1)) continue;
      // Direct3D 9 samples pixel centres at integer coordinates: shifting by half a pixel
      // maps each texel onto exactly one pixel.
      x0 -= 0.5f, y0 -= 0.5f, x1 -= 0.5f, y1 -= 0.5f;
      const FontVertex a{x0, y0, 0, 1, color, u0, v0}, b{x1, y0, 0, 1, color, u1, v0};
      const FontVertex c{x1, y1, 0, 1, color, u1, v1}, d{x0, y1, 0, 1, color, u0, v1};
      vertices.insert(vertices.end(), {a, b, c, a, c, d});
    }
    // As DrawText: the text's height, or with vertical alignment the distance from the
    // box's top to the bottom of the text.
    const INT result = (format & (DT_VCENTER | DT_BOTTOM)) ? layout.top - pRect->top + layout.height
                                                           : layout.height;
    if (vertices.empty()) return result;

    SavedDeviceState own;
    if (!begun_) {
      own.Capture(device_.get());
      ApplyFontStates(device_.get());
    }
    device_->SetTexture(0, texture_.get());
    device_->SetFVF(kFontFVF);
    const HRESULT hr =
        device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, static_cast<UINT>(vertices.size() / 3),
                                 vertices.data(), sizeof(FontVertex));
    if (!begun_) own.Restore(device_.get());
    return SUCCEEDED(hr) ? result : 0;
  }

  HRESULT OnLostDevice() override { return D3D_OK; }
  HRESULT OnResetDevice() override { return D3D_OK; }

 private:
  ~Font() override {
    SharedFonts().erase(key_);
    if (begun_) End();
  }

  // Recreates the atlas texture when the atlas grew and uploads it when it changed.
  HRESULT UpdateTexture() {
    const int w = rasterizer_->AtlasWidth(), h = rasterizer_->AtlasHeight();
    if (texture_ && (textureWidth_ != w || textureHeight_ != h)) texture_.reset();
    if (!texture_) {
      HRESULT hr = device_->CreateTexture(w, h, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                          texture_.put(), nullptr);
      if (FAILED(hr)) return hr;
      textureWidth_ = w;
      textureHeight_ = h;
      uploadedVersion_ = ~0ull;
    }
    if (uploadedVersion_ == rasterizer_->AtlasVersion()) return D3D_OK;
    D3DLOCKED_RECT locked;
    HRESULT hr = texture_->LockRect(0, &locked, nullptr, 0);
    if (FAILED(hr)) return hr;
    const std::vector<uint8_t>& coverage = rasterizer_->AtlasPixels();
    for (int y = 0; y < h; ++y) {
      auto* row = reinterpret_cast<uint32_t*>(static_cast<unsigned char*>(locked.pBits) +
                                              static_cast<ptrdiff_t>(y) * locked.Pitch);
      const uint8_t* src = &coverage[static_cast<size_t>(y) * w];
      for (int x = 0; x < w; ++x) row[x] = (uint32_t(src[x]) << 24) | 0x00FFFFFFu;
    }
    hr = texture_->UnlockRect(0);
    if (SUCCEEDED(hr)) uploadedVersion_ = rasterizer_->AtlasVersion();
    return hr;
  }

  // Declared first: released last, after the atlas made on it.
  vexil::Com<IDirect3DDevice9> device_;
  LOGFONT logFont_;
  std::unique_ptr<d3dx::FontRasterizer> rasterizer_;
  vexil::Com<IDirect3DTexture9> texture_;
  int textureWidth_ = 0, textureHeight_ = 0;
  uint64_t uploadedVersion_ = ~0ull;
  bool begun_ = false;
  std::unique_ptr<SavedDeviceState> saved_;
  FontKey key_;
  ULONG refs_ = 1;
};

}  // namespace

HRESULT D3DXCreateFontIndirect(IDirect3DDevice9* pDevice, const LOGFONT* pLogFont,
                               ID3DXFont** ppFont) {
  if (!ppFont) return D3DERR_INVALIDCALL;
  *ppFont = nullptr;
  if (!pDevice || !pLogFont) return D3DERR_INVALIDCALL;
  const FontKey key = MakeKey(pDevice, *pLogFont);
  auto shared = SharedFonts().find(key);
  if (shared != SharedFonts().end()) {
    shared->second->AddRef();
    *ppFont = shared->second;
    return D3D_OK;
  }
  if (SharedFonts().size() >= kMaxFonts) {
    std::fprintf(stderr,
                 "D3DX: cannot create font \"%.*s\" of height %ld: more than the limit of %zu "
                 "different fonts (face and size) at once\n",
                 LF_FACESIZE, pLogFont->lfFaceName, static_cast<long>(pLogFont->lfHeight),
                 kMaxFonts);
    return E_OUTOFMEMORY;
  }
  std::string error;
  auto rasterizer = d3dx::FontRasterizer::Create(*pLogFont, &error);
  if (!rasterizer) {
    std::fprintf(stderr, "D3DX: cannot create font: %s\n", error.c_str());
    return D3DXERR_INVALIDDATA;
  }
  *ppFont = new Font(pDevice, *pLogFont, std::move(rasterizer), key);
  return D3D_OK;
}
