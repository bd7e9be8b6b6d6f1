// "metaballs" module: moves the balls, rebuilds the surface, uploads it into one write-only
// buffer and draws it in one call under a directional light.
#include "metaballs_module.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <utility>

#include "d3dx9/d3dx9.h"
#include "device_access.h"
#include "white_lighting.h"

namespace effects {

namespace {

constexpr UINT kTriangleBytes = 3 * sizeof(VertexNormalTex);

// The surface holds nothing from one frame to the next that the picture depends on, and the
// modules render one after another on the drawing thread: one surface serves them all.
std::shared_ptr<MetaballSurface> SharedSurface() {
  static std::mutex mutex;
  static std::weak_ptr<MetaballSurface> shared;
  std::lock_guard<std::mutex> lock(mutex);
  std::shared_ptr<MetaballSurface> surface = shared.lock();
  if (!surface) {
    surface = std::make_shared<MetaballSurface>();
    shared = surface;
  }
  return surface;
}

}  // namespace

CMetaballsModule::CMetaballsModule()
    : CModule(0.0f, 0.0f, 0),
      m_texture(""),
      m_specular(1),
      m_eyePoint(D3DXVECTOR3(0.0f, 0.0f, -20.0f)),
      m_lookAtPoint(D3DXVECTOR3(0.0f, 0.0f, 0.0f)),
      m_lightDirection(D3DXVECTOR3(0.5f, 0.0f, -0.5f)),
      m_texOffset(D3DXVECTOR2(0.0f, 0.0f)) {
  AddValue(&m_texture, "texture", EValueRefers::Texture);
  AddValue(&m_specular, "specular");
  AddValue(&m_eyePoint, "eyepoint");
  AddValue(&m_lookAtPoint, "lookatpoint");
  AddValue(&m_lightDirection, "lightdirection");
  AddValue(&m_texOffset, "texoffset");
  DeclareMaterialUse(EMaterialUse::LeavesSet);
}

CMetaballsModule::~CMetaballsModule() = default;

void CMetaballsModule::Init() {
  IDirect3DDevice9* device = DeviceOf(m_pDemoDevice);
  if (!device) return;
  if (!m_surface) m_surface = SharedSurface();
  m_pTexture = m_pDemoDevice->m_pTextureManager
                   ? m_pDemoDevice->m_pTextureManager->GetTexture(m_texture)
                   : nullptr;
  // A second Init starts over; the first Render makes the buffer its surface needs.
  m_vertexBuffer = nullptr;
  m_bufferTriangles = 0;
}

bool CMetaballsModule::Upload(IDirect3DDevice9* device, UINT triangles) {
  if (!m_vertexBuffer || triangles > m_bufferTriangles) {
    // A quarter to spare, so that a surface growing a little now and then seldom makes a
    // new buffer. The old one goes first: the two are never held together.
    const UINT wanted =
        std::min<UINT>(triangles + triangles / 4 + 1, MetaballSurface::kMaxTriangles);
    m_vertexBuffer = nullptr;
    m_bufferTriangles = 0;
    // A failure is not reported; the frame draws nothing and the next one tries again.
    if (FAILED(device->CreateVertexBuffer(wanted * kTriangleBytes, D3DUSAGE_WRITEONLY,
                                          VertexNormalTex::kFvf, D3DPOOL_DEFAULT, &m_vertexBuffer,
                                          nullptr)) ||
        !m_vertexBuffer) {
      m_vertexBuffer = nullptr;
      return false;
    }
    m_bufferTriangles = wanted;
  }
  if (triangles == 0) return true;
  // Only the part this frame draws is locked and written.
  const UINT bytes = triangles * kTriangleBytes;
  void* data = nullptr;
  if (FAILED(m_vertexBuffer->Lock(0, bytes, &data, D3DLOCK_DISCARD)) || !data) return false;
  std::memcpy(data, m_surface->Vertices(), bytes);
  m_vertexBuffer->Unlock();
  return true;
}

void CMetaballsModule::Render() {
  IDirect3DDevice9* device = DeviceOf(m_pDemoDevice);
  if (!device || !m_surface) return;

  device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
  const D3DXVECTOR2 texOffset = m_texOffset;
  D3DXVECTOR3 centres[kMetaballSources];
  MetaballCentres(GetTime(), centres);
  m_surface->Build(centres, texOffset);

  const UINT triangles = static_cast<UINT>(m_surface->TriangleCount());
  if (!Upload(device, triangles)) return;

  CStateScope scope;
  scope.SetRenderState(D3DRS_ZENABLE, TRUE);
  scope.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  scope.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  scope.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  scope.SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);

  // The up vector is (0, 1, 1), as the blobs have always been framed.
  const D3DXVECTOR3 eye = m_eyePoint;
  const D3DXVECTOR3 at = m_lookAtPoint;
  const D3DXVECTOR3 up(0.0f, 1.0f, 1.0f);
  D3DXMATRIX view, world, projection;
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  device->SetTransform(D3DTS_VIEW, &view);
  D3DXMatrixIdentity(&world);
  device->SetTransform(D3DTS_WORLD, &world);
  // A fixed 4:3 aspect; the projection stays set for the effects after this one.
  D3DXMatrixPerspectiveFovLH(&projection, 0.7853982f, 1.3333334f, 1.0f, 200.0f);
  device->SetTransform(D3DTS_PROJECTION, &projection);

  // The material's ambient alpha is 1.0 here (0.2 for the twister).
  SetWhiteLighting(device, &scope, m_lightDirection, static_cast<int32_t>(m_specular) != 0, 1.0f);
  scope.SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  scope.SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);

  if (SUCCEEDED(device->BeginScene())) {
    device->SetTexture(0, m_pTexture);
    device->SetFVF(VertexNormalTex::kFvf);
    device->SetStreamSource(0, m_vertexBuffer.get(), 0, sizeof(VertexNormalTex));
    if (triangles > 0) device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, triangles);
    device->EndScene();
    device->SetTexture(0, nullptr);
  }
}

}  // namespace effects
