// Benchmarks of the sound layer. Goal: feeder plus mixer under 1% of one core per second of
// music. "realtime_x" is seconds of music per CPU second; "core_%" is the share of one core that
// playing in real time costs.
#include <benchmark/benchmark.h>
#include <sndfile.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include "fsound/fsound.h"

namespace {

constexpr int kMixRate = 44100;

// Ten seconds of something music-like (a chord, a beat of noise bursts) so that the codecs work
// as hard as on real music.
std::string MakeMusic(int rate, int format, const char* name) {
  const std::string path = std::string("/tmp/vexil-fsound-bench-") + name;
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = 2;
  info.format = format;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) std::abort();
  const long frames = 10L * rate;
  std::vector<float> samples(static_cast<size_t>(frames) * 2);
  uint32_t noise = 1;
  for (long i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / rate;
    double v = 0.15 * (std::sin(2 * M_PI * 220 * t) + std::sin(2 * M_PI * 277.2 * t) +
                       std::sin(2 * M_PI * 329.6 * t));
    noise = noise * 1664525u + 1013904223u;
    const double beat = std::fmod(t, 0.25);
    if (beat < 0.05) v += (static_cast<double>(noise >> 8) / (1 << 24) - 0.5) * (0.05 - beat) * 8;
    samples[2 * i] = static_cast<float>(v);
    samples[2 * i + 1] = static_cast<float>(v * 0.9);
  }
  sf_writef_float(file, samples.data(), frames);
  sf_close(file);
  return path;
}

void OfflineDecodeAndMix(benchmark::State& state, int rate, int format, const char* name) {
  const std::string path = MakeMusic(rate, format, name);
  FSOUND_SetOutput(FSOUND_OUTPUT_NOSOUND_NONREALTIME);
  if (!FSOUND_Init(kMixRate, 32, 0)) {
    state.SkipWithError("FSOUND_Init failed");
    return;
  }
  FSOUND_STREAM* stream = FSOUND_Stream_Open(path.c_str(), FSOUND_LOOP_NORMAL, 0, 0);
  FSOUND_Stream_Play(0, stream);
  std::vector<int16_t> out(kMixRate * 2);
  for (auto _ : state) {
    // One second of music, pulled in video-frame-sized pieces as a capture does.
    for (int frame = 0; frame < 60; ++frame) {
      const int begin = frame * kMixRate / 60;
      const int end = (frame + 1) * kMixRate / 60;
      VexilSound_RenderOffline(out.data() + 2 * begin, end - begin);
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["realtime_x"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  FSOUND_Close();
  FSOUND_SetOutput(-1);
}

void BM_OfflineWav(benchmark::State& state) {
  OfflineDecodeAndMix(state, kMixRate, SF_FORMAT_WAV | SF_FORMAT_PCM_16, "wav.wav");
}
void BM_OfflineOggVorbis(benchmark::State& state) {
  OfflineDecodeAndMix(state, kMixRate, SF_FORMAT_OGG | SF_FORMAT_VORBIS, "ogg.ogg");
}
void BM_OfflineWav48kResampled(benchmark::State& state) {
  OfflineDecodeAndMix(state, 48000, SF_FORMAT_WAV | SF_FORMAT_PCM_16, "48k.wav");
}
BENCHMARK(BM_OfflineWav)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OfflineOggVorbis)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OfflineWav48kResampled)->Unit(benchmark::kMillisecond);

double ProcessCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + ts.tv_nsec * 1e-9;
}

// The whole real-time path: feeder thread decoding OGG, SDL's audio thread mixing. Measures the
// process's CPU time while the music plays (the main thread only sleeps).
void BM_RealtimePlaybackOgg(benchmark::State& state) {
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  const std::string path = MakeMusic(kMixRate, SF_FORMAT_OGG | SF_FORMAT_VORBIS, "rt.ogg");
  if (!FSOUND_Init(kMixRate, 32, FSOUND_INIT_GLOBALFOCUS)) {
    state.SkipWithError("FSOUND_Init failed");
    return;
  }
  FSOUND_STREAM* stream = FSOUND_Stream_Open(path.c_str(), FSOUND_LOOP_NORMAL, 0, 0);
  FSOUND_Stream_Play(0, stream);
  double cpu = 0;
  double wall = 0;
  for (auto _ : state) {
    const double cpu_start = ProcessCpuSeconds();
    const auto wall_start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(3));
    cpu += ProcessCpuSeconds() - cpu_start;
    wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_start).count();
  }
  state.counters["core_%"] = 100.0 * cpu / wall;
  FSOUND_Close();
}
BENCHMARK(BM_RealtimePlaybackOgg)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
