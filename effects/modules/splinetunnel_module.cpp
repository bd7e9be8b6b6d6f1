// "splinetunnel" module: builds the tube once into a vertex buffer, then flies the camera
// along the path with a point light ahead, drawing the strips not yet passed.
#include "splinetunnel_module.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "d3dx9/d3dx9.h"
#include "device_access.h"

namespace effects {

CSplineTunnelModule::CSplineTunnelModule()
    : CModule(0.0f, 0.0f, 0),
      m_fogStart(0.0f),
      m_fogEnd(0.0f),
      m_fogColor(0u),
      m_texture(""),
      m_seed(100),
      m_rings(100),
      m_space(10.0f),
      m_ringPoints(5),
      m_baseRadius(1.0f),
      m_randRadius(40),
      m_time(60.0f),
      m_ringSplinePoints(5),
      m_spaceSplinePoints(3) {
  AddValue(&m_fogStart, "fogstart");
  AddValue(&m_fogEnd, "fogend");
  AddValue(&m_fogColor, "fogcolor");
  AddValue(&m_texture, "texture", EValueRefers::Texture);
  AddValue(&m_seed, "seed");
  AddValue(&m_rings, "rings");
  AddValue(&m_space, "space");
  AddValue(&m_ringPoints, "ringpoints");
  AddValue(&m_baseRadius, "baseradius");
  AddValue(&m_randRadius, "randradius");
  AddValue(&m_time, "time");
  AddValue(&m_ringSplinePoints, "ringsplinepoints");
  AddValue(&m_spaceSplinePoints, "spacesplinepoints");
  AddValue(&m_shape, "shape");
  DeclareMaterialUse(EMaterialUse::LeavesSet);
}

void CSplineTunnelModule::Init() {
  IDirect3DDevice9* device = DeviceOf(m_pDemoDevice);
  if (!device) return;
  m_vertexBuffer = nullptr;  // a tunnel that cannot be built leaves nothing of the last Init
  m_pTexture = m_pDemoDevice->m_pTextureManager
                   ? m_pDemoDevice->m_pTextureManager->GetTexture(m_texture)
                   : nullptr;

  SplineTubeSettings settings;
  settings.seed = m_seed;
  settings.rings = m_rings;
  settings.space = m_space;
  settings.baseRadius = m_baseRadius;
  settings.randRadius = m_randRadius;
  settings.time = m_time;
  settings.ringSplinePoints = m_ringSplinePoints;
  settings.spaceSplinePoints = m_spaceSplinePoints;
  for (int32_t i = 0; i < m_shape.GetCount(); ++i) {
    const D3DXVECTOR3 point = m_shape[i];
    settings.shape.emplace_back(point.x, point.y);
  }
  m_tube = BuildSplineTube(settings);
  if (m_tube.Empty()) {
    std::fprintf(stderr, "splinetunnel: %s; the tunnel draws nothing\n",
                 m_tube.emptyReason.c_str());
    return;
  }

  // Failures here are not reported; Render then draws nothing.
  const UINT bytes = static_cast<UINT>(m_tube.vertices.size() * sizeof(VertexNormalColorTex));
  if (FAILED(device->CreateVertexBuffer(bytes, D3DUSAGE_WRITEONLY, VertexNormalColorTex::kFvf,
                                        D3DPOOL_DEFAULT, m_vertexBuffer.put(), nullptr))) {
    return;
  }
  void* data = nullptr;
  if (FAILED(m_vertexBuffer->Lock(0, bytes, &data, 0)) || !data) {
    m_vertexBuffer = nullptr;
    return;
  }
  std::memcpy(data, m_tube.vertices.data(), bytes);
  m_vertexBuffer->Unlock();
}

void CSplineTunnelModule::Render() {
  IDirect3DDevice9* device = DeviceOf(m_pDemoDevice);
  if (!device || !m_vertexBuffer) return;
  const float x = GetTime() * 0.001f;

  CStateScope scope;
  // The up vector is (0, 1, 1), as the tunnel has always been flown.
  const D3DXVECTOR3 eye = m_tube.path.Position(x);
  const D3DXVECTOR3 at = m_tube.path.Position(x + 0.6f);
  const D3DXVECTOR3 up(0.0f, 1.0f, 1.0f);
  D3DXMATRIX view;
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  device->SetTransform(D3DTS_VIEW, &view);

  const float fogStart = m_fogStart;
  const float fogEnd = m_fogEnd;
  if (fogStart != 0.0f || fogEnd != 0.0f) {
    scope.SetRenderState(D3DRS_FOGENABLE, TRUE);
    scope.SetRenderState(D3DRS_FOGCOLOR, static_cast<uint32_t>(m_fogColor));
    scope.SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
    DWORD bits;
    std::memcpy(&bits, &fogStart, sizeof(bits));
    scope.SetRenderState(D3DRS_FOGSTART, bits);
    std::memcpy(&bits, &fogEnd, sizeof(bits));
    scope.SetRenderState(D3DRS_FOGEND, bits);
  } else {
    scope.SetRenderState(D3DRS_FOGENABLE, FALSE);
  }

  scope.SetRenderState(D3DRS_ZENABLE, TRUE);
  scope.SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
  scope.SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
  scope.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  scope.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  scope.SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  scope.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  scope.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  scope.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  scope.SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
  scope.SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TEXTURE);
  scope.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  scope.SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);

  D3DXMATRIX world;
  D3DXMatrixIdentity(&world);
  device->SetTransform(D3DTS_WORLD, &world);

  D3DLIGHT9 light{};
  light.Type = D3DLIGHT_POINT;
  light.Diffuse = light.Specular = light.Ambient = {1.0f, 1.0f, 1.0f, 1.0f};
  light.Position = m_tube.path.Position(x + 0.5f);
  D3DXVECTOR3 direction(0.5f, 0.0f, -0.5f);
  D3DXVec3Normalize(&direction, &direction);
  light.Direction = direction;
  light.Range = 1000.0f;
  device->SetLight(0, &light);
  device->LightEnable(0, TRUE);

  scope.SetRenderState(D3DRS_SPECULARENABLE, FALSE);
  D3DMATERIAL9 material{};
  material.Diffuse = {0.3f, 0.3f, 0.3f, 0.3f};
  material.Specular = {1.0f, 1.0f, 1.0f, 1.0f};
  material.Power = 20.0f;
  device->SetMaterial(&material);
  scope.SetRenderState(D3DRS_SPECULARMATERIALSOURCE, D3DMCS_MATERIAL);
  scope.SetRenderState(D3DRS_LIGHTING, TRUE);
  scope.SetRenderState(D3DRS_AMBIENT, 0x00222222);

  if (SUCCEEDED(device->BeginScene())) {
    device->SetTexture(0, m_pTexture);
    device->SetFVF(VertexNormalColorTex::kFvf);
    device->SetStreamSource(0, m_vertexBuffer.get(), 0, sizeof(VertexNormalColorTex));
    // Whole key-ring periods passed, used directly as a strip index: with more than one row
    // per key ring a few strips behind the camera are still drawn.
    const double passed = std::floor(static_cast<double>(GetTime()) / (m_tube.ringPeriod * 1000.0));
    const int strips = m_tube.rows - 1;
    const int first = passed > 0.0 ? (passed < strips ? static_cast<int>(passed) : strips) : 0;
    for (int r = first; r < strips; ++r) {
      device->DrawPrimitive(D3DPT_TRIANGLESTRIP, static_cast<UINT>(r * m_tube.StripVertices()),
                            static_cast<UINT>(2 * m_tube.ringWidth));
    }
    device->EndScene();
  }
  device->SetTexture(0, nullptr);
  // Set a second time through the scope, so the scope ends it at its first setting: fog that
  // was switched on stays on after the tunnel, as demos made with it expect.
  scope.SetRenderState(D3DRS_FOGENABLE, FALSE);
}

}  // namespace effects
