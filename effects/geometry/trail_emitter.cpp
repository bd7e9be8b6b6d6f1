// Releasing, dropping and drifting the trail tube's segments, and the star-section tube.
#include "trail_emitter.h"

namespace effects {

std::string TrailSettingsProblem(const TrailSettings& s) {
  if (s.segments < 2) return "\"numsegments\" is below 2";
  if (s.edges < 1) return "\"numedges\" is below 1";
  if (static_cast<int64_t>(s.segments) * 2 * s.edges > 65536) {
    return "\"numsegments\" x 2 x \"numedges\" is over 65536, the reach of 16-bit indices";
  }
  return std::string();
}

TrailEmitter::TrailEmitter(const TrailSettings& s)
    : m_speed(s.speed),
      m_position(s.position),
      m_interval(s.interval),
      m_outRadius(s.outRadius),
      m_inRadius(s.inRadius),
      m_edges(s.edges),
      m_segments(static_cast<size_t>(s.segments)) {
  D3DXVec3Normalize(&m_up, &s.up);
  D3DXVec3Normalize(&m_direction, &s.direction);
  for (int i = 0; i < SegmentCount(); ++i) Rest(i);
}

void TrailEmitter::Rest(int i) {
  m_segments[i] = {0.0f, m_direction, m_up, m_position};
}

void TrailEmitter::Release(int i) {
  m_segments[i] = {m_speed, m_direction, m_up, m_position};
}

void TrailEmitter::RestUnreleased() {
  for (int i = m_released; i < SegmentCount(); ++i) Rest(i);
}

void TrailEmitter::SetDirection(const D3DXVECTOR3& direction, const D3DXVECTOR3& up) {
  m_direction = direction;
  m_up = up;
  RestUnreleased();
}

void TrailEmitter::SetPosition(const D3DXVECTOR3& position) {
  m_position = position;
  RestUnreleased();
}

void TrailEmitter::Update(float t) {
  const int last = SegmentCount() - 1;
  if (m_released == 0 || t - m_lastRelease >= m_interval) {
    m_lastRelease = t;
    if (m_released < last) {
      Release(m_released);
      ++m_released;
      RestUnreleased();
    } else {
      // All but the last are out: the oldest is dropped and the rest move down one place.
      for (int i = 0; i < last; ++i) m_segments[i] = m_segments[i + 1];
      Release(last - 1);
      Rest(last);
      m_flip ^= 1;  // keeps the texture's v pattern on the surviving rings
    }
  }
  const float dt = t - m_lastUpdate;
  m_lastUpdate = t;
  for (int i = 0; i < m_released; ++i) {
    TrailSegment& segment = m_segments[i];
    segment.position += segment.direction * (dt * segment.speed * kDriftScale);
  }
}

void TrailEmitter::Build(std::vector<VertexNormalColorTex>* vertices,
                         std::vector<uint16_t>* triangles) const {
  const int corners = 2 * m_edges;
  const float angleStep = 6.2831855f / static_cast<float>(corners);
  const float uStep = 1.0f / static_cast<float>(corners);
  vertices->resize(static_cast<size_t>(VertexCount()));
  triangles->clear();

  float v = m_flip == 0 ? 1.0f : 0.0f;
  int g = 0;
  for (int i = SegmentCount() - 1; i >= 0; --i, ++g) {
    const TrailSegment& segment = m_segments[i];
    D3DXVECTOR3 side;
    D3DXVec3Cross(&side, &segment.direction, &segment.up);
    D3DXVec3Normalize(&side, &side);
    const D3DXVECTOR4 outer(side.x * m_outRadius, side.y * m_outRadius, side.z * m_outRadius, 1.0f);
    const D3DXVECTOR4 inner(side.x * m_inRadius, side.y * m_inRadius, side.z * m_inRadius, 1.0f);
    float angle = 0.0f, u = 0.0f;
    for (int k = 0; k < corners; ++k) {
      D3DXMATRIX turn;
      D3DXMatrixRotationAxis(&turn, &segment.direction, angle);
      D3DXVECTOR4 r, n;
      D3DXVec4Transform(&r, (k % 2 == 0) ? &outer : &inner, &turn);
      // The 4-vector's w of 1 is normalised along: the normal is shorter than 1.
      D3DXVec4Normalize(&n, &r);
      u += uStep;
      (*vertices)[static_cast<size_t>(g) * corners + k] = {segment.position.x + r.x,
                                                           segment.position.y + r.y,
                                                           segment.position.z + r.z,
                                                           n.x,
                                                           n.y,
                                                           n.z,
                                                           0xFFFFFFFFu,
                                                           u,
                                                           v};
      angle += angleStep;
    }
    v = 1.0f - v;

    if (g == 0) continue;
    const int c = g * corners;
    for (int m = 0; m < m_edges; ++m) {
      const int o = c + 2 * m, in = o + 1, oNext = (m == m_edges - 1) ? c : o + 2;
      const int p = o - corners, pIn = p + 1, pNext = (m == m_edges - 1) ? c - corners : p + 2;
      const int quad[12] = {o, in, p, p, in, pIn, in, oNext, pIn, pIn, oNext, pNext};
      for (int index : quad) triangles->push_back(static_cast<uint16_t>(index));
    }
  }
}

}  // namespace effects
