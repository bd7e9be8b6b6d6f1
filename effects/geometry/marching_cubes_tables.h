// The two marching-cubes tables, indexed by a cube's case index (bit k set when corner k is
// inside). Corners, as (x, y, z) offsets in the cube: 0 (0,0,1), 1 (1,0,1), 2 (1,0,0),
// 3 (0,0,0), 4 (0,1,1), 5 (1,1,1), 6 (1,1,0), 7 (0,1,0). Edges by corner pairs: 0 0-1, 1 1-2,
// 2 2-3, 3 3-0, 4 4-5, 5 5-6, 6 6-7, 7 7-4, 8 0-4, 9 1-5, 10 2-6, 11 3-7.
#pragma once

#include <cstdint>

namespace effects {

// Bit e set when edge e is cut by the surface.
extern const uint16_t kCutEdges[256];
// Up to five triangles as edge-number triples, ended by -1.
extern const int8_t kCaseTriangles[256][16];

// The corner offsets and the edges' corner pairs of the numbering above.
constexpr int kCubeCorner[8][3] = {{0, 0, 1}, {1, 0, 1}, {1, 0, 0}, {0, 0, 0},
                                   {0, 1, 1}, {1, 1, 1}, {1, 1, 0}, {0, 1, 0}};
constexpr int kCubeEdge[12][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6},
                                  {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};

}  // namespace effects
