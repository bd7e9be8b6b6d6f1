// Texture creation on the null device: D3DX's size rounding, mip chains, formats, colour
// keys, source information and failure results, checked through the created texture.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "d3dx9/d3dx9.h"
#include "null_device_fixture.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#pragma GCC diagnostic pop

namespace {

class D3DXTextureTest : public D3DXNullDeviceTest {
 protected:
  std::string Png(const std::string& name, int w, int h, int channels,
                  const std::vector<unsigned char>& px) {
    const std::string path = File(name);
    EXPECT_NE(0, stbi_write_png(path.c_str(), w, h, channels, px.data(), w * channels));
    return path;
  }
  static std::vector<uint32_t> ReadLevel(IDirect3DTexture9* tex, UINT level) {
    D3DSURFACE_DESC desc;
    EXPECT_EQ(D3D_OK, tex->GetLevelDesc(level, &desc));
    D3DLOCKED_RECT lr;
    EXPECT_EQ(D3D_OK, tex->LockRect(level, &lr, nullptr, D3DLOCK_READONLY));
    std::vector<uint32_t> out;
    for (UINT y = 0; y < desc.Height; ++y) {
      const auto* row =
          reinterpret_cast<const uint32_t*>(static_cast<const char*>(lr.pBits) + y * lr.Pitch);
      out.insert(out.end(), row, row + desc.Width);
    }
    tex->UnlockRect(level);
    return out;
  }
};

TEST_F(D3DXTextureTest, DefaultSizesRoundUpToPowersOfTwoWithFullChain) {
  const std::string path = Png("odd.png", 3, 5, 3, std::vector<unsigned char>(3 * 5 * 3, 200));
  IDirect3DTexture9* tex = nullptr;
  D3DXIMAGE_INFO info{};
  ASSERT_EQ(D3D_OK,
            D3DXCreateTextureFromFileExA(dev_, path.c_str(), D3DX_DEFAULT, D3DX_DEFAULT,
                                         D3DX_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                                         D3DX_DEFAULT, D3DX_DEFAULT, 0, &info, nullptr, &tex));
  ASSERT_NE(nullptr, tex);
  EXPECT_EQ(3u, info.Width) << "source information describes the file";
  EXPECT_EQ(5u, info.Height);
  EXPECT_EQ(D3DXIFF_PNG, info.ImageFileFormat);
  D3DSURFACE_DESC desc;
  ASSERT_EQ(D3D_OK, tex->GetLevelDesc(0, &desc));
  EXPECT_EQ(4u, desc.Width);
  EXPECT_EQ(8u, desc.Height);
  EXPECT_EQ(D3DFMT_X8R8G8B8, desc.Format) << "an opaque file without key needs no alpha";
  ASSERT_EQ(4u, tex->GetLevelCount()) << "8, 4, 2, 1";
  ASSERT_EQ(D3D_OK, tex->GetLevelDesc(3, &desc));
  EXPECT_EQ(1u, desc.Width);
  EXPECT_EQ(1u, desc.Height);
  for (UINT level = 0; level < 4; ++level)
    for (uint32_t p : ReadLevel(tex, level))
      ASSERT_EQ(0xFFC8C8C8u, p) << "a flat grey stays flat grey on level " << level;
  tex->Release();

  ASSERT_EQ(D3D_OK, D3DXCreateTextureFromFileExA(dev_, path.c_str(), D3DX_DEFAULT_NONPOW2,
                                                 D3DX_DEFAULT_NONPOW2, 1, 0, D3DFMT_UNKNOWN,
                                                 D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                                 nullptr, nullptr, &tex));
  ASSERT_EQ(D3D_OK, tex->GetLevelDesc(0, &desc));
  EXPECT_EQ(3u, desc.Width) << "D3DX_DEFAULT_NONPOW2 keeps the file's size";
  EXPECT_EQ(5u, desc.Height);
  EXPECT_EQ(1u, tex->GetLevelCount());
  tex->Release();

  ASSERT_EQ(D3D_OK, D3DXCreateTextureFromFileA(dev_, path.c_str(), &tex));
  EXPECT_EQ(4u, tex->GetLevelCount()) << "the short form uses the defaults";
  tex->Release();
}

TEST_F(D3DXTextureTest, ColorKeyBecomesTransparentBlack) {
  // Magenta, red / green, magenta.
  const std::string path =
      Png("key.png", 2, 2, 3, {255, 0, 255, 255, 0, 0, 0, 255, 0, 255, 0, 255});
  IDirect3DTexture9* tex = nullptr;
  ASSERT_EQ(D3D_OK, D3DXCreateTextureFromFileExA(dev_, path.c_str(), D3DX_DEFAULT, D3DX_DEFAULT,
                                                 D3DX_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                                                 D3DX_DEFAULT, D3DX_DEFAULT, 0xFFFF00FF, nullptr,
                                                 nullptr, &tex));
  D3DSURFACE_DESC desc;
  ASSERT_EQ(D3D_OK, tex->GetLevelDesc(0, &desc));
  EXPECT_EQ(D3DFMT_A8R8G8B8, desc.Format) << "a colour key needs an alpha channel";
  EXPECT_EQ((std::vector<uint32_t>{0x00000000u, 0xFFFF0000u, 0xFF00FF00u, 0x00000000u}),
            ReadLevel(tex, 0));
  const std::vector<uint32_t> top = ReadLevel(tex, 1);
  ASSERT_EQ(1u, top.size());
  EXPECT_EQ(0x80u, top[0] >> 24) << "the 1x1 level averages two transparent and two opaque pixels";
  tex->Release();
}

TEST_F(D3DXTextureTest, MipLevelsAreBoxFiltered) {
  // 2 x 2: white, black / black, white, with alpha.
  const std::string path = Png(
      "checker.png", 2, 2, 4, {255, 255, 255, 255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255, 255});
  IDirect3DTexture9* tex = nullptr;
  ASSERT_EQ(D3D_OK, D3DXCreateTextureFromFileA(dev_, path.c_str(), &tex));
  ASSERT_EQ(2u, tex->GetLevelCount());
  const std::vector<uint32_t> top = ReadLevel(tex, 1);
  ASSERT_EQ(1u, top.size());
  EXPECT_EQ(0xFF808080u, top[0]) << "four pixels averaged, rounded";
  tex->Release();
}

TEST_F(D3DXTextureTest, DdsFilesLoadWithAlpha) {
  // A 4 x 4 DXT1 block in three-colour mode: index 3 (pixel 3) is transparent black.
  std::vector<unsigned char> dds(128, 0);
  std::memcpy(dds.data(), "DDS ", 4);
  dds[4] = 124, dds[12] = 4, dds[16] = 4, dds[76] = 32, dds[80] = 0x4;
  std::memcpy(&dds[84], "DXT1", 4);
  for (unsigned char b : {0x1F, 0x00, 0x00, 0xF8, 0xC0, 0, 0, 0}) dds.push_back(b);
  std::ofstream(File("tile.dds"), std::ios::binary)
      .write(reinterpret_cast<const char*>(dds.data()), dds.size());
  IDirect3DTexture9* tex = nullptr;
  ASSERT_EQ(D3D_OK, D3DXCreateTextureFromFileA(dev_, File("tile.dds").c_str(), &tex));
  D3DSURFACE_DESC desc;
  ASSERT_EQ(D3D_OK, tex->GetLevelDesc(0, &desc));
  EXPECT_EQ(D3DFMT_A8R8G8B8, desc.Format) << "DXT1 may hold transparent pixels";
  const std::vector<uint32_t> top = ReadLevel(tex, 0);
  EXPECT_EQ(0xFF0000FFu, top[0]);
  EXPECT_EQ(0x00000000u, top[3]);
  tex->Release();
}

TEST_F(D3DXTextureTest, WindowsStylePathsAreFound) {
  std::filesystem::create_directories(File("Pics"));
  Png("Pics/Logo.PNG", 1, 1, 3, {1, 2, 3});
  IDirect3DTexture9* tex = nullptr;
  const std::string windowsPath = dir_ + "\\pics\\logo.png";
  ASSERT_EQ(D3D_OK, D3DXCreateTextureFromFileA(dev_, windowsPath.c_str(), &tex));
  EXPECT_EQ(0xFF010203u, ReadLevel(tex, 0)[0]);
  tex->Release();
}

TEST_F(D3DXTextureTest, FailuresReturnCodesAndNoTexture) {
  IDirect3DTexture9* tex = reinterpret_cast<IDirect3DTexture9*>(0x1);
  EXPECT_EQ(D3DERR_NOTAVAILABLE, D3DXCreateTextureFromFileA(dev_, File("gone.png").c_str(), &tex));
  EXPECT_EQ(nullptr, tex) << "the out pointer is cleared on failure";
  std::ofstream(File("bad.jpg")) << "JFIF? no.";
  EXPECT_EQ(D3DXERR_INVALIDDATA, D3DXCreateTextureFromFileA(dev_, File("bad.jpg").c_str(), &tex));
  EXPECT_EQ(nullptr, tex);
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXCreateTextureFromFileA(nullptr, "x.png", &tex));
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXCreateTextureFromFileA(dev_, nullptr, &tex));

  const std::string good = Png("good.png", 4, 4, 3, std::vector<unsigned char>(48, 9));
  ASSERT_EQ(D3D_OK, VexilNullFailNext(dev_, VEXIL_FAIL_CREATETEXTURE, 1));
  EXPECT_TRUE(FAILED(D3DXCreateTextureFromFileA(dev_, good.c_str(), &tex)));
  EXPECT_EQ(nullptr, tex);
  ASSERT_EQ(D3D_OK, VexilNullFailNext(dev_, VEXIL_FAIL_LOCK, 1));
  EXPECT_TRUE(FAILED(D3DXCreateTextureFromFileA(dev_, good.c_str(), &tex)))
      << "an upload that fails is reported, and the half-made texture released";
  EXPECT_EQ(nullptr, tex);
}

