// Reading the "settings" element: names in any case, atoi-style numbers, 16-bit fields.
#include <gtest/gtest.h>
#include <tinyxml.h>

#include "player_settings.h"

namespace vexil {
namespace {

PlayerSettings Apply(const std::string& inside, PlayerSettings settings = PlayerSettings()) {
  TiXmlDocument document;
  document.Parse(("<settings>" + inside + "</settings>").c_str());
  EXPECT_FALSE(document.Error()) << document.ErrorDesc();
  ApplySettingsElement(document.RootElement(), &settings);
  return settings;
}

TEST(SettingsTest, ReadsEveryKeyInAnyCase) {
  const PlayerSettings s = Apply(
      "<WIDTH value=\"800\"/><Height value=\"600\"/><framerate value=\"75\"/>"
      "<FullScreen value=\"1\"/><setupdialog value=\"1\"/><fpslimiter value=\"1\"/>"
      "<StartTime value=\"30000\"/>");
  EXPECT_EQ(800, s.width);
  EXPECT_EQ(600, s.height);
  EXPECT_EQ(75, s.framerate);
  EXPECT_TRUE(s.fullscreen);
  EXPECT_TRUE(s.setupdialog);
  EXPECT_TRUE(s.fpslimiter);
  EXPECT_FLOAT_EQ(30000.0f, s.starttime);
}

TEST(SettingsTest, NumbersAreReadLikeAtoi) {
  EXPECT_FLOAT_EQ(1500.0f, Apply("<starttime value=\"1500.7\"/>").starttime)
      << "a fraction is not read";
  EXPECT_TRUE(Apply("<fullscreen value=\"2\"/>").fullscreen) << "any non-zero number is on";
  EXPECT_FALSE(Apply("<fullscreen value=\"yes\"/>").fullscreen) << "letters read as 0";
  EXPECT_EQ(640, Apply("<width value=\"  640px\"/>").width);
  EXPECT_EQ(-3, Apply("<framerate value=\"-3\"/>").framerate);
}

TEST(SettingsTest, SixteenBitFieldsKeepTheLowBits) {
  EXPECT_EQ(4464, Apply("<width value=\"70000\"/>").width);  // 70000 - 65536
  EXPECT_EQ(-1, Apply("<height value=\"65535\"/>").height);
}

TEST(SettingsTest, BppUnknownNamesAndMissingValuesChangeNothing) {
  PlayerSettings before;
  before.width = 320;
  before.height = 200;
  before.framerate = 50;
  before.fullscreen = true;
  before.starttime = 12.0f;
  const PlayerSettings after =
      Apply("<BPP value=\"16\"/><colours value=\"256\"/><width/><fullscreen/>", before);
  EXPECT_EQ(320, after.width);
  EXPECT_EQ(200, after.height);
  EXPECT_EQ(50, after.framerate);
  EXPECT_TRUE(after.fullscreen);
  EXPECT_FLOAT_EQ(12.0f, after.starttime);
}

}  // namespace
}  // namespace vexil
