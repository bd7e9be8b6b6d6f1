// Rendering in pieces and joining them: scripts/parallel-render.sh renders a stretch of the
// bundled demo in four pieces with GNU parallel on this machine, and the joined video and
// manifest must be the whole render's: every frame once, starting together with the music,
// the music sample for sample, and the manifest line for line.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/scratch_dir.h"
#include "video_probe.h"

namespace {

using vexil::test::ReadFile;
using vexil::test::RunProgram;
using vexil::test::RunResult;

// 3 s at 10 fps: frames 0 to 30.
constexpr int kFrames = 31;
const std::vector<std::string> kRender = {"--fps",  "10", "--size", "96x72",
                                          "--from", "0",  "--to",   "3000"};

std::vector<int16_t> WavLeft(const std::string& wav) {
  std::vector<int16_t> left;
  for (size_t i = 44; i + 3 < wav.size(); i += 4) {
    left.push_back(static_cast<int16_t>(static_cast<uint8_t>(wav[i]) |
                                        (static_cast<uint8_t>(wav[i + 1]) << 8)));
  }
  return left;
}

class FarmRenderTest : public ::testing::Test {
 protected:
  RunResult Player(std::vector<std::string> args) const {
    args.insert(args.end(), kRender.begin(), kRender.end());
    args.push_back("demo.gma");
    return vexil::test::RunPlayer(args, VEXIL_DEMO_DIR, Limits());
  }
  static vexil::test::RunLimits Limits() {
    vexil::test::RunLimits limits;
    limits.seconds = 240;
    return limits;
  }
  std::string Path(const std::string& name) const { return scratch_.File(name); }

