// The timeline: module creation from the script, the layer sort and the per-frame passes.
// Rendering walks the list by index and allocates nothing.
#include "timeline/timeline.h"

#include <strings.h>

#include <algorithm>
#include <string>
#include <vector>

#include "params/scripttext.h"
#include "script/plugin.h"
#include "script/script_attributes.h"
#include "script/widgetmanager.h"
#include "timeline/demodevice.h"
#include "timeline/module.h"

CTimeline::~CTimeline() = default;

void CTimeline::Parse(TiXmlElement* element) {
  CWidgetManager* widgets = m_pDemoDevice ? m_pDemoDevice->m_pWidgetManager : nullptr;
  if (element && widgets && strcasecmp(element->Value(), "timeline") == 0) {
    for (TiXmlElement* child = element->FirstChildElement(); child;
         child = child->NextSiblingElement()) {
      const char* type = child->Attribute("type");
      if (!type) {
        widgets->Report(child->Row(), std::string("module element <") + child->Value() +
                                          "> has no \"type\" attribute and is skipped");
        continue;
      }
      // A catalogue entry of kind "module" whose object is no CModule cannot be driven; it
      // stays with the widget manager, which owns it.
      CDataProvider* made = widgets->CreateInstance(type, PLUGIN_KIND_MODULE);
      CModule* module = dynamic_cast<CModule*>(made);
      if (!module) {
        widgets->Report(child->Row(), (made ? "\"" + std::string(type) + "\" is no module"
                                            : widgets->GetCreateError()) +
                                          ", so it is skipped");
        continue;
      }
      module->SetDemoDevice(m_pDemoDevice);
      ReportUnknownAttributes(widgets, child, {"type", "start", "end", "layer"});
      // Absent attributes read as 0, like text without a number.
      for (const char* bound : {"start", "end"}) {
        if (!child->Attribute(bound)) {
          widgets->Report(child->Row(), "module \"" + std::string(type) + "\" has no \"" + bound +
                                            "\": it reads as 0 ms");
        }
      }
      module->SetStart(AttributeFloat(child, "start"));
      module->SetEnd(AttributeFloat(child, "end"));
      module->SetLayer(static_cast<int16_t>(AttributeInt(child, "layer")));
      module->SetScriptPosition(child->Row(), child->Column());
      module->Parse(child);
      if (module->GetEndTime() < module->GetStartTime()) {
        widgets->Report(child->Row(), "module \"" + std::string(type) +
                                          "\" ends before it starts and never plays");
      }
      module->SetTimeLine(this);
      module->SetViewportRect({0, 0, m_pDemoDevice->m_width, m_pDemoDevice->m_height});
      module->Init();
      m_modules.Append(module);
    }
  }
  Sort();
}

void CTimeline::Sort() {
  std::vector<CModule*> order;
  order.reserve(m_modules.GetCount());
  for (CModule* module : m_modules) {
    if (module->GetEndTime() > m_end) m_end = module->GetEndTime();
    order.push_back(module);
  }
  // Lower layers first; a stable sort keeps modules of equal layer in script order, in
  // O(n log n) however many modules a script places.
  std::stable_sort(order.begin(), order.end(), [](const CModule* a, const CModule* b) {
    return a->GetLayer() < b->GetLayer();
  });
  m_modules.Clear();
  for (CModule* module : order) m_modules.Append(module);
}

bool CTimeline::Render(float t) {
  if (!Draw(t)) return false;
  Present();
  return true;
}

void CTimeline::Restart() {
  for (CModule* module : m_modules) {
    if (module->IsStarted()) module->EndModule();
  }
}

bool CTimeline::Draw(float t) {
  m_time = t;
  for (int pass = 1; pass <= 3; ++pass) {
    const int count = m_modules.GetCount();
    for (int i = 0; i < count; ++i) {
      CModule* module = m_modules.Get(i);
      if (module->GetEndTime() < t) {
        if (module->IsStarted()) module->EndModule();
        continue;
      }
      if (t < module->GetStartTime()) continue;
      // Active: start <= t <= end, both ends included.
      if (!module->IsStarted()) module->StartModule();
      if (pass == 1) {
        module->BeforeRender();
      } else if (pass == 2) {
        module->SetRenderTarget();
        module->Render();
        module->RestoreRenderTarget();
      } else {
        module->AfterRender();
      }
    }
  }

  if (m_end < t) {
    Restart();
    return false;
  }
  return true;
}

void CTimeline::Present() {
  IDirect3DDevice9* device = m_pDemoDevice ? m_pDemoDevice->m_pD3DDevice : nullptr;
  if (device) device->Present(nullptr, nullptr, nullptr, nullptr);
}
