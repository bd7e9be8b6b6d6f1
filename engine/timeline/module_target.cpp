// A module's render-target schedule: read from its "target" elements while the timeline is
// parsed, and applied around each Render call. Keys hold one reference of their surfaces, and
// the surfaces saved for the restore are held from the switch until the switch back.
#include <strings.h>

#include <utility>

#include "params/scripttext.h"
#include "params/synccontext.h"
#include "script/script_attributes.h"
#include "timeline/demodevice.h"
#include "timeline/module.h"
#include "timeline/texturemanager.h"

namespace {

bool SurfaceSize(IDirect3DSurface9* surface, LONG* width, LONG* height) {
  D3DSURFACE_DESC desc{};
  if (!surface || surface->GetDesc(&desc) != D3D_OK) return false;
  *width = static_cast<LONG>(desc.Width);
  *height = static_cast<LONG>(desc.Height);
  return true;
}

}  // namespace

void CModule::Parse(TiXmlElement* element) {
  CDataProvider::Parse(element);
  if (!element) return;
  for (TiXmlElement* child = element->FirstChildElement(); child;
       child = child->NextSiblingElement()) {
    if (strcasecmp(child->Value(), "target") == 0) ParseTarget(child);
  }
}

void CModule::ParseTarget(TiXmlElement* target) {
  ReportUnknownAttributes(GetWidgetManager(), target, {"value"});
  TiXmlElement* key = target->FirstChildElement();
  if (!key) {
    AppendKey(0.0f, AttributeText(target, "value"));
    return;
  }
  for (; key; key = key->NextSiblingElement()) {
    if (strcasecmp(key->Value(), "key") != 0) continue;
    // "beat" places a key in musical time.
    ReportUnknownAttributes(GetWidgetManager(), key, {"time", "value", "beat"});
    AppendKey(ScriptKeyTime(key, this, GetWidgetManager()), AttributeText(key, "value"));
  }
}

void CModule::AppendKey(float time, const char* value) {
  IDirect3DDevice9* device = m_pDemoDevice ? m_pDemoDevice->m_pD3DDevice : nullptr;
  if (!device) return;
  vexil::Com<IDirect3DSurface9> color;
  vexil::Com<IDirect3DSurface9> depth;
  if (strcasecmp(value, "_SCREEN") == 0) {
    if (device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, color.put()) != D3D_OK) return;
    // The automatic depth buffer; a device without one renders to the screen without depth.
    if (device->GetDepthStencilSurface(depth.put()) != D3D_OK) depth = nullptr;
  } else {
    CTextureManager* textures = m_pDemoDevice->m_pTextureManager;
    IDirect3DTexture9* texture = textures ? textures->GetTexture(value) : nullptr;
    // An unknown texture leaves the key out rather than switching to a null target: the module
    // keeps rendering into whatever target is current.
    if (!texture || texture->GetSurfaceLevel(0, color.put()) != D3D_OK) return;
    depth = vexil::Com<IDirect3DSurface9>::Share(textures->GetDepthStencil(value));
  }
  CTargetKey* key = new CTargetKey;
  key->time = time;
  key->color = std::move(color);
  key->depth = std::move(depth);
  m_targetKeys.Append(key);
}

const CTargetKey* CModule::ChooseKey(float t) const {
  const int count = m_targetKeys.GetCount();
  for (int i = 0; i < count; ++i) {
    const CTargetKey* key = m_targetKeys.Get(i);
    const CTargetKey* next = m_targetKeys.Get(i + 1);
    if (key->time <= t && (!next || next->time > t)) return key;
  }
  // Earlier than every key: the walk ends on the last key, which then applies.
  return m_targetKeys.GetTail();
}

void CModule::SetRenderTarget() {
  m_switched = false;
  if (m_targetKeys.IsEmpty()) return;
  IDirect3DDevice9* device = m_pDemoDevice ? m_pDemoDevice->m_pD3DDevice : nullptr;
  if (!device) return;
  const CTargetKey* key = ChooseKey(GetTime());

  ReleaseSavedSurfaces();
  if (device->GetRenderTarget(0, m_pSavedColor.put()) != D3D_OK) m_pSavedColor = nullptr;
  if (device->GetDepthStencilSurface(m_pSavedDepth.put()) != D3D_OK) m_pSavedDepth = nullptr;
  // Already there (or no way back to the current target): leave targets and viewport alone.
  if (!m_pSavedColor || m_pSavedColor == key->color) {
    ReleaseSavedSurfaces();
    return;
  }
  LONG width = 0;
  LONG height = 0;
  // A surface the device cannot render into (a plain texture named in the schedule) is
  // refused by the device; the module then renders into the current target as it is.
  if (!SurfaceSize(key->color.get(), &width, &height) ||
      device->SetRenderTarget(0, key->color.get()) != D3D_OK) {
    ReleaseSavedSurfaces();
    return;
  }
  device->SetDepthStencilSurface(key->depth.get());
  m_viewport.x2 = width;
  m_viewport.y2 = height;
  m_switched = true;
}

void CModule::RestoreRenderTarget() {
  if (!m_switched) return;
  m_switched = false;
  IDirect3DDevice9* device = m_pDemoDevice ? m_pDemoDevice->m_pD3DDevice : nullptr;
  if (device) {
    device->SetRenderTarget(0, m_pSavedColor.get());
    device->SetDepthStencilSurface(m_pSavedDepth.get());
    LONG width = 0;
    LONG height = 0;
    if (SurfaceSize(m_pSavedColor.get(), &width, &height)) {
      m_viewport.x2 = width;
      m_viewport.y2 = height;
    }
  }
  ReleaseSavedSurfaces();
}

void CModule::ReleaseSavedSurfaces() {
  m_pSavedColor.reset();
  m_pSavedDepth.reset();
}
