// "texture" resource: D3DX loading for pictures (sizes rounded to powers of two, full mip chain,
// colour key), or a 1-level render target paired with a D16 depth-stencil surface: X8R8G8B8,
// opaque, as demos have always had it, or A8R8G8B8 when the script asks for "alpha", so that
// a target cleared to transparent can be laid over the picture with ordinary blending.
#include "texture_resource.h"

#include <cstdio>

#include "d3d9/com_ptr.h"
#include "d3dx9/d3dx9.h"
#include "d3dx9/load_failure.h"
#include "effect_messages.h"
#include "script_files.h"
#include "system/message_box.h"
#include "system/text_encoding.h"

namespace effects {

CTextureResource::CTextureResource()
    : m_filename(""), m_width(0), m_height(0), m_type(kTypeImage), m_colorKey(0u), m_alpha(0) {
  AddValue(&m_filename, "filename", EValueRefers::File);
  AddValue(&m_width, "width");
  AddValue(&m_height, "height");
  AddValue(&m_type, "type");
  AddValue(&m_colorKey, "colorkey");
  AddValue(&m_alpha, "alpha");
}

bool CTextureResource::Init() {
  const int32_t type = m_type;
  if (type != kTypeImage && type != kTypeRenderTarget) {
    // Nothing can be made of an unknown kind; say so rather than fail without a word.
    std::fprintf(stderr, "texture resource \"%s\": unknown type %d (0 image, 1 render target)\n",
                 GetName(), type);
    return false;
  }
  CTextureManager* textures = m_pDemoDevice ? m_pDemoDevice->m_pTextureManager : nullptr;
  vexil::Com<IDirect3DTexture9> texture;
  vexil::Com<IDirect3DSurface9> depthStencil;

  if (type == kTypeImage) {
    const vexil::sys::FileLookup file = FindScriptFile(this, m_filename);
    if (!m_pD3DDevice ||
        FAILED(D3DXCreateTextureFromFileExA(
            m_pD3DDevice, file.path.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0,
            D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT,
            static_cast<uint32_t>(m_colorKey), nullptr, nullptr, texture.put()))) {
      ReportUnusableFile(this, file,
                         "texture \"" + std::string(GetName()) + "\": the picture \"" +
                             vexil::sys::Printable(static_cast<const char*>(m_filename)) +
                             "\" cannot be loaded: " + d3dx::LastLoadFailure());
      ShowEffectMessage(kMsgFileNotFound, kCaptionVexilError, MB_OK);
      return false;
    }
  } else {
    const int32_t width = m_width;
    const int32_t height = m_height;
    const D3DFORMAT format = static_cast<int32_t>(m_alpha) != 0 ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    if (!m_pD3DDevice || FAILED(D3DXCreateTexture(
                             m_pD3DDevice, static_cast<UINT>(width), static_cast<UINT>(height), 1,
                             D3DUSAGE_RENDERTARGET, format, D3DPOOL_DEFAULT, texture.put()))) {
      const std::string& why = d3dx::LastLoadFailure();
      ReportForCheck(this, "texture \"" + std::string(GetName()) +
                               "\": cannot make a render target of " + std::to_string(width) +
                               " x " + std::to_string(height) + " pixels" +
                               (why.empty() ? std::string() : ": " + why));
      ShowEffectMessage(kMsgFileNotFound, kCaptionVexilError, MB_OK);
      return false;
    }
    // The depth buffer matches the texture as made (D3DX picks a size for 0).
    D3DSURFACE_DESC desc;
    texture->GetLevelDesc(0, &desc);
    if (FAILED(m_pD3DDevice->CreateDepthStencilSurface(desc.Width, desc.Height, D3DFMT_D16,
                                                       D3DMULTISAMPLE_NONE, 0, TRUE,
                                                       depthStencil.put(), nullptr))) {
      std::fprintf(stderr,
                   "texture resource \"%s\": cannot create its depth buffer of %u x %u pixels: "
                   "not enough video memory\n",
                   GetName(), desc.Width, desc.Height);
      ShowEffectMessage(kMsgFileNotFound, kCaptionVexilError, MB_OK);
      return false;
    }
  }

  // Without a registry the texture would be unreachable: it goes with this scope.
  if (!textures) return false;
  // The engine's texture manager takes our references over as plain pointers (plug-in boundary).
  if (depthStencil) {
    textures->AddTexture(GetName(), texture.detach(), depthStencil.detach());
  } else {
    textures->AddTexture(GetName(), texture.detach());
  }
  return true;
}

}  // namespace effects
