// Keyframed parameters: the keyframe store with its loop settings (CParamVar), and the
// abstract keyframed class of each value type that the Linear/Square/TCB classes complete.
#pragma once

#include <cstdint>

#include "params/param.h"
#include "script/linkedlist.h"

// One key: a time in the owner's milliseconds and a payload whose meaning belongs to the
// parameter class that stores it (a pointer to owned storage, or the value itself).
class CParamKeyframe {
 public:
  CParamKeyframe(float time, void* value) : m_time(time), m_value(value) {}
  CParamKeyframe(const CParamKeyframe&) = default;
  CParamKeyframe& operator=(const CParamKeyframe&) = default;
  // Leaves the payload alone: the parameter class knows what it is.
  virtual ~CParamKeyframe();

  float GetTime() const { return m_time; }
  void* GetValue() const { return m_value; }

 private:
  float m_time;
  void* m_value;
};

class CParamVar {
 public:
  CParamVar();
  virtual ~CParamVar();
  CParamVar(const CParamVar&) = delete;
  CParamVar& operator=(const CParamVar&) = delete;

  // Reads the optional "loopstart" and "loopend" key numbers (1-based).
  virtual void Parse(TiXmlElement* element);

  void AddKeyframe(float time, void* value);
  // Takes over `key`; it is deleted with the parameter's own keys.
  void AddKeyframe(CParamKeyframe* key);

  // Maps an evaluation time into the loop: from the loop end key's time on, time repeats the
  // span [loop start key's time, loop end key's time). The loop times are fixed at the first
  // call.
  float GetLoopTime(float time) const;

  const CLinkedList<CParamKeyframe>& GetKeys() const { return m_keys; }
  int32_t GetLoopStartKey() const { return m_loopStartKey; }
  int32_t GetLoopEndKey() const { return m_loopEndKey; }

 protected:
  CLinkedList<CParamKeyframe> m_keys;

 private:
  void ComputeLoop() const;

  mutable bool m_loopComputed = false;
  int32_t m_loopStartKey = 0;
  int32_t m_loopEndKey = 0;
  mutable float m_loopStartTime = 0.0f;
  mutable float m_loopEndTime = 0.0f;
  mutable float m_loopLength = 0.0f;
};

class CParamVarFloat : public CParamFloat, public CParamVar {
 public:
  using CParamFloat::GetValue;
  void Parse(TiXmlElement* element) override = 0;
  float GetValue(float time) const override = 0;
};

class CParamVarLong : public CParamLong, public CParamVar {
 public:
  using CParamLong::GetValue;
  void Parse(TiXmlElement* element) override = 0;
  int32_t GetValue(float time) const override = 0;
};

class CParamVarColor : public CParamColor, public CParamVar {
 public:
  using CParamColor::GetValue;
  void Parse(TiXmlElement* element) override = 0;
  uint32_t GetValue(float time) const override = 0;
};

class CParamVarString : public CParamString, public CParamVar {
 public:
  using CParamString::GetValue;
  void Parse(TiXmlElement* element) override = 0;
  const char* GetValue(float time) override = 0;
};

class CParamVarVec2 : public CParamVec2, public CParamVar {
 public:
  using CParamVec2::GetValue;
  void Parse(TiXmlElement* element) override = 0;
  D3DXVECTOR2 GetValue(float time) const override = 0;
};

class CParamVarVec3 : public CParamVec3, public CParamVar {
 public:
  using CParamVec3::GetValue;
  void Parse(TiXmlElement* element) override = 0;
  D3DXVECTOR3 GetValue(float time) const override = 0;
};
