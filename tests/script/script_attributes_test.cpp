// The near miss a misspelt attribute or element name is taken for, and the report of
// attributes no handler reads.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scenecore.h"
#include "script/script_attributes.h"

namespace {

TEST(NearestKnownNameTest, TyposFindTheNameMeantAndFarOffNamesFindNone) {
  const auto module = {"type", "start", "end", "layer"};
  EXPECT_EQ("end", NearestKnownName("ende", module));
  EXPECT_EQ("start", NearestKnownName("stat", module));
  EXPECT_EQ("start", NearestKnownName("Start", module)) << "letter case";
  EXPECT_EQ("layer", NearestKnownName("lyaer", module)) << "two letters swapped: one edit";
  EXPECT_EQ("", NearestKnownName("colour", module));
  EXPECT_EQ("", NearestKnownName("", module));
  EXPECT_EQ("value", NearestKnownName("valeu", {"name", "type", "value", "x", "y", "z"}));
  EXPECT_EQ("", NearestKnownName("w", {"name", "type", "value", "x", "y", "z"}))
      << "one letter is no typo of another";
  EXPECT_EQ("", NearestKnownName(std::string(500, 'e'), module));
}

TEST(ReportUnknownAttributesTest, OnlyWhileSomeoneListensAndWithTheElementsLine) {
  CXmlHandler loader;
  ASSERT_TRUE(loader.LoadXMLText("<a>\n<m type=\"x\" ende=\"5\" end=\"6\" qq=\"1\"/></a>"));
  const TiXmlElement* m = loader.GetRootElement()->FirstChildElement();
  CWidgetManager widgets;
  ReportUnknownAttributes(&widgets, m, {"type", "end"});  // nobody listens: nothing happens
  std::vector<CScriptFinding> findings;
  widgets.SetReporter([&](const CScriptFinding& finding) { findings.push_back(finding); });
  ReportUnknownAttributes(&widgets, m, {"type", "end"});
  ASSERT_EQ(2u, findings.size());
  EXPECT_EQ("line 2: <m> has no attribute \"ende\", so it is ignored: did you mean \"end\"?",
            findings[0].Printed());
  EXPECT_FALSE(findings[0].IsNote());
  EXPECT_EQ("line 2: <m> has no attribute \"qq\", so it is ignored", findings[1].Printed());
  widgets.Note(3, "guessed");
  EXPECT_EQ("line 3: note: guessed", findings[2].Printed());
  EXPECT_TRUE(findings[2].IsNote());
}

}  // namespace
