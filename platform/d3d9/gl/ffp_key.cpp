// Packs the fixed-function state into an FfpKey, resolving D3D9's rules (material colour
// sources, unbound textures, disabled stages ending the cascade) so the shader generator
// only sees what matters.
#include "d3d9/gl/ffp_key.h"

namespace vexil::d3d9 {

namespace {

MaterialSource ResolveSource(DWORD source, bool colorVertex, const VertexLayout& layout) {
  if (!colorVertex) return MaterialSource::kMaterial;
  if (source == D3DMCS_COLOR1 && layout.diffuseOffset >= 0) return MaterialSource::kDiffuse;
  if (source == D3DMCS_COLOR2 && layout.specularOffset >= 0) return MaterialSource::kSpecular;
  return MaterialSource::kMaterial;
}

bool UsesTexture(DWORD op, DWORD a0, DWORD a1, DWORD a2) {
  auto is = [](DWORD a) { return (a & D3DTA_SELECTMASK) == D3DTA_TEXTURE; };
  switch (op) {
    case D3DTOP_DISABLE:
      return false;
    case D3DTOP_SELECTARG1:
      return is(a1);
    case D3DTOP_SELECTARG2:
      return is(a2);
    case D3DTOP_BLENDTEXTUREALPHA:
    case D3DTOP_BLENDTEXTUREALPHAPM:
      return true;
    case D3DTOP_MULTIPLYADD:
    case D3DTOP_LERP:
      return is(a0) || is(a1) || is(a2);
    default:
      return is(a1) || is(a2);
  }
}

}  // namespace

bool IsAffineProjection(const D3DMATRIX& m) {
  return m._14 == 0.0f && m._24 == 0.0f && m._34 == 0.0f && m._44 == 1.0f;
}

void BuildFfpKey(const StateMirror& s, const VertexLayout& layout, uint32_t texturesBound,
                 bool points, FfpKey* key, DWORD* activeLights) {
  std::memset(key, 0, sizeof(*key));
  const auto& r = s.render;
  key->pretransformed = layout.pretransformed;
  key->hasNormal = layout.normalOffset >= 0;
  key->hasDiffuse = layout.diffuseOffset >= 0;
  key->hasSpecular = layout.specularOffset >= 0;
  key->hasPointSize = layout.pointSizeOffset >= 0;
  key->texCoordCount = static_cast<uint8_t>(layout.texCoordCount);
  for (UINT i = 0; i < layout.texCoordCount; ++i) {
    key->texCoordSize[i] = static_cast<uint8_t>(layout.texCoordSize[i]);
  }

  // Pre-transformed vertices are never lit.
  key->lighting = r[D3DRS_LIGHTING] && !layout.pretransformed;
  if (key->lighting) {
    for (DWORD i = 0; i < s.lights.size() && key->lightCount < kMaxActiveLights; ++i) {
      if (!s.lights[i].enabled) continue;
      activeLights[key->lightCount] = i;
      key->lightType[key->lightCount] = static_cast<uint8_t>(s.lights[i].light.Type);
      ++key->lightCount;
    }
    key->localViewer = r[D3DRS_LOCALVIEWER] != 0;
    const bool colorVertex = r[D3DRS_COLORVERTEX] != 0;
    key->diffuseSource = ResolveSource(r[D3DRS_DIFFUSEMATERIALSOURCE], colorVertex, layout);
    key->ambientSource = ResolveSource(r[D3DRS_AMBIENTMATERIALSOURCE], colorVertex, layout);
    key->specularSource = ResolveSource(r[D3DRS_SPECULARMATERIALSOURCE], colorVertex, layout);
    key->emissiveSource = ResolveSource(r[D3DRS_EMISSIVEMATERIALSOURCE], colorVertex, layout);
  }
  key->flatShading = r[D3DRS_SHADEMODE] == D3DSHADE_FLAT;

  if (r[D3DRS_FOGENABLE]) {
    const DWORD table = r[D3DRS_FOGTABLEMODE];
    const DWORD vertex = r[D3DRS_FOGVERTEXMODE];
    if (table >= D3DFOG_EXP && table <= D3DFOG_LINEAR) {
      key->fog = FogKind::kTable;
      key->fogMode = static_cast<uint8_t>(table);
      key->fogFromDeviceZ =
          layout.pretransformed || IsAffineProjection(s.transform[kSlotProjection]);
    } else if (vertex >= D3DFOG_EXP && vertex <= D3DFOG_LINEAR && !layout.pretransformed) {
      key->fog = FogKind::kVertex;
      key->fogMode = static_cast<uint8_t>(vertex);
      key->rangeFog = r[D3DRS_RANGEFOGENABLE] != 0;
    } else {
      key->fog = FogKind::kVertexAlpha;
    }
  }
  if (r[D3DRS_ALPHATESTENABLE] && r[D3DRS_ALPHAFUNC] != D3DCMP_ALWAYS) {
    key->alphaFunc = static_cast<uint8_t>(r[D3DRS_ALPHAFUNC]);
  }
  key->points = points;
  key->pointSprite = points && r[D3DRS_POINTSPRITEENABLE] != 0;
  key->pointScale = points && r[D3DRS_POINTSCALEENABLE] != 0 && !layout.pretransformed;

  for (DWORD i = 0; i < kStageCount; ++i) {
    const auto& st = s.stage[i];
    const DWORD colorOp = st[D3DTSS_COLOROP];
    if (colorOp == D3DTOP_DISABLE || colorOp > D3DTOP_LERP || colorOp == 0) break;
    FfpStageKey& k = key->stages[i];
    const bool bound = (texturesBound >> i) & 1;
    k.textureBound = bound;
    k.colorOp = static_cast<uint8_t>(colorOp);
    k.colorArg0 = static_cast<uint8_t>(st[D3DTSS_COLORARG0]);
    k.colorArg1 = static_cast<uint8_t>(st[D3DTSS_COLORARG1]);
    k.colorArg2 = static_cast<uint8_t>(st[D3DTSS_COLORARG2]);
    DWORD alphaOp = st[D3DTSS_ALPHAOP];
    if (alphaOp > D3DTOP_LERP || alphaOp == 0) alphaOp = D3DTOP_DISABLE;
    k.alphaOp = static_cast<uint8_t>(alphaOp);
    k.alphaArg0 = static_cast<uint8_t>(st[D3DTSS_ALPHAARG0]);
    k.alphaArg1 = static_cast<uint8_t>(st[D3DTSS_ALPHAARG1]);
    k.alphaArg2 = static_cast<uint8_t>(st[D3DTSS_ALPHAARG2]);
    // An operation that reads a texture the stage does not have passes CURRENT through.
    if (!bound && UsesTexture(k.colorOp, k.colorArg0, k.colorArg1, k.colorArg2)) {
      k.colorOp = D3DTOP_SELECTARG1;
      k.colorArg1 = D3DTA_CURRENT;
      k.colorArg0 = k.colorArg2 = 0;
    }
    if (!bound && UsesTexture(k.alphaOp, k.alphaArg0, k.alphaArg1, k.alphaArg2)) {
      k.alphaOp = D3DTOP_SELECTARG1;
      k.alphaArg1 = D3DTA_CURRENT;
      k.alphaArg0 = k.alphaArg2 = 0;
    }
    k.resultArg = st[D3DTSS_RESULTARG] == D3DTA_TEMP ? D3DTA_TEMP : D3DTA_CURRENT;
    if (bound) {
      k.texCoordSet = static_cast<uint8_t>(st[D3DTSS_TEXCOORDINDEX] & 7);
      k.texCoordGen = static_cast<uint8_t>((st[D3DTSS_TEXCOORDINDEX] >> 16) & 0xf);
    }
    key->stageCount = static_cast<uint8_t>(i + 1);
  }

  // The specular colour is worth computing and passing on only where a pixel may see it: a
  // stage argument, or the add after the stages when there is a colour to add (lit by a light,
  // or the vertex's own when unlit).
  auto isSpecular = [](uint8_t arg) { return (arg & D3DTA_SELECTMASK) == D3DTA_SPECULAR; };
  bool stagesRead = false;
  for (int i = 0; i < key->stageCount; ++i) {
    const FfpStageKey& st = key->stages[i];
    for (uint8_t arg :
         {st.colorArg0, st.colorArg1, st.colorArg2, st.alphaArg0, st.alphaArg1, st.alphaArg2}) {
      stagesRead = stagesRead || isSpecular(arg);
    }
  }
  const bool addable = key->lighting ? key->lightCount > 0 : key->hasSpecular != 0;
  key->specularToStages = stagesRead;
  key->specularUsed = stagesRead || addable;
  key->specular = key->lighting && key->lightCount > 0 && key->specularUsed;

  // Normalising applies to the transformed normal wherever it is used: lighting, and the
  // texture coordinates generated from it (sphere maps, reflections), lit or not.
  bool normalUsed = key->lighting != 0;
  for (int i = 0; i < key->stageCount; ++i) {
    const uint8_t gen = key->stages[i].texCoordGen;
    normalUsed = normalUsed || gen == (D3DTSS_TCI_CAMERASPACENORMAL >> 16) ||
                 gen == (D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR >> 16) ||
                 gen == (D3DTSS_TCI_SPHEREMAP >> 16);
  }
  key->normalizeNormals =
      key->hasNormal && !layout.pretransformed && normalUsed && r[D3DRS_NORMALIZENORMALS] != 0;
}

FfpKey VertexShaderKey(const FfpKey& key) {
  FfpKey k = key;
  // The pixel stages: operations and arguments, table fog's formula, the alpha
  // test and point-sprite coordinates.
  for (FfpStageKey& st : k.stages) {
    st.colorOp = st.colorArg0 = st.colorArg1 = st.colorArg2 = 0;
    st.alphaOp = st.alphaArg0 = st.alphaArg1 = st.alphaArg2 = 0;
    st.resultArg = 0;
  }
  k.alphaFunc = 0;
  k.pointSprite = 0;
  if (k.fog == FogKind::kTable) k.fogMode = 0;
  return k;
}

FfpKey FragmentShaderKey(const FfpKey& key) {
  FfpKey k;
  std::memset(&k, 0, sizeof k);
  // What the pixel stage reads: the interpolants the vertex stage hands over and the cascade.
  k.flatShading = key.flatShading;
  k.specularUsed = key.specularUsed;
  k.specularToStages = key.specularToStages;
  k.fog = key.fog;
  if (key.fog == FogKind::kTable) k.fogMode = key.fogMode;
  k.alphaFunc = key.alphaFunc;
  k.pointSprite = key.pointSprite;
  k.stageCount = key.stageCount;
  for (int i = 0; i < key.stageCount; ++i) {
    k.stages[i] = key.stages[i];
    k.stages[i].texCoordSet = k.stages[i].texCoordGen = 0;
  }
  return k;
}

}  // namespace vexil::d3d9
