// Opens the video output of --video: picks the format by the file's extension and loads the
// encoder library (libvexil_video.so, beside the player) that writes it.
#pragma once

#include <memory>
#include <string>

#include "frame_sink.h"

namespace vexil {

// A sink that writes `path`; null with a message that says what is missing when the format,
// the encoder library or one of FFmpeg's encoders is not available.
std::unique_ptr<FrameSink> OpenVideoSink(const std::string& path, std::string* error);

}  // namespace vexil
