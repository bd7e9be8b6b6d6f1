// Render mode (--capture, --video, --hashes, --verify): the demo rendered headless at a fixed
// frame rate, every frame handed to each output asked for. Before the demo is built the runner
// makes what can fail early (the capture folder, the video file) and reads the manifest a
// render is verified against, which fixes the render's rate, size and span.
#pragma once

#include <memory>
#include <string>

#include "capture/capture_session.h"
#include "capture/frame_hash.h"
#include "capture/frame_sink.h"
#include "command_line.h"
#include "demo_parts.h"
#include "player_settings.h"

namespace vexil {

// The frames a render makes, from the options and the demo's start time (settings, --start).
CaptureOptions RenderSpan(const PlayerOptions& options, double start_ms);

class RenderRunner {
 public:
  // Sets up the platform for a headless render: the offscreen video driver, Ctrl-C and SIGTERM
  // caught for the render loop, the offline sound driver. Before anything starts the platform.
  static void PreparePlatform();

  // Makes the outputs that can be made before the demo is built and reads the manifest of
  // --verify, whose render settings replace those in `options`. False with the reason.
  bool Prepare(PlayerOptions* options, std::string* error);

  // Renders the demo into every output. Returns the exit status: 0, 1 after a failure (the
  // reason in *error) or a verify that found differences, 128 + the signal that stopped it.
  int Run(const PlayerOptions& options, DemoParts* demo, const PlayerSettings& settings,
          std::string* error);

 private:
  bool ReadVerifyManifest(PlayerOptions* options, std::string* error);

  std::unique_ptr<FrameSink> video_;  // opened before the script is read
  HashManifest verify_manifest_;
};

}  // namespace vexil
