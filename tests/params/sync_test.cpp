// Musical time: beat keys, sync track evaluation, the track file formats and the parameters
// that read tracks.
#include <stdlib.h>
#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "paramtesting.h"

namespace {

class Sync : public ParamTest {
 protected:
  void SetUp() override {
    ParamTest::SetUp();
    m_manager.SetReporter(
        [this](const CScriptFinding& finding) { m_reports.push_back(finding.Printed()); });
    char folder[] = "/tmp/vexil-sync-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(folder));
    m_folder = folder;
    m_manager.SetScriptFolder(m_folder);
  }
  void TearDown() override { std::filesystem::remove_all(m_folder); }

  void WriteFile(const std::string& name, const std::string& bytes) {
    std::ofstream(m_folder + "/" + name, std::ios::binary) << bytes;
  }
  void WriteTrack(const std::string& name, const std::vector<SyncKey>& keys) {
    CSyncTrack track;
    track.SetKeys(keys);
    WriteFile(SyncTrackFileName("sync", name), EncodeSyncTrackFile(track));
  }
  bool Reported(const std::string& part) const {
    for (const std::string& line : m_reports) {
      if (line.find(part) != std::string::npos) return true;
    }
    return false;
  }

  std::string m_folder;
  std::vector<std::string> m_reports;
};

TEST(SyncTrack, EvaluatesEveryInterpolationTypeAtBetweenAndBeyondKeys) {
  CSyncTrack track;
  EXPECT_EQ(0.0, track.Evaluate(5.0)) << "a track without keys reads 0";
  track.SetKeys({{10, 1.0f, 0}, {20, 3.0f, 1}, {30, 5.0f, 2}, {40, 1.0f, 3}, {50, 9.0f, 1}});
  EXPECT_EQ(1.0, track.Evaluate(-3.0)) << "before the first key";
  EXPECT_EQ(9.0, track.Evaluate(1e9)) << "after the last key";
  EXPECT_EQ(1.0, track.Evaluate(10.0));
  EXPECT_EQ(1.0, track.Evaluate(19.99)) << "step holds";
  EXPECT_EQ(3.0, track.Evaluate(20.0));
  EXPECT_DOUBLE_EQ(3.5, track.Evaluate(22.5)) << "linear";
  EXPECT_DOUBLE_EQ(5.0 + (1.0 - 5.0) * (0.0625 * (3.0 - 0.5)), track.Evaluate(32.5)) << "smooth";
  EXPECT_DOUBLE_EQ(1.0 + 8.0 * 0.25, track.Evaluate(45.0)) << "ramp: t squared";
  EXPECT_EQ(9.0, track.Evaluate(50.0));
}

TEST(SyncTrack, KeysStaySortedAndOnePerRow) {
  CSyncTrack track;
  track.SetKeys({{5, 1.0f, 0}, {1, 2.0f, 0}, {5, 3.0f, 0}});
  ASSERT_EQ(2u, track.GetKeys().size());
  EXPECT_EQ(1, track.GetKeys()[0].row);
  EXPECT_EQ(3.0f, track.GetKeys()[1].value) << "the later key on a row wins";
  track.SetKey({3, 7.0f, 1});
  track.SetKey({5, 8.0f, 1});
  track.DeleteKey(1);
  track.DeleteKey(99);
  ASSERT_EQ(2u, track.GetKeys().size());
  EXPECT_EQ(3, track.GetKeys()[0].row);
  EXPECT_EQ(8.0f, track.GetKeys()[1].value);
}

TEST(SyncTrack, NamesAreEncodedForFileNames) {
  EXPECT_EQ("cam.pos/x_1", EncodeSyncTrackName("cam.pos/x_1"));
  EXPECT_EQ("a-20b-3A-C3-A9", EncodeSyncTrackName("a b:\xC3\xA9"));
  EXPECT_EQ("music/sync_fade-2D1.track", SyncTrackFileName("music/sync", "fade-1"));
}

TEST(SyncTrack, FilesRoundTripAndMalformedOnesAreRefused) {
  CSyncTrack track;
  track.SetKeys({{0, 0.5f, 1}, {16, -2.25f, 3}, {2000000, 1e30f, 0}});
  const std::string bytes = EncodeSyncTrackFile(track);
  ASSERT_EQ(4u + 27u, bytes.size());
  EXPECT_EQ(std::string("\x03\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x3F\x01", 13),
            bytes.substr(0, 13))
      << "little-endian count, row, float bits, type";
  std::vector<SyncKey> keys;
  std::string error;
  ASSERT_TRUE(DecodeSyncTrackFile(bytes, &keys, &error)) << error;
  ASSERT_EQ(3u, keys.size());
  EXPECT_EQ(16, keys[1].row);
  EXPECT_EQ(-2.25f, keys[1].value);
  EXPECT_EQ(3, keys[1].type);

  EXPECT_TRUE(DecodeSyncTrackFile(std::string(4, '\0'), &keys, &error)) << "no keys is fine";
  EXPECT_FALSE(DecodeSyncTrackFile("", &keys, &error));
  EXPECT_FALSE(DecodeSyncTrackFile(bytes.substr(0, bytes.size() - 1), &keys, &error));
  EXPECT_FALSE(DecodeSyncTrackFile(bytes + "x", &keys, &error)) << "trailing bytes";
  EXPECT_FALSE(DecodeSyncTrackFile(std::string("\xFF\xFF\xFF\xFF", 4), &keys, &error))
      << "a huge count is refused before anything is reserved";
  std::string badType = bytes;
  badType[12] = 4;
  EXPECT_FALSE(DecodeSyncTrackFile(badType, &keys, &error));
  std::string nan = bytes;
  nan.replace(8, 4, std::string("\x00\x00\xC0\x7F", 4));
  EXPECT_FALSE(DecodeSyncTrackFile(nan, &keys, &error));
  std::string negative = bytes;
  negative.replace(4, 4, std::string("\xFF\xFF\xFF\xFF", 4));
  EXPECT_FALSE(DecodeSyncTrackFile(negative, &keys, &error));
  EXPECT_TRUE(keys.empty()) << "a refused file gives no keys";
}

TEST(SyncTrack, ProjectFilesAreRead) {
  std::map<std::string, std::vector<SyncKey>> tracks;
  std::string error;
  ASSERT_TRUE(ParseSyncProject(
      "<sync rows=\"128\"><tracks><track name=\"fade\"><key row=\"0\" value=\"1.5\" "
      "interpolation=\"2\"/><key row=\"8\" value=\"0\" interpolation=\"0\"/></track>"
      "<track name=\"empty\"/></tracks></sync>",
      &tracks, &error))
      << error;
  ASSERT_EQ(2u, tracks["fade"].size());
  EXPECT_EQ(1.5f, tracks["fade"][0].value);
  EXPECT_EQ(2, tracks["fade"][0].type);
  EXPECT_TRUE(tracks["empty"].empty());
  EXPECT_FALSE(ParseSyncProject("<other/>", &tracks, &error));
  EXPECT_FALSE(
      ParseSyncProject("<sync><tracks><track name=\"a\"><key row=\"-1\" value=\"0\" "
                       "interpolation=\"0\"/></track></tracks></sync>",
                       &tracks, &error));
  EXPECT_FALSE(
      ParseSyncProject("<sync><tracks><track name=\"a\"><key row=\"1\" value=\"nan\" "
                       "interpolation=\"0\"/></track></tracks></sync>",
                       &tracks, &error));
}

TEST_F(Sync, BeatKeysAreDemoTimeAtTheTempo) {
  m_manager.GetSync().SetMusic(true, 140.0, 8);
  auto value = Bind<CValueFloat>("linearfloat",
                                 "<key beat=\"0\" value=\"0\"/><key beat=\"3.5\" value=\"1\"/>"
                                 "<key time=\"3000\" value=\"2\"/>");
  const auto& keys = dynamic_cast<const CParamVar*>(value->v.GetBoundParam())->GetKeys();
  ASSERT_EQ(3, keys.GetCount());
  EXPECT_EQ(static_cast<float>(3.5 * 60000.0 / 140.0), keys.Get(1)->GetTime());
  EXPECT_EQ(3000.0f, keys.Get(2)->GetTime()) << "time and beat keys mix";
  EXPECT_TRUE(m_reports.empty());
}

class CBeatModule : public CModule {
 public:
  CBeatModule() { AddValue(&v, "v"); }
  CValueFloat v;
};

TEST_F(Sync, BeatsAndRowsOfAModuleCountFromDemoTimeZero) {
  m_manager.GetSync().SetMusic(true, 120.0, 2);  // a row every 250 ms
  WriteTrack("t", {{0, 0.0f, 1}, {16, 16.0f, 0}});
  CBeatModule module;
  module.SetStart(1000.0f);
  ParseElement(&module,
               "<m><param name=\"v\" type=\"squarefloat\"><key beat=\"4\" value=\"1\"/>"
               "</param></m>");
  const auto& keys = dynamic_cast<const CParamVar*>(module.v.GetBoundParam())->GetKeys();
  EXPECT_EQ(1000.0f, keys.Get(0)->GetTime()) << "beat 4 is 2000 ms, 1000 ms into the module";

  CBeatModule tracked;
  tracked.SetStart(1000.0f);
  ParseElement(&tracked, "<m><param name=\"v\" type=\"syncfloat\" track=\"t\"/></m>");
  EXPECT_FLOAT_EQ(6.0f, tracked.v[500.0f]) << "module time 500 is demo time 1500: row 6";
}

TEST_F(Sync, ProblemsWithTheTempoAreFindings) {
  auto value = Bind<CValueFloat>("linearfloat", "<key beat=\"2\" value=\"1\"/>");
  EXPECT_TRUE(Reported("no usable \"bpm\""));
  m_reports.clear();
  m_manager.GetSync().SetMusic(true, std::nan(""), 8);
  EXPECT_FALSE(m_manager.GetSync().HasBpm());
  auto other = Bind<CValueFloat>("syncfloat", "", "track=\"t\"");
  EXPECT_TRUE(Reported("\"bpm\" is not a finite number above 0"));
  EXPECT_TRUE(Reported("reads track \"t\" but the script sets no usable \"bpm\""));
  EXPECT_EQ(0.0f, other->v[1000.0f]);
  m_manager.GetSync().SetMusic(true, -5.0, 8);
  EXPECT_FALSE(m_manager.GetSync().HasBpm());
}

TEST_F(Sync, TrackParametersReadTheirFilesAtTheRow) {
  m_manager.GetSync().SetMusic(true, 120.0, 4);  // 8 rows a second
  WriteTrack("level", {{0, 0.0f, 1}, {8, 10.0f, 0}});
  auto value = Bind<CValueFloat>("syncfloat", "", "track=\"level\"");
  EXPECT_TRUE(m_reports.empty()) << m_reports.front();
  EXPECT_FLOAT_EQ(0.0f, value->v[0.0f]);
  EXPECT_FLOAT_EQ(5.0f, value->v[500.0f]) << "row 4 of 8";
  EXPECT_FLOAT_EQ(10.0f, value->v[7000.0f]);

  auto count = Bind<CValueLong>("synclong", "", "track=\"level\"");
  EXPECT_EQ(3, count->v[312.5f]) << "row 2.5: 3.125 rounds to 3";
  EXPECT_EQ(4, count->v[350.0f]) << "row 2.8: 3.5 rounds away from zero";

  WriteTrack("tint.r", {{0, 2.0f, 0}});
  WriteTrack("tint.g", {{0, 0.5f, 0}});
  WriteTrack("tint.b", {{0, -1.0f, 0}});
  auto colour = Bind<CValueColor>("synccolor", "", "track=\"tint\"");
  EXPECT_EQ(0xFFFF8000u, colour->v[0.0f]) << "clamped channels, alpha 1 without keys";
  EXPECT_TRUE(Reported("sync_tint.a.track")) << "the missing alpha file is a finding";

  WriteTrack("p.x", {{0, 1.0f, 0}});
  WriteTrack("p.z", {{0, 3.0f, 0}});
  auto vector = Bind<CValueVec3>("syncvec3", "", "track=\"p\"");
  const D3DXVECTOR3 read = vector->v[0.0f];
  EXPECT_EQ(1.0f, read.x);
  EXPECT_EQ(0.0f, read.y);
  EXPECT_EQ(3.0f, read.z);

  auto refused = Bind<CValueFloat>("syncvec2", "", "track=\"p\"");
  EXPECT_EQ(nullptr, refused->v.GetBoundParam()) << "a vector track does not feed a float";
}

TEST_F(Sync, MalformedTrackFilesReadAsEmpty) {
  m_manager.GetSync().SetMusic(true, 120.0, 8);
  WriteFile("sync_bad.track", "\x05\x00");
  auto value = Bind<CValueFloat>("syncfloat", "", "track=\"bad\"");
  EXPECT_TRUE(Reported("sync_bad.track\": shorter than"));
  EXPECT_EQ(0.0f, value->v[1000.0f]);
}

TEST_F(Sync, ATrackFileThatIsNoRegularFileIsNotWaitedFor) {
  m_manager.GetSync().SetMusic(true, 120.0, 8);
  ASSERT_EQ(0, mkfifo((m_folder + "/sync_pipe.track").c_str(), 0600));
  auto value = Bind<CValueFloat>("syncfloat", "", "track=\"pipe\"");
  EXPECT_TRUE(Reported("not a regular file")) << (m_reports.empty() ? "" : m_reports[0]);
  EXPECT_EQ(0.0f, value->v[0.0f]);
}

TEST_F(Sync, ProjectFilesMayBeNamedInstead) {
  m_manager.GetSync().SetMusic(true, 60.0, 1);  // one row a second
  m_manager.GetSync().SetTrackSource("song.rocket");
  WriteFile("song.rocket",
            "<sync rows=\"64\"><tracks><track name=\"a\"><key row=\"0\" value=\"0\" "
            "interpolation=\"1\"/><key row=\"2\" value=\"4\" interpolation=\"0\"/></track>"
            "</tracks></sync>");
  auto value = Bind<CValueFloat>("syncfloat", "", "track=\"a\"");
  EXPECT_FLOAT_EQ(2.0f, value->v[1000.0f]);
  auto missing = Bind<CValueFloat>("syncfloat", "", "track=\"b\"");
  EXPECT_TRUE(Reported("has no track \"b\""));
}

}  // namespace
