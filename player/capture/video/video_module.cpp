// The export of libvexil_video.so.
#include "video_module.h"

extern "C" {
#include <libavutil/log.h>
}

#include "libav_video_sink.h"

extern "C" __attribute__((visibility("default"))) vexil::FrameSink* VexilVideo_CreateSink(
    const vexil::VideoFormat* format, const char* path, std::string* error) {
  // FFmpeg reports every stream and encoder statistic at its default level; the player says
  // what went wrong itself, with FFmpeg's own errors kept for the cause.
  av_log_set_level(AV_LOG_ERROR);
  if (!vexil::VideoFormatAvailable(*format, error)) return nullptr;
  return new vexil::LibavVideoSink(*format, path);
}
