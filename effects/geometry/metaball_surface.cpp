// Field, surface search and marching-cubes triangulation of the metaball grid.
#include "metaball_surface.h"

#include <algorithm>
#include <cmath>

#include "marching_cubes_tables.h"

namespace effects {

namespace {

// 1/d² near a centre is capped at 1/kMinDistanceSq: finite, yet far above the threshold, so
// the picture is unchanged wherever the plain formula was defined.
constexpr float kMinDistanceSq = 1e-12f;
constexpr float kGradientStep = 0.1f;

float SourceField(const D3DXVECTOR3& c, float x, float y, float z) {
  const float dx = x - c.x, dy = y - c.y, dz = z - c.z;
  return 1.0f / std::max(dx * dx + dy * dy + dz * dz, kMinDistanceSq);
}

}  // namespace

void MetaballCentres(float timeMs, D3DXVECTOR3 c[kMetaballSources]) {
  const float a = timeMs * 0.018f;
  c[0] = D3DXVECTOR3(10.4f * std::cos(a * 0.083333328f), 10.4f * std::cos(a * 0.14285715f),
                     10.4f * std::sin(a * 0.16666667f));
  c[1] = D3DXVECTOR3(2.6f * std::cos(a * 0.12727273f), 2.6f * std::sin(a * 0.085714288f),
                     10.4f * std::sin(a * 0.076923080f));
  c[2] = D3DXVECTOR3(10.4f * std::sin(a * 0.13333333f), 10.4f * std::sin(a * 0.057142857f),
                     10.4f * std::cos(a * 0.026315790f));
  // Ball 3 shares ball 1's y, and its z uses the multiplier of ball 0's x.
  c[3] = D3DXVECTOR3(2.6f * std::cos(a * 0.10769231f), 2.6f * std::sin(a * 0.085714288f),
                     10.4f * std::sin(a * 0.083333328f));
}

MetaballSurface::MetaballSurface()
    : m_pointPosition(kPointCount),
      m_pointValue(kPointCount, 0.0f),
      m_pointInside(kPointCount, 0),
      m_edges(static_cast<size_t>(kPointCount) * 3),
      m_cubes(kCubeCount) {
  const auto point = [](int x, int y, int z) {
    return x + kPointsPerAxis * (y + kPointsPerAxis * z);
  };
  const float origin = -kExtent * 0.5f;
  for (int z = 0; z < kPointsPerAxis; ++z) {
    for (int y = 0; y < kPointsPerAxis; ++y) {
      for (int x = 0; x < kPointsPerAxis; ++x) {
        const int p = point(x, y, z);
        m_pointPosition[p] =
            D3DXVECTOR3(origin + kCellSize * x, origin + kCellSize * y, origin + kCellSize * z);
        const int coord[3] = {x, y, z};
        for (int axis = 0; axis < 3; ++axis) {
          Edge& edge = m_edges[p * 3 + axis];
          edge.from = edge.to = -1;
          if (coord[axis] + 1 >= kPointsPerAxis) continue;  // no neighbour past the border
          edge.from = p;
          edge.to = point(x + (axis == 0), y + (axis == 1), z + (axis == 2));
        }
      }
    }
  }

  for (int z = 0; z < kCubesPerAxis; ++z) {
    for (int y = 0; y < kCubesPerAxis; ++y) {
      for (int x = 0; x < kCubesPerAxis; ++x) {
        Cube& cube = m_cubes[CubeIndex(x, y, z)];
        for (int k = 0; k < 8; ++k) {
          cube.corner[k] =
              point(x + kCubeCorner[k][0], y + kCubeCorner[k][1], z + kCubeCorner[k][2]);
        }
        for (int e = 0; e < 12; ++e) {
          // The grid edge belongs to the end point that is lower along the edge's axis.
          const int* a = kCubeCorner[kCubeEdge[e][0]];
          const int* b = kCubeCorner[kCubeEdge[e][1]];
          const int axis = a[0] != b[0] ? 0 : (a[1] != b[1] ? 1 : 2);
          const int* low = a[axis] < b[axis] ? a : b;
          cube.edge[e] = point(x + low[0], y + low[1], z + low[2]) * 3 + axis;
        }
        cube.neighbour[kMinusX] = x > 0 ? CubeIndex(x - 1, y, z) : -1;
        cube.neighbour[kPlusX] = x + 1 < kCubesPerAxis ? CubeIndex(x + 1, y, z) : -1;
        cube.neighbour[kMinusY] = y > 0 ? CubeIndex(x, y - 1, z) : -1;
        cube.neighbour[kPlusY] = y + 1 < kCubesPerAxis ? CubeIndex(x, y + 1, z) : -1;
        cube.neighbour[kMinusZ] = z > 0 ? CubeIndex(x, y, z - 1) : -1;
        cube.neighbour[kPlusZ] = z + 1 < kCubesPerAxis ? CubeIndex(x, y, z + 1) : -1;
      }
    }
  }
  m_cubeList.reserve(kCubeCount);
  m_floodStack.reserve(kCubeCount);
}

float MetaballSurface::Field(float x, float y, float z) const {
  float sum = 0.0f;
  for (const D3DXVECTOR3& c : m_centres) sum += SourceField(c, x, y, z);
  return sum;
}

void MetaballSurface::Build(const D3DXVECTOR3 centres[kMetaballSources],
                            const D3DXVECTOR2& texOffset) {
  std::copy(centres, centres + kMetaballSources, m_centres);
  m_texOffset = texOffset;
  if (++m_frame == 0) {
    // The frame counter wrapped: clear the stamps once so no old flag reads as current.
    for (Edge& edge : m_edges) edge.computedFrame = 0;
    for (Cube& cube : m_cubes) cube.listedFrame = cube.evaluatedFrame = 0;
    m_frame = 1;
  }

  for (int p = 0; p < kPointCount; ++p) {
    const D3DXVECTOR3& pos = m_pointPosition[p];
    m_pointValue[p] = Field(pos.x, pos.y, pos.z);
    m_pointInside[p] = m_pointValue[p] >= kThreshold;
  }

  m_cubeList.clear();
  m_vertices.clear();  // keeps its capacity: after the first frames nothing is allocated
  m_triangleCount = 0;
  for (const D3DXVECTOR3& centre : m_centres) {
    const int cube = CubeContaining(centre);
    if (cube >= 0) Walk(cube);
  }
  for (int cube : m_cubeList) Triangulate(cube);
}

int MetaballSurface::CubeContaining(const D3DXVECTOR3& c) {
  const float half = kExtent * 0.5f;
  const float q[3] = {(half + c.x) / kCellSize, (half + c.y) / kCellSize, (half + c.z) / kCellSize};
  int index[3];
  for (int axis = 0; axis < 3; ++axis) {
    // Truncation toward zero, as the index has always been taken; a centre outside the grid
    // has no cube and starts no walk (its field still counts).
    if (!(q[axis] > -1.0f && q[axis] < static_cast<float>(kCubesPerAxis))) return -1;
    index[axis] = static_cast<int>(q[axis]);
  }
  return CubeIndex(index[0], index[1], index[2]);
}

bool MetaballSurface::Evaluate(int index) {
  Cube& cube = m_cubes[index];
  if (cube.evaluatedFrame != m_frame) {
    cube.evaluatedFrame = m_frame;
    uint8_t caseIndex = 0;
    for (int k = 0; k < 8; ++k) {
      if (m_pointInside[cube.corner[k]]) caseIndex |= static_cast<uint8_t>(1u << k);
    }
    cube.caseIndex = caseIndex;
  }
  return cube.caseIndex != 0 && cube.caseIndex != 255;
}

void MetaballSurface::Walk(int start) {
  int cube = start;
  if (!Evaluate(cube)) {
    // A ball's own cube is normally wholly inside: walk straight out along the first
    // direction that has a neighbour (-x for every cube but those of the first column).
    int direction = 0;
    while (direction < kDirections && m_cubes[start].neighbour[direction] < 0) ++direction;
    if (direction == kDirections) return;
    do {
      cube = m_cubes[cube].neighbour[direction];
      if (cube < 0) return;  // passed the border without meeting the surface
    } while (!Evaluate(cube));
  }
  if (m_cubes[cube].listedFrame != m_frame) Flood(cube);
}

void MetaballSurface::List(int cube) {
  m_cubes[cube].listedFrame = m_frame;
  m_cubeList.push_back(cube);
}

void MetaballSurface::Flood(int start) {
  // Depth first, neighbours in direction order, each visited before the next is looked at:
  // the order a recursive flood gives, without its stack depth.
  List(start);
  m_floodStack.clear();
  m_floodStack.push_back({start, 0});
  while (!m_floodStack.empty()) {
    FloodStep& step = m_floodStack.back();
    if (step.nextDirection == kDirections) {
      m_floodStack.pop_back();
      continue;
    }
    const int next = m_cubes[step.cube].neighbour[step.nextDirection++];
    if (next < 0 || m_cubes[next].listedFrame == m_frame || !Evaluate(next)) continue;
    List(next);
    m_floodStack.push_back({next, 0});
  }
}

const VertexNormalTex& MetaballSurface::SurfaceVertex(int index) {
  Edge& edge = m_edges[index];
  if (edge.computedFrame == m_frame) return edge.vertex;
  edge.computedFrame = m_frame;

  // One end is inside and the other not, so the two values differ.
  const float a = m_pointValue[edge.from], b = m_pointValue[edge.to];
  const float m = (kThreshold - a) / (b - a);
  const D3DXVECTOR3& pa = m_pointPosition[edge.from];
  const D3DXVECTOR3 p = pa + (m_pointPosition[edge.to] - pa) * m;

  // Forward difference of the field: the normal points towards rising field, into the blob.
  const float s = Field(p.x, p.y, p.z);
  const D3DXVECTOR3 gradient(Field(p.x + kGradientStep, p.y, p.z) - s,
                             Field(p.x, p.y + kGradientStep, p.z) - s,
                             Field(p.x, p.y, p.z + kGradientStep) - s);
  D3DXVECTOR3 n;
  D3DXVec3Normalize(&n, &gradient);

  VertexNormalTex& v = edge.vertex;
  v.x = p.x;
  v.y = p.y;
  v.z = p.z;
  v.u = 1.0f - n.x * 0.5f + 0.5f + m_texOffset.x;
  v.v = (n.y + 1.0f) * 0.5f + m_texOffset.y;
  v.nx = n.x;
  v.ny = n.y;
  v.nz = n.z;
  // Kept as the blobs have always looked: where the normal is neither steep in x nor in y
  // its y becomes 0.8 (after the texture coordinates were taken), brightening those faces.
  if (!(std::fabs(static_cast<double>(n.x)) > 0.7) && !(std::fabs(static_cast<double>(n.y)) > 0.7))
    v.ny = 0.8f;
  return v;
}

void MetaballSurface::Triangulate(int index) {
  const Cube& cube = m_cubes[index];
  const uint16_t cut = kCutEdges[cube.caseIndex];
  for (int e = 0; e < 12; ++e) {
    if (cut & (1u << e)) SurfaceVertex(cube.edge[e]);
  }
  const int8_t* row = kCaseTriangles[cube.caseIndex];
  for (int i = 0; i < 15 && row[i] >= 0; i += 3) {
    if (m_triangleCount >= kMaxTriangles) return;  // unreachable: five per cube at most
    for (int k = 0; k < 3; ++k) m_vertices.push_back(m_edges[cube.edge[row[i + k]]].vertex);
    ++m_triangleCount;
  }
}

}  // namespace effects
