// The two ways to turn rendered frames into a video, on the same frames and music: FFmpeg's
// libraries inside the player (what --video does, through libvexil_video.so), and the ffmpeg
// program fed raw frames through a pipe with the music as a WAV file beside them (its best
// case: the player mixes the music frame by frame, so a real pipe would need a second pipe
// or a second pass). Both use the same encoders and settings. Frames come from a capture of
// the bundled demo (4 s at 60 fps, 640 x 480), decoded once into memory; the time measured is
// the encode alone. Counters: wall and CPU milliseconds per frame (CPU includes the ffmpeg
// process) and the file size.
#include <benchmark/benchmark.h>
#include <stb/stb_image.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "capture/capture_session.h"
#include "capture/png_sequence_sink.h"
#include "capture/video_sink_loader.h"

namespace {

namespace fs = std::filesystem;

struct Format {
  const char* extension;
  const char* program_options;  // the same encoders and settings as libvexil_video.so
};

const Format kFormats[] = {
    {"mp4", "-c:v libx264 -preset medium -crf 18 -c:a aac -b:a 192k -movflags +faststart"},
    {"mkv", "-c:v libx264 -preset medium -crf 18 -c:a flac"},
    {"webm",
     "-c:v libvpx-vp9 -crf 31 -b:v 0 -deadline good -cpu-used 4 -row-mt 1 -c:a libopus "
     "-b:a 160k"},
};

constexpr int kFps = 60;

fs::path g_scratch;  // removed when the benchmarks end

struct Frames {
  fs::path folder;  // the capture: PNG frames and audio.wav
  int width = 0;
  int height = 0;
  std::vector<std::vector<uint8_t>> rgb;
  std::vector<int16_t> audio;  // interleaved stereo, 44100 Hz
  bool ok = false;
};

Frames& CapturedFrames() {
  static Frames frames = [] {
    Frames f;
    std::string pattern = (fs::temp_directory_path() / "vexil-bench-video-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return f;
    f.folder = pattern;
    g_scratch = f.folder;
    const std::string command = "cd '" VEXIL_BIN_DIR
                                "/../demo' && SDL_VIDEODRIVER=offscreen "
                                "SDL_AUDIODRIVER=dummy '" VEXIL_BIN_DIR "/vexil' --capture '" +
                                (f.folder / "png").string() +
                                "' --from 20000 --to 24000 demo.gma >/dev/null";
    if (std::system(command.c_str()) != 0) return f;
    for (int64_t k = 0;; ++k) {
      int w = 0, h = 0, channels = 0;
      unsigned char* data =
          stbi_load(vexil::FramePath((f.folder / "png").string(), k).c_str(), &w, &h, &channels, 3);
      if (!data) break;
      f.width = w;
      f.height = h;
      f.rgb.emplace_back(data, data + static_cast<size_t>(w) * h * 3);
      stbi_image_free(data);
    }
    std::FILE* wav = std::fopen((f.folder / "png/audio.wav").c_str(), "rb");
    if (wav) {
      std::fseek(wav, 44, SEEK_SET);
      int16_t block[4096];
      size_t got = 0;
      while ((got = std::fread(block, sizeof(int16_t), 4096, wav)) > 0) {
        f.audio.insert(f.audio.end(), block, block + got);
      }
      std::fclose(wav);
    }
    f.ok = !f.rgb.empty();
    return f;
  }();
  return frames;
}

double CpuSeconds() {
  double total = 0.0;
  for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
    rusage usage{};
    getrusage(who, &usage);
    total += usage.ru_utime.tv_sec + usage.ru_utime.tv_usec * 1e-6 + usage.ru_stime.tv_sec +
             usage.ru_stime.tv_usec * 1e-6;
  }
  return total;
}

void Report(benchmark::State& state, double wall, double cpu, const fs::path& file, size_t frames) {
  state.SetIterationTime(wall);
  state.counters["wall_ms_per_frame"] = wall * 1000.0 / static_cast<double>(frames);
  state.counters["cpu_ms_per_frame"] = cpu * 1000.0 / static_cast<double>(frames);
  std::error_code ec;
  state.counters["file_KiB"] = static_cast<double>(fs::file_size(file, ec)) / 1024.0;
}

void BM_VideoWithLibraries(benchmark::State& state) {
  const Frames& frames = CapturedFrames();
  if (!frames.ok) {
    state.SkipWithError("the bundled demo could not be captured");
    return;
  }
  const fs::path out = frames.folder / (std::string("lib.") + kFormats[state.range(0)].extension);
  for (auto _ : state) {
    const double cpu_start = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    std::string error;
    std::unique_ptr<vexil::FrameSink> sink = vexil::OpenVideoSink(out.string(), &error);
    vexil::RenderFormat format;
    format.width = frames.width;
    format.height = frames.height;
    format.fps = kFps;
    bool ok = sink && sink->Begin(format, &error);
    for (size_t k = 0; ok && k < frames.rgb.size(); ++k) {
      const int64_t first = vexil::AudioFramesBefore(k, kFps, format.audio_rate);
      const int64_t count = vexil::AudioFramesBefore(k + 1, kFps, format.audio_rate) - first;
      ok = sink->AddFrame({static_cast<int64_t>(k), 0.0, frames.rgb[k].data()}, &error) &&
           sink->AddAudio(frames.audio.data() + first * 2, count, &error);
    }
    if (sink && !sink->Finish(ok ? vexil::RenderEnd::kComplete : vexil::RenderEnd::kFailed, &error))
      ok = false;
    sink.reset();
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!ok) {
      state.SkipWithError(error.c_str());
      return;
    }
    Report(state, wall, CpuSeconds() - cpu_start, out, frames.rgb.size());
  }
}

void BM_VideoWithProgram(benchmark::State& state) {
  const Frames& frames = CapturedFrames();
  if (!frames.ok) {
    state.SkipWithError("the bundled demo could not be captured");
    return;
  }
  const Format& format = kFormats[state.range(0)];
  const fs::path out = frames.folder / (std::string("program.") + format.extension);
  const std::string command =
      "ffmpeg -loglevel error -y -f rawvideo -pix_fmt rgb24 -s " + std::to_string(frames.width) +
      "x" + std::to_string(frames.height) + " -r " + std::to_string(kFps) + " -i - -i '" +
      (frames.folder / "png/audio.wav").string() +
      "' -vf scale=out_color_matrix=bt709:out_range=tv -pix_fmt yuv420p -g " +
      std::to_string(2 * kFps) + " " + format.program_options + " '" + out.string() + "'";
  for (auto _ : state) {
    const double cpu_start = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    std::FILE* pipe = popen(command.c_str(), "w");
    if (!pipe) {
      state.SkipWithError("cannot start ffmpeg");
      return;
    }
    bool ok = true;
    for (const std::vector<uint8_t>& rgb : frames.rgb) {
      ok = ok && std::fwrite(rgb.data(), 1, rgb.size(), pipe) == rgb.size();
    }
    ok = pclose(pipe) == 0 && ok;
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!ok) {
      state.SkipWithError("ffmpeg failed (is the ffmpeg program installed?)");
      return;
    }
    Report(state, wall, CpuSeconds() - cpu_start, out, frames.rgb.size());
  }
}

BENCHMARK(BM_VideoWithLibraries)
    ->DenseRange(0, 2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);
BENCHMARK(BM_VideoWithProgram)
    ->DenseRange(0, 2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ec;
  if (!g_scratch.empty()) fs::remove_all(g_scratch, ec);
  return 0;
}
