// A test plug-in library; the TEST_PLUGIN_* define picks its name and catalogue. Its objects
// carry a string value "origin" naming the library, entry and kind that made them.
#include <strings.h>

#include <cstdio>
#include <string>

#include "pluginlog.h"
#include "scenecore.h"

namespace {

struct Entry {
  const char* name;
  uint8_t kind;
};

#if defined(TEST_PLUGIN_alpha)
const char kLibrary[] = "alpha";
const Entry kEntries[] = {{"blur", 0}, {"shared", 2}, {"twin", 0}, {"twin", 2}, {"rival", 1}};
#elif defined(TEST_PLUGIN_beta)
const char kLibrary[] = "beta";
const Entry kEntries[] = {{"shared", 2}, {"betaonly", 0}, {"blur", 0}};
#else
const char kLibrary[] = "noexport";
const Entry kEntries[] = {{"ghost", 0}};
#endif
constexpr int kCount = sizeof kEntries / sizeof kEntries[0];

class CTestObject : public CDataProvider {
 public:
  explicit CTestObject(const std::string& origin) : m_origin(origin.c_str()) {
    AddValue(&m_origin, "origin");
    PluginLogAdd("create " + origin);
  }
  ~CTestObject() override { PluginLogAdd(std::string("destroy ") + m_origin.GetDefault()); }
  void Free() override { PluginLogAdd(std::string("free ") + m_origin.GetDefault()); }

 private:
  CValueString m_origin;
};

// Its initialisers run when the loader maps it, its finalisers when it is unmapped.
struct LoadReporter {
  LoadReporter() { PluginLogAdd(std::string("load ") + kLibrary); }
  ~LoadReporter() { PluginLogAdd(std::string("unload ") + kLibrary); }
} g_loadReporter;

}  // namespace

VEXIL_PLUGIN_EXPORT bool GetName(int32_t index, char* name, uint8_t* kind) {
  char event[64];
  snprintf(event, sizeof event, "GetName %s %d", kLibrary, static_cast<int>(index));
  PluginLogAdd(event);
  if (index < 0 || index >= kCount) return false;
  strcpy(name, kEntries[index].name);
  *kind = kEntries[index].kind;
  return true;
}

VEXIL_PLUGIN_EXPORT CDataProvider* CreateInstance(const char* name, uint8_t kind) {
  for (int i = 0; i < kCount; ++i) {
    if (strcasecmp(kEntries[i].name, name) == 0 && kEntries[i].kind == kind) {
      char origin[64];
      snprintf(origin, sizeof origin, "%s:%s:%d", kLibrary, kEntries[i].name, kind);
      return new CTestObject(origin);
    }
  }
  return nullptr;
}

#if !defined(TEST_PLUGIN_noexport)
VEXIL_PLUGIN_EXPORT void FreeInstance(CDataProvider* object) {
  PluginLogAdd(std::string("FreeInstance ") + kLibrary);
  delete object;
}
#endif
