// Frame and audio hashes through libxxhash, and the manifest's text form.
#include "frame_hash.h"

#include <xxhash.h>

#include <cerrno>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace vexil {

namespace {

constexpr char kHashName[] = "xxh3-128";
constexpr double kLargestTimeMs = 2147483648.0;
// The demo clock's range at 1000 fps.
constexpr int64_t kLargestFrameNumber = int64_t{1} << 42;

Hash128 FromLibrary(XXH128_hash_t hash) {
  return Hash128{hash.high64, hash.low64};
}

// The whole of `text` as a number; no silent zero for a damaged manifest.
bool ReadDouble(const std::string& text, double* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  *value = std::strtod(text.c_str(), &end);
  // Demo times stay within the demo clock's range, which no rounding reaches past.
  return end == text.c_str() + text.size() && std::isfinite(*value) &&
         std::fabs(*value) <= kLargestTimeMs;
}

bool ReadInt64(const std::string& text, int64_t* value) {
  if (text.empty() || text[0] == '-' || text[0] == '+') return false;
  char* end = nullptr;
  errno = 0;
  *value = std::strtoll(text.c_str(), &end, 10);
  return errno == 0 && end == text.c_str() + text.size();
}

bool ReadPositiveInt(const std::string& text, int* value) {
  int64_t wide = 0;
  if (!ReadInt64(text, &wide) || wide <= 0 || wide > 1000000) return false;
  *value = static_cast<int>(wide);
  return true;
}

std::string ExactNumber(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

}  // namespace

std::string Hash128::Hex() const {
  char text[33];
  std::snprintf(text, sizeof text, "%016" PRIx64 "%016" PRIx64, high, low);
  return text;
}

bool Hash128::FromHex(const std::string& text, Hash128* hash) {
  if (text.size() != 32) return false;
  uint64_t halves[2] = {0, 0};
  for (size_t i = 0; i < 32; ++i) {
    const char c = text[i];
    int digit = 0;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else {
      return false;
    }
    halves[i / 16] = (halves[i / 16] << 4) | static_cast<uint64_t>(digit);
  }
  *hash = Hash128{halves[0], halves[1]};
  return true;
}

Hash128 HashBytes(const uint8_t* data, size_t size) {
  return FromLibrary(XXH3_128bits(data, size));
}

AudioHasher::AudioHasher() : state_(XXH3_createState()) {
  XXH3_128bits_reset(static_cast<XXH3_state_t*>(state_));
}

AudioHasher::~AudioHasher() {
  XXH3_freeState(static_cast<XXH3_state_t*>(state_));
}

void AudioHasher::Add(const int16_t* samples, int64_t frames) {
  const size_t count = static_cast<size_t>(frames) * 2;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  // The manifest's audio hash is of little-endian samples on every machine.
  for (size_t i = 0; i < count; ++i) {
    const auto v = static_cast<uint16_t>(samples[i]);
    const uint8_t bytes[2] = {static_cast<uint8_t>(v & 0xFF), static_cast<uint8_t>(v >> 8)};
    XXH3_128bits_update(static_cast<XXH3_state_t*>(state_), bytes, 2);
  }
#else
  XXH3_128bits_update(static_cast<XXH3_state_t*>(state_), samples, count * sizeof(int16_t));
#endif
  frames_ += frames;
}

Hash128 AudioHasher::Digest() const {
  return FromLibrary(XXH3_128bits_digest(static_cast<XXH3_state_t*>(state_)));
}

std::string ManifestText(const HashManifest& manifest) {
  std::string text = "# vexil golden render: the " + std::string(kHashName) +
                     " hash of every frame's RGB pixels and of the music.\n"
                     "# Check a script against it with: vexil --verify THIS-FILE script\n";
  text += "hash " + std::string(kHashName) + "\n";
  text += "size " + std::to_string(manifest.width) + "x" + std::to_string(manifest.height) + "\n";
  text += "fps " + std::to_string(manifest.fps) + "\n";
  text += "from " + ExactNumber(manifest.first_ms) + "\n";
  if (manifest.has_last) text += "to " + ExactNumber(manifest.last_ms) + "\n";
  char line[96];
  if (manifest.piece) {
    std::snprintf(line, sizeof line, "frames %" PRId64 "-%" PRId64 "\nreplay %" PRId64 "\n",
                  manifest.first_index, manifest.last_index, manifest.replay_from);
    text += line;
  }
  for (const ManifestFrame& frame : manifest.frames) {
    std::snprintf(line, sizeof line, "frame %" PRId64 " %.3f ", frame.index, frame.time_ms);
    text += line + frame.hash.Hex() + "\n";
  }
  std::snprintf(line, sizeof line, "audio %d %" PRId64 " ", manifest.audio_rate,
                manifest.audio_frames);
  text += line + manifest.audio.Hex() + "\n";
  return text;
}

bool ParseManifest(const std::string& text, HashManifest* manifest, std::string* error) {
  HashManifest result;
  bool has_hash = false, has_size = false, has_fps = false, has_from = false, has_audio = false;
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  auto fail = [&](const std::string& why) {
    *error = "line " + std::to_string(number) + ": " + why;
    return false;
  };
  while (std::getline(lines, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    std::vector<std::string> word;
    for (std::string w; words >> w;) word.push_back(w);
    if (word.empty()) continue;
    const std::string& key = word[0];
    if (key == "hash") {
      if (word.size() != 2 || word[1] != kHashName) {
        return fail("hashes of another kind than " + std::string(kHashName));
      }
      has_hash = true;
    } else if (key == "size") {
      const size_t x = word.size() == 2 ? word[1].find('x') : std::string::npos;
      if (x == std::string::npos || !ReadPositiveInt(word[1].substr(0, x), &result.width) ||
          !ReadPositiveInt(word[1].substr(x + 1), &result.height)) {
        return fail("\"size\" needs WIDTHxHEIGHT");
      }
      has_size = true;
    } else if (key == "fps") {
      if (word.size() != 2 || !ReadPositiveInt(word[1], &result.fps)) {
        return fail("\"fps\" needs a whole number of frames per second");
      }
      has_fps = true;
    } else if (key == "from" || key == "to") {
      double ms = 0.0;
      if (word.size() != 2 || !ReadDouble(word[1], &ms)) return fail(key + " needs a time");
      if (key == "from") {
        result.first_ms = ms;
        has_from = true;
      } else {
        result.last_ms = ms;
        result.has_last = true;
      }
    } else if (key == "frames") {
      const size_t dash = word.size() == 2 ? word[1].find('-') : std::string::npos;
      if (dash == std::string::npos || !ReadInt64(word[1].substr(0, dash), &result.first_index) ||
          !ReadInt64(word[1].substr(dash + 1), &result.last_index) ||
          result.last_index < result.first_index || result.last_index > kLargestFrameNumber ||
          !result.frames.empty()) {
        return fail("\"frames\" needs FIRST-LAST before the first frame");
      }
      result.piece = true;
    } else if (key == "replay") {
      if (word.size() != 2 || !ReadInt64(word[1], &result.replay_from) || !result.piece ||
          result.replay_from > result.first_index) {
        return fail("\"replay\" needs the whole render's first frame, after \"frames\"");
      }
    } else if (key == "frame") {
      ManifestFrame frame;
      if (word.size() != 4 || !ReadInt64(word[1], &frame.index) ||
          !ReadDouble(word[2], &frame.time_ms) || !Hash128::FromHex(word[3], &frame.hash)) {
        return fail("\"frame\" needs a number, a time and a hash of 32 hexadecimal digits");
      }
      // Numbers count from the render's start, which a late piece may be far from; the count
      // of frames is what a render limits.
      if (frame.index > kLargestFrameNumber ||
          static_cast<int64_t>(result.frames.size()) >= kMaxManifestFrames) {
        return fail("more frames than a render makes (" + std::to_string(kMaxManifestFrames) + ")");
      }
      // Frames follow each other from the first (0, or a later one for a piece or --from).
      if (result.frames.empty() && !result.piece) result.first_index = frame.index;
      const int64_t expected = result.first_index + static_cast<int64_t>(result.frames.size());
      if (frame.index != expected) {
        return fail("frame " + word[1] + " is out of order (expected frame " +
                    std::to_string(expected) + ")");
      }
      result.frames.push_back(frame);
    } else if (key == "audio") {
      if (word.size() != 4 || !ReadPositiveInt(word[1], &result.audio_rate) ||
          !ReadInt64(word[2], &result.audio_frames) || !Hash128::FromHex(word[3], &result.audio)) {
        return fail("\"audio\" needs a rate, a number of sample frames and a hash");
      }
      has_audio = true;
    } else {
      return fail("unknown entry \"" + key + "\"");
    }
  }
  if (!has_hash) {
    *error = "not a vexil hash manifest (it has no \"hash\" line)";
    return false;
  }
  if (!has_size || !has_fps || !has_from || !has_audio) {
    *error = "the manifest lacks its \"size\", \"fps\", \"from\" or \"audio\" line";
    return false;
  }
  if (result.frames.empty()) {
    // A comparison with no frame would match any script.
    *error = "it holds no frame, so it cannot vouch for any render";
    return false;
  }
  if (result.piece && result.frames.back().index != result.last_index) {
    *error = "the piece ends at frame " + std::to_string(result.frames.back().index) +
             " instead of frame " + std::to_string(result.last_index) + " as its \"frames\" says";
    return false;
  }
  if (!result.piece) result.last_index = result.frames.back().index;
  *manifest = std::move(result);
  return true;
}

}  // namespace vexil
