// Every module's and resource's values: script names, value classes, defaults and the order
// of registration, as scripts and stored demos know them (quirks included).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue.h"

namespace {

enum class K {
  Float,
  VarFloat,
  Long,
  VarLong,
  Color,
  VarColor,
  String,
  Vec2,
  VarVec2,
  Vec3,
  VarVec3,
  ArrayVec2,
  ArrayVec3
};

struct Expected {
  const char* name;
  K kind;
  double a = 0, b = 0, c = 0;  // scalar default in a; vectors in a, b, c
  const char* text = "";       // string default
};

struct TypeValues {
  const char* type;
  uint8_t kind;
  std::vector<Expected> values;
};

Expected S(const char* name, const char* text = "") {
  return {name, K::String, 0, 0, 0, text};
}

const std::vector<TypeValues>& Table() {
  static const std::vector<TypeValues> table = {
      {"fmod", PLUGIN_KIND_MODULE, {S("filename"), S("loadfrom")}},
      {"clearscreen", PLUGIN_KIND_MODULE, {{"color", K::VarColor, 0}, {"nozbuffer", K::Long, 0}}},
      {"showimage",
       PLUGIN_KIND_MODULE,
       {{"x", K::VarFloat, 0},
        {"y", K::VarFloat, 0},
        S("texture"),
        {"angle", K::VarFloat, 0},
        {"alpha", K::VarFloat, 1},
        {"scalex", K::VarFloat, 100},
        {"scaley", K::VarFloat, 100},
        {"filter", K::Long, 0},
        {"blending", K::Long, 0}}},
      {"showtime", PLUGIN_KIND_MODULE, {}},
      {"splinetunnel",
       PLUGIN_KIND_MODULE,
       {{"fogstart", K::Float, 0},
        {"fogend", K::Float, 0},
        {"fogcolor", K::Color, 0},
        S("texture"),
        {"seed", K::Long, 100},
        {"rings", K::Long, 100},
        {"space", K::Float, 10},
        {"ringpoints", K::Long, 5},
        {"baseradius", K::Float, 1},
        {"randradius", K::Long, 40},
        {"time", K::Float, 60},
        {"ringsplinepoints", K::Long, 5},
        {"spacesplinepoints", K::Long, 3},
        {"shape", K::ArrayVec3}}},
      {"kluttviewer",
       PLUGIN_KIND_MODULE,
       {S("mesh"),
        {"yrotation", K::VarFloat, 0},
        {"xrotation", K::VarFloat, 0},
        {"zrotation", K::VarFloat, 0},
        {"xscale", K::VarFloat, 1},
        {"yscale", K::VarFloat, 1},
        {"zscale", K::VarFloat, 1},
        {"stretch", K::VarFloat, 0},
        {"ystretch", K::VarFloat, 1},
        {"xstretch", K::VarFloat, 1},
        {"zstretch", K::VarFloat, 1},
        {"scale", K::VarFloat, 0},
        {"x", K::VarFloat, 0},
        {"y", K::VarFloat, 0},
        {"z", K::VarFloat, 0},
        {"xpivot", K::VarFloat, 0},
        {"ypivot", K::VarFloat, 0},
        {"zpivot", K::VarFloat, 0},
        {"shading", K::Long, 0},
        {"mapping", K::Long, 0},
        {"fillmode", K::Long, 0},
        {"culling", K::Long, 0},
        {"usetexture", K::Long, 1},
        {"light", K::Long, 1},
        {"lightcolor", K::VarColor, 0x00FFFFFF},
        {"clearzbuffer", K::Long, 1}}},
      {"blur",
       PLUGIN_KIND_MODULE,
       {S("texture"),
        {"size", K::VarFloat, 0.01},
        {"startalpha", K::VarFloat, 0.1},
        {"light", K::VarFloat, 0.1},
        {"times", K::VarLong, 50},
        {"xoffset", K::VarFloat, 0},
        {"yoffset", K::VarFloat, 0}}},
      {"twister",
       PLUGIN_KIND_MODULE,
       {{"starttwist", K::VarFloat, 0},
        {"endtwist", K::VarFloat, 0},
        {"middletwist", K::VarFloat, 0},
        {"startendtwist", K::VarFloat, 0},
        {"texheighttiling", K::Float, 1},
        {"texwidthtiling", K::Float, 1},
        {"segment", K::Long, 0},
        {"shape", K::ArrayVec2},
        {"body", K::ArrayVec3},
        S("texture"),
        {"eyepoint", K::VarVec3, 0, 0, 0},
        {"lookatpoint", K::VarVec3, 0, 0, 0},
        {"centrum", K::Vec2, 0, 0},
        {"offset", K::VarFloat, 0},
        {"thickness", K::VarFloat, 1},
        {"mapping", K::Long, 0},
        {"specular", K::Long, 0},
        {"lightdirection", K::VarVec3, 0.5, 0, -0.5}}},
      {"text",
       PLUGIN_KIND_MODULE,
       {{"x", K::VarFloat, 0},
        {"y", K::VarFloat, 0},
        S("align", "left"),
        S("text"),
        S("font", "Verdana"),
        {"fontsize", K::Long, 12},
        {"color", K::VarColor, 0xFFFFFFFF}}},
      {"torustunnel",
       PLUGIN_KIND_MODULE,
       {{"camxpos", K::VarFloat, 0},
        {"camypos", K::VarFloat, 0},
        {"camzpos", K::VarFloat, -0.1},
        {"lookatxpos", K::VarFloat, 0},
        {"lookatypos", K::VarFloat, 0},
        {"lookatzpos", K::VarFloat, 5},
        {"camupx", K::VarFloat, 0},
        {"camupy", K::VarFloat, 1},
        {"camupz", K::VarFloat, 0},
        {"projnearclip", K::VarFloat, 0.1},
        {"projfarclip", K::VarFloat, 100},
        {"torusxpos", K::VarFloat, 0},
        {"toruszpos", K::VarFloat, 0},
        {"torusxangle", K::VarFloat, 0},
        {"torusyangle", K::VarFloat, 0},
        {"toruszangle", K::VarFloat, 0},
        {"outsegments", K::VarLong, 128},
        {"outradius", K::VarFloat, 1},
        {"insegments", K::VarLong, 16},
        {"inradius", K::VarFloat, 0.1},
        S("texture")}},
      {"texscreen",
       PLUGIN_KIND_MODULE,
       {{"xnum", K::Long, 30},
        {"ynum", K::Long, 30},
        {"z", K::VarFloat, 0},
        {"xsegsize", K::VarFloat, 0.03},
        {"ysegsize", K::VarFloat, 0.03},
        {"ustart", K::VarFloat, 0},
        {"vstart", K::VarFloat, 0},
        {"uend", K::VarFloat, 1},
        {"vend", K::VarFloat, 1},
        {"bendfactor", K::VarFloat, 0},
        {"zrot", K::VarFloat, 0},
        {"alpha", K::VarFloat, 1},
        S("texture")}},
      {"torusknot",
       PLUGIN_KIND_MODULE,
       {{"p", K::Long, 3},
        {"q", K::Long, 8},
        {"shape", K::ArrayVec2},
        {"psegment", K::Long, 10},
        {"qsegment", K::Long, 6}}},
      {"metaballs",
       PLUGIN_KIND_MODULE,
       {S("texture"),
        {"specular", K::Long, 1},
        {"eyepoint", K::VarVec3, 0, 0, -20},
        {"lookatpoint", K::VarVec3, 0, 0, 0},
        {"lightdirection", K::VarVec3, 0.5, 0, -0.5},
        {"texoffset", K::VarVec2, 0, 0}}},
      {"zuravisnurr",
       PLUGIN_KIND_MODULE,
       {{"speed", K::VarFloat, 0.003},
        {"startposx", K::Float, 0},
        {"startposy", K::Float, 0},
        {"startposz", K::Float, 0},
        {"startdirx", K::Float, 0},
        {"startdiry", K::Float, 0},
        {"startdirz", K::Float, 1},
        {"startupdirx", K::Float, 0},
        {"startupdiry", K::Float, 1},
        {"startupdirz", K::Float, 0},
        {"gravity", K::VarFloat, 0.1},
        {"groundposx", K::VarFloat, 0},
        {"groundposy", K::VarFloat, -1.5},
        {"groundposz", K::VarFloat, 0},
        {"grounddirx", K::VarFloat, 0},
        {"grounddiry", K::VarFloat, 0},
        {"grounddirz", K::VarFloat, 1},
        {"numsegments", K::Long, 30},
        {"segmenttimeinterval", K::Float, 300},
        {"outradius", K::VarFloat, 0.3},
        {"inradius", K::VarFloat, 0.2},
        {"numedges", K::Long, 8},
        S("texture"),
        {"startrotx", K::VarFloat, 0},
        {"startroty", K::VarFloat, 0},
        {"startrotz", K::VarFloat, 0},
        {"camposx", K::VarFloat, 0},
        {"camposy", K::VarFloat, 2},
        {"camposy", K::VarFloat, -8},  // the camera's z under its neighbour's name
        {"camtargetx", K::VarFloat, 0},
        {"camtargety", K::VarFloat, 0},
        {"camtargetz", K::VarFloat, 0},
        {"camupdirx", K::VarFloat, 0},
        {"camupdirz", K::VarFloat, 1},  // the up vector's y
        {"camupdirz", K::VarFloat, 0}}},
      {"raw", PLUGIN_KIND_RESOURCE, {S("filename")}},
      {"texture",
       PLUGIN_KIND_RESOURCE,
       {S("filename"),
        {"width", K::Long, 0},
        {"height", K::Long, 0},
        {"type", K::Long, 0},
        {"colorkey", K::Color, 0},
        {"alpha", K::Long, 0}}},
      {"klutt", PLUGIN_KIND_RESOURCE, {S("filename"), S("texturedir")}},
  };
  return table;
}

template <class Base, class Var>
void ExpectClass(CValue* value, bool var, const std::string& where) {
  EXPECT_NE(nullptr, dynamic_cast<Base*>(value)) << where;
  EXPECT_EQ(var, dynamic_cast<Var*>(value) != nullptr)
      << where << (var ? " is a Var" : " is plain");
}

void ExpectValue(const Expected& expected, CValue* value, const std::string& where) {
  ASSERT_NE(nullptr, value) << where;
  EXPECT_STREQ(expected.name, value->GetName()) << where;
  switch (expected.kind) {
    case K::Float:
    case K::VarFloat: {
      ExpectClass<CValueFloat, CValueVarFloat>(value, expected.kind == K::VarFloat, where);
      auto* v = dynamic_cast<CValueFloat*>(value);
      ASSERT_NE(nullptr, v) << where;
      EXPECT_FLOAT_EQ(static_cast<float>(expected.a), v->GetDefault()) << where;
      break;
    }
    case K::Long:
    case K::VarLong: {
      ExpectClass<CValueLong, CValueVarLong>(value, expected.kind == K::VarLong, where);
      auto* v = dynamic_cast<CValueLong*>(value);
      ASSERT_NE(nullptr, v) << where;
      EXPECT_EQ(static_cast<int32_t>(expected.a), v->GetDefault()) << where;
      break;
    }
    case K::Color:
    case K::VarColor: {
      ExpectClass<CValueColor, CValueVarColor>(value, expected.kind == K::VarColor, where);
      auto* v = dynamic_cast<CValueColor*>(value);
      ASSERT_NE(nullptr, v) << where;
      EXPECT_EQ(static_cast<uint32_t>(expected.a), v->GetDefault()) << where;
      break;
    }
    case K::String: {
      ExpectClass<CValueString, CValueVarString>(value, false, where);
      auto* v = dynamic_cast<CValueString*>(value);
      ASSERT_NE(nullptr, v) << where;
      EXPECT_STREQ(expected.text, v->GetDefault()) << where;
      break;
    }
    case K::Vec2:
    case K::VarVec2: {
      ExpectClass<CValueVec2, CValueVarVec2>(value, expected.kind == K::VarVec2, where);
      auto* v = dynamic_cast<CValueVec2*>(value);
      ASSERT_NE(nullptr, v) << where;
      {
        EXPECT_FLOAT_EQ(static_cast<float>(expected.a), v->GetDefault().x) << where;
        EXPECT_FLOAT_EQ(static_cast<float>(expected.b), v->GetDefault().y) << where;
      }
      break;
    }
    case K::Vec3:
    case K::VarVec3: {
      ExpectClass<CValueVec3, CValueVarVec3>(value, expected.kind == K::VarVec3, where);
      auto* v = dynamic_cast<CValueVec3*>(value);
      ASSERT_NE(nullptr, v) << where;
      {
        EXPECT_FLOAT_EQ(static_cast<float>(expected.a), v->GetDefault().x) << where;
        EXPECT_FLOAT_EQ(static_cast<float>(expected.b), v->GetDefault().y) << where;
        EXPECT_FLOAT_EQ(static_cast<float>(expected.c), v->GetDefault().z) << where;
      }
      break;
    }
    case K::ArrayVec2: {
      auto* v = dynamic_cast<CValueArrayVec2*>(value);
      ASSERT_NE(nullptr, v) << where;
      EXPECT_EQ(0, v->GetCount()) << where << " starts empty";
      break;
    }
    case K::ArrayVec3: {
      auto* v = dynamic_cast<CValueArrayVec3*>(value);
      ASSERT_NE(nullptr, v) << where;
      EXPECT_EQ(0, v->GetCount()) << where << " starts empty";
      break;
    }
  }
}

// Every value named like these names something outside its object; no other value does.
EValueRefers ExpectedRefers(const std::string& name) {
  if (name == "texture") return EValueRefers::Texture;
  if (name == "mesh") return EValueRefers::Resource;
  if (name == "filename") return EValueRefers::File;
  if (name == "texturedir") return EValueRefers::Folder;
  return EValueRefers::Nothing;
}

TEST(ValuesTest, EveryTypeRegistersItsValuesInOrderWithTheirClassesAndDefaults) {
  ASSERT_EQ(17u, Table().size());
  for (const TypeValues& type : Table()) {
    CDataProvider* object = CreateInstance(type.type, type.kind);
    ASSERT_NE(nullptr, object) << type.type;
    EXPECT_EQ(static_cast<int>(type.values.size()), object->GetValueCount()) << type.type;
    for (std::size_t i = 0; i < type.values.size(); ++i) {
      const std::string where = std::string(type.type) + " value " + std::to_string(i) + " \"" +
                                type.values[i].name + "\"";
      ExpectValue(type.values[i], object->GetValue(static_cast<int>(i)), where);
      EXPECT_EQ(ExpectedRefers(type.values[i].name),
                object->GetValue(static_cast<int>(i))->GetRefers())
          << where << ": what its text names, for the script checker";
    }
    FreeInstance(object);
  }
}

TEST(ValuesTest, ANameFindsTheFirstValueRegisteredUnderIt) {
  // The trail tube's camera z and up z sit behind names already taken: scripts reach the
  // first values only, which is what stored demos were tuned against.
  CDataProvider* tube = CreateInstance("zuravisnurr", PLUGIN_KIND_MODULE);
  ASSERT_NE(nullptr, tube);
  EXPECT_EQ(tube->GetValue(27), tube->FindValue("CAMPOSY"));
  EXPECT_EQ(tube->GetValue(33), tube->FindValue("camupdirz"));
  FreeInstance(tube);
}

}  // namespace
