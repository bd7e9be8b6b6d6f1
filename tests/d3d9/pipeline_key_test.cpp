// CPU-side pieces of the pipeline: flexible vertex format decoding and the packing of the
// fixed-function state into program keys (D3D9's rules resolved before any GLSL is made).
#include <gtest/gtest.h>

#include "d3d9/gl/ffp_key.h"
#include "d3d9/gl/ffp_shader_gen.h"
#include "d3d9/vertex_layout.h"

namespace {

using vexil::d3d9::BuildFfpKey;
using vexil::d3d9::DecodeFvf;
using vexil::d3d9::FfpKey;
using vexil::d3d9::GenerateFragmentShader;
using vexil::d3d9::GenerateVertexShader;
using vexil::d3d9::MaterialSource;
using vexil::d3d9::StateMirror;
using vexil::d3d9::VertexLayout;

TEST(VertexLayoutTest, EffectFormatsDecodeToTheirSizesAndOffsets) {
  struct Case {
    DWORD fvf;
    UINT stride;
    int normal, diffuse, tex0;
  };
  for (const Case& c : {Case{0x142, 24, -1, 12, 16}, Case{0x152, 36, 12, 24, 28},
                        Case{0x112, 32, 12, -1, 24}, Case{0x144, 28, -1, 16, 20}}) {
    VertexLayout l;
    ASSERT_TRUE(DecodeFvf(c.fvf, &l)) << std::hex << c.fvf;
    EXPECT_EQ(c.stride, l.stride) << std::hex << c.fvf;
    EXPECT_EQ(c.normal, l.normalOffset) << std::hex << c.fvf;
    EXPECT_EQ(c.diffuse, l.diffuseOffset) << std::hex << c.fvf;
    EXPECT_EQ(c.tex0, l.texCoordOffset[0]) << std::hex << c.fvf;
  }
  VertexLayout l;
  ASSERT_TRUE(
      DecodeFvf(D3DFVF_XYZ | D3DFVF_TEX2 | D3DFVF_TEXCOORDSIZE3(0) | D3DFVF_TEXCOORDSIZE1(1), &l));
  EXPECT_EQ(3, l.texCoordSize[0]);
  EXPECT_EQ(1, l.texCoordSize[1]);
  EXPECT_EQ(12 + 12 + 4u, l.stride);
  EXPECT_FALSE(DecodeFvf(0, &l)) << "no position";
  EXPECT_FALSE(DecodeFvf(D3DFVF_XYZB1, &l)) << "blend weights are not emulated";
}

class FfpKeyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    state_.Reset(true, 64, 64);
    DecodeFvf(0x152, &layout_);
  }
  FfpKey Key(uint32_t textures, bool points = false) {
    FfpKey key;
    DWORD lights[8];
    BuildFfpKey(state_, layout_, textures, points, &key, lights);
    return key;
  }
  StateMirror state_;
  VertexLayout layout_;
};

TEST_F(FfpKeyTest, DefaultsGiveOneModulateStageAndVertexDiffuse) {
  const FfpKey key = Key(1);
  EXPECT_TRUE(key.lighting);
  EXPECT_EQ(0, key.lightCount);
  EXPECT_EQ(MaterialSource::kDiffuse, key.diffuseSource) << "COLOR1 with a vertex colour";
  EXPECT_EQ(MaterialSource::kMaterial, key.specularSource) << "COLOR2 without a specular";
  EXPECT_EQ(1, key.stageCount);
  EXPECT_EQ(D3DTOP_MODULATE, key.stages[0].colorOp);
}

TEST_F(FfpKeyTest, OperationsOnAMissingTexturePassCurrentThrough) {
  const FfpKey key = Key(0);
  EXPECT_EQ(D3DTOP_SELECTARG1, key.stages[0].colorOp);
  EXPECT_EQ(D3DTA_CURRENT, key.stages[0].colorArg1);
  EXPECT_EQ(D3DTOP_SELECTARG1, key.stages[0].alphaOp);
  EXPECT_EQ(D3DTA_CURRENT, key.stages[0].alphaArg1);
  // An operation that does not read the texture keeps its own arguments.
  state_.stage[0][D3DTSS_COLOROP] = D3DTOP_SELECTARG2;
  state_.stage[0][D3DTSS_COLORARG2] = D3DTA_DIFFUSE;
  EXPECT_EQ(D3DTOP_SELECTARG2, Key(0).stages[0].colorOp);
}

