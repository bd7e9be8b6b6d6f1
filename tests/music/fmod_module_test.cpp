// The music module against a scripted fake sound library: starting it with retries, the failure
// message, opening the stream from a file or a raw resource, and seeking to the module's time.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "effect_world.h"
#include "modules/fmod_module.h"
#include "resources/raw_resource.h"

namespace {

// Records every call; Init fails `initFailures` times before it succeeds.
class FakeSound : public effects::CSoundApi {
 public:
  struct Open {
    const char* nameOrData;
    std::string name;  // the text for paths; empty for memory blocks
    unsigned mode;
    int offset;
    int length;
  };

  float version = 3.75f;
  int initFailures = 0;
  int error = 0;
  bool openFails = false;

  int initCalls = 0;
  std::vector<int> sleeps;
  std::vector<Open> opens;
  std::vector<std::string> streamCalls;  // "settime 2500", "play 0", "stop", "close"
  int closeCalls = 0;

  float GetVersion() override { return version; }
  bool Init(int mixRate, int channels, unsigned flags) override {
    ++initCalls;
    EXPECT_EQ(44100, mixRate);
    EXPECT_EQ(32, channels);
    EXPECT_EQ(2u, flags);
    return initCalls > initFailures;
  }
  int GetError() override { return error; }
  FSOUND_STREAM* StreamOpen(const char* nameOrData, unsigned mode, int offset,
                            int length) override {
    opens.push_back({nameOrData, (mode & 0x8000u) ? "" : nameOrData, mode, offset, length});
    return openFails ? nullptr : reinterpret_cast<FSOUND_STREAM*>(&m_stream);
  }
  void StreamSetTime(FSOUND_STREAM* s, int ms) override {
    Call(s, "settime " + std::to_string(ms));
  }
  void StreamPlay(int channel, FSOUND_STREAM* s) override {
    Call(s, "play " + std::to_string(channel));
  }
  void StreamStop(FSOUND_STREAM* s) override { Call(s, "stop"); }
  void StreamClose(FSOUND_STREAM* s) override { Call(s, "close"); }
  void Close() override { ++closeCalls; }
  void Sleep(int ms) override { sleeps.push_back(ms); }

 private:
  void Call(FSOUND_STREAM* s, const std::string& what) {
    EXPECT_EQ(reinterpret_cast<FSOUND_STREAM*>(&m_stream), s) << what << " on a foreign stream";
    streamCalls.push_back(what);
  }
  int m_stream = 0;
};

class FmodModuleTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(world.ok()) << world.error(); }

  // A module wired as the timeline wires it, its values parsed from `params`.
  std::unique_ptr<effects::CFmodModule> MakeModule(const std::string& params) {
    auto module = std::make_unique<effects::CFmodModule>(&sound);
    module->SetWidgetManager(&world.widgets);
    module->SetDemoDevice(&world.demo);
    module->SetTimeLine(&world.timeline);
    TiXmlDocument document;
    document.Parse(
        ("<music type=\"fmod\" start=\"0\" end=\"1000\">" + params + "</music>").c_str());
    EXPECT_FALSE(document.Error());
    module->Parse(document.RootElement());
    return module;
  }
  static std::string Param(const char* name, const std::string& value) {
    return std::string("<param name=\"") + name + "\" type=\"string\" value=\"" + value + "\"/>";
  }
  // Runs Init with stderr captured; answers what was written there.
  static std::string InitCapturingStderr(effects::CFmodModule* module) {
    ::testing::internal::CaptureStderr();
    module->Init();
    return ::testing::internal::GetCapturedStderr();
  }

  ScratchDir dir{ScratchDir::kEnter};
  EffectWorld world{false};
  FakeSound sound;
};

