// CTextureManager: the registry of named textures, each optionally paired with a depth-stencil
// surface (render targets). It owns one reference of everything added; lookups lend pointers.
#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "d3d9/com_ptr.h"
#include "d3d9/d3d9.h"

class CTextureManager {
 public:
  static constexpr std::size_t NAME_SIZE = 256;

  CTextureManager() = default;
  // Releases every texture and depth-stencil surface that was added.
  virtual ~CTextureManager();
  CTextureManager(const CTextureManager&) = delete;
  CTextureManager& operator=(const CTextureManager&) = delete;

  // Appends an entry and takes over the caller's reference (no AddRef). Names longer than
  // 255 characters are cut. A null texture is refused (and nothing is taken over).
  void AddTexture(const char* name, IDirect3DTexture9* texture);
  void AddTexture(const char* name, IDirect3DTexture9* texture, IDirect3DSurface9* depthStencil);

  // The first entry whose name matches without regard to case lends its texture or its
  // depth-stencil surface (null for a plain texture); null when no entry matches.
  IDirect3DTexture9* GetTexture(const char* name) const;
  IDirect3DSurface9* GetDepthStencil(const char* name) const;

  int GetTextureCount() const { return static_cast<int>(m_entries.size()); }

 private:
  struct Entry {
    char name[NAME_SIZE];
    vexil::Com<IDirect3DTexture9> texture;
    vexil::Com<IDirect3DSurface9> depthStencil;
  };
  const Entry* Find(const char* name) const;

  std::vector<Entry*> m_entries;
  // The first entry of each name, by its case-folded key: a script may name many thousands.
  std::unordered_map<std::string, const Entry*> m_byName;
};
