// D3D9's default device state and the validity checks for state enumerations.
#include "d3d9/state_mirror.h"

namespace vexil::d3d9 {

D3DMATRIX IdentityMatrix() {
  D3DMATRIX m{};
  m._11 = m._22 = m._33 = m._44 = 1.0f;
  return m;
}

D3DLIGHT9 DefaultLight() {
  D3DLIGHT9 light{};
  light.Type = D3DLIGHT_DIRECTIONAL;
  light.Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
  light.Direction = {0.0f, 0.0f, 1.0f};
  return light;
}

bool StateMirror::IsRenderState(DWORD state) {
  // The numbering has holes (retired DX7/DX8 states); only the D3D9 names are valid.
  static const std::array<bool, kRenderStateCount> kValid = [] {
    std::array<bool, kRenderStateCount> v{};
    const DWORD known[] = {
        7,   8,   9,   14,  15,  16,  19,  20,  22,  23,  24,  25,  26,  27,  28,  29,  34,  35,
        36,  37,  38,  48,  52,  53,  54,  55,  56,  57,  58,  59,  60,  136, 137, 139, 140, 141,
        142, 143, 145, 146, 147, 148, 151, 152, 154, 155, 156, 157, 158, 159, 160, 161, 162, 163,
        165, 166, 167, 168, 170, 171, 172, 173, 174, 175, 176, 178, 179, 180, 181, 182, 183, 184,
        185, 186, 187, 188, 189, 190, 191, 192, 193, 194, 195, 206, 207, 208, 209};
    for (DWORD s : known) v[s] = true;
    for (DWORD s = D3DRS_WRAP0; s <= D3DRS_WRAP7; ++s) v[s] = true;
    for (DWORD s = D3DRS_WRAP8; s <= D3DRS_WRAP15; ++s) v[s] = true;
    return v;
  }();
  return state < kRenderStateCount && kValid[state];
}

bool StateMirror::IsStageState(DWORD type) {
  return (type >= D3DTSS_COLOROP && type <= D3DTSS_TEXCOORDINDEX) || type == D3DTSS_BUMPENVLSCALE ||
         type == D3DTSS_BUMPENVLOFFSET || type == D3DTSS_TEXTURETRANSFORMFLAGS ||
         type == D3DTSS_COLORARG0 || type == D3DTSS_ALPHAARG0 || type == D3DTSS_RESULTARG ||
         type == D3DTSS_CONSTANT;
}

int StateMirror::TransformSlotOf(DWORD t) {
  if (t == D3DTS_VIEW) return kSlotView;
  if (t == D3DTS_PROJECTION) return kSlotProjection;
  if (t >= D3DTS_TEXTURE0 && t <= D3DTS_TEXTURE7) return kSlotTexture0 + (t - D3DTS_TEXTURE0);
  if (t >= 256 && t < 256 + kWorldMatrixCount) return kSlotWorld + (t - 256);
  return -1;
}

uint32_t StateMirror::DirtyBitOf(DWORD state) {
  switch (state) {
    case D3DRS_LIGHTING:
    case D3DRS_NORMALIZENORMALS:
    case D3DRS_LOCALVIEWER:
    case D3DRS_COLORVERTEX:
    case D3DRS_DIFFUSEMATERIALSOURCE:
    case D3DRS_SPECULARMATERIALSOURCE:
    case D3DRS_AMBIENTMATERIALSOURCE:
    case D3DRS_EMISSIVEMATERIALSOURCE:
    case D3DRS_SHADEMODE:
    case D3DRS_FOGENABLE:
    case D3DRS_FOGTABLEMODE:
    case D3DRS_FOGVERTEXMODE:
    case D3DRS_RANGEFOGENABLE:
    case D3DRS_ALPHATESTENABLE:
    case D3DRS_ALPHAFUNC:
    case D3DRS_POINTSPRITEENABLE:
    case D3DRS_POINTSCALEENABLE:
      return kDirtyShaderKey;
    case D3DRS_AMBIENT:
    case D3DRS_FOGCOLOR:
    case D3DRS_FOGSTART:
    case D3DRS_FOGEND:
    case D3DRS_FOGDENSITY:
    case D3DRS_ALPHAREF:
    case D3DRS_SPECULARENABLE:
    case D3DRS_POINTSIZE:
    case D3DRS_POINTSIZE_MIN:
    case D3DRS_POINTSIZE_MAX:
    case D3DRS_POINTSCALE_A:
    case D3DRS_POINTSCALE_B:
    case D3DRS_POINTSCALE_C:
    case D3DRS_TEXTUREFACTOR:
      return kDirtyConstants;
    default:
      return kDirtyRenderState;
  }
}

float StateMirror::RenderFloat(D3DRENDERSTATETYPE state) const {
  return BitsFloat(render[state]);
}

void StateMirror::Reset(bool autoDepthStencil, UINT targetWidth, UINT targetHeight) {
  render.fill(0);
  auto& r = render;
  r[D3DRS_ZENABLE] = autoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
  r[D3DRS_FILLMODE] = D3DFILL_SOLID;
  r[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
  r[D3DRS_ZWRITEENABLE] = TRUE;
  r[D3DRS_LASTPIXEL] = TRUE;
  r[D3DRS_SRCBLEND] = D3DBLEND_ONE;
  r[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
  r[D3DRS_CULLMODE] = D3DCULL_CCW;
  r[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
  r[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
  r[D3DRS_FOGSTART] = FloatBits(0.0f);
  r[D3DRS_FOGEND] = FloatBits(1.0f);
  r[D3DRS_FOGDENSITY] = FloatBits(1.0f);
  r[D3DRS_STENCILFAIL] = D3DSTENCILOP_KEEP;
  r[D3DRS_STENCILZFAIL] = D3DSTENCILOP_KEEP;
  r[D3DRS_STENCILPASS] = D3DSTENCILOP_KEEP;
  r[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
  r[D3DRS_STENCILMASK] = 0xffffffff;
  r[D3DRS_STENCILWRITEMASK] = 0xffffffff;
  r[D3DRS_TEXTUREFACTOR] = 0xffffffff;
  r[D3DRS_CLIPPING] = TRUE;
  r[D3DRS_LIGHTING] = TRUE;
  r[D3DRS_COLORVERTEX] = TRUE;
  r[D3DRS_LOCALVIEWER] = TRUE;
  r[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
  r[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
  r[D3DRS_AMBIENTMATERIALSOURCE] = D3DMCS_MATERIAL;
  r[D3DRS_EMISSIVEMATERIALSOURCE] = D3DMCS_MATERIAL;
  r[D3DRS_POINTSIZE] = FloatBits(1.0f);
  r[D3DRS_POINTSIZE_MIN] = FloatBits(1.0f);
  r[D3DRS_POINTSCALE_A] = FloatBits(1.0f);
  r[D3DRS_POINTSCALE_B] = FloatBits(0.0f);
  r[D3DRS_POINTSCALE_C] = FloatBits(0.0f);
  r[D3DRS_MULTISAMPLEANTIALIAS] = TRUE;
  r[D3DRS_MULTISAMPLEMASK] = 0xffffffff;
  r[D3DRS_DEBUGMONITORTOKEN] = 0;
  r[D3DRS_POINTSIZE_MAX] = FloatBits(64.0f);
  r[D3DRS_COLORWRITEENABLE] = 0xf;
  r[D3DRS_TWEENFACTOR] = FloatBits(0.0f);
  r[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
  r[D3DRS_POSITIONDEGREE] = 3;  // D3DDEGREE_CUBIC
  r[D3DRS_NORMALDEGREE] = 1;    // D3DDEGREE_LINEAR
  r[D3DRS_MINTESSELLATIONLEVEL] = FloatBits(1.0f);
  r[D3DRS_MAXTESSELLATIONLEVEL] = FloatBits(1.0f);
  r[D3DRS_ADAPTIVETESS_Z] = FloatBits(1.0f);
  r[D3DRS_CCW_STENCILFAIL] = D3DSTENCILOP_KEEP;
  r[D3DRS_CCW_STENCILZFAIL] = D3DSTENCILOP_KEEP;
  r[D3DRS_CCW_STENCILPASS] = D3DSTENCILOP_KEEP;
  r[D3DRS_CCW_STENCILFUNC] = D3DCMP_ALWAYS;
  r[D3DRS_COLORWRITEENABLE1] = 0xf;
  r[D3DRS_COLORWRITEENABLE2] = 0xf;
  r[D3DRS_COLORWRITEENABLE3] = 0xf;
  r[D3DRS_BLENDFACTOR] = 0xffffffff;
  r[D3DRS_SRCBLENDALPHA] = D3DBLEND_ONE;
  r[D3DRS_DESTBLENDALPHA] = D3DBLEND_ZERO;
  r[D3DRS_BLENDOPALPHA] = D3DBLENDOP_ADD;

  for (auto& s : sampler) {
    s.fill(0);
    s[D3DSAMP_ADDRESSU] = D3DTADDRESS_WRAP;
    s[D3DSAMP_ADDRESSV] = D3DTADDRESS_WRAP;
    s[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
    s[D3DSAMP_MAGFILTER] = D3DTEXF_POINT;
    s[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
    s[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
    s[D3DSAMP_MAXANISOTROPY] = 1;
  }

  for (DWORD i = 0; i < kStageCount; ++i) {
    auto& s = stage[i];
    s.fill(0);
    s[D3DTSS_COLOROP] = i == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    s[D3DTSS_ALPHAOP] = i == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
    s[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    s[D3DTSS_COLORARG2] = D3DTA_CURRENT;
    s[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    s[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    s[D3DTSS_TEXCOORDINDEX] = i;
    s[D3DTSS_COLORARG0] = D3DTA_CURRENT;
    s[D3DTSS_ALPHAARG0] = D3DTA_CURRENT;
    s[D3DTSS_RESULTARG] = D3DTA_CURRENT;
  }

  transform.fill(IdentityMatrix());
  lights.clear();
  material = D3DMATERIAL9{};
  viewport = {0, 0, targetWidth, targetHeight, 0.0f, 1.0f};
  scissor = {0, 0, static_cast<LONG>(targetWidth), static_cast<LONG>(targetHeight)};
  fvf = 0;
  dirty = kDirtyAll;
  dirtyTextureSlots = dirtySamplerSlots = kAllSlots;
}

}  // namespace vexil::d3d9
