// The setup dialog: Dear ImGui widgets in a window of its own (platform/system's dialog
// window), keyboard shortcuts (Enter runs, Escape cancels, Alt+F/L/R), and dragging by the
// background everywhere but over the controls. Decisions live in SetupDialogModel.
#include "setup_dialog.h"

#include <imgui.h>
#include <imgui_internal.h>  // SetFocusID: Tab moves the keyboard focus between controls

#include <cstdio>
#include <vector>

#include "setup_dialog_mark.h"
#include "setup_dialog_model.h"
#include "system/dialog/dialog_window.h"
#include "system/keys.h"
#include "system/video.h"

namespace {

constexpr int kWindowWidth = 440;
constexpr int kWindowHeight = 168;
constexpr float kMargin = 16.0f;
constexpr float kLabelColumn = 136.0f;
constexpr float kButtonWidth = 92.0f;
constexpr float kButtonHeight = 28.0f;
constexpr float kFontSize = 15.0f;
const char* const kFontPaths[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/TTF/DejaVuSans.ttf",
};

// The controls of the last frame. A press may start a window drag everywhere except over
// a control, and nowhere while the mode list is dropped down (it covers the background).
// Tab and Shift+Tab walk the enabled controls in tab_order, as a dialog's tab stops do.
struct DialogControls {
  std::vector<vexil::sys::DialogRect> rects;
  std::vector<ImGuiID> tab_order;
  ImGuiID cancel_id = 0;
  bool popup_open = false;
  int tab_request = 0;  // +1 next control, -1 previous, 0 none
};

void RememberLastItem(DialogControls* controls, bool enabled = true) {
  if (enabled) controls->tab_order.push_back(ImGui::GetItemID());
  const ImVec2 min = ImGui::GetItemRectMin();
  const ImVec2 max = ImGui::GetItemRectMax();
  controls->rects.push_back({static_cast<int>(min.x), static_cast<int>(min.y),
                             static_cast<int>(max.x - min.x) + 1,
                             static_cast<int>(max.y - min.y) + 1});
}

// Underlines the mnemonic letter (the first one) of a label drawn at `text_pos`.
void UnderlineFirstLetter(const char* label, const ImVec2& text_pos) {
  const float width = ImGui::CalcTextSize(label, label + 1).x;
  const float y = text_pos.y + ImGui::GetFontSize() + 0.5f;
  ImGui::GetWindowDrawList()->AddLine(ImVec2(text_pos.x, y), ImVec2(text_pos.x + width, y),
                                      ImGui::GetColorU32(ImGuiCol_Text), 1.0f);
}

bool CheckboxWithMnemonic(const char* label, bool* value) {
  const bool changed = ImGui::Checkbox(label, value);
  const ImVec2 min = ImGui::GetItemRectMin();
  const ImGuiStyle& style = ImGui::GetStyle();
  UnderlineFirstLetter(label, ImVec2(min.x + ImGui::GetFrameHeight() + style.ItemInnerSpacing.x,
                                     min.y + style.FramePadding.y));
  return changed;
}

void ApplyStyle() {
  ImGui::StyleColorsDark();
  ImGuiStyle& style = ImGui::GetStyle();
  style.WindowRounding = 0.0f;
  style.WindowBorderSize = 0.0f;
  style.FrameRounding = 4.0f;
  style.PopupRounding = 4.0f;
  style.GrabRounding = 4.0f;
  style.FramePadding = ImVec2(8.0f, 5.0f);
  ImVec4* c = style.Colors;
  c[ImGuiCol_WindowBg] = ImVec4(0.105f, 0.115f, 0.145f, 1.0f);
  c[ImGuiCol_PopupBg] = ImVec4(0.13f, 0.14f, 0.18f, 1.0f);
  c[ImGuiCol_FrameBg] = ImVec4(0.18f, 0.20f, 0.25f, 1.0f);
  c[ImGuiCol_FrameBgHovered] = ImVec4(0.24f, 0.26f, 0.33f, 1.0f);
  c[ImGuiCol_FrameBgActive] = ImVec4(0.28f, 0.30f, 0.38f, 1.0f);
  c[ImGuiCol_CheckMark] = ImVec4(1.0f, 0.54f, 0.24f, 1.0f);
  c[ImGuiCol_Button] = ImVec4(0.22f, 0.24f, 0.30f, 1.0f);
  c[ImGuiCol_ButtonHovered] = ImVec4(0.30f, 0.32f, 0.40f, 1.0f);
  c[ImGuiCol_ButtonActive] = ImVec4(0.36f, 0.38f, 0.47f, 1.0f);
  c[ImGuiCol_Header] = ImVec4(1.0f, 0.54f, 0.24f, 0.45f);
  c[ImGuiCol_HeaderHovered] = ImVec4(1.0f, 0.54f, 0.24f, 0.65f);
  c[ImGuiCol_HeaderActive] = ImVec4(1.0f, 0.54f, 0.24f, 0.85f);
  c[ImGuiCol_Separator] = ImVec4(0.30f, 0.32f, 0.38f, 1.0f);
}

void LoadFont() {
  ImGuiIO& io = ImGui::GetIO();
  for (const char* path : kFontPaths) {
    if (FILE* f = std::fopen(path, "rb")) {
      std::fclose(f);
      if (io.Fonts->AddFontFromFileTTF(path, kFontSize) != nullptr) return;
    }
  }
  io.Fonts->AddFontDefault();  // the built-in bitmap font when no DejaVu is installed
}

// Moves the keyboard focus (and its visible frame) to the next or previous control.
void MoveTabFocus(DialogControls* controls) {
  const int count = static_cast<int>(controls->tab_order.size());
  if (controls->tab_request == 0 || count == 0) return;
  ImGuiContext& g = *ImGui::GetCurrentContext();
  int at = -1;
  for (int i = 0; i < count; ++i) {
    if (controls->tab_order[i] == g.NavId) at = i;
  }
  const int next = at < 0 ? (controls->tab_request > 0 ? 0 : count - 1)
                          : (at + controls->tab_request + count) % count;
  ImGui::SetFocusID(controls->tab_order[next], ImGui::GetCurrentWindow());
  g.NavDisableHighlight = false;
  g.NavDisableMouseHover = true;
  controls->tab_request = 0;
}

// True while the keyboard focus frame sits on the Cancel button.
bool CancelHasFocus(const DialogControls& controls) {
  const ImGuiContext& g = *ImGui::GetCurrentContext();
  return controls.cancel_id != 0 && g.NavId == controls.cancel_id && !g.NavDisableHighlight;
}

// One frame of the dialog's widgets. Fills `controls` with the controls of this frame.
void DrawDialog(vexil::SetupDialogModel* model, DialogControls* controls) {
  controls->rects.clear();
  controls->tab_order.clear();
  const ImGuiIO& io = ImGui::GetIO();
  ImGui::SetNextWindowPos(ImVec2(0, 0));
  ImGui::SetNextWindowSize(io.DisplaySize);
  ImGui::Begin("##setup", nullptr,
               ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove |
                   ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoBringToFrontOnFocus);

  const float frame = ImGui::GetFrameHeight();
  const float width = io.DisplaySize.x;
  const vexil::ModeList& modes = model->modes();

  ImGui::SetCursorPos(ImVec2(kMargin, kMargin + (frame - ImGui::GetFontSize()) * 0.5f));
  ImGui::TextUnformatted("Display mode");

  ImGui::SetCursorPos(ImVec2(kLabelColumn, kMargin));
  ImGui::SetNextItemWidth(width - kLabelColumn - kMargin);
  const vexil::DisplayModeRecord* selected = modes.Selected();
  const char* preview =
      selected ? modes.entries[modes.selection].label.c_str() : "no display modes";
  ImGui::BeginDisabled(modes.entries.empty());
  const bool list_open = ImGui::BeginCombo("##mode", preview, ImGuiComboFlags_HeightLarge);
  RememberLastItem(controls, !modes.entries.empty());
  if (list_open) {
    for (int i = 0; i < static_cast<int>(modes.entries.size()); ++i) {
      const bool is_selected = i == modes.selection;
      if (ImGui::Selectable(modes.entries[i].label.c_str(), is_selected)) model->Select(i);
      if (is_selected) ImGui::SetItemDefaultFocus();
    }
    ImGui::EndCombo();
  }
  ImGui::EndDisabled();

  ImGui::SetCursorPos(ImVec2(kMargin - 4.0f, kMargin + frame + 10.0f));
  CheckboxWithMnemonic("Fullscreen", &model->fullscreen);
  RememberLastItem(controls);
  ImGui::SetCursorPos(ImVec2(kMargin - 4.0f, kMargin + 2.0f * frame + 16.0f));
  CheckboxWithMnemonic("Loop", &model->loop);
  RememberLastItem(controls);

  const float line_y = io.DisplaySize.y - kMargin - kButtonHeight - 12.0f;
  ImDrawList* draw = ImGui::GetWindowDrawList();
  // The etched line runs from edge to edge, outside the window's padded clip area.
  draw->PushClipRectFullScreen();
  draw->AddLine(ImVec2(0.0f, line_y), ImVec2(width, line_y), ImGui::GetColorU32(ImGuiCol_Separator),
                1.0f);
  draw->PopClipRect();

  const float row_y = io.DisplaySize.y - kMargin - kButtonHeight;
  const float mark = 24.0f;
  vexil::DrawMark(draw, ImVec2(kMargin, row_y + (kButtonHeight - mark) * 0.5f), mark);
  ImGui::SetCursorPos(
      ImVec2(kMargin + mark + 8.0f, row_y + (kButtonHeight - ImGui::GetFontSize()) * 0.5f));
  ImGui::TextDisabled("powered by vexil");

  // Run is the default button: accent-coloured, and what Enter presses.
  ImGui::SetCursorPos(ImVec2(width - kMargin - 2.0f * kButtonWidth - 8.0f, row_y));
  ImGui::BeginDisabled(selected == nullptr);
  ImGui::PushStyleColor(ImGuiCol_Button, ImVec4(0.85f, 0.42f, 0.16f, 1.0f));
  ImGui::PushStyleColor(ImGuiCol_ButtonHovered, ImVec4(0.95f, 0.50f, 0.22f, 1.0f));
  ImGui::PushStyleColor(ImGuiCol_ButtonActive, ImVec4(1.0f, 0.58f, 0.30f, 1.0f));
  if (ImGui::Button("Run", ImVec2(kButtonWidth, kButtonHeight))) model->Run();
  ImGui::PopStyleColor(3);
  ImGui::EndDisabled();
  {
    const ImVec2 min = ImGui::GetItemRectMin();
    const float text_w = ImGui::CalcTextSize("Run").x;
    UnderlineFirstLetter("Run", ImVec2(min.x + (kButtonWidth - text_w) * 0.5f,
                                       min.y + (kButtonHeight - ImGui::GetFontSize()) * 0.5f));
  }
  RememberLastItem(controls, selected != nullptr);

  ImGui::SetCursorPos(ImVec2(width - kMargin - kButtonWidth, row_y));
  if (ImGui::Button("Cancel", ImVec2(kButtonWidth, kButtonHeight))) model->Cancel();
  controls->cancel_id = ImGui::GetItemID();
  RememberLastItem(controls);

  controls->popup_open = ImGui::IsPopupOpen("", ImGuiPopupFlags_AnyPopupId);
  MoveTabFocus(controls);
  ImGui::End();
}

// Keyboard and window events the dialog answers itself; everything also goes to ImGui.
void HandleEvent(const vexil::sys::DialogEvent& e, DialogControls* controls,
                 vexil::SetupDialogModel* model) {
  using vexil::sys::DialogEvent;
  if (e.kind == DialogEvent::kClose) {
    model->Cancel();
  } else if (!controls->popup_open) {
    const int key = e.virtual_key;
    if (key == vexil::sys::kVkReturn && CancelHasFocus(*controls)) {
      model->Cancel();  // Enter presses the focused push button, as in any dialog
    } else if (key == vexil::sys::kVkReturn || (e.alt && key == 'R')) {
      model->Run();  // with an empty list this does nothing and the dialog stays
    } else if (key == vexil::sys::kVkEscape) {
      model->Cancel();
    } else if (e.alt && key == 'F') {
      model->fullscreen = !model->fullscreen;
    } else if (e.alt && key == 'L') {
      model->loop = !model->loop;
    } else if (key == vexil::sys::kVkTab) {
      controls->tab_request = e.shift ? -1 : 1;
    }
  }
}

}  // namespace

