// Writes the seed corpora of the script and parameter fuzz targets, read from the catalogues
// themselves so that every module, resource and parameter type and every value has a seed:
//
//   vexil-script-seeds OUT     writes OUT/script/*.xml and OUT/param/*.xml
//
// Per module type, a small demo binding each of its values to a constant parameter at the
// value's default, and another binding them to keyed parameters (linear, square and TCB in
// turn); per parameter type, an object element with that parameter and times to read it at.
// The bundled demo's script joins the script seeds in fuzz/run.sh.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "param_owner.h"

namespace {

namespace fs = std::filesystem;

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", value);
  return text;
}

std::string Hex(uint32_t colour) {
  char text[16];
  std::snprintf(text, sizeof text, "#%08X", colour);
  return text;
}

std::string Attr(const std::string& name, const std::string& value) {
  return " " + name + "=\"" + value + "\"";
}

// Files the seeds name: the bundled demo's media, which the script target's work folder holds.
std::string StringFor(const std::string& owner, const CValue& value) {
  switch (value.GetRefers()) {
    case EValueRefers::File:
      if (owner == "fmod" || owner == "raw") return "music.ogg";
      if (owner == "klutt") return "cube.x";
      return "logo.png";
    case EValueRefers::Folder:
      return ".";
    case EValueRefers::Texture:
      return "logo";
    case EValueRefers::Resource:
      return owner == "fmod" ? "music" : "cube";
    case EValueRefers::Nothing:
      break;
  }
  const char* text = static_cast<const CValueString&>(value).GetDefault();
  if (*text) return text;
  if (std::string(value.GetName()) == "text") return "vexil\nfuzz";
  return "";
}

// Values whose defaults draw nothing (a twister has no strips and its camera sits at the point
// it looks at): the seeds give them what a demo would.
int32_t SeedLong(const std::string& owner, const std::string& name, int32_t fallback) {
  return owner == "twister" && name == "segment" ? 16 : fallback;
}
D3DXVECTOR3 SeedVec3(const std::string& owner, const std::string& name, D3DXVECTOR3 fallback) {
  return owner == "twister" && name == "eyepoint" ? D3DXVECTOR3(0, 0, -8) : fallback;
}

std::string ArrayKeys(bool three) {
  // A closed square for shapes (two floats) and a bent line for bodies and paths (three).
  static const float kSquare[][2] = {{-0.5f, -0.5f}, {0.5f, -0.5f}, {0.5f, 0.5f}, {-0.5f, 0.5f}};
  static const float kPath[][3] = {{0, -2, 0}, {0.5f, -1, 0.2f}, {0, 0, 0.5f}, {-0.5f, 1, 0}};
  std::string keys;
  for (int i = 0; i < 4; ++i) {
    keys +=
        three ? "<key" + Attr("x", Number(kPath[i][0])) + Attr("y", Number(kPath[i][1])) +
                    Attr("z", Number(kPath[i][2])) + "/>"
              : "<key" + Attr("x", Number(kSquare[i][0])) + Attr("y", Number(kSquare[i][1])) + "/>";
  }
  return keys;
}

