// The vexil binary with --check: a clean script passes with status 0 and one summary line;
// every kind of silent skip is reported on a line of its own, with status 1.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "e2e_harness.h"

namespace vexil_e2e {
namespace {

using CheckTest = PlayerTest;

TEST_F(CheckTest, ACleanScriptPassesWithOneSummaryLine) {
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
  EXPECT_EQ(
      "demo.xml: 1 module on 1 layer, 1 resource, 0:00\u2013"
      "0:00.1, no music "
      "\u2014 no problems\n",
      run.out);
  const RunResult quiet = Run({"--check", "--quiet", "demo.xml"});
  EXPECT_EQ(0, quiet.status);
  EXPECT_EQ("", quiet.out) << "--quiet drops the summary";
}

// Lines of the timeline in a Script(): the timeline's text begins on line 5.
TEST_F(CheckTest, TyposAreFoundWithTheirLinesAndTheNameMeant) {
  const std::string timeline =
      "\n<m type=\"fill\" start=\"0\" ende=\"9\"/>"                               // 6
      "\n<m type=\"fillrect\" start=\"0\" end=\"10\">"                            // 7
      "\n<param name=\"left\" type=\"long\" valeu=\"5\"/>"                        // 8
      "\n<param name=\"top\" type=\"linearlong\" loopstart=\"1\" loopend=\"3\">"  // 9
      "<key time=\"0\" value=\"1\"/><key tiem=\"5\" value=\"2\"/></param>"
      "\n<param name=\"right\" type=\"linearlong\" loopstart=\"2\" loopend=\"1\">"  // 10
      "<key time=\"0\" value=\"1\"/><key time=\"5\" value=\"2\"/></param>"
      "\n<target valeu=\"_SCREEN\"/></m>"                         // 11
      "\n<m type=\"fill\" stat=\"20\" end=\"30\" layer=\"2\"/>";  // 12
  std::string script =
      Script(timeline, "<r type=\"rendertarget\" nmae=\"rt\"/>",
             "<width value=\"64\"/><height value=\"48\"/><framerat value=\"60\"/>");
  script.insert(script.find("</demo>"), "<timline/>\n");  // line 13
  Write("demo.xml", script);
  const RunResult run = Run({"--check", "demo.xml"});
  EXPECT_EQ(1, run.status) << run.err;
  const std::vector<std::string> expected = {
      "line 2: unknown setting <framerat> is ignored: did you mean <framerate>?",
      "line 4: <r> has no attribute \"nmae\", so it is ignored: did you mean \"name\"?",
      "line 4: resource without a \"name\": nothing can use it",
      "line 6: <m> has no attribute \"ende\", so it is ignored: did you mean \"end\"?",
      "line 6: module \"fill\" has no \"end\": it reads as 0 ms",
      "line 8: <param> has no attribute \"valeu\", so it is ignored: did you mean \"value\"?",
      "line 9: <key> has no attribute \"tiem\", so it is ignored: did you mean \"time\"?",
      "line 9: the loop end of parameter \"top\" is key 3, beyond its last key (2)",
      "line 10: the loop of parameter \"right\" ends (key 1) before it starts (key 2)",
      "line 11: <target> has no attribute \"valeu\", so it is ignored: did you mean \"value\"?",
      "line 12: <m> has no attribute \"stat\", so it is ignored: did you mean \"start\"?",
      "line 12: module \"fill\" has no \"start\": it reads as 0 ms",
      "line 13: element <timline> is not read by the player: did you mean <timeline>?",
  };
  for (const std::string& text : expected) {
    EXPECT_NE(std::string::npos, run.out.find(text)) << "expected: " << text << "\nin:\n"
                                                     << run.out;
  }
  EXPECT_EQ(std::string::npos, run.out.find("no problems")) << "no summary after findings";
}

TEST_F(CheckTest, AttributesOfMusicalTimeAreKnownAndFarOffNamesGetNoGuess) {
  const std::string timeline =
      "<m type=\"fillrect\" start=\"0\" end=\"10\" colour=\"red\">"
      "<param name=\"top\" type=\"linearlong\" track=\"t\"><key beat=\"1\" value=\"1\"/>"
      "</param></m>";
  Write("demo.xml",
        Script(timeline, "", "<width value=\"64\"/><height value=\"48\"/><bpm value=\"120\"/>"));
  const RunResult run = Run({"--check", "demo.xml"});
  EXPECT_EQ(1, run.status);
  EXPECT_EQ("line 5: <m> has no attribute \"colour\", so it is ignored\n", run.out)
      << "\"beat\" and \"track\" are read; \"colour\" is no module attribute";
}

TEST_F(CheckTest, ModulesSharingTheirEndFrameGetANoteAndPass) {
  const std::string timeline =
      "\n<m type=\"fill\" start=\"0\" end=\"1000\"/>"
      "\n<m type=\"fill\" start=\"1000\" end=\"2000\"/>"
      "\n<m type=\"fill\" start=\"2000\" end=\"2500\" layer=\"1\"/>"  // another layer
      "\n<m type=\"fill\" start=\"2001\" end=\"2500\"/>";             // hands over cleanly
  Write("demo.xml", Script(timeline));
  const RunResult run = Run({"--check", "demo.xml"});
  EXPECT_EQ(0, run.status) << "notes are no findings:\n" << run.out;
  EXPECT_EQ(
      "line 7: note: this module starts at 1000 ms, where the module on line 6 on the same layer "
      "ends: \"end\" is inclusive, so both draw the frame at 1000 ms (start it a little later to "
      "hand over)\n"
      "demo.xml: 4 modules on 2 layers, 0 resources, 0:00\u2013"
      "0:02.5, no music \u2014 no "
      "problems (1 note)\n",
      run.out);
}

TEST_F(CheckTest, AMissingSettingsElementIsOneFindingNotACascade) {
  Write("demo.xml",
        "<demo name=\"x\">\n<libraries><l file=\"vexil_e2e_modules.dll\"/></libraries>\n"
        "<resources><r type=\"rendertarget\" name=\"rt\"/></resources>\n"
        "<timeline><m type=\"fill\" start=\"0\" end=\"1\"><target value=\"rt\"/></m></timeline>\n"
        "</demo>\n");
  const RunResult run = Run({"--check", "demo.xml"});
  EXPECT_EQ(1, run.status);
  EXPECT_EQ(std::string::npos, run.out.find("does not exist")) << run.out;
  EXPECT_NE(std::string::npos, run.out.find("line 1: the script \"demo.xml\" has no \"settings\""))
      << run.out;
}

TEST_F(CheckTest, FilesBesideTheScriptAreFoundFromAnotherFolderWithANote) {
  std::filesystem::create_directories(Path("show"));
  Write("show/picture.png", "not read by the check");
  const std::string timeline =
      "<m type=\"fillrect\" start=\"0\" end=\"10\">"
      "<param name=\"filename\" type=\"string\" value=\"picture.png\"/></m>";
  Write("show/demo.xml", Script(timeline));
  const RunResult run = Run({"--check", "show/demo.xml"});
  EXPECT_EQ(0, run.status) << run.out;
  EXPECT_NE(std::string::npos,
            run.out.find("line 5: note: file \"picture.png\" is not in the working folder; the "
                         "player uses \"show/picture.png\", beside the script"))
      << run.out;
  // A file of that name in the working folder comes first, without a note.
  Write("picture.png", "also not read");
  const RunResult here = Run({"--check", "show/demo.xml"});
  EXPECT_EQ(std::string::npos, here.out.find("note:")) << here.out;
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

TEST_F(CheckTest, AScriptWithoutSettingsHasNoDisplay) {  // nor any summary
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
