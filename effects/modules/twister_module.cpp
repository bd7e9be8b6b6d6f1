// "twister" module: every frame the tube is rebuilt on the processor and sent through a
// write-only buffer locked with D3DLOCK_DISCARD, then drawn as one strip per segment under a
// directional light. The light, material and transforms stay set for later modules; among
// them the 4:3 projection.
#include "twister_module.h"

#include <cstring>
#include <string>

#include "d3dx9/d3dx9.h"
#include "device_access.h"
#include "geometry/twister_tube.h"
#include "white_lighting.h"

namespace effects {

namespace {

constexpr float kQuarterPi = 0.7853982f;
constexpr float kFixedAspect = 1.3333334f;

}  // namespace

CTwisterModule::CTwisterModule()
    : CModule(0.0f, 0.0f, 0),
      m_startTwist(0.0f),
      m_endTwist(0.0f),
      m_middleTwist(0.0f),
      m_startEndTwist(0.0f),
      m_texHeightTiling(1.0f),
      m_texWidthTiling(1.0f),
      m_segment(0),
      m_texture(""),
      m_eyePoint(D3DXVECTOR3(0.0f, 0.0f, 0.0f)),
      m_lookAtPoint(D3DXVECTOR3(0.0f, 0.0f, 0.0f)),
      m_centrum(D3DXVECTOR2(0.0f, 0.0f)),
      m_offset(0.0f),
      m_thickness(1.0f),
      m_mapping(0),
      m_specular(0),
      m_lightDirection(D3DXVECTOR3(0.5f, 0.0f, -0.5f)) {
  AddValue(&m_startTwist, "starttwist");
  AddValue(&m_endTwist, "endtwist");
  AddValue(&m_middleTwist, "middletwist");
  AddValue(&m_startEndTwist, "startendtwist");
  AddValue(&m_texHeightTiling, "texheighttiling");
  AddValue(&m_texWidthTiling, "texwidthtiling");
  AddValue(&m_segment, "segment");
  AddValue(&m_shape, "shape");
  AddValue(&m_body, "body");
  AddValue(&m_texture, "texture", EValueRefers::Texture);
  AddValue(&m_eyePoint, "eyepoint");
  AddValue(&m_lookAtPoint, "lookatpoint");
  AddValue(&m_centrum, "centrum");
  AddValue(&m_offset, "offset");
  AddValue(&m_thickness, "thickness");
  AddValue(&m_mapping, "mapping");
  AddValue(&m_specular, "specular");
  AddValue(&m_lightDirection, "lightdirection");
  DeclareMaterialUse(EMaterialUse::LeavesSet);
}

UINT CTwisterModule::BufferBytes() const {
  // The strips of all segments; the last ring's pairs are never drawn.
  return static_cast<UINT>(m_segments) * static_cast<UINT>(m_points + 1) * 2u *
         static_cast<UINT>(sizeof(VertexNormalColorTex));
}

void CTwisterModule::Init() {
  IDirect3DDevice9* device = DeviceOf(m_pDemoDevice);
  if (!device) return;
  m_vertexBuffer = nullptr;  // a tube that cannot be built leaves nothing of the last Init

  m_points = m_shape.GetCount();
  m_pTexture = m_pDemoDevice->m_pTextureManager
                   ? m_pDemoDevice->m_pTextureManager->GetTexture(m_texture)
                   : nullptr;
  m_segments = m_segment;
  if (const char* problem = TwisterTubeProblem(m_segments, m_points)) {
    m_problem.Say("twister", "a tube of " + std::to_string(m_segments) + " segments around " +
                                 std::to_string(m_points) + " points " + problem +
                                 "; nothing is drawn");
    return;
  }
  m_pairs.resize(static_cast<size_t>(m_segments + 1) * (m_points + 1) * 2);

  if (FAILED(device->CreateVertexBuffer(BufferBytes(), D3DUSAGE_WRITEONLY,
                                        VertexNormalColorTex::kFvf, D3DPOOL_DEFAULT,
                                        m_vertexBuffer.put(), nullptr))) {
    m_problem.Say("twister", "its vertex buffer could not be made; nothing is drawn");
    return;
  }

  m_outline.resize(m_points);
  for (int32_t j = 0; j < m_points; ++j) m_outline[j] = m_shape[j];
  if (!BuildArcTable(m_outline, &m_arc)) {
    m_vertexBuffer = nullptr;
    m_problem.Say("twister",
                  "a \"shape\" without length around it cannot be mapped; nothing "
                  "is drawn");
  }
}

void CTwisterModule::Render() {
  IDirect3DDevice9* device = DeviceOf(m_pDemoDevice);
  if (!device || !m_vertexBuffer) return;

  device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);

  // The tube for this frame. Only the first two "body" points are read: start and end.
  TwisterFrame frame;
  frame.segment = m_segments;
  frame.axisStart = m_body[0];
  frame.axisEnd = m_body[1];
  frame.startTwist = m_startTwist;
  frame.endTwist = m_endTwist;
  frame.centrum = m_centrum;
  frame.offset = m_offset;
  frame.thickness = m_thickness;
  frame.texWidthTiling = m_texWidthTiling;
  frame.texHeightTiling = m_texHeightTiling;
  for (int32_t j = 0; j < m_points; ++j) m_outline[j] = m_shape[j];
  BuildTwisterTube(frame, m_outline, m_arc, &m_pairs);

  const UINT bytes = BufferBytes();
  void* data = nullptr;
  if (FAILED(m_vertexBuffer->Lock(0, bytes, &data, D3DLOCK_DISCARD)) || !data) return;
  std::memcpy(data, m_pairs.data(), bytes);
  m_vertexBuffer->Unlock();

  CStateScope scope;
  scope.SetRenderState(D3DRS_ZENABLE, TRUE);
  scope.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  scope.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  scope.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  scope.SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  scope.SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);

  // The material's ambient alpha is 0.2 here (1.0 for the metaballs).
  SetWhiteLighting(device, &scope, m_lightDirection, static_cast<int32_t>(m_specular) != 0, 0.2f);

  // The up vector (0, 1, 1) and the fixed 4:3 aspect are part of the effect's look.
  D3DXMATRIX view, world, projection;
  const D3DXVECTOR3 eye = m_eyePoint;
  const D3DXVECTOR3 at = m_lookAtPoint;
  const D3DXVECTOR3 up(0.0f, 1.0f, 1.0f);
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  device->SetTransform(D3DTS_VIEW, &view);
  D3DXMatrixIdentity(&world);
  device->SetTransform(D3DTS_WORLD, &world);
  D3DXMatrixPerspectiveFovLH(&projection, kQuarterPi, kFixedAspect, 1.0f, 100.0f);
  device->SetTransform(D3DTS_PROJECTION, &projection);

  if (static_cast<int32_t>(m_mapping) == 1) {
    scope.SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_SPHEREMAP);
  }
  scope.SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);

  if (SUCCEEDED(device->BeginScene())) {
    device->SetTexture(0, m_pTexture);
    device->SetFVF(VertexNormalColorTex::kFvf);
    device->SetStreamSource(0, m_vertexBuffer.get(), 0, sizeof(VertexNormalColorTex));
    const UINT stripVertices = static_cast<UINT>(m_points + 1) * 2;
    for (int32_t k = 0; k < m_segments; ++k) {
      device->DrawPrimitive(D3DPT_TRIANGLESTRIP, static_cast<UINT>(k) * stripVertices,
                            static_cast<UINT>(m_points) * 2);
    }
    device->EndScene();
    device->SetTexture(0, nullptr);
  }
}

}  // namespace effects