TEST_F(FmodModuleTest, InitRetriesAfterPausesAndStaysQuietWhenTheLibraryComesUp) {
  sound.initFailures = 2;
  auto module = MakeModule(Param("filename", "song.ogg"));
  const std::string err = InitCapturingStderr(module.get());
  EXPECT_EQ(3, sound.initCalls);
  EXPECT_EQ((std::vector<int>{100, 100}), sound.sleeps) << "one 100 ms pause before each retry";
  EXPECT_EQ("", err) << "no message when a retry succeeds";
  ASSERT_EQ(1u, sound.opens.size());
  EXPECT_NE(nullptr, module->GetStream());
}

TEST_F(FmodModuleTest, PersistentInitFailureShowsTheLibrarysErrorTextOnce) {
  struct Case {
    int code;
    const char* text;
  };
  for (const Case& c : {Case{3, "Error initializing output device."},
                        Case{1,
                             "Cannot call this command after FSOUND_Init.  Call FSOUND_Close "
                             "first."},
                        Case{12, "Not enough memory "}, Case{19, "Unknown error"}}) {
    FakeSound failing;
    failing.initFailures = 1000;
    failing.error = c.code;
    effects::CFmodModule module(&failing);
    ::testing::internal::CaptureStderr();
    module.Init();
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(11, failing.initCalls) << "the first call and ten retries";
    EXPECT_EQ(10u, failing.sleeps.size());
    EXPECT_EQ(std::string("Error: ") + c.text + "\n", err) << "code " << c.code;
    EXPECT_TRUE(failing.opens.empty()) << "no stream without the library";
    EXPECT_EQ(nullptr, module.GetStream());
    module.BeforeFirstRender();
    EXPECT_TRUE(failing.streamCalls.empty());
  }
}

TEST_F(FmodModuleTest, TooOldALibraryLeavesTheMusicSilentWithoutAMessage) {
  sound.version = 3.70f;
  auto module = MakeModule(Param("filename", "song.ogg"));
  EXPECT_EQ("", InitCapturingStderr(module.get()));
  EXPECT_EQ(0, sound.initCalls);
  EXPECT_TRUE(sound.opens.empty());

  FakeSound exact;
  exact.version = 3.71f;
  effects::CFmodModule oldest(&exact);
  oldest.Init();
  EXPECT_EQ(1, exact.initCalls) << "3.71 is new enough";
}

TEST_F(FmodModuleTest, OpensFromThePathUnlessLoadFromIsMemory) {
  for (const char* loadFrom : {"", "file", "memoryx"}) {
    FakeSound fileSound;
    auto module = std::make_unique<effects::CFmodModule>(&fileSound);
    module->SetWidgetManager(&world.widgets);
    TiXmlDocument document;
    document.Parse(
        ("<m>" + Param("filename", "music/song.ogg") + Param("loadfrom", loadFrom) + "</m>")
            .c_str());
    module->Parse(document.RootElement());
    module->Init();
    ASSERT_EQ(1u, fileSound.opens.size()) << "loadfrom \"" << loadFrom << "\"";
    EXPECT_EQ("music/song.ogg", fileSound.opens[0].name);
    EXPECT_EQ(0x20132u, fileSound.opens[0].mode);
    EXPECT_EQ(0, fileSound.opens[0].offset);
    EXPECT_EQ(0, fileSound.opens[0].length);
  }
}

TEST_F(FmodModuleTest, OpensFromTheRawResourcesBytesWhenLoadFromIsMemory) {
  std::ofstream(dir.File("song.ogg"), std::ios::binary) << std::string(1234, 'x');
  ASSERT_TRUE(world.LoadResources("<resources><r type=\"raw\" name=\"Song\">" +
                                  Param("filename", "song.ogg") + "</r></resources>"));
  auto* raw = dynamic_cast<effects::CRawResource*>(world.resources.GetResource("song"));
  ASSERT_NE(nullptr, raw);
  auto module = MakeModule(Param("filename", "SONG") + Param("loadfrom", "MEMORY"));
  EXPECT_EQ("", InitCapturingStderr(module.get()));
  ASSERT_EQ(1u, sound.opens.size());
  EXPECT_EQ(reinterpret_cast<const char*>(raw->GetData()), sound.opens[0].nameOrData);
  EXPECT_EQ(0x28132u, sound.opens[0].mode);
  EXPECT_EQ(0, sound.opens[0].offset);
  EXPECT_EQ(1234, sound.opens[0].length);
}

