// D3DX texture creation on any IDirect3DDevice9: sizes and formats chosen as D3DX does,
// pixels uploaded level by level through LockRect.
#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <string>

#include "d3d9/com_ptr.h"
#include "d3dx9/d3dx9tex.h"
#include "d3dx9/image.h"
#include "d3dx9/load_failure.h"
#include "d3dx9/media_limits.h"
#include "system/file_lookup.h"

namespace {

bool IsDefault(UINT v) {
  return v == 0 || v == D3DX_DEFAULT;
}

UINT ChooseLevels(UINT requested, UINT width, UINT height) {
  const UINT full = d3dx::FullMipCount(width, height);
  if (IsDefault(requested)) return full;
  if (requested == D3DX_FROM_FILE) return 1;
  return std::min(requested, full);
}

// The file-loading path writes 32-bit pixels only; other requested formats are replaced,
// as D3DX substitutes formats a device cannot take.
D3DFORMAT ChooseFileTextureFormat(D3DFORMAT requested, const D3DXIMAGE_INFO& info,
                                  D3DCOLOR colorKey) {
  if (requested == D3DFMT_X8R8G8B8 || requested == D3DFMT_A8R8G8B8) return requested;
  if (requested == D3DFMT_UNKNOWN || requested == D3DFMT_FROM_FILE) {
    return d3dx::FormatHasAlpha(info.Format) || colorKey != 0 ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
  }
  return D3DFMT_A8R8G8B8;
}

HRESULT UploadLevel(IDirect3DTexture9* texture, UINT level, const d3dx::Image& image, bool opaque) {
  D3DLOCKED_RECT locked;
  HRESULT hr = texture->LockRect(level, &locked, nullptr, 0);
  if (FAILED(hr)) return hr;
  for (UINT y = 0; y < image.height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(static_cast<unsigned char*>(locked.pBits) +
                                            static_cast<ptrdiff_t>(y) * locked.Pitch);
    const uint32_t* src = &image.argb[static_cast<size_t>(y) * image.width];
    if (opaque) {
      for (UINT x = 0; x < image.width; ++x) row[x] = src[x] | 0xff000000u;
    } else {
      std::copy_n(src, image.width, row);
    }
  }
  return texture->UnlockRect(level);
}

}  // namespace

HRESULT D3DXCreateTexture(IDirect3DDevice9* pDevice, UINT width, UINT height, UINT mipLevels,
                          DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          IDirect3DTexture9** ppTexture) {
  if (!pDevice || !ppTexture) return D3DERR_INVALIDCALL;
  *ppTexture = nullptr;
  d3dx::ForgetLoadFailure();
  // One default size takes the other; both default gives 256 x 256.
  if (IsDefault(width) && IsDefault(height)) {
    width = height = 256;
  } else if (IsDefault(width)) {
    width = height;
  } else if (IsDefault(height)) {
    height = width;
  }
  if (format == D3DFMT_UNKNOWN || format == D3DFMT_FROM_FILE) format = D3DFMT_A8R8G8B8;
  const std::string tooLarge = d3dx::CheckTextureSize(width, height);
  const std::string failure = "cannot create a texture of " + std::to_string(width) + " x " +
                              std::to_string(height) + " pixels";
  if (!tooLarge.empty()) {
    d3dx::ReportFailure(failure, tooLarge);
    return D3DERR_INVALIDCALL;
  }
  const HRESULT hr = pDevice->CreateTexture(width, height, ChooseLevels(mipLevels, width, height),
                                            usage, format, pool, ppTexture, nullptr);
  if (hr == D3DERR_OUTOFVIDEOMEMORY || hr == E_OUTOFMEMORY) {
    d3dx::ReportFailure(failure,
                        hr == E_OUTOFMEMORY ? "not enough memory" : "not enough video memory");
  }
  return hr;
}

HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice9* pDevice, LPCSTR pSrcFile,
                                   IDirect3DTexture9** ppTexture) {
  return D3DXCreateTextureFromFileExA(pDevice, pSrcFile, D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT,
                                      0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT,
                                      D3DX_DEFAULT, 0, nullptr, nullptr, ppTexture);
}

HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice9* pDevice, LPCSTR pSrcFile, UINT width,
                                     UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format,
                                     D3DPOOL pool, DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                                     D3DXIMAGE_INFO* pSrcInfo, PALETTEENTRY* /*pPalette*/,
                                     IDirect3DTexture9** ppTexture) {
  if (!ppTexture) return D3DERR_INVALIDCALL;
  *ppTexture = nullptr;
  if (!pDevice || !pSrcFile) return D3DERR_INVALIDCALL;

  d3dx::ForgetLoadFailure();
  auto refuse = [&](const std::string& why, HRESULT result) {
    d3dx::ReportLoadFailure("texture", pSrcFile, why);
    return result;
  };
  d3dx::Image image;
  D3DXIMAGE_INFO info{};
  std::string error;
  const std::string path = vexil::sys::LookUpFile(pSrcFile).path;
  HRESULT hr = d3dx::DecodeImageFile(path, &image, &info, &error);
  if (FAILED(hr)) return refuse(error, hr);
  if (pSrcInfo) *pSrcInfo = info;

  if (IsDefault(width)) width = d3dx::RoundUpPow2(info.Width);
  if (width == D3DX_DEFAULT_NONPOW2 || width == D3DX_FROM_FILE) width = info.Width;
  if (IsDefault(height)) height = d3dx::RoundUpPow2(info.Height);
  if (height == D3DX_DEFAULT_NONPOW2 || height == D3DX_FROM_FILE) height = info.Height;
  if (filter == D3DX_DEFAULT) filter = D3DX_FILTER_TRIANGLE | D3DX_FILTER_DITHER;
  if (mipFilter == D3DX_DEFAULT) mipFilter = D3DX_FILTER_BOX;
  // Rounding up to a power of two can double each side: the texture as made must fit too.
  const std::string tooLarge = d3dx::CheckTextureSize(width, height);
  if (!tooLarge.empty())
    return refuse("as a texture of " + std::to_string(width) + " x " + std::to_string(height) +
                      ": " + tooLarge,
                  D3DXERR_INVALIDDATA);

  // The key applies to the source pixels, so filtering blends keyed areas as D3DX does.
  d3dx::ApplyColorKey(&image, colorKey);
  image = d3dx::Resample(image, width, height, filter);

  const UINT levels = ChooseLevels(mipLevels, width, height);
  format = ChooseFileTextureFormat(format, info, colorKey);
  vexil::Com<IDirect3DTexture9> texture;
  hr = pDevice->CreateTexture(width, height, levels, usage, format, pool, texture.put(), nullptr);
  if (FAILED(hr)) return refuse("the device cannot create the texture", hr);

  const bool opaque = format == D3DFMT_X8R8G8B8;
  for (UINT level = 0; level < levels; ++level) {
    if (level > 0) {
      const UINT w = std::max(1u, image.width / 2), h = std::max(1u, image.height / 2);
      const DWORD type = mipFilter & 0xff;
      image = type == D3DX_FILTER_POINT || type == D3DX_FILTER_NONE
                  ? d3dx::Resample(image, w, h, D3DX_FILTER_POINT)
                  : d3dx::HalveBox(image);
    }
    hr = UploadLevel(texture.get(), level, image, opaque);
    if (FAILED(hr)) return refuse("the texture cannot be written", hr);
  }
  *ppTexture = texture.detach();
  return D3D_OK;
}

HRESULT D3DXGetImageInfoFromFileA(LPCSTR pSrcFile, D3DXIMAGE_INFO* pSrcInfo) {
  if (!pSrcFile || !pSrcInfo) return D3DERR_INVALIDCALL;
  d3dx::Image image;
  std::string error;
  return d3dx::DecodeImageFile(vexil::sys::LookUpFile(pSrcFile).path, &image, pSrcInfo, &error);
}
