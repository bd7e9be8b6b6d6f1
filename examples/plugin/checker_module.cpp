// The checkerboard: one quad per square, in screen coordinates (pre-transformed vertices),
// drawn with the colours the values give at the module's own time.
#include "checker_module.h"

#include <vector>

namespace {

struct ScreenVertex {
  float x, y, z, rhw;
  DWORD color;
};
constexpr DWORD kScreenVertexFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;

void AddSquare(std::vector<ScreenVertex>* out, float x0, float y0, float x1, float y1,
               DWORD color) {
  const ScreenVertex corners[6] = {
      {x0, y0, 0.5f, 1.0f, color}, {x1, y0, 0.5f, 1.0f, color}, {x0, y1, 0.5f, 1.0f, color},
      {x1, y0, 0.5f, 1.0f, color}, {x1, y1, 0.5f, 1.0f, color}, {x0, y1, 0.5f, 1.0f, color},
  };
  out->insert(out->end(), corners, corners + 6);
}

}  // namespace

CCheckerModule::CCheckerModule()
    : CModule(0.0f, 0.0f, 0), m_colorA(0xFFFFFFFFu), m_colorB(0xFF000000u), m_cells(8, 1, 256) {
  AddValue(&m_colorA, "colora");
  AddValue(&m_colorB, "colorb");
  AddValue(&m_cells, "cells");
}

void CCheckerModule::Render() {
  // Without a device (a script check) there is nothing to draw on.
  IDirect3DDevice9* device =
      m_pDemoDevice ? static_cast<IDirect3DDevice9*>(*m_pDemoDevice) : nullptr;
  if (!device) return;

  int32_t cells = m_cells;
  if (cells < 1) cells = 1;
  if (cells > 256) cells = 256;
  const float width = static_cast<float>(m_viewport.x2 - m_viewport.x1);
  const float height = static_cast<float>(m_viewport.y2 - m_viewport.y1);
  const float size = width / static_cast<float>(cells);
  const DWORD colors[2] = {static_cast<uint32_t>(m_colorA), static_cast<uint32_t>(m_colorB)};

  std::vector<ScreenVertex> vertices;
  for (int row = 0; row * size < height; ++row) {
    for (int column = 0; column < cells; ++column) {
      const float x = m_viewport.x1 + column * size;
      const float y = m_viewport.y1 + row * size;
      AddSquare(&vertices, x, y, x + size, y + size, colors[(row + column) % 2]);
    }
  }

  // The scope puts every state back when Render returns, for the modules that follow.
  CStateScope scope;
  scope.SetRenderState(D3DRS_LIGHTING, FALSE);
  scope.SetRenderState(D3DRS_ZENABLE, FALSE);
  scope.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  scope.SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  scope.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  scope.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
  scope.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  scope.SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);

  if (SUCCEEDED(device->BeginScene())) {
    device->SetTexture(0, nullptr);
    device->SetFVF(kScreenVertexFvf);
    device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, static_cast<UINT>(vertices.size() / 3),
                            vertices.data(), sizeof(ScreenVertex));
    device->EndScene();
  }
}
