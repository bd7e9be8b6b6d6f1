// Linear and Square keyframed parameters between, at and beyond their keys, and the loop
// mapping of keyframed time.
#include <string>
#include <utility>
#include <vector>

#include "paramtesting.h"

namespace {

using Keyframes = ParamTest;

const CParamVar& KeysOf(const CValue& value) {
  return *dynamic_cast<const CParamVar*>(value.GetBoundParam());
}

void ExpectFloats(CValueFloat& value, const std::vector<std::pair<float, float>>& expected) {
  for (const auto& [time, result] : expected) {
    EXPECT_FLOAT_EQ(result, value[time]) << "at t = " << time;
  }
}

const char kThreeKeys[] =
    "<key time=\"0\" value=\"0\"/><key time=\"1000\" value=\"1\"/>"
    "<key time=\"2000\" value=\"2\"/>";

TEST_F(Keyframes, LoopMapsTimesPastTheLoopEndIntoTheLoop) {
  auto looped = Bind<CValueFloat>("linearfloat", kThreeKeys, "loopstart=\"2\" loopend=\"3\"");
  const CParamVar& loop = KeysOf(looped->v);
  EXPECT_EQ(1500.0f, loop.GetLoopTime(1500));
  EXPECT_EQ(1000.0f, loop.GetLoopTime(2000)) << "the loop end maps to the loop start";
  EXPECT_EQ(1500.0f, loop.GetLoopTime(2500));
  EXPECT_EQ(1000.0f, loop.GetLoopTime(3000));
  EXPECT_EQ(-50.0f, loop.GetLoopTime(-50));
  EXPECT_FLOAT_EQ(1.5f, looped->v[2500.0f]) << "values are read at the mapped time";

  auto plain = Bind<CValueFloat>("linearfloat", kThreeKeys);
  EXPECT_EQ(2500.0f, KeysOf(plain->v).GetLoopTime(2500));
}

TEST_F(Keyframes, LoopOddCases) {
  auto endOnly = Bind<CValueFloat>("squarefloat", kThreeKeys, "loopend=\"2\"");
  EXPECT_EQ(0.0f, KeysOf(endOnly->v).GetLoopTime(1000)) << "the span starts at time 0";
  EXPECT_EQ(250.0f, KeysOf(endOnly->v).GetLoopTime(1250));

  auto same = Bind<CValueFloat>("linearfloat", kThreeKeys, "loopstart=\"2\" loopend=\"2\"");
  EXPECT_EQ(5000.0f, KeysOf(same->v).GetLoopTime(5000)) << "zero length: no looping";

  auto reversed = Bind<CValueFloat>("linearfloat", kThreeKeys, "loopstart=\"3\" loopend=\"2\"");
  EXPECT_EQ(250.0f, KeysOf(reversed->v).GetLoopTime(1250))
      << "the walk stops at the end key, so the start time stays 0";

  auto beyond = Bind<CValueFloat>("linearfloat", kThreeKeys, "loopstart=\"2\" loopend=\"9\"");
  EXPECT_EQ(-50.0f, KeysOf(beyond->v).GetLoopTime(-50));
  EXPECT_EQ(1500.0f, KeysOf(beyond->v).GetLoopTime(500))
      << "end time 0, length -1000: the mapping applies as written";

  auto sloppy = Bind<CValueFloat>("linearfloat", kThreeKeys, "loopstart=\"2abc\" loopend=\"3\"");
  EXPECT_EQ(2, KeysOf(sloppy->v).GetLoopStartKey());
  EXPECT_EQ(1000.0f, KeysOf(sloppy->v).GetLoopTime(2000));

  auto empty = Bind<CValueFloat>("linearfloat", "", "loopstart=\"1\" loopend=\"2\"");
  EXPECT_EQ(7.0f, KeysOf(empty->v).GetLoopTime(7));
}

TEST_F(Keyframes, LinearFloatBetweenAtAndBeyondKeys) {
  auto linear = Bind<CValueFloat>("linearfloat", Keys({{"0", "10"}, {"1000", "20"}}));
  ExpectFloats(linear->v, {{-5, 10}, {0, 10}, {250, 12.5f}, {1000, 20}, {5000, 20}});

  auto jump = Bind<CValueFloat>("linearfloat",
                                Keys({{"0", "0"}, {"100", "10"}, {"100", "50"}, {"200", "60"}}));
  ExpectFloats(jump->v, {{100, 10}, {150, 55}});

  auto none = Bind<CValueFloat>("linearfloat", "<notakey time=\"0\" value=\"1\"/>");
  ExpectFloats(none->v, {{0, 0}, {100, 0}});
}

TEST_F(Keyframes, LinearLongInterpolatesAndTruncatesTowardZero) {
  auto up = Bind<CValueLong>("linearlong", Keys({{"0", "0"}, {"1000", "10"}}));
  EXPECT_EQ(2, up->v[250.0f]);
  EXPECT_EQ(9, up->v[999.0f]);
  EXPECT_EQ(10, up->v[1000.0f]);
  auto down = Bind<CValueLong>("linearlong", Keys({{"0", "0.5"}, {"1000", "-10"}}));
  EXPECT_EQ(0, down->v[0.0f]);
  EXPECT_EQ(-2, down->v[250.0f]);
  auto huge = Bind<CValueLong>("linearlong", Keys({{"0", "1e20"}, {"10", "-1e20"}}));
  EXPECT_EQ(INT32_MAX, huge->v[0.0f]) << "out of range saturates";
  EXPECT_EQ(INT32_MIN, huge->v[10.0f]);
  EXPECT_EQ(0, Bind<CValueLong>("linearlong", "")->v[3.0f]);
}

TEST_F(Keyframes, LinearVectorsPerComponent) {
  auto vec2 = Bind<CValueVec2>(
      "linearvec2", "<key time=\"0\" x=\"0\" y=\"10\"/><key time=\"100\" x=\"4\" y=\"0\"/>");
  EXPECT_EQ(D3DXVECTOR2(1, 7.5f), vec2->v[25.0f]);
  EXPECT_EQ(D3DXVECTOR2(4, 0), vec2->v[200.0f]);
  auto vec3 = Bind<CValueVec3>("linearvec3",
                               "<key time=\"0\" x=\"0\" y=\"0\" z=\"0\"/>"
                               "<key time=\"10\" x=\"2\" y=\"-4\" z=\"8\"/>");
  EXPECT_EQ(D3DXVECTOR3(1, -2, 4), vec3->v[5.0f]);
  EXPECT_EQ(D3DXVECTOR3(0, 0, 0), Bind<CValueVec3>("linearvec3", "")->v[1.0f]);
}

TEST_F(Keyframes, LinearColourRoundsEachChannel) {
  auto blue = Bind<CValueColor>("linearcolor", Keys({{"0", "#FF000000"}, {"100", "#FF0000FF"}}));
  EXPECT_EQ(0xFF000080u, blue->v[50.0f]);
  EXPECT_EQ(0xFF000000u, blue->v[-1.0f]);
  EXPECT_EQ(0xFF0000FFu, blue->v[100.0f]);

  auto faint = Bind<CValueColor>("linearcolor", Keys({{"0", "#00000000"}, {"100", "#00000001"}}));
  EXPECT_EQ(0x00000001u, faint->v[50.0f]) << "1 x 0.5 + 0.5 rounds up";

  auto opaque = Bind<CValueColor>("linearcolor", Keys({{"0", "#FF0000"}, {"100", "#00FF00"}}));
  EXPECT_EQ(0xFF808000u, opaque->v[50.0f]) << "short colour texts are opaque";
  EXPECT_EQ(0u, Bind<CValueColor>("linearcolor", "")->v[0.0f]);
}

TEST_F(Keyframes, SquareHoldsEachKeyAndShowsTheLastBeforeTheFirst) {
  auto steps = Bind<CValueFloat>("squarefloat", Keys({{"100", "1"}, {"200", "2"}, {"300", "3"}}));
  ExpectFloats(steps->v, {{50, 3}, {100, 1}, {199, 1}, {200, 2}, {1000, 3}});

  auto twins = Bind<CValueFloat>("squarefloat",
                                 Keys({{"100", "1"}, {"200", "2"}, {"200", "5"}, {"300", "3"}}));
  ExpectFloats(twins->v, {{200, 5}, {150, 1}});

  auto longs = Bind<CValueLong>("squarelong", Keys({{"0", "-7"}, {"10", "4"}}));
  EXPECT_EQ(-7, longs->v[5.0f]);
  EXPECT_EQ(4, longs->v[10.0f]);

  auto colours = Bind<CValueColor>("squarecolor", Keys({{"0", "#123456"}, {"10", "#01020304"}}));
  EXPECT_EQ(0xFF123456u, colours->v[5.0f]);
  EXPECT_EQ(0x01020304u, colours->v[10.0f]);

  auto vec3 = Bind<CValueVec3>("squarevec3",
                               "<key time=\"0\" x=\"1\" y=\"2\" z=\"3\"/>"
                               "<key time=\"10\" x=\"4\" y=\"5\" z=\"6\"/>");
  EXPECT_EQ(D3DXVECTOR3(1, 2, 3), vec3->v[9.0f]);
  EXPECT_EQ(D3DXVECTOR3(4, 5, 6), vec3->v[-1.0f]);
}

TEST_F(Keyframes, EmptySquareParametersYieldEmptyResults) {
  EXPECT_STREQ("", Bind<CValueString>("squarestring", "")->v[0.0f]);
  EXPECT_EQ(D3DXVECTOR2(0, 0), Bind<CValueVec2>("squarevec2", "")->v[0.0f]);
  EXPECT_EQ(0.0f, Bind<CValueFloat>("squarefloat", "")->v[0.0f]);
  EXPECT_EQ(0, Bind<CValueLong>("squarelong", "")->v[0.0f]);
  EXPECT_EQ(0u, Bind<CValueColor>("squarecolor", "")->v[0.0f]);
}

}  // namespace
