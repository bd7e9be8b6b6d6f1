// Building the script's resources one at a time in document order, so that a resource's Init
// already finds every resource that stands before it.
#include "timeline/resourcemanager.h"

#include <strings.h>

#include "params/scripttext.h"
#include "script/plugin.h"
#include "script/widgetmanager.h"
#include "timeline/demodevice.h"
#include "timeline/resource.h"

CResourceManager::~CResourceManager() = default;

void CResourceManager::Parse(TiXmlElement* element) {
  if (!element || strcasecmp(element->Value(), "resources") != 0) return;
  if (!m_pDemoDevice || !m_pDemoDevice->m_pWidgetManager) return;
  CWidgetManager* widgets = m_pDemoDevice->m_pWidgetManager;
  for (TiXmlElement* child = element->FirstChildElement(); child;
       child = child->NextSiblingElement()) {
    const char* type = child->Attribute("type");
    if (!type) continue;
    // A library may list a resource type whose object is no CResource; such an object stays
    // with the widget manager, which owns it, and takes no part here.
    CResource* resource =
        dynamic_cast<CResource*>(widgets->CreateInstance(type, PLUGIN_KIND_RESOURCE));
    if (!resource) continue;
    resource->SetName(AttributeText(child, "name"));
    resource->Parse(child);
    resource->SetD3DDevice(m_pDemoDevice->m_pD3DDevice);
    resource->SetDemoDevice(m_pDemoDevice);
    // A failed Init is the resource type's to report; the resource stays findable.
    resource->Init();
    m_resources.push_back(resource);
  }
}

CResource* CResourceManager::GetResource(const char* name) const {
  if (!name) return nullptr;
  for (CResource* resource : m_resources) {
    if (strcasecmp(resource->GetName(), name) == 0) return resource;
  }
  return nullptr;
}

CResource* CResourceManager::GetResourceAt(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= m_resources.size()) return nullptr;
  return m_resources[index];
}
