// Test plug-in for the timeline suite: a recording module ("recorder"), recording resources
// ("testres", and "failres" whose Init fails) and an entry of kind module whose object is no
// CModule ("impostor"). Each object logs what the engine calls on it, tagged with its "id" or
// name.
#include <strings.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "scenecore.h"
#include "timelinelog.h"

namespace {

class CRecordingModule : public CModule {
 public:
  void Parse(TiXmlElement* element) override {
    const char* id = element->Attribute("id");
    m_id = id ? id : "?";
    char event[160];
    snprintf(event, sizeof event, "%s Parse start=%g end=%g layer=%d device=%s timeline=%s",
             m_id.c_str(), GetStartTime(), GetEndTime(), GetLayer(),
             GetDemoDevice() ? "set" : "null", GetTimeLine() ? "set" : "null");
    TimelineLogAdd(event);
    CModule::Parse(element);
  }
  void Init() override {
    const D3DRECT& v = GetViewportRect();
    char event[160];
    snprintf(event, sizeof event, "%s Init timeline=%s viewport=%ld,%ld,%ld,%ld", m_id.c_str(),
             GetTimeLine() ? "set" : "null", static_cast<long>(v.x1), static_cast<long>(v.y1),
             static_cast<long>(v.x2), static_cast<long>(v.y2));
    TimelineLogAdd(event);
  }
  void BeforeFirstRender() override { Log("BeforeFirstRender"); }
  void BeforeRender() override { Log("BeforeRender"); }
  void Render() override { Log("Render"); }
  void AfterRender() override { Log("AfterRender"); }
  void AfterLastRender() override { Log("AfterLastRender"); }

 private:
  void Log(const char* hook) { TimelineLogAdd(m_id + " " + hook); }
  std::string m_id;
};

class CRecordingResource : public CResource {
 public:
  explicit CRecordingResource(bool initSucceeds) : m_initSucceeds(initSucceeds) {
    if (!initSucceeds) SetType("Failing");
  }
  void Parse(TiXmlElement* element) override {
    const char* lookup = element->Attribute("lookup");
    m_lookup = lookup ? lookup : "";
    TimelineLogAdd(std::string(GetName()) + " Parse device=" + (m_pD3DDevice ? "set" : "null"));
    CResource::Parse(element);
  }
  bool Init() override {
    std::string event = std::string(GetName()) + " Init device=" + (m_pD3DDevice ? "set" : "null") +
                        " demodevice=" + (m_pDemoDevice ? "set" : "null");
    if (!m_lookup.empty()) {
      CResourceManager* manager = m_pDemoDevice ? m_pDemoDevice->GetResourceManager() : nullptr;
      event += " finds " + m_lookup + "=" +
               (manager && manager->GetResource(m_lookup.c_str()) ? "yes" : "no");
    }
    TimelineLogAdd(event);
    return m_initSucceeds;
  }

 private:
  bool m_initSucceeds;
  std::string m_lookup;
};

class CImpostor : public CDataProvider {};

struct Entry {
  const char* name;
  uint8_t kind;
};
const Entry kEntries[] = {{"recorder", PLUGIN_KIND_MODULE},
                          {"testres", PLUGIN_KIND_RESOURCE},
                          {"failres", PLUGIN_KIND_RESOURCE},
                          {"impostor", PLUGIN_KIND_MODULE}};
constexpr int kCount = sizeof kEntries / sizeof kEntries[0];

}  // namespace

VEXIL_PLUGIN_EXPORT bool GetName(int32_t index, char* name, uint8_t* kind) {
  if (index < 0 || index >= kCount) return false;
  strcpy(name, kEntries[index].name);
  *kind = kEntries[index].kind;
  return true;
}

VEXIL_PLUGIN_EXPORT CDataProvider* CreateInstance(const char* name, uint8_t kind) {
  if (strcasecmp(name, "recorder") == 0 && kind == PLUGIN_KIND_MODULE) {
    return new CRecordingModule;
  }
  if (strcasecmp(name, "testres") == 0 && kind == PLUGIN_KIND_RESOURCE) {
    return new CRecordingResource(true);
  }
  if (strcasecmp(name, "failres") == 0 && kind == PLUGIN_KIND_RESOURCE) {
    return new CRecordingResource(false);
  }
  if (strcasecmp(name, "impostor") == 0 && kind == PLUGIN_KIND_MODULE) return new CImpostor;
  return nullptr;
}

VEXIL_PLUGIN_EXPORT void FreeInstance(CDataProvider* object) {
  delete object;
}
