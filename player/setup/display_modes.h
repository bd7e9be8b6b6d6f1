// The setup dialog's mode list: entries in the adapter's order from the last mode index to
// the first, labelled "1024x768  85hz  32bpp", with the script's preferred mode preselected.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class IDirect3D9;

namespace vexil {

struct DisplayModeRecord {
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t refresh_rate = 0;
  uint32_t format = 0;
};

struct ModeListEntry {
  std::string label;
  DisplayModeRecord mode;
};

struct ModeList {
  std::vector<ModeListEntry> entries;
  int selection = 0;  // index into entries; meaningless while the list is empty

  // The selected mode, or null when there is none (empty list).
  const DisplayModeRecord* Selected() const;
};

// "WxH  Rhz  32bpp": the depth shown is always 32, the only format listed.
std::string FormatModeLabel(const DisplayModeRecord& mode);

// Reads mode `index`; false skips that index.
using ModeReader = std::function<bool(uint32_t index, DisplayModeRecord* mode)>;

// Builds the list from `count` modes, asking for index count-1 down to 0. The last entry
// that matches the preferred width, height and refresh rate is preselected, else the first.
ModeList BuildModeList(uint32_t count, const ModeReader& read, int preferred_width,
                       int preferred_height, int preferred_refresh_rate);

// The same over the default adapter's D3DFMT_X8R8G8B8 modes; an empty list for null.
ModeList BuildModeListFromD3D(IDirect3D9* d3d, int preferred_width, int preferred_height,
                              int preferred_refresh_rate);

// "<name> - settings". Names too long for a 255-character caption are shortened (at a
// character boundary of UTF-8 text) so that the " - settings" part always shows.
std::string FormatDialogCaption(const std::string& demo_name);

}  // namespace vexil
