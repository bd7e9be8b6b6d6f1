// The player's command line: options first, then "--" optionally, then the path words.
#include <gtest/gtest.h>

#include "command_line.h"

namespace vexil {
namespace {

PlayerOptions Parse(const std::vector<std::string>& args) {
  PlayerOptions options;
  std::string error;
  EXPECT_TRUE(ParseCommandLine(args, &options, &error)) << error;
  return options;
}

std::string ParseError(const std::vector<std::string>& args) {
  PlayerOptions options;
  std::string error;
  EXPECT_FALSE(ParseCommandLine(args, &options, &error));
  return error;
}

TEST(CommandLineTest, NoWordsPlayDemoGma) {
  const PlayerOptions options = Parse({});
  EXPECT_EQ(PlayerMode::kPlay, options.mode);
  EXPECT_EQ("demo.gma", options.script_path);
}

TEST(CommandLineTest, PathWordsAreJoinedWithSingleSpaces) {
  EXPECT_EQ("my demo.xml", Parse({"my", "demo.xml"}).script_path);
  EXPECT_EQ("a  b", Parse({"a", "", "b"}).script_path) << "empty words are kept";
  EXPECT_EQ("\"quoted.xml\"", Parse({"\"quoted.xml\""}).script_path) << "quotes are kept";
}

TEST(CommandLineTest, DoubleDashEndsTheOptions) {
  const PlayerOptions options = Parse({"--check", "--", "--help", "x.xml"});
  EXPECT_EQ(PlayerMode::kCheck, options.mode);
  EXPECT_EQ("--help x.xml", options.script_path);
  EXPECT_EQ("demo.gma", Parse({"--"}).script_path);
}

TEST(CommandLineTest, OptionsAfterThePathArePartOfThePath) {
  EXPECT_EQ("demo.xml --check", Parse({"demo.xml", "--check"}).script_path);
}

TEST(CommandLineTest, CaptureTakesFolderRateAndSpan) {
  const PlayerOptions options =
      Parse({"--capture", "out", "--fps", "30", "--from", "1500.5", "--to", "9000", "d.xml"});
  EXPECT_EQ(PlayerMode::kCapture, options.mode);
  EXPECT_EQ("out", options.capture_dir);
  EXPECT_EQ(30, options.fps);
  EXPECT_TRUE(options.has_from);
  EXPECT_DOUBLE_EQ(1500.5, options.from_ms);
  EXPECT_TRUE(options.has_to);
  EXPECT_DOUBLE_EQ(9000.0, options.to_ms);
  EXPECT_EQ("d.xml", options.script_path);
}

TEST(CommandLineTest, CaptureDefaultsToSixtyFramesOverTheWholeDemo) {
  const PlayerOptions options = Parse({"--capture", "out"});
  EXPECT_EQ(60, options.fps);
  EXPECT_FALSE(options.has_from);
  EXPECT_FALSE(options.has_to);
}

TEST(CommandLineTest, RenderOutputsGoTogetherInOneCapture) {
  const PlayerOptions options = Parse({"--video", "demo.webm", "--hashes", "golden.txt",
                                       "--capture", "png", "--size", "1280x720", "d.xml"});
  EXPECT_EQ(PlayerMode::kCapture, options.mode);
  EXPECT_EQ("demo.webm", options.video_path);
  EXPECT_EQ("golden.txt", options.hashes_path);
  EXPECT_EQ("png", options.capture_dir);
  EXPECT_TRUE(options.has_size);
  EXPECT_EQ(1280, options.width);
  EXPECT_EQ(720, options.height);
  EXPECT_EQ(PlayerMode::kCapture, Parse({"--verify", "golden.txt"}).mode);
  EXPECT_EQ(PlayerMode::kCapture, Parse({"--hashes", "new.txt", "--verify", "old.txt"}).mode);
  EXPECT_EQ(640, Parse({"--video", "v.mp4", "--size", "640X480"}).width) << "either x";
  EXPECT_TRUE(Parse({"--strict", "--hashes", "g.txt"}).strict);
  EXPECT_FALSE(Parse({"--hashes", "g.txt"}).strict);
}

TEST(CommandLineTest, RenderOutputsAreRefusedWithAReason) {
  for (const char* size :
       {"640", "640x", "x480", "0x480", "640x-1", "8193x100", "64.5x48", "axb", ""}) {
    EXPECT_NE(std::string::npos, ParseError({"--video", "v.mp4", "--size", size}).find("--size"))
        << size;
  }
  EXPECT_NE(std::string::npos, ParseError({"--video", "v.avi"}).find(".mp4"));
  EXPECT_NE(std::string::npos, ParseError({"--video", ""}).find("file name"));
  EXPECT_NE(std::string::npos, ParseError({"--hashes"}).find("needs a value"));
  EXPECT_NE(std::string::npos, ParseError({"--size", "64x48", "d.xml"}).find("only apply"));
  EXPECT_NE(std::string::npos, ParseError({"--strict", "d.xml"}).find("only applies"));
  EXPECT_NE(std::string::npos, ParseError({"--check", "--hashes", "h.txt"}).find("together"));
  EXPECT_NE(std::string::npos,
            ParseError({"--hashes", "g.txt", "--verify", "g.txt"}).find("overwrite"));
}

TEST(CommandLineTest, PiecesAreChosenByFramesOrByChunk) {
  PlayerOptions options = Parse({"--video", "p.mkv", "--frames", "3600-7199", "d.xml"});
  EXPECT_TRUE(options.has_frames);
  EXPECT_EQ(3600, options.first_frame);
  EXPECT_TRUE(options.has_last_frame);
  EXPECT_EQ(7199, options.last_frame);
  options = Parse({"--capture", "o", "--frames", "120-"});
  EXPECT_EQ(120, options.first_frame);
  EXPECT_FALSE(options.has_last_frame) << "to the end";
  options = Parse({"--hashes", "h.txt", "--chunk", "3/8", "--from", "1000"});
  EXPECT_TRUE(options.has_chunk);
  EXPECT_EQ(3, options.chunk_index);
  EXPECT_EQ(8, options.chunk_count);
  options = Parse({"--audio-only", "music.wav", "--fps", "30", "d.xml"});
  EXPECT_EQ(PlayerMode::kCapture, options.mode);
  EXPECT_EQ("music.wav", options.audio_only_path);

  for (const char* bad : {"5", "-5", "9-3", "a-b", "1.5-3", "1e3-", "3-4x", "+1-2"}) {
    EXPECT_NE(std::string::npos, ParseError({"--capture", "o", "--frames", bad}).find("--frames"))
        << bad;
  }
  for (const char* bad : {"4/4", "0/0", "1", "-1/4", "1/4/2", "x/4", "0/100001"}) {
    EXPECT_NE(std::string::npos, ParseError({"--capture", "o", "--chunk", bad}).find("--chunk"))
        << bad;
  }
  EXPECT_NE(std::string::npos,
            ParseError({"--capture", "o", "--frames", "1-2", "--chunk", "0/2"}).find("one of"));
  EXPECT_NE(std::string::npos, ParseError({"--frames", "1-2"}).find("only apply"));
  EXPECT_NE(std::string::npos,
            ParseError({"--verify", "g.txt", "--chunk", "0/2"}).find("from the manifest"));
  EXPECT_NE(std::string::npos,
            ParseError({"--audio-only", "m.wav", "--video", "v.mp4"}).find("apart"));
  EXPECT_NE(std::string::npos,
            ParseError({"--audio-only", "m.wav", "--chunk", "0/2"}).find("only apply"));
}

TEST(CommandLineTest, HelpAndVersionWinOverEverythingAfterThem) {
  EXPECT_EQ(PlayerMode::kHelp, Parse({"--help", "--bogus"}).mode);
  EXPECT_EQ(PlayerMode::kVersion, Parse({"--version"}).mode);
}

TEST(CommandLineTest, BadInputIsRefusedWithAReason) {
  EXPECT_NE(std::string::npos, ParseError({"--bogus"}).find("--bogus"));
  EXPECT_NE(std::string::npos, ParseError({"--capture"}).find("needs a value"));
  EXPECT_NE(std::string::npos, ParseError({"--capture", ""}).find("folder"));
  for (const char* fps : {"0", "-5", "2.5", "abc", "30fps", "", "1001"}) {
    EXPECT_NE(std::string::npos, ParseError({"--capture", "o", "--fps", fps}).find("--fps")) << fps;
  }
  EXPECT_NE(std::string::npos, ParseError({"--capture", "o", "--from", "x"}).find("--from"));
  // Times beyond the demo clock's range (whole milliseconds in 32 bits) would never advance.
  for (const char* far : {"-1e300", "1e300", "2147483648", "-2147483649", "1e400", "nan", "inf"}) {
    EXPECT_NE(std::string::npos, ParseError({"--capture", "o", "--from", far}).find("-2147483648"))
        << far;
    EXPECT_NE(std::string::npos, ParseError({"--capture", "o", "--to", far}).find("--to")) << far;
  }
  EXPECT_EQ(-2147483648.0, Parse({"--capture", "o", "--from", "-2147483648"}).from_ms);
  EXPECT_NE(std::string::npos,
            ParseError({"--capture", "o", "--from", "500", "--to", "100"}).find("earlier"));
  EXPECT_NE(std::string::npos, ParseError({"--fps", "30", "d.xml"}).find("--capture"));
  EXPECT_NE(std::string::npos, ParseError({"--check", "--capture", "o"}).find("together"));
}

TEST(CommandLineTest, EditStartAndAudioOffsetAreLiveOptions) {
  const PlayerOptions edit =
      Parse({"--edit", "--start", "12500.5", "--audio-offset", "-40", "d.xml"});
  EXPECT_EQ(PlayerMode::kEdit, edit.mode);
  EXPECT_TRUE(edit.has_start);
  EXPECT_DOUBLE_EQ(12500.5, edit.start_ms);
  EXPECT_EQ(-40, edit.audio_offset_ms);
  EXPECT_EQ("d.xml", edit.script_path);

  const PlayerOptions play = Parse({"--start", "3000"});
  EXPECT_EQ(PlayerMode::kPlay, play.mode) << "--start also works outside edit mode";
  EXPECT_EQ(0, play.audio_offset_ms);
  EXPECT_TRUE(Parse({"--capture", "o", "--start", "3000"}).has_start)
      << "a capture begins at the start time too";
}

TEST(CommandLineTest, LiveOptionsRefuseWhatTheyCannotMean) {
  for (const char* start : {"-1", "x", "", "1e999"}) {
    EXPECT_NE(std::string::npos, ParseError({"--start", start}).find("--start")) << start;
  }
  for (const char* offset : {"2.5", "10001", "-10001", "soon"}) {
    EXPECT_NE(std::string::npos, ParseError({"--audio-offset", offset}).find("--audio-offset"))
        << offset;
  }
  EXPECT_NE(std::string::npos,
            ParseError({"--capture", "o", "--audio-offset", "20"}).find("live playback"));
  EXPECT_NE(std::string::npos, ParseError({"--check", "--start", "20"}).find("--check"));
  EXPECT_NE(std::string::npos, ParseError({"--edit", "--capture", "o"}).find("together"));
  EXPECT_NE(std::string::npos, ParseError({"--edit", "--check"}).find("together"));
}

TEST(CommandLineTest, LoopIsForPlaybackAndQuietForChecks) {
  EXPECT_TRUE(Parse({"--loop", "d.xml"}).loop);
  EXPECT_FALSE(Parse({"d.xml"}).loop) << "off by default";
  EXPECT_TRUE(Parse({"--check", "--quiet", "d.xml"}).quiet);
  EXPECT_NE(std::string::npos, ParseError({"--loop", "--capture", "o"}).find("live playback"));
  EXPECT_NE(std::string::npos, ParseError({"--loop", "--check"}).find("live playback"));
  EXPECT_NE(std::string::npos, ParseError({"--loop", "--edit"}).find("I and O"));
  EXPECT_NE(std::string::npos, ParseError({"--quiet", "d.xml"}).find("--check"));
  const std::string help = UsageText();
  EXPECT_NE(std::string::npos, help.find("--loop"));
  EXPECT_NE(std::string::npos, help.find("--quiet"));
  EXPECT_NE(std::string::npos, help.find("  T              show or hide the timeline panel"));
}

TEST(CommandLineTest, HelpListsTheEditKeys) {
  const std::string help = UsageText();
  for (const char* word : {"--edit", "--start MS", "--audio-offset MS", "Pause", "Left, Right",
                           "Home", "Page Up/Down", "I, O, L", "Tab", "Escape"}) {
    EXPECT_NE(std::string::npos, help.find(word)) << word;
  }
}

}  // namespace
}  // namespace vexil
