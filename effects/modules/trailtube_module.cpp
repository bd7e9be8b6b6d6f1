// "zuravisnurr" (trail tube) module: drives the emitter from the script every frame, copies
// the rebuilt rings into a managed buffer and draws them as points and as triangles.
#include "trailtube_module.h"

#include <cstdio>
#include <cstring>

#include "d3dx9/d3dx9.h"
#include "device_access.h"
#include "effect_messages.h"
#include "system/message_box.h"

namespace effects {

CTrailTubeModule::CTrailTubeModule()
    : CModule(0.0f, 0.0f, 0),
      m_speed(0.003f),
      m_startPosX(0.0f),
      m_startPosY(0.0f),
      m_startPosZ(0.0f),
      m_startDirX(0.0f),
      m_startDirY(0.0f),
      m_startDirZ(1.0f),
      m_startUpDirX(0.0f),
      m_startUpDirY(1.0f),
      m_startUpDirZ(0.0f),
      m_gravity(0.1f),
      m_groundPosX(0.0f),
      m_groundPosY(-1.5f),
      m_groundPosZ(0.0f),
      m_groundDirX(0.0f),
      m_groundDirY(0.0f),
      m_groundDirZ(1.0f),
      m_numSegments(30),
      m_segmentTimeInterval(300.0f),
      m_outRadius(0.3f),
      m_inRadius(0.2f),
      m_numEdges(8),
      m_texture(""),
      m_startRotX(0.0f),
      m_startRotY(0.0f),
      m_startRotZ(0.0f),
      m_camPosX(0.0f),
      m_camPosY(2.0f),
      m_camPosZ(-8.0f),
      m_camTargetX(0.0f),
      m_camTargetY(0.0f),
      m_camTargetZ(0.0f),
      m_camUpDirX(0.0f),
      m_camUpDirY(1.0f),
      m_camUpDirZ(0.0f) {
  AddValue(&m_speed, "speed");
  AddValue(&m_startPosX, "startposx");
  AddValue(&m_startPosY, "startposy");
  AddValue(&m_startPosZ, "startposz");
  AddValue(&m_startDirX, "startdirx");
  AddValue(&m_startDirY, "startdiry");
  AddValue(&m_startDirZ, "startdirz");
  AddValue(&m_startUpDirX, "startupdirx");
  AddValue(&m_startUpDirY, "startupdiry");
  AddValue(&m_startUpDirZ, "startupdirz");
  AddValue(&m_gravity, "gravity");
  AddValue(&m_groundPosX, "groundposx");
  AddValue(&m_groundPosY, "groundposy");
  AddValue(&m_groundPosZ, "groundposz");
  AddValue(&m_groundDirX, "grounddirx");
  AddValue(&m_groundDirY, "grounddiry");
  AddValue(&m_groundDirZ, "grounddirz");
  AddValue(&m_numSegments, "numsegments");
  AddValue(&m_segmentTimeInterval, "segmenttimeinterval");
  AddValue(&m_outRadius, "outradius");
  AddValue(&m_inRadius, "inradius");
  AddValue(&m_numEdges, "numedges");
  AddValue(&m_texture, "texture", EValueRefers::Texture);
  AddValue(&m_startRotX, "startrotx");
  AddValue(&m_startRotY, "startroty");
  AddValue(&m_startRotZ, "startrotz");
  AddValue(&m_camPosX, "camposx");
  AddValue(&m_camPosY, "camposy");
  // Stored scripts know these two names as they have always been registered: the camera's z
  // is a second "camposy" and its up y a first "camupdirz". Only the first value of a name
  // binds, so z and up z keep their defaults and "camupdirz" sets the up vector's y.
  AddValue(&m_camPosZ, "camposy");
  AddValue(&m_camTargetX, "camtargetx");
  AddValue(&m_camTargetY, "camtargety");
  AddValue(&m_camTargetZ, "camtargetz");
  AddValue(&m_camUpDirX, "camupdirx");
  AddValue(&m_camUpDirY, "camupdirz");
  AddValue(&m_camUpDirZ, "camupdirz");
  DeclareMaterialUse(EMaterialUse::LeavesSet);
}

void CTrailTubeModule::ReleaseBuffers() {
  m_vertexBuffer = nullptr;
  m_indexBuffer = nullptr;
}

void CTrailTubeModule::Init() {
  IDirect3DDevice9* device = DeviceOf(m_pDemoDevice);
  if (!device) return;
  ReleaseBuffers();  // a second Init rebuilds rather than leaking the first buffers
  m_emitter.reset();

  TrailSettings settings;
  settings.speed = m_speed;
  settings.position = D3DXVECTOR3(m_startPosX, m_startPosY, m_startPosZ);
  settings.direction = D3DXVECTOR3(m_startDirX, m_startDirY, m_startDirZ);
  settings.up = D3DXVECTOR3(m_startUpDirX, m_startUpDirY, m_startUpDirZ);
  settings.segments = m_numSegments;
  settings.interval = m_segmentTimeInterval;
  settings.outRadius = m_outRadius;
  settings.inRadius = m_inRadius;
  settings.edges = m_numEdges;
  // "gravity" and the ground plane are accepted and have no effect on the picture.
  const std::string problem = TrailSettingsProblem(settings);
  if (!problem.empty()) {
    std::fprintf(stderr, "zuravisnurr: %s; the trail tube draws nothing\n", problem.c_str());
    return;
  }
  m_emitter = std::make_unique<TrailEmitter>(settings);
  m_emitter->Build(&m_vertices, &m_triangles);

  const UINT vertexBytes = static_cast<UINT>(m_vertices.size() * sizeof(VertexNormalColorTex));
  void* data = nullptr;
  if (FAILED(device->CreateVertexBuffer(vertexBytes, D3DUSAGE_WRITEONLY, VertexNormalColorTex::kFvf,
                                        D3DPOOL_MANAGED, m_vertexBuffer.put(), nullptr))) {
    ShowEffectMessage(kMsgVertexBufferFailed, kCaptionVexil, MB_OK);
    return;
  }
  if (FAILED(m_vertexBuffer->Lock(0, 0, &data, 0)) || !data) {
    ReleaseBuffers();
    ShowEffectMessage(kMsgLockFailed, kCaptionVexil, MB_OK);
    return;
  }
  std::memcpy(data, m_vertices.data(), vertexBytes);
  m_vertexBuffer->Unlock();

  // The triangles keep their indices from frame to frame: written once.
  const UINT indexBytes = static_cast<UINT>(m_triangles.size() * sizeof(uint16_t));
  if (FAILED(device->CreateIndexBuffer(indexBytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                                       D3DPOOL_MANAGED, m_indexBuffer.put(), nullptr))) {
    ReleaseBuffers();
    ShowEffectMessage(kMsgIndexBufferFailed, kCaptionVexil, MB_OK);
    return;
  }
  if (FAILED(m_indexBuffer->Lock(0, 0, &data, 0)) || !data) {
    ReleaseBuffers();
    ShowEffectMessage(kMsgLockFailed, kCaptionVexil, MB_OK);
    return;
  }
  std::memcpy(data, m_triangles.data(), indexBytes);
  m_indexBuffer->Unlock();

  if (!m_pTexture && m_pDemoDevice->m_pTextureManager) {
    m_pTexture = m_pDemoDevice->m_pTextureManager->GetTexture(m_texture);
  }
}

void CTrailTubeModule::TurnedDirection(D3DXVECTOR3* direction, D3DXVECTOR3* up) {
  constexpr float kDegrees = 0.017453292f;
  D3DXMATRIX x, y, z, turn;
  D3DXMatrixRotationX(&x, m_startRotX * kDegrees);
  D3DXMatrixRotationY(&y, m_startRotY * kDegrees);
  D3DXMatrixRotationZ(&z, m_startRotZ * kDegrees);
  D3DXMatrixMultiply(&turn, &x, &y);
  D3DXMatrixMultiply(&turn, &turn, &z);
  const D3DXVECTOR3 startDirection(m_startDirX, m_startDirY, m_startDirZ);
  const D3DXVECTOR3 startUp(m_startUpDirX, m_startUpDirY, m_startUpDirZ);
  D3DXVECTOR4 out;
  D3DXVec3Transform(&out, &startDirection, &turn);
  *direction = D3DXVECTOR3(out.x, out.y, out.z);
  D3DXVec3Transform(&out, &startUp, &turn);
  *up = D3DXVECTOR3(out.x, out.y, out.z);
}

void CTrailTubeModule::Render() {
  IDirect3DDevice9* device = DeviceOf(m_pDemoDevice);
  if (!device || !m_emitter || !m_vertexBuffer || !m_indexBuffer) return;

  device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
  void* data = nullptr;
  if (FAILED(m_vertexBuffer->Lock(0, 0, &data, 0))) data = nullptr;

  D3DXVECTOR3 direction, up;
  TurnedDirection(&direction, &up);
  m_emitter->SetDirection(direction, up);
  m_emitter->SetPosition(D3DXVECTOR3(m_startPosX, m_startPosY, m_startPosZ));
  m_emitter->Update(GetTime());
  m_emitter->Build(&m_vertices, &m_triangles);
  // A failed lock leaves last frame's rings in the buffer rather than writing through null.
  if (data) {
    std::memcpy(data, m_vertices.data(), m_vertices.size() * sizeof(VertexNormalColorTex));
    m_vertexBuffer->Unlock();
  }

  CStateScope scope;
  scope.SetRenderState(D3DRS_LIGHTING, TRUE);
  D3DLIGHT9 light{};
  light.Type = D3DLIGHT_DIRECTIONAL;
  light.Diffuse = light.Specular = light.Ambient = {1.0f, 1.0f, 1.0f, 1.0f};
  D3DXVECTOR3 lightDirection(0.0f, -10.0f, 10.0f);
  D3DXVec3Normalize(&lightDirection, &lightDirection);
  light.Direction = lightDirection;
  light.Range = 10000.0f;
  device->SetLight(0, &light);
  device->LightEnable(0, TRUE);

  // Lighting is set a second time through the scope: it ends at its first setting, so the
  // tube leaves lighting on, as demos made with it expect.
  scope.SetRenderState(D3DRS_LIGHTING, TRUE);
  scope.SetRenderState(D3DRS_SPECULARENABLE, TRUE);
  scope.SetRenderState(D3DRS_ZENABLE, TRUE);
  scope.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  scope.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  scope.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  scope.SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  scope.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  scope.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
  scope.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TEXTURE);
  scope.SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
  scope.SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TEXTURE);
  scope.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  scope.SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);

  const D3DXVECTOR3 eye(m_camPosX, m_camPosY, m_camPosZ);
  const D3DXVECTOR3 at(m_camTargetX, m_camTargetY, m_camTargetZ);
  const D3DXVECTOR3 camUp(m_camUpDirX, m_camUpDirY, m_camUpDirZ);
  D3DXMATRIX view, savedView, projection, savedProjection, world;
  D3DXMatrixLookAtLH(&view, &eye, &at, &camUp);
  device->GetTransform(D3DTS_VIEW, &savedView);
  device->SetTransform(D3DTS_VIEW, &view);
  const float aspect =
      m_pDemoDevice->m_height != 0
          ? static_cast<float>(m_pDemoDevice->m_width) / static_cast<float>(m_pDemoDevice->m_height)
          : 1.3333334f;
  D3DXMatrixPerspectiveFovLH(&projection, 0.7853982f, aspect, 0.1f, 100.0f);
  device->GetTransform(D3DTS_PROJECTION, &savedProjection);
  device->SetTransform(D3DTS_PROJECTION, &projection);
  D3DXMatrixIdentity(&world);
  device->SetTransform(D3DTS_WORLD, &world);

  if (SUCCEEDED(device->BeginScene())) {
    D3DMATERIAL9 material{};
    material.Diffuse = {0.93f, 0.71f, 0.59f, 1.0f};
    material.Ambient = {0.62f, 0.355f, 0.295f, 0.3f};
    material.Specular = {0.93f, 0.71f, 0.59f, 1.0f};
    material.Power = 0.3f;
    device->SetMaterial(&material);
    device->SetTexture(0, m_pTexture);
    device->SetFVF(VertexNormalColorTex::kFvf);
    device->SetStreamSource(0, m_vertexBuffer.get(), 0, sizeof(VertexNormalColorTex));
    device->SetIndices(m_indexBuffer.get());
    const UINT vertexCount = static_cast<UINT>(m_emitter->VertexCount());
    device->DrawPrimitive(D3DPT_POINTLIST, 0, vertexCount);
    device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, vertexCount, 0,
                                 static_cast<UINT>(m_emitter->TriangleCount()));
    device->EndScene();
  }
  device->SetTexture(0, nullptr);
  device->SetTransform(D3DTS_PROJECTION, &savedProjection);
  device->SetTransform(D3DTS_VIEW, &savedView);
}

}  // namespace effects
