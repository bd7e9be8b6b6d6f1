// Constant and array parameters and the conversion of attribute text (numbers, colours).
#include <clocale>
#include <string>

#include "params/scripttext.h"
#include "paramtesting.h"

namespace {

using Constant = ParamTest;

TEST_F(Constant, NumbersFollowAtoiAndAtof) {
  EXPECT_EQ(1.5f, static_cast<float>(Bind<CValueFloat>("float", "", "value=\"1.5abc\"")->v));
  EXPECT_EQ(20.0f, static_cast<float>(Bind<CValueFloat>("float", "", "value=\"  2e1\"")->v));
  EXPECT_EQ(0.0f, static_cast<float>(Bind<CValueFloat>("float", "", "value=\"abc\"")->v));
  EXPECT_EQ(0.0f, static_cast<float>(Bind<CValueFloat>("float", "")->v)) << "no value attribute";
  EXPECT_EQ(12, static_cast<int32_t>(Bind<CValueLong>("int", "", "value=\"12.9\"")->v));
  EXPECT_EQ(-7, static_cast<int32_t>(Bind<CValueLong>("long", "", "value=\" -7x\"")->v));
  EXPECT_EQ(INT32_MAX, ScriptInt("99999999999")) << "beyond 32 bits saturates";
  EXPECT_EQ(INT32_MIN, ScriptInt("-99999999999"));
}

TEST_F(Constant, ColourTextIsHashThenAlphaRedGreenBlue) {
  EXPECT_EQ(0x00FF0000u,
            static_cast<uint32_t>(Bind<CValueColor>("color", "", "value=\"#FF0000\"")->v))
      << "a constant colour keeps alpha 0 when it is not written";
  EXPECT_EQ(0x80FF0000u,
            static_cast<uint32_t>(Bind<CValueColor>("color", "", "value=\"#80FF0000\"")->v));
  EXPECT_EQ(0u, static_cast<uint32_t>(Bind<CValueColor>("color", "", "value=\"#\"")->v));
  EXPECT_EQ(0u, static_cast<uint32_t>(Bind<CValueColor>("color", "", "value=\"\"")->v))
      << "an empty text has no first character to skip";

  EXPECT_EQ(0xFFFF0000u, ScriptKeyColor("#FF0000")) << "keys force alpha unless 9 characters";
  EXPECT_EQ(0x80FF0000u, ScriptKeyColor("#80FF0000"));
  EXPECT_EQ(0x000000FFu, ScriptKeyColor("#000000FF"));
  EXPECT_EQ(0xFF000000u, ScriptKeyColor("#"));
  EXPECT_EQ(0xFF000000u, ScriptKeyColor(""));
  EXPECT_EQ(0xFFFFFFFFu, ScriptColor("#1FFFFFFFF")) << "beyond 32 bits saturates";
  EXPECT_EQ(0xFFFFFFFFu, ScriptColor("#-1")) << "a minus negates modulo 2^32";
  EXPECT_EQ(0x12u, ScriptColor("x12zz"));
  EXPECT_EQ(0u, ScriptColor("#--5"));
}

TEST_F(Constant, StringsVectorsAndLongsKeepTheirValues) {
  auto text = Bind<CValueString>("string", "<ignored value=\"no\"/>", "value=\"hello world\"");
  EXPECT_STREQ("hello world", text->v);
  EXPECT_STREQ("hello world", text->v[99.0f]);
  EXPECT_STREQ("", Bind<CValueString>("string", "")->v) << "no value attribute reads as empty";

  auto vec2 = Bind<CValueVec2>("vec2", "", "x=\"1.5\" y=\"-2\"");
  EXPECT_EQ(D3DXVECTOR2(1.5f, -2.0f), static_cast<D3DXVECTOR2>(vec2->v));
  auto vec3 = Bind<CValueVarVec3>("vec3", "", "x=\"1\" y=\"2\" z=\"3\"");
  EXPECT_EQ(D3DXVECTOR3(1, 2, 3), vec3->v[5000.0f]);
}

TEST_F(Constant, ArraysHoldTheirPointsInReverseDocumentOrder) {
  auto points =
      Bind<CValueArrayVec2>("arrayvec2",
                            "<key x=\"1\" y=\"2\"/><other x=\"9\" y=\"9\"/><KEY x=\"3\" y=\"4\"/>"
                            "<Key x=\"5\" y=\"6\"/>");
  ASSERT_EQ(3, points->v.GetCount());
  EXPECT_EQ(D3DXVECTOR2(5, 6), points->v[0]);
  EXPECT_EQ(D3DXVECTOR2(3, 4), points->v[1]);
  EXPECT_EQ(D3DXVECTOR2(1, 2), points->v[2]);
  EXPECT_EQ(D3DXVECTOR2(0, 0), points->v[3]) << "past the end is the zero vector";
  EXPECT_EQ(D3DXVECTOR2(0, 0), points->v[-1]) << "so is a negative index";
  EXPECT_EQ(D3DXVECTOR2(5, 6), static_cast<D3DXVECTOR2>(points->v));

  auto points3 = Bind<CValueArrayVec3>("arrayvec3", "<key x=\"1\" y=\"2\" z=\"3\"/>");
  ASSERT_EQ(1, points3->v.GetCount());
  EXPECT_EQ(D3DXVECTOR3(1, 2, 3), points3->v[0]);

  auto empty = Bind<CValueArrayVec3>("arrayvec3", "<point x=\"1\"/>");
  EXPECT_EQ(0, empty->v.GetCount());
  EXPECT_EQ(D3DXVECTOR3(0, 0, 0), empty->v[0]);
  EXPECT_EQ(D3DXVECTOR3(0, 0, 0), static_cast<D3DXVECTOR3>(empty->v));
}

TEST_F(Constant, KeyTextIsReadPerType) {
  auto stepped = Bind<CValueLong>("squarelong", Keys({{"0", "12.9"}}));
  EXPECT_EQ(12, static_cast<int32_t>(stepped->v));

  auto spline = Bind<CValueLong>("tcblong", Keys({{"0", "12.9"}, {"1000", "0"}}));
  const auto* tcb = dynamic_cast<const CParamVar*>(spline->v.GetBoundParam());
  ASSERT_NE(nullptr, tcb);
  EXPECT_EQ(12.9f,
            static_cast<const CTcbKey<2>*>(tcb->GetKeys().GetHead()->GetValue())->position[1])
      << "tcblong keeps the key as a float";

  auto texts = Bind<CValueString>("squarestring", Keys({{"0", "a"}, {"10", "bb"}, {"20", "ccc"}}),
                                  "value=\"ignored\"");
  EXPECT_STREQ("a", texts->v[5.0f]);
  EXPECT_STREQ("bb", texts->v[10.0f]);
  EXPECT_STREQ("ccc", texts->v[25.0f]);
  const char* first = texts->v[0.0f];
  const char* second = texts->v[10.0f];
  EXPECT_NE(first, second) << "each key holds its own copy";
}

}  // namespace

namespace {

TEST(ScriptText, NumbersIgnoreTheProcessLocale) {
  const char* previous = setlocale(LC_NUMERIC, nullptr);
  const std::string saved = previous ? previous : "C";
  if (!setlocale(LC_NUMERIC, "de_DE.UTF-8") && !setlocale(LC_NUMERIC, "fr_FR.UTF-8")) {
    GTEST_SKIP() << "no locale with a decimal comma installed";
  }
  const float value = ScriptFloat("1.5");
  setlocale(LC_NUMERIC, saved.c_str());
  EXPECT_EQ(1.5f, value) << "a toolkit that sets the user's locale must not change scripts";
}

}  // namespace
