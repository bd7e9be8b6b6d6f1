// The --check walk: compares a loaded script with the catalogues of the loaded libraries and
// with what was built, and lists everything that playback would silently skip or get wrong
// (unknown element and type names, "param" names no value has, missing files and render
// targets, keys out of time order), one line each with the script line it concerns.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CDataProvider;
enum class EMaterialUse : uint8_t;
class CTextureManager;
class CWidgetManager;
class TiXmlElement;

namespace vexil {

class ScriptChecker {
 public:
  // Probe objects made to learn which values a type declares are owned by `widgets`.
  ScriptChecker(CWidgetManager* widgets, const CTextureManager* textures);

  void CheckScript(const TiXmlElement* root);

  const std::vector<std::string>& findings() const { return findings_; }

 private:
  struct CatalogueEntry {
    std::string name;
    uint8_t kind;
  };

  void CheckSettings(const TiXmlElement* settings);
  void CheckResources(const TiXmlElement* resources);
  void CheckTimeline(const TiXmlElement* timeline);
  // A module drawn with the material earlier modules leave, when none has set one by then.
  struct PlacedModule {
    const TiXmlElement* element;
    float start;
    int16_t layer;
    int order;  // in the script
    EMaterialUse materialUse;
  };
  void CheckMaterialOrder(const std::vector<PlacedModule>& modules);
  // Checks an object element's type against the catalogues; null when no object of that
  // kind can be made (already reported), else a probe object of the type.
  CDataProvider* ProbeObject(const TiXmlElement* element, uint8_t kind);
  void CheckParams(const TiXmlElement* element, CDataProvider* probe);
  void CheckKeyOrder(const TiXmlElement* owner, const std::string& what);
  void CheckTargets(const TiXmlElement* module);
  void CheckFile(const TiXmlElement* element, const char* path);
  void CheckResourceName(const TiXmlElement* element, const char* name);
  const CatalogueEntry* FindType(const char* name) const;
  void Report(const TiXmlElement* element, const std::string& text);

  CWidgetManager* widgets_;
  const CTextureManager* textures_;
  std::vector<CatalogueEntry> catalogue_;
  std::vector<std::string> resource_names_;  // of the resources built so far, in order
  std::vector<std::string> findings_;
};

}  // namespace vexil
