// Binding "param" elements to named values, and what values read with and without them.
#include <string>
#include <vector>

#include "paramtesting.h"

namespace {

class CSpeedModule : public CTestOwner {
 public:
  CSpeedModule() : speed(2.5f), other(2.5f), extent(5.0f, 0.0f, 1.0f) {
    AddValue(&speed, "speed");
    AddValue(&other, "speed");  // a second value under the same name is never bound
    AddValue(&extent, "extent");
    AddValue(&label, "label");
    AddValue(&points, "points");
  }
  CValueVarFloat speed;
  CValueFloat other;
  CValueFloat extent;
  CValueVarString label;
  CValueArrayVec3 points;
};

using Binding = ParamTest;

TEST_F(Binding, UnboundValuesYieldTheirDefaultsAtEveryTime) {
  CSpeedModule module;
  ParseElement(&module, "<m/>");
  module.SetTime(12345.0f);
  EXPECT_EQ(2.5f, static_cast<float>(module.speed));
  EXPECT_EQ(2.5f, module.speed[-100.0f]);
  EXPECT_STREQ("", module.label);
  EXPECT_EQ(0, module.points.GetCount());
  EXPECT_EQ(D3DXVECTOR3(0, 0, 0), module.points[0]);
  EXPECT_EQ(D3DXVECTOR3(0, 0, 0), static_cast<D3DXVECTOR3>(module.points));
}

TEST_F(Binding, NamesMatchWithoutCaseAndOnlyTheFirstValueOfANameBinds) {
  CSpeedModule module;
  ParseElement(&module, "<m><PARAM name=\"SPEED\" type=\"Float\" value=\"7\"/></m>");
  EXPECT_EQ(7.0f, static_cast<float>(module.speed));
  EXPECT_EQ(2.5f, static_cast<float>(module.other));
}

TEST_F(Binding, TheLastParamOfAValueWinsAndEveryParamIsCreated) {
  CSpeedModule module;
  ParseElement(&module,
               "<m><param name=\"speed\" type=\"float\" value=\"1\"/>"
               "<param name=\"speed\" type=\"float\" value=\"2\"/></m>");
  EXPECT_EQ(2.0f, static_cast<float>(module.speed));
  EXPECT_EQ(2, m_manager.GetObjectCount());
}

TEST_F(Binding, SkipsUnknownNamesTypesAndMissingAttributes) {
  CSpeedModule module;
  ParseElement(&module,
               "<m><param name=\"nothing\" type=\"float\" value=\"1\"/>"
               "<param type=\"float\" value=\"1\"/>"
               "<param name=\"speed\" type=\"linearstring\" value=\"1\"/>"
               "<param name=\"label\" value=\"x\"/>"
               "<param name=\"extent\" type=\"float\" value=\"7\"/></m>");
  EXPECT_EQ(2.5f, static_cast<float>(module.speed));
  EXPECT_STREQ("", module.label);
  EXPECT_EQ(7.0f, static_cast<float>(module.extent)) << "the other params are still bound";
  EXPECT_EQ(1, m_manager.GetObjectCount()) << "nothing is created for unknown names";
}

TEST_F(Binding, MinimumAndMaximumAreStoredButNeverApplied) {
  CSpeedModule module;
  ParseElement(&module, "<m><param name=\"extent\" type=\"float\" value=\"7\"/></m>");
  EXPECT_EQ(7.0f, static_cast<float>(module.extent));
  EXPECT_EQ(0.0f, module.extent.GetMinimum());
  EXPECT_EQ(1.0f, module.extent.GetMaximum());
}

TEST_F(Binding, RefusesParametersOfAnotherValueType) {
  CSpeedModule module;
  ParseElement(&module,
               "<m><param name=\"extent\" type=\"float\" value=\"7\"/>"
               "<param name=\"extent\" type=\"string\" value=\"oops\"/>"
               "<param name=\"speed\" type=\"linearvec2\"><key time=\"0\" x=\"1\" y=\"2\"/>"
               "</param><param name=\"label\" type=\"squarefloat\"/>"
               "<param name=\"points\" type=\"arrayvec2\"><key x=\"1\" y=\"2\"/></param></m>");
  EXPECT_EQ(5.0f, static_cast<float>(module.extent))
      << "a string parameter is not read as a float; the value is left unbound";
  EXPECT_EQ(nullptr, module.extent.GetBoundParam());
  EXPECT_EQ(2.5f, static_cast<float>(module.speed));
  EXPECT_STREQ("", module.label);
  EXPECT_EQ(0, module.points.GetCount()) << "a vec2 array is not a vec3 array";
}

TEST_F(Binding, KeyframedValuesRunOnTheOwnersClockAndOnExplicitTimes) {
  // A module's "size" loops its last span; "texture" is constant.
  class CModule : public CTestOwner {
   public:
    CModule() : size(0.01f) {
      AddValue(&size, "size");
      AddValue(&texture, "texture");
      AddValue(&untouched, "untouched");
    }
    CValueVarFloat size;
    CValueString texture;
    CValueLong untouched{42};
  } module;
  ParseElement(&module,
               "<m><param name=\"size\" type=\"linearfloat\" loopstart=\"2\" loopend=\"3\">" +
                   Keys({{"0", "0.01"}, {"2000", "0.5"}, {"4000", "0.1"}}) +
                   "</param><param name=\"texture\" type=\"string\" value=\"pic.png\"/></m>");
  const std::pair<float, float> expected[] = {
      {1000, 0.255f}, {3000, 0.3f}, {4000, 0.5f}, {5000, 0.3f}, {8000, 0.5f}};
  for (const auto& [time, size] : expected) {
    module.SetTime(time);
    EXPECT_NEAR(size, static_cast<float>(module.size), 1e-6f) << "local time " << time;
    EXPECT_NEAR(size, module.size[time], 1e-6f) << "explicit time " << time;
    EXPECT_STREQ("pic.png", module.texture);
  }
  module.SetTime(3000);
  EXPECT_NEAR(0.255f, module.size[1000.0f], 1e-6f) << "operator[] ignores the owner's clock";
  EXPECT_EQ(42, static_cast<int32_t>(module.untouched));
}

TEST_F(Binding, AResourceEvaluatesItsParametersAtTimeZero) {
  class CResourceLike : public CDataProvider {
   public:
    CResourceLike() { AddValue(&level, "level"); }
    CValueFloat level;
  } resource;
  ParseElement(&resource, "<r><param name=\"level\" type=\"linearfloat\">" +
                              Keys({{"-1000", "0"}, {"1000", "20"}}) + "</param></r>");
  EXPECT_EQ(10.0f, static_cast<float>(resource.level));
}

TEST_F(Binding, WithoutAWidgetManagerNothingIsBound) {
  CSpeedModule module;
  TiXmlDocument document;
  document.Parse("<m><param name=\"speed\" type=\"float\" value=\"7\"/></m>");
  module.Parse(document.RootElement());
  EXPECT_EQ(2.5f, static_cast<float>(module.speed));
}

TEST_F(Binding, LongNamesAndDefaultTextsAreCutSafely) {
  const std::string longName(300, 'n');
  CTestOwner owner;
  CValueFloat value(1.0f);
  owner.AddValue(&value, longName.c_str());
  EXPECT_EQ(std::string(255, 'n'), value.GetName());
  ParseElement(&owner,
               "<m><param name=\"" + std::string(255, 'N') + "\" type=\"float\" value=\"3\"/></m>");
  EXPECT_EQ(3.0f, static_cast<float>(value));

  CValueString text(std::string(400, 't').c_str());
  EXPECT_EQ(std::string(255, 't'), static_cast<const char*>(text));
  CValue* none = &value;
  none->SetName(nullptr);
  EXPECT_STREQ("", value.GetName());
}

TEST_F(Binding, ReportsWhatItSkipsWhenAReporterListens) {
  std::vector<std::string> messages;
  m_manager.SetReporter(
      [&](const CScriptFinding& finding) { messages.push_back(finding.Printed()); });
  CSpeedModule module;
  ParseElement(&module,
               "<m type=\"speedy\">\n<param name=\"nothing\" type=\"float\"/>\n"
               "<param name=\"speed\" type=\"wobble\"/>\n"
               "<param name=\"speed\" type=\"string\"/>\n"
               "<param name=\"speed\"/>\n"
               "<param name=\"speed\" type=\"squarefloat\">" +
                   Keys({{"100", "1"}, {"50", "2"}}) + "</param>\n</m>");
  ASSERT_EQ(5u, messages.size());
  EXPECT_EQ("line 2: \"speedy\" has no value named \"nothing\": the parameter is ignored",
            messages[0]);
  EXPECT_EQ("line 3: unknown parameter type \"wobble\" for \"speed\": the value keeps its default",
            messages[1]);
  EXPECT_EQ(
      "line 4: parameter type \"string\" does not fit the value \"speed\": the value keeps its "
      "default",
      messages[2]);
  EXPECT_EQ("line 5: unknown parameter type \"\" for \"speed\": the value keeps its default",
            messages[3]);
  EXPECT_NE(std::string::npos,
            messages[4].find("line 6: the keys of parameter \"speed\" are out of time order"))
      << messages[4];
  EXPECT_EQ(2.0f, module.speed[60.0f]) << "reporting changes nothing about the binding";
}

}  // namespace