TEST_F(FfpKeyTest, EqualPipelinesGiveEqualKeysWhateverLaterStagesHold) {
  const FfpKey before = Key(1);
  // Stage 1 is disabled, so what its other states hold cannot matter.
  state_.stage[1][D3DTSS_COLORARG1] = D3DTA_TFACTOR;
  state_.stage[2][D3DTSS_COLOROP] = D3DTOP_ADD;
  EXPECT_TRUE(before == Key(1));
  state_.stage[2][D3DTSS_COLOROP] = D3DTOP_DISABLE;
  state_.stage[1][D3DTSS_COLOROP] = D3DTOP_MODULATE;
  EXPECT_EQ(2, Key(3).stageCount);
  EXPECT_FALSE(before == Key(3));
}

TEST_F(FfpKeyTest, NormalsAreNormalisedWhereverTheyAreUsed) {
  state_.render[D3DRS_NORMALIZENORMALS] = TRUE;
  EXPECT_TRUE(Key(1).normalizeNormals) << "lit";
  state_.render[D3DRS_LIGHTING] = FALSE;
  EXPECT_FALSE(Key(1).normalizeNormals) << "unlit, texture coordinates from the vertex";
  state_.stage[0][D3DTSS_TEXCOORDINDEX] = D3DTSS_TCI_SPHEREMAP;
  EXPECT_TRUE(Key(1).normalizeNormals) << "unlit sphere map";
  EXPECT_FALSE(Key(0).normalizeNormals) << "no texture: no coordinates are generated";
  state_.render[D3DRS_NORMALIZENORMALS] = FALSE;
  EXPECT_FALSE(Key(1).normalizeNormals);
}

TEST_F(FfpKeyTest, SpecularIsComputedWhereAPixelMaySeeItAndItsEnableKeepsTheProgram) {
  EXPECT_FALSE(Key(1).specularUsed) << "lit by no light: there is no specular colour";
  state_.lights.resize(1);
  state_.lights[0] = {vexil::d3d9::DefaultLight(), true, true};
  const FfpKey off = Key(1);
  EXPECT_TRUE(off.specular) << "lit: SPECULARENABLE may add it";
  EXPECT_TRUE(off.specularUsed);
  EXPECT_FALSE(off.specularToStages) << "the vertex stage may scale it by the enable";
  state_.render[D3DRS_SPECULARENABLE] = TRUE;
  EXPECT_TRUE(Key(1) == off) << "switching specular on and off keeps one program";
  state_.render[D3DRS_SPECULARENABLE] = FALSE;
  state_.render[D3DRS_LIGHTING] = FALSE;
  EXPECT_FALSE(Key(1).specularUsed) << "unlit, and the vertex has no specular colour";
  state_.stage[0][D3DTSS_ALPHAARG2] = D3DTA_SPECULAR | D3DTA_ALPHAREPLICATE;
  EXPECT_TRUE(Key(1).specularUsed) << "a stage argument";
  EXPECT_TRUE(Key(1).specularToStages);
  EXPECT_FALSE(Key(1).specular) << "nothing to light";
  state_.stage[0][D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
  DecodeFvf(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_SPECULAR, &layout_);
  EXPECT_TRUE(Key(0).specularUsed) << "unlit: the vertex specular colour may be added";
}

TEST_F(FfpKeyTest, PointStatesMatterOnlyWhenDrawingPoints) {
  const FfpKey triangles = Key(1);
  state_.render[D3DRS_POINTSPRITEENABLE] = TRUE;
  state_.render[D3DRS_POINTSCALEENABLE] = TRUE;
  EXPECT_TRUE(triangles == Key(1)) << "sprite and scale states leave triangle programs alone";
  const FfpKey points = Key(1, true);
  EXPECT_TRUE(points.points);
  EXPECT_TRUE(points.pointSprite);
  EXPECT_TRUE(points.pointScale);
}

TEST_F(FfpKeyTest, LightsFogAndPretransformedVertices) {
  state_.lights.resize(5);
  state_.lights[1] = {vexil::d3d9::DefaultLight(), true, true};
  state_.lights[4] = {vexil::d3d9::DefaultLight(), true, true};
  state_.lights[4].light.Type = D3DLIGHT_POINT;
  state_.lights[2] = {vexil::d3d9::DefaultLight(), true, false};
  FfpKey key;
  DWORD active[8] = {};
  BuildFfpKey(state_, layout_, 1, false, &key, active);
  ASSERT_EQ(2, key.lightCount) << "enabled lights only";
  EXPECT_EQ(1u, active[0]);
  EXPECT_EQ(4u, active[1]);
  EXPECT_EQ(D3DLIGHT_POINT, key.lightType[1]);

  state_.render[D3DRS_FOGENABLE] = TRUE;
  state_.render[D3DRS_FOGTABLEMODE] = D3DFOG_LINEAR;
  EXPECT_EQ(vexil::d3d9::FogKind::kTable, Key(1).fog);
  EXPECT_TRUE(Key(1).fogFromDeviceZ) << "an identity projection is affine";
  state_.transform[vexil::d3d9::kSlotProjection]._34 = 1;
  state_.transform[vexil::d3d9::kSlotProjection]._44 = 0;
  EXPECT_FALSE(Key(1).fogFromDeviceZ) << "perspective: eye depth";

  DecodeFvf(D3DFVF_XYZRHW | D3DFVF_DIFFUSE, &layout_);
  EXPECT_FALSE(Key(0).lighting) << "pre-transformed vertices are never lit";
}

}  // namespace