// One "param" element binding `value`; `keyed` picks keyframes (of the `style`-th kind of
// linear, square and TCB) over a constant at the default.
std::string ParamFor(const std::string& owner, const CValue& value, bool keyed, int style) {
  const std::string name = value.GetName();
  static const char* const kStyle[] = {"linear", "square", "tcb"};
  const std::string prefix = kStyle[style % 3];
  const std::string open = "<param" + Attr("name", name);
  const std::string loop = style == 0 ? Attr("loopstart", "2") + Attr("loopend", "3") : "";
  auto keys = [](const std::vector<std::string>& values, const std::string& attrs = "value") {
    std::string xml;
    for (size_t i = 0; i < values.size(); ++i) {
      xml += "<key" + Attr("time", Number(500.0 * i));
      if (attrs == "value") {
        xml += Attr("value", values[i]);
      } else {
        xml += values[i];
      }
      xml += "/>";
    }
    return xml;
  };
  switch (value.GetValueType()) {
    case EValueType::Float: {
      const float d = static_cast<const CValueFloat&>(value).GetDefault();
      if (!keyed) return open + Attr("type", "float") + Attr("value", Number(d)) + "/>";
      return open + Attr("type", prefix + "float") + loop + ">" +
             keys({Number(d), Number(d * 1.5 + 1), Number(d)}) + "</param>";
    }
    case EValueType::Long: {
      const int32_t d = SeedLong(owner, name, static_cast<const CValueLong&>(value).GetDefault());
      if (!keyed) return open + Attr("type", "long") + Attr("value", std::to_string(d)) + "/>";
      return open + Attr("type", prefix + "long") + loop + ">" +
             keys({std::to_string(d), std::to_string(d + 1), std::to_string(d)}) + "</param>";
    }
    case EValueType::Color: {
      const uint32_t d = static_cast<const CValueColor&>(value).GetDefault();
      if (!keyed) return open + Attr("type", "color") + Attr("value", Hex(d)) + "/>";
      return open + Attr("type", prefix + "color") + loop + ">" +
             keys({Hex(d), Hex(d ^ 0x00FFFFFFu), "#FF0000"}) + "</param>";
    }
    case EValueType::String: {
      const std::string text = StringFor(owner, value);
      if (!keyed) return open + Attr("type", "string") + Attr("value", text) + "/>";
      return open + Attr("type", "squarestring") + ">" + keys({text, text}) + "</param>";
    }
    case EValueType::Vec2: {
      const D3DXVECTOR2 d = static_cast<const CValueVec2&>(value).GetDefault();
      const std::string xy = Attr("x", Number(d.x)) + Attr("y", Number(d.y));
      if (!keyed) return open + Attr("type", "vec2") + xy + "/>";
      const std::string moved = Attr("x", Number(d.x + 1)) + Attr("y", Number(d.y - 1));
      return open + Attr("type", prefix + "vec2") + loop + ">" + keys({xy, moved, xy}, "xyz") +
             "</param>";
    }
    case EValueType::Vec3: {
      const D3DXVECTOR3 d =
          SeedVec3(owner, name, static_cast<const CValueVec3&>(value).GetDefault());
      const std::string xyz =
          Attr("x", Number(d.x)) + Attr("y", Number(d.y)) + Attr("z", Number(d.z));
      if (!keyed) return open + Attr("type", "vec3") + xyz + "/>";
      const std::string moved =
          Attr("x", Number(d.x + 1)) + Attr("y", Number(d.y)) + Attr("z", Number(d.z - 1));
      return open + Attr("type", prefix + "vec3") + loop + ">" + keys({xyz, moved, xyz}, "xyz") +
             "</param>";
    }
    case EValueType::ArrayVec2:
      return open + Attr("type", "arrayvec2") + ">" + ArrayKeys(false) + "</param>";
    case EValueType::ArrayVec3:
      return open + Attr("type", "arrayvec3") + ">" + ArrayKeys(true) + "</param>";
  }
  return "";
}

std::string Params(const std::string& owner, const CDataProvider& object, bool keyed) {
  std::string xml;
  for (int i = 0; i < object.GetValueCount(); ++i) {
    xml += "\n      " + ParamFor(owner, *object.GetValue(i), keyed, i);
  }
  return xml;
}

// The resources every script seed has: pictures (one colour-keyed), a render target, the mesh.
const char kResources[] =
    "  <resources>\n"
    "    <texture type=\"texture\" name=\"logo\"><param name=\"filename\" type=\"string\" "
    "value=\"logo.png\"/></texture>\n"
    "    <texture type=\"texture\" name=\"ring\"><param name=\"filename\" type=\"string\" "
    "value=\"ring.png\"/><param name=\"colorkey\" type=\"color\" value=\"#FFFF00FF\"/></texture>\n"
    "    <texture type=\"texture\" name=\"target\"><param name=\"type\" type=\"long\" value=\"1\"/>"
    "<param name=\"width\" type=\"long\" value=\"64\"/><param name=\"height\" type=\"long\" "
    "value=\"64\"/></texture>\n"
    "    <klutt type=\"klutt\" name=\"cube\"><param name=\"filename\" type=\"string\" "
    "value=\"cube.x\"/><param name=\"texturedir\" type=\"string\" value=\".\"/></klutt>\n";

