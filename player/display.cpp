// Window and device creation for the player's three kinds of display.
#include "display.h"

#include <cstdint>

#include "d3d9/d3d9.h"
#include "d3d9/null/d3d9_null.h"
#include "display_setup.h"
#include "setup/setup_dialog.h"
#include "system/desktop.h"
#include "system/window.h"

namespace vexil {

namespace {

// The largest display a script may ask for, as for render targets: 8192 x 8192 pixels (or
// as many in another shape). Larger ones would need gigabytes for the frame and its copies.
constexpr int64_t kMaxDisplayPixels = 8192 * 8192;

// Why the graphics layer refused a device, for the message.
std::string DeviceFailure(HRESULT hr) {
  if (hr == D3DERR_OUTOFVIDEOMEMORY || hr == E_OUTOFMEMORY) return ": not enough video memory";
  return "";
}

}  // namespace

PlayerDisplay::~PlayerDisplay() {
  sys::DestroyAppWindow(window_);
}

DisplayOutcome PlayerDisplay::Open(DisplayKind kind, const std::string& name,
                                   PlayerSettings* settings, CDemoDevice* holder,
                                   std::string* error) {
  if (settings->width <= 0 || settings->height <= 0) {
    *error = "the script's settings give no usable display size (width " +
             std::to_string(settings->width) + ", height " + std::to_string(settings->height) + ")";
    return DisplayOutcome::kFailed;
  }
  const int64_t pixels = int64_t{settings->width} * settings->height;
  if (pixels > kMaxDisplayPixels) {
    *error = "the script's display of " + std::to_string(settings->width) + " x " +
             std::to_string(settings->height) + " pixels is larger than the limit of " +
             std::to_string(kMaxDisplayPixels) + " pixels (8192 x 8192)";
    return DisplayOutcome::kFailed;
  }
  if (kind == DisplayKind::kWindow) {
    const DisplayOutcome outcome = OpenWindowed(name, settings, holder, error);
    if (outcome != DisplayOutcome::kOpen) return outcome;
  } else if (!OpenHeadless(kind == DisplayKind::kNull, *settings, holder, error)) {
    return DisplayOutcome::kFailed;
  }
  InstallCameraAndClear(holder->m_pD3DDevice, settings->width, settings->height);
  holder->m_width = settings->width;
  holder->m_height = settings->height;
  return DisplayOutcome::kOpen;
}

DisplayOutcome PlayerDisplay::OpenWindowed(const std::string& name, PlayerSettings* settings,
                                           CDemoDevice* holder, std::string* error) {
  IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
  if (!d3d) {
    *error = "cannot initialise the graphics device";
    return DisplayOutcome::kFailed;
  }
  holder->SetD3D(d3d);

  if (settings->setupdialog) {
    CSetupDialog dialog(name.c_str(), settings->width, settings->height, settings->framerate,
                        settings->fullscreen, d3d);
    dialog.SetLoop(loop_);
    // Cancel ends the run before any window exists.
    if (!dialog.Run()) return DisplayOutcome::kCancelled;
    if (dialog.WasShown()) {
      const DisplayModeRecord& mode = dialog.GetChosenMode();
      settings->width = static_cast<int16_t>(mode.width);
      settings->height = static_cast<int16_t>(mode.height);
      settings->framerate = static_cast<int16_t>(mode.refresh_rate);
      settings->fullscreen = dialog.GetFullscreen();
      loop_ = dialog.GetLoop();
    }
  }

  sys::WindowOptions window;
  window.title = name.empty() ? "vexil" : name;
  window.width = settings->width;
  window.height = settings->height;
  window_ = sys::CreateAppWindow(window, error);
  if (!window_) return DisplayOutcome::kFailed;
  // Reported once on stderr when the system refuses; the demo plays on regardless.
  sys::RaiseThreadPriority();

  D3DDISPLAYMODE desktop{};
  if (d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &desktop) != D3D_OK) {
    *error = "cannot read the desktop's display mode";
    return DisplayOutcome::kFailed;
  }
  D3DPRESENT_PARAMETERS params = MakePresentParameters(*settings, desktop.Format);
  IDirect3DDevice9* device = nullptr;
  const HRESULT hr = d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window_,
                                       D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params, &device);
  if (hr != D3D_OK || !device) {
    *error = "cannot create the graphics device for a " + std::to_string(settings->width) + "x" +
             std::to_string(settings->height) + " display" + DeviceFailure(hr);
    return DisplayOutcome::kFailed;
  }
  holder->SetD3DDevice(device);
  return DisplayOutcome::kOpen;
}

bool PlayerDisplay::OpenHeadless(bool null_device, const PlayerSettings& settings,
                                 CDemoDevice* holder, std::string* error) {
  IDirect3D9* d3d = null_device ? VexilCreateNullDirect3D9() : Direct3DCreate9(D3D_SDK_VERSION);
  if (!d3d) {
    *error = "cannot initialise the graphics device";
    return false;
  }
  holder->SetD3D(d3d);
  D3DPRESENT_PARAMETERS params = MakeHeadlessPresentParameters(settings);
  IDirect3DDevice9* device = nullptr;
  const HRESULT hr = d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                                       D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params, &device);
  if (hr != D3D_OK || !device) {
    *error = "cannot create an offscreen graphics device of " + std::to_string(settings.width) +
             "x" + std::to_string(settings.height) + " pixels" + DeviceFailure(hr);
    return false;
  }
  holder->SetD3DDevice(device);
  return true;
}

}  // namespace vexil