  vexil::test::ScratchDir scratch_;
};

TEST_F(FarmRenderTest, FourPiecesJoinIntoTheWholeRender) {
  std::vector<std::string> args = {VEXIL_SOURCE_DIR "/scripts/parallel-render.sh",
                                   "--pieces",
                                   "4",
                                   "--jobs",
                                   "2",
                                   "--fps",
                                   "10",
                                   "--size",
                                   "96x72",
                                   "--video",
                                   "joined.mkv",
                                   "--bin",
                                   VEXIL_BIN_DIR,
                                   VEXIL_DEMO_DIR "/demo.gma",
                                   Path("out"),
                                   "--",
                                   "--from",
                                   "0",
                                   "--to",
                                   "3000"};
  const RunResult farm = RunProgram("/bin/bash", args, scratch_.path(), Limits());
  ASSERT_EQ(0, farm.status) << farm.out << farm.err;

  const RunResult whole = Player({"--hashes", Path("whole.txt"), "--capture", Path("whole")});
  ASSERT_EQ(0, whole.status) << whole.err;
  EXPECT_EQ(ReadFile(Path("whole.txt")), ReadFile(Path("out/hashes.txt")))
      << "the joined manifest is the whole render's, line for line";
  const std::string music = ReadFile(Path("whole/audio.wav"));
  EXPECT_EQ(music, ReadFile(Path("out/music.wav"))) << "--audio-only is the whole render's music";

  vexil_e2e::DecodedVideo video;
  std::string error;
  ASSERT_TRUE(vexil_e2e::DecodeVideoFile(Path("out/joined.mkv"), {}, 0, &video, &error)) << error;
  EXPECT_EQ("h264", video.video_codec);
  EXPECT_EQ("flac", video.audio_codec);
  EXPECT_EQ(kFrames, video.frames) << "every frame of every piece, once";
  EXPECT_NEAR(kFrames / 10.0, video.duration, 0.05);
  EXPECT_DOUBLE_EQ(0.0, video.video_start);
  EXPECT_DOUBLE_EQ(0.0, video.audio_start);
  // FLAC keeps the samples exactly: the music in the video is the whole render's.
  const std::vector<int16_t> left = WavLeft(music);
  ASSERT_EQ(left.size(), video.left.size());
  size_t differing = 0;
  for (size_t i = 0; i < left.size(); ++i) {
    if (video.left[i] != left[i] / 32768.0f) ++differing;
  }
  EXPECT_EQ(0u, differing) << "of " << left.size() << " samples";
}

// Pieces in the other two containers --video writes join into a file of their own kind that
// decodes to every frame once, with the music from the start.
TEST_F(FarmRenderTest, PiecesJoinIntoMp4AndWebm) {
  ASSERT_EQ(0, Player({"--audio-only", Path("music.wav")}).status);
  const std::string join = vexil::test::BuiltProgram("vexil-join");
  for (const std::string kind : {"mp4", "webm"}) {
    std::vector<std::string> joinArgs = {Path("joined." + kind)};
    for (const char* chunk : {"0/2", "1/2"}) {
      const std::string part = Path(std::string("p") + chunk[0] + "." + kind);
      ASSERT_EQ(0, Player({"--video", part, "--chunk", chunk}).status) << kind;
      joinArgs.push_back(part);
    }
    joinArgs.insert(joinArgs.end(), {"--audio", Path("music.wav")});
    const RunResult joined = RunProgram(join, joinArgs, scratch_.path(), Limits());
    ASSERT_EQ(0, joined.status) << kind << ": " << joined.err;

    vexil_e2e::DecodedVideo video;
    std::string error;
    ASSERT_TRUE(
        vexil_e2e::DecodeVideoFile(Path("joined." + kind), {0, kFrames - 1}, 0, &video, &error))
        << kind << ": " << error;
    EXPECT_EQ(kind == "mp4" ? "h264" : "vp9", video.video_codec);
    EXPECT_EQ(kind == "mp4" ? "aac" : "opus", video.audio_codec);
    EXPECT_EQ(kFrames, video.frames) << kind << ": every frame of both pieces, once";
    EXPECT_EQ(2u, video.kept.size()) << kind;
    EXPECT_NEAR(kFrames / 10.0, video.duration, 0.1) << kind;
    EXPECT_DOUBLE_EQ(0.0, video.video_start) << kind;
    EXPECT_NEAR(0.0, video.audio_start, 0.03) << kind << ": the music starts with the pictures";
    EXPECT_GT(video.left.size(), 0u) << kind;
  }
}

TEST_F(FarmRenderTest, JoinRefusesGapsOverlapsAndMismatches) {
  for (const char* chunk : {"0/3", "1/3", "2/3"}) {
    const std::string k(1, chunk[0]);
    ASSERT_EQ(0, Player({"--video", Path("p" + k + ".mkv"), "--hashes", Path("p" + k + ".txt"),
                         "--chunk", chunk})
                     .status);
  }
  ASSERT_EQ(0, Player({"--audio-only", Path("music.wav")}).status);
  ASSERT_EQ(0,
            vexil::test::RunPlayer({"--video", Path("small.mkv"), "--chunk", "1/3", "--fps", "10",
                                    "--size", "64x48", "--from", "0", "--to", "3000", "demo.gma"},
                                   VEXIL_DEMO_DIR, Limits())
                .status);
  const std::string join = vexil::test::BuiltProgram("vexil-join");
  auto run = [&](std::vector<std::string> args) {
    return RunProgram(join, args, scratch_.path(), Limits());
  };
  RunResult r = run({Path("j.mkv"), Path("p0.mkv"), Path("p2.mkv"), "--audio", Path("music.wav")});
  EXPECT_EQ(1, r.status);
  EXPECT_NE(std::string::npos, r.err.find("are missing")) << r.err;
  r = run({Path("j.mkv"), Path("p0.mkv"), Path("p1.mkv"), Path("p1.mkv"), "--audio",
           Path("music.wav")});
  EXPECT_EQ(1, r.status);
  EXPECT_NE(std::string::npos, r.err.find("in both")) << r.err;
  r = run({Path("j.mkv"), Path("p0.mkv"), Path("small.mkv"), Path("p2.mkv"), "--audio",
           Path("music.wav")});
  EXPECT_EQ(1, r.status);
  EXPECT_NE(std::string::npos, r.err.find("not of the same format")) << r.err;
  r = run({Path("j.mkv"), Path("p0.mkv"), Path("p1.mkv"), "--audio", Path("music.wav")});
  EXPECT_EQ(1, r.status) << "the music lasts longer than two pieces";
  EXPECT_NE(std::string::npos, r.err.find("need")) << r.err;
  r = run({"--hashes", Path("j.txt"), Path("p1.txt"), Path("p0.txt"), Path("p2.txt"), "--audio",
           Path("music.wav")});
  EXPECT_EQ(1, r.status);
  EXPECT_NE(std::string::npos, r.err.find("in two pieces")) << r.err;
  EXPECT_FALSE(std::filesystem::exists(Path("j.mkv")));
  EXPECT_FALSE(std::filesystem::exists(Path("j.txt")));

  // A piece's manifest verifies that piece alone.
  RunResult verify =
      vexil::test::RunPlayer({"--verify", Path("p1.txt"), "demo.gma"}, VEXIL_DEMO_DIR, Limits());
  EXPECT_EQ(0, verify.status) << verify.out << verify.err;
  EXPECT_NE(std::string::npos, verify.out.find("all 10 frames")) << verify.out;
}

}  // namespace
