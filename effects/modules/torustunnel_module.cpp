// "torustunnel" module: the torus is built once at Init into a vertex and an index buffer;
// every frame only the camera, the projection (the display's aspect ratio) and the world
// transform Rx x T x Rz x Ry change. Unlit, texture only. View and projection are handed
// back; the world transform stays set.
#include "torustunnel_module.h"

#include <string>

#include "d3dx9/d3dx9.h"
#include "device_access.h"
#include "display_ratio.h"
#include "geometry/mesh_buffers.h"
#include "geometry/torus_mesh.h"

namespace effects {

namespace {

constexpr float kQuarterPi = 0.7853982f;
constexpr float kDegreesToRadians = 0.017453292f;

}  // namespace

CTorusTunnelModule::CTorusTunnelModule()
    : CModule(0.0f, 0.0f, 0),
      m_camXPos(0.0f),
      m_camYPos(0.0f),
      m_camZPos(-0.1f),
      m_lookAtXPos(0.0f),
      m_lookAtYPos(0.0f),
      m_lookAtZPos(5.0f),
      m_camUpX(0.0f),
      m_camUpY(1.0f),
      m_camUpZ(0.0f),
      m_projNearClip(0.1f),
      m_projFarClip(100.0f),
      m_torusXPos(0.0f),
      m_torusZPos(0.0f),
      m_torusXAngle(0.0f),
      m_torusYAngle(0.0f),
      m_torusZAngle(0.0f),
      m_inRadius(0.1f),
      m_inSegments(16),
      m_outRadius(1.0f),
      m_outSegments(128),
      m_texture("") {
  AddValue(&m_camXPos, "camxpos");
  AddValue(&m_camYPos, "camypos");
  AddValue(&m_camZPos, "camzpos");
  AddValue(&m_lookAtXPos, "lookatxpos");
  AddValue(&m_lookAtYPos, "lookatypos");
  AddValue(&m_lookAtZPos, "lookatzpos");
  AddValue(&m_camUpX, "camupx");
  AddValue(&m_camUpY, "camupy");
  AddValue(&m_camUpZ, "camupz");
  AddValue(&m_projNearClip, "projnearclip");
  AddValue(&m_projFarClip, "projfarclip");
  AddValue(&m_torusXPos, "torusxpos");
  AddValue(&m_torusZPos, "toruszpos");
  AddValue(&m_torusXAngle, "torusxangle");
  AddValue(&m_torusYAngle, "torusyangle");
  AddValue(&m_torusZAngle, "toruszangle");
  // The ring settings are registered outer first, unlike their declaration order.
  AddValue(&m_outSegments, "outsegments");
  AddValue(&m_outRadius, "outradius");
  AddValue(&m_inSegments, "insegments");
  AddValue(&m_inRadius, "inradius");
  AddValue(&m_texture, "texture", EValueRefers::Texture);
}

void CTorusTunnelModule::ReleaseBuffers() {
  m_vertexBuffer = nullptr;
  m_indexBuffer = nullptr;
}

void CTorusTunnelModule::Init() {
  IDirect3DDevice9* device = DeviceOf(m_pDemoDevice);
  if (!device) return;
  ReleaseBuffers();  // a second Init rebuilds rather than leaking the first buffers

  const int32_t inSegments = m_inSegments;
  const float inRadius = m_inRadius;
  const int32_t outSegments = m_outSegments;
  const float outRadius = m_outRadius;
  if (const char* problem = TorusProblem(outRadius, outSegments, inRadius, inSegments)) {
    m_torusProblem.Say("torustunnel", "a torus of " + std::to_string(outSegments) + " x " +
                                          std::to_string(inSegments) + " points " + problem +
                                          "; nothing is drawn");
    return;
  }
  BuildTorus(outRadius, outSegments, inRadius, inSegments, &m_vertices, &m_triangles);

  if (!CreateFilledMeshBuffers(device, VertexColorTex::kFvf, m_vertices.data(),
                               static_cast<UINT>(m_vertices.size() * sizeof(VertexColorTex)),
                               m_triangles.data(),
                               static_cast<UINT>(m_triangles.size() * sizeof(Triangle16)),
                               m_vertexBuffer.put(), m_indexBuffer.put())) {
    return;
  }

  if (!m_pTexture && m_pDemoDevice->m_pTextureManager) {
    m_pTexture = m_pDemoDevice->m_pTextureManager->GetTexture(m_texture);
  }
}

void CTorusTunnelModule::Render() {
  IDirect3DDevice9* device = DeviceOf(m_pDemoDevice);
  if (!device || !m_vertexBuffer || !m_indexBuffer) return;

  CStateScope scope;
  scope.SetRenderState(D3DRS_LIGHTING, FALSE);
  scope.SetRenderState(D3DRS_ZENABLE, TRUE);
  scope.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  scope.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  scope.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  scope.SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  scope.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  scope.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  scope.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  scope.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
  scope.SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);

  D3DXMATRIX view, savedView;
  const D3DXVECTOR3 eye(m_camXPos, m_camYPos, m_camZPos);
  const D3DXVECTOR3 at(m_lookAtXPos, m_lookAtYPos, m_lookAtZPos);
  const D3DXVECTOR3 up(m_camUpX, m_camUpY, m_camUpZ);
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  device->GetTransform(D3DTS_VIEW, &savedView);
  device->SetTransform(D3DTS_VIEW, &view);

  D3DXMATRIX projection, savedProjection;
  D3DXMatrixPerspectiveFovLH(&projection, kQuarterPi, DisplayAspect(*m_pDemoDevice), m_projNearClip,
                             m_projFarClip);
  device->GetTransform(D3DTS_PROJECTION, &savedProjection);
  device->SetTransform(D3DTS_PROJECTION, &projection);

  // Row vectors: roll the torus about its own axis, drop it so that the top of its centre
  // circle passes through (torusxpos, 0, toruszpos), then turn it about z and about y.
  D3DXMATRIX roll, drop, turnZ, turnY, world;
  D3DXMatrixRotationX(&roll, m_torusXAngle * kDegreesToRadians);
  D3DXMatrixTranslation(&drop, m_torusXPos, -m_outRadius, m_torusZPos);
  D3DXMatrixRotationZ(&turnZ, m_torusZAngle * kDegreesToRadians);
  D3DXMatrixRotationY(&turnY, m_torusYAngle * kDegreesToRadians);
  D3DXMatrixMultiply(&world, &roll, &drop);
  D3DXMatrixMultiply(&world, &world, &turnZ);
  D3DXMatrixMultiply(&world, &world, &turnY);
  device->SetTransform(D3DTS_WORLD, &world);

  if (SUCCEEDED(device->BeginScene())) {
    device->SetTexture(0, m_pTexture);
    device->SetFVF(VertexColorTex::kFvf);
    device->SetStreamSource(0, m_vertexBuffer.get(), 0, sizeof(VertexColorTex));
    device->SetIndices(m_indexBuffer.get());
    device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, static_cast<UINT>(m_vertices.size()), 0,
                                 static_cast<UINT>(m_triangles.size()));
    device->EndScene();
  }

  device->SetTexture(0, nullptr);
  device->SetTransform(D3DTS_PROJECTION, &savedProjection);
  device->SetTransform(D3DTS_VIEW, &savedView);
}

}  // namespace effects
