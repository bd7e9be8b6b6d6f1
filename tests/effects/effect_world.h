// A demo's engine objects wired as the player wires them (widget manager with scenecore and
// effectpack loaded, demo device, texture and resource managers, timeline) around a null or
// an OpenGL device, so that tests can build resources and modules from XML text.
#pragma once

#include <string>
#include <vector>

#include "d3d9/d3d9.h"
#include "d3d9/d3d9_readback.h"
#include "d3d9/null/d3d9_null.h"
#include "scenecore.h"

// Owns the Direct3D object and device; released last, after everything that holds objects
// made on the device.
class DeviceHolder {
 public:
  DeviceHolder(bool gl, UINT width, UINT height);
  ~DeviceHolder();
  DeviceHolder(const DeviceHolder&) = delete;
  DeviceHolder& operator=(const DeviceHolder&) = delete;

  IDirect3D9* d3d = nullptr;
  IDirect3DDevice9* device = nullptr;
};

class EffectWorld {
 public:
  // gl: the OpenGL device (headless), else the null device.
  EffectWorld(bool gl, UINT width = 640, UINT height = 480);

  // False (with the reason in `error`) when a library cannot be loaded or a device made.
  bool ok() const { return m_ok; }
  const std::string& error() const { return m_error; }

  // Parses a "resources" element given as XML text.
  bool LoadResources(const std::string& xml);
  // Parses a "timeline" element given as XML text.
  bool LoadTimeline(const std::string& xml);

  IDirect3DDevice9* device() const { return m_devices.device; }
  const std::vector<VexilRecordedCall>& calls() const;
  void ClearCalls();

  // Reads the back buffer (top-down RGBA); false on failure.
  bool ReadBackBuffer(std::vector<uint8_t>* rgba, UINT* width, UINT* height);

  DeviceHolder m_devices;
  CWidgetManager widgets;
  CDemoDevice demo;
  CResourceManager resources;
  CTextureManager textures;
  CTimeline timeline;

 private:
  bool m_ok = false;
  std::string m_error;
};

// The RGBA pixel at (x, y) of a top-down picture `width` pixels wide.
struct Rgba {
  int r, g, b, a;
};
Rgba PixelAt(const std::vector<uint8_t>& rgba, UINT width, UINT x, UINT y);

// Writes a top-down RGBA picture as PNG (for looking at test frames); false on failure.
bool WritePng(const std::string& path, const std::vector<uint8_t>& rgba, UINT width, UINT height);
