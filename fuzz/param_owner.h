// The data provider the parameter fuzz target binds parameters to: one value of each value
// type, named after the type ("float", "long", … "arrayvec3"), and a clock the target sets.
// Shared with the seed generator, so that its seeds name the values the target has.
#pragma once

#include "scenecore.h"

namespace vexil::fuzz {

class ParamOwner : public CDataProvider {
 public:
  ParamOwner() {
    AddValue(&floatValue, "float");
    AddValue(&longValue, "long");
    AddValue(&colorValue, "color");
    AddValue(&stringValue, "string");
    AddValue(&vec2Value, "vec2");
    AddValue(&vec3Value, "vec3");
    AddValue(&arrayVec2Value, "arrayvec2");
    AddValue(&arrayVec3Value, "arrayvec3");
  }

  float GetTime() const override { return m_time; }
  void SetTime(float time) { m_time = time; }

  CValueVarFloat floatValue{1.5f};
  CValueVarLong longValue{7};
  CValueVarColor colorValue{0x80FF0000u};
  CValueVarString stringValue{"default"};
  CValueVarVec2 vec2Value{D3DXVECTOR2(1.0f, 2.0f)};
  CValueVarVec3 vec3Value{D3DXVECTOR3(1.0f, 2.0f, 3.0f)};
  CValueArrayVec2 arrayVec2Value;
  CValueArrayVec3 arrayVec3Value;

 private:
  float m_time = 0.0f;
};

// The name of the owner's value that binds parameters of `type`, a value type.
inline const char* ParamOwnerValueName(EValueType type) {
  switch (type) {
    case EValueType::Float:
      return "float";
    case EValueType::Long:
      return "long";
    case EValueType::Color:
      return "color";
    case EValueType::String:
      return "string";
    case EValueType::Vec2:
      return "vec2";
    case EValueType::Vec3:
      return "vec3";
    case EValueType::ArrayVec2:
      return "arrayvec2";
    case EValueType::ArrayVec3:
      return "arrayvec3";
  }
  return "";
}

}  // namespace vexil::fuzz
