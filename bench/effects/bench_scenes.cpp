// The benchmark frames as scripts.
#include "bench_scenes.h"

#include <cmath>

namespace vexil_bench {

namespace {

std::string Param(const char* name, const char* type, const std::string& value) {
  return std::string("<param name=\"") + name + "\" type=\"" + type + "\" value=\"" + value +
         "\"/>";
}

std::string Module(const char* type, const std::string& params) {
  return std::string("<timeline><m type=\"") + type + "\" start=\"0\" end=\"100000\">" + params +
         "</m></timeline>";
}

std::string Vec3(const char* name, const D3DXVECTOR3& v) {
  return std::string("<param name=\"") + name + "\" type=\"vec3\" x=\"" + std::to_string(v.x) +
         "\" y=\"" + std::to_string(v.y) + "\" z=\"" + std::to_string(v.z) + "\"/>";
}

std::string Key3(const D3DXVECTOR3& v) {
  return "<key x=\"" + std::to_string(v.x) + "\" y=\"" + std::to_string(v.y) + "\" z=\"" +
         std::to_string(v.z) + "\"/>";
}

}  // namespace

const char* BenchEffectName(BenchEffect effect) {
  switch (effect) {
    case BenchEffect::kBlur:
      return "blur";
    case BenchEffect::kTexScreen:
      return "texscreen";
    case BenchEffect::kTwister:
      return "twister";
    case BenchEffect::kTorusTunnel:
      return "torustunnel";
  }
  return "";
}

std::vector<D3DXVECTOR2> TwisterOutline() {
  std::vector<D3DXVECTOR2> outline;
  for (int k = 0; k < 16; ++k) {
    const float a = static_cast<float>(k) * 6.2831855f / 16.0f;
    outline.emplace_back(std::cos(a), 0.4f * std::sin(a));
  }
  return outline;
}

std::string BenchTimeline(BenchEffect effect) {
  switch (effect) {
    case BenchEffect::kBlur:
      return Module("blur", Param("texture", "string", "rt"));
    case BenchEffect::kTexScreen:
      return Module("texscreen", Param("texture", "string", "tex") +
                                     Param("bendfactor", "float", std::to_string(kTexScreenBend)) +
                                     Param("zrot", "float", std::to_string(kTexScreenTurn)));
    case BenchEffect::kTwister: {
      // Array elements count from the last key: write the outline and the axis reversed.
      std::string shape;
      const std::vector<D3DXVECTOR2> outline = TwisterOutline();
      for (auto it = outline.rbegin(); it != outline.rend(); ++it) {
        shape += "<key x=\"" + std::to_string(it->x) + "\" y=\"" + std::to_string(it->y) + "\"/>";
      }
      return Module("twister", Param("texture", "string", "tex") +
                                   Param("segment", "long", std::to_string(kTwisterSegments)) +
                                   Param("endtwist", "float", std::to_string(kTwisterEndTwist)) +
                                   Param("specular", "long", "1") +
                                   "<param name=\"shape\" type=\"arrayvec2\">" + shape +
                                   "</param>" + "<param name=\"body\" type=\"arrayvec3\">" +
                                   Key3(kTwisterAxisEnd) + Key3(kTwisterAxisStart) + "</param>" +
                                   Vec3("eyepoint", kTwisterEye));
    }
    case BenchEffect::kTorusTunnel:
      return Module("torustunnel", Param("texture", "string", "tex"));
  }
  return "";
}

}  // namespace vexil_bench
