// The vexil binary with --check: a clean script passes silently with status 0; every kind of
// silent skip is reported on a line of its own, with status 1.
#include <gtest/gtest.h>

#include <string>

#include "e2e_harness.h"

namespace vexil_e2e {
namespace {

using CheckTest = PlayerTest;

TEST_F(CheckTest, ACleanScriptPassesSilently) {
  Write("picture.png", "not read by the check");
  const std::string timeline =
      "<m type=\"fillrect\" start=\"0\" end=\"100\">"
      "<param name=\"filename\" type=\"string\" value=\"picture.png\"/>"
      "<param name=\"color\" type=\"linearcolor\"><key time=\"0\" value=\"#000000\"/>"
      "<key time=\"100\" value=\"#FFFFFF\"/></param>"
      "<target><key time=\"0\" value=\"rt\"/><key time=\"50\" value=\"_SCREEN\"/></target></m>";
  Write("demo.xml", Script(timeline, "<r type=\"rendertarget\" name=\"rt\"/>"));
  const RunResult run = Run({"--check", "demo.xml"});
  EXPECT_EQ(0, run.status) << run.out << run.err;
  EXPECT_EQ("", run.out);
}

TEST_F(CheckTest, ReportsEverySkipOnALineOfItsOwn) {
  const std::string resources =
      "<r type=\"rendertarget\" name=\"rt\"/>"
      "<r type=\"rendertarget\" name=\"RT\"/>"  // shadowed by the first
      "<r type=\"mystery\" name=\"x\"/>";       // unknown resource type
  const std::string timeline =
      "<m type=\"twirl\" start=\"0\" end=\"10\"/>"         // unknown module type
      "<m type=\"rendertarget\" start=\"0\" end=\"10\"/>"  // a resource type as a module
      "<m type=\"fillrect\" start=\"0\" end=\"10\">"
      "<param name=\"colour\" type=\"color\" value=\"#FF0000\"/>"  // no such value
      "<param name=\"color\" type=\"wobble\" value=\"#FF0000\"/>"  // unknown parameter type
      "<param name=\"left\" type=\"linearfloat\"><key time=\"0\" value=\"1\"/></param>"
      "<param name=\"filename\" type=\"string\" value=\"missing.png\"/>"
      "<param name=\"top\" type=\"linearlong\">"
      "<key time=\"500\" value=\"1\"/><key time=\"100\" value=\"2\"/></param>"
      "<target value=\"nowhere\"/></m>"
      "<m type=\"fill\" start=\"20\" end=\"10\"/>";  // ends before it starts
  std::string script = Script(timeline, resources,
                              "<width value=\"64\"/><height value=\"48\"/><depth value=\"8\"/>");
  script.insert(script.find("</demo>"), "<credits/>");
  Write("demo.xml", script);

  const RunResult run = Run({"--check", "demo.xml"});
  EXPECT_EQ(1, run.status) << run.err;
  const std::vector<std::string> expected = {
      "unknown setting <depth>",
      "\"RT\" comes earlier",
      "unknown resource type \"mystery\"",
      "unknown module type \"twirl\"",
      "\"rendertarget\" is a resource type, not a module type",
      "has no value named \"colour\"",
      "unknown parameter type \"wobble\"",
      "\"linearfloat\" does not fit the value \"left\"",
      "file \"missing.png\" does not exist",
      "out of time order",
      "render target \"nowhere\" does not exist",
      "ends before it starts",
      "element <credits> is not read",
  };
  for (const std::string& text : expected) {
    EXPECT_NE(std::string::npos, run.out.find(text))
        << "expected a finding with: " << text << "\nfindings:\n"
        << run.out;
  }
  size_t lines = 0;
  for (char c : run.out) lines += c == '\n';
  EXPECT_EQ(expected.size(), lines) << run.out;
}

TEST_F(CheckTest, AFilenameLoadedFromMemoryNamesAResource) {
  const std::string module =
      "<m type=\"fillrect\" start=\"0\" end=\"10\">"
      "<param name=\"filename\" type=\"string\" value=\"%s\"/>"
      "<param name=\"loadfrom\" type=\"string\" value=\"Memory\"/></m>";
  auto with = [&](const std::string& name) {
    std::string text = module;
    return text.replace(text.find("%s"), 2, name);
  };
  Write("good.xml", Script(with("RT"), "<r type=\"rendertarget\" name=\"rt\"/>"));
  const RunResult good = Run({"--check", "good.xml"});
  EXPECT_EQ(0, good.status) << good.out;
  Write("bad.xml", Script(with("music"), "<r type=\"rendertarget\" name=\"rt\"/>"));
  const RunResult bad = Run({"--check", "bad.xml"});
  EXPECT_EQ(1, bad.status);
  EXPECT_NE(std::string::npos, bad.out.find("resource \"music\" does not exist")) << bad.out;
}

TEST_F(CheckTest, ReportsLibrariesThatDoNotLoad) {
  std::string script = Script("<m type=\"fill\" start=\"0\" end=\"10\"/>");
  script.insert(script.find("</libraries>"), "<library file=\"nosuchlib.dll\"/>");
  Write("demo.xml", script);
  const RunResult run = Run({"--check", "demo.xml"});
  EXPECT_EQ(1, run.status);
  EXPECT_NE(std::string::npos, run.out.find("library \"nosuchlib.dll\" cannot be loaded"))
      << run.out;
}

TEST_F(CheckTest, ElementsBeforeTheirPrerequisitesAreReported) {
  Write("demo.xml",
        "<demo name=\"x\">\n"
        "<timeline><m type=\"fill\" start=\"0\" end=\"1\"/></timeline>\n"
        "<settings><width value=\"64\"/><height value=\"48\"/></settings>\n"
        "<resources><r type=\"rendertarget\" name=\"rt\"/></resources>\n"
        "<libraries><l file=\"vexil_e2e_modules.dll\"/></libraries>\n"
        "</demo>\n");
  const RunResult run = Run({"--check", "demo.xml"});
  EXPECT_EQ(1, run.status);
  EXPECT_EQ(
      "line 2: <timeline> comes before <settings>: without a display nothing in it is built\n"
      "line 4: <resources> comes before <libraries>: none of its types are loaded yet, so "
      "nothing in it is built\n",
      run.out);
}

TEST_F(CheckTest, AScriptWithoutSettingsHasNoDisplay) {
  Write("demo.xml",
        "<demo name=\"x\"><libraries><l file=\"vexil_e2e_modules.dll\"/></libraries></demo>");
  const RunResult run = Run({"--check", "demo.xml"});
  EXPECT_EQ(1, run.status);
  EXPECT_NE(std::string::npos, run.out.find("no \"settings\" element")) << run.out;
}

TEST_F(CheckTest, FilesThatExistButDoNotLoadAndTargetsTooLargeAreReported) {
  // Pictures, meshes and music that exist but do not decode, and a render target too large.
  ASSERT_TRUE(vexil::test::WritePng(Path("good.png"), 4, 4, [](int, int) { return 0xFFFF0000u; }));
  Write("text.png", "hello, world");
  Write("junk.x", "this is no mesh");
  Write("noise.ogg", std::string(4096, 'Z'));
  auto param = [](const char* name, const char* value) {
    return std::string("<param name=\"") + name + "\" type=\"string\" value=\"" + value + "\"/>";
  };
  const std::string resources =
      "\n<t type=\"texture\" name=\"good\">" + param("filename", "good.png") + "</t>" +
      "\n<t type=\"texture\" name=\"text\">" + param("filename", "text.png") + "</t>" +
      "\n<k type=\"klutt\" name=\"junk\">" + param("filename", "junk.x") + "</k>" +
      "\n<t type=\"texture\" name=\"huge\"><param name=\"type\" type=\"long\" value=\"1\"/>"
      "<param name=\"width\" type=\"long\" value=\"20000\"/></t>\n";
  std::string script =
      Script("<m type=\"fill\" start=\"0\" end=\"10\"/>\n<m type=\"fmod\" start=\"0\" end=\"10\">" +
                 param("filename", "noise.ogg") + "</m>",
             resources);
  script.replace(script.find("<library "), 0, "<library file=\"effectpack.dll\"/>");
  Write("demo.xml", script);
  const RunResult run = Run({"--check", "demo.xml"});
  EXPECT_EQ(1, run.status) << run.err;
  for (const char* finding :
       {"line 6: texture \"text\": the picture \"text.png\" cannot be loaded: not a picture",
        "line 7: mesh \"junk\": the file \"junk.x\" cannot be loaded: not a .x file",
        "line 8: texture \"huge\": cannot make a render target of 20000 x 0 pixels: 20000 x "
        "20000 pixels is larger than the limit",
        "line 11: the music \"noise.ogg\" cannot be played: "}) {
    EXPECT_NE(std::string::npos, run.out.find(finding)) << "expected: " << finding << "\nin:\n"
                                                        << run.out;
  }
  size_t lines = 0;
  for (char c : run.out) lines += c == '\n';
  EXPECT_EQ(4u, lines) << "the picture that loads is no finding:\n" << run.out;
}

}  // namespace
}  // namespace vexil_e2e
