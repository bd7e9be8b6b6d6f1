// Writing and checking hash manifests.
#include "hash_sinks.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

#include "system/output_file.h"

namespace vexil {

namespace {

std::string FrameAt(int64_t index, double time_ms) {
  char text[80];
  std::snprintf(text, sizeof text, "frame %" PRId64 " at %.3f ms", index, time_ms);
  return text;
}

}  // namespace

HashManifestSink::HashManifestSink(std::string path, bool has_last, double last_ms)
    : path_(std::move(path)) {
  manifest_.has_last = has_last;
  manifest_.last_ms = last_ms;
}

bool HashManifestSink::Begin(const RenderFormat& format, std::string* error) {
  if (!lock_.Acquire(path_, /*is_folder=*/false, error)) return false;
  manifest_.width = format.width;
  manifest_.height = format.height;
  manifest_.fps = format.fps;
  manifest_.first_ms = format.first_ms;
  manifest_.audio_rate = format.audio_rate;
  manifest_.piece = format.piece;
  manifest_.first_index = format.first_index;
  manifest_.last_index = format.last_index;
  manifest_.replay_from = format.replay_from;
  frame_bytes_ = static_cast<size_t>(format.width) * format.height * 3;
  return true;
}

bool HashManifestSink::AddFrame(const RenderedFrame& frame, std::string*) {
  manifest_.frames.push_back({frame.index, frame.time_ms, HashBytes(frame.rgb, frame_bytes_)});
  return true;
}

bool HashManifestSink::AddAudio(const int16_t* samples, int64_t frames, std::string*) {
  audio_.Add(samples, frames);
  return true;
}

bool HashManifestSink::Finish(RenderEnd end, std::string* error) {
  if (end != RenderEnd::kComplete) return true;
  manifest_.audio_frames = audio_.frames();
  manifest_.audio = audio_.Digest();
  const std::string text = ManifestText(manifest_);
  std::string why;
  if (!sys::WriteWholeFile(path_, text.data(), text.size(), &why)) {
    *error = "cannot write \"" + path_ + "\": " + why;
    return false;
  }
  frames_written_ = static_cast<int64_t>(manifest_.frames.size());
  return true;
}

std::vector<std::string> VerifyReport(const VerifyOutcome& outcome, const std::string& manifest) {
  const int64_t total = std::max(outcome.expected_frames, outcome.rendered_frames);
  if (outcome.matches()) {
    return {"all " + std::to_string(total) + " frames and the music match " + manifest};
  }
  std::vector<std::string> lines;
  if (outcome.has_first) {
    const std::string first = FrameAt(outcome.first_index, outcome.first_time_ms);
    if (outcome.first_index - outcome.base_index >= outcome.rendered_frames) {
      lines.push_back(first + " is missing: the demo now ends after " +
                      std::to_string(outcome.rendered_frames) + " frames, " + manifest + " has " +
                      std::to_string(outcome.expected_frames));
    } else if (outcome.first_index - outcome.base_index >= outcome.expected_frames) {
      lines.push_back(first + " is new: the demo now ends after " +
                      std::to_string(outcome.rendered_frames) + " frames, " + manifest + " has " +
                      std::to_string(outcome.expected_frames));
    } else {
      lines.push_back(first + " is the first that differs from " + manifest);
    }
  }
  lines.push_back(std::to_string(outcome.differing_frames) + " of " + std::to_string(total) +
                  " frames differ; the music " + (outcome.audio_differs ? "differs" : "matches"));
  return lines;
}

VerifySink::VerifySink(HashManifest expected) : expected_(std::move(expected)) {
  outcome_.expected_frames = static_cast<int64_t>(expected_.frames.size());
  outcome_.base_index = expected_.first_index;
}

bool VerifySink::Begin(const RenderFormat& format, std::string* error) {
  // The render takes its settings from the manifest; anything else is a fault of the caller.
  if (format.width != expected_.width || format.height != expected_.height ||
      format.fps != expected_.fps) {
    *error = "the render does not use the manifest's size and frame rate";
    return false;
  }
  frame_bytes_ = static_cast<size_t>(format.width) * format.height * 3;
  audio_rate_ = format.audio_rate;
  return true;
}

void VerifySink::Differs(int64_t index, double time_ms) {
  ++outcome_.differing_frames;
  if (outcome_.has_first) return;
  outcome_.has_first = true;
  outcome_.first_index = index;
  outcome_.first_time_ms = time_ms;
}

bool VerifySink::AddFrame(const RenderedFrame& frame, std::string*) {
  // The manifest's frames begin at its first frame's number (a piece, a later start).
  const int64_t at = frame.index - expected_.first_index;
  outcome_.rendered_frames = at + 1;
  if (at < 0 || at >= outcome_.expected_frames) {
    Differs(frame.index, frame.time_ms);
  } else if (HashBytes(frame.rgb, frame_bytes_) != expected_.frames[at].hash) {
    Differs(frame.index, frame.time_ms);
  }
  return true;
}

bool VerifySink::AddAudio(const int16_t* samples, int64_t frames, std::string*) {
  audio_.Add(samples, frames);
  return true;
}

bool VerifySink::Finish(RenderEnd end, std::string*) {
  if (end != RenderEnd::kComplete) return true;
  for (int64_t k = outcome_.rendered_frames; k < outcome_.expected_frames; ++k) {
    Differs(expected_.frames[k].index, expected_.frames[k].time_ms);
  }
  outcome_.audio_differs = audio_rate_ != expected_.audio_rate ||
                           audio_.frames() != expected_.audio_frames ||
                           audio_.Digest() != expected_.audio;
  return true;
}

}  // namespace vexil
