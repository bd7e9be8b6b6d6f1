// "kluttviewer" module: finds its mesh, measures it once, and draws it every frame with its
// own materials and textures under one directional light from a fixed camera.
#include "kluttviewer_module.h"

#include <cstdio>

#include "device_access.h"
#include "geometry/mesh_placement.h"
#include "resources/klutt_resource.h"

namespace effects {

CKluttViewerModule::CKluttViewerModule()
    : CModule(0.0f, 0.0f, 0),
      m_mesh(""),
      m_shading(0),
      m_mapping(0),
      m_fillMode(0),
      m_culling(0),
      m_light(1),
      m_clearZBuffer(1),
      m_lightColor(0x00FFFFFFu),
      m_useTexture(1),
      m_xRotation(0.0f),
      m_yRotation(0.0f),
      m_zRotation(0.0f),
      m_xScale(1.0f),
      m_yScale(1.0f),
      m_zScale(1.0f),
      m_scale(0.0f),
      m_xStretch(1.0f),
      m_yStretch(1.0f),
      m_zStretch(1.0f),
      m_stretch(0.0f),
      m_x(0.0f),
      m_y(0.0f),
      m_z(0.0f),
      m_xPivot(0.0f),
      m_yPivot(0.0f),
      m_zPivot(0.0f) {
  // Registration order differs from the declaration order; scripts see it only through
  // tools that list the settings, but it is kept as it has always been.
  AddValue(&m_mesh, "mesh", EValueRefers::Resource);
  AddValue(&m_yRotation, "yrotation");
  AddValue(&m_xRotation, "xrotation");
  AddValue(&m_zRotation, "zrotation");
  AddValue(&m_xScale, "xscale");
  AddValue(&m_yScale, "yscale");
  AddValue(&m_zScale, "zscale");
  AddValue(&m_stretch, "stretch");
  AddValue(&m_yStretch, "ystretch");
  AddValue(&m_xStretch, "xstretch");
  AddValue(&m_zStretch, "zstretch");
  AddValue(&m_scale, "scale");
  AddValue(&m_x, "x");
  AddValue(&m_y, "y");
  AddValue(&m_z, "z");
  AddValue(&m_xPivot, "xpivot");
  AddValue(&m_yPivot, "ypivot");
  AddValue(&m_zPivot, "zpivot");
  AddValue(&m_shading, "shading");
  AddValue(&m_mapping, "mapping");
  AddValue(&m_fillMode, "fillmode");
  AddValue(&m_culling, "culling");
  AddValue(&m_useTexture, "usetexture");
  AddValue(&m_light, "light");
  AddValue(&m_lightColor, "lightcolor");
  AddValue(&m_clearZBuffer, "clearzbuffer");
  DeclareMaterialUse(EMaterialUse::LeavesSet);
}

void CKluttViewerModule::Init() {
  m_pMesh = nullptr;
  m_materialCount = 0;
  m_pMaterials = nullptr;
  m_ppTextures = nullptr;
  CResourceManager* resources = m_pDemoDevice ? m_pDemoDevice->GetResourceManager() : nullptr;
  const char* name = m_mesh;
  auto* klutt = dynamic_cast<CKluttResource*>(resources ? resources->GetResource(name) : nullptr);
  if (!klutt || !klutt->GetMesh()) {
    std::fprintf(stderr, "kluttviewer: \"%s\" names no loaded klutt mesh; nothing is drawn\n",
                 name);
    return;
  }
  m_pMesh = klutt->GetMesh();
  m_materialCount = klutt->GetMaterials(&m_pMaterials);
  klutt->GetTextures(&m_ppTextures);

  void* vertices = nullptr;
  if (SUCCEEDED(m_pMesh->LockVertexBuffer(D3DLOCK_READONLY, &vertices)) && vertices) {
    D3DXVECTOR3 boxMin, boxMax;
    if (SUCCEEDED(D3DXComputeBoundingBox(
            static_cast<const D3DXVECTOR3*>(vertices), m_pMesh->GetNumVertices(),
            D3DXGetFVFVertexSize(m_pMesh->GetFVF()), &boxMin, &boxMax))) {
      m_sizeFactor = MeshSizeFactor(boxMin, boxMax);
    }
    m_pMesh->UnlockVertexBuffer();
  }
  // 0 shades flat; 1, and any other value, smoothly.
  m_shadeMode = static_cast<int32_t>(m_shading) == 0 ? D3DSHADE_FLAT : D3DSHADE_GOURAUD;
}

void CKluttViewerModule::Render() {
  IDirect3DDevice9* device = DeviceOf(m_pDemoDevice);
  if (!device || !m_pMesh) return;

  CStateScope scope;
  if (static_cast<int32_t>(m_clearZBuffer) != 0) {
    device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
  }
  const D3DXVECTOR3 eye(0.0f, 0.0f, -100.0f), at(0.0f, 0.0f, 0.0f), up(0.0f, 1.0f, 0.0f);
  D3DXMATRIX view;
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  device->SetTransform(D3DTS_VIEW, &view);

  MeshPlacement placement;
  placement.pivot = D3DXVECTOR3(m_xPivot, m_yPivot, m_zPivot);
  placement.scale = D3DXVECTOR3(m_xScale, m_yScale, m_zScale);
  placement.uniformScale = m_scale;
  placement.pitch = m_xRotation;
  placement.yaw = m_yRotation;
  placement.roll = m_zRotation;
  placement.stretch = D3DXVECTOR3(m_xStretch, m_yStretch, m_zStretch);
  placement.uniformStretch = m_stretch;
  placement.position = D3DXVECTOR3(m_x, m_y, m_z);
  const D3DXMATRIX world = MeshWorldMatrix(m_sizeFactor, placement);
  device->SetTransform(D3DTS_WORLD, &world);

  const int32_t culling = m_culling;
  const bool useTexture = static_cast<int32_t>(m_useTexture) != 0;
  const bool sphereMap = static_cast<int32_t>(m_mapping) == 1;
  scope.SetRenderState(D3DRS_ZENABLE, TRUE);
  scope.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ZERO);
  scope.SetRenderState(D3DRS_SHADEMODE, m_shadeMode);
  scope.SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  if (culling == 0) scope.SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
  if (culling == 1) scope.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  scope.SetRenderState(D3DRS_FILLMODE,
                       static_cast<int32_t>(m_fillMode) != 0 ? D3DFILL_WIREFRAME : D3DFILL_SOLID);
  scope.SetTextureStageState(0, D3DTSS_COLOROP, useTexture ? D3DTOP_MODULATE : D3DTOP_SELECTARG1);
  scope.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
  scope.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TEXTURE);
  scope.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
  if (sphereMap) {
    scope.SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_SPHEREMAP);
    scope.SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
  }

  // The light shines along -z, towards the camera: it lights the faces turned away from it.
  // Its colour bytes are divided by 256, so white is 255/256.
  const uint32_t color = m_lightColor;
  D3DLIGHT9 light{};
  light.Type = D3DLIGHT_DIRECTIONAL;
  light.Diffuse = {static_cast<float>((color >> 16) & 0xFF) / 256.0f,
                   static_cast<float>((color >> 8) & 0xFF) / 256.0f,
                   static_cast<float>(color & 0xFF) / 256.0f, 0.0f};
  D3DXVECTOR3 direction(0.0f, 0.0f, -10.0f);
  D3DXVec3Normalize(&direction, &direction);
  light.Direction = direction;
  light.Range = 10000.0f;
  device->SetLight(0, &light);
  device->LightEnable(0, TRUE);

  scope.SetRenderState(D3DRS_AMBIENT, 0x00202020);
  scope.SetRenderState(D3DRS_LIGHTING, static_cast<int32_t>(m_light) != 0 ? TRUE : FALSE);
  scope.SetRenderState(D3DRS_SPECULARENABLE, TRUE);

  if (SUCCEEDED(device->BeginScene())) {
    for (DWORD i = 0; i < m_materialCount; ++i) {
      device->SetMaterial(&m_pMaterials[i]);
      device->SetTexture(0, useTexture && m_ppTextures ? m_ppTextures[i] : nullptr);
      m_pMesh->DrawSubset(i);
    }
    device->EndScene();
  }

  // Set a second time through the scope, these end at their first setting: wireframe, a
  // sphere map and normalised normals stay on after the mesh, as demos made with it expect.
  device->LightEnable(0, FALSE);
  scope.SetRenderState(D3DRS_LIGHTING, FALSE);
  if (sphereMap) {
    scope.SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    scope.SetRenderState(D3DRS_NORMALIZENORMALS, FALSE);
  }
  scope.SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
  device->SetTexture(0, nullptr);
}

}  // namespace effects
