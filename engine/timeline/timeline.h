// CTimeline: builds the modules of the script's "timeline" element by type, orders them by
// layer and renders a frame for a demo time: starts and ends modules as the time enters and
// leaves their spans, runs the three passes, presents once, and reports the end of the demo.
#pragma once

#include "script/linkedlist.h"
#include "script/xmlhandler.h"

class CDemoDevice;
class CModule;

class CTimeline : public CXmlHandler {
 public:
  CTimeline() = default;
  // Frees the list only: the widget manager owns the modules.
  ~CTimeline() override;

  void SetDemoDevice(CDemoDevice* demoDevice) { m_pDemoDevice = demoDevice; }

  // Builds a module from every child of a "timeline" element whose "type" names a module type
  // (whatever the child's own name): placed, parsed, given timeline and viewport, initialised
  // and appended. Then sorts all modules; other elements only re-sort.
  void Parse(TiXmlElement* element) override;
  // Stable sort by layer, lower layers first; also raises the end of the demo to the latest
  // module end.
  void Sort();

  // Renders the frame for demo time t (milliseconds). A module is active while
  // start <= t <= end. False, with nothing presented, once t is past the latest module end.
  bool Render(float t);
  // Render in two steps, so that a tool can draw over the demo's picture before it is shown:
  // Draw runs the passes (and answers false past the end, as Render does), Present shows the
  // frame.
  bool Draw(float t);
  void Present();
  // Ends every started module, as if the time had left its span. After a jump in time (a seek
  // in a player's transport) the next frame then starts each active module afresh at the new
  // time, as if playback had begun there: the music seeks to it.
  void Restart();

  // The time of the latest Render call (0 before the first).
  float GetTime() const { return m_time; }
  // The latest module end seen by Sort: Render answers false for any later time.
  float GetEndTime() const { return m_end; }
  // Nothing to release: the modules belong to the widget manager.
  void Free() {}

  int GetModuleCount() const { return m_modules.GetCount(); }
  // The module at a 0-based position in render order; null outside the list.
  CModule* GetModule(int index) const { return m_modules.Get(index); }

 private:
  CLinkedList<CModule> m_modules;
  float m_time = 0.0f;
  float m_end = 0.0f;
  CDemoDevice* m_pDemoDevice = nullptr;
};
