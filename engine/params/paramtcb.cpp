// TCB keyframed parameters: a Kochanek-Bartels spline through the keys, tangents worked out
// once after parsing, Hermite evaluation between keys.
#include "params/keyeval.h"
#include "params/scripttext.h"

using keyeval::EvaluateTcb;
using keyeval::ForEachKey;
using keyeval::NewTcbKey;

CParamTCBFloat::~CParamTCBFloat() {
  keyeval::FreeKeys<CTcbKey<2>>(&m_keys);
}

void CParamTCBFloat::Parse(TiXmlElement* element) {
  CParamVar::Parse(element);
  ForEachKey(element, [this](const TiXmlElement* key) {
    const float time = KeyTime(key);
    // The curve runs through (time, value) points, so keys far apart in time stay smooth.
    AddKeyframe(time, NewTcbKey<2>({time, AttributeFloat(key, "value")}));
  });
  keyeval::ComputeTcbTangents<2>(m_keys);
}

float CParamTCBFloat::GetValue(float time) const {
  float point[2];
  return EvaluateTcb<2>(m_keys, GetLoopTime(time), point) ? point[1] : 0.0f;
}

CParamTCBLong::~CParamTCBLong() {
  keyeval::FreeKeys<CTcbKey<2>>(&m_keys);
}

void CParamTCBLong::Parse(TiXmlElement* element) {
  CParamVar::Parse(element);
  ForEachKey(element, [this](const TiXmlElement* key) {
    const float time = KeyTime(key);
    AddKeyframe(time, NewTcbKey<2>({time, AttributeFloat(key, "value")}));
  });
  keyeval::ComputeTcbTangents<2>(m_keys);
}

int32_t CParamTCBLong::GetValue(float time) const {
  float point[2];
  return EvaluateTcb<2>(m_keys, GetLoopTime(time), point) ? TruncateToLong(point[1]) : 0;
}

CParamTCBColor::~CParamTCBColor() {
  keyeval::FreeKeys<CTcbKey<4>>(&m_keys);
}

void CParamTCBColor::Parse(TiXmlElement* element) {
  CParamVar::Parse(element);
  ForEachKey(element, [this](const TiXmlElement* key) {
    const uint32_t color = ScriptKeyColor(AttributeText(key, "value"));
    AddKeyframe(KeyTime(key), NewTcbKey<4>({static_cast<float>((color >> 16) & 0xFF),
                                            static_cast<float>((color >> 8) & 0xFF),
                                            static_cast<float>(color & 0xFF),
                                            static_cast<float>((color >> 24) & 0xFF)}));
  });
  keyeval::ComputeTcbTangents<4>(m_keys);
}

uint32_t CParamTCBColor::GetValue(float time) const {
  float rgba[4];
  if (!EvaluateTcb<4>(m_keys, GetLoopTime(time), rgba)) return 0;
  // The spline may overshoot between keys; channels are clamped, then truncated.
  return keyeval::PackColor(keyeval::ChannelByte(rgba[3]), keyeval::ChannelByte(rgba[0]),
                            keyeval::ChannelByte(rgba[1]), keyeval::ChannelByte(rgba[2]));
}

CParamTCBVec2::~CParamTCBVec2() {
  keyeval::FreeKeys<CTcbKey<2>>(&m_keys);
}

void CParamTCBVec2::Parse(TiXmlElement* element) {
  CParamVar::Parse(element);
  ForEachKey(element, [this](const TiXmlElement* key) {
    AddKeyframe(KeyTime(key), NewTcbKey<2>({AttributeFloat(key, "x"), AttributeFloat(key, "y")}));
  });
  keyeval::ComputeTcbTangents<2>(m_keys);
}

D3DXVECTOR2 CParamTCBVec2::GetValue(float time) const {
  float point[2];
  if (!EvaluateTcb<2>(m_keys, GetLoopTime(time), point)) return D3DXVECTOR2(0.0f, 0.0f);
  return D3DXVECTOR2(point[0], point[1]);
}

CParamTCBVec3::~CParamTCBVec3() {
  keyeval::FreeKeys<CTcbKey<3>>(&m_keys);
}

void CParamTCBVec3::Parse(TiXmlElement* element) {
  CParamVar::Parse(element);
  ForEachKey(element, [this](const TiXmlElement* key) {
    AddKeyframe(KeyTime(key), NewTcbKey<3>({AttributeFloat(key, "x"), AttributeFloat(key, "y"),
                                            AttributeFloat(key, "z")}));
  });
  keyeval::ComputeTcbTangents<3>(m_keys);
}

D3DXVECTOR3 CParamTCBVec3::GetValue(float time) const {
  float point[3];
  if (!EvaluateTcb<3>(m_keys, GetLoopTime(time), point)) return D3DXVECTOR3(0.0f, 0.0f, 0.0f);
  return D3DXVECTOR3(point[0], point[1], point[2]);
}
