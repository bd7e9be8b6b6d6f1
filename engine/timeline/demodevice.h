// CDemoDevice: the hub of a running demo. Points to the Direct3D object and device, the three
// managers and the display size; owns none of them. Setting the device also arms CStateScope.
#pragma once

#include <cstdint>

#include "d3d9/d3d9.h"

class CResourceManager;
class CTextureManager;
class CWidgetManager;

class CDemoDevice {
 public:
  CDemoDevice() = default;
  virtual ~CDemoDevice();
  CDemoDevice(const CDemoDevice&) = delete;
  CDemoDevice& operator=(const CDemoDevice&) = delete;

  void SetD3D(IDirect3D9* d3d) { m_pD3D = d3d; }
  operator IDirect3D9*() const { return m_pD3D; }

  // Stores the device here and in CStateScope::m_pD3DDevice, which every scope talks to.
  void SetD3DDevice(IDirect3DDevice9* device);
  operator IDirect3DDevice9*() const { return m_pD3DDevice; }

  void SetResourceManager(CResourceManager* manager) { m_pResourceManager = manager; }
  CResourceManager* GetResourceManager() const { return m_pResourceManager; }
  void SetWidgetManager(CWidgetManager* manager) { m_pWidgetManager = manager; }
  void SetTextureManager(CTextureManager* manager) { m_pTextureManager = manager; }

  // Public on purpose: modules and resources read the managers and the display size directly.
  IDirect3D9* m_pD3D = nullptr;
  IDirect3DDevice9* m_pD3DDevice = nullptr;
  CResourceManager* m_pResourceManager = nullptr;
  CWidgetManager* m_pWidgetManager = nullptr;
  CTextureManager* m_pTextureManager = nullptr;
  // Display size in pixels (the "width"/"height" settings or the mode chosen in the dialog);
  // written by the player once the device exists.
  int32_t m_width = 0;
  int32_t m_height = 0;
};
