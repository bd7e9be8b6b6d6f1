// CResource: base of every resource type (textures, meshes, raw data). A named data provider
// whose values are read at time 0 and which loads its data once in Init.
#pragma once

#include <cstddef>

#include "d3d9/d3d9.h"
#include "params/dataprovider.h"

class CDemoDevice;

class CResource : public CDataProvider {
 public:
  static constexpr std::size_t NAME_SIZE = 256;
  static constexpr std::size_t TYPE_SIZE = 128;

  CResource();
  explicit CResource(const char* name);
  ~CResource() override;

  // Loads the resource's data; the base has nothing to load. The device and demo device are
  // set before it is called.
  virtual bool Init();

  // Copies the name; text beyond 255 characters is cut off.
  void SetName(const char* name);
  const char* GetName() const { return m_name; }
  const char* GetType() const { return m_type; }
  void SetD3DDevice(IDirect3DDevice9* device) { m_pD3DDevice = device; }
  void SetDemoDevice(CDemoDevice* demoDevice) { m_pDemoDevice = demoDevice; }

 protected:
  // For resource types that name themselves ("Raw"); text beyond 127 characters is cut off.
  void SetType(const char* type);

  char m_name[NAME_SIZE] = {};
  char m_type[TYPE_SIZE] = {};
  IDirect3DDevice9* m_pD3DDevice = nullptr;
  CDemoDevice* m_pDemoDevice = nullptr;
};
