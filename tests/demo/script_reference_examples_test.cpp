// The example scenes of docs/SCRIPTING.md, played as a demo maker who copies them would: each
// is wrapped into a script beside the pictures, mesh and music it names, must pass --check,
// and must draw. Together they show every module type of the effect library.
#include <gtest/gtest.h>
#include <tinyxml.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "module_types.h"
#include "support/picture.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace {

// The one frame a render of one moment writes, named by its number from the demo's start.
std::string OnlyFrame(const std::string& folder) {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("frame-", 0) == 0 && entry.path().extension() == ".png") {
      return entry.path().string();
    }
  }
  return folder + "/no-frame.png";
}

using vexil::test::BuiltProgram;
using vexil::test::Picture;
using vexil::test::ReadFile;
using vexil::test::RunPlayer;
using vexil::test::RunProgram;
using vexil::test::RunResult;
using vexil::test::ScratchDir;

struct Example {
  int line;          // where its block starts in the document
  std::string text;  // the block's XML
};

// Every ```xml block of the document.
std::vector<Example> XmlBlocks(const std::string& document) {
  std::vector<Example> blocks;
  std::istringstream lines(document);
  std::string line;
  Example* open = nullptr;
  for (int number = 1; std::getline(lines, line); ++number) {
    if (open) {
      if (line.rfind("```", 0) == 0) {
        open = nullptr;
      } else {
        open->text += line + "\n";
      }
    } else if (line == "```xml") {
      blocks.push_back({number, ""});
      open = &blocks.back();
    }
  }
  return blocks;
}

// The block without the comments in front of its first element.
std::string FromFirstElement(std::string text) {
  for (;;) {
    const size_t start = text.find_first_not_of(" \n");
    if (start == std::string::npos) return "";
    if (text.compare(start, 4, "<!--") != 0) return text.substr(start);
    const size_t end = text.find("-->", start);
    if (end == std::string::npos) return "";
    text = text.substr(end + 3);
  }
}

// A scene rather than a fragment of one: a whole script, resources, a timeline, or a module
// with its type and its span.
bool IsScene(const std::string& text) {
  if (text.rfind("<resources>", 0) == 0 || text.rfind("<timeline>", 0) == 0) return true;
  if (text.rfind("<demo", 0) == 0) return true;
  const size_t tag_end = text.find('>');
  return !text.empty() && text[0] == '<' && text.find(" type=\"") < tag_end &&
         text.find(" start=\"") < tag_end;
}

// The text between <tag> and </tag>, or empty.
std::string Inside(const std::string& text, const std::string& tag) {
  const size_t start = text.find("<" + tag + ">");
  const size_t end = text.find("</" + tag + ">");
  if (start == std::string::npos || end == std::string::npos) return "";
  return text.substr(start + tag.size() + 2, end - start - tag.size() - 2);
}

// The pictures the examples name without defining them; an example's own resources win.
const char* const kPictures[][2] = {
    {"plasma", "plasma"}, {"checker", "checker"}, {"logo", "logo"},
    {"sky", "dusk"},      {"black", "black"},
};

std::string ScriptFor(const std::string& scene) {
  // A whole script is played as it stands, as a newcomer who copies it would.
  if (scene.rfind("<demo", 0) == 0) return scene;
  std::string resources = Inside(scene, "resources");
  std::string timeline = Inside(scene, "timeline");
  if (resources.empty() && timeline.empty()) timeline = scene;
  for (const auto& picture : kPictures) {
    const std::string name = picture[0];
    if (resources.find("name=\"" + name + "\"") != std::string::npos) continue;
    resources += "<" + name + " type=\"texture\" name=\"" + name +
                 "\"><param name=\"filename\" type=\"string\" value=\"" + name + ".png\"/></" +
                 name + ">\n";
  }
  return "<demo name=\"example\"><settings><width value=\"640\"/><height value=\"480\"/>"
         "<fullscreen value=\"0\"/><setupdialog value=\"0\"/></settings>"
         "<libraries><library file=\"effectpack.dll\"/></libraries>"
         "<resources>\n" +
         resources + "</resources><timeline>\n" + timeline + "</timeline></demo>\n";
}

