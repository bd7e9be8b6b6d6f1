// A small plug-in library for the player's end-to-end tests: modules that fill the current
// target (whole or a rectangle) with a colour from their values, one that draws a texture over
// the viewport, one that logs its frame times, one that plays a sound file, and a render-target
// resource. Pixels of captured frames then say exactly which
// module drew last, at which time and into which target.
#include <strings.h>

#include <cstdio>

#include "fsound/fsound.h"
#include "scenecore.h"
#include "timeline/demodevice.h"
#include "timeline/module.h"
#include "timeline/resource.h"
#include "timeline/statescope.h"
#include "timeline/texturemanager.h"
#include "timeline/timeline.h"

namespace {

IDirect3DDevice9* DeviceOf(const CDemoDevice* demo) {
  return demo ? demo->m_pD3DDevice : nullptr;
}

// Clears the whole current target to "color".
class CFillModule : public CModule {
 public:
  CFillModule() { AddValue(&m_color, "color"); }
  void Render() override {
    IDirect3DDevice9* device = DeviceOf(m_pDemoDevice);
    if (!device || device->BeginScene() != D3D_OK) return;
    device->Clear(0, nullptr, D3DCLEAR_TARGET, m_color, 1.0f, 0);
    device->EndScene();
  }

 private:
  CValueColor m_color{0xFF000000u};
};

// Clears a rectangle (pixels of the current target) to "color". Also declares "filename" and
// "loadfrom", which it never reads, so that checks of file and resource names have values to
// look at (as in a music module).
class CFillRectModule : public CModule {
 public:
  CFillRectModule() {
    AddValue(&m_color, "color");
    AddValue(&m_left, "left");
    AddValue(&m_top, "top");
    AddValue(&m_right, "right");
    AddValue(&m_bottom, "bottom");
    AddValue(&m_filename, "filename", EValueRefers::File);
    AddValue(&m_loadfrom, "loadfrom");
  }
  void Parse(TiXmlElement* element) override {
    CModule::Parse(element);
    const bool fromMemory = strcasecmp(static_cast<const char*>(m_loadfrom), "memory") == 0;
    m_filename.SetRefers(fromMemory ? EValueRefers::Resource : EValueRefers::File);
  }
  void Render() override {
    IDirect3DDevice9* device = DeviceOf(m_pDemoDevice);
    if (!device || device->BeginScene() != D3D_OK) return;
    const D3DRECT rect = {m_left, m_top, m_right, m_bottom};
    device->Clear(1, &rect, D3DCLEAR_TARGET, m_color, 1.0f, 0);
    device->EndScene();
  }

 private:
  CValueColor m_color{0xFF000000u};
  CValueLong m_left{0};
  CValueLong m_top{0};
  CValueLong m_right{0};
  CValueLong m_bottom{0};
  CValueString m_filename{""};
  CValueString m_loadfrom{""};
};

// Draws the texture named by "texture" over the whole viewport, unlit and unblended.
class CTexQuadModule : public CModule {
 public:
  CTexQuadModule() { AddValue(&m_texture, "texture"); }
  void Init() override {
    CTextureManager* textures = m_pDemoDevice ? m_pDemoDevice->m_pTextureManager : nullptr;
    m_pTexture = textures ? textures->GetTexture(m_texture) : nullptr;
  }
  void Render() override {
    IDirect3DDevice9* device = DeviceOf(m_pDemoDevice);
    if (!device || !m_pTexture || device->BeginScene() != D3D_OK) return;
    struct Vertex {
      float x, y, z, rhw, u, v;
    };
    const float w = static_cast<float>(m_viewport.x2);
    const float h = static_cast<float>(m_viewport.y2);
    const Vertex quad[4] = {{-0.5f, -0.5f, 0, 1, 0, 0},
                            {w - 0.5f, -0.5f, 0, 1, 1, 0},
                            {-0.5f, h - 0.5f, 0, 1, 0, 1},
                            {w - 0.5f, h - 0.5f, 0, 1, 1, 1}};
    CStateScope scope;
    scope.SetRenderState(D3DRS_ZENABLE, FALSE);
    scope.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    scope.SetRenderState(D3DRS_LIGHTING, FALSE);
    scope.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    scope.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTexture(0, m_pTexture);
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_TEX1);
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex));
    device->SetTexture(0, nullptr);
    device->EndScene();
  }

 private:
  CValueString m_texture{""};
  IDirect3DTexture9* m_pTexture = nullptr;
};

