// TCB keyframed parameters: tangents worked out after parsing, Hermite evaluation between
// keys, the end keys outside them, truncation and clamping of long and colour results.
#include "paramtesting.h"

namespace {

using Tcb = ParamTest;

template <int N>
const CTcbKey<N>& KeyAt(const CValue& value, int index) {
  const auto* keys = dynamic_cast<const CParamVar*>(value.GetBoundParam());
  return *static_cast<const CTcbKey<N>*>(keys->GetKeys().Get(index)->GetValue());
}

TEST_F(Tcb, TwoKeysGetHalfTheChordAsTangents) {
  auto curve = Bind<CValueFloat>("tcbfloat", Keys({{"0", "0"}, {"1000", "10"}}));
  const CTcbKey<2>& first = KeyAt<2>(curve->v, 0);
  const CTcbKey<2>& last = KeyAt<2>(curve->v, 1);
  EXPECT_EQ(500.0f, first.dd[0]);
  EXPECT_EQ(5.0f, first.dd[1]);
  EXPECT_EQ(0.0f, first.ds[1]) << "the first key has no incoming tangent";
  EXPECT_EQ(5.0f, last.ds[1]);
  EXPECT_EQ(0.0f, last.dd[1]) << "the last key has no outgoing tangent";
  EXPECT_FLOAT_EQ(5.0f, curve->v[500.0f]);
  EXPECT_EQ(0.0f, curve->v[-10.0f]);
  EXPECT_EQ(10.0f, curve->v[1e6f]);
}

TEST_F(Tcb, MiddleKeyTangentIsHalfTheNeighbourChord) {
  auto curve = Bind<CValueFloat>("tcbfloat", Keys({{"0", "0"}, {"1000", "10"}, {"2000", "0"}}));
  const CTcbKey<2>& middle = KeyAt<2>(curve->v, 1);
  EXPECT_EQ(1000.0f, middle.ds[0]);
  EXPECT_EQ(0.0f, middle.ds[1]);
  EXPECT_EQ(1000.0f, middle.dd[0]);
  EXPECT_EQ(0.0f, middle.dd[1]);
  EXPECT_EQ(10.0f, curve->v[1000.0f]) << "flat at the peak";
  EXPECT_FLOAT_EQ(curve->v[500.0f], curve->v[1500.0f]);
  EXPECT_GT(curve->v[500.0f], 5.0f) << "the curve bulges above the straight line";

  auto single = Bind<CValueFloat>("tcbfloat", Keys({{"10", "3"}}));
  EXPECT_EQ(0.0f, KeyAt<2>(single->v, 0).dd[1]);
  EXPECT_EQ(3.0f, single->v[0.0f]);
  EXPECT_EQ(3.0f, single->v[99.0f]);
  EXPECT_EQ(0.0f, Bind<CValueFloat>("tcbfloat", "")->v[0.0f]);
}

TEST_F(Tcb, LongTruncatesTowardZero) {
  auto curve = Bind<CValueLong>("tcblong", Keys({{"0", "0"}, {"1000", "-5.4"}}));
  EXPECT_EQ(-2, curve->v[500.0f]) << "-2.7 truncates to -2";
  EXPECT_EQ(-5, curve->v[2000.0f]) << "end keys truncate too";
  auto single = Bind<CValueLong>("tcblong", Keys({{"0", "12.9"}}));
  EXPECT_EQ(12, single->v[0.0f]);
}

TEST_F(Tcb, ColourChannelsAreTruncatedAndClamped) {
  auto faint = Bind<CValueColor>("tcbcolor", Keys({{"0", "#00000000"}, {"100", "#00000001"}}));
  EXPECT_EQ(0x00000000u, faint->v[50.0f]) << "0.5 truncates to 0, no rounding";
  EXPECT_EQ(0x00000001u, faint->v[100.0f]);

  // Blue rises to 255 and holds: the spline overshoots above 255 between the last two keys.
  auto over = Bind<CValueColor>("tcbcolor",
                                Keys({{"0", "#000000"}, {"1000", "#0000FF"}, {"2000", "#0000FF"}}));
  EXPECT_EQ(0xFF0000FFu, over->v[1500.0f]);
  // Blue falls to 0 and holds: it undershoots below 0.
  auto under = Bind<CValueColor>(
      "tcbcolor", Keys({{"0", "#0000FF"}, {"1000", "#000000"}, {"2000", "#000000"}}));
  EXPECT_EQ(0xFF000000u, under->v[1500.0f]);

  auto channels = Bind<CValueColor>("tcbcolor", Keys({{"0", "#80402010"}}));
  const CTcbKey<4>& key = KeyAt<4>(channels->v, 0);
  EXPECT_EQ(0x40, key.position[0]) << "red first";
  EXPECT_EQ(0x20, key.position[1]);
  EXPECT_EQ(0x10, key.position[2]);
  EXPECT_EQ(0x80, key.position[3]) << "alpha last";
  EXPECT_EQ(0x80402010u, channels->v[5.0f]);
}

TEST_F(Tcb, VectorsFollowTheSplineThroughTheirCoordinates) {
  auto line = Bind<CValueVec2>("tcbvec2",
                               "<key time=\"0\" x=\"0\" y=\"0\"/>"
                               "<key time=\"100\" x=\"10\" y=\"-20\"/>");
  const D3DXVECTOR2 middle = line->v[50.0f];
  EXPECT_FLOAT_EQ(5.0f, middle.x);
  EXPECT_FLOAT_EQ(-10.0f, middle.y);
  EXPECT_EQ(D3DXVECTOR2(10, -20), line->v[150.0f]);

  auto space = Bind<CValueVec3>("tcbvec3",
                                "<key time=\"0\" x=\"0\" y=\"0\" z=\"0\"/>"
                                "<key time=\"100\" x=\"1\" y=\"2\" z=\"3\"/>"
                                "<key time=\"200\" x=\"0\" y=\"0\" z=\"0\"/>");
  EXPECT_EQ(D3DXVECTOR3(1, 2, 3), space->v[100.0f]);
  EXPECT_EQ(D3DXVECTOR3(0, 0, 0), space->v[-5.0f]);
  const CTcbKey<3>& first = KeyAt<3>(space->v, 0);
  EXPECT_EQ(0.5f, first.dd[0]);
  EXPECT_EQ(1.0f, first.dd[1]);
  EXPECT_EQ(1.5f, first.dd[2]);
  EXPECT_EQ(0.0f, KeyAt<3>(space->v, 1).dd[2]) << "the neighbours are level";
}

}  // namespace