// Share of pixels with some channel above 8: anything drawn over the black of an empty frame.
double DrawnShare(const Picture& frame) {
  return vexil::test::LitShare(frame, 8);
}

class ScriptReferenceExamples : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const auto& picture : kPictures) {
      ASSERT_EQ(0, RunProgram(BuiltProgram("vexil-imagegen"),
                              {picture[1], folder_.File(std::string(picture[0]) + ".png")})
                       .status);
    }
    // The mesh viewer's example: a mesh whose material names its texture, found through
    // "texturedir".
    ASSERT_TRUE(std::filesystem::create_directory(folder_.File("textures")));
    ASSERT_EQ(
        0, RunProgram(BuiltProgram("vexil-imagegen"), {"bands", folder_.File("textures/bands.png")})
               .status);
    ASSERT_EQ(0, RunProgram(BuiltProgram("vexil-xmeshgen"), {folder_.File("ship.x"), "--torus-knot",
                                                             "2", "3", "--texture", "bands.png"})
                     .status);
    // The music's example plays the bundled demo's music.
    ASSERT_TRUE(vexil::test::WriteFile(
        folder_.File("music.ogg"), ReadFile(std::string(VEXIL_BIN_DIR) + "/../demo/music.ogg")));
  }
  ScratchDir folder_;
};

TEST_F(ScriptReferenceExamples, EveryExamplePassesTheCheckAndDraws) {
  const std::string document = ReadFile(VEXIL_SCRIPTING_MD);
  ASSERT_FALSE(document.empty()) << VEXIL_SCRIPTING_MD;
  std::set<std::string> shown;
  int scenes = 0;
  for (const Example& block : XmlBlocks(document)) {
    const std::string scene = FromFirstElement(block.text);
    if (!IsScene(scene)) continue;
    ++scenes;
    SCOPED_TRACE("the example at docs/SCRIPTING.md:" + std::to_string(block.line));
    const std::string name = "example-" + std::to_string(block.line);
    std::ofstream(folder_.File(name + ".xml")) << ScriptFor(scene);

    TiXmlDocument script;
    ASSERT_TRUE(script.LoadFile(folder_.File(name + ".xml"))) << script.ErrorDesc();
    // The moment to look at: the middle of the first span of a module that draws.
    double start = 0.0, end = 0.0;
    bool draws = false;
    const TiXmlElement* timeline = script.RootElement()->FirstChildElement("timeline");
    for (const TiXmlElement* e = timeline->FirstChildElement(); e; e = e->NextSiblingElement()) {
      const std::string type =
          vexil::test::LowerCase(e->Attribute("type") ? e->Attribute("type") : "");
      shown.insert(type);
      if (type == "fmod" || type == "torusknot") continue;  // they draw nothing
      double s = 0.0, t = 0.0;
      e->QueryDoubleAttribute("start", &s);
      e->QueryDoubleAttribute("end", &t);
      if (!draws || s < start) start = s, end = t;
      draws = true;
    }

    const RunResult check = RunPlayer({"--check", name + ".xml"}, folder_.path());
    EXPECT_EQ(0, check.status) << check.out << check.err;
    const std::string at = std::to_string(static_cast<long>((start + end) / 2));
    const RunResult capture =
        RunPlayer({"--capture", name, "--from", at, "--to", at, name + ".xml"}, folder_.path());
    ASSERT_EQ(0, capture.status) << capture.err;
    const Picture frame = vexil::test::LoadPng(OnlyFrame(folder_.File(name)));
    if (!frame.ok()) {
      ADD_FAILURE() << "the capture at " << at << " ms wrote no frame";
      continue;
    }
    if (draws) {
      // A line of text covers a few thousandths of the frame.
      EXPECT_GT(DrawnShare(frame), 0.001) << "nothing drawn at " << at << " ms";
    } else {
      EXPECT_EQ(0.0, DrawnShare(frame)) << "a module that draws nothing drew";
    }
  }
  EXPECT_GE(scenes, 14);

  const std::set<std::string> catalogue = vexil::test::CatalogueModuleTypes();
  for (const std::string& type : catalogue) {
    EXPECT_EQ(1u, shown.count(type)) << "no example scene shows " << type;
  }
}

}  // namespace
