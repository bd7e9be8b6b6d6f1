// The panel's two windows: the timeline along the bottom, the inspector at the top right.
#include "timeline_panel.h"

#include <imgui.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "edit_overlay.h"
#include "edit_status.h"
#include "params/param.h"
#include "params/paramvar.h"
#include "params/synccontext.h"
#include "params/value.h"
#include "timeline/module.h"
#include "timeline_layout.h"

namespace vexil {

namespace {

constexpr float kRulerHeight = 18.0f;
constexpr float kRowHeight = 18.0f;
constexpr float kLabelWidth = 64.0f;
constexpr float kPlotHeight = 44.0f;
constexpr int kPlotSamples = 96;
constexpr int kBeatsPerBar = 4;
constexpr ImGuiWindowFlags kFixedWindow =
    ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoCollapse |
    ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoFocusOnAppearing;

const ImU32 kPlayhead = IM_COL32(255, 80, 80, 255);
const ImU32 kLoopFill = IM_COL32(80, 160, 255, 48);
const ImU32 kLoopEdge = IM_COL32(80, 160, 255, 200);
const ImU32 kTargetMark = IM_COL32(255, 210, 64, 255);
const ImU32 kComponent[3] = {IM_COL32(255, 96, 96, 255), IM_COL32(96, 220, 96, 255),
                             IM_COL32(110, 150, 255, 255)};

// A steady colour per module type, so that the same effect reads the same across the rows.
ImU32 BarColor(const std::string& type) {
  uint32_t hash = 2166136261u;
  for (char c : type) hash = (hash ^ static_cast<uint8_t>(c)) * 16777619u;
  // The golden ratio spreads neighbouring hashes around the colour wheel.
  const float hue = std::fmod(static_cast<float>(hash % 1000) * 0.618034f, 1.0f);
  float r = 0, g = 0, b = 0;
  ImGui::ColorConvertHSVtoRGB(hue, 0.45f, 0.62f, r, g, b);
  return ImGui::ColorConvertFloat4ToU32({r, g, b, 0.92f});
}

std::string ShortTime(double ms) {
  char text[32];
  const long long s = static_cast<long long>(std::floor(ms / 1000.0 + 1e-9));
  const int tenths = static_cast<int>(std::llround(ms / 100.0)) % 10;
  if (std::fmod(ms, 1000.0) == 0.0)
    std::snprintf(text, sizeof text, "%lld:%02lld", s / 60, s % 60);
  else
    std::snprintf(text, sizeof text, "%lld:%02lld.%d", s / 60, s % 60, tenths);
  return text;
}

// The keyframes of a value's parameter, null when it is not keyframed.
const CParamVar* KeysOf(const CValue* value) {
  return dynamic_cast<const CParamVar*>(value->GetBoundParam());
}

std::string ValueText(CValue* value, float t) {
  char text[128] = "";
  switch (value->GetValueType()) {
    case EValueType::Float:
      std::snprintf(text, sizeof text, "%.4g", (*static_cast<CValueFloat*>(value))[t]);
      break;
    case EValueType::Long:
      std::snprintf(text, sizeof text, "%d",
                    static_cast<int>((*static_cast<CValueLong*>(value))[t]));
      break;
    case EValueType::Color:
      std::snprintf(text, sizeof text, "#%08X",
                    static_cast<unsigned>((*static_cast<CValueColor*>(value))[t]));
      break;
    case EValueType::String: {
      const char* s = (*static_cast<CValueString*>(value))[t];
      return std::string("\"") + (s ? s : "") + "\"";
    }
    case EValueType::Vec2: {
      const D3DXVECTOR2 v = (*static_cast<CValueVec2*>(value))[t];
      std::snprintf(text, sizeof text, "%.3g  %.3g", v.x, v.y);
      break;
    }
    case EValueType::Vec3: {
      const D3DXVECTOR3 v = (*static_cast<CValueVec3*>(value))[t];
      std::snprintf(text, sizeof text, "%.3g  %.3g  %.3g", v.x, v.y, v.z);
      break;
    }
    case EValueType::ArrayVec2:
    case EValueType::ArrayVec3:
      return "(points)";
  }
  return text;
}

// Component `c` of a plotted value at module time t; colours go by swatch instead.
int ComponentCount(EValueType type) {
  switch (type) {
    case EValueType::Float:
    case EValueType::Long:
      return 1;
    case EValueType::Vec2:
      return 2;
    case EValueType::Vec3:
      return 3;
    default:
      return 0;
  }
}

float Component(CValue* value, int c, float t) {
  switch (value->GetValueType()) {
    case EValueType::Float:
      return (*static_cast<CValueFloat*>(value))[t];
    case EValueType::Long:
      return static_cast<float>((*static_cast<CValueLong*>(value))[t]);
    case EValueType::Vec2: {
      const D3DXVECTOR2 v = (*static_cast<CValueVec2*>(value))[t];
      return c == 0 ? v.x : v.y;
    }
    case EValueType::Vec3: {
      const D3DXVECTOR3 v = (*static_cast<CValueVec3*>(value))[t];
      return c == 0 ? v.x : c == 1 ? v.y : v.z;
    }
    default:
      return 0.0f;
  }
}

ImU32 ArgbToImGui(uint32_t argb) {
  return (argb & 0xFF00FF00u) | ((argb & 0xFFu) << 16) | ((argb >> 16) & 0xFFu);
}

// The value over the module's span [0, span] with its keys marked and the playhead at `now`.
void DrawPlot(CValue* value, const CParamVar* keys, double span, double now) {
  const float width = std::max(ImGui::GetContentRegionAvail().x, 40.0f);
  const ImVec2 p0 = ImGui::GetCursorScreenPos();
  const ImVec2 p1 = {p0.x + width, p0.y + kPlotHeight};
  ImGui::Dummy({width, kPlotHeight});
  ImDrawList* draw = ImGui::GetWindowDrawList();
  draw->AddRectFilled(p0, p1, IM_COL32(20, 22, 28, 230));
  const TimeAxis axis{0.0, std::max(span, 1.0), p0.x, p1.x};
  if (value->GetValueType() == EValueType::Color) {
    // A strip of swatches: the colour as it is at each moment, its alpha over the dark back.
    auto* color = static_cast<CValueColor*>(value);
    for (int i = 0; i < kPlotSamples; ++i) {
      const float x0 = p0.x + width * i / kPlotSamples, x1 = p0.x + width * (i + 1) / kPlotSamples;
      const uint32_t argb = (*color)[static_cast<float>(axis.end_ms * i / (kPlotSamples - 1))];
      draw->AddRectFilled({x0, p0.y + 4}, {x1 + 0.5f, p1.y - 4}, ArgbToImGui(argb));
    }
  } else {
    const int components = ComponentCount(value->GetValueType());
    std::vector<std::vector<float>> samples;
    float low = 0, high = 0;
    std::vector<float> all;
    for (int c = 0; c < components; ++c) {
      samples.push_back(
          SamplePlot([&](double t) { return Component(value, c, static_cast<float>(t)); }, 0.0,
                     axis.end_ms, kPlotSamples));
      all.insert(all.end(), samples.back().begin(), samples.back().end());
    }
    PlotRange(all, &low, &high);
    const float top = p0.y + 3, bottom = p1.y - 3;
    auto y_of = [&](float v) { return bottom - (v - low) / (high - low) * (bottom - top); };
    for (int c = 0; c < components; ++c) {
      std::vector<ImVec2> points;
      for (int i = 0; i < kPlotSamples; ++i) {
        const float v = std::isfinite(samples[c][i]) ? samples[c][i] : low;
        points.push_back({p0.x + width * i / (kPlotSamples - 1), y_of(v)});
      }
      draw->AddPolyline(points.data(), static_cast<int>(points.size()),
                        components == 1 ? IM_COL32(230, 230, 230, 255) : kComponent[c], 0, 1.5f);
    }
    char range[64];
    std::snprintf(range, sizeof range, "%.3g", high);
    draw->AddText({p0.x + 3, p0.y + 1}, IM_COL32(160, 160, 160, 255), range);
    std::snprintf(range, sizeof range, "%.3g", low);
    draw->AddText({p0.x + 3, p1.y - ImGui::GetFontSize() - 1}, IM_COL32(160, 160, 160, 255), range);
  }
  for (const CParamKeyframe* key : keys->GetKeys()) {
    const float x = axis.X(key->GetTime());
    if (x < p0.x - 1 || x > p1.x + 1) continue;
    const float y = p1.y - 4;
    draw->AddQuadFilled({x, y - 4}, {x + 4, y}, {x, y + 4}, {x - 4, y}, kTargetMark);
  }
  if (now >= 0.0 && now <= axis.end_ms) {
    const float x = axis.X(now);
    draw->AddLine({x, p0.y}, {x, p1.y}, kPlayhead);
  }
}

void DrawLoopAndPlayhead(ImDrawList* draw, const TimeAxis& axis, const PanelView& view, float top,
                         float bottom) {
  const LoopSection& loop = view.loop;
  if (loop.has_in || loop.has_out) {
    const float x0 = loop.has_in ? axis.X(loop.in_ms) : axis.left;
    const float x1 = loop.has_out ? axis.X(loop.out_ms) : axis.right;
    if (loop.Active()) draw->AddRectFilled({x0, top}, {x1, bottom}, kLoopFill);
    if (loop.has_in) draw->AddLine({x0, top}, {x0, bottom}, kLoopEdge, 1.5f);
    if (loop.has_out) draw->AddLine({x1, top}, {x1, bottom}, kLoopEdge, 1.5f);
  }
  const float playhead = std::round(axis.X(view.time_ms));
  draw->AddLine({playhead, top}, {playhead, bottom}, kPlayhead, 2.0f);
}

}  // namespace

TimelinePanel::TimelinePanel(IDirect3DDevice9* device) : renderer_(device) {
  ImGuiContext* previous = ImGui::GetCurrentContext();
  context_ = ImGui::CreateContext();
  ImGui::SetCurrentContext(context_);
  ImGuiIO& io = ImGui::GetIO();
  io.IniFilename = nullptr;
  io.LogFilename = nullptr;
  ImGui::StyleColorsDark();
  ImGuiStyle& style = ImGui::GetStyle();
  style.WindowRounding = 3.0f;
  style.WindowPadding = {6, 5};
  style.ItemSpacing = {6, 3};
  style.Colors[ImGuiCol_WindowBg].w = 0.86f;
  renderer_.CreateFontTexture();
  ImGui::SetCurrentContext(previous);
}

TimelinePanel::~TimelinePanel() {
  ImGui::DestroyContext(context_);
}

PanelOutcome TimelinePanel::Draw(const DemoParts& demo, const PanelView& view) {
  ImGuiContext* previous = ImGui::GetCurrentContext();
  ImGui::SetCurrentContext(context_);
  ImGuiIO& io = ImGui::GetIO();
  io.DisplaySize = {static_cast<float>(view.width), static_cast<float>(view.height)};
  io.DeltaTime = static_cast<float>(std::clamp(view.frame_seconds, 1e-4, 1.0));
  io.MousePos =
      view.pointer_x < 0 ? ImVec2(-FLT_MAX, -FLT_MAX) : ImVec2(view.pointer_x, view.pointer_y);
  io.MouseDown[0] = view.pointer_down;
  io.MouseWheel = view.wheel;
  ImGui::NewFrame();
  PanelOutcome outcome;
  DrawTimeline(demo, view, &outcome);
  DrawInspector(demo, view);
  ImGui::Render();
  renderer_.Render(ImGui::GetDrawData());
  ImGui::SetCurrentContext(previous);
  return outcome;
}

void TimelinePanel::DrawTimeline(const DemoParts& demo, const PanelView& view,
                                 PanelOutcome* outcome) {
  const CTimeline& timeline = demo.timeline;
  std::vector<ModuleSpan> spans;
  for (int i = 0; i < timeline.GetModuleCount(); ++i) {
    const CModule* m = timeline.GetModule(i);
    spans.push_back({m->GetStartTime(), m->GetEndTime(), m->GetLayer()});
  }
  const std::vector<int> layers = LayerRows(spans);
  const float w = static_cast<float>(view.width), h = static_cast<float>(view.height);
  const float wanted = kRulerHeight + kRowHeight * std::max<size_t>(layers.size(), 1) + 16.0f;
  const float height = std::min(wanted, std::floor(h * 0.42f));
  ImGui::SetNextWindowPos({0, h - height});
  ImGui::SetNextWindowSize({w, height});
  if (!ImGui::Begin("timeline", nullptr,
                    kFixedWindow | ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoScrollbar)) {
    ImGui::End();
    return;
  }
  ImDrawList* draw = ImGui::GetWindowDrawList();
  const ImVec2 origin = ImGui::GetCursorScreenPos();
  const ImVec2 avail = ImGui::GetContentRegionAvail();
  const TimeAxis axis{0.0, std::max(view.end_ms, 1.0), origin.x + kLabelWidth,
                      origin.x + avail.x - 2.0f};
  const ImGuiIO& io = ImGui::GetIO();

  // The ruler: click or drag to seek.
  ImGui::SetCursorScreenPos({axis.left, origin.y});
  ImGui::InvisibleButton("ruler", {std::max(axis.right - axis.left, 1.0f), kRulerHeight});
  if (ImGui::IsItemActive()) {
    outcome->seek = true;
    outcome->seek_ms = axis.Time(io.MousePos.x);
  }
  draw->AddRectFilled({axis.left, origin.y}, {axis.right, origin.y + kRulerHeight},
                      IM_COL32(36, 40, 52, 255));
  for (const Tick& tick : RulerTicks(axis, 8.0f)) {
    const float x = axis.X(tick.ms);
    draw->AddLine({x, origin.y + kRulerHeight * (tick.major ? 0.35f : 0.7f)},
                  {x, origin.y + kRulerHeight}, IM_COL32(170, 170, 180, 255));
    if (tick.major && x + 30 < axis.right)
      draw->AddText({x + 2, origin.y + 1}, IM_COL32(200, 200, 210, 255),
                    ShortTime(tick.ms).c_str());
  }
  draw->AddText({origin.x, origin.y + 1}, IM_COL32(255, 255, 255, 255),
                FormatDemoTime(view.time_ms).c_str());

  // The rows, scrolled when there are more layers than room.
  const float rows_top = origin.y + kRulerHeight + 2;
  ImGui::SetCursorScreenPos({origin.x, rows_top});
  ImGui::BeginChild("rows", {avail.x, origin.y + avail.y - rows_top}, false);
  ImDrawList* rows = ImGui::GetWindowDrawList();
  const ImVec2 top_left = ImGui::GetCursorScreenPos();
  const float rows_height = kRowHeight * std::max<size_t>(layers.size(), 1);
  const float child_bottom = ImGui::GetWindowPos().y + ImGui::GetWindowHeight();
  TimeAxis row_axis = axis;
  const std::vector<BarPlace> bars = LayoutBars(spans, row_axis);
  ImGui::InvisibleButton("bars", {std::max(avail.x, 1.0f), rows_height});
  const bool hovered = ImGui::IsItemHovered();
  int under = -1;
  if (hovered || ImGui::IsItemClicked()) {
    const int row = static_cast<int>((io.MousePos.y - top_left.y) / kRowHeight);
    under = HitBar(bars, io.MousePos.x, row);
  }
  if (ImGui::IsItemClicked() && under >= 0) {
    const CModule* m = timeline.GetModule(under);
    selected_line_ = m->GetScriptLine();
    selected_column_ = m->GetScriptColumn();
  }
  for (size_t r = 0; r < layers.size(); ++r) {
    const float y = top_left.y + kRowHeight * r;
    if (r % 2)
      rows->AddRectFilled({axis.left, y}, {axis.right, y + kRowHeight},
                          IM_COL32(255, 255, 255, 10));
    char label[32];
    std::snprintf(label, sizeof label, "layer %d", layers[r]);
    rows->AddText({top_left.x + 2, y + 2}, IM_COL32(150, 150, 160, 255), label);
  }
  const float grid_bottom = std::max(top_left.y + rows_height, child_bottom);
  if (demo.widgetManager.GetSync().HasBpm()) {
    for (const Tick& tick :
         BeatGrid(axis, demo.widgetManager.GetSync().GetBpm(), kBeatsPerBar, 5.0f)) {
      const float x = axis.X(tick.ms);
      rows->AddLine({x, top_left.y}, {x, grid_bottom},
                    tick.major ? IM_COL32(255, 255, 255, 46) : IM_COL32(255, 255, 255, 18));
    }
  }
  for (size_t i = 0; i < bars.size(); ++i) {
    const CModule* m = timeline.GetModule(static_cast<int>(i));
    const BarPlace& bar = bars[i];
    const float y = top_left.y + kRowHeight * bar.row;
    const ImVec2 a = {bar.x0, y + 1}, b = {bar.x1, y + kRowHeight - 1};
    rows->AddRectFilled(a, b, BarColor(demo.ModuleType(m)), 2.0f);
    const bool selected =
        m->GetScriptLine() == selected_line_ && m->GetScriptColumn() == selected_column_;
    if (selected || static_cast<int>(i) == under)
      rows->AddRect(a, b, selected ? IM_COL32(255, 255, 255, 255) : IM_COL32(255, 255, 255, 120),
                    2.0f, 0, selected ? 2.0f : 1.0f);
    for (const CTargetKey* key : m->GetTargetKeys()) {
      const float x = axis.X(m->GetStartTime() + key->time);
      if (x < bar.x0 - 1 || x > bar.x1 + 1) continue;
      rows->AddTriangleFilled({x - 3, y + 1}, {x + 3, y + 1}, {x, y + 6}, kTargetMark);
    }
    const std::string label = ModuleName(demo, m);
    // Clipped on the CPU, so that all the labels stay in one draw.
    const ImVec4 clip = {std::max(a.x, axis.left), a.y, b.x - 2, b.y};
    if (clip.z - clip.x > 4)
      rows->AddText(ImGui::GetFont(), ImGui::GetFontSize(), {a.x + 4, y + 2},
                    IM_COL32(255, 255, 255, 255), label.c_str(), nullptr, 0.0f, &clip);
  }
  DrawLoopAndPlayhead(rows, axis, view, top_left.y, grid_bottom);
  if (under >= 0) {
    const CModule* m = timeline.GetModule(under);
    ImGui::BeginTooltip();
    ImGui::TextUnformatted(ModuleName(demo, m).c_str());
    ImGui::Text("%s .. %s  layer %d", FormatDemoTime(m->GetStartTime()).c_str(),
                FormatDemoTime(m->GetEndTime()).c_str(), m->GetLayer());
    if (!m->GetTargetKeys().IsEmpty())
      ImGui::Text("%d render-target switches", m->GetTargetKeys().GetCount());
    ImGui::EndTooltip();
  }
  ImGui::EndChild();

  // The loop section and the playhead over the ruler (the rows' child drew its own part).
  DrawLoopAndPlayhead(draw, axis, view, origin.y, origin.y + kRulerHeight);
  const float playhead = axis.X(view.time_ms);
  draw->AddTriangleFilled({playhead - 5, origin.y}, {playhead + 5, origin.y},
                          {playhead, origin.y + 7}, kPlayhead);
  ImGui::End();
}

void TimelinePanel::DrawInspector(const DemoParts& demo, const PanelView& view) {
  const CTimeline& timeline = demo.timeline;
  const CModule* module = nullptr;
  for (int i = 0; i < timeline.GetModuleCount() && !module; ++i) {
    const CModule* m = timeline.GetModule(i);
    if (m->GetScriptLine() == selected_line_ && m->GetScriptColumn() == selected_column_)
      module = m;
  }
  if (!module) return;
  const float w = static_cast<float>(view.width), h = static_cast<float>(view.height);
  const float width = std::min(w, std::max(std::floor(w * 0.42f), 280.0f));
  const float timeline_height =
      std::min(kRulerHeight + kRowHeight * 8 + 16.0f, std::floor(h * 0.42f));
  ImGui::SetNextWindowPos({w - width, 0});
  ImGui::SetNextWindowSizeConstraints({width, 0},
                                      {width, std::max(h - timeline_height - 4, 60.0f)});
  const std::string title = ModuleName(demo, module) + "###inspector";
  if (!ImGui::Begin(title.c_str(), nullptr, kFixedWindow | ImGuiWindowFlags_AlwaysAutoResize)) {
    ImGui::End();
    return;
  }
  const double local = view.time_ms - module->GetStartTime();
  const double span = module->GetEndTime() - module->GetStartTime();
  ImGui::TextDisabled("%s .. %s  layer %d", FormatDemoTime(module->GetStartTime()).c_str(),
                      FormatDemoTime(module->GetEndTime()).c_str(), module->GetLayer());
  if (local < 0 || local > span) ImGui::TextDisabled("(not playing at the playhead)");
  const float t = static_cast<float>(std::clamp(local, 0.0, span));
  if (ImGui::BeginTable("values", 2, ImGuiTableFlags_RowBg | ImGuiTableFlags_SizingFixedFit)) {
    ImGui::TableSetupColumn("name", ImGuiTableColumnFlags_WidthFixed);
    ImGui::TableSetupColumn("value", ImGuiTableColumnFlags_WidthStretch);
    for (int i = 0; i < module->GetValueCount(); ++i) {
      CValue* value = module->GetValue(i);
      const CParamVar* keys = KeysOf(value);
      ImGui::TableNextRow();
      ImGui::TableSetColumnIndex(0);
      if (keys)
        ImGui::TextColored({1.0f, 0.82f, 0.25f, 1.0f}, "%s", value->GetName());
      else
        ImGui::TextUnformatted(value->GetName());
      ImGui::TableSetColumnIndex(1);
      if (value->GetValueType() == EValueType::Color) {
        const uint32_t argb = (*static_cast<CValueColor*>(value))[t];
        ImGui::PushID(i);
        ImGui::ColorButton("##swatch", ImGui::ColorConvertU32ToFloat4(ArgbToImGui(argb)),
                           ImGuiColorEditFlags_AlphaPreviewHalf | ImGuiColorEditFlags_NoTooltip,
                           {ImGui::GetFontSize() * 1.6f, ImGui::GetFontSize()});
        ImGui::PopID();
        ImGui::SameLine();
      }
      ImGui::TextUnformatted(ValueText(value, t).c_str());
      if (keys && (ComponentCount(value->GetValueType()) > 0 ||
                   value->GetValueType() == EValueType::Color)) {
        DrawPlot(value, keys, span, local);
      }
    }
    ImGui::EndTable();
  }
  ImGui::End();
}

}  // namespace vexil
