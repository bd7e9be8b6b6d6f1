// Golden renders: a text manifest with one hash per rendered frame and one for the music, so a
// demo maker can keep it beside the script and check later that the demo still renders the
// same. Hashes are XXH3-128 (libxxhash) of each frame's RGB bytes, top row first, and of the
// whole audio as 16-bit little-endian stereo samples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vexil {

struct Hash128 {
  uint64_t high = 0;
  uint64_t low = 0;
  bool operator==(const Hash128& other) const { return high == other.high && low == other.low; }
  bool operator!=(const Hash128& other) const { return !(*this == other); }
  // 32 lower-case hexadecimal digits, most significant first.
  std::string Hex() const;
  // Reads Hex()'s form; false for anything else.
  static bool FromHex(const std::string& text, Hash128* hash);
};

Hash128 HashBytes(const uint8_t* data, size_t size);

// The hash of a whole sound, fed in spans as it is mixed.
class AudioHasher {
 public:
  AudioHasher();
  ~AudioHasher();
  AudioHasher(const AudioHasher&) = delete;
  AudioHasher& operator=(const AudioHasher&) = delete;

  // `frames` interleaved stereo samples.
  void Add(const int16_t* samples, int64_t frames);
  Hash128 Digest() const;
  int64_t frames() const { return frames_; }

 private:
  void* state_;  // the library's streaming state
  int64_t frames_ = 0;
};

struct ManifestFrame {
  int64_t index = 0;
  double time_ms = 0.0;
  Hash128 hash;
};

// What a render was made with and what it gave.
struct HashManifest {
  int width = 0;
  int height = 0;
  int fps = 0;
  double first_ms = 0.0;
  bool has_last = false;
  double last_ms = 0.0;
  // A piece of a render holds frames first_index to last_index only ("frames F-L"); the
  // frames of any manifest are numbered from the render's start and follow each other.
  bool piece = false;
  int64_t first_index = 0;
  int64_t last_index = 0;
  // A piece: the whole render's first frame, which the piece replays from ("replay S").
  int64_t replay_from = 0;
  std::vector<ManifestFrame> frames;
  int audio_rate = 0;
  int64_t audio_frames = 0;
  Hash128 audio;
};

// Manifests are read whole; none that a render can make comes near these limits (a million
// frames at about 60 bytes each).
constexpr size_t kMaxManifestBytes = size_t{128} << 20;
constexpr int64_t kMaxManifestFrames = 1000000;

// The manifest as text: a comment, the render's settings ("frames F-L" for a piece), "frame N
// TIME HASH" per frame (time in milliseconds), and "audio RATE FRAMES HASH" (of a piece: the
// music of its own frames).
std::string ManifestText(const HashManifest& manifest);
// Reads ManifestText's form. False with the line and the reason for anything else.
bool ParseManifest(const std::string& text, HashManifest* manifest, std::string* error);

}  // namespace vexil
