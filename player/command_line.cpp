// Parsing of the player's options and the script path that follows them.
#include "command_line.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "capture/video_format.h"
#include "sync/sync_editor_link.h"

namespace vexil {
namespace {

// Whole text must be a finite decimal number; no silent zero for typos in tooling options.
bool ReadNumber(const std::string& text, double* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const double parsed = std::strtod(text.c_str(), &end);
  if (errno != 0 || end != text.c_str() + text.size() || !std::isfinite(parsed)) return false;
  *value = parsed;
  return true;
}

// Demo times are whole milliseconds in a script ("starttime"); a capture's span stays in the
// same range, so no option can ask for a time the demo clock cannot reach.
constexpr double kEarliestCaptureMs = -2147483648.0;
constexpr double kLatestCaptureMs = 2147483647.0;

// "WIDTHxHEIGHT", each a whole number from 1 to kMaxRenderSize.
bool ReadSize(const std::string& text, int* width, int* height) {
  const size_t x = text.find_first_of("xX");
  if (x == std::string::npos) return false;
  double w = 0.0, h = 0.0;
  if (!ReadNumber(text.substr(0, x), &w) || !ReadNumber(text.substr(x + 1), &h)) return false;
  for (double v : {w, h}) {
    if (v != std::floor(v) || v < 1 || v > kMaxRenderSize) return false;
  }
  *width = static_cast<int>(w);
  *height = static_cast<int>(h);
  return true;
}

// A whole frame number from 0 to kMaxFrameNumber.
bool ReadFrameNumber(const std::string& text, int64_t* frame) {
  constexpr double kMaxFrameNumber = 999999;
  double value = 0.0;
  if (!ReadNumber(text, &value) || value != std::floor(value) || value < 0 ||
      value > kMaxFrameNumber || text.find_first_of("+-eE.") != std::string::npos) {
    return false;
  }
  *frame = static_cast<int64_t>(value);
  return true;
}

// "FIRST-LAST" or "FIRST-" (to the end).
bool ReadFrameRange(const std::string& text, PlayerOptions* options) {
  const size_t dash = text.find('-');
  if (dash == std::string::npos || !ReadFrameNumber(text.substr(0, dash), &options->first_frame)) {
    return false;
  }
  const std::string last = text.substr(dash + 1);
  options->has_last_frame = !last.empty();
  if (last.empty()) return true;
  return ReadFrameNumber(last, &options->last_frame) && options->last_frame >= options->first_frame;
}

// "K/N": the K-th (from 0) of N pieces.
bool ReadChunk(const std::string& text, PlayerOptions* options) {
  const size_t slash = text.find('/');
  int64_t k = 0, n = 0;
  if (slash == std::string::npos || !ReadFrameNumber(text.substr(0, slash), &k) ||
      !ReadFrameNumber(text.substr(slash + 1), &n) || n < 1 || n > kMaxChunks || k >= n) {
    return false;
  }
  options->chunk_index = static_cast<int>(k);
  options->chunk_count = static_cast<int>(n);
  return true;
}

bool IsOption(const std::string& word) {
  return word.size() > 1 && word[0] == '-' && word[1] == '-';
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& args, PlayerOptions* options,
                      std::string* error) {
  PlayerOptions result;
  bool check = false;
  bool edit = false;
  bool has_offset = false;
  size_t i = 0;
  // Takes the value of the option at args[i]; false (with the error set) when none follows.
  auto take_value = [&](std::string* value) {
    if (i + 1 >= args.size()) {
      *error = "option " + args[i] + " needs a value";
      return false;
    }
    *value = args[++i];
    return true;
  };

  for (; i < args.size(); ++i) {
    const std::string& word = args[i];
    if (word == "--") {
      ++i;
      break;
    }
    if (!IsOption(word)) break;
    std::string value;
    if (word == "--help") {
      options->mode = PlayerMode::kHelp;
      return true;
    } else if (word == "--version") {
      options->mode = PlayerMode::kVersion;
      return true;
    } else if (word == "--check") {
      check = true;
    } else if (word == "--edit") {
      edit = true;
    } else if (word == "--strict") {
      result.strict = true;
    } else if (word == "--sync") {
      // The address is optional: a following word is taken when it reads as HOST:PORT.
      result.sync = true;
      if (i + 1 < args.size() &&
          ParseSyncAddress(args[i + 1], &result.sync_host, &result.sync_port)) {
        ++i;
      }
    } else if (word == "--loop") {
      result.loop = true;
    } else if (word == "--quiet") {
      result.quiet = true;
    } else if (word == "--start") {
      if (!take_value(&value)) return false;
      if (!ReadNumber(value, &result.start_ms) || result.start_ms < 0 ||
          result.start_ms > kLatestCaptureMs) {
        *error =
            "--start needs a demo time in milliseconds from 0 to 2147483647, not \"" + value + "\"";
        return false;
      }
      result.has_start = true;
    } else if (word == "--audio-offset") {
      if (!take_value(&value)) return false;
      double ms = 0.0;
      // A latency correction: more than ten seconds either way is a typo, not a latency.
      if (!ReadNumber(value, &ms) || ms != std::floor(ms) || std::fabs(ms) > 10000) {
        *error =
            "--audio-offset needs whole milliseconds from -10000 to 10000, not \"" + value + "\"";
        return false;
      }
      result.audio_offset_ms = static_cast<int>(ms);
      has_offset = true;
    } else if (word == "--capture") {
      if (!take_value(&value)) return false;
      if (value.empty()) {
        *error = "--capture needs a folder name";
        return false;
      }
      result.capture_dir = value;
    } else if (word == "--frames") {
      if (!take_value(&value)) return false;
      if (!ReadFrameRange(value, &result)) {
        *error =
            "--frames needs FIRST-LAST or FIRST- (whole frame numbers, LAST not below "
            "FIRST), not \"" +
            value + "\"";
        return false;
      }
      result.has_frames = true;
    } else if (word == "--chunk") {
      if (!take_value(&value)) return false;
      if (!ReadChunk(value, &result)) {
        *error = "--chunk needs K/N, the K-th (counted from 0) of N pieces with N from 1 to " +
                 std::to_string(kMaxChunks) + ", not \"" + value + "\"";
        return false;
      }
      result.has_chunk = true;
    } else if (word == "--video" || word == "--hashes" || word == "--verify" ||
               word == "--audio-only") {
      if (!take_value(&value)) return false;
      if (value.empty()) {
        *error = word + " needs a file name";
        return false;
      }
      VideoFormat format;
      if (word == "--video" && !ChooseVideoFormat(value, &format, error)) return false;
      std::string& path = word == "--video"    ? result.video_path
                          : word == "--hashes" ? result.hashes_path
                          : word == "--verify" ? result.verify_path
                                               : result.audio_only_path;
      path = value;
    } else if (word == "--size") {
      if (!take_value(&value)) return false;
      if (!ReadSize(value, &result.width, &result.height)) {
        *error = "--size needs WIDTHxHEIGHT in pixels, each from 1 to " +
                 std::to_string(kMaxRenderSize) + ", not \"" + value + "\"";
        return false;
      }
      result.has_size = true;
    } else if (word == "--fps") {
      if (!take_value(&value)) return false;
      double fps = 0.0;
      if (!ReadNumber(value, &fps) || fps != std::floor(fps) || fps < 1 || fps > 1000) {
        *error =
            "--fps needs a whole number of frames per second from 1 to 1000, not \"" + value + "\"";
        return false;
      }
      result.fps = static_cast<int>(fps);
      result.has_fps = true;
    } else if (word == "--from" || word == "--to") {
      if (!take_value(&value)) return false;
      double ms = 0.0;
      if (!ReadNumber(value, &ms) || ms < kEarliestCaptureMs || ms > kLatestCaptureMs) {
        *error = word + " needs a time in milliseconds from -2147483648 to 2147483647, not \"" +
                 value + "\"";
        return false;
      }
      if (word == "--from") {
        result.has_from = true;
        result.from_ms = ms;
      } else {
        result.has_to = true;
        result.to_ms = ms;
      }
    } else {
      *error = "unknown option " + word + " (see --help)";
      return false;
    }
  }

  const bool pictures = !result.capture_dir.empty() || !result.video_path.empty() ||
                        !result.hashes_path.empty() || !result.verify_path.empty();
  const bool capture = pictures || !result.audio_only_path.empty();
  if (!result.audio_only_path.empty() && pictures) {
    *error =
        "--audio-only renders the music alone: run it apart from --capture, --video, "
        "--hashes and --verify";
    return false;
  }
  const bool piece = result.has_frames || result.has_chunk;
  if (result.has_frames && result.has_chunk) {
    *error = "--frames and --chunk each choose a piece: give one of them";
    return false;
  }
  if (piece && !pictures) {
    *error = "--frames and --chunk only apply to --capture, --video and --hashes";
    return false;
  }
  if (piece && !result.verify_path.empty()) {
    *error = "--verify takes its piece from the manifest: leave out --frames and --chunk";
    return false;
  }
  if (capture && check) {
    *error =
        "--check cannot be used together with --capture, --video, --hashes, --verify or "
        "--audio-only";
    return false;
  }
  if (edit && (capture || check)) {
    *error =
        "--edit cannot be used together with --check, --capture, --video, --hashes or "
        "--verify";
    return false;
  }
  if (result.sync && !edit) {
    *error = "--sync only applies to --edit";
    return false;
  }
  if (has_offset && (capture || check)) {
    *error = "--audio-offset only applies to live playback, not to renders or --check";
    return false;
  }
  if (result.loop && (capture || check || edit)) {
    *error = edit ? "--loop is for playback; in --edit mode set a loop with I and O"
                  : "--loop only applies to live playback, not to renders or --check";
    return false;
  }
  if (result.quiet && !check) {
    *error = "--quiet only applies to --check";
    return false;
  }
  if (result.has_start && check) {
    *error = "--start does not apply to --check";
    return false;
  }
  if (!capture && (result.has_from || result.has_to || result.has_fps || result.has_size)) {
    *error =
        "--fps, --from, --to and --size only apply to --capture, --video, --hashes and "
        "--verify";
    return false;
  }
  if (!capture && result.strict) {
    *error = "--strict only applies to --capture, --video, --hashes and --verify";
    return false;
  }
  if (!result.hashes_path.empty() && result.hashes_path == result.verify_path) {
    *error = "--hashes would overwrite the manifest --verify compares with";
    return false;
  }
  if (result.has_from && result.has_to && result.to_ms < result.from_ms) {
    *error = "--to must not be earlier than --from";
    return false;
  }
  result.mode = capture ? PlayerMode::kCapture
                : check ? PlayerMode::kCheck
                : edit  ? PlayerMode::kEdit
                        : PlayerMode::kPlay;

  // The path is every remaining word, joined as the system's single command-line text.
  std::string path;
  for (; i < args.size(); ++i) {
    if (!path.empty()) path += ' ';
    path += args[i];
  }
  if (!path.empty()) result.script_path = path;
  *options = result;
  return true;
}

std::string UsageText() {
  return "usage: vexil [options] [--] [script]\n"
         "\n"
         "Plays the demo described by the script (plain XML, or a .gma container).\n"
         "Without a script, \"demo.gma\" in the current folder is played.\n"
         "\n"
         "options:\n"
         "  --capture DIR  render without a window at a fixed frame rate and write\n"
         "                 DIR/frame-000000.png, ... and DIR/audio.wav\n"
         "  --video FILE   render without a window into one video file with the music:\n"
         "                 .mp4 (H.264 and AAC, also for a name without extension),\n"
         "                 .mkv (H.264 and FLAC) or .webm (VP9 and Opus)\n"
         "  --hashes FILE  render without a window and write a hash of every frame and of\n"
         "                 the music to FILE, a golden render to keep beside the script\n"
         "  --verify FILE  render as FILE was made and compare: exit status 1, the first\n"
         "                 differing frame and how many differ when something differs\n"
         "  --audio-only FILE  render the music of the whole render alone, without\n"
         "                 pictures, into a WAV file (for joining pieces)\n"
         "  --fps N        frames per second of a render (default 60)\n"
         "  --from MS      first demo time of a render, in milliseconds\n"
         "  --to MS        last demo time of a render, in milliseconds\n"
         "  --frames FIRST-LAST  render only these frames (inclusive; FIRST- to the end),\n"
         "                 numbered from the render's start; files keep these numbers\n"
         "  --chunk K/N    render only the K-th (from 0) of N equal pieces of the render;\n"
         "                 vexil-join puts the pieces' videos and manifests together\n"
         "  --size WxH     render at this size instead of the script's width and height\n"
         "                 (2D effects keep their 640x480 layout, 3D ones take its aspect)\n"
         "                 --capture, --video, --hashes and --verify go together in one\n"
         "                 render; --verify takes the rate, span and size from FILE\n"
         "  --strict       a render fails (exit status 1) when a file of the script cannot\n"
         "                 be loaded, instead of playing on without it\n"
         "  --check        build the demo without drawing and list, with their lines, what\n"
         "                 playback would skip or get wrong (misspelt attributes, missing\n"
         "                 files, ...); exit status 1 when something was found (notes do\n"
         "                 not count); when nothing was, one summary line\n"
         "  --quiet        with --check: print nothing when nothing was found\n"
         "  --edit         play in a window for working on the demo: the keys below move\n"
         "                 through it, and saving the script or a file it names reloads\n"
         "                 the demo at the same time (a broken save keeps the last good\n"
         "                 demo playing and shows the error)\n"
         "  --sync [HOST:PORT]  with --edit: link to a sync-tracker editor (default\n"
         "                 127.0.0.1:1338), retried about once a second\n"
         "  --start MS     begin at this demo time, music included (also for renders)\n"
         "  --loop         live playback: when the demo ends, start again from its start\n"
         "                 time, music included, until Escape (as the setup dialog's\n"
         "                 Loop box)\n"
         "  --audio-offset MS  live playback: hear the music MS milliseconds later than\n"
         "                 the picture (earlier when negative), for device latency\n"
         "  --help         show this text\n"
         "  --version      show the version\n"
         "\n"
         "keys with --edit (Space, F1-F8 and Enter stay with the \"showtime\" module):\n"
         "  P or Pause     pause and resume, music included\n"
         "  Left, Right    back and forward 1 s; Down, Up: 10 s\n"
         "  Home           to the start\n"
         "  Page Up/Down   to the previous or next module start\n"
         "  I, O, L        set the loop's in point, its out point; clear the loop\n"
         "  Tab            show or hide the overlay (time, frame rate, loop, modules)\n"
         "  T              show or hide the timeline panel (click the ruler to seek, a bar to\n"
         "                 inspect its module's values)\n"
         "  R              reload now\n"
         "  Escape         end\n"
         "\n"
         "exit status: 0 when the demo ran (or a check or verify found nothing), 1 when it\n"
         "could not run or a check or verify found something, 2 for a command line that\n"
         "cannot be used.\n";
}

std::string VersionText() {
  return "vexil " VEXIL_VERSION "\n";
}

}  // namespace vexil
