// vexil-synth [--bpm N] [--length SECONDS] [--seed N] OUT.ogg: renders the demo tune (at another
// tempo, cut shorter or with other noise, for a test tune to sync a demo to) and writes it with
// libsndfile (OGG/Vorbis for .ogg, FLAC for .flac, 16-bit PCM for .wav), then prints its length
// and levels. Without options the output is the bundled demo's music, byte for byte.
#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "dsp.h"
#include "ogg_serial.h"
#include "song.h"

namespace {

bool EndsWith(const std::string& text, const std::string& suffix) {
  if (text.size() < suffix.size()) return false;
  for (size_t i = 0; i < suffix.size(); ++i) {
    const char a = text[text.size() - suffix.size() + i];
    if (std::tolower(static_cast<unsigned char>(a)) != suffix[i]) return false;
  }
  return true;
}

// A whole decimal number within [low, high]; false for anything else.
bool ReadNumber(const char* text, double low, double high, double* out) {
  char* end = nullptr;
  const double value = std::strtod(text, &end);
  if (end == text || *end != '\0' || !(value >= low && value <= high)) return false;
  *out = value;
  return true;
}

int Usage() {
  std::fprintf(stderr,
               "usage: vexil-synth [--bpm N] [--length SECONDS] [--seed N] "
               "OUT.ogg|OUT.flac|OUT.wav\n"
               "  --bpm N           tempo from 40 to 300 beats a minute (default 128)\n"
               "  --length SECONDS  cut the tune there, with a short fade (default: all 64 bars)\n"
               "  --seed N          another variation of the drums and risers, 0 to 65535\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  synth::SongOptions options;
  double length = 0.0;
  int i = 1;
  for (; i + 1 < argc && argv[i][0] == '-'; i += 2) {
    const std::string option = argv[i];
    double value = 0.0;
    if (option == "--bpm" && ReadNumber(argv[i + 1], 40.0, 300.0, &value)) {
      options.bpm = value;
    } else if (option == "--length" && ReadNumber(argv[i + 1], 0.1, 3600.0, &value)) {
      length = value;
    } else if (option == "--seed" && ReadNumber(argv[i + 1], 0.0, 65535.0, &value) &&
               value == std::floor(value)) {
      options.seed = static_cast<uint32_t>(value);
    } else {
      return Usage();
    }
  }
  if (i + 1 != argc || std::string(argv[i]).empty() || argv[i][0] == '-') return Usage();
  const std::string path = argv[i];
  int format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
  if (EndsWith(path, ".wav")) format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  if (EndsWith(path, ".flac")) format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;

  // Peak at -1.5 dBFS: Vorbis overshoots a little around transients.
  synth::SetSongOptions(options);
  synth::Mix mix = synth::RenderSong(0.84);
  if (length > 0.0) {
    const auto wanted = static_cast<size_t>(std::lround(length * synth::kRate));
    if (wanted > mix.left.size()) {
      std::fprintf(stderr, "vexil-synth: the tune lasts %.2f s at %g beats a minute\n",
                   static_cast<double>(mix.left.size()) / synth::kRate, options.bpm);
      return 2;
    }
    mix.left.resize(wanted);
    mix.right.resize(wanted);
    // A 50 ms fade, so the cut does not click.
    const size_t fade = std::min<size_t>(wanted, synth::kRate / 20);
    for (size_t k = 0; k < fade; ++k) {
      const auto gain = static_cast<float>(static_cast<double>(k) / fade);
      mix.left[wanted - 1 - k] *= gain;
      mix.right[wanted - 1 - k] *= gain;
    }
  }
  const long frames = static_cast<long>(mix.left.size());
  std::vector<float> interleaved(static_cast<size_t>(frames) * 2);
  double peak = 0.0, energy = 0.0;
  for (long f = 0; f < frames; ++f) {
    interleaved[2 * f] = mix.left[f];
    interleaved[2 * f + 1] = mix.right[f];
    peak = std::max({peak, std::fabs(static_cast<double>(mix.left[f])),
                     std::fabs(static_cast<double>(mix.right[f]))});
    energy += mix.left[f] * mix.left[f] + mix.right[f] * mix.right[f];
  }

  SF_INFO info{};
  info.samplerate = synth::kRate;
  info.channels = 2;
  info.format = format;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) {
    std::fprintf(stderr, "vexil-synth: cannot write %s: %s\n", path.c_str(), sf_strerror(nullptr));
    return 1;
  }
  if ((format & SF_FORMAT_SUBMASK) == SF_FORMAT_VORBIS) {
    double quality = 0.6;  // libsndfile's scale 0..1, about 160 kbit/s for this material
    sf_command(file, SFC_SET_VBR_ENCODING_QUALITY, &quality, sizeof(quality));
  }
  sf_set_string(file, SF_STR_TITLE, "Vexil Drive");
  sf_set_string(file, SF_STR_SOFTWARE, "vexil-synth");
  // Modest pieces: libvorbis, under libsndfile, fails on one write of a whole minute.
  constexpr long kChunk = 4096;
  sf_count_t written = 0;
  for (long at = 0; at < frames; at += kChunk) {
    const long n = std::min(kChunk, frames - at);
    written += sf_writef_float(file, interleaved.data() + 2 * at, n);
  }
  const int close_error = sf_close(file);
  if (written != frames || close_error != 0) {
    std::fprintf(stderr, "vexil-synth: writing %s failed\n", path.c_str());
    return 1;
  }
  if ((format & SF_FORMAT_SUBMASK) == SF_FORMAT_VORBIS && !synth::SetOggSerial(path, 0x56455849)) {
    std::fprintf(stderr, "vexil-synth: %s is not the Ogg file just written\n", path.c_str());
    return 1;
  }
  const double rms = std::sqrt(energy / (2.0 * frames));
  std::printf("%s: %.2f s, 44100 Hz stereo, peak %.1f dBFS, RMS %.1f dBFS\n", path.c_str(),
              static_cast<double>(frames) / synth::kRate, 20 * std::log10(peak),
              20 * std::log10(rms));
  return 0;
}
