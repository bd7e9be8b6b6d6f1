// Flexible-vertex-format bits with Direct3D 9's values, for D3DXGetFVFVertexSize.
// Each is guarded so that the full Direct3D 9 header may define the same names too.
#pragma once

#ifndef D3DFVF_RESERVED0
#define D3DFVF_RESERVED0 0x001
#endif
#ifndef D3DFVF_POSITION_MASK
#define D3DFVF_POSITION_MASK 0x400E
#endif
#ifndef D3DFVF_XYZ
#define D3DFVF_XYZ 0x002
#endif
#ifndef D3DFVF_XYZRHW
#define D3DFVF_XYZRHW 0x004
#endif
#ifndef D3DFVF_XYZB1
#define D3DFVF_XYZB1 0x006
#endif
#ifndef D3DFVF_XYZB2
#define D3DFVF_XYZB2 0x008
#endif
#ifndef D3DFVF_XYZB3
#define D3DFVF_XYZB3 0x00a
#endif
#ifndef D3DFVF_XYZB4
#define D3DFVF_XYZB4 0x00c
#endif
#ifndef D3DFVF_XYZB5
#define D3DFVF_XYZB5 0x00e
#endif
#ifndef D3DFVF_XYZW
#define D3DFVF_XYZW 0x4002
#endif
#ifndef D3DFVF_NORMAL
#define D3DFVF_NORMAL 0x010
#endif
#ifndef D3DFVF_PSIZE
#define D3DFVF_PSIZE 0x020
#endif
#ifndef D3DFVF_DIFFUSE
#define D3DFVF_DIFFUSE 0x040
#endif
#ifndef D3DFVF_SPECULAR
#define D3DFVF_SPECULAR 0x080
#endif
#ifndef D3DFVF_TEXCOUNT_MASK
#define D3DFVF_TEXCOUNT_MASK 0xf00
#endif
#ifndef D3DFVF_TEXCOUNT_SHIFT
#define D3DFVF_TEXCOUNT_SHIFT 8
#endif
#ifndef D3DFVF_TEX0
#define D3DFVF_TEX0 0x000
#endif
#ifndef D3DFVF_TEX1
#define D3DFVF_TEX1 0x100
#endif
#ifndef D3DFVF_TEX2
#define D3DFVF_TEX2 0x200
#endif
#ifndef D3DFVF_TEX3
#define D3DFVF_TEX3 0x300
#endif
#ifndef D3DFVF_TEX4
#define D3DFVF_TEX4 0x400
#endif
#ifndef D3DFVF_TEX5
#define D3DFVF_TEX5 0x500
#endif
#ifndef D3DFVF_TEX6
#define D3DFVF_TEX6 0x600
#endif
#ifndef D3DFVF_TEX7
#define D3DFVF_TEX7 0x700
#endif
#ifndef D3DFVF_TEX8
#define D3DFVF_TEX8 0x800
#endif
#ifndef D3DFVF_LASTBETA_UBYTE4
#define D3DFVF_LASTBETA_UBYTE4 0x1000
#endif
#ifndef D3DFVF_LASTBETA_D3DCOLOR
#define D3DFVF_LASTBETA_D3DCOLOR 0x8000
#endif

// Per-set texture coordinate sizes live two bits per set from bit 16; 0 means two floats.
#ifndef D3DFVF_TEXTUREFORMAT1
#define D3DFVF_TEXTUREFORMAT1 3
#endif
#ifndef D3DFVF_TEXTUREFORMAT2
#define D3DFVF_TEXTUREFORMAT2 0
#endif
#ifndef D3DFVF_TEXTUREFORMAT3
#define D3DFVF_TEXTUREFORMAT3 1
#endif
#ifndef D3DFVF_TEXTUREFORMAT4
#define D3DFVF_TEXTUREFORMAT4 2
#endif
#ifndef D3DFVF_TEXCOORDSIZE1
#define D3DFVF_TEXCOORDSIZE1(i) (D3DFVF_TEXTUREFORMAT1 << ((i)*2 + 16))
#define D3DFVF_TEXCOORDSIZE2(i) (D3DFVF_TEXTUREFORMAT2)
#define D3DFVF_TEXCOORDSIZE3(i) (D3DFVF_TEXTUREFORMAT3 << ((i)*2 + 16))
#define D3DFVF_TEXCOORDSIZE4(i) (D3DFVF_TEXTUREFORMAT4 << ((i)*2 + 16))
#endif
