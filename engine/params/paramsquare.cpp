// Square (step) keyframed parameters: each key's value holds until the next key; before the
// first key the last key's value shows, as the step search reaches the end without a match.
#include "params/keyeval.h"
#include "params/scripttext.h"

using keyeval::ForEachKey;
using keyeval::SelectStep;

namespace {

// Keys whose payload points to a V.
template <class V>
V EvaluateStep(const CLinkedList<CParamKeyframe>& keys, float time, const V& empty) {
  const CParamKeyframe* key = SelectStep(keys, time);
  return key ? *static_cast<const V*>(key->GetValue()) : empty;
}

}  // namespace

CParamSquareFloat::~CParamSquareFloat() {
  keyeval::FreeKeys<float>(&m_keys);
}

void CParamSquareFloat::Parse(TiXmlElement* element) {
  CParamVar::Parse(element);
  ForEachKey(element, [this](const TiXmlElement* key) {
    AddKeyframe(KeyTime(key), new float(AttributeFloat(key, "value")));
  });
}

float CParamSquareFloat::GetValue(float time) const {
  return EvaluateStep<float>(m_keys, GetLoopTime(time), 0.0f);
}

CParamSquareLong::~CParamSquareLong() {
  keyeval::FreeInlineKeys(&m_keys);
}

void CParamSquareLong::Parse(TiXmlElement* element) {
  CParamVar::Parse(element);
  ForEachKey(element, [this](const TiXmlElement* key) {
    AddKeyframe(KeyTime(key),
                keyeval::PackInline(static_cast<uint32_t>(AttributeInt(key, "value"))));
  });
}

int32_t CParamSquareLong::GetValue(float time) const {
  const CParamKeyframe* key = SelectStep(m_keys, GetLoopTime(time));
  return key ? static_cast<int32_t>(keyeval::UnpackInline(key->GetValue())) : 0;
}

CParamSquareColor::~CParamSquareColor() {
  keyeval::FreeInlineKeys(&m_keys);
}

void CParamSquareColor::Parse(TiXmlElement* element) {
  CParamVar::Parse(element);
  ForEachKey(element, [this](const TiXmlElement* key) {
    AddKeyframe(KeyTime(key), keyeval::PackInline(ScriptKeyColor(AttributeText(key, "value"))));
  });
}

uint32_t CParamSquareColor::GetValue(float time) const {
  const CParamKeyframe* key = SelectStep(m_keys, GetLoopTime(time));
  return key ? keyeval::UnpackInline(key->GetValue()) : 0u;
}

CParamSquareString::~CParamSquareString() {
  for (CParamKeyframe* key : m_keys) {
    delete[] static_cast<char*>(key->GetValue());
    delete key;
  }
  m_keys.Clear();
}

void CParamSquareString::Parse(TiXmlElement* element) {
  CParamVar::Parse(element);
  ForEachKey(element, [this](const TiXmlElement* key) {
    AddKeyframe(KeyTime(key), ScriptCopyText(AttributeText(key, "value")));
  });
}

const char* CParamSquareString::GetValue(float time) {
  const CParamKeyframe* key = SelectStep(m_keys, GetLoopTime(time));
  return key ? static_cast<const char*>(key->GetValue()) : "";
}

CParamSquareVec2::~CParamSquareVec2() {
  keyeval::FreeKeys<D3DXVECTOR2>(&m_keys);
}

void CParamSquareVec2::Parse(TiXmlElement* element) {
  CParamVar::Parse(element);
  ForEachKey(element, [this](const TiXmlElement* key) {
    AddKeyframe(KeyTime(key), new D3DXVECTOR2(AttributeFloat(key, "x"), AttributeFloat(key, "y")));
  });
}

D3DXVECTOR2 CParamSquareVec2::GetValue(float time) const {
  return EvaluateStep<D3DXVECTOR2>(m_keys, GetLoopTime(time), D3DXVECTOR2(0.0f, 0.0f));
}

CParamSquareVec3::~CParamSquareVec3() {
  keyeval::FreeKeys<D3DXVECTOR3>(&m_keys);
}

void CParamSquareVec3::Parse(TiXmlElement* element) {
  CParamVar::Parse(element);
  ForEachKey(element, [this](const TiXmlElement* key) {
    AddKeyframe(KeyTime(key), new D3DXVECTOR3(AttributeFloat(key, "x"), AttributeFloat(key, "y"),
                                              AttributeFloat(key, "z")));
  });
}

D3DXVECTOR3 CParamSquareVec3::GetValue(float time) const {
  return EvaluateStep<D3DXVECTOR3>(m_keys, GetLoopTime(time), D3DXVECTOR3(0.0f, 0.0f, 0.0f));
}
