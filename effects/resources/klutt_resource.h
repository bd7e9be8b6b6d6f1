// "klutt": a mesh from a DirectX .x file with its materials and their textures, drawn by the
// "kluttviewer" module.
#pragma once

#include <cstdint>
#include <vector>

#include "d3d9/com_ptr.h"
#include "d3dx9/d3dx9.h"
#include "scenecore.h"

namespace effects {

class CKluttResource : public CResource {
 public:
  CKluttResource();
  ~CKluttResource() override;

  // Releases the mesh, the materials and the textures.
  void Free() override;
  // Loads the mesh, copies its materials (ambient set to diffuse) and loads their textures
  // from "texturedir" + the material's file name. False without a message on any failure.
  bool Init() override;

  virtual ID3DXMesh* GetMesh();
  // The material array (one per material) through `materials`; answers the count.
  virtual DWORD GetMaterials(D3DMATERIAL9** materials);
  // The texture array (null where a material has no texture) through `textures`.
  virtual DWORD GetTextures(IDirect3DTexture9*** textures);

 private:
  CValueString m_filename;
  CValueString m_textureDir;

  vexil::Com<ID3DXMesh> m_mesh;
  DWORD m_materialCount = 0;
  D3DMATERIAL9* m_materials = nullptr;
  std::vector<vexil::Com<IDirect3DTexture9>> m_textures;  // one per material, null for none
  std::vector<IDirect3DTexture9*> m_lentTextures;         // the same, as GetTextures lends them
};

}  // namespace effects
