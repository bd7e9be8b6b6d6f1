// "texscreen" module: the grid is built at Init into a vertex and an index buffer, and its
// points are rebuilt from the current values every frame into the same vertex buffer; drawn
// under a perspective of the display's aspect ratio, turned about the view axis.
#include "texscreen_module.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "d3dx9/d3dx9.h"
#include "device_access.h"
#include "display_ratio.h"
#include "geometry/mesh_buffers.h"

namespace effects {

namespace {

// Degrees to radians as one single-precision factor, so turns match across platforms.
constexpr float kDegreesToRadians = 0.0174533f;
constexpr float kQuarterPi = 0.785398163f;  // 3F490FDB hex

}  // namespace

CTexScreenModule::CTexScreenModule()
    : CModule(0.0f, 0.0f, 0),
      m_xNum(30),
      m_yNum(30),
      m_z(0.0f),
      m_xSegSize(0.03f),
      m_ySegSize(0.03f),
      m_uStart(0.0f),
      m_vStart(0.0f),
      m_uEnd(1.0f),
      m_vEnd(1.0f),
      m_bendFactor(0.0f),
      m_zRot(0.0f),
      m_alpha(1.0f),
      m_texture("") {
  AddValue(&m_xNum, "xnum");
  AddValue(&m_yNum, "ynum");
  AddValue(&m_z, "z");
  AddValue(&m_xSegSize, "xsegsize");
  AddValue(&m_ySegSize, "ysegsize");
  AddValue(&m_uStart, "ustart");
  AddValue(&m_vStart, "vstart");
  AddValue(&m_uEnd, "uend");
  AddValue(&m_vEnd, "vend");
  AddValue(&m_bendFactor, "bendfactor");
  AddValue(&m_zRot, "zrot");
  AddValue(&m_alpha, "alpha");
  AddValue(&m_texture, "texture", EValueRefers::Texture);
}

void CTexScreenModule::ReleaseBuffers() {
  m_vertexBuffer = nullptr;
  m_indexBuffer = nullptr;
}

TexScreenGridSettings CTexScreenModule::CurrentGrid() {
  TexScreenGridSettings s;
  s.xNum = m_columns;
  s.yNum = m_rows;
  s.z = m_z;
  s.xSegSize = m_xSegSize;
  s.ySegSize = m_ySegSize;
  s.uStart = m_uStart;
  s.vStart = m_vStart;
  s.uEnd = m_uEnd;
  s.vEnd = m_vEnd;
  s.bendFactor = m_bendFactor;
  s.alpha = m_alpha;
  return s;
}

void CTexScreenModule::Init() {
  IDirect3DDevice9* device = DeviceOf(m_pDemoDevice);
  if (!device) return;
  ReleaseBuffers();  // a second Init rebuilds rather than leaking the first buffers

  m_columns = m_xNum;
  m_rows = m_yNum;
  if (const char* problem = TexScreenGridProblem(m_columns, m_rows)) {
    m_gridProblem.Say("texscreen", "a grid of " + std::to_string(m_columns) + " x " +
                                       std::to_string(m_rows) + " points " + problem +
                                       "; nothing is drawn");
    return;
  }
  BuildTexScreenGrid(CurrentGrid(), &m_vertices, &m_triangles);

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

void CTexScreenModule::Render() {
  IDirect3DDevice9* device = DeviceOf(m_pDemoDevice);
  if (!device || !m_vertexBuffer || !m_indexBuffer) return;

  CStateScope scope;

  // The points follow the current values; the triangles stay those of Init.
  BuildTexScreenGrid(CurrentGrid(), &m_vertices, &m_triangles);
  D3DVERTEXBUFFER_DESC desc;
  if (FAILED(m_vertexBuffer->GetDesc(&desc))) return;
  const UINT bytes =
      std::min(desc.Size, static_cast<UINT>(m_vertices.size() * sizeof(VertexColorTex)));
  void* data = nullptr;
  if (FAILED(m_vertexBuffer->Lock(0, bytes, &data, 0)) || !data) return;
  std::memcpy(data, m_vertices.data(), bytes);
  m_vertexBuffer->Unlock();

  scope.SetRenderState(D3DRS_LIGHTING, FALSE);
  scope.SetRenderState(D3DRS_ZENABLE, FALSE);
  scope.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
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

  D3DXMATRIX view, savedView;
  const D3DXVECTOR3 eye(0.0f, 0.0f, -2.0f);
  const D3DXVECTOR3 at(0.0f, 0.0f, 0.0f);
  const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  device->GetTransform(D3DTS_VIEW, &savedView);
  device->SetTransform(D3DTS_VIEW, &view);

  D3DXMATRIX projection, savedProjection;
  D3DXMatrixPerspectiveFovLH(&projection, kQuarterPi, DisplayAspect(*m_pDemoDevice), 0.1f, 100.0f);
  device->GetTransform(D3DTS_PROJECTION, &savedProjection);
  device->SetTransform(D3DTS_PROJECTION, &projection);

  D3DXMATRIX world;
  D3DXMatrixRotationZ(&world, m_zRot * kDegreesToRadians);
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
