// libFuzzer target for parameters: any bytes as the script element of an object with one
// value of each value type; its "param" children are bound through the engine's parameter
// catalogue as a module's are, then every value is read at the times the element's "times"
// attribute lists (any floats: huge, negative, "inf", "nan") and at its owner's clock.
// A read must agree with itself: untimed at the owner's time as timed, the same twice, a
// constant whatever the time, and an array's points outside its list the zero vector.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "param_owner.h"
#include "params/scripttext.h"

namespace {

using vexil::fuzz::ParamOwner;

constexpr int kMaxTimes = 16;

// The times to evaluate at: those the root's "times" lists, else a few across the usual span.
std::vector<float> TimesOf(const TiXmlElement* root) {
  const char* text = root->Attribute("times");
  if (!text) return {0.0f, 250.0f, 1000.0f, -1.0f, 1e9f};
  std::vector<float> times;
  const char* p = text;
  while (*p && static_cast<int>(times.size()) < kMaxTimes) {
    char* end = nullptr;
    const float time = std::strtof(p, &end);
    if (end == p) {
      ++p;  // not a number here: look further on
      continue;
    }
    times.push_back(time);
    p = end;
  }
  return times;
}

bool SameBits(const void* a, const void* b, size_t size) {
  return std::memcmp(a, b, size) == 0;
}

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

// Reads through the value's own operators, as effects do.
template <class V, class T>
void CheckScalar(V& value, ParamOwner& owner, float time, bool constant, const T& first) {
  owner.SetTime(time);
  const T untimed = value;
  const T timed = value[time];
  Check(SameBits(&untimed, &timed, sizeof(T)));
  const T again = value[time];
  Check(SameBits(&timed, &again, sizeof(T)));
  if (constant) Check(SameBits(&timed, &first, sizeof(T)));
}

void CheckString(CValueString& value, ParamOwner& owner, float time, bool constant,
                 const std::string& first) {
  owner.SetTime(time);
  const char* untimed = value;
  Check(untimed != nullptr);
  const std::string untimedText = untimed;  // the copy also proves the text ends
  const char* timed = value[time];
  Check(timed != nullptr && untimedText == timed);
  if (constant) Check(first == timed);
}

template <class A, class P>
void CheckArray(const A& value) {
  const int32_t count = value.GetCount();
  Check(count >= 0);
  const P zero{};
  const P pointZero = value;
  const P atZero = value[0];
  Check(SameBits(&pointZero, &atZero, sizeof(P)));
  for (int32_t index : {count, count + 1, -1, INT32_MIN, INT32_MAX}) {
    if (index >= 0 && index < count) continue;  // count + 1 can wrap for a huge count
    const P outside = value[index];
    Check(SameBits(&outside, &zero, sizeof(P)));
  }
  for (int32_t index = 0; index < count && index < 64; ++index) (void)value[index];
}

// True when the value is bound to a parameter with no keys to interpolate.
bool IsConstant(const CValue& value) {
  const CParam* param = value.GetBoundParam();
  return param == nullptr || dynamic_cast<const CParamVar*>(param) == nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Scripts are text: the player refuses a file with a zero byte before parsing it.
  if (std::memchr(data, 0, size) != nullptr) return 0;
  const std::string text(reinterpret_cast<const char*>(data), size);
  CXmlHandler loader;
  if (!loader.LoadXMLText(text.c_str())) return 0;
  TiXmlElement* root = loader.GetRootElement();

  // The manager frees the parameters before the owner goes: declared after it.
  ParamOwner owner;
  CWidgetManager manager;
  if (!manager.Load("scenecore.dll")) __builtin_trap();
  std::vector<std::string> reports;
  manager.SetReporter(
      [&reports](const CScriptFinding& finding) { reports.push_back(finding.Printed()); });
  owner.SetWidgetManager(&manager);
  owner.SetScriptPosition(root->Row(), root->Column());
  owner.Parse(root);

  const std::vector<float> times = TimesOf(root);
  const float t0 = times.empty() ? 0.0f : times[0];
  owner.SetTime(t0);
  const float firstFloat = owner.floatValue[t0];
  const int32_t firstLong = owner.longValue[t0];
  const uint32_t firstColor = owner.colorValue[t0];
  const std::string firstString = owner.stringValue[t0];
  const D3DXVECTOR2 firstVec2 = owner.vec2Value[t0];
  const D3DXVECTOR3 firstVec3 = owner.vec3Value[t0];

  for (float time : times) {
    CheckScalar(owner.floatValue, owner, time, IsConstant(owner.floatValue), firstFloat);
    CheckScalar(owner.longValue, owner, time, IsConstant(owner.longValue), firstLong);
    CheckScalar(owner.colorValue, owner, time, IsConstant(owner.colorValue), firstColor);
    CheckString(owner.stringValue, owner, time, IsConstant(owner.stringValue), firstString);
    CheckScalar(owner.vec2Value, owner, time, IsConstant(owner.vec2Value), firstVec2);
    CheckScalar(owner.vec3Value, owner, time, IsConstant(owner.vec3Value), firstVec3);
    // The loop mapping on its own, for every keyed parameter the owner has.
    for (int i = 0; i < owner.GetValueCount(); ++i) {
      const auto* keyed = dynamic_cast<const CParamVar*>(owner.GetValue(i)->GetBoundParam());
      if (keyed) (void)keyed->GetLoopTime(time);
    }
  }
  CheckArray<CValueArrayVec2, D3DXVECTOR2>(owner.arrayVec2Value);
  CheckArray<CValueArrayVec3, D3DXVECTOR3>(owner.arrayVec3Value);
  return 0;
}
