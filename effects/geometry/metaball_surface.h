// The metaball surface without a device: four point sources add up to a field on a fixed
// 16 x 16 x 16 grid, and the surface where the field reaches the threshold is extracted with
// marching cubes. Only cubes reachable from a ball are visited: each ball walks to the surface
// and the search then floods along it. Every vertex is computed once per frame.
#pragma once

#include <cstdint>
#include <vector>

#include "d3dx9/d3dx9math.h"
#include "vertex_formats.h"

namespace effects {

constexpr int kMetaballSources = 4;

// Where the four balls are at module time `timeMs` (milliseconds).
void MetaballCentres(float timeMs, D3DXVECTOR3 centres[kMetaballSources]);

class MetaballSurface {
 public:
  static constexpr int kCubesPerAxis = 16;
  static constexpr int kPointsPerAxis = kCubesPerAxis + 1;
  static constexpr int kCubeCount = kCubesPerAxis * kCubesPerAxis * kCubesPerAxis;
  static constexpr int kPointCount = kPointsPerAxis * kPointsPerAxis * kPointsPerAxis;
  static constexpr float kExtent = 40.0f;  // the grid runs from -20 to +20 on each axis
  static constexpr float kCellSize = kExtent / kCubesPerAxis;
  static constexpr float kThreshold = 0.034f;
  // A cube yields at most five triangles, and each cube is triangulated at most once a frame.
  static constexpr int kMaxTriangles = 5 * kCubeCount;

  // Neighbour directions of a cube, in the order the search tries them.
  enum Direction { kMinusX, kPlusX, kMinusY, kPlusY, kMinusZ, kPlusZ, kDirections };

  MetaballSurface();

  // Recomputes the whole surface for balls at `centres`; texOffset is added to every
  // vertex's texture coordinates.
  void Build(const D3DXVECTOR3 centres[kMetaballSources], const D3DXVECTOR2& texOffset);

  // The triangles of the last Build, three vertices each, in cube-list order.
  const VertexNormalTex* Vertices() const { return m_vertices.data(); }
  int TriangleCount() const { return m_triangleCount; }
  // Cube indices (x + 16 * (y + 16 * z)) in the order the search found them.
  const std::vector<int>& CubeList() const { return m_cubeList; }

  static int CubeIndex(int x, int y, int z) { return x + kCubesPerAxis * (y + kCubesPerAxis * z); }
  // The field of the current centres at a point. A point on a centre gets a large finite
  // value instead of 1/0, so positions and normals stay finite.
  float Field(float x, float y, float z) const;

 private:
  struct Edge {
    int from, to;  // grid points, the edge's own point first; -1 where absent
    uint32_t computedFrame = 0;
    VertexNormalTex vertex{};
  };
  struct Cube {
    int corner[8];
    int edge[12];
    int neighbour[kDirections];  // -1 at the grid border
    uint32_t listedFrame = 0;
    uint32_t evaluatedFrame = 0;
    uint8_t caseIndex = 0;
  };

  // Case index of a cube, computed once per frame; true when the surface passes through it.
  bool Evaluate(int cube);
  // The cube containing a centre, or -1 when the centre lies outside the grid.
  static int CubeContaining(const D3DXVECTOR3& centre);
  void Walk(int startCube);
  void Flood(int startCube);
  void List(int cube);
  const VertexNormalTex& SurfaceVertex(int edge);
  void Triangulate(int cube);

  std::vector<D3DXVECTOR3> m_pointPosition;
  std::vector<float> m_pointValue;
  std::vector<uint8_t> m_pointInside;
  std::vector<Edge> m_edges;  // three per grid point: along +x, +y, +z
  std::vector<Cube> m_cubes;

  D3DXVECTOR3 m_centres[kMetaballSources];
  D3DXVECTOR2 m_texOffset;
  uint32_t m_frame = 0;  // flags hold the frame they were set in, so a new frame resets them
  std::vector<int> m_cubeList;
  struct FloodStep {
    int cube;
    int nextDirection;
  };
  std::vector<FloodStep> m_floodStack;  // explicit: a flood can run 4,096 cubes deep
  // Grows to the most triangles a frame has had (about a twentieth of kMaxTriangles for the
  // module's balls) rather than holding room for all of them.
  std::vector<VertexNormalTex> m_vertices;
  int m_triangleCount = 0;
};

}  // namespace effects