namespace {

using vexil::d3d9::FragmentShaderKey;
using vexil::d3d9::VertexShaderKey;

// A shader key keeps everything its shader reads: the source made from it is the source made
// from the full key, over states that touch every part of both shaders.
TEST_F(FfpKeyTest, ShaderKeysKeepEverythingTheirShaderReads) {
  state_.lights.resize(2);
  state_.lights[0] = {vexil::d3d9::DefaultLight(), true, true};
  state_.lights[1] = {vexil::d3d9::DefaultLight(), true, true};
  state_.lights[1].light.Type = D3DLIGHT_POINT;
  const auto check = [this](const char* what, bool points = false) {
    for (uint32_t textures : {0u, 1u, 3u}) {
      const FfpKey key = Key(textures, points);
      EXPECT_EQ(GenerateVertexShader(key), GenerateVertexShader(VertexShaderKey(key))) << what;
      EXPECT_EQ(GenerateFragmentShader(key), GenerateFragmentShader(FragmentShaderKey(key)))
          << what;
    }
  };
  check("defaults");
  state_.render[D3DRS_SPECULARENABLE] = TRUE;
  state_.render[D3DRS_FOGENABLE] = TRUE;
  state_.render[D3DRS_FOGTABLEMODE] = D3DFOG_LINEAR;
  state_.render[D3DRS_ALPHATESTENABLE] = TRUE;
  state_.render[D3DRS_ALPHAFUNC] = D3DCMP_GREATER;
  state_.render[D3DRS_SHADEMODE] = D3DSHADE_FLAT;
  state_.stage[1][D3DTSS_COLOROP] = D3DTOP_ADD;
  state_.stage[1][D3DTSS_TEXCOORDINDEX] = D3DTSS_TCI_SPHEREMAP;
  state_.stage[1][D3DTSS_RESULTARG] = D3DTA_TEMP;
  check("table fog, alpha test, flat, two stages");
  state_.render[D3DRS_FOGTABLEMODE] = D3DFOG_NONE;
  state_.render[D3DRS_FOGVERTEXMODE] = D3DFOG_EXP2;
  state_.render[D3DRS_RANGEFOGENABLE] = TRUE;
  state_.render[D3DRS_NORMALIZENORMALS] = TRUE;
  state_.stage[0][D3DTSS_ALPHAARG1] = D3DTA_SPECULAR;
  check("vertex fog, specular argument");
  state_.render[D3DRS_POINTSPRITEENABLE] = TRUE;
  state_.render[D3DRS_POINTSCALEENABLE] = TRUE;
  check("point sprites", true);
  DecodeFvf(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1, &layout_);
  state_.render[D3DRS_FOGVERTEXMODE] = D3DFOG_NONE;
  state_.render[D3DRS_FOGTABLEMODE] = D3DFOG_EXP;
  check("pre-transformed with table fog");
}

TEST_F(FfpKeyTest, StatesOfOneShaderLeaveTheOtherShadersKeyAlone) {
  state_.lights.resize(2);
  state_.lights[0] = {vexil::d3d9::DefaultLight(), true, true};
  const FfpKey plain = Key(1);
  state_.render[D3DRS_ALPHATESTENABLE] = TRUE;
  state_.render[D3DRS_ALPHAFUNC] = D3DCMP_GREATER;
  state_.stage[0][D3DTSS_COLOROP] = D3DTOP_ADD;
  const FfpKey pixelChanged = Key(1);
  EXPECT_FALSE(plain == pixelChanged);
  EXPECT_TRUE(VertexShaderKey(plain) == VertexShaderKey(pixelChanged))
      << "alpha test and stage operations compile no vertex shader";
  state_.lights[1] = {vexil::d3d9::DefaultLight(), true, true};
  state_.lights[1].light.Type = D3DLIGHT_POINT;
  state_.render[D3DRS_NORMALIZENORMALS] = TRUE;
  const FfpKey lit = Key(1);
  EXPECT_TRUE(FragmentShaderKey(pixelChanged) == FragmentShaderKey(lit))
      << "lights and normalising compile no fragment shader";
  EXPECT_FALSE(VertexShaderKey(pixelChanged) == VertexShaderKey(lit));
}

}  // namespace
