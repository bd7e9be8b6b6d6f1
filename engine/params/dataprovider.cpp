// Value registry of a data provider and the binding of its "param" child elements.
#include "params/dataprovider.h"

#include <strings.h>

#include "params/param.h"
#include "params/value.h"
#include "script/plugin.h"
#include "script/widgetmanager.h"

CDataProvider::CDataProvider() = default;

CDataProvider::~CDataProvider() = default;

void CDataProvider::Free() {}

float CDataProvider::GetTime() const {
  return 0.0f;
}

void CDataProvider::AddValue(CValue* value, const char* name) {
  if (!value) return;
  value->SetName(name);
  m_values.Append(value);
}

CValue* CDataProvider::FindValue(const char* name) const {
  if (!name) return nullptr;
  for (CValue* value : m_values) {
    if (strcasecmp(value->GetName(), name) == 0) return value;
  }
  return nullptr;
}

void CDataProvider::Parse(TiXmlElement* element) {
  if (!element) return;
  CXmlHandler::Parse(element);
  for (TiXmlElement* child = element->FirstChildElement(); child;
       child = child->NextSiblingElement()) {
    if (strcasecmp(child->Value(), "param") == 0) BindParam(child);
  }
}

void CDataProvider::BindParam(TiXmlElement* paramElement) {
  CValue* value = FindValue(paramElement->Attribute("name"));
  if (!value) return;
  CParam** slot = value->GetParam();
  // Without a manager no parameter can be made; the value then keeps its default, as it
  // does for a type that no library lists.
  CDataProvider* object = m_widgetManager ? m_widgetManager->CreateInstance(
                                                paramElement->Attribute("type"), PLUGIN_KIND_PARAM)
                                          : nullptr;
  // A parameter of another value type would be read as the wrong type: refuse it and leave
  // the value unbound. The refused object stays with the manager, which frees it.
  if (!object || !value->Accepts(object)) {
    *slot = nullptr;
    return;
  }
  CParam* param = static_cast<CParam*>(object);
  *slot = param;
  param->SetOwner(this);
  param->Parse(paramElement);
}
