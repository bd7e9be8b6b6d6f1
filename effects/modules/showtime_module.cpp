// "showtime" module: time and rate drawn with a bold D3DX font; key presses polled once a
// frame in the "pressed since the last query" sense and logged to "timing.txt".
#include "showtime_module.h"

#include <cstdio>

#include "device_access.h"
#include "effect_messages.h"
#include "system/keys.h"
#include "system/message_box.h"
#include "timing_log.h"

namespace effects {

namespace {

// Shared by every "showtime" module, so that a demo's log numbers its lines across modules.
int g_loggedLines = 0;

// Truncates toward zero, holding NaN and values beyond an int in range.
int TruncateToInt(float value) {
  if (!(value == value)) return 0;
  if (value >= 2147483520.0f) return 2147483520;
  if (value <= -2147483520.0f) return -2147483520;
  return static_cast<int>(value);
}

}  // namespace

CShowTimeModule::CShowTimeModule() : CModule(0.0f, 0.0f, 0) {}

CShowTimeModule::~CShowTimeModule() {
  // A module that never started its log (never initialised) leaves no lone end banner.
  if (m_logStarted) AppendToLog(kTimingLogFile, kTimingEndBanner);
}

int CShowTimeModule::GetLoggedLineCount() {
  return g_loggedLines;
}

void CShowTimeModule::Init() {
  IDirect3DDevice9* device = DeviceOf(m_pDemoDevice);
  m_font3d = nullptr;
  if (device) {
    LOGFONT logFont = {};
    logFont.lfHeight = 16;
    logFont.lfWeight = FW_BOLD;
    logFont.lfCharSet = DEFAULT_CHARSET;
    logFont.lfQuality = ANTIALIASED_QUALITY;
    std::snprintf(logFont.lfFaceName, LF_FACESIZE, "%s", "Verdana");
    if (FAILED(D3DXCreateFontIndirect(device, &logFont, m_font3d.put()))) {
      ShowEffectMessage(kMsgFontFailed, kCaptionVexilError, MB_OK);
    }
    device->GetViewport(&m_viewport);
  }

  m_keys = {{VK_SPACE, "Space"}, {VK_F1, "F1"}, {VK_F2, "F2"}, {VK_F3, "F3"}, {VK_F4, "F4"},
            {VK_F5, "F5"},       {VK_F6, "F6"}, {VK_F7, "F7"}, {VK_F8, "F8"}};

  AppendToLog(kTimingLogFile, kTimingStartBanner);
  m_logStarted = true;
}

void CShowTimeModule::PollKeys(int t, const std::string& timeText) {
  for (const WatchedKey& key : m_keys) {
    if ((GetAsyncKeyState(key.virtualKey) & 1) == 0) continue;
    const char* suffix = OrdinalSuffix(g_loggedLines);
    ++g_loggedLines;
    AppendToLog(kTimingLogFile, FormatLogLine(g_loggedLines, suffix, timeText, t, key.name));
  }
  if (GetAsyncKeyState(VK_RETURN) & 1) AppendToLog(kTimingLogFile, kTimingSeparator);
}

void CShowTimeModule::Render() {
  RECT box;
  box.left = static_cast<LONG>(m_viewport.X);
  box.top = static_cast<LONG>(m_viewport.Y);
  box.right = static_cast<LONG>(m_viewport.Width);
  box.bottom = 30;

  const float time = GetTime();
  const float frameTime = time - m_previousTime;
  m_previousTime = time;
  const int t = TruncateToInt(time);

  const std::string timeText = FormatTimeText(t);
  const std::string rateText = FormatRateText(frameTime);
  PollKeys(t, timeText);

  IDirect3DDevice9* device = DeviceOf(m_pDemoDevice);
  if (!device || !m_font3d) return;
  if (FAILED(device->BeginScene())) return;
  m_font3d->Begin();
  m_font3d->DrawTextA(timeText.c_str(), -1, &box, DT_LEFT | DT_TOP, 0xFFFFFFFFu);
  m_font3d->DrawTextA(rateText.c_str(), -1, &box, DT_RIGHT, 0xFFFFFFFFu);
  m_font3d->End();
  device->EndScene();
}

}  // namespace effects
