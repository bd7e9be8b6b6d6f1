// Building the script's resources one at a time in document order, so that a resource's Init
// already finds every resource that stands before it.
#include "timeline/resourcemanager.h"

#include <strings.h>

#include <string>

#include "params/scripttext.h"
#include "script/plugin.h"
#include "script/script_attributes.h"
#include "script/widgetmanager.h"
#include "timeline/demodevice.h"
#include "timeline/fixedname.h"
#include "timeline/resource.h"

CResourceManager::~CResourceManager() = default;

void CResourceManager::Parse(TiXmlElement* element) {
  if (!element || strcasecmp(element->Value(), "resources") != 0) return;
  if (!m_pDemoDevice || !m_pDemoDevice->m_pWidgetManager) return;
  CWidgetManager* widgets = m_pDemoDevice->m_pWidgetManager;
  for (TiXmlElement* child = element->FirstChildElement(); child;
       child = child->NextSiblingElement()) {
    const char* type = child->Attribute("type");
    const int line = child->Row();
    if (!type) {
      widgets->Report(line, std::string("resource element <") + child->Value() +
                                "> has no \"type\" attribute and is skipped");
      continue;
    }
    // A library may list a resource type whose object is no CResource; such an object stays
    // with the widget manager, which owns it, and takes no part here.
    CDataProvider* made = widgets->CreateInstance(type, PLUGIN_KIND_RESOURCE);
    CResource* resource = dynamic_cast<CResource*>(made);
    if (!resource) {
      widgets->Report(line, (made ? "\"" + std::string(type) + "\" is no resource"
                                  : widgets->GetCreateError()) +
                                ", so it is skipped");
      continue;
    }
    ReportUnknownAttributes(widgets, child, {"type", "name"});
    const char* name = AttributeText(child, "name");
    if (!*name) {
      widgets->Report(line, "resource without a \"name\": nothing can use it");
    } else if (GetResource(name)) {
      widgets->Report(line, "a resource named \"" + std::string(name) +
                                "\" comes earlier: this one can never be found");
    }
    resource->SetName(name);
    resource->SetScriptPosition(child->Row(), child->Column());
    resource->Parse(child);
    resource->SetD3DDevice(m_pDemoDevice->m_pD3DDevice);
    resource->SetDemoDevice(m_pDemoDevice);
    // A failed Init is the resource type's to report; the resource stays findable.
    resource->Init();
    m_resources.push_back(resource);
    m_byName.emplace(FoldedName(resource->GetName()), resource);  // the first of a name stays
  }
}

CResource* CResourceManager::GetResource(const char* name) const {
  if (!name) return nullptr;
  const auto found = m_byName.find(FoldedName(name));
  return found != m_byName.end() ? found->second : nullptr;
}

CResource* CResourceManager::GetResourceAt(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= m_resources.size()) return nullptr;
  return m_resources[index];
}
