// D3DX fonts: a LOGFONT-described face drawn with DrawTextA into screen-space rectangles,
// glyphs rasterised by FreeType into an atlas texture and drawn through the device.
#pragma once

#include "d3d9/d3d9.h"
#include "d3dx9/d3dx9err.h"

#define LF_FACESIZE 32

// GDI's logical font. lfHeight > 0 is the character cell height in pixels (ascent plus
// descent), < 0 the em height, 0 a default of 12 pixels em. lfWeight >= 600 is bold.
struct LOGFONTA {
  LONG lfHeight;
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  CHAR lfFaceName[LF_FACESIZE];
};
typedef LOGFONTA LOGFONT;

#define FW_DONTCARE 0
#define FW_THIN 100
#define FW_LIGHT 300
#define FW_NORMAL 400
#define FW_MEDIUM 500
#define FW_SEMIBOLD 600
#define FW_BOLD 700
#define FW_HEAVY 900

#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1
#define DEFAULT_QUALITY 0
#define DRAFT_QUALITY 1
#define PROOF_QUALITY 2
#define NONANTIALIASED_QUALITY 3
#define ANTIALIASED_QUALITY 4

// DrawText format flags (GDI values).
#define DT_TOP 0x00000000
#define DT_LEFT 0x00000000
#define DT_CENTER 0x00000001
#define DT_RIGHT 0x00000002
#define DT_VCENTER 0x00000004
#define DT_BOTTOM 0x00000008
#define DT_WORDBREAK 0x00000010
#define DT_SINGLELINE 0x00000020
#define DT_EXPANDTABS 0x00000040
#define DT_NOCLIP 0x00000100
#define DT_CALCRECT 0x00000400
#define DT_NOPREFIX 0x00000800

class ID3DXFont : public IUnknown {
 public:
  virtual HRESULT GetDevice(IDirect3DDevice9** ppDevice) = 0;
  virtual HRESULT GetLogFont(LOGFONT* pLogFont) = 0;
  // Between Begin and End the device keeps the font's states; End restores what was set
  // before Begin. DrawTextA outside a Begin/End pair saves and restores by itself.
  virtual HRESULT Begin() = 0;
  // Draws `count` bytes of text (-1: up to the terminating zero) into *pRect with the DT_*
  // flags and colour; with DT_CALCRECT only measures, widening/lowering *pRect to fit.
  // The text is UTF-8 when it decodes as such, else Windows-1252. Returns the height of
  // the text in pixels (with DT_VCENTER or DT_BOTTOM the distance from the box's top to the
  // text's bottom), 0 on failure.
  virtual INT DrawTextA(LPCSTR pString, INT count, RECT* pRect, DWORD format, D3DCOLOR color) = 0;
  virtual HRESULT End() = 0;
  virtual HRESULT OnLostDevice() = 0;
  virtual HRESULT OnResetDevice() = 0;
};

typedef ID3DXFont* LPD3DXFONT;

// Resolves lfFaceName with weight and italic through fontconfig; a face the system does not
// have falls back to DejaVu Sans. D3DXERR_INVALIDDATA when no usable font file is found.
HRESULT D3DXCreateFontIndirect(IDirect3DDevice9* pDevice, const LOGFONT* pLogFont,
                               ID3DXFont** ppFont);
