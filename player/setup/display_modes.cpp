// Mode list building and preselection for the setup dialog, free of any window code so
// that it can be checked without a display.
#include "display_modes.h"

#include <cstdio>

#include "d3d9/d3d9.h"

namespace vexil {

namespace {
constexpr size_t kMaxCaptionLength = 255;
constexpr char kCaptionSuffix[] = " - settings";
}  // namespace

const DisplayModeRecord* ModeList::Selected() const {
  if (selection < 0 || selection >= static_cast<int>(entries.size())) return nullptr;
  return &entries[selection].mode;
}

std::string FormatModeLabel(const DisplayModeRecord& mode) {
  char text[64];
  std::snprintf(text, sizeof(text), "%dx%d  %dhz  %dbpp", static_cast<int>(mode.width),
                static_cast<int>(mode.height), static_cast<int>(mode.refresh_rate), 32);
  return text;
}

ModeList BuildModeList(uint32_t count, const ModeReader& read, int preferred_width,
                       int preferred_height, int preferred_refresh_rate) {
  ModeList list;
  for (uint32_t index = count; index-- > 0;) {
    DisplayModeRecord mode;
    if (!read(index, &mode)) continue;
    list.entries.push_back({FormatModeLabel(mode), mode});
    if (static_cast<int64_t>(mode.width) == preferred_width &&
        static_cast<int64_t>(mode.height) == preferred_height &&
        static_cast<int64_t>(mode.refresh_rate) == preferred_refresh_rate) {
      list.selection = static_cast<int>(list.entries.size()) - 1;
    }
  }
  return list;
}

ModeList BuildModeListFromD3D(IDirect3D9* d3d, int preferred_width, int preferred_height,
                              int preferred_refresh_rate) {
  if (d3d == nullptr) return ModeList{};
  const uint32_t count = d3d->GetAdapterModeCount(D3DADAPTER_DEFAULT, D3DFMT_X8R8G8B8);
  return BuildModeList(
      count,
      [d3d](uint32_t index, DisplayModeRecord* mode) {
        D3DDISPLAYMODE dm{};
        if (FAILED(d3d->EnumAdapterModes(D3DADAPTER_DEFAULT, D3DFMT_X8R8G8B8, index, &dm))) {
          return false;
        }
        *mode = {dm.Width, dm.Height, dm.RefreshRate, static_cast<uint32_t>(dm.Format)};
        return true;
      },
      preferred_width, preferred_height, preferred_refresh_rate);
}

std::string FormatDialogCaption(const std::string& demo_name) {
  const size_t room = kMaxCaptionLength - (sizeof(kCaptionSuffix) - 1);
  std::string name = demo_name;
  if (name.size() > room) {
    size_t cut = room;
    // Step back over UTF-8 continuation bytes so no character is split.
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    name.resize(cut);
  }
  return name + kCaptionSuffix;
}

}  // namespace vexil
