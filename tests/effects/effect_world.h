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
#include "support/picture.h"
#include "support/scratch_dir.h"
#include "support/test_device.h"

// The effect tests' vocabulary from the shared test support.
using vexil::test::PixelAt;
using vexil::test::ReadFile;
using vexil::test::Rgba;
using vexil::test::ScratchDir;
using vexil::test::WritePng;

// The test device; also forgets the device as the state scope's target when it goes.
class DeviceHolder : public vexil::test::TestDevice {
 public:
  using TestDevice::TestDevice;
  ~DeviceHolder();
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

  IDirect3DDevice9* device() const { return m_devices.device(); }
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
