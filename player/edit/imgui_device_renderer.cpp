// ImGui vertices become pre-transformed D3D vertices drawn from user memory, one draw per
// command with its clip rectangle as the scissor.
#include "imgui_device_renderer.h"

#include <imgui.h>

#include <vector>

namespace vexil {

namespace {

struct PanelVertex {
  float x, y, z, rhw;
  D3DCOLOR color;
  float u, v;
};
constexpr DWORD kPanelFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

struct StateValue {
  DWORD type, value;
};
const StateValue kRenderStates[] = {
    {D3DRS_ZENABLE, FALSE},
    {D3DRS_ZWRITEENABLE, FALSE},
    {D3DRS_CULLMODE, D3DCULL_NONE},
    {D3DRS_LIGHTING, FALSE},
    {D3DRS_FOGENABLE, FALSE},
    {D3DRS_ALPHATESTENABLE, FALSE},
    {D3DRS_ALPHABLENDENABLE, TRUE},
    {D3DRS_BLENDOP, D3DBLENDOP_ADD},
    {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
    {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
    {D3DRS_SCISSORTESTENABLE, TRUE},
    {D3DRS_FILLMODE, D3DFILL_SOLID},
    {D3DRS_STENCILENABLE, FALSE},
    {D3DRS_COLORWRITEENABLE, 0xF},
};
const StateValue kStageStates[] = {
    {D3DTSS_COLOROP, D3DTOP_MODULATE}, {D3DTSS_COLORARG1, D3DTA_TEXTURE},
    {D3DTSS_COLORARG2, D3DTA_DIFFUSE}, {D3DTSS_ALPHAOP, D3DTOP_MODULATE},
    {D3DTSS_ALPHAARG1, D3DTA_TEXTURE}, {D3DTSS_ALPHAARG2, D3DTA_DIFFUSE},
    {D3DTSS_TEXCOORDINDEX, 0},         {D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE},
};
const StateValue kSamplerStates[] = {
    {D3DSAMP_MINFILTER, D3DTEXF_LINEAR},   {D3DSAMP_MAGFILTER, D3DTEXF_LINEAR},
    {D3DSAMP_MIPFILTER, D3DTEXF_NONE},     {D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP},
    {D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP},
};
constexpr size_t kRenderCount = sizeof kRenderStates / sizeof kRenderStates[0];
constexpr size_t kStageCount = sizeof kStageStates / sizeof kStageStates[0];
constexpr size_t kSamplerCount = sizeof kSamplerStates / sizeof kSamplerStates[0];

// What the panel changes on the device, put back afterwards so the next demo frame starts
// from the states its modules left.
struct SavedStates {
  DWORD render[kRenderCount] = {}, stage[kStageCount] = {}, sampler[kSamplerCount] = {};
  DWORD stage1_color = D3DTOP_DISABLE, fvf = 0;
  RECT scissor{};
  Com<IDirect3DBaseTexture9> texture;

  void Capture(IDirect3DDevice9* d) {
    for (size_t i = 0; i < kRenderCount; ++i)
      d->GetRenderState(D3DRENDERSTATETYPE(kRenderStates[i].type), &render[i]);
    for (size_t i = 0; i < kStageCount; ++i)
      d->GetTextureStageState(0, D3DTEXTURESTAGESTATETYPE(kStageStates[i].type), &stage[i]);
    for (size_t i = 0; i < kSamplerCount; ++i)
      d->GetSamplerState(0, D3DSAMPLERSTATETYPE(kSamplerStates[i].type), &sampler[i]);
    d->GetTextureStageState(1, D3DTSS_COLOROP, &stage1_color);
    d->GetFVF(&fvf);
    d->GetScissorRect(&scissor);
    d->GetTexture(0, texture.put());
  }
  void Restore(IDirect3DDevice9* d) {
    for (size_t i = 0; i < kRenderCount; ++i)
      d->SetRenderState(D3DRENDERSTATETYPE(kRenderStates[i].type), render[i]);
    for (size_t i = 0; i < kStageCount; ++i)
      d->SetTextureStageState(0, D3DTEXTURESTAGESTATETYPE(kStageStates[i].type), stage[i]);
    for (size_t i = 0; i < kSamplerCount; ++i)
      d->SetSamplerState(0, D3DSAMPLERSTATETYPE(kSamplerStates[i].type), sampler[i]);
    d->SetTextureStageState(1, D3DTSS_COLOROP, stage1_color);
    d->SetFVF(fvf);
    d->SetScissorRect(&scissor);
    d->SetTexture(0, texture.get());
  }
};

// ImGui packs colours as A, B, G, R from the high byte down; D3D as A, R, G, B.
D3DCOLOR ToD3DColor(ImU32 color) {
  return (color & 0xFF00FF00u) | ((color & 0xFFu) << 16) | ((color >> 16) & 0xFFu);
}

}  // namespace

ImGuiDeviceRenderer::ImGuiDeviceRenderer(IDirect3DDevice9* device) : device_(device) {}

bool ImGuiDeviceRenderer::CreateFontTexture() {
  ImGuiIO& io = ImGui::GetIO();
  unsigned char* pixels = nullptr;
  int width = 0, height = 0;
  io.Fonts->GetTexDataAsRGBA32(&pixels, &width, &height);
  if (device_->CreateTexture(width, height, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, font_.put(),
                             nullptr) != D3D_OK) {
    return false;
  }
  D3DLOCKED_RECT locked{};
  if (font_->LockRect(0, &locked, nullptr, 0) != D3D_OK) return false;
  for (int y = 0; y < height; ++y) {
    const uint32_t* from = reinterpret_cast<const uint32_t*>(pixels) + y * width;
    auto* to = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch);
    for (int x = 0; x < width; ++x) to[x] = ToD3DColor(from[x]);
  }
  font_->UnlockRect(0);
  io.Fonts->SetTexID(static_cast<ImTextureID>(font_.get()));
  return true;
}

void ImGuiDeviceRenderer::Render(const ImDrawData* data) {
  if (!data || data->TotalVtxCount == 0 || !font_) return;
  if (FAILED(device_->BeginScene())) return;
  SavedStates saved;
  saved.Capture(device_);
  for (const StateValue& s : kRenderStates)
    device_->SetRenderState(D3DRENDERSTATETYPE(s.type), s.value);
  for (const StateValue& s : kStageStates)
    device_->SetTextureStageState(0, D3DTEXTURESTAGESTATETYPE(s.type), s.value);
  for (const StateValue& s : kSamplerStates)
    device_->SetSamplerState(0, D3DSAMPLERSTATETYPE(s.type), s.value);
  device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  device_->SetFVF(kPanelFvf);

  std::vector<PanelVertex> vertices;
  const ImVec2 origin = data->DisplayPos;
  for (int n = 0; n < data->CmdListsCount; ++n) {
    const ImDrawList* list = data->CmdLists[n];
    vertices.resize(list->VtxBuffer.Size);
    for (int i = 0; i < list->VtxBuffer.Size; ++i) {
      const ImDrawVert& v = list->VtxBuffer[i];
      // Half a pixel back: D3D9 puts pixel centres on integers, ImGui on halves.
      vertices[i] = {v.pos.x - origin.x - 0.5f,
                     v.pos.y - origin.y - 0.5f,
                     0.0f,
                     1.0f,
                     ToD3DColor(v.col),
                     v.uv.x,
                     v.uv.y};
    }
    for (const ImDrawCmd& cmd : list->CmdBuffer) {
      if (cmd.UserCallback) {
        if (cmd.UserCallback != ImDrawCallback_ResetRenderState) cmd.UserCallback(list, &cmd);
        continue;
      }
      const RECT clip = {static_cast<LONG>(cmd.ClipRect.x - origin.x),
                         static_cast<LONG>(cmd.ClipRect.y - origin.y),
                         static_cast<LONG>(cmd.ClipRect.z - origin.x),
                         static_cast<LONG>(cmd.ClipRect.w - origin.y)};
      if (clip.right <= clip.left || clip.bottom <= clip.top) continue;
      device_->SetScissorRect(&clip);
      device_->SetTexture(0, static_cast<IDirect3DTexture9*>(cmd.GetTexID()));
      const UINT vertex_count = static_cast<UINT>(list->VtxBuffer.Size) - cmd.VtxOffset;
      device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, vertex_count, cmd.ElemCount / 3,
                                      list->IdxBuffer.Data + cmd.IdxOffset,
                                      sizeof(ImDrawIdx) == 2 ? D3DFMT_INDEX16 : D3DFMT_INDEX32,
                                      vertices.data() + cmd.VtxOffset, sizeof(PanelVertex));
    }
  }
  saved.Restore(device_);
  device_->EndScene();
}

}  // namespace vexil
