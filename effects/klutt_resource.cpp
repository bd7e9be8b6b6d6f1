// "klutt" resource: D3DXLoadMeshFromX into system memory, then one texture per material that
// names a file. What was loaded before a failure stays until Free.
#include "klutt_resource.h"

#include <string>

namespace effects {

CKluttResource::CKluttResource() : m_filename(""), m_textureDir("") {
  AddValue(&m_filename, "filename", EValueRefers::File);
  AddValue(&m_textureDir, "texturedir", EValueRefers::Folder);
}

CKluttResource::~CKluttResource() {
  CKluttResource::Free();
}

void CKluttResource::Free() {
  delete[] m_materials;
  m_materials = nullptr;
  if (m_mesh) m_mesh->Release();
  m_mesh = nullptr;
  if (m_textures) {
    for (DWORD i = 0; i < m_materialCount; ++i) {
      if (m_textures[i]) m_textures[i]->Release();
    }
  }
  delete[] m_textures;
  m_textures = nullptr;
  m_materialCount = 0;
}

bool CKluttResource::Init() {
  Free();
  ID3DXBuffer* materialBuffer = nullptr;
  DWORD count = 0;
  if (!m_pDemoDevice ||
      FAILED(D3DXLoadMeshFromXA(m_filename, D3DXMESH_SYSTEMMEM,
                                static_cast<IDirect3DDevice9*>(*m_pDemoDevice), nullptr,
                                &materialBuffer, nullptr, &count, &m_mesh))) {
    m_mesh = nullptr;
    return false;
  }

  m_materialCount = count;
  m_materials = new D3DMATERIAL9[count > 0 ? count : 1]();
  m_textures = new IDirect3DTexture9*[count > 0 ? count : 1]();
  const D3DXMATERIAL* source =
      materialBuffer ? static_cast<const D3DXMATERIAL*>(materialBuffer->GetBufferPointer())
                     : nullptr;
  bool ok = source != nullptr || count == 0;
  for (DWORD i = 0; ok && i < count; ++i) {
    m_materials[i] = source[i].MatD3D;
    // .x files carry no ambient colour worth using: the lit colour follows the diffuse one.
    m_materials[i].Ambient = m_materials[i].Diffuse;
    const char* file = source[i].pTextureFilename;
    if (file && file[0] != '\0') {
      // Joined as it stands: "texturedir" carries its own separator.
      const std::string path = std::string(static_cast<const char*>(m_textureDir)) + file;
      if (FAILED(D3DXCreateTextureFromFileA(static_cast<IDirect3DDevice9*>(*m_pDemoDevice),
                                            path.c_str(), &m_textures[i]))) {
        m_textures[i] = nullptr;
        ok = false;
      }
    }
  }
  if (materialBuffer) materialBuffer->Release();
  return ok;
}

ID3DXMesh* CKluttResource::GetMesh() {
  return m_mesh;
}

DWORD CKluttResource::GetMaterials(D3DMATERIAL9** materials) {
  if (materials) *materials = m_materials;
  return m_materialCount;
}

DWORD CKluttResource::GetTextures(IDirect3DTexture9*** textures) {
  if (textures) *textures = m_textures;
  return m_materialCount;
}

}  // namespace effects