CSetupDialog::CSetupDialog(const char* demo_name, int preferred_width, int preferred_height,
                           int preferred_refresh_rate, bool fullscreen, IDirect3D9* d3d)
    : demo_name_(demo_name ? demo_name : ""),
      preferred_width_(preferred_width),
      preferred_height_(preferred_height),
      preferred_refresh_rate_(preferred_refresh_rate),
      d3d_(d3d),
      fullscreen_(fullscreen) {}

CSetupDialog::~CSetupDialog() = default;

bool CSetupDialog::KeepScriptSettings(const std::string& why) {
  std::fprintf(stderr, "vexil: setup dialog not shown (%s); using the script's display settings\n",
               why.c_str());
  chosen_.width = static_cast<uint32_t>(preferred_width_);
  chosen_.height = static_cast<uint32_t>(preferred_height_);
  chosen_.refresh_rate = static_cast<uint32_t>(preferred_refresh_rate_);
  chosen_.format = 22;  // D3DFMT_X8R8G8B8, the only format the player lists
  shown_ = false;
  return true;
}

bool CSetupDialog::Run() {
  if (vexil::sys::IsHeadless() && !show_when_headless_) {
    return KeepScriptSettings("no display to show it on");
  }
  vexil::SetupDialogModel model(
      vexil::BuildModeListFromD3D(d3d_, preferred_width_, preferred_height_,
                                  preferred_refresh_rate_),
      fullscreen_);
  model.loop = loop_;

  constexpr int kIconSize = 32;
  vexil::sys::DialogWindow window;
  IMGUI_CHECKVERSION();
  ImGuiContext* imgui = ImGui::CreateContext();
  std::string error;
  if (!window.Open(vexil::FormatDialogCaption(demo_name_), kWindowWidth, kWindowHeight,
                   vexil::MakeMarkPixels(kIconSize), kIconSize, &error)) {
    ImGui::DestroyContext(imgui);
    return KeepScriptSettings(error);
  }
  ImGuiIO& io = ImGui::GetIO();
  io.IniFilename = nullptr;  // the script is the only configuration: no imgui.ini
  io.LogFilename = nullptr;
  io.ConfigFlags |= ImGuiConfigFlags_NavEnableKeyboard;
  ApplyStyle();
  LoadFont();

  DialogControls controls;
  window.Show();
  shown_ = true;

  while (!model.finished()) {
    // Sleep until something happens; the timeout keeps hover effects and the caret alive.
    window.PumpEvents(100, [&](const vexil::sys::DialogEvent& e) {
      HandleEvent(e, &controls, &model);
      return !model.finished();
    });
    if (model.finished()) break;

    window.BeginFrame();
    ImGui::NewFrame();
    DrawDialog(&model, &controls);
    window.SetControls(controls.rects, controls.popup_open);
    ImGui::Render();
    window.EndFrame(0.105f, 0.115f, 0.145f);
  }

  window.Close();
  ImGui::DestroyContext(imgui);

  if (!model.result()) return false;
  chosen_ = model.chosen_mode();
  fullscreen_ = model.fullscreen;
  loop_ = model.loop;
  return true;
}
