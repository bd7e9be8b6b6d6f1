// The player's --check on scripts with the zoom blur: a blur that can draw before any module
// has set a material (its colour would be black) is reported; one that follows a module
// leaving a material set, in an earlier frame or earlier in the same frame, is not.
#include <gtest/gtest.h>

#include <string>

#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace {

std::string Module(const char* type, int start, int layer, const std::string& params = "") {
  return std::string("<m type=\"") + type + "\" start=\"" + std::to_string(start) +
         "\" end=\"5000\" layer=\"" + std::to_string(layer) + "\">" + params + "</m>";
}

std::string Blur(int start, int layer) {
  return Module("blur", start, layer,
                "<param name=\"texture\" type=\"string\" value=\"rt\"/>"
                "<param name=\"times\" type=\"long\" value=\"4\"/>");
}

std::string Twister(int start, int layer) {
  return Module("twister", start, layer,
                "<param name=\"segment\" type=\"long\" value=\"4\"/>"
                "<param name=\"shape\" type=\"arrayvec2\"><key x=\"1\" y=\"0\"/><key x=\"0\" "
                "y=\"1\"/><key x=\"-1\" y=\"0\"/></param>");
}

class EffectsCheckTest : public ::testing::Test {
 protected:
  vexil::test::RunResult Check(const std::string& timeline) {
    EXPECT_TRUE(vexil::test::WriteFile(
        dir.File("demo.xml"),
        "<demo name=\"check\"><settings><width value=\"64\"/><height value=\"48\"/></settings>"
        "<libraries><library file=\"effectpack.dll\"/></libraries><resources>"
        "<t type=\"texture\" name=\"rt\"><param name=\"type\" type=\"long\" value=\"1\"/>"
        "<param name=\"width\" type=\"long\" value=\"64\"/>"
        "<param name=\"height\" type=\"long\" value=\"64\"/></t></resources>"
        "<timeline>" +
            timeline + "</timeline></demo>"));
    return vexil::test::RunPlayer({"--check", "demo.xml"}, dir.path());
  }

  vexil::test::ScratchDir dir;
};

TEST_F(EffectsCheckTest, ABlurBeforeAnyMaterialIsReported) {
  const char* finding =
      "module \"blur\" can draw before any module has set a material: it takes its colour "
      "from the material an earlier effect leaves, and draws black without one";
  struct Case {
    std::string timeline;
    bool reported;
    const char* what;
  };
  const Case cases[] = {
      {Blur(0, 1), true, "a blur alone"},
      {Twister(0, 1) + Blur(1000, 0), false, "after a twister that started earlier"},
      {Twister(0, 0) + Blur(0, 1), false, "after a twister on a lower layer in the same frame"},
      {Twister(0, 1) + Blur(0, 1), false, "after a twister on the same layer, written first"},
      {Blur(0, 1) + Twister(0, 1), true, "before a twister on the same layer, written later"},
      {Twister(0, 2) + Blur(0, 1), true, "before a twister on a higher layer"},
      {Blur(0, 0) + Twister(1000, 0), true, "before a twister that starts later"},
      {Module("metaballs", 0, 0) + Blur(500, 0), false, "after metaballs"},
      {Module("twister", 3000, 0, "") + Blur(500, 0) +
           "<m type=\"twister\" start=\"0\" end=\"-1\" layer=\"0\"/>",
       true, "a twister that never plays sets nothing"},
  };
  for (const Case& c : cases) {
    const vexil::test::RunResult run = Check(c.timeline);
    const bool reported = run.out.find(finding) != std::string::npos;
    EXPECT_EQ(c.reported, reported) << c.what << "\n" << run.out << run.err;
    if (c.reported) {
      EXPECT_EQ(1, run.status) << c.what;
    }
  }
}

}  // namespace
