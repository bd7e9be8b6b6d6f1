// Triangles redrawn as edges or corners (the fill modes where GL ES has no polygon mode).
#include "d3d9/primitive_edges.h"

#include <gtest/gtest.h>

namespace {

using vexil::d3d9::TriangleOutlines;
using Indices = std::vector<uint32_t>;

Indices Outline(D3DPRIMITIVETYPE type, const Indices& vertices, bool points = false) {
  Indices out;
  TriangleOutlines(type, vertices, points, &out);
  return out;
}

TEST(PrimitiveEdges, ListGivesEachTrianglesThreeEdgesAndIgnoresLeftovers) {
  EXPECT_EQ(Outline(D3DPT_TRIANGLELIST, {4, 5, 6, 7, 8, 9, 10}),
            (Indices{4, 5, 5, 6, 6, 4, 7, 8, 8, 9, 9, 7}));
  EXPECT_EQ(Outline(D3DPT_TRIANGLELIST, {1, 2}), Indices{});
}

TEST(PrimitiveEdges, StripAndFanShareVerticesAsD3DBuildsTheirTriangles) {
  EXPECT_EQ(Outline(D3DPT_TRIANGLESTRIP, {0, 1, 2, 3}),
            (Indices{0, 1, 1, 2, 2, 0, 1, 2, 2, 3, 3, 1}));
  EXPECT_EQ(Outline(D3DPT_TRIANGLEFAN, {0, 1, 2, 3}),
            (Indices{0, 1, 1, 2, 2, 0, 0, 2, 2, 3, 3, 0}));
}

TEST(PrimitiveEdges, PointFillGivesCornersAndOtherPrimitivesAreLeftAlone) {
  EXPECT_EQ(Outline(D3DPT_TRIANGLEFAN, {7, 8, 9, 10}, true), (Indices{7, 8, 9, 7, 9, 10}));
  EXPECT_EQ(Outline(D3DPT_LINELIST, {0, 1, 2, 3}), Indices{});
  EXPECT_FALSE(vexil::d3d9::IsTrianglePrimitive(D3DPT_POINTLIST));
  EXPECT_TRUE(vexil::d3d9::IsTrianglePrimitive(D3DPT_TRIANGLESTRIP));
}

TEST(PrimitiveEdges, AppendsAfterWhatIsThere) {
  Indices out{42};
  TriangleOutlines(D3DPT_TRIANGLELIST, {0, 1, 2}, false, &out);
  EXPECT_EQ(out, (Indices{42, 0, 1, 1, 2, 2, 0}));
}

}  // namespace
