// Reads a video file back for the tests through FFmpeg's demuxers and decoders, as a player
// would: its streams, every decoded picture counted (chosen ones kept as RGBA) and its audio
// decoded with the times at which both start.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "support/picture.h"

namespace vexil_e2e {

struct DecodedVideo {
  std::string container;  // the demuxer's name, e.g. "mov,mp4,m4a,3gp,3g2,mj2"
  std::string video_codec;
  std::string audio_codec;
  int width = 0;
  int height = 0;
  double frame_rate = 0.0;
  double duration = 0.0;     // seconds, as the container gives it
  int64_t frames = 0;        // pictures decoded
  double video_start = 0.0;  // presentation time of the first picture, seconds
  double audio_start = 0.0;  // presentation time of the first audio sample, seconds
  int audio_rate = 0;        // of the stream in the file
  std::vector<float> left;   // the left channel, from audio_start on, at the rate asked for
  std::vector<vexil::test::Picture> kept;  // the pictures asked for, in order
};

// False with a message when the file cannot be read. `keep` names pictures by number; the
// audio is converted to `audio_rate` (0: the file's own rate).
bool DecodeVideoFile(const std::string& path, const std::set<int64_t>& keep, int audio_rate,
                     DecodedVideo* out, std::string* error);

}  // namespace vexil_e2e
