// "text" module: a D3DX font made once in Init from the script's face and size, and one
// DrawText per frame into the box from the current position.
#include "text_module.h"

#include <cstdio>

#include "device_access.h"
#include "effect_messages.h"
#include "overlay_text.h"
#include "system/message_box.h"

namespace effects {

CTextModule::CTextModule()
    : CModule(0.0f, 0.0f, 0),
      m_x(0.0f),
      m_y(0.0f),
      m_align("left"),
      m_text(""),
      m_font("Verdana"),
      m_fontSize(12),
      m_color(0xFFFFFFFFu) {
  AddValue(&m_x, "x");
  AddValue(&m_y, "y");
  AddValue(&m_align, "align");
  AddValue(&m_text, "text");
  AddValue(&m_font, "font");
  AddValue(&m_fontSize, "fontsize");
  AddValue(&m_color, "color");
}

void CTextModule::Init() {
  m_pDevice = DeviceOf(m_pDemoDevice);
  if (!m_pDevice) return;

  LOGFONT logFont = {};
  logFont.lfHeight = m_fontSize;
  logFont.lfWeight = FW_NORMAL;
  logFont.lfCharSet = DEFAULT_CHARSET;
  // At most 31 characters of the face name fit the LOGFONT field.
  std::snprintf(logFont.lfFaceName, LF_FACESIZE, "%s", static_cast<const char*>(m_font));
  if (FAILED(D3DXCreateFontIndirect(m_pDevice, &logFont, m_font3d.put()))) {
    ShowEffectMessage(kMsgFontFailed, kCaptionError, MB_ICONERROR);
  }
  m_pDevice->GetViewport(&m_viewport);
}

void CTextModule::Render() {
  if (!m_pDevice || !m_font3d) return;
  const DWORD flags = OverlayFormatFlags(m_align);
  PrepareOverlayText(m_text, m_textBuffer);
  RECT box = OverlayTextBox(m_x, m_y, m_viewport);

  if (FAILED(m_pDevice->BeginScene())) return;
  m_font3d->Begin();
  m_font3d->DrawTextA(m_textBuffer, -1, &box, flags, static_cast<uint32_t>(m_color));
  m_font3d->End();
  m_pDevice->EndScene();
}

}  // namespace effects
