// The plug-in exports of libscenecore.so: the engine core library serves its parameter types
// through the same protocol as any effect library, so the player loads it as a plug-in.
#include "params/paramcatalogue.h"
#include "script/plugin.h"

VEXIL_PLUGIN_EXPORT bool GetName(int32_t index, char* name, uint8_t* kind)
    VEXIL_PLUGIN_LINK_NAME(GetName);
VEXIL_PLUGIN_EXPORT CDataProvider* CreateInstance(const char* name, uint8_t kind)
    VEXIL_PLUGIN_LINK_NAME(CreateInstance);
VEXIL_PLUGIN_EXPORT void FreeInstance(CDataProvider* object) VEXIL_PLUGIN_LINK_NAME(FreeInstance);

VEXIL_PLUGIN_EXPORT bool GetName(int32_t index, char* name, uint8_t* kind) {
  return ParamCatalogueGetName(index, name, kind);
}

VEXIL_PLUGIN_EXPORT CDataProvider* CreateInstance(const char* name, uint8_t kind) {
  return ParamCatalogueCreate(name, kind);
}

VEXIL_PLUGIN_EXPORT void FreeInstance(CDataProvider* object) {
  ParamCatalogueFree(object);
}
