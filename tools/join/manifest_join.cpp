// Reading, checking and concatenating manifests.
#include "manifest_join.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "capture/frame_hash.h"
#include "music_reader.h"
#include "system/output_file.h"

namespace vexil {

namespace {

bool Read(const std::string& path, HashManifest* manifest, std::string* error) {
  std::error_code ec;
  const uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec || size > kMaxManifestBytes) {
    *error = "cannot read the manifest \"" + path + "\"" + (ec ? ": " + ec.message() : "");
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  std::string why;
  if (!in || !ParseManifest(text.str(), manifest, &why)) {
    *error = "cannot read the manifest \"" + path + "\"" + (why.empty() ? "" : ": " + why);
    return false;
  }
  return true;
}

bool SameRender(const HashManifest& a, const HashManifest& b) {
  return a.width == b.width && a.height == b.height && a.fps == b.fps && a.first_ms == b.first_ms &&
         a.has_last == b.has_last && (!a.has_last || a.last_ms == b.last_ms) &&
         a.audio_rate == b.audio_rate && a.replay_from == b.replay_from;
}

}  // namespace

bool JoinManifests(const std::string& out, const std::vector<std::string>& parts,
                   const std::string& music_path, std::string* error) {
  HashManifest whole;
  std::vector<HashManifest> pieces(parts.size());
  for (size_t i = 0; i < parts.size(); ++i) {
    if (!Read(parts[i], &pieces[i], error)) return false;
    const HashManifest& piece = pieces[i];
    if (i == 0) {
      whole = piece;
      whole.piece = false;
      whole.frames.clear();
    } else if (!SameRender(pieces[0], piece)) {
      *error = "\"" + parts[i] + "\" is of another render than \"" + parts[0] +
               "\" (size, rate, start, end or music rate differ)";
      return false;
    }
    if (i > 0) {
      const int64_t next = pieces[i - 1].frames.back().index + 1;
      const int64_t first = piece.frames.front().index;
      if (first != next) {
        *error = (first > next ? "frames " + std::to_string(next) + " to " +
                                     std::to_string(first - 1) + " are missing"
                               : "frame " + std::to_string(first) + " is in two pieces") +
                 " between \"" + parts[i - 1] + "\" and \"" + parts[i] +
                 "\": give every piece once, in order";
        return false;
      }
    }
    whole.frames.insert(whole.frames.end(), piece.frames.begin(), piece.frames.end());
  }

  // The music's line is of the whole music; each piece's music must be its span of it.
  MusicReader music;
  if (!music.Open(music_path, error)) return false;
  if (music.rate() != whole.audio_rate) {
    *error = "the music \"" + music_path + "\" is at " + std::to_string(music.rate()) +
             " Hz, the render at " + std::to_string(whole.audio_rate) + " Hz";
    return false;
  }
  AudioHasher all;
  std::vector<int16_t> samples;
  for (size_t i = 0; i < pieces.size(); ++i) {
    const int64_t from = AudioFramesBefore(pieces[i].frames.front().index, whole.fps, music.rate());
    const int64_t to =
        AudioFramesBefore(pieces[i].frames.back().index + 1, whole.fps, music.rate());
    AudioHasher span;
    if (to - from != pieces[i].audio_frames || !music.Read(to - from, &samples)) {
      *error = "the music \"" + music_path + "\" does not hold the span of \"" + parts[i] +
               "\" (the --audio-only render of the same script, rate and span)";
      return false;
    }
    span.Add(samples.data(), to - from);
    all.Add(samples.data(), to - from);
    if (span.Digest() != pieces[i].audio) {
      *error = "the music of \"" + parts[i] + "\" differs from its span of \"" + music_path + "\"";
      return false;
    }
  }
  if (music.frames() != all.frames()) {
    *error = "the music \"" + music_path + "\" lasts " + std::to_string(music.frames()) +
             " sample frames, the pieces' " + std::to_string(all.frames());
    return false;
  }
  whole.audio_frames = all.frames();
  whole.audio = all.Digest();
  const std::string text = ManifestText(whole);
  std::string why;
  if (!sys::WriteWholeFile(out, text.data(), text.size(), &why)) {
    *error = "cannot write \"" + out + "\": " + why;
    return false;
  }
  std::printf("vexil-join: %zu frames from %zu pieces written to %s\n", whole.frames.size(),
              pieces.size(), out.c_str());
  return true;
}

}  // namespace vexil