TEST_F(D3DXTextureTest, CreateTextureDefaultsAndRenderTargets) {
  IDirect3DTexture9* tex = nullptr;
  ASSERT_EQ(D3D_OK, D3DXCreateTexture(dev_, 256, 128, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8,
                                      D3DPOOL_DEFAULT, &tex));
  D3DSURFACE_DESC desc;
  ASSERT_EQ(D3D_OK, tex->GetLevelDesc(0, &desc));
  EXPECT_EQ(256u, desc.Width);
  EXPECT_EQ(128u, desc.Height);
  EXPECT_EQ(static_cast<DWORD>(D3DUSAGE_RENDERTARGET), desc.Usage);
  EXPECT_EQ(1u, tex->GetLevelCount());
  tex->Release();

  ASSERT_EQ(D3D_OK,
            D3DXCreateTexture(dev_, D3DX_DEFAULT, 0, 0, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, &tex));
  ASSERT_EQ(D3D_OK, tex->GetLevelDesc(0, &desc));
  EXPECT_EQ(256u, desc.Width) << "both sizes default: 256";
  EXPECT_EQ(256u, desc.Height);
  EXPECT_EQ(D3DFMT_A8R8G8B8, desc.Format);
  EXPECT_EQ(9u, tex->GetLevelCount());
  tex->Release();

  ASSERT_EQ(D3D_OK, D3DXCreateTexture(dev_, 64, 0, 3, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex));
  ASSERT_EQ(D3D_OK, tex->GetLevelDesc(0, &desc));
  EXPECT_EQ(64u, desc.Height) << "one default size takes the other";
  EXPECT_EQ(3u, tex->GetLevelCount());
  tex->Release();
}

}  // namespace
