// The trail tube's emitter, without a device: it releases a ring ("segment") at fixed
// intervals; each released ring drifts on along the direction the emitter had when it let it
// go, while the rings not yet released rest at the emitter. The tube's star-shaped vertices
// and its triangles are rebuilt around the rings every frame.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "d3dx9/d3dx9math.h"
#include "vertex_formats.h"

namespace effects {

struct TrailSegment {
  float speed = 0.0f;  // 0 while resting at the emitter
  D3DXVECTOR3 direction, up, position;
};

struct TrailSettings {
  float speed = 0.003f;
  D3DXVECTOR3 position{0.0f, 0.0f, 0.0f};
  D3DXVECTOR3 direction{0.0f, 0.0f, 1.0f};
  D3DXVECTOR3 up{0.0f, 1.0f, 0.0f};
  int32_t segments = 30;  // S
  float interval = 300.0f;
  float outRadius = 0.3f;
  float inRadius = 0.2f;
  int32_t edges = 8;  // E star points; a ring has 2E vertices
};

// Why `settings` give no tube (fewer than 2 rings, no star points, more vertices than 16-bit
// indices reach); empty when they give one.
std::string TrailSettingsProblem(const TrailSettings& settings);

class TrailEmitter {
 public:
  // Drifting positions move this fraction of speed x direction per millisecond.
  static constexpr float kDriftScale = 0.5263158f;

  // Takes the settings' position and the normalised direction and up; every segment rests
  // at the emitter. The settings must pass TrailSettingsProblem.
  explicit TrailEmitter(const TrailSettings& settings);

  // Set every frame (not normalised); both re-rest the segments not yet released.
  void SetDirection(const D3DXVECTOR3& direction, const D3DXVECTOR3& up);
  void SetPosition(const D3DXVECTOR3& position);
  // Releases a segment when due and drifts the released ones to module time `t` (ms).
  void Update(float t);
  // Rebuilds the vertices (S x 2E) and the triangles ((S - 1) x E x 4, three indices each).
  void Build(std::vector<VertexNormalColorTex>* vertices, std::vector<uint16_t>* triangles) const;

  int SegmentCount() const { return static_cast<int>(m_segments.size()); }
  int Released() const { return m_released; }
  int TextureFlip() const { return m_flip; }
  const TrailSegment& Segment(int i) const { return m_segments[i]; }
  int VertexCount() const { return SegmentCount() * 2 * m_edges; }
  int TriangleCount() const { return (SegmentCount() - 1) * m_edges * 4; }

 private:
  void Rest(int i);
  void Release(int i);
  void RestUnreleased();

  float m_speed;
  D3DXVECTOR3 m_position, m_up, m_direction;
  float m_interval;
  float m_lastRelease = 0.0f;
  float m_lastUpdate = 0.0f;
  float m_outRadius, m_inRadius;
  int m_edges;
  int m_released = 0;
  int m_flip = 0;
  std::vector<TrailSegment> m_segments;
};

}  // namespace effects
