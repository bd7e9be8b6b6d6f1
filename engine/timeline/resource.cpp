// The resource base: name and type fields and the default (empty) initialisation.
#include "timeline/resource.h"

#include "timeline/fixedname.h"

CResource::CResource() {
  SetType("Unknown");
}

CResource::CResource(const char* name) : CResource() {
  SetName(name);
}

CResource::~CResource() = default;

bool CResource::Init() {
  return true;
}

void CResource::SetName(const char* name) {
  CopyFixedName(m_name, sizeof m_name, name);
}

void CResource::SetType(const char* type) {
  CopyFixedName(m_type, sizeof m_type, type);
}
