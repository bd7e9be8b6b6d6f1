// "raw", "texture" and "klutt" resources built from XML on the null device: what they load,
// what they register and what a failure leaves behind.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "effect_world.h"
#include "resources/klutt_resource.h"
#include "resources/raw_resource.h"
#include "support/run_program.h"

namespace {

class ResourcesTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(world.ok()) << world.error(); }

  bool Load(const std::string& children) {
    return world.LoadResources("<resources>" + children + "</resources>");
  }
  static std::string Param(const char* name, const char* type, const std::string& value) {
    return std::string("<param name=\"") + name + "\" type=\"" + type + "\" value=\"" + value +
           "\"/>";
  }

  ScratchDir dir{ScratchDir::kEnter};
  EffectWorld world{false};
};

TEST_F(ResourcesTest, RawReadsTheWholeFileOrReportsItMissing) {
  { std::ofstream(dir.File("empty.bin"), std::ios::binary); }
  {
    std::ofstream out(dir.File("data.bin"), std::ios::binary);
    for (int i = 0; i < 1000; ++i) out.put(static_cast<char>(i * 7));
  }
  ASSERT_TRUE(Load("<r type=\"raw\" name=\"data\">" + Param("filename", "string", "data.bin") +
                   "</r><r type=\"raw\" name=\"empty\">" +
                   Param("filename", "string", "empty.bin") + "</r><r type=\"raw\" name=\"gone\">" +
                   Param("filename", "string", "gone.bin") + "</r>"));

  auto* data = static_cast<effects::CRawResource*>(world.resources.GetResource("DATA"));
  ASSERT_NE(nullptr, data);
  ASSERT_EQ(1000, data->GetSize());
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(static_cast<uint8_t>(i * 7), data->GetData()[i]) << i;
  // A reader sharing the bytes (the music's stream) keeps them when the resource reads its
  // file again or goes: what it holds is never freed under it.
  const std::shared_ptr<const uint8_t[]> shared = data->ShareData();
  EXPECT_EQ(data->GetData(), shared.get());
  ASSERT_TRUE(vexil::test::WriteFile(dir.File("data.bin"), std::string(1000, 'z')));
  ASSERT_TRUE(data->Init());
  EXPECT_EQ('z', data->GetData()[999]);
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(static_cast<uint8_t>(i * 7), shared[i]) << i;

  auto* empty = static_cast<effects::CRawResource*>(world.resources.GetResource("empty"));
  ASSERT_NE(nullptr, empty);
  EXPECT_EQ(0, empty->GetSize());

  auto* gone = static_cast<effects::CRawResource*>(world.resources.GetResource("gone"));
  ASSERT_NE(nullptr, gone) << "a failed resource stays registered";
  EXPECT_EQ(nullptr, gone->GetData());
  EXPECT_EQ(0, gone->GetSize());
  EXPECT_FALSE(gone->Init());
}

TEST_F(ResourcesTest, AbsoluteWindowsPathsAreLookedForInTheScriptsFolder) {
  std::filesystem::create_directories(dir.File("Show/Data"));
  ASSERT_TRUE(vexil::test::WriteFile(dir.File("Show/Data/tune.bin"), "music"));
  ASSERT_TRUE(WritePng(dir.File("Show/Logo.png"), 4, 4, [](int, int) { return 0xFF00FF00u; }));
  world.widgets.SetScriptFolder("Show");
  ASSERT_TRUE(Load("<r type=\"raw\" name=\"tune\">" +
                   Param("filename", "string", "C:\\Work\\SHOW\\DATA\\TUNE.BIN") +
                   "</r><t type=\"texture\" name=\"logo\">" +
                   Param("filename", "string", "D:\\pictures\\LOGO.PNG") + "</t>"));
  auto* tune = static_cast<effects::CRawResource*>(world.resources.GetResource("tune"));
  ASSERT_NE(nullptr, tune);
  EXPECT_EQ(5, tune->GetSize()) << "Show/Data/tune.bin, by the tail DATA\\TUNE.BIN";
  EXPECT_NE(nullptr, world.textures.GetTexture("logo")) << "Show/Logo.png";
}

