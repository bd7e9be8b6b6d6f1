// The one place where draw state reaches GL: dirty groups of the state mirror are applied
// (targets, fixed-function states, viewport, program, uniform block, textures, vertex
// input) and the validated draw is issued.
#include <algorithm>
#include <cstring>
#include <vector>

#include "d3d9/formats.h"
#include "d3d9/gl/gl_device.h"
#include "d3d9/gl/gl_tables.h"
#include "d3d9/primitive_edges.h"

namespace vexil::d3d9 {

using gl_tables::Lookup;

void GlDevice::ApplyTargets() {
  StateMirror& s = State();
  if (!(s.dirty & kDirtyTargets) && currentFbo_ != ~0u) return;
  Surface* color = RenderTarget();
  GLuint fbo = FramebufferFor(color, DepthStencil());
  glBindFramebuffer(GL_FRAMEBUFFER, fbo);
  currentFbo_ = fbo;
  const bool hasAlpha = HasAlpha(color->Desc().Format);
  if (hasAlpha != targetHasAlpha_) {
    targetHasAlpha_ = hasAlpha;
    shadow_.blendSrc = 0;            // destination-alpha factors depend on the target's format
    shadow_.colorMask = 0xffffffff;  // and, under GL ES, the alpha write mask
  }
  if (Surface* depth = DepthStencil()) {
    const float unit = static_cast<float>((1u << GlDepthFormat(depth->Desc().Format).bits) - 1);
    if (unit != depthUnit_) {
      depthUnit_ = unit;
      shadow_.polygonOffset = -1;
    }
  }
  s.dirty &= ~kDirtyTargets;
  // Depth testing depends on whether the new target pair has a depth buffer.
  shadow_.depthTest = -1;
  s.dirty |= kDirtyRenderState | kDirtyViewport;
}

void GlDevice::SetColorMask(DWORD mask) {
#ifdef VEXIL_GLES
  // GL ES has no texture swizzle to make X8R8G8B8 targets sample opaque: their alpha is
  // cleared to 1 and never written instead.
  if (!targetHasAlpha_) mask &= ~DWORD{8};
#else
  // X8R8G8B8 targets store whatever alpha arrives: masking it would make a software
  // rasteriser read back every pixel. Their alpha is never observed: sampling swizzles it
  // to 1, readback forces 255 and blending substitutes 1 for the destination alpha.
#endif
  if (mask == shadow_.colorMask) return;
  shadow_.colorMask = mask;
  glColorMask((mask & 1) != 0, (mask & 2) != 0, (mask & 4) != 0, (mask & 8) != 0);
}

void GlDevice::ApplyRenderStates() {
  const auto& r = State().render;
  GlShadow& sh = shadow_;

  const int depthTest = r[D3DRS_ZENABLE] != D3DZB_FALSE && DepthStencil() != nullptr;
  if (depthTest != sh.depthTest) {
    sh.depthTest = depthTest;
    depthTest ? glEnable(GL_DEPTH_TEST) : glDisable(GL_DEPTH_TEST);
  }
  const GLenum depthFunc = Lookup(gl_tables::kCompare, r[D3DRS_ZFUNC]);
  if (depthFunc != sh.depthFunc) glDepthFunc(sh.depthFunc = depthFunc);
  const int depthMask = r[D3DRS_ZWRITEENABLE] != 0;
  if (depthMask != sh.depthMask) glDepthMask((sh.depthMask = depthMask) ? GL_TRUE : GL_FALSE);

  // Targets are rendered with y negated, so D3D's clockwise front faces are GL's
  // counter-clockwise ones (glFrontFace(GL_CCW)): culling CCW faces culls GL back faces.
  const int cull = r[D3DRS_CULLMODE] == D3DCULL_CW ? 2 : r[D3DRS_CULLMODE] == D3DCULL_CCW ? 1 : 0;
  if (cull != sh.cullFace) {
    if (cull == 0) {
      glDisable(GL_CULL_FACE);
    } else {
      if (sh.cullFace <= 0) glEnable(GL_CULL_FACE);
      glCullFace(cull == 1 ? GL_BACK : GL_FRONT);
    }
    sh.cullFace = cull;
  }

#ifndef VEXIL_GLES
  // GL ES has no polygon mode: DoDraw redraws triangles as lines or points there.
  const int fill = static_cast<int>(r[D3DRS_FILLMODE]);
  if (fill != sh.polygonMode) {
    sh.polygonMode = fill;
    glPolygonMode(GL_FRONT_AND_BACK, fill == D3DFILL_POINT       ? GL_POINT
                                     : fill == D3DFILL_WIREFRAME ? GL_LINE
                                                                 : GL_FILL);
  }
#endif

  const int blend = r[D3DRS_ALPHABLENDENABLE] != 0;
  if (blend != sh.blend) {
    sh.blend = blend;
    blend ? glEnable(GL_BLEND) : glDisable(GL_BLEND);
  }
  if (blend) {
    const bool destAlphaIsOne = !targetHasAlpha_;
    auto factors = [destAlphaIsOne](DWORD src, DWORD dst, GLenum* s, GLenum* d) {
      // The BOTH* modes set both factors from the source state.
      if (src == D3DBLEND_BOTHSRCALPHA) {
        *s = GL_SRC_ALPHA, *d = GL_ONE_MINUS_SRC_ALPHA;
      } else if (src == D3DBLEND_BOTHINVSRCALPHA) {
        *s = GL_ONE_MINUS_SRC_ALPHA, *d = GL_SRC_ALPHA;
      } else {
        *s = Lookup(gl_tables::kBlend, src), *d = Lookup(gl_tables::kBlend, dst);
      }
      if (destAlphaIsOne) {
        for (GLenum* f : {s, d}) {
          if (*f == GL_DST_ALPHA) *f = GL_ONE;
          if (*f == GL_ONE_MINUS_DST_ALPHA) *f = GL_ZERO;
        }
      }
    };
    GLenum src, dst, srcA, dstA;
    factors(r[D3DRS_SRCBLEND], r[D3DRS_DESTBLEND], &src, &dst);
    GLenum eq = Lookup(gl_tables::kBlendOp, r[D3DRS_BLENDOP]), eqA = eq;
    if (r[D3DRS_SEPARATEALPHABLENDENABLE]) {
      factors(r[D3DRS_SRCBLENDALPHA], r[D3DRS_DESTBLENDALPHA], &srcA, &dstA);
      eqA = Lookup(gl_tables::kBlendOp, r[D3DRS_BLENDOPALPHA]);
    } else {
      srcA = src, dstA = dst;
    }
    if (src != sh.blendSrc || dst != sh.blendDst || srcA != sh.blendSrcAlpha ||
        dstA != sh.blendDstAlpha) {
      glBlendFuncSeparate(src, dst, srcA, dstA);
      sh.blendSrc = src, sh.blendDst = dst, sh.blendSrcAlpha = srcA, sh.blendDstAlpha = dstA;
    }
    if (eq != sh.blendEq || eqA != sh.blendEqAlpha) {
      glBlendEquationSeparate(eq, eqA);
      sh.blendEq = eq, sh.blendEqAlpha = eqA;
    }
    if (r[D3DRS_SRCBLEND] >= D3DBLEND_BLENDFACTOR || r[D3DRS_DESTBLEND] >= D3DBLEND_BLENDFACTOR) {
      const DWORD f = r[D3DRS_BLENDFACTOR];
      glBlendColor(((f >> 16) & 0xff) / 255.0f, ((f >> 8) & 0xff) / 255.0f, (f & 0xff) / 255.0f,
                   (f >> 24) / 255.0f);
    }
  }
  SetColorMask(r[D3DRS_COLORWRITEENABLE] & 0xf);

  const int stencil = r[D3DRS_STENCILENABLE] != 0 && DepthStencil() != nullptr;
  if (stencil != sh.stencil) {
    sh.stencil = stencil;
    stencil ? glEnable(GL_STENCIL_TEST) : glDisable(GL_STENCIL_TEST);
  }
  if (stencil) {
    const GLint ref = static_cast<GLint>(r[D3DRS_STENCILREF] & 0xff);
    const GLuint mask = r[D3DRS_STENCILMASK];
    glStencilFuncSeparate(GL_FRONT, Lookup(gl_tables::kCompare, r[D3DRS_STENCILFUNC]), ref, mask);
    glStencilOpSeparate(GL_FRONT, Lookup(gl_tables::kStencilOp, r[D3DRS_STENCILFAIL]),
                        Lookup(gl_tables::kStencilOp, r[D3DRS_STENCILZFAIL]),
                        Lookup(gl_tables::kStencilOp, r[D3DRS_STENCILPASS]));
    // D3D's counter-clockwise faces are GL's back faces here.
    const bool twoSided = r[D3DRS_TWOSIDEDSTENCILMODE] != 0;
    glStencilFuncSeparate(
        GL_BACK,
        Lookup(gl_tables::kCompare, twoSided ? r[D3DRS_CCW_STENCILFUNC] : r[D3DRS_STENCILFUNC]),
        ref, mask);
    glStencilOpSeparate(
        GL_BACK,
        Lookup(gl_tables::kStencilOp, twoSided ? r[D3DRS_CCW_STENCILFAIL] : r[D3DRS_STENCILFAIL]),
        Lookup(gl_tables::kStencilOp, twoSided ? r[D3DRS_CCW_STENCILZFAIL] : r[D3DRS_STENCILZFAIL]),
        Lookup(gl_tables::kStencilOp, twoSided ? r[D3DRS_CCW_STENCILPASS] : r[D3DRS_STENCILPASS]));
    glStencilMask(r[D3DRS_STENCILWRITEMASK]);
  }

  const float bias = State().RenderFloat(D3DRS_DEPTHBIAS);
  const float slope = State().RenderFloat(D3DRS_SLOPESCALEDEPTHBIAS);
  const int offset = bias != 0.0f || slope != 0.0f;
  if (offset || offset != sh.polygonOffset) {
    sh.polygonOffset = offset;
    if (offset) {
      glEnable(GL_POLYGON_OFFSET_FILL);
#ifndef VEXIL_GLES
      glEnable(GL_POLYGON_OFFSET_LINE);
      glEnable(GL_POLYGON_OFFSET_POINT);
#endif
      // D3D's bias is a fraction of the depth range; GL's units are the buffer's steps.
      glPolygonOffset(slope, bias * depthUnit_);
    } else {
      glDisable(GL_POLYGON_OFFSET_FILL);
#ifndef VEXIL_GLES
      glDisable(GL_POLYGON_OFFSET_LINE);
      glDisable(GL_POLYGON_OFFSET_POINT);
#endif
    }
  }
  ApplyScissor();
}

void GlDevice::ApplyScissor() {
  const StateMirror& s = State();
  const int scissor = s.render[D3DRS_SCISSORTESTENABLE] != 0;
  if (scissor != shadow_.scissor) {
    shadow_.scissor = scissor;
    scissor ? glEnable(GL_SCISSOR_TEST) : glDisable(GL_SCISSOR_TEST);
  }
  if (scissor) {
    const RECT& rc = s.scissor;
    // Row 0 is the top of every target, so D3D's rectangle needs no flip.
    glScissor(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
  }
}

void GlDevice::ApplyViewport() {
  const D3DVIEWPORT9& vp = State().viewport;
  glViewport(static_cast<GLint>(vp.X), static_cast<GLint>(vp.Y), static_cast<GLsizei>(vp.Width),
             static_cast<GLsizei>(vp.Height));
#ifdef VEXIL_GLES
  glDepthRangef(vp.MinZ, vp.MaxZ);
#else
  glDepthRange(vp.MinZ, vp.MaxZ);
#endif
}

bool GlDevice::ApplyProgram(const VertexLayout& layout) {
  FfpKey key;
  BuildFfpKey(State(), layout, boundStages_, drawingPoints_, &key, activeLights_);
  if (keyValid_ && key == key_) return program_ != 0;
  key_ = key;
  keyValid_ = true;
  const GLuint program = programs_.Get(key);
  // Keys that differ only in what the shaders ignore share a program.
  if (program && program != program_) glUseProgram(program);
  program_ = program;
  return program_ != 0;
}

void GlDevice::UpdateBoundStages() {
  StateMirror& s = State();
  // Only a slot whose binding changed can change which stages sample; replacing one texture
  // by another keeps the program.
  uint32_t slots = s.dirtyTextureSlots & ((1u << kStageCount) - 1);
  s.dirtyTextureSlots = 0;
  uint32_t bound = boundStages_;
  for (; slots; slots &= slots - 1) {
    const int i = __builtin_ctz(slots);
    bound = BoundTexture(i) ? bound | (1u << i) : bound & ~(1u << i);
  }
  if (bound != boundStages_) {
    boundStages_ = bound;
    s.dirty |= kDirtyShaderKey;
  }
}

void GlDevice::Upload(FfpBlock block, const void* data, size_t size) {
  glBindBuffer(GL_UNIFORM_BUFFER, blockBuffers_[block]);
  // Fresh storage rather than an in-place update: a software rasteriser would otherwise
  // finish every queued draw that still reads the old values before writing.
  glBufferData(GL_UNIFORM_BUFFER, static_cast<GLsizeiptr>(size), data, GL_STREAM_DRAW);
}

void GlDevice::ApplyConstants(uint32_t dirty) {
  const StateMirror& s = State();
  // Each block is filled only when one of its inputs may have changed and sent only when
  // its contents did: moving an object sends the transforms and nothing else.
  if (dirty & kDirtyTransform) {
    FfpTransforms t;
    FillFfpTransforms(s, &t);
    if (std::memcmp(&t, &transforms_, sizeof(t)) != 0) {
      transforms_ = t;
      Upload(kFfpTransformsBlock, &transforms_, sizeof(transforms_));
    }
  }
  // Lights live in view space, so the view matrix is an input of the vertex block too.
  const int lightCount = key_.lightCount;
  const bool lightsMoved =
      lightCount != vertexBlockLightCount_ ||
      std::memcmp(activeLights_, vertexBlockLights_, sizeof(DWORD) * lightCount) != 0 ||
      ((dirty & kDirtyTransform) &&
       std::memcmp(&s.transform[kSlotView], &vertexBlockView_, sizeof(D3DMATRIX)) != 0);
  if (lightsMoved || (dirty & (kDirtyConstants | kDirtyLights | kDirtyMaterial | kDirtyViewport))) {
    FfpVertexConstants v;
    FillFfpVertexConstants(s, activeLights_, lightCount, &v);
    vertexBlockView_ = s.transform[kSlotView];
    vertexBlockLightCount_ = lightCount;
    std::memcpy(vertexBlockLights_, activeLights_, sizeof(DWORD) * lightCount);
    if (std::memcmp(&v, &vertexConstants_, sizeof(v)) != 0) {
      vertexConstants_ = v;
      Upload(kFfpVertexBlock, &vertexConstants_, sizeof(vertexConstants_));
    }
  }
  if (dirty & kDirtyConstants) {
    FfpPixelConstants p;
    FillFfpPixelConstants(s, &p);
    if (std::memcmp(&p, &pixelConstants_, sizeof(p)) != 0) {
      pixelConstants_ = p;
      Upload(kFfpPixelBlock, &pixelConstants_, sizeof(pixelConstants_));
    }
  }
}

void GlDevice::ApplyTextures() {
  StateMirror& s = State();
  for (int i = 0; i < key_.stageCount; ++i) {
    if (!key_.stages[i].textureBound) continue;
    // The sampler object is looked up again only after the stage's sampler states changed.
    const uint32_t bit = 1u << i;
    if (s.dirtySamplerSlots & bit) {
      s.dirtySamplerSlots &= ~bit;
      stageSampler_[i] = SamplerFor(i);
    }
    auto* texture = static_cast<Texture*>(BoundTexture(i));
    // Textures may have been written through locks since the last draw: always check.
    if (!texture->gpuName || unitTexture_[i] != texture->gpuName || texture->dirtyLevels) {
      glActiveTexture(GL_TEXTURE0 + i);
      const GLuint name = TextureOf(texture);
      glBindTexture(GL_TEXTURE_2D, name);
      unitTexture_[i] = name;
      UploadDirtyLevels(texture);
    }
    if (unitSampler_[i] != stageSampler_[i]) {
      glBindSampler(i, stageSampler_[i]);
      unitSampler_[i] = stageSampler_[i];
    }
  }
}

void GlDevice::SetupVertexInput(GLuint buffer, uintptr_t offset, UINT stride,
                                const VertexLayout& l) {
  if (buffer == inputBuffer_ && offset == inputOffset_ && stride == inputStride_ &&
      State().fvf == inputFvf_) {
    return;
  }
  inputBuffer_ = buffer, inputOffset_ = offset, inputStride_ = stride, inputFvf_ = State().fvf;
  glBindBuffer(GL_ARRAY_BUFFER, buffer);
  auto attrib = [&](int location, int fieldOffset, GLint size, GLenum type, bool normalized) {
    if (fieldOffset < 0) {
      glDisableVertexAttribArray(location);
      return;
    }
    glEnableVertexAttribArray(location);
    glVertexAttribPointer(location, size, type, normalized ? GL_TRUE : GL_FALSE,
                          static_cast<GLsizei>(stride),
                          reinterpret_cast<const void*>(offset + fieldOffset));
  };
  attrib(0, 0, l.positionSize, GL_FLOAT, false);
  attrib(1, l.normalOffset, 3, GL_FLOAT, false);
#ifdef VEXIL_GLES
  // D3DCOLOR is B, G, R, A in memory; GL ES reads it as it lies and the program swaps.
  attrib(2, l.diffuseOffset, 4, GL_UNSIGNED_BYTE, true);
  attrib(3, l.specularOffset, 4, GL_UNSIGNED_BYTE, true);
#else
  // D3DCOLOR is B, G, R, A in memory: GL_BGRA reads it into rgba order.
  attrib(2, l.diffuseOffset, GL_BGRA, GL_UNSIGNED_BYTE, true);
  attrib(3, l.specularOffset, GL_BGRA, GL_UNSIGNED_BYTE, true);
#endif
  attrib(4, l.pointSizeOffset, 1, GL_FLOAT, false);
  for (int i = 0; i < 8; ++i) {
    attrib(5 + i, i < static_cast<int>(l.texCoordCount) ? l.texCoordOffset[i] : -1,
           l.texCoordSize[i] ? l.texCoordSize[i] : 2, GL_FLOAT, false);
  }
}

HRESULT GlDevice::DoDraw(const DrawCall& call) {
  ctx_->MakeCurrent();
  StateMirror& s = State();
  ApplyTargets();
  // Only a draw that rasterises points has its vertex program write a point size.
  const bool points = call.type == D3DPT_POINTLIST || s.render[D3DRS_FILLMODE] == D3DFILL_POINT;
  if (points != drawingPoints_) {
    drawingPoints_ = points;
    s.dirty |= kDirtyShaderKey;
  }
  if (s.dirty & kDirtyTextures) UpdateBoundStages();
  const uint32_t dirty = s.dirty;
  if (dirty &
      (kDirtyShaderKey | kDirtyStage | kDirtyLights | kDirtyVertexInput | kDirtyProjection)) {
    if (!ApplyProgram(*call.layout)) {
      // A program that failed to build was reported once; skip the draw, not the state.
      s.dirty &=
          ~(kDirtyShaderKey | kDirtyStage | kDirtyTextures | kDirtyVertexInput | kDirtyProjection);
      return D3DERR_DRIVERINTERNALERROR;
    }
  }
  if (dirty & kDirtyRenderState) {
    ApplyRenderStates();
  } else if (dirty & kDirtyScissor) {
    ApplyScissor();
  }
  if (dirty & kDirtyViewport) ApplyViewport();
  ApplyConstants(dirty);
  s.dirty = 0;
  ApplyTextures();

  const VertexLayout& layout = *call.layout;
  const GLenum mode = Lookup(gl_tables::kPrimitive, call.type);
#ifdef VEXIL_GLES
  const DWORD fill = s.render[D3DRS_FILLMODE];
  if (fill != D3DFILL_SOLID && IsTrianglePrimitive(call.type)) return DrawOutlines(call, fill);
#endif
  if (call.userVertices) {
    glBindBuffer(GL_ARRAY_BUFFER, userVertexBuffer_);
    glBufferData(GL_ARRAY_BUFFER, call.userVertexBytes, call.userVertices, GL_STREAM_DRAW);
    inputBuffer_ = ~0u;  // same name, new contents: respecify
    SetupVertexInput(userVertexBuffer_, 0, call.stride, layout);
    if (call.indexed) {
      const size_t indexSize = call.userIndexFormat == D3DFMT_INDEX32 ? 4 : 2;
      glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, userIndexBuffer_);
      elementBuffer_ = userIndexBuffer_;
      glBufferData(GL_ELEMENT_ARRAY_BUFFER, call.elementCount * indexSize, call.userIndices,
                   GL_STREAM_DRAW);
      glDrawElements(mode, static_cast<GLsizei>(call.elementCount),
                     indexSize == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT, nullptr);
    } else {
      glDrawArrays(mode, 0, static_cast<GLsizei>(call.elementCount));
    }
    return D3D_OK;
  }

  const GLuint vb = BufferOf(call.stream, call.stream->storage, GL_ARRAY_BUFFER);
  SetupVertexInput(vb, call.streamOffset, call.stride, layout);
  if (!call.indexed) {
    glDrawArrays(mode, static_cast<GLint>(call.startVertex),
                 static_cast<GLsizei>(call.elementCount));
    return D3D_OK;
  }
  const GLuint ib = BufferOf(call.indices, call.indices->storage, GL_ELEMENT_ARRAY_BUFFER);
  if (ib != elementBuffer_) {
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ib);
    elementBuffer_ = ib;
  }
  const size_t indexSize = call.indices->IndexSize();
#ifdef VEXIL_GLES
  // GL ES 3.0 has no base vertex: the vertex input starts that many vertices later instead.
  const int64_t shifted = int64_t{call.streamOffset} + int64_t{call.baseVertex} * call.stride;
  if (shifted < 0) return DrawOutlines(call, D3DFILL_SOLID);
  SetupVertexInput(vb, static_cast<uintptr_t>(shifted), call.stride, layout);
  glDrawElements(mode, static_cast<GLsizei>(call.elementCount),
                 indexSize == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
                 reinterpret_cast<const void*>(uintptr_t{call.startIndex} * indexSize));
#else
  glDrawElementsBaseVertex(mode, static_cast<GLsizei>(call.elementCount),
                           indexSize == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
                           reinterpret_cast<const void*>(call.startIndex * indexSize),
                           call.baseVertex);
#endif
  return D3D_OK;
}

