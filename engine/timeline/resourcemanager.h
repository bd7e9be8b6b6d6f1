// CResourceManager: handles the script's "resources" element. Creates one resource per child
// through the widget manager, initialises it in document order and keeps it for lookups by
// name. The widget manager, not this list, owns the resources.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "script/xmlhandler.h"

class CDemoDevice;
class CResource;

class CResourceManager : public CXmlHandler {
 public:
  CResourceManager() = default;
  ~CResourceManager() override;

  void SetDemoDevice(CDemoDevice* demoDevice) { m_pDemoDevice = demoDevice; }

  // Builds the children of a "resources" element (any other element adds nothing): each
  // child's "type" names a resource type; unknown types are skipped silently. Each resource is
  // named, parsed, given the devices and initialised before the next child is read; one
  // whose Init fails stays registered.
  void Parse(TiXmlElement* element) override;

  // The first resource whose name matches without regard to case, or null.
  CResource* GetResource(const char* name) const;

  int GetResourceCount() const { return static_cast<int>(m_resources.size()); }
  // The resource at a 0-based position in creation order; null outside the list.
  CResource* GetResourceAt(int index) const;

 private:
  std::vector<CResource*> m_resources;
  // The first resource of each name, by its case-folded key: a script may name many thousands.
  std::unordered_map<std::string, CResource*> m_byName;
  CDemoDevice* m_pDemoDevice = nullptr;
};
