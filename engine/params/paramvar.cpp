// The keyframe store of keyframed parameters and the mapping of time into their loop.
#include "params/paramvar.h"

#include <cmath>

#include "params/scripttext.h"

CParamKeyframe::~CParamKeyframe() = default;

CParamVar::CParamVar() = default;

CParamVar::~CParamVar() {
  // The concrete class has freed its keys with their payloads; anything left (keys added
  // to a class that never frees payloads) goes here, payloads untouched.
  for (CParamKeyframe* key : m_keys) delete key;
}

void CParamVar::Parse(TiXmlElement* element) {
  if (!element) return;
  if (const char* text = element->Attribute("loopstart")) m_loopStartKey = ScriptInt(text);
  if (const char* text = element->Attribute("loopend")) m_loopEndKey = ScriptInt(text);
}

void CParamVar::AddKeyframe(float time, void* value) {
  m_keys.Append(new CParamKeyframe(time, value));
}

void CParamVar::AddKeyframe(CParamKeyframe* key) {
  if (key) m_keys.Append(key);
}

void CParamVar::ComputeLoop() const {
  int32_t number = 0;
  for (const CParamKeyframe* key : m_keys) {
    ++number;
    if (number == m_loopStartKey) m_loopStartTime = key->GetTime();
    if (number == m_loopEndKey) {
      m_loopEndTime = key->GetTime();
      break;
    }
  }
  m_loopLength = m_loopEndTime - m_loopStartTime;
  m_loopComputed = true;
}

float CParamVar::GetLoopTime(float time) const {
  if (!m_loopComputed) ComputeLoop();
  if (time < m_loopEndTime) return time;
  if (m_loopLength == 0.0f) return time;
  const float x = (time - m_loopEndTime) / m_loopLength;
  return (x - std::trunc(x)) * m_loopLength + m_loopStartTime;
}
