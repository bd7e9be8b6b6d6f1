// "text": draws a text over the picture at a position in thousandths of the viewport, left,
// centre or right aligned, in a colour and font face named by the script.
#pragma once

#include "d3d9/com_ptr.h"
#include "d3dx9/d3dx9font.h"
#include "overlay_text.h"
#include "scenecore.h"

namespace effects {

class CTextModule : public CModule {
 public:
  CTextModule();

  void Init() override;
  void Render() override;

 private:
  CValueVarFloat m_x;
  CValueVarFloat m_y;
  CValueString m_align;
  CValueString m_text;
  CValueString m_font;
  CValueLong m_fontSize;
  CValueVarColor m_color;

  IDirect3DDevice9* m_pDevice = nullptr;
  vexil::Com<ID3DXFont> m_font3d;
  D3DVIEWPORT9 m_viewport = {};
  char m_textBuffer[kOverlayTextSize] = {};
};

}  // namespace effects