#ifdef VEXIL_GLES
HRESULT GlDevice::DrawOutlines(const DrawCall& call, DWORD fill) {
  // The vertex numbers the draw consumes, base vertex included, from the CPU copies.
  std::vector<uint32_t> vertices(call.elementCount);
  if (call.indexed) {
    const bool userIndices = call.userVertices != nullptr;
    const bool wide =
        userIndices ? call.userIndexFormat == D3DFMT_INDEX32 : call.indices->IndexSize() == 4;
    const uint8_t* base =
        userIndices ? static_cast<const uint8_t*>(call.userIndices)
                    : call.indices->storage.Data() + size_t{call.startIndex} * (wide ? 4 : 2);
    const int64_t baseVertex = userIndices ? 0 : call.baseVertex;
    for (UINT i = 0; i < call.elementCount; ++i) {
      uint32_t index;
      if (wide) {
        std::memcpy(&index, base + 4 * size_t{i}, 4);
      } else {
        uint16_t narrow;
        std::memcpy(&narrow, base + 2 * size_t{i}, 2);
        index = narrow;
      }
      vertices[i] = static_cast<uint32_t>(std::max<int64_t>(0, baseVertex + index));
    }
  } else {
    const UINT first = call.userVertices ? 0 : call.startVertex;
    for (UINT i = 0; i < call.elementCount; ++i) vertices[i] = first + i;
  }
  std::vector<uint32_t> elements;
  GLenum mode = Lookup(gl_tables::kPrimitive, call.type);
  if (fill == D3DFILL_SOLID) {
    elements = std::move(vertices);
  } else {
    const bool points = fill == D3DFILL_POINT;
    TriangleOutlines(call.type, vertices, points, &elements);
    mode = points ? GL_POINTS : GL_LINES;
  }
  if (call.userVertices) {
    glBindBuffer(GL_ARRAY_BUFFER, userVertexBuffer_);
    glBufferData(GL_ARRAY_BUFFER, call.userVertexBytes, call.userVertices, GL_STREAM_DRAW);
    inputBuffer_ = ~0u;
    SetupVertexInput(userVertexBuffer_, 0, call.stride, *call.layout);
  } else {
    const GLuint vb = BufferOf(call.stream, call.stream->storage, GL_ARRAY_BUFFER);
    SetupVertexInput(vb, call.streamOffset, call.stride, *call.layout);
  }
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, userIndexBuffer_);
  elementBuffer_ = userIndexBuffer_;
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, elements.size() * sizeof(uint32_t), elements.data(),
               GL_STREAM_DRAW);
  glDrawElements(mode, static_cast<GLsizei>(elements.size()), GL_UNSIGNED_INT, nullptr);
  return D3D_OK;
}
#endif

}  // namespace vexil::d3d9
