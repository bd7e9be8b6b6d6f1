// The music of a whole render (vexil --audio-only, or any 16-bit-exact stereo WAV or FLAC
// file) read in order, span by span, to go with the joined pictures of its frames.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vexil {

// Sample frames (at `rate` per second) that belong before picture frame k of a render at
// `fps`, as the render mixes them.
inline int64_t AudioFramesBefore(int64_t k, int fps, int rate) {
  return k * rate / fps;
}

class MusicReader {
 public:
  MusicReader() = default;
  ~MusicReader();
  MusicReader(const MusicReader&) = delete;
  MusicReader& operator=(const MusicReader&) = delete;

  // False with a message for a file that is not stereo sound libsndfile reads.
  bool Open(const std::string& path, std::string* error);
  int rate() const { return rate_; }
  int64_t frames() const { return frames_; }
  // The next `count` stereo sample frames; false when the file ends before.
  bool Read(int64_t count, std::vector<int16_t>* samples);

 private:
  void* file_ = nullptr;  // the library's SNDFILE
  int rate_ = 0;
  int64_t frames_ = 0;
};

}  // namespace vexil
