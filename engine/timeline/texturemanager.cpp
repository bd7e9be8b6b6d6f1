// The texture registry: entries in order of addition, first match wins, one owned reference
// of each texture and depth-stencil surface released at destruction.
#include "timeline/texturemanager.h"

#include <utility>

#include "timeline/fixedname.h"

CTextureManager::~CTextureManager() {
  for (Entry* entry : m_entries) delete entry;
}

void CTextureManager::AddTexture(const char* name, IDirect3DTexture9* texture) {
  AddTexture(name, texture, nullptr);
}

void CTextureManager::AddTexture(const char* name, IDirect3DTexture9* texture,
                                 IDirect3DSurface9* depthStencil) {
  // Entries never hold a null texture, so lookups can lend it without checks. The caller's
  // depth-stencil reference is kept by nobody in that case: release it rather than leak it.
  auto ownedDepth = vexil::Com<IDirect3DSurface9>::Adopt(depthStencil);
  if (!texture) return;
  Entry* entry = new Entry;
  CopyFixedName(entry->name, sizeof entry->name, name);
  entry->texture = vexil::Com<IDirect3DTexture9>::Adopt(texture);
  entry->depthStencil = std::move(ownedDepth);
  m_entries.push_back(entry);
  m_byName.emplace(FoldedName(entry->name), entry);  // an earlier entry of the name stays first
}

const CTextureManager::Entry* CTextureManager::Find(const char* name) const {
  if (!name) return nullptr;
  const auto found = m_byName.find(FoldedName(name));
  return found != m_byName.end() ? found->second : nullptr;
}

IDirect3DTexture9* CTextureManager::GetTexture(const char* name) const {
  const Entry* entry = Find(name);
  return entry ? entry->texture.get() : nullptr;
}

IDirect3DSurface9* CTextureManager::GetDepthStencil(const char* name) const {
  const Entry* entry = Find(name);
  return entry ? entry->depthStencil.get() : nullptr;
}
