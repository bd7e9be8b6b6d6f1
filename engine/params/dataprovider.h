// CDataProvider: a scriptable object with named values (modules, resources, parameters).
// Its Parse binds each "param" child element to the value it names through a new parameter.
#pragma once

#include "params/value.h"
#include "script/xmlhandler.h"

class CWidgetManager;
class CValue;
class CParam;

class CDataProvider : public CXmlHandler {
 public:
  CDataProvider();
  ~CDataProvider() override;

  // Dispatches the children to registered handlers, then binds every "param" child: the
  // value it names gets a new parameter of its "type", which then reads the element.
  void Parse(TiXmlElement* element) override;
  // Releases device resources just before the widget manager destroys the object.
  virtual void Free();
  // The object's current time in milliseconds; parameters are evaluated at it.
  virtual float GetTime() const;

  void SetWidgetManager(CWidgetManager* manager) { m_widgetManager = manager; }
  CWidgetManager* GetWidgetManager() const { return m_widgetManager; }

  // Names `value` (the text is copied) and lists it for binding. Call once per value,
  // from the constructor; the value must live as long as this object.
  void AddValue(CValue* value, const char* name);
  // The same, for a string value whose text names something outside the object: a file, a
  // texture or a resource. Tools such as the script checker read the declaration back.
  void AddValue(CValue* value, const char* name, EValueRefers refers);

  // Where in the script the element this object was made from starts (0, 0 when not made
  // from a script), so that a check can say where a finding comes from.
  void SetScriptPosition(int line, int column) {
    m_scriptLine = line;
    m_scriptColumn = column;
  }
  int GetScriptLine() const { return m_scriptLine; }
  int GetScriptColumn() const { return m_scriptColumn; }

  // The registered values in registration order; null outside 0 .. GetValueCount() - 1.
  int GetValueCount() const { return m_values.GetCount(); }
  CValue* GetValue(int index) const { return m_values.Get(index); }

  // The first registered value whose name matches (without regard to case), or null.
  CValue* FindValue(const char* name) const;

 private:
  void BindParam(TiXmlElement* paramElement);

  CWidgetManager* m_widgetManager = nullptr;
  CLinkedList<CValue> m_values;
  int m_scriptLine = 0;
  int m_scriptColumn = 0;
};
