// The fixed table of parameter type names and the classes they create.
#include "params/paramcatalogue.h"

#include <strings.h>

#include <cstring>
#include <new>

#include "params/paramkeyed.h"
#include "params/paramsync.h"
#include "script/plugin.h"

namespace {

struct CatalogueEntry {
  const char* name;
  CParam* (*create)();
};

template <class T>
CParam* Make() {
  return new (std::nothrow) T();
}

// The order is part of the protocol: indexes are what GetName enumerates.
const CatalogueEntry kCatalogue[] = {
    {"float", Make<CParamFloat>},
    {"int", Make<CParamLong>},
    {"long", Make<CParamLong>},
    {"color", Make<CParamColor>},
    {"string", Make<CParamString>},
    {"linearfloat", Make<CParamLinearFloat>},
    {"squarefloat", Make<CParamSquareFloat>},
    {"tcbfloat", Make<CParamTCBFloat>},
    {"tcbcolor", Make<CParamTCBColor>},
    {"linearcolor", Make<CParamLinearColor>},
    {"squarecolor", Make<CParamSquareColor>},
    {"tcblong", Make<CParamTCBLong>},
    {"squarelong", Make<CParamSquareLong>},
    {"linearlong", Make<CParamLinearLong>},
    {"squarestring", Make<CParamSquareString>},
    {"vec2", Make<CParamVec2>},
    {"arrayvec2", Make<CParamArrayVec2>},
    {"tcbvec2", Make<CParamTCBVec2>},
    {"squarevec2", Make<CParamSquareVec2>},
    {"linearvec2", Make<CParamLinearVec2>},
    {"vec3", Make<CParamVec3>},
    {"arrayvec3", Make<CParamArrayVec3>},
    {"tcbvec3", Make<CParamTCBVec3>},
    {"squarevec3", Make<CParamSquareVec3>},
    {"linearvec3", Make<CParamLinearVec3>},
    {"syncfloat", Make<CParamSyncFloat>},
    {"synclong", Make<CParamSyncLong>},
    {"synccolor", Make<CParamSyncColor>},
    {"syncvec2", Make<CParamSyncVec2>},
    {"syncvec3", Make<CParamSyncVec3>},
};

constexpr int32_t kCount = static_cast<int32_t>(sizeof kCatalogue / sizeof kCatalogue[0]);
static_assert(kCount == 30, "the catalogue has 30 parameter types");

}  // namespace

int32_t ParamCatalogueCount() {
  return kCount;
}

bool ParamCatalogueGetName(int32_t index, char* name, uint8_t* kind) {
  if (index < 0 || index >= kCount || !name || !kind) return false;
  std::strcpy(name, kCatalogue[index].name);
  *kind = PLUGIN_KIND_PARAM;
  return true;
}

CDataProvider* ParamCatalogueCreate(const char* name, uint8_t kind) {
  if (kind != PLUGIN_KIND_PARAM || !name) return nullptr;
  for (const CatalogueEntry& entry : kCatalogue) {
    if (strcasecmp(entry.name, name) == 0) return entry.create();
  }
  return nullptr;
}

void ParamCatalogueFree(CDataProvider* object) {
  delete object;
}
