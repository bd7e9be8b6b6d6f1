// Draws Dear ImGui's lists through the demo's own Direct3D device, so that the panel lands in
// the back buffer after the demo's frame and before Present: it shows in the window, in
// screenshots and under either graphics backend, and leaves the device's states as it found
// them.
#pragma once

#include "d3d9/com_ptr.h"
#include "d3d9/d3d9.h"

struct ImDrawData;

namespace vexil {

class ImGuiDeviceRenderer {
 public:
  explicit ImGuiDeviceRenderer(IDirect3DDevice9* device);
  ImGuiDeviceRenderer(const ImGuiDeviceRenderer&) = delete;
  ImGuiDeviceRenderer& operator=(const ImGuiDeviceRenderer&) = delete;

  // Uploads the current ImGui context's font atlas; false when the texture cannot be made.
  bool CreateFontTexture();
  void Render(const ImDrawData* data);

 private:
  IDirect3DDevice9* device_;
  Com<IDirect3DTexture9> font_;
};

}  // namespace vexil
