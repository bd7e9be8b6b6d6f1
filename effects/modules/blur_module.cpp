// "blur" module: up to "times" full-screen passes of one texture, each zoomed a little more
// toward the centre and added onto the picture, each in a scene of its own. The passes are
// lit without normals and without a material of their own, so their colour is the current
// material's ambient times the ambient light: whatever an earlier module left on the device.
#include "blur_module.h"

#include <cstring>
#include <string>

#include "d3dx9/d3dx9.h"
#include "device_access.h"
#include "effect_messages.h"
#include "geometry/zoom_blur_passes.h"
#include "system/message_box.h"
#include "timeline/default_camera.h"
#include "vertex_formats.h"

namespace effects {

namespace {

constexpr UINT kQuadBytes = 4 * sizeof(VertexColorTex);

bool WriteQuad(IDirect3DVertexBuffer9* buffer, const VertexColorTex quad[4]) {
  void* data = nullptr;
  if (FAILED(buffer->Lock(0, kQuadBytes, &data, 0)) || !data) return false;
  std::memcpy(data, quad, kQuadBytes);
  buffer->Unlock();
  return true;
}

}  // namespace

CBlurModule::CBlurModule()
    : CModule(0.0f, 0.0f, 0),
      m_texture(""),
      m_size(0.01f),
      m_startAlpha(0.1f),
      m_light(0.1f),
      m_times(50),
      m_xOffset(0.0f),
      m_yOffset(0.0f) {
  AddValue(&m_texture, "texture", EValueRefers::Texture);
  AddValue(&m_size, "size");
  AddValue(&m_startAlpha, "startalpha");
  AddValue(&m_light, "light");
  AddValue(&m_times, "times");
  AddValue(&m_xOffset, "xoffset");
  AddValue(&m_yOffset, "yoffset");
  // Lit without a material of its own: its passes take the one an earlier module left.
  DeclareMaterialUse(EMaterialUse::TakesLeftOver);
}

void CBlurModule::Init() {
  IDirect3DDevice9* device = DeviceOf(m_pDemoDevice);
  if (!device) return;

  // The whole texture, opaque white: the quad before any pass rewrites it.
  VertexColorTex quad[4];
  WriteBlurQuad(ZoomCentreFor(0.0f, 0.0f), ZoomBlurPass::First(1.0f, 1), quad);
  if (FAILED(device->CreateVertexBuffer(kQuadBytes, D3DUSAGE_WRITEONLY, VertexColorTex::kFvf,
                                        D3DPOOL_MANAGED, m_vertexBuffer.put(), nullptr))) {
    ShowEffectMessage(kMsgVertexBufferFailed, kCaptionVexil, MB_OK);
    return;
  }
  if (!WriteQuad(m_vertexBuffer.get(), quad)) {
    m_vertexBuffer = nullptr;
    ShowEffectMessage(kMsgLockFailed, kCaptionVexil, MB_OK);
    return;
  }

  m_pTexture = m_pDemoDevice->m_pTextureManager
                   ? m_pDemoDevice->m_pTextureManager->GetTexture(m_texture)
                   : nullptr;
}

void CBlurModule::Render() {
  IDirect3DDevice9* device = DeviceOf(m_pDemoDevice);
  if (!device || !m_vertexBuffer) return;

  // A 640 x 480 virtual screen, origin at the bottom left.
  D3DXMATRIX projection, savedProjection;
  D3DXMatrixOrthoOffCenterLH(&projection, 0.0f, 640.0f, 0.0f, 480.0f, 1.0f, 10.0f);
  device->GetTransform(D3DTS_PROJECTION, &savedProjection);
  device->SetTransform(D3DTS_PROJECTION, &projection);
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  device->SetTransform(D3DTS_WORLD, &identity);
  SetDefaultView(device);

  CStateScope scope;
  scope.SetRenderState(D3DRS_LIGHTING, TRUE);
  const uint32_t grey = OpacityToByte(m_light);
  scope.SetRenderState(D3DRS_AMBIENT, 0xFF000000u | (grey << 16) | (grey << 8) | grey);
  scope.SetRenderState(D3DRS_ZENABLE, FALSE);
  scope.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
  scope.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  scope.SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  scope.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  scope.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  scope.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  scope.SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
  scope.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_ADD);
  scope.SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
  scope.SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP);
  scope.SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);

  device->SetTexture(0, m_pTexture);
  device->SetFVF(VertexColorTex::kFvf);
  device->SetStreamSource(0, m_vertexBuffer.get(), 0, sizeof(VertexColorTex));

  // Without its texture the blur has nothing to draw; states and transforms still come and go.
  const int32_t times = m_times;
  const int32_t passes = m_pTexture ? BlurPassCount(times) : 0;
  if (times > passes && m_pTexture) {
    m_passCap.Say("blur", "\"times\" " + std::to_string(times) + " is drawn as " +
                              std::to_string(kMaxBlurPasses) + " passes a frame");
  }
  const ZoomCentre centre = ZoomCentreFor(m_xOffset, m_yOffset);
  ZoomBlurPass pass = ZoomBlurPass::First(m_startAlpha, passes);
  for (int32_t i = 0; i < passes; ++i) {
    // The growth is read at this frame's time, so it is the same for every pass.
    const float size = m_size;
    if (!(size > 0.0f)) break;
    VertexColorTex quad[4];
    WriteBlurQuad(centre, pass, quad);
    if (!WriteQuad(m_vertexBuffer.get(), quad)) break;
    if (SUCCEEDED(device->BeginScene())) {
      device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
      device->EndScene();
    }
    pass.Advance(size);
  }

  device->SetTexture(0, nullptr);
  device->SetTransform(D3DTS_PROJECTION, &savedProjection);
}

}  // namespace effects
