// Parameters that take their value from named sync tracks instead of keys: the tracks are read
// at the row the demo's time falls on, so a sync-tracker editor (or the track files it saves)
// drives them.
#pragma once

#include <cstdint>

#include "params/param.h"

class CSyncContext;

// The tracks one parameter reads: the attribute "track" names them, with a suffix per
// component (".r", ".x", …) or alone for a single number.
class CSyncTrackBinding {
 public:
  static constexpr int kMaxComponents = 4;

  // Looks up (and loads) the tracks; problems go to the manager's reporter.
  void Bind(CParam* param, const TiXmlElement* element, const char* const* suffixes, int count);
  // The component's track value at the owner's time; 0 without a tempo or a track.
  double Read(int component, float time) const;
  // True when the component's track has at least one key.
  bool HasKeys(int component) const;

 private:
  CSyncContext* m_sync = nullptr;
  float m_ownerOffset = 0.0f;  // the owner's start in demo time
  int32_t m_tracks[kMaxComponents] = {-1, -1, -1, -1};
};

class CParamSyncFloat : public CParamFloat {
 public:
  void Parse(TiXmlElement* element) override;
  float GetValue(float time) const override;
  using CParamFloat::GetValue;

 private:
  CSyncTrackBinding m_binding;
};

// The track's value rounded to the nearest integer (halves away from zero), saturating.
class CParamSyncLong : public CParamLong {
 public:
  void Parse(TiXmlElement* element) override;
  int32_t GetValue(float time) const override;
  using CParamLong::GetValue;

 private:
  CSyncTrackBinding m_binding;
};

// Tracks "name.r", "name.g", "name.b" and "name.a", each 0…1 (clamped); alpha is 1 while its
// track has no key.
class CParamSyncColor : public CParamColor {
 public:
  void Parse(TiXmlElement* element) override;
  uint32_t GetValue(float time) const override;
  using CParamColor::GetValue;

 private:
  CSyncTrackBinding m_binding;
};

class CParamSyncVec2 : public CParamVec2 {
 public:
  void Parse(TiXmlElement* element) override;
  D3DXVECTOR2 GetValue(float time) const override;
  using CParamVec2::GetValue;

 private:
  CSyncTrackBinding m_binding;
};

class CParamSyncVec3 : public CParamVec3 {
 public:
  void Parse(TiXmlElement* element) override;
  D3DXVECTOR3 GetValue(float time) const override;
  using CParamVec3::GetValue;

 private:
  CSyncTrackBinding m_binding;
};
