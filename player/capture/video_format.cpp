// The video containers and codecs --video writes.
#include "video_format.h"

#include <strings.h>

#include <filesystem>

namespace vexil {

namespace {

struct FormatEntry {
  const char* extension;
  VideoFormat format;
};

const FormatEntry kFormats[] = {
    {".mp4", {"mp4", "libx264", "aac", "H.264 and AAC in MP4", true, true}},
    {".mkv", {"matroska", "libx264", "flac", "H.264 and FLAC in Matroska", false, false}},
    {".webm", {"webm", "libvpx-vp9", "libopus", "VP9 and Opus in WebM", false, false}},
};

}  // namespace

bool ChooseVideoFormat(const std::string& path, VideoFormat* format, std::string* error) {
  const std::string extension = std::filesystem::path(path).extension().string();
  if (extension.empty()) {
    *format = kFormats[0].format;
    return true;
  }
  for (const FormatEntry& entry : kFormats) {
    if (strcasecmp(extension.c_str(), entry.extension) == 0) {
      *format = entry.format;
      return true;
    }
  }
  *error =
      "--video writes .mp4 (H.264 and AAC), .mkv (H.264 and FLAC) or .webm (VP9 and Opus) "
      "files, not \"" +
      extension + "\"";
  return false;
}

}  // namespace vexil
