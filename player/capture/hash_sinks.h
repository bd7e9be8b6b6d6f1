// The golden-render outputs: one sink writes the hash manifest of a render (--hashes), the
// other compares a render with a manifest (--verify) and says which frames differ.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "frame_hash.h"
#include "frame_sink.h"
#include "system/output_file.h"

namespace vexil {

// Writes the manifest to `path` once the render is complete; a render cut short leaves any
// earlier manifest at that path as it was.
class HashManifestSink : public FrameSink {
 public:
  HashManifestSink(std::string path, bool has_last, double last_ms);

  bool Begin(const RenderFormat& format, std::string* error) override;
  bool AddFrame(const RenderedFrame& frame, std::string* error) override;
  bool AddAudio(const int16_t* samples, int64_t frames, std::string* error) override;
  bool Finish(RenderEnd end, std::string* error) override;
  int64_t frames_written() const override { return frames_written_; }

 private:
  std::string path_;
  sys::OutputLock lock_;  // held from Begin to the sink's end: one render per manifest
  int64_t frames_written_ = 0;
  HashManifest manifest_;
  size_t frame_bytes_ = 0;
  AudioHasher audio_;
};

// How a render compares with a manifest.
struct VerifyOutcome {
  int64_t expected_frames = 0;  // in the manifest
  int64_t rendered_frames = 0;
  int64_t differing_frames = 0;  // different hash, missing or new
  bool has_first = false;
  int64_t first_index = 0;  // the first frame that differs, is missing or is new
  int64_t base_index = 0;   // the number of the manifest's first frame
  double first_time_ms = 0.0;
  bool audio_differs = false;

  bool matches() const { return differing_frames == 0 && !audio_differs; }
};

// What --verify prints: one line when everything matches, else the first differing frame with
// its time, then how many differ and whether the music does.
std::vector<std::string> VerifyReport(const VerifyOutcome& outcome, const std::string& manifest);

class VerifySink : public FrameSink {
 public:
  explicit VerifySink(HashManifest expected);

  bool Begin(const RenderFormat& format, std::string* error) override;
  bool AddFrame(const RenderedFrame& frame, std::string* error) override;
  bool AddAudio(const int16_t* samples, int64_t frames, std::string* error) override;
  bool Finish(RenderEnd end, std::string* error) override;

  // Valid after a complete render has finished.
  const VerifyOutcome& outcome() const { return outcome_; }

 private:
  void Differs(int64_t index, double time_ms);

  HashManifest expected_;
  size_t frame_bytes_ = 0;
  int audio_rate_ = 0;
  AudioHasher audio_;
  VerifyOutcome outcome_;
};

}  // namespace vexil
