// Golden-render manifests: the text form read back as written, damaged manifests refused with
// their line, and the music's hash independent of how the render cut it into spans.
#include <gtest/gtest.h>

#include <vector>

#include "capture/frame_hash.h"

namespace vexil {
namespace {

HashManifest SampleManifest() {
  HashManifest manifest;
  manifest.width = 640;
  manifest.height = 360;
  manifest.fps = 30;
  manifest.first_ms = 1500.5;
  manifest.has_last = true;
  manifest.last_ms = 1600.0;
  const uint8_t pixels[] = {1, 2, 3, 4, 5, 6};
  for (int64_t k = 0; k < 4; ++k) {
    manifest.frames.push_back({k, 1500.5 + k * 100.0 / 3.0, HashBytes(pixels, 3 + k)});
  }
  manifest.audio_rate = 44100;
  manifest.audio_frames = 5880;
  manifest.audio = Hash128{0x0123456789abcdefull, 0xfedcba9876543210ull};
  return manifest;
}

TEST(FrameHashTest, AManifestReadsBackAsItWasWritten) {
  const HashManifest written = SampleManifest();
  HashManifest read;
  std::string error;
  ASSERT_TRUE(ParseManifest(ManifestText(written), &read, &error)) << error;
  EXPECT_EQ(640, read.width);
  EXPECT_EQ(360, read.height);
  EXPECT_EQ(30, read.fps);
  EXPECT_EQ(1500.5, read.first_ms) << "the start is kept exactly, not rounded";
  EXPECT_TRUE(read.has_last);
  EXPECT_EQ(1600.0, read.last_ms);
  ASSERT_EQ(4u, read.frames.size());
  for (size_t k = 0; k < 4; ++k) {
    EXPECT_EQ(written.frames[k].hash, read.frames[k].hash) << "frame " << k;
    EXPECT_NEAR(written.frames[k].time_ms, read.frames[k].time_ms, 0.0005);
  }
  EXPECT_EQ(44100, read.audio_rate);
  EXPECT_EQ(5880, read.audio_frames);
  EXPECT_EQ("0123456789abcdeffedcba9876543210", read.audio.Hex());
}

TEST(FrameHashTest, AManifestWithoutAnEndReadsBackWithoutOne) {
  HashManifest written = SampleManifest();
  written.has_last = false;
  HashManifest read;
  std::string error;
  ASSERT_TRUE(ParseManifest(ManifestText(written), &read, &error)) << error;
  EXPECT_FALSE(read.has_last);
}

TEST(FrameHashTest, DamagedManifestsAreRefusedWithTheirLine) {
  const std::string good = ManifestText(SampleManifest());
  struct Case {
    std::string from, to, expected;
  };
  const std::vector<Case> cases = {
      {"hash xxh3-128", "hash md5", "line 3"},
      {"size 640x360", "size 640", "line 4"},
      {"fps 30", "fps thirty", "line 5"},
      {"frame 1 ", "frame 2 ", "out of order"},
      {"5880 ", "-5880 ", "audio"},
      {"frame 3 1600.500 ", "frame 3 1600ms ", "line 11"},
      {"fps 30", "speed 30", "unknown entry \"speed\""},
      {"from 1500.5\n", "from nan\n", "from needs a time"},
      {"to 1600\n", "to 1e300\n", "to needs a time"},
      {"frame 1 ", "frame 9000000000000 ", "more frames than a render makes"},
      {"fps 30\n", "fps 30\nframes 0-9\n", "ends at frame 3 instead of frame 9"},
      {"fps 30\n", "fps 30\nframes 2-3\n", "expected frame 2"},
      {"fps 30\n", "fps 30\nframes 3-2\n", "FIRST-LAST"},
  };
  for (const Case& c : cases) {
    std::string text = good;
    const size_t at = text.find(c.from);
    ASSERT_NE(std::string::npos, at) << c.from;
    text.replace(at, c.from.size(), c.to);
    HashManifest read;
    std::string error;
    EXPECT_FALSE(ParseManifest(text, &read, &error)) << c.to;
    EXPECT_NE(std::string::npos, error.find(c.expected)) << c.to << ": " << error;
  }
  HashManifest read;
  std::string error;
  EXPECT_FALSE(ParseManifest("", &read, &error));
  EXPECT_NE(std::string::npos, error.find("not a vexil hash manifest")) << error;
  EXPECT_FALSE(ParseManifest("hash xxh3-128\nsize 2x2\nfps 1\nfrom 0\n", &read, &error));
  EXPECT_NE(std::string::npos, error.find("audio")) << error;
  // Complete but empty: it would match any script.
  HashManifest empty = SampleManifest();
  empty.frames.clear();
  EXPECT_FALSE(ParseManifest(ManifestText(empty), &read, &error));
  EXPECT_NE(error.find("no frame"), std::string::npos) << error;
}

TEST(FrameHashTest, APieceKeepsTheNumbersOfItsFramesInTheWholeRender) {
  HashManifest piece = SampleManifest();
  piece.piece = true;
  for (ManifestFrame& frame : piece.frames) frame.index += 40;
  piece.first_index = piece.frames.front().index;
  piece.last_index = piece.frames.back().index;
  const std::string text = ManifestText(piece);
  EXPECT_NE(std::string::npos, text.find("\nframes 40-43\nreplay 0\nframe 40 ")) << text;
  HashManifest read;
  std::string error;
  ASSERT_TRUE(ParseManifest(text, &read, &error)) << error;
  EXPECT_TRUE(read.piece);
  EXPECT_EQ(40, read.first_index);
  EXPECT_EQ(43, read.last_index);
  EXPECT_EQ(text, ManifestText(read));

  // Without "frames" (a render that starts later with --from) the numbers only follow on.
  HashManifest later = piece;
  later.piece = false;
  ASSERT_TRUE(ParseManifest(ManifestText(later), &read, &error)) << error;
  EXPECT_FALSE(read.piece);
  EXPECT_EQ(40, read.first_index);
  EXPECT_EQ(ManifestText(later), ManifestText(read));
}

TEST(FrameHashTest, HashesAreThirtyTwoHexDigitsAndNothingElseReads) {
  Hash128 hash;
  EXPECT_TRUE(Hash128::FromHex("00000000000000010000000000000002", &hash));
  EXPECT_EQ(1u, hash.high);
  EXPECT_EQ(2u, hash.low);
  for (const char* bad : {"", "0000000000000001000000000000000", "0000000000000001000000000000000g",
                          "0000000000000001000000000000000A"}) {
    EXPECT_FALSE(Hash128::FromHex(bad, &hash)) << bad;
  }
}

TEST(FrameHashTest, TheMusicHashDoesNotDependOnHowTheRenderCutItIntoSpans) {
  std::vector<int16_t> samples(2 * 1000);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<int16_t>(i * 37 - 9000);
  AudioHasher whole;
  whole.Add(samples.data(), 1000);
  AudioHasher spans;
  for (int start = 0; start < 1000; start += 147) {
    spans.Add(samples.data() + start * 2, std::min(147, 1000 - start));
  }
  EXPECT_EQ(1000, spans.frames());
  EXPECT_EQ(whole.Digest(), spans.Digest());
  EXPECT_EQ(HashBytes(reinterpret_cast<const uint8_t*>(samples.data()), samples.size() * 2),
            whole.Digest())
      << "the hash of the samples as little-endian bytes";
}

}  // namespace
}  // namespace vexil