// Appends the timeline time of every frame it renders in, one line each, to "file": tests of
// the real-time loop read which times were rendered.
class CTimeLogModule : public CModule {
 public:
  CTimeLogModule() { AddValue(&m_file, "file"); }
  // Appends, so that a module started again (a seek in edit mode) keeps what it logged; every
  // line is flushed, so that a test can read the log while the demo plays.
  void BeforeFirstRender() override { m_log = std::fopen(m_file, "a"); }
  void Render() override {
    if (m_log && m_pTimeline) {
      std::fprintf(m_log, "%.4f\n", m_pTimeline->GetTime());
      std::fflush(m_log);
    }
  }
  void AfterLastRender() override { CloseLog(); }
  void Free() override { CloseLog(); }

 private:
  void CloseLog() {
    if (m_log) std::fclose(m_log);
    m_log = nullptr;
  }
  CValueString m_file{""};
  std::FILE* m_log = nullptr;
};

// Plays the sound file named by "file" from the module's first frame to its last, the way a
// music module does, so that captures have audio to place against their pictures.
class CSoundModule : public CModule {
 public:
  CSoundModule() { AddValue(&m_file, "file"); }
  void BeforeFirstRender() override {
    if (!FSOUND_Init(44100, 32, 0)) return;
    m_stream = FSOUND_Stream_Open(m_file, FSOUND_LOOP_OFF, 0, 0);
    if (m_stream) FSOUND_Stream_Play(FSOUND_FREE, m_stream);
  }
  void AfterLastRender() override { Close(); }
  void Free() override { Close(); }

 private:
  void Close() {
    if (!m_stream) return;
    FSOUND_Stream_Stop(m_stream);
    FSOUND_Stream_Close(m_stream);
    m_stream = nullptr;
  }
  CValueString m_file{""};
  FSOUND_STREAM* m_stream = nullptr;
};

// A "width" x "height" render-target texture with its own depth buffer, registered in the
// texture manager under the resource's name.
class CRenderTargetResource : public CResource {
 public:
  CRenderTargetResource() {
    AddValue(&m_width, "width");
    AddValue(&m_height, "height");
  }
  bool Init() override {
    if (!m_pD3DDevice || !m_pDemoDevice || !m_pDemoDevice->m_pTextureManager) return false;
    IDirect3DTexture9* texture = nullptr;
    if (m_pD3DDevice->CreateTexture(m_width, m_height, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8,
                                    D3DPOOL_DEFAULT, &texture, nullptr) != D3D_OK) {
      return false;
    }
    IDirect3DSurface9* depth = nullptr;
    if (m_pD3DDevice->CreateDepthStencilSurface(m_width, m_height, D3DFMT_D16, D3DMULTISAMPLE_NONE,
                                                0, TRUE, &depth, nullptr) != D3D_OK) {
      texture->Release();
      return false;
    }
    m_pDemoDevice->m_pTextureManager->AddTexture(m_name, texture, depth);
    return true;
  }

 private:
  CValueLong m_width{64};
  CValueLong m_height{64};
};

struct Entry {
  const char* name;
  uint8_t kind;
};
const Entry kEntries[] = {{"fill", PLUGIN_KIND_MODULE},    {"fillrect", PLUGIN_KIND_MODULE},
                          {"texquad", PLUGIN_KIND_MODULE}, {"timelog", PLUGIN_KIND_MODULE},
                          {"sound", PLUGIN_KIND_MODULE},   {"rendertarget", PLUGIN_KIND_RESOURCE}};
constexpr int kCount = sizeof kEntries / sizeof kEntries[0];

}  // namespace

VEXIL_PLUGIN_EXPORT bool GetName(int32_t index, char* name, uint8_t* kind) {
  if (index < 0 || index >= kCount) return false;
  std::snprintf(name, PLUGIN_NAME_SIZE, "%s", kEntries[index].name);
  *kind = kEntries[index].kind;
  return true;
}

VEXIL_PLUGIN_EXPORT CDataProvider* CreateInstance(const char* name, uint8_t kind) {
  if (!name) return nullptr;
  if (kind == PLUGIN_KIND_MODULE && strcasecmp(name, "fill") == 0) return new CFillModule;
  if (kind == PLUGIN_KIND_MODULE && strcasecmp(name, "fillrect") == 0) {
    return new CFillRectModule;
  }
  if (kind == PLUGIN_KIND_MODULE && strcasecmp(name, "texquad") == 0) return new CTexQuadModule;
  if (kind == PLUGIN_KIND_MODULE && strcasecmp(name, "timelog") == 0) return new CTimeLogModule;
  if (kind == PLUGIN_KIND_MODULE && strcasecmp(name, "sound") == 0) return new CSoundModule;
  if (kind == PLUGIN_KIND_RESOURCE && strcasecmp(name, "rendertarget") == 0) {
    return new CRenderTargetResource;
  }
  return nullptr;
}

VEXIL_PLUGIN_EXPORT void FreeInstance(CDataProvider* object) {
  delete object;
}
