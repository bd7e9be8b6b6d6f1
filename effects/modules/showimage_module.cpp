// "showimage" module: a unit quad turned, scaled to the texture's pixel size and moved, under
// an orthographic 640 x 480 projection that is saved and restored around the draw.
#include "showimage_module.h"

#include <cstring>

#include "d3dx9/d3dx9.h"
#include "device_access.h"
#include "effect_messages.h"
#include "system/message_box.h"
#include "timeline/default_camera.h"
#include "vertex_formats.h"

namespace effects {

namespace {

constexpr int kVertexCount = 4;
constexpr UINT kBufferBytes = kVertexCount * sizeof(VertexColorTex);

// The unit quad as a triangle strip, texture row 0 at the top.
constexpr VertexColorTex kQuad[kVertexCount] = {
    {-0.5f, 0.5f, 0.0f, 0xFFFFFFFFu, 0.0f, 0.0f},
    {0.5f, 0.5f, 0.0f, 0xFFFFFFFFu, 1.0f, 0.0f},
    {-0.5f, -0.5f, 0.0f, 0xFFFFFFFFu, 0.0f, 1.0f},
    {0.5f, -0.5f, 0.0f, 0xFFFFFFFFu, 1.0f, 1.0f},
};

// Degrees to radians as one single-precision factor, so turns match across platforms.
constexpr float kDegreesToRadians = 0.0174533f;

}  // namespace

CShowImageModule::CShowImageModule()
    : CModule(0.0f, 0.0f, 0),
      m_x(0.0f),
      m_y(0.0f),
      m_texture(""),
      m_angle(0.0f),
      m_alpha(1.0f),
      m_scaleX(100.0f),
      m_scaleY(100.0f),
      m_filter(0),
      m_blending(0) {
  AddValue(&m_x, "x");
  AddValue(&m_y, "y");
  AddValue(&m_texture, "texture", EValueRefers::Texture);
  AddValue(&m_angle, "angle");
  AddValue(&m_alpha, "alpha");
  AddValue(&m_scaleX, "scalex");
  AddValue(&m_scaleY, "scaley");
  AddValue(&m_filter, "filter");
  AddValue(&m_blending, "blending");
}

bool CShowImageModule::WriteVertices() {
  VertexColorTex quad[kVertexCount];
  std::memcpy(quad, kQuad, sizeof(quad));
  const uint32_t color = (OpacityToByte(m_alpha) << 24) | 0x00FFFFFFu;
  for (VertexColorTex& vertex : quad) vertex.color = color;

  void* data = nullptr;
  if (FAILED(m_vertexBuffer->Lock(0, kBufferBytes, &data, 0)) || !data) return false;
  std::memcpy(data, quad, kBufferBytes);
  m_vertexBuffer->Unlock();
  return true;
}

void CShowImageModule::Init() {
  IDirect3DDevice9* device = DeviceOf(m_pDemoDevice);
  if (!device) return;

  if (FAILED(device->CreateVertexBuffer(kBufferBytes, D3DUSAGE_WRITEONLY, VertexColorTex::kFvf,
                                        D3DPOOL_MANAGED, m_vertexBuffer.put(), nullptr))) {
    ShowEffectMessage(kMsgVertexBufferFailed, kCaptionVexil, MB_OK);
    return;
  }
  if (!WriteVertices()) {
    // Without its contents the buffer is useless: drop it, so Render draws nothing.
    m_vertexBuffer = nullptr;
    ShowEffectMessage(kMsgLockFailed, kCaptionVexil, MB_OK);
    return;
  }

  m_pTexture = m_pDemoDevice->m_pTextureManager
                   ? m_pDemoDevice->m_pTextureManager->GetTexture(m_texture)
                   : nullptr;
  m_textureWidth = 0;
  m_textureHeight = 0;
  D3DSURFACE_DESC desc;
  if (m_pTexture && SUCCEEDED(m_pTexture->GetLevelDesc(0, &desc))) {
    m_textureWidth = static_cast<int32_t>(desc.Width);
    m_textureHeight = static_cast<int32_t>(desc.Height);
  }

  // Any value but 1 filters linearly: the sampler must always get a valid filter.
  m_filterMode = static_cast<int32_t>(m_filter) == 1 ? D3DTEXF_NONE : D3DTEXF_LINEAR;
}

void CShowImageModule::Render() {
  IDirect3DDevice9* device = DeviceOf(m_pDemoDevice);
  if (!device || !m_vertexBuffer) return;
  // A failed lock would leave last frame's alpha in place; skip the frame instead.
  if (!WriteVertices()) return;

  CStateScope scope;
  scope.SetRenderState(D3DRS_LIGHTING, FALSE);
  scope.SetRenderState(D3DRS_ZENABLE, TRUE);
  const int32_t blending = m_blending;
  if (blending == 0) {
    scope.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    scope.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  } else if (blending == 1) {
    scope.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    scope.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  }
  scope.SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  scope.SetRenderState(D3DRS_AMBIENT, 0);
  scope.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  scope.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  scope.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  scope.SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
  scope.SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TEXTURE);
  scope.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  scope.SetSamplerState(0, D3DSAMP_MAGFILTER, m_filterMode);
  scope.SetSamplerState(0, D3DSAMP_MINFILTER, m_filterMode);
  scope.SetSamplerState(0, D3DSAMP_MIPFILTER, m_filterMode);

  D3DXMATRIX projection;
  D3DXMatrixOrthoLH(&projection, 640.0f, 480.0f, 1.0f, 10.0f);
  D3DXMATRIX savedProjection;
  device->GetTransform(D3DTS_PROJECTION, &savedProjection);
  device->SetTransform(D3DTS_PROJECTION, &projection);

  SetDefaultView(device);

  // Row vectors: turn the unit quad, then stretch it to the picture's size, then move it.
  // Scaling after the turn shears a turned picture whose two scale factors differ.
  D3DXMATRIX rotation, scaling, translation;
  D3DXMatrixRotationZ(&rotation, m_angle * kDegreesToRadians);
  const float scaleX = m_scaleX;
  const float scaleY = m_scaleY;
  D3DXMatrixScaling(&scaling, scaleX == 0.0f ? 0.0f : scaleX / 100.0f * m_textureWidth,
                    scaleY == 0.0f ? 0.0f : scaleY / 100.0f * m_textureHeight, 1.0f);
  D3DXMatrixTranslation(&translation, m_x, m_y, 0.0f);
  const D3DXMATRIX world = rotation * scaling * translation;
  device->SetTransform(D3DTS_WORLD, &world);

  if (SUCCEEDED(device->BeginScene())) {
    device->SetTexture(0, m_pTexture);
    device->SetFVF(VertexColorTex::kFvf);
    device->SetStreamSource(0, m_vertexBuffer.get(), 0, sizeof(VertexColorTex));
    device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    device->EndScene();
  }

  device->SetTransform(D3DTS_PROJECTION, &savedProjection);
}

}  // namespace effects
