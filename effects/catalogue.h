// The effect library's catalogue: fourteen module types and three resource types, served to
// the engine through the plug-in exports GetName, CreateInstance and FreeInstance.
#pragma once

#include <cstdint>

#include "scenecore.h"

namespace effects {

struct CatalogueRow {
  const char* name;
  uint8_t kind;
  CDataProvider* (*create)();
};

// The rows in the order GetName reports them.
constexpr int kCatalogueSize = 17;
const CatalogueRow* GetCatalogue();

}  // namespace effects

// Row `index` (0..16): its name into `name` (at least 13 characters) and its kind; false for
// any other index, writing nothing.
VEXIL_PLUGIN_EXPORT bool GetName(int32_t index, char* name, uint8_t* kind)
    VEXIL_PLUGIN_LINK_NAME(GetName);
// A new object of the named type (any case) and kind, or null: kind 0 modules, kind 2
// resources, nothing of kind 1.
VEXIL_PLUGIN_EXPORT CDataProvider* CreateInstance(const char* name, uint8_t kind)
    VEXIL_PLUGIN_LINK_NAME(CreateInstance);
// Destroys an object made by CreateInstance; null is ignored.
VEXIL_PLUGIN_EXPORT void FreeInstance(CDataProvider* object) VEXIL_PLUGIN_LINK_NAME(FreeInstance);
