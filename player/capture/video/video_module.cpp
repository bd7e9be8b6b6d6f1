// The export of libvexil_video.so.
#include "video_module.h"

extern "C" {
#include <libavutil/log.h>
}

#include <vector>

#include "libav_video_sink.h"
#include "video_join.h"

extern "C" __attribute__((visibility("default"))) vexil::FrameSink* VexilVideo_CreateSink(
    const vexil::VideoFormat* format, const char* path, std::string* error) {
  // FFmpeg reports every stream and encoder statistic at its default level; the player says
  // what went wrong itself, with FFmpeg's own errors kept for the cause.
  av_log_set_level(AV_LOG_ERROR);
  if (!vexil::VideoFormatAvailable(*format, error)) return nullptr;
  return new vexil::LibavVideoSink(*format, path);
}

extern "C" __attribute__((visibility("default"))) bool VexilVideo_Join(const char* out,
                                                                       const char* const* parts,
                                                                       int count, const char* music,
                                                                       std::string* error) {
  av_log_set_level(AV_LOG_ERROR);
  return vexil::JoinVideos(out, std::vector<std::string>(parts, parts + count), music, error);
}
