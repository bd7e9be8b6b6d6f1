// Which video file a --video path asks for: the container by the file's extension and the
// codecs that go into it. MP4 with H.264 and AAC is the default (a name without an extension);
// MKV holds H.264 with lossless FLAC sound; WebM holds VP9 and Opus.
#pragma once

#include <string>

namespace vexil {

struct VideoFormat {
  std::string muxer;        // FFmpeg's name of the container format
  std::string video_codec;  // FFmpeg's name of the video encoder
  std::string audio_codec;  // FFmpeg's name of the audio encoder
  std::string description;  // "H.264 and AAC in MP4", for messages
  bool fast_start = false;  // index at the front, so playback starts while it downloads
  // The container marks the audio encoder's start-up delay with an edit list, so the encoded
  // audio may start before time 0 (MP4). Without one (Matroska, WebM) the audio is stamped
  // from 0 and the container declares the delay itself (Opus) or there is none (FLAC).
  bool edit_list = false;
};

// False with a message that lists the formats for an extension that names none of them.
bool ChooseVideoFormat(const std::string& path, VideoFormat* format, std::string* error);

}  // namespace vexil
