// "klutt" resource: D3DXLoadMeshFromX into system memory, then one texture per material that
// names a file. What was loaded before a failure stays until Free.
#include "klutt_resource.h"

#include <string>
#include <vector>

#include "d3dx9/load_failure.h"
#include "device_access.h"
#include "script_files.h"
#include "system/text_encoding.h"

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
  m_mesh = nullptr;
  m_lentTextures.clear();
  m_textures.clear();
  m_materialCount = 0;
}

bool CKluttResource::Init() {
  Free();
  vexil::Com<ID3DXBuffer> materialBuffer;
  DWORD count = 0;
  const vexil::sys::FileLookup meshFile = FindScriptFile(this, m_filename);
  if (!m_pDemoDevice ||
      FAILED(D3DXLoadMeshFromXA(meshFile.path.c_str(), D3DXMESH_SYSTEMMEM, DeviceOf(m_pDemoDevice),
                                nullptr, materialBuffer.put(), nullptr, &count, m_mesh.put()))) {
    ReportUnusableFile(this, meshFile,
                       "mesh \"" + std::string(GetName()) + "\": the file \"" +
                           vexil::sys::Printable(static_cast<const char*>(m_filename)) +
                           "\" cannot be loaded: " + d3dx::LastLoadFailure());
    return false;
  }

  m_materialCount = count;
  m_materials = new D3DMATERIAL9[count > 0 ? count : 1]();
  m_textures.resize(count > 0 ? count : 1);
  const D3DXMATERIAL* source =
      materialBuffer ? static_cast<const D3DXMATERIAL*>(materialBuffer->GetBufferPointer())
                     : nullptr;
  bool ok = source != nullptr || count == 0;
  // A mesh made on Windows may name its textures by absolute paths of the machine it was made
  // on: those are looked for in "texturedir" and beside the mesh.
  const std::string textureDir = static_cast<const char*>(m_textureDir);
  std::vector<std::string> homes;
  if (!textureDir.empty()) homes.push_back(textureDir);
  homes.push_back(vexil::sys::FolderPrefixOf(meshFile.path));
  const char* const homesText = "the texture folder or the mesh's folder";
  for (DWORD i = 0; ok && i < count; ++i) {
    m_materials[i] = source[i].MatD3D;
    // .x files carry no ambient colour worth using: the lit colour follows the diffuse one.
    m_materials[i].Ambient = m_materials[i].Diffuse;
    const char* file = source[i].pTextureFilename;
    if (file && file[0] != '\0') {
      // Joined as it stands: "texturedir" carries its own separator.
      const std::string name =
          vexil::sys::IsWindowsAbsolutePath(file) ? std::string(file) : textureDir + file;
      const vexil::sys::FileLookup texture =
          vexil::sys::LookUpDemoFile(name, homes, homesText, ScriptFolderOf(this));
      ReportFileLookup(this,
                       "texture file \"" + vexil::sys::Printable(name) + "\" of mesh \"" +
                           vexil::sys::Printable(static_cast<const char*>(m_filename)) + "\"",
                       texture, homesText);
      if (FAILED(D3DXCreateTextureFromFileA(DeviceOf(m_pDemoDevice), texture.path.c_str(),
                                            m_textures[i].put()))) {
        ReportUnusableFile(this, texture,
                           "texture file \"" + vexil::sys::Printable(name) + "\" of mesh \"" +
                               vexil::sys::Printable(static_cast<const char*>(m_filename)) +
                               "\" cannot be loaded: " + d3dx::LastLoadFailure());
        ok = false;
      }
    }
  }
  m_lentTextures.reserve(m_textures.size());
  for (const vexil::Com<IDirect3DTexture9>& texture : m_textures) {
    m_lentTextures.push_back(texture.get());
  }
  return ok;
}

ID3DXMesh* CKluttResource::GetMesh() {
  return m_mesh.get();
}

DWORD CKluttResource::GetMaterials(D3DMATERIAL9** materials) {
  if (materials) *materials = m_materials;
  return m_materialCount;
}

DWORD CKluttResource::GetTextures(IDirect3DTexture9*** textures) {
  if (textures) *textures = m_lentTextures.empty() ? nullptr : m_lentTextures.data();
  return m_materialCount;
}

}  // namespace effects
