// The parameter base, the constant parameters of every value type and the point arrays.
#include "params/param.h"

#include <strings.h>

#include <vector>

#include "params/scripttext.h"
#include "params/synccontext.h"

CParam::CParam() = default;

CParam::~CParam() = default;

float CParam::GetTime() const {
  return m_owner ? m_owner->GetTime() : 0.0f;
}

float CParam::KeyTime(const TiXmlElement* key) const {
  return ScriptKeyTime(key, m_owner, GetWidgetManager());
}

void CParamFloat::Parse(TiXmlElement* element) {
  m_value = AttributeFloat(element, "value");
}
float CParamFloat::GetValue() const {
  return GetValue(GetTime());
}
float CParamFloat::GetValue(float /*time*/) const {
  return m_value;
}

void CParamLong::Parse(TiXmlElement* element) {
  m_value = AttributeInt(element, "value");
}
int32_t CParamLong::GetValue() const {
  return GetValue(GetTime());
}
int32_t CParamLong::GetValue(float /*time*/) const {
  return m_value;
}

void CParamColor::Parse(TiXmlElement* element) {
  m_value = ScriptColor(AttributeText(element, "value"));
}
uint32_t CParamColor::GetValue() const {
  return GetValue(GetTime());
}
uint32_t CParamColor::GetValue(float /*time*/) const {
  return m_value;
}

CParamString::~CParamString() {
  delete[] m_value;
}
void CParamString::Parse(TiXmlElement* element) {
  delete[] m_value;
  m_value = ScriptCopyText(AttributeText(element, "value"));
}
const char* CParamString::GetValue() {
  return GetValue(GetTime());
}
// Readers pass the text on to string functions, so an unparsed parameter reads as "".
const char* CParamString::GetValue(float /*time*/) {
  return m_value ? m_value : "";
}

void CParamVec2::Parse(TiXmlElement* element) {
  m_value = D3DXVECTOR2(AttributeFloat(element, "x"), AttributeFloat(element, "y"));
}
D3DXVECTOR2 CParamVec2::GetValue() const {
  return GetValue(GetTime());
}
D3DXVECTOR2 CParamVec2::GetValue(float /*time*/) const {
  return m_value;
}

void CParamVec3::Parse(TiXmlElement* element) {
  m_value = D3DXVECTOR3(AttributeFloat(element, "x"), AttributeFloat(element, "y"),
                        AttributeFloat(element, "z"));
}
D3DXVECTOR3 CParamVec3::GetValue() const {
  return GetValue(GetTime());
}
D3DXVECTOR3 CParamVec3::GetValue(float /*time*/) const {
  return m_value;
}

namespace {

// Reads the "key" children's points and stores them last-first into a new array.
template <class Vector, class ReadPoint>
void ReadPointsReversed(TiXmlElement* element, ReadPoint read, int32_t* count, Vector** points) {
  std::vector<Vector> read_points;
  for (TiXmlElement* key = element ? element->FirstChildElement() : nullptr; key;
       key = key->NextSiblingElement()) {
    if (strcasecmp(key->Value(), "key") == 0) read_points.push_back(read(key));
  }
  delete[] * points;
  *points = nullptr;
  *count = 0;
  if (read_points.empty()) return;
  *points = new Vector[read_points.size()];
  while (!read_points.empty()) {
    (*points)[(*count)++] = read_points.back();
    read_points.pop_back();
  }
}

}  // namespace

CParamArrayVec2::~CParamArrayVec2() {
  delete[] m_points;
}

void CParamArrayVec2::Parse(TiXmlElement* element) {
  ReadPointsReversed<D3DXVECTOR2>(
      element,
      [](const TiXmlElement* key) {
        return D3DXVECTOR2(AttributeFloat(key, "x"), AttributeFloat(key, "y"));
      },
      &m_count, &m_points);
}

D3DXVECTOR2 CParamArrayVec2::GetValue() const {
  return GetValue(0);
}

D3DXVECTOR2 CParamArrayVec2::GetValue(int32_t index) const {
  if (index < 0 || index >= m_count) return D3DXVECTOR2(0.0f, 0.0f);
  return m_points[index];
}

CParamArrayVec3::~CParamArrayVec3() {
  delete[] m_points;
}

void CParamArrayVec3::Parse(TiXmlElement* element) {
  ReadPointsReversed<D3DXVECTOR3>(
      element,
      [](const TiXmlElement* key) {
        return D3DXVECTOR3(AttributeFloat(key, "x"), AttributeFloat(key, "y"),
                           AttributeFloat(key, "z"));
      },
      &m_count, &m_points);
}

D3DXVECTOR3 CParamArrayVec3::GetValue() const {
  return GetValue(0);
}

D3DXVECTOR3 CParamArrayVec3::GetValue(int32_t index) const {
  if (index < 0 || index >= m_count) return D3DXVECTOR3(0.0f, 0.0f, 0.0f);
  return m_points[index];
}
