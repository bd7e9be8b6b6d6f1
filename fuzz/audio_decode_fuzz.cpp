// libFuzzer target for the sound layer's decoder: any bytes as a music file (WAV, FLAC, Ogg
// Vorbis, AIFF and what else libsndfile reads) or, by the first byte, as headerless PCM; then
// reads at the mix rate through the resampler, a seek and a looping read, as a stream does.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "byte_source.h"
#include "decoder.h"
#include "fsound/fsound.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  // The first byte picks the open mode and the mix rate; the rest is the file.
  const uint8_t control = data[0];
  unsigned mode = FSOUND_16BITS | FSOUND_SIGNED;
  if (control & 1) mode |= FSOUND_LOADRAW;
  if (control & 2) mode |= FSOUND_STEREO;
  if (control & 4) mode = (mode & ~FSOUND_16BITS) | FSOUND_8BITS;
  if (control & 8) mode |= FSOUND_UNSIGNED;
  static const int kMixRates[4] = {44100, 48000, 22050, 8000};
  const int mixRate = kMixRates[(control >> 4) & 3];
  const bool loop = (control & 0x40) != 0;

  int error = 0;
  auto source = vexil::fsound::MakeMemorySource(data + 1, static_cast<int64_t>(size - 1));
  if (!source) return 0;
  auto decoder = vexil::fsound::Decoder::Open(std::move(source), mode, mixRate, &error);
  if (!decoder) {
    if (error == 0) __builtin_trap();  // a refusal always has a code
    return 0;
  }
  std::vector<float> out(2 * 512);
  bool ended = false;
  // A few blocks from the start, then from a seek into the middle, looping or not: enough to
  // pass through the decoder's and the resampler's buffers more than once.
  for (int block = 0; block < 4 && !ended; ++block) decoder->Read(out.data(), 512, false, &ended);
  decoder->Seek(decoder->SourceFrames() / 2);
  ended = false;
  for (int block = 0; block < 4 && !ended; ++block) decoder->Read(out.data(), 512, loop, &ended);
  return 0;
}
