// The effect library's catalogue and plug-in exports.
#include "catalogue.h"

#include <strings.h>

#include <cstring>
#include <new>

#include "modules/blur_module.h"
#include "modules/clearscreen_module.h"
#include "modules/fmod_module.h"
#include "modules/kluttviewer_module.h"
#include "modules/metaballs_module.h"
#include "modules/showimage_module.h"
#include "modules/showtime_module.h"
#include "modules/splinetunnel_module.h"
#include "modules/texscreen_module.h"
#include "modules/text_module.h"
#include "modules/torusknot_module.h"
#include "modules/torustunnel_module.h"
#include "modules/trailtube_module.h"
#include "modules/twister_module.h"
#include "resources/klutt_resource.h"
#include "resources/raw_resource.h"
#include "resources/texture_resource.h"

namespace effects {

namespace {

template <typename T>
CDataProvider* Make() {
  return new (std::nothrow) T();
}

constexpr CatalogueRow kRows[kCatalogueSize] = {
    {"fmod", PLUGIN_KIND_MODULE, &Make<CFmodModule>},
    {"clearscreen", PLUGIN_KIND_MODULE, &Make<CClearScreenModule>},
    {"showimage", PLUGIN_KIND_MODULE, &Make<CShowImageModule>},
    {"showtime", PLUGIN_KIND_MODULE, &Make<CShowTimeModule>},
    {"splinetunnel", PLUGIN_KIND_MODULE, &Make<CSplineTunnelModule>},
    {"kluttviewer", PLUGIN_KIND_MODULE, &Make<CKluttViewerModule>},
    {"blur", PLUGIN_KIND_MODULE, &Make<CBlurModule>},
    {"twister", PLUGIN_KIND_MODULE, &Make<CTwisterModule>},
    {"text", PLUGIN_KIND_MODULE, &Make<CTextModule>},
    {"torustunnel", PLUGIN_KIND_MODULE, &Make<CTorusTunnelModule>},
    {"texscreen", PLUGIN_KIND_MODULE, &Make<CTexScreenModule>},
    {"torusknot", PLUGIN_KIND_MODULE, &Make<CTorusKnotModule>},
    {"metaballs", PLUGIN_KIND_MODULE, &Make<CMetaballsModule>},
    {"zuravisnurr", PLUGIN_KIND_MODULE, &Make<CTrailTubeModule>},
    {"raw", PLUGIN_KIND_RESOURCE, &Make<CRawResource>},
    {"texture", PLUGIN_KIND_RESOURCE, &Make<CTextureResource>},
    {"klutt", PLUGIN_KIND_RESOURCE, &Make<CKluttResource>},
};

}  // namespace

const CatalogueRow* GetCatalogue() {
  return kRows;
}

}  // namespace effects

bool GetName(int32_t index, char* name, uint8_t* kind) {
  if (index < 0 || index >= effects::kCatalogueSize) return false;
  const effects::CatalogueRow& row = effects::kRows[index];
  if (name) std::strcpy(name, row.name);
  if (kind) *kind = row.kind;
  return true;
}

CDataProvider* CreateInstance(const char* name, uint8_t kind) {
  if (!name || (kind != PLUGIN_KIND_MODULE && kind != PLUGIN_KIND_RESOURCE)) return nullptr;
  // The rows of one kind are searched in catalogue order; the first name match is made.
  for (const effects::CatalogueRow& row : effects::kRows) {
    if (row.kind == kind && strcasecmp(row.name, name) == 0) return row.create();
  }
  return nullptr;
}

void FreeInstance(CDataProvider* object) {
  delete object;
}
