// "showtime": a timing aid for demo makers. Shows the module time and frame rate at the top of
// the screen and appends a line to "timing.txt" whenever Space or F1-F8 is pressed.
#pragma once

#include <string>
#include <vector>

#include "d3d9/com_ptr.h"
#include "d3dx9/d3dx9font.h"
#include "scenecore.h"

namespace effects {

class CShowTimeModule : public CModule {
 public:
  CShowTimeModule();
  // Writes the closing banner when the start banner was written.
  ~CShowTimeModule() override;

  void Init() override;
  void Render() override;

  // Log lines written by every "showtime" module of the library since it was loaded.
  static int GetLoggedLineCount();

 private:
  struct WatchedKey {
    int virtualKey;
    char name[20];
  };

  // Logs a line per watched key pressed since the last query, then a separator for Return.
  void PollKeys(int t, const std::string& timeText);

  vexil::Com<ID3DXFont> m_font3d;
  D3DVIEWPORT9 m_viewport = {};
  float m_previousTime = 0.0f;
  std::vector<WatchedKey> m_keys;
  bool m_logStarted = false;
};

}  // namespace effects