std::string Script(const std::string& type, const std::string& body, bool music) {
  std::string xml = "<?xml version=\"1.0\"?>\n<demo name=\"seed " + type + "\">\n";
  xml +=
      "  <settings><width value=\"320\"/><height value=\"240\"/><fullscreen value=\"0\"/>"
      "<starttime value=\"0\"/></settings>\n"
      "  <libraries><library file=\"effectpack.dll\"/></libraries>\n";
  xml += kResources;
  if (music) {
    xml +=
        "    <raw type=\"raw\" name=\"music\"><param name=\"filename\" type=\"string\" "
        "value=\"music.ogg\"/></raw>\n";
  }
  xml += "  </resources>\n  <timeline>\n";
  xml += "    <clear type=\"clearscreen\" start=\"0\" end=\"1000\" layer=\"0\"/>\n";
  xml += body;
  xml += "  </timeline>\n</demo>\n";
  return xml;
}

bool Write(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUT_DIR\n", argv[0]);
    return 2;
  }
  const fs::path out = argv[1];
  fs::create_directories(out / "script");
  fs::create_directories(out / "param");

  CWidgetManager widgets;
  if (!widgets.Load("scenecore.dll") || !widgets.Load("effectpack.dll")) {
    std::fprintf(stderr, "cannot load the plug-ins: %s\n", widgets.GetLastError().c_str());
    return 1;
  }
  bool ok = true;

  // Effect library: index 1 is its catalogue (index 0 is the engine's parameter types).
  const CPluginLibrary* effects = widgets.GetLibrary(1);
  char name[PLUGIN_NAME_SIZE];
  uint8_t kind = 0;
  for (int32_t index = 0; effects->getName(index, name, &kind); ++index) {
    const std::string type = name;
    CDataProvider* object = widgets.CreateInstance(name, kind);
    if (!object) continue;
    if (kind == PLUGIN_KIND_MODULE) {
      // The render target is drawn into for the first half and shown by the next module.
      const std::string module =
          "    <m type=\"" + type + "\" start=\"0\" end=\"1000\" layer=\"1\">";
      const std::string schedule =
          "\n      <target><key time=\"0\" value=\"target\"/><key time=\"500\" "
          "value=\"_SCREEN\"/></target>";
      for (bool keyed : {false, true}) {
        const std::string body = module + Params(type, *object, keyed) +
                                 (keyed ? schedule : std::string()) + "\n    </m>\n";
        const std::string file = type + (keyed ? "-keyed.xml" : ".xml");
        ok = Write(out / "script" / file, Script(type, body, type == "fmod")) && ok;
      }
    } else {
      // A resource of this type, shown by a picture module where it is one.
      const std::string resource = "    <r type=\"" + type + "\" name=\"extra\">" +
                                   Params(type, *object, false) + "\n    </r>\n";
      std::string script = Script(type, "", false);
      script.insert(script.find("  </resources>"), resource);
      ok = Write(out / "script" / ("resource-" + type + ".xml"), script) && ok;
    }
  }

  // Parameter types: each bound to the owner value of its own value type.
  vexil::fuzz::ParamOwner owner;
  const CPluginLibrary* engine = widgets.GetLibrary(0);
  const std::string times = " times=\"0 250 500 999 1000 1500 -250 1e9 nan inf -inf\"";
  for (int32_t index = 0; engine->getName(index, name, &kind); ++index) {
    CDataProvider* param = widgets.CreateInstance(name, kind);
    for (int i = 0; param && i < owner.GetValueCount(); ++i) {
      CValue* value = owner.GetValue(i);
      if (!value->Accepts(param)) continue;
      // The owner's value, renamed for a moment so that ParamFor's "param" names it, with the
      // parameter type forced to this catalogue entry.
      std::string xml = ParamFor("param", *value, dynamic_cast<CParamVar*>(param) != nullptr, 0);
      const std::string::size_type typeAt = xml.find(" type=\"") + 7;
      xml.replace(typeAt, xml.find('"', typeAt) - typeAt, name);
      ok = Write(out / "param" / (std::string(name) + ".xml"),
                 "<object" + times + ">\n  " + xml + "\n</object>\n") &&
           ok;
    }
  }
  // Every value bound at once, keys out of order in one of them.
  std::string all = "<object" + times + ">";
  for (int i = 0; i < owner.GetValueCount(); ++i) {
    all += "\n  " + ParamFor("param", *owner.GetValue(i), true, i);
  }
  all +=
      "\n  <param name=\"float\" type=\"linearfloat\"><key time=\"900\" value=\"1\"/>"
      "<key time=\"100\" value=\"2\"/></param>\n</object>\n";
  ok = Write(out / "param" / "all.xml", all) && ok;

  if (!ok) std::fprintf(stderr, "cannot write the seeds into %s\n", out.c_str());
  return ok ? 0 : 1;
}
