// Edit mode's timeline panel, drawn with Dear ImGui over the demo's frame: one row per layer
// with a bar for each module (its element name, type and script line; its render-target
// switches marked), the playhead, the loop section and the beat and bar grid of the script's
// tempo; under it an inspector of the selected module's values at the playhead, with a plot
// of each keyframed value over the module's span. Made the first time it is shown: a hidden
// panel costs nothing.
#pragma once

#include <memory>
#include <string>

#include "d3d9/d3d9.h"
#include "demo_parts.h"
#include "imgui_device_renderer.h"
#include "transport.h"

struct ImGuiContext;

namespace vexil {

struct PanelView {
  double time_ms = 0.0;
  double end_ms = 0.0;
  LoopSection loop;
  int width = 0, height = 0;  // of the back buffer
  float pointer_x = -1.0f, pointer_y = -1.0f;
  bool pointer_down = false;
  float wheel = 0.0f;  // steps since the last frame
  double frame_seconds = 1.0 / 60.0;
};

struct PanelOutcome {
  bool seek = false;  // the ruler was clicked or dragged
  double seek_ms = 0.0;
};

class TimelinePanel {
 public:
  explicit TimelinePanel(IDirect3DDevice9* device);
  ~TimelinePanel();
  TimelinePanel(const TimelinePanel&) = delete;
  TimelinePanel& operator=(const TimelinePanel&) = delete;

  // Draws the panel into the current back buffer (inside a scene of its own).
  PanelOutcome Draw(const DemoParts& demo, const PanelView& view);

 private:
  void DrawTimeline(const DemoParts& demo, const PanelView& view, PanelOutcome* outcome);
  void DrawInspector(const DemoParts& demo, const PanelView& view);

  ImGuiContext* context_ = nullptr;
  ImGuiDeviceRenderer renderer_;
  // The selection by script position, so that it survives a reload of the demo.
  int selected_line_ = 0, selected_column_ = 0;
};

}  // namespace vexil