TEST_F(FmodModuleTest, AMissingOrForeignResourceIsReportedByNameAndTheMusicStaysSilent) {
  ASSERT_TRUE(world.LoadResources(
      "<resources><t type=\"texture\" name=\"canvas\"><param name=\"type\" type=\"long\" "
      "value=\"1\"/><param name=\"width\" type=\"long\" value=\"64\"/><param name=\"height\" "
      "type=\"long\" value=\"64\"/></t></resources>"));
  struct Case {
    const char* name;
    const char* expected;
  };
  for (const Case& c :
       {Case{"nosuchsong", "VEXIL ERROR: No \"raw\" resource named \"nosuchsong\" holds the music"},
        Case{"canvas", "VEXIL ERROR: The resource \"canvas\" is not a \"raw\" resource"}}) {
    FakeSound silent;
    auto module = std::make_unique<effects::CFmodModule>(&silent);
    module->SetWidgetManager(&world.widgets);
    module->SetDemoDevice(&world.demo);
    TiXmlDocument document;
    document.Parse(
        ("<m>" + Param("filename", c.name) + Param("loadfrom", "memory") + "</m>").c_str());
    module->Parse(document.RootElement());
    const std::string err = InitCapturingStderr(module.get());
    EXPECT_NE(std::string::npos, err.find(c.expected)) << err;
    EXPECT_TRUE(silent.opens.empty());
    module->BeforeFirstRender();
    module->Free();
    EXPECT_EQ((std::vector<std::string>{}), silent.streamCalls);
    EXPECT_EQ(1, silent.closeCalls) << "the library still shuts down";
  }
}

TEST_F(FmodModuleTest, ARawResourceWhoseFileIsMissingOpensNoStream) {
  ::testing::internal::CaptureStderr();
  ASSERT_TRUE(world.LoadResources("<resources><r type=\"raw\" name=\"song\">" +
                                  Param("filename", "absent.ogg") + "</r></resources>"));
  ::testing::internal::GetCapturedStderr();
  auto module = MakeModule(Param("filename", "song") + Param("loadfrom", "memory"));
  module->Init();
  EXPECT_TRUE(sound.opens.empty()) << "the raw resource has already said its file is missing";
}

TEST_F(FmodModuleTest, FirstRenderSeeksToTheModulesTimeAndPlaysOnChannelZero) {
  auto module = MakeModule(Param("filename", "song.ogg"));
  module->SetStart(10000.0f);
  module->SetEnd(20000.0f);
  module->Init();
  world.timeline.Render(12500.7f);
  module->BeforeFirstRender();
  module->AfterLastRender();
  module->Free();
  module->Free();
  EXPECT_EQ((std::vector<std::string>{"settime 2500", "play 0", "stop", "stop", "close"}),
            sound.streamCalls)
      << "truncated toward zero; a second Free leaves the closed stream alone";
  EXPECT_EQ(nullptr, module->GetStream());
}

TEST_F(FmodModuleTest, AStreamThatCannotOpenSkipsEveryStreamCall) {
  sound.openFails = true;
  sound.error = 9;
  auto module = MakeModule(Param("filename", "absent.ogg"));
  const std::string err = InitCapturingStderr(module.get());
  EXPECT_NE(std::string::npos, err.find("absent.ogg")) << err;
  EXPECT_NE(std::string::npos, err.find("File not found")) << err;
  module->BeforeFirstRender();
  module->AfterLastRender();
  module->Free();
  EXPECT_TRUE(sound.streamCalls.empty());
  EXPECT_EQ(1, sound.closeCalls);
}

}  // namespace
