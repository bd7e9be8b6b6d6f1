// Value registry of a data provider and the binding of its "param" child elements.
#include "params/dataprovider.h"

#include <strings.h>

#include <string>

#include "params/param.h"
#include "params/paramvar.h"
#include "params/scripttext.h"
#include "params/value.h"
#include "script/plugin.h"
#include "script/script_attributes.h"
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

void CDataProvider::AddValue(CValue* value, const char* name, EValueRefers refers) {
  AddValue(value, name);
  if (value) value->SetRefers(refers);
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

namespace {

std::string Quoted(const char* text) {
  return std::string("\"") + (text ? text : "") + "\"";
}

// For script checking: keyed parameters assume keys in ascending time.
void CheckKeyOrder(const CParam* param, const TiXmlElement* element,
                   const CWidgetManager& manager) {
  const auto* keyed = dynamic_cast<const CParamVar*>(param);
  if (!keyed) return;
  const CParamKeyframe* previous = nullptr;
  for (const CParamKeyframe* key : keyed->GetKeys()) {
    if (previous && key->GetTime() < previous->GetTime()) {
      manager.Report(element->Row(), "the keys of parameter " + Quoted(element->Attribute("name")) +
                                         " are out of time order (" +
                                         std::to_string(key->GetTime()) + " after " +
                                         std::to_string(previous->GetTime()) + ")");
      return;
    }
    previous = key;
  }
}

// For script checking: the attributes some parameter type reads (the constants read "value" or
// the coordinates, keyed ones "loopstart" and "loopend" and their keys; "track" and "beat" place
// keys in musical time), and loop keys the keys do not have.
void CheckParamElement(const TiXmlElement* element, const CWidgetManager& manager) {
  if (!manager.IsReporting()) return;
  ReportUnknownAttributes(
      &manager, element, {"name", "type", "value", "x", "y", "z", "loopstart", "loopend", "track"});
  int keys = 0;
  for (const TiXmlElement* key = element->FirstChildElement(); key;
       key = key->NextSiblingElement()) {
    if (strcasecmp(key->Value(), "key") != 0) continue;
    ++keys;
    ReportUnknownAttributes(&manager, key, {"time", "value", "x", "y", "z", "beat"});
  }
  const char* startText = element->Attribute("loopstart");
  const char* endText = element->Attribute("loopend");
  const int loopStart = startText ? ScriptInt(startText) : 0;
  const int loopEnd = endText ? ScriptInt(endText) : 0;
  const std::string param = "parameter " + Quoted(element->Attribute("name"));
  if (loopEnd > keys) {
    manager.Report(element->Row(), "the loop end of " + param + " is key " +
                                       std::to_string(loopEnd) + ", beyond its last key (" +
                                       std::to_string(keys) + "): the keys do not loop as meant");
  } else if (loopStart > keys) {
    manager.Report(element->Row(), "the loop start of " + param + " is key " +
                                       std::to_string(loopStart) + ", beyond its last key (" +
                                       std::to_string(keys) + ")");
  }
  if (loopStart > 0 && loopEnd > 0 && loopEnd < loopStart) {
    manager.Report(element->Row(), "the loop of " + param + " ends (key " +
                                       std::to_string(loopEnd) + ") before it starts (key " +
                                       std::to_string(loopStart) +
                                       "): it loops from time 0 instead");
  }
}

}  // namespace

void CDataProvider::BindParam(TiXmlElement* paramElement) {
  if (m_widgetManager) CheckParamElement(paramElement, *m_widgetManager);
  const char* name = paramElement->Attribute("name");
  CValue* value = FindValue(name);
  if (!value) {
    if (m_widgetManager) {
      const TiXmlElement* owner = paramElement->Parent()->ToElement();
      m_widgetManager->Report(paramElement->Row(),
                              Quoted(owner ? owner->Attribute("type") : nullptr) +
                                  " has no value named " + Quoted(name) +
                                  ": the parameter is ignored");
    }
    return;
  }
  // A tempo the settings could not give is said with the first parameter, when a check
  // listens.
  if (m_widgetManager) {
    const std::string problem = m_widgetManager->GetSync().TakeSettingsProblem();
    if (!problem.empty()) m_widgetManager->Report(0, problem);
  }
  CParam** slot = value->GetParam();
  // Without a manager no parameter can be made; the value then keeps its default, as it
  // does for a type that no library lists.
  CDataProvider* object = m_widgetManager ? m_widgetManager->CreateInstance(
                                                paramElement->Attribute("type"), PLUGIN_KIND_PARAM)
                                          : nullptr;
  // A parameter of another value type would be read as the wrong type: refuse it and leave
  // the value unbound. The refused object stays with the manager, which frees it.
  if (!object || !value->Accepts(object)) {
    if (m_widgetManager && !object) {
      m_widgetManager->Report(paramElement->Row(),
                              "unknown parameter type " + Quoted(paramElement->Attribute("type")) +
                                  " for " + Quoted(name) + ": the value keeps its default");
    } else if (object) {
      m_widgetManager->Report(paramElement->Row(),
                              "parameter type " + Quoted(paramElement->Attribute("type")) +
                                  " does not fit the value " + Quoted(value->GetName()) +
                                  ": the value keeps its default");
    }
    *slot = nullptr;
    return;
  }
  CParam* param = static_cast<CParam*>(object);
  *slot = param;
  param->SetOwner(this);
  param->SetScriptPosition(paramElement->Row(), paramElement->Column());
  param->Parse(paramElement);
  CheckKeyOrder(param, paramElement, *m_widgetManager);
}