TEST_F(ResourcesTest, RenderTargetTextureCarriesADepthBufferOfItsSize) {
  ASSERT_TRUE(Load("<t type=\"texture\" name=\"rt\">" + Param("type", "long", "1") +
                   Param("width", "long", "256") + Param("height", "long", "128") + "</t>"));
  IDirect3DTexture9* texture = world.textures.GetTexture("RT");
  ASSERT_NE(nullptr, texture);
  D3DSURFACE_DESC desc;
  ASSERT_EQ(D3D_OK, texture->GetLevelDesc(0, &desc));
  EXPECT_EQ(256u, desc.Width);
  EXPECT_EQ(128u, desc.Height);
  EXPECT_EQ(static_cast<DWORD>(D3DUSAGE_RENDERTARGET), desc.Usage);
  EXPECT_EQ(1u, texture->GetLevelCount());

  IDirect3DSurface9* depth = world.textures.GetDepthStencil("rt");
  ASSERT_NE(nullptr, depth);
  ASSERT_EQ(D3D_OK, depth->GetDesc(&desc));
  EXPECT_EQ(D3DFMT_D16, desc.Format);
  EXPECT_EQ(256u, desc.Width);
  EXPECT_EQ(128u, desc.Height);
}

TEST_F(ResourcesTest, ImageTextureTurnsItsColourKeyIntoTransparentBlack) {
  ASSERT_TRUE(WritePng(dir.File("key.png"), 16, 16,
                       [](int x, int) { return x < 8 ? 0xFFFF00FFu : 0xFF20A040u; }));
  ASSERT_TRUE(Load("<t type=\"texture\" name=\"keyed\">" + Param("filename", "string", "key.png") +
                   Param("colorkey", "color", "#FFFF00FF") + "</t>"));
  IDirect3DTexture9* texture = world.textures.GetTexture("keyed");
  ASSERT_NE(nullptr, texture);
  D3DLOCKED_RECT locked;
  ASSERT_EQ(D3D_OK, texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY));
  const auto* row = static_cast<const uint32_t*>(locked.pBits);
  EXPECT_EQ(0x00000000u, row[2]) << "magenta is keyed out";
  EXPECT_EQ(0xFF20A040u, row[12]) << "other colours stay";
  texture->UnlockRect(0);
}

TEST_F(ResourcesTest, TexturesThatCannotBeMadeRegisterNothing) {
  ASSERT_TRUE(Load("<t type=\"texture\" name=\"missing\">" +
                   Param("filename", "string", "nosuch.png") +
                   "</t><t type=\"texture\" name=\"oddtype\">" + Param("type", "long", "2") +
                   "</t><t type=\"nosuchtype\" name=\"skipped\"/>"));
  EXPECT_EQ(nullptr, world.textures.GetTexture("missing"));
  EXPECT_EQ(nullptr, world.textures.GetTexture("oddtype"));
  EXPECT_EQ(0, world.textures.GetTextureCount());
  EXPECT_NE(nullptr, world.resources.GetResource("missing"));
  EXPECT_EQ(nullptr, world.resources.GetResource("skipped"));
}

TEST_F(ResourcesTest, FailedRenderTargetDepthBufferRegistersNothing) {
  ASSERT_EQ(D3D_OK, VexilNullFailNext(world.device(), VEXIL_FAIL_CREATEDEPTHSTENCILSURFACE, 1));
  ASSERT_TRUE(Load("<t type=\"texture\" name=\"rt\">" + Param("type", "long", "1") +
                   Param("width", "long", "64") + Param("height", "long", "64") + "</t>"));
  EXPECT_EQ(nullptr, world.textures.GetTexture("rt"));
}

