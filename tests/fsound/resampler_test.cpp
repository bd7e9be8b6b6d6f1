// The resampler on its own: a step of many input frames per output frame (a source far faster
// than the mix) keeps every read inside the input it has, and the output count follows the
// rate ratio exactly whatever the block sizes.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "fsound/resampler.h"

namespace {

using vexil::fsound::Resampler;

// Feeds `total` frames of a ramp in blocks of `block`, pulling after each; returns the frames
// produced once the input is finished and drained.
long ResampleRamp(int in_rate, int out_rate, long total, int block) {
  Resampler resampler(in_rate, out_rate);
  std::vector<float> in(static_cast<size_t>(block) * 2);
  std::vector<float> out(4096 * 2);
  long produced = 0;
  for (long done = 0; done < total; done += block) {
    const int frames = static_cast<int>(std::min<long>(block, total - done));
    for (int i = 0; i < frames; ++i)
      in[2 * i] = in[2 * i + 1] = static_cast<float>(done + i) / total;
    resampler.Push(in.data(), frames);
    for (int got; (got = resampler.Pull(out.data(), 4096)) > 0;) produced += got;
  }
  resampler.Finish();
  for (int got; (got = resampler.Pull(out.data(), 4096)) > 0;) produced += got;
  EXPECT_TRUE(resampler.Drained());
  return produced;
}

TEST(Resampler, ASourceManyTimesFasterThanTheMixStaysInsideItsInput) {
  // A header claiming millions of hertz: about 70 input frames per output frame, more than a
  // pushed block holds.
  for (int block : {1, 7, 64, 1000}) {
    SCOPED_TRACE(block);
    const long produced = ResampleRamp(3000000, 44100, 300000, block);
    EXPECT_NEAR(300000.0 * 44100 / 3000000, produced, 2.0);
  }
}

TEST(Resampler, OutputLengthFollowsTheRateRatio) {
  for (int in_rate : {8000, 22050, 48000, 96000, 384000}) {
    SCOPED_TRACE(in_rate);
    const long produced = ResampleRamp(in_rate, 44100, in_rate, 333);
    EXPECT_NEAR(44100, produced, 2.0) << "one second in, one second out";
  }
}

}  // namespace
