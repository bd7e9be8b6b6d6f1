// The concrete keyframed parameters: Linear (straight lines between keys), Square (each key
// holds until the next) and TCB (Kochanek-Bartels spline through the keys) of each value type.
#pragma once

#include "params/paramvar.h"

// Payload of a TCB key: a position of N components, the spline's tension, continuity and
// bias, and the incoming (ds) and outgoing (dd) tangents worked out after parsing.
template <int N>
struct CTcbKey {
  float position[N];
  float tension;
  float continuity;
  float bias;
  float ds[N];
  float dd[N];
};

class CParamLinearFloat : public CParamVarFloat {
 public:
  ~CParamLinearFloat() override;
  void Parse(TiXmlElement* element) override;
  float GetValue(float time) const override;
  using CParamVarFloat::GetValue;
};

class CParamSquareFloat : public CParamVarFloat {
 public:
  ~CParamSquareFloat() override;
  void Parse(TiXmlElement* element) override;
  float GetValue(float time) const override;
  using CParamVarFloat::GetValue;
};

class CParamTCBFloat : public CParamVarFloat {
 public:
  ~CParamTCBFloat() override;
  void Parse(TiXmlElement* element) override;
  float GetValue(float time) const override;
  using CParamVarFloat::GetValue;
};

// Interpolates its float keys like CParamLinearFloat and truncates the result toward zero,
// as CParamTCBLong does: a long that moves between keys is what an animated count needs,
// and it agrees with "tcblong" on what a key's fractional text means.
class CParamLinearLong : public CParamVarLong {
 public:
  ~CParamLinearLong() override;
  void Parse(TiXmlElement* element) override;
  int32_t GetValue(float time) const override;
  using CParamVarLong::GetValue;
};

class CParamSquareLong : public CParamVarLong {
 public:
  ~CParamSquareLong() override;
  void Parse(TiXmlElement* element) override;
  int32_t GetValue(float time) const override;
  using CParamVarLong::GetValue;
};

class CParamTCBLong : public CParamVarLong {
 public:
  ~CParamTCBLong() override;
  void Parse(TiXmlElement* element) override;
  int32_t GetValue(float time) const override;
  using CParamVarLong::GetValue;
};

class CParamLinearColor : public CParamVarColor {
 public:
  ~CParamLinearColor() override;
  void Parse(TiXmlElement* element) override;
  uint32_t GetValue(float time) const override;
  using CParamVarColor::GetValue;
};

class CParamSquareColor : public CParamVarColor {
 public:
  ~CParamSquareColor() override;
  void Parse(TiXmlElement* element) override;
  uint32_t GetValue(float time) const override;
  using CParamVarColor::GetValue;
};

class CParamTCBColor : public CParamVarColor {
 public:
  ~CParamTCBColor() override;
  void Parse(TiXmlElement* element) override;
  uint32_t GetValue(float time) const override;
  using CParamVarColor::GetValue;
};

class CParamSquareString : public CParamVarString {
 public:
  ~CParamSquareString() override;
  void Parse(TiXmlElement* element) override;
  const char* GetValue(float time) override;
  using CParamVarString::GetValue;
};

class CParamLinearVec2 : public CParamVarVec2 {
 public:
  ~CParamLinearVec2() override;
  void Parse(TiXmlElement* element) override;
  D3DXVECTOR2 GetValue(float time) const override;
  using CParamVarVec2::GetValue;
};

class CParamSquareVec2 : public CParamVarVec2 {
 public:
  ~CParamSquareVec2() override;
  void Parse(TiXmlElement* element) override;
  D3DXVECTOR2 GetValue(float time) const override;
  using CParamVarVec2::GetValue;
};

class CParamTCBVec2 : public CParamVarVec2 {
 public:
  ~CParamTCBVec2() override;
  void Parse(TiXmlElement* element) override;
  D3DXVECTOR2 GetValue(float time) const override;
  using CParamVarVec2::GetValue;
};

class CParamLinearVec3 : public CParamVarVec3 {
 public:
  ~CParamLinearVec3() override;
  void Parse(TiXmlElement* element) override;
  D3DXVECTOR3 GetValue(float time) const override;
  using CParamVarVec3::GetValue;
};

class CParamSquareVec3 : public CParamVarVec3 {
 public:
  ~CParamSquareVec3() override;
  void Parse(TiXmlElement* element) override;
  D3DXVECTOR3 GetValue(float time) const override;
  using CParamVarVec3::GetValue;
};

class CParamTCBVec3 : public CParamVarVec3 {
 public:
  ~CParamTCBVec3() override;
  void Parse(TiXmlElement* element) override;
  D3DXVECTOR3 GetValue(float time) const override;
  using CParamVarVec3::GetValue;
};
