// The library's catalogue and its three exports: what the player asks every plug-in library.
#include <strings.h>

#include <cstring>
#include <new>

#include "checker_module.h"

namespace {

struct Entry {
  const char* name;
  uint8_t kind;
  CDataProvider* (*create)();
};

const Entry kCatalogue[] = {
    {"checker", PLUGIN_KIND_MODULE,
     [] { return static_cast<CDataProvider*>(new (std::nothrow) CCheckerModule); }},
};
constexpr int32_t kCatalogueSize = sizeof(kCatalogue) / sizeof(kCatalogue[0]);

}  // namespace

VEXIL_PLUGIN_EXPORT bool GetName(int32_t index, char* name, uint8_t* kind) {
  if (index < 0 || index >= kCatalogueSize) return false;
  std::strcpy(name, kCatalogue[index].name);
  *kind = kCatalogue[index].kind;
  return true;
}

VEXIL_PLUGIN_EXPORT CDataProvider* CreateInstance(const char* name, uint8_t kind) {
  for (const Entry& entry : kCatalogue) {
    if (entry.kind == kind && strcasecmp(entry.name, name) == 0) return entry.create();
  }
  return nullptr;
}

VEXIL_PLUGIN_EXPORT void FreeInstance(CDataProvider* object) {
  delete object;
}
