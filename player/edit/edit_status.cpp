// Overlay lines from the transport's state and the demo's timeline.
#include "edit_status.h"

#include <cstdio>

#include "timeline/module.h"

namespace vexil {

std::vector<OverlayLine> StatusLines(const EditStatus& status, const DemoParts& demo) {
  std::vector<OverlayLine> lines;
  char text[160];
  std::snprintf(text, sizeof text, "%s  %4.0f fps  %s  %s clock",
                FormatDemoTime(status.time_ms).c_str(), status.frame_rate,
                status.paused ? "paused" : "playing", status.music_clock ? "music" : "wall");
  lines.push_back({text, kOverlayText});

  const LoopSection& loop = status.loop;
  std::string loop_text = "loop ";
  loop_text += loop.has_in ? FormatDemoTime(loop.in_ms) : std::string("-");
  loop_text += " .. ";
  loop_text += loop.has_out ? FormatDemoTime(loop.out_ms) : std::string("-");
  if (!loop.Active()) loop_text += loop.has_in || loop.has_out ? "  (not active)" : "  (none)";
  lines.push_back({loop_text, loop.Active() ? kOverlayText : kOverlayQuiet});

  const CTimeline& timeline = demo.timeline;
  const float t = static_cast<float>(status.time_ms);
  for (int i = 0; i < timeline.GetModuleCount(); ++i) {
    const CModule* module = timeline.GetModule(i);
    // Active as the timeline sees it: both ends of the span included.
    if (t < module->GetStartTime() || t > module->GetEndTime()) continue;
    std::snprintf(text, sizeof text, "%-26s %s  layer %d", ModuleName(demo, module).c_str(),
                  FormatDemoTime(t - module->GetStartTime()).c_str(), module->GetLayer());
    lines.push_back({text, kOverlayQuiet});
  }
  return lines;
}

std::string ModuleName(const DemoParts& demo, const CModule* module) {
  std::string element = demo.ModuleElement(module);
  std::string type = demo.ModuleType(module);
  if (element.empty()) element = "?";
  if (type.empty()) type = "?";
  return element + " (" + type + ") :" + std::to_string(module->GetScriptLine());
}

std::vector<OverlayLine> MessageLines(const std::vector<std::string>& problems,
                                      const std::vector<std::string>& notes,
                                      const std::string& script) {
  std::vector<OverlayLine> lines;
  if (!problems.empty()) {
    const std::string what = script.empty() ? "the demo" : "\"" + script + "\"";
    lines.push_back({what + " does not build; the last good one plays on:", kOverlayError});
    for (const std::string& problem : problems) lines.push_back({problem, kOverlayError});
  }
  for (const std::string& note : notes) lines.push_back({note, kOverlayNote});
  return lines;
}

}  // namespace vexil
