// The benchmark frames as scripts.
#include "bench_scenes.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "frame_dump.h"

namespace vexil_bench {

namespace {

std::string Param(const char* name, const char* type, const std::string& value) {
  return std::string("<param name=\"") + name + "\" type=\"" + type + "\" value=\"" + value +
         "\"/>";
}

std::string Module(const char* type, const std::string& params) {
  return std::string("<timeline><m type=\"") + type + "\" start=\"0\" end=\"100000000\">" + params +
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
    case BenchEffect::kMetaballs:
      return "metaballs";
    case BenchEffect::kSplineTunnel:
      return "splinetunnel";
    case BenchEffect::kTrailTube:
      return "zuravisnurr";
    case BenchEffect::kMeshViewer:
      return "kluttviewer";
  }
  return "";
}

std::vector<uint32_t> BenchPicture() {
  std::vector<uint32_t> texels(256 * 256);
  for (uint32_t y = 0; y < 256; ++y) {
    for (uint32_t x = 0; x < 256; ++x)
      texels[y * 256 + x] = 0xFF000000u | x << 16 | y << 8 | ((x ^ y) & 0xFF);
  }
  return texels;
}

bool BenchTimed(BenchEffect effect) {
  return effect == BenchEffect::kMetaballs || effect == BenchEffect::kSplineTunnel ||
         effect == BenchEffect::kTrailTube || effect == BenchEffect::kMeshViewer;
}

float BenchNextTime(BenchEffect effect, float t) {
  t += 1000.0f / 60.0f;
  // The trail tube's rings remember every frame before: its time only goes forward.
  if (effect != BenchEffect::kTrailTube && t > 50000.0f) t = 0.0f;
  return t;
}

std::vector<D3DXVECTOR2> TunnelOutline() {
  std::vector<D3DXVECTOR2> outline;
  for (int k = 0; k < 8; ++k) {
    const float a = static_cast<float>(k) * 6.2831855f / 8.0f;
    outline.emplace_back(2.0f * std::cos(a), 2.0f * std::sin(a));
  }
  return outline;
}

namespace {

// The cube and its texture in a folder of their own, removed when the program ends.
class CubeFiles {
 public:
  CubeFiles() {
    char folder[] = "/tmp/vexil-bench-XXXXXX";
    if (!mkdtemp(folder)) return;
    m_dir = folder;
    std::vector<uint8_t> rgba;
    for (uint32_t texel : BenchPicture()) {
      for (int shift : {16, 8, 0, 24}) rgba.push_back(static_cast<uint8_t>(texel >> shift));
    }
    const std::string command = "'" + std::string(VEXIL_BIN_DIR) + "/vexil-xmeshgen' '" + m_dir +
                                "/cube.x' --half-size 12.5 --texture tex.png";
    if (WriteRgbaPng(m_dir + "/tex.png", rgba, 256, 256) && std::system(command.c_str()) == 0) {
      m_cube = m_dir + "/cube.x";
    }
  }
  ~CubeFiles() {
    if (m_dir.empty()) return;
    std::remove((m_dir + "/cube.x").c_str());
    std::remove((m_dir + "/tex.png").c_str());
    rmdir(m_dir.c_str());
  }
  const std::string& cube() const { return m_cube; }

 private:
  std::string m_dir, m_cube;
};

}  // namespace

std::string BenchCubePath() {
  static const CubeFiles files;
  return files.cube();
}

std::string BenchResources(BenchEffect effect) {
  if (effect != BenchEffect::kMeshViewer) return std::string();
  const std::string cube = BenchCubePath();
  return "<resources><k type=\"klutt\" name=\"cube\">" + Param("filename", "string", cube) +
         Param("texturedir", "string", cube.substr(0, cube.rfind('/') + 1)) + "</k></resources>";
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
    case BenchEffect::kMetaballs:
      return Module("metaballs",
                    Param("texture", "string", "tex") + Vec3("eyepoint", kMetaballsEye));
    case BenchEffect::kSplineTunnel: {
      // Array elements count from the last key: the outline is written reversed (clockwise).
      std::string shape;
      const std::vector<D3DXVECTOR2> outline = TunnelOutline();
      for (auto it = outline.rbegin(); it != outline.rend(); ++it) {
        shape += Key3(D3DXVECTOR3(it->x, it->y, 0.0f));
      }
      return Module("splinetunnel", Param("texture", "string", "tex") +
                                        "<param name=\"shape\" type=\"arrayvec3\">" + shape +
                                        "</param>" + Param("fogstart", "float", "5") +
                                        Param("fogend", "float", "60") +
                                        Param("fogcolor", "color", "#FF102030"));
    }
    case BenchEffect::kTrailTube:
      return Module("zuravisnurr", Param("texture", "string", "tex"));
    case BenchEffect::kMeshViewer:
      return Module("kluttviewer", Param("mesh", "string", "cube") +
                                       Param("xrotation", "float", std::to_string(kMeshPitch)) +
                                       Param("yrotation", "float", std::to_string(kMeshYaw)) +
                                       Param("shading", "long", "1"));
  }
  return "";
}

}  // namespace vexil_bench
