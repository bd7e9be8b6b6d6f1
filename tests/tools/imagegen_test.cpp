// vexil-imagegen as a program: every pattern it lists is written at its listed size, the
// patterns that effects repeat over a surface meet themselves without a seam, and the pictures
// whose alpha the demo relies on (holes, fades, flashes) have it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "support/picture.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace {

using vexil::test::BuiltProgram;
using vexil::test::LoadPng;
using vexil::test::Picture;
using vexil::test::Rgba;
using vexil::test::RunProgram;
using vexil::test::RunResult;
using vexil::test::ScratchDir;

struct Listed {
  std::string name;
  int width, height;
};

std::vector<Listed> ListPatterns() {
  const RunResult run = RunProgram(BuiltProgram("vexil-imagegen"), {"--list"});
  EXPECT_EQ(0, run.status) << run.err;
  std::vector<Listed> patterns;
  std::istringstream lines(run.out);
  std::string line;
  while (std::getline(lines, line)) {
    char name[64] = {};
    int width = 0, height = 0;
    if (std::sscanf(line.c_str(), "%63s %d x %d", name, &width, &height) == 3) {
      patterns.push_back({name, width, height});
    }
  }
  return patterns;
}

class ImagegenTest : public ::testing::Test {
 protected:
  Picture Draw(const std::string& pattern, const std::vector<std::string>& size = {}) {
    const std::string out = scratch_.File(pattern + ".png");
    std::vector<std::string> args = {pattern, out};
    args.insert(args.end(), size.begin(), size.end());
    const RunResult run = RunProgram(BuiltProgram("vexil-imagegen"), args);
    EXPECT_EQ(0, run.status) << pattern << ": " << run.err;
    return LoadPng(out);
  }
  ScratchDir scratch_;
};

int Distance(const Rgba& a, const Rgba& b) {
  return std::max(
      {std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b), std::abs(a.a - b.a)});
}

// The largest change from one column to the next, over all rows; `wrap` compares the last
// column with the first instead.
int ColumnStep(const Picture& p, int x, bool wrap) {
  int largest = 0;
  for (int y = 0; y < p.height; ++y) {
    largest =
        std::max(largest, Distance(p.At(wrap ? p.width - 1 : x, y), p.At(wrap ? 0 : x + 1, y)));
  }
  return largest;
}
int RowStep(const Picture& p, int y, bool wrap) {
  int largest = 0;
  for (int x = 0; x < p.width; ++x) {
    largest =
        std::max(largest, Distance(p.At(x, wrap ? p.height - 1 : y), p.At(x, wrap ? 0 : y + 1)));
  }
  return largest;
}

TEST_F(ImagegenTest, EveryListedPatternIsWrittenAtItsListedSize) {
  const std::vector<Listed> patterns = ListPatterns();
  ASSERT_GE(patterns.size(), 17u) << "the first six, the demo's surfaces, backdrops and overlays";
  for (const Listed& listed : patterns) {
    const Picture picture = Draw(listed.name);
    ASSERT_TRUE(picture.ok()) << listed.name;
    EXPECT_EQ(listed.width, picture.width) << listed.name;
    EXPECT_EQ(listed.height, picture.height) << listed.name;
  }
}

// The spline tunnel wraps its texture around and along, the twister and the mesh repeat
// theirs, metaballs flow theirs by an offset: the step across the picture's edge must be no
// larger than the steps inside it.
TEST_F(ImagegenTest, RepeatedSurfacesHaveNoSeam) {
  for (const char* pattern : {"plates", "chrome", "lattice", "bands", "plasma"}) {
    SCOPED_TRACE(pattern);
    const Picture p = Draw(pattern);
    ASSERT_TRUE(p.ok());
    int inside_x = 0, inside_y = 0;
    for (int x = 0; x + 1 < p.width; ++x) inside_x = std::max(inside_x, ColumnStep(p, x, false));
    for (int y = 0; y + 1 < p.height; ++y) inside_y = std::max(inside_y, RowStep(p, y, false));
    EXPECT_LE(ColumnStep(p, 0, true), inside_x + 2) << "left and right edges meet";
    EXPECT_LE(RowStep(p, 0, true), inside_y + 2) << "top and bottom edges meet";
  }
}

TEST_F(ImagegenTest, AlphaWhereTheDemoNeedsIt) {
  // The twister and the lattice tunnel show through the lattice's holes.
  const Picture lattice = Draw("lattice");
  ASSERT_TRUE(lattice.ok());
  EXPECT_EQ(0, lattice.At(lattice.width / 4, lattice.height / 4).a) << "a hole's middle";
  EXPECT_EQ(255, lattice.At(0, 0).a) << "the frame";

  // The vignette leaves the middle alone and darkens the corners.
  const Picture vignette = Draw("vignette");
  ASSERT_TRUE(vignette.ok());
  EXPECT_EQ(0, vignette.At(vignette.width / 2, vignette.height / 2).a);
  EXPECT_GT(vignette.At(0, 0).a, 200);
  EXPECT_EQ(0, vignette.At(0, 0).r);

  // The title, flares and streaks are shown over the scenes at any size: their glow must have
  // faded out at the picture's border, or the picture's edge shows as a box.
  for (const char* sprite : {"logo", "glow", "streak"}) {
    SCOPED_TRACE(sprite);
    const Picture p = Draw(sprite);
    ASSERT_TRUE(p.ok());
    int border = 0;
    for (int x = 0; x < p.width; ++x) {
      border = std::max({border, int{p.At(x, 0).a}, int{p.At(x, p.height - 1).a}});
    }
    for (int y = 0; y < p.height; ++y) {
      border = std::max({border, int{p.At(0, y).a}, int{p.At(p.width - 1, y).a}});
    }
    EXPECT_LE(border, 2) << "largest alpha along the border";
  }

  // Fades and flashes are whole-screen pictures of one opaque colour.
  const Picture black = Draw("black"), white = Draw("white");
  ASSERT_TRUE(black.ok() && white.ok());
  for (int i = 0; i < black.width * black.height; ++i) {
    const Rgba b = black.At(i % black.width, i / black.width);
    const Rgba w = white.At(i % white.width, i / white.width);
    ASSERT_TRUE(b.r == 0 && b.g == 0 && b.b == 0 && b.a == 255) << "black pixel " << i;
    ASSERT_TRUE(w.r == 255 && w.g == 255 && w.b == 255 && w.a == 255) << "white pixel " << i;
  }
}

TEST_F(ImagegenTest, SamePictureOnEveryRunAndAtAnyAskedSize) {
  const std::string first = scratch_.File("a.png"), second = scratch_.File("b.png");
  for (const std::string& out : {first, second}) {
    ASSERT_EQ(0, RunProgram(BuiltProgram("vexil-imagegen"), {"stars", out, "300", "200"}).status);
  }
  const std::string bytes = vexil::test::ReadFile(first);
  EXPECT_FALSE(bytes.empty());
  EXPECT_TRUE(bytes == vexil::test::ReadFile(second)) << "the same bytes twice";
  const Picture stars = LoadPng(first);
  EXPECT_EQ(300, stars.width);
  EXPECT_EQ(200, stars.height);
}

}  // namespace
