// D3D9 enumerations to their OpenGL equivalents, as tables indexed by the D3D value, with
// static checks that each table has one entry per value.
#pragma once

#include "d3d9/d3d9types.h"
#include "d3d9/gl/gl_api.h"

namespace vexil::d3d9::gl_tables {

// Indexed by D3DBLEND (1..15); index 0 unused.
constexpr GLenum kBlend[] = {GL_ONE,
                             GL_ZERO,
                             GL_ONE,
                             GL_SRC_COLOR,
                             GL_ONE_MINUS_SRC_COLOR,
                             GL_SRC_ALPHA,
                             GL_ONE_MINUS_SRC_ALPHA,
                             GL_DST_ALPHA,
                             GL_ONE_MINUS_DST_ALPHA,
                             GL_DST_COLOR,
                             GL_ONE_MINUS_DST_COLOR,
                             GL_SRC_ALPHA_SATURATE,
                             GL_SRC_ALPHA,            // BOTHSRCALPHA (source part)
                             GL_ONE_MINUS_SRC_ALPHA,  // BOTHINVSRCALPHA (source part)
                             GL_CONSTANT_COLOR,
                             GL_ONE_MINUS_CONSTANT_COLOR};
static_assert(sizeof(kBlend) / sizeof(kBlend[0]) == D3DBLEND_INVBLENDFACTOR + 1, "D3DBLEND");

// Indexed by D3DCMPFUNC (1..8).
constexpr GLenum kCompare[] = {GL_ALWAYS,  GL_NEVER,    GL_LESS,   GL_EQUAL, GL_LEQUAL,
                               GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};
static_assert(sizeof(kCompare) / sizeof(kCompare[0]) == D3DCMP_ALWAYS + 1, "D3DCMPFUNC");

// Indexed by D3DBLENDOP (1..5).
constexpr GLenum kBlendOp[] = {GL_FUNC_ADD, GL_FUNC_ADD, GL_FUNC_SUBTRACT, GL_FUNC_REVERSE_SUBTRACT,
                               GL_MIN,      GL_MAX};
static_assert(sizeof(kBlendOp) / sizeof(kBlendOp[0]) == D3DBLENDOP_MAX + 1, "D3DBLENDOP");

// Indexed by D3DSTENCILOP (1..8).
constexpr GLenum kStencilOp[] = {GL_KEEP, GL_KEEP,   GL_ZERO,      GL_REPLACE,  GL_INCR,
                                 GL_DECR, GL_INVERT, GL_INCR_WRAP, GL_DECR_WRAP};
static_assert(sizeof(kStencilOp) / sizeof(kStencilOp[0]) == D3DSTENCILOP_DECR + 1, "D3DSTENCILOP");

// Indexed by D3DTEXTUREADDRESS (1..5). MIRRORONCE needs GL 4.4; mirrored repeat is closest.
// GL ES 3.0 has no border colour: BORDER clamps to the edge there.
#ifdef VEXIL_GLES
constexpr GLenum kClampToBorder = GL_CLAMP_TO_EDGE;
#else
constexpr GLenum kClampToBorder = GL_CLAMP_TO_BORDER;
#endif
constexpr GLenum kAddress[] = {GL_REPEAT,        GL_REPEAT,      GL_MIRRORED_REPEAT,
                               GL_CLAMP_TO_EDGE, kClampToBorder, GL_MIRRORED_REPEAT};
static_assert(sizeof(kAddress) / sizeof(kAddress[0]) == D3DTADDRESS_MIRRORONCE + 1,
              "D3DTEXTUREADDRESS");

// Indexed by D3DPRIMITIVETYPE (1..6).
constexpr GLenum kPrimitive[] = {GL_POINTS,    GL_POINTS,         GL_LINES,       GL_LINE_STRIP,
                                 GL_TRIANGLES, GL_TRIANGLE_STRIP, GL_TRIANGLE_FAN};
static_assert(sizeof(kPrimitive) / sizeof(kPrimitive[0]) == D3DPT_TRIANGLEFAN + 1,
              "D3DPRIMITIVETYPE");

template <size_t N>
GLenum Lookup(const GLenum (&table)[N], DWORD value) {
  return value < N ? table[value] : table[0];
}

}  // namespace vexil::d3d9::gl_tables
