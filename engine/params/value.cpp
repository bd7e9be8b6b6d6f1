// Value classes: names, defaults, the parameter-type check used when binding, and reads that
// go to the bound parameter or fall back to the default.
#include "params/value.h"

#include <cfloat>
#include <climits>
#include <cstring>

#include "params/param.h"

namespace {

void CopyText(char* destination, std::size_t size, const char* text) {
  if (!text) text = "";
  const std::size_t length = strnlen(text, size - 1);
  std::memcpy(destination, text, length);
  destination[length] = '\0';
}

}  // namespace

CValue::CValue(EValueType type) : m_type(type) {}

CValue::~CValue() = default;

void CValue::SetName(const char* name) {
  CopyText(m_name, sizeof m_name, name);
}

bool CValue::Accepts(const CDataProvider* object) const {
  switch (m_type) {
    case EValueType::Float:
      return dynamic_cast<const CParamFloat*>(object) != nullptr;
    case EValueType::Long:
      return dynamic_cast<const CParamLong*>(object) != nullptr;
    case EValueType::Color:
      return dynamic_cast<const CParamColor*>(object) != nullptr;
    case EValueType::String:
      return dynamic_cast<const CParamString*>(object) != nullptr;
    case EValueType::Vec2:
      return dynamic_cast<const CParamVec2*>(object) != nullptr;
    case EValueType::Vec3:
      return dynamic_cast<const CParamVec3*>(object) != nullptr;
    case EValueType::ArrayVec2:
      return dynamic_cast<const CParamArrayVec2*>(object) != nullptr;
    case EValueType::ArrayVec3:
      return dynamic_cast<const CParamArrayVec3*>(object) != nullptr;
  }
  return false;
}

// The bound parameter is always of the value's own type (Accepts guards the binding), so
// the reads below cast it without a check.

CValueFloat::CValueFloat() : CValueFloat(0.0f) {}
CValueFloat::CValueFloat(float defaultValue) : CValueFloat(defaultValue, FLT_MIN) {}
CValueFloat::CValueFloat(float defaultValue, float minimum)
    : CValueFloat(defaultValue, minimum, FLT_MAX) {}
CValueFloat::CValueFloat(float defaultValue, float minimum, float maximum)
    : CValue(EValueType::Float), m_default(defaultValue), m_minimum(minimum), m_maximum(maximum) {}

float CValueFloat::GetValue() const {
  return m_param ? static_cast<const CParamFloat*>(m_param)->GetValue() : m_default;
}
float CValueFloat::GetValue(float time) const {
  return m_param ? static_cast<const CParamFloat*>(m_param)->GetValue(time) : m_default;
}

CValueLong::CValueLong() : CValueLong(0) {}
CValueLong::CValueLong(int32_t defaultValue) : CValueLong(defaultValue, INT32_MIN) {}
CValueLong::CValueLong(int32_t defaultValue, int32_t minimum)
    : CValueLong(defaultValue, minimum, INT32_MAX) {}
CValueLong::CValueLong(int32_t defaultValue, int32_t minimum, int32_t maximum)
    : CValue(EValueType::Long), m_default(defaultValue), m_minimum(minimum), m_maximum(maximum) {}

int32_t CValueLong::GetValue() const {
  return m_param ? static_cast<const CParamLong*>(m_param)->GetValue() : m_default;
}
int32_t CValueLong::GetValue(float time) const {
  return m_param ? static_cast<const CParamLong*>(m_param)->GetValue(time) : m_default;
}

CValueColor::CValueColor() : CValueColor(0u) {}
CValueColor::CValueColor(uint32_t defaultValue)
    : CValue(EValueType::Color), m_default(defaultValue) {}

uint32_t CValueColor::GetValue() const {
  return m_param ? static_cast<const CParamColor*>(m_param)->GetValue() : m_default;
}
uint32_t CValueColor::GetValue(float time) const {
  return m_param ? static_cast<const CParamColor*>(m_param)->GetValue(time) : m_default;
}

CValueString::CValueString() : CValue(EValueType::String) {}
CValueString::CValueString(const char* defaultValue) : CValue(EValueType::String) {
  CopyText(m_default, sizeof m_default, defaultValue);
}

const char* CValueString::GetValue() {
  return m_param ? static_cast<CParamString*>(m_param)->GetValue() : m_default;
}
const char* CValueString::GetValue(float time) {
  return m_param ? static_cast<CParamString*>(m_param)->GetValue(time) : m_default;
}

CValueVec2::CValueVec2() : CValueVec2(D3DXVECTOR2(0.0f, 0.0f)) {}
CValueVec2::CValueVec2(const D3DXVECTOR2& defaultValue)
    : CValue(EValueType::Vec2), m_default(defaultValue) {}

D3DXVECTOR2 CValueVec2::GetValue() const {
  return m_param ? static_cast<const CParamVec2*>(m_param)->GetValue() : m_default;
}
D3DXVECTOR2 CValueVec2::GetValue(float time) const {
  return m_param ? static_cast<const CParamVec2*>(m_param)->GetValue(time) : m_default;
}

CValueVec3::CValueVec3() : CValueVec3(D3DXVECTOR3(0.0f, 0.0f, 0.0f)) {}
CValueVec3::CValueVec3(const D3DXVECTOR3& defaultValue)
    : CValue(EValueType::Vec3), m_default(defaultValue) {}

D3DXVECTOR3 CValueVec3::GetValue() const {
  return m_param ? static_cast<const CParamVec3*>(m_param)->GetValue() : m_default;
}
D3DXVECTOR3 CValueVec3::GetValue(float time) const {
  return m_param ? static_cast<const CParamVec3*>(m_param)->GetValue(time) : m_default;
}

CValueArrayVec2::CValueArrayVec2() : CValue(EValueType::ArrayVec2) {}

CValueArrayVec2::operator D3DXVECTOR2() const {
  return m_param ? static_cast<const CParamArrayVec2*>(m_param)->GetValue()
                 : D3DXVECTOR2(0.0f, 0.0f);
}
D3DXVECTOR2 CValueArrayVec2::operator[](int32_t index) const {
  return m_param ? static_cast<const CParamArrayVec2*>(m_param)->GetValue(index)
                 : D3DXVECTOR2(0.0f, 0.0f);
}
int32_t CValueArrayVec2::GetCount() const {
  return m_param ? static_cast<const CParamArrayVec2*>(m_param)->GetCount() : 0;
}

CValueArrayVec3::CValueArrayVec3() : CValue(EValueType::ArrayVec3) {}

CValueArrayVec3::operator D3DXVECTOR3() const {
  return m_param ? static_cast<const CParamArrayVec3*>(m_param)->GetValue()
                 : D3DXVECTOR3(0.0f, 0.0f, 0.0f);
}
D3DXVECTOR3 CValueArrayVec3::operator[](int32_t index) const {
  return m_param ? static_cast<const CParamArrayVec3*>(m_param)->GetValue(index)
                 : D3DXVECTOR3(0.0f, 0.0f, 0.0f);
}
int32_t CValueArrayVec3::GetCount() const {
  return m_param ? static_cast<const CParamArrayVec3*>(m_param)->GetCount() : 0;
}