class KluttTest : public ResourcesTest {
 protected:
  // Writes the generator's two-material cube; material 0 names `texture`.
  void WriteCube(const std::string& texture) {
    const vexil::test::RunResult run = vexil::test::RunProgram(
        vexil::test::BuiltProgram("vexil-xmeshgen"), {dir.File("cube.x"), "--texture", texture});
    ASSERT_EQ(0, run.status) << run.err;
  }
  effects::CKluttResource* Klutt(const std::string& params) {
    if (!Load("<k type=\"klutt\" name=\"cube\">" + params + "</k>")) return nullptr;
    return static_cast<effects::CKluttResource*>(world.resources.GetResource("cube"));
  }
};

TEST_F(KluttTest, LoadsMeshMaterialsAndTexturesFromTheTextureFolder) {
  WriteCube("skin.png");
  std::filesystem::create_directory(dir.File("tex"));
  ASSERT_TRUE(WritePng(dir.File("tex/skin.png"), 8, 8, [](int, int) { return 0xFF0000FFu; }));
  effects::CKluttResource* klutt =
      Klutt(Param("filename", "string", "cube.x") + Param("texturedir", "string", "tex/"));
  ASSERT_NE(nullptr, klutt);
  ASSERT_NE(nullptr, klutt->GetMesh());
  EXPECT_EQ(12u, klutt->GetMesh()->GetNumFaces());

  D3DMATERIAL9* materials = nullptr;
  IDirect3DTexture9** textures = nullptr;
  ASSERT_EQ(2u, klutt->GetMaterials(&materials));
  ASSERT_EQ(2u, klutt->GetTextures(&textures));
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(materials[i].Diffuse.r, materials[i].Ambient.r) << "ambient follows diffuse";
    EXPECT_EQ(materials[i].Diffuse.g, materials[i].Ambient.g);
    EXPECT_EQ(materials[i].Diffuse.b, materials[i].Ambient.b);
  }
  EXPECT_NE(nullptr, textures[0]);
  EXPECT_EQ(nullptr, textures[1]) << "a material without a file has no texture";

  klutt->Free();
  EXPECT_EQ(nullptr, klutt->GetMesh());
  EXPECT_EQ(0u, klutt->GetMaterials(&materials));
}

TEST_F(KluttTest, TextureFolderIsJoinedAsItStands) {
  WriteCube("skin.png");
  ASSERT_TRUE(WritePng(dir.File("texskin.png"), 8, 8, [](int, int) { return 0xFF00FF00u; }));
  effects::CKluttResource* klutt =
      Klutt(Param("filename", "string", "cube.x") + Param("texturedir", "string", "tex"));
  ASSERT_NE(nullptr, klutt);
  IDirect3DTexture9** textures = nullptr;
  ASSERT_EQ(2u, klutt->GetTextures(&textures));
  EXPECT_NE(nullptr, textures[0]) << "\"tex\" + \"skin.png\" is texskin.png";
}

TEST_F(KluttTest, MissingMeshOrTextureFailsWithoutAMessageAndKeepsWhatLoaded) {
  effects::CKluttResource* none = Klutt(Param("filename", "string", "nosuch.x"));
  ASSERT_NE(nullptr, none);
  EXPECT_EQ(nullptr, none->GetMesh());
  EXPECT_FALSE(none->Init());

  WriteCube("absent.png");
  EffectWorld other(false);
  ASSERT_TRUE(other.ok());
  ASSERT_TRUE(other.LoadResources("<resources><k type=\"klutt\" name=\"cube\">" +
                                  Param("filename", "string", "cube.x") + "</k></resources>"));
  auto* klutt = static_cast<effects::CKluttResource*>(other.resources.GetResource("cube"));
  ASSERT_NE(nullptr, klutt);
  EXPECT_FALSE(klutt->Init());
  EXPECT_NE(nullptr, klutt->GetMesh()) << "the mesh loaded before the texture failed stays";
}

}  // namespace
