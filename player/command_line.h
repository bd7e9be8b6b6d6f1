// The player's command line: tooling options first, then optionally "--", then the script
// path (the remaining words joined by single spaces; none means "demo.gma").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vexil {

enum class PlayerMode {
  kPlay,     // real-time playback in a window
  kEdit,     // real-time playback with transport keys, live reload and an overlay
  kCapture,  // headless rendering at a fixed rate into PNG frames, a video, frame hashes
  kCheck,    // build on the null device and report what playback would silently skip
  kHelp,
  kVersion,
};

struct PlayerOptions {
  PlayerMode mode = PlayerMode::kPlay;
  std::string script_path = "demo.gma";
  // Outputs of a render; any of them makes the run a capture.
  std::string capture_dir;      // PNG frames and audio.wav
  std::string video_path;       // one video file with the music
  std::string hashes_path;      // the hash manifest to write
  std::string verify_path;      // the hash manifest to compare with
  std::string audio_only_path;  // the whole render's music alone, as a WAV file
  bool has_fps = false;
  int fps = 60;
  bool has_from = false;
  double from_ms = 0.0;
  bool has_to = false;
  double to_ms = 0.0;
  // A piece of the render: frames first_frame to last_frame (inclusive; numbered from the
  // render's start), or the chunk_index-th of chunk_count equal pieces.
  bool has_frames = false;
  int64_t first_frame = 0;
  bool has_last_frame = false;
  int64_t last_frame = 0;
  bool has_chunk = false;
  int chunk_index = 0;
  int chunk_count = 1;
  bool has_size = false;  // render at width x height instead of the script's settings
  int width = 0;
  int height = 0;
  // Demo time to begin at, instead of the script's start time (music included).
  bool has_start = false;
  double start_ms = 0.0;
  // A render fails when a file of the script cannot be loaded (golden renders in CI).
  bool strict = false;
  // Live playback: how much later than the picture the music is heard (negative: earlier).
  int audio_offset_ms = 0;
  // Edit mode: a sync-tracker editor to link to (--sync [HOST:PORT]).
  bool sync = false;
  std::string sync_host = "127.0.0.1";
  uint16_t sync_port = 1338;
  // Live playback starts again from the start time when the demo ends, until Escape.
  bool loop = false;
  // --check prints nothing when it finds nothing (no summary line).
  bool quiet = false;
};

// A render is split into at most this many pieces.
constexpr int kMaxChunks = 100000;

// The largest width or height --size takes.
constexpr int kMaxRenderSize = 8192;

// Reads the words after the program name. False with a message in *error for an unknown
// option, a missing or malformed option value, or options that do not go together.
bool ParseCommandLine(const std::vector<std::string>& args, PlayerOptions* options,
                      std::string* error);

// The text printed for --help.
std::string UsageText();
// The text printed for --version.
std::string VersionText();

}  // namespace vexil
