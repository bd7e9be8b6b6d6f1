// Linear keyframed parameters: straight lines between neighbouring keys, the end keys'
// values outside them.
#include "params/keyeval.h"
#include "params/scripttext.h"

using keyeval::ESpan;
using keyeval::FindSpan;
using keyeval::ForEachKey;
using keyeval::Span;

namespace {

inline float Lerp(float a, float b, float u) {
  return a + (b - a) * u;
}
inline D3DXVECTOR2 Lerp(const D3DXVECTOR2& a, const D3DXVECTOR2& b, float u) {
  return D3DXVECTOR2(Lerp(a.x, b.x, u), Lerp(a.y, b.y, u));
}
inline D3DXVECTOR3 Lerp(const D3DXVECTOR3& a, const D3DXVECTOR3& b, float u) {
  return D3DXVECTOR3(Lerp(a.x, b.x, u), Lerp(a.y, b.y, u), Lerp(a.z, b.z, u));
}

// Keys whose payload points to a V.
template <class V>
V EvaluateLinear(const CLinkedList<CParamKeyframe>& keys, float time, const V& empty) {
  Span span;
  switch (FindSpan(keys, time, &span)) {
    case ESpan::Empty:
      return empty;
    case ESpan::First:
      return *static_cast<const V*>(span.next->GetValue());
    case ESpan::Last:
      return *static_cast<const V*>(span.previous->GetValue());
    case ESpan::Between:
      break;
  }
  return Lerp(*static_cast<const V*>(span.previous->GetValue()),
              *static_cast<const V*>(span.next->GetValue()), span.u);
}

}  // namespace

CParamLinearFloat::~CParamLinearFloat() {
  keyeval::FreeKeys<float>(&m_keys);
}

void CParamLinearFloat::Parse(TiXmlElement* element) {
  CParamVar::Parse(element);
  ForEachKey(element, [this](const TiXmlElement* key) {
    AddKeyframe(KeyTime(key), new float(AttributeFloat(key, "value")));
  });
}

float CParamLinearFloat::GetValue(float time) const {
  return EvaluateLinear<float>(m_keys, GetLoopTime(time), 0.0f);
}

CParamLinearLong::~CParamLinearLong() {
  keyeval::FreeKeys<float>(&m_keys);
}

void CParamLinearLong::Parse(TiXmlElement* element) {
  CParamVar::Parse(element);
  ForEachKey(element, [this](const TiXmlElement* key) {
    AddKeyframe(KeyTime(key), new float(AttributeFloat(key, "value")));
  });
}

int32_t CParamLinearLong::GetValue(float time) const {
  return TruncateToLong(EvaluateLinear<float>(m_keys, GetLoopTime(time), 0.0f));
}

CParamLinearColor::~CParamLinearColor() {
  keyeval::FreeInlineKeys(&m_keys);
}

void CParamLinearColor::Parse(TiXmlElement* element) {
  CParamVar::Parse(element);
  ForEachKey(element, [this](const TiXmlElement* key) {
    AddKeyframe(KeyTime(key), keyeval::PackInline(ScriptKeyColor(AttributeText(key, "value"))));
  });
}

uint32_t CParamLinearColor::GetValue(float time) const {
  Span span;
  switch (FindSpan(m_keys, GetLoopTime(time), &span)) {
    case ESpan::Empty:
      return 0;
    case ESpan::First:
      return keyeval::UnpackInline(span.next->GetValue());
    case ESpan::Last:
      return keyeval::UnpackInline(span.previous->GetValue());
    case ESpan::Between:
      break;
  }
  const uint32_t from = keyeval::UnpackInline(span.previous->GetValue());
  const uint32_t to = keyeval::UnpackInline(span.next->GetValue());
  uint32_t result = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const float a = static_cast<float>((from >> shift) & 0xFF);
    const float b = static_cast<float>((to >> shift) & 0xFF);
    // Rounded to the nearest step: the 0.5 before truncation.
    result |= keyeval::ChannelByte((b - a) * span.u + a + 0.5f) << shift;
  }
  return result;
}

CParamLinearVec2::~CParamLinearVec2() {
  keyeval::FreeKeys<D3DXVECTOR2>(&m_keys);
}

void CParamLinearVec2::Parse(TiXmlElement* element) {
  CParamVar::Parse(element);
  ForEachKey(element, [this](const TiXmlElement* key) {
    AddKeyframe(KeyTime(key), new D3DXVECTOR2(AttributeFloat(key, "x"), AttributeFloat(key, "y")));
  });
}

D3DXVECTOR2 CParamLinearVec2::GetValue(float time) const {
  return EvaluateLinear<D3DXVECTOR2>(m_keys, GetLoopTime(time), D3DXVECTOR2(0.0f, 0.0f));
}

CParamLinearVec3::~CParamLinearVec3() {
  keyeval::FreeKeys<D3DXVECTOR3>(&m_keys);
}

void CParamLinearVec3::Parse(TiXmlElement* element) {
  CParamVar::Parse(element);
  ForEachKey(element, [this](const TiXmlElement* key) {
    AddKeyframe(KeyTime(key), new D3DXVECTOR3(AttributeFloat(key, "x"), AttributeFloat(key, "y"),
                                              AttributeFloat(key, "z")));
  });
}

D3DXVECTOR3 CParamLinearVec3::GetValue(float time) const {
  return EvaluateLinear<D3DXVECTOR3>(m_keys, GetLoopTime(time), D3DXVECTOR3(0.0f, 0.0f, 0.0f));
}
