// GPU objects behind the shared resources: textures (uploaded from their CPU copies when
// dirty), render-target and depth surfaces, buffers (orphaned on D3DLOCK_DISCARD),
// framebuffer objects per target pair and sampler objects per sampler state.
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "d3d9/formats.h"
#include "d3d9/gl/gl_device.h"
#include "d3d9/gl/gl_tables.h"

namespace vexil::d3d9 {

namespace {

void SetSwizzleForFormat(D3DFORMAT format) {
#ifdef VEXIL_GLES
  // No swizzle in GL ES: uploads write alpha 255 and render targets never write alpha.
  (void)format;
#else
  // Formats without alpha sample as opaque whatever the unused byte holds.
  if (!HasAlpha(format)) glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_A, GL_ONE);
#endif
}

// Whether a texture's CPU copies can be given up once uploaded: the GPU keeps its bytes as
// they are (32-bit formats go up unconverted) and can give them back (not GL ES, which has
// no glGetTexImage and uploads X8R8G8B8 with alpha forced to 255). Dynamic textures and
// those locked again after upload are rewritten often: they keep their copies.
bool GivesCopiesUp(Texture* texture) {
#ifdef VEXIL_GLES
  (void)texture;
  return false;
#else
  const D3DFORMAT format = texture->Format();
  return (format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8) &&
         !(texture->Usage() & D3DUSAGE_DYNAMIC) && !texture->keepCpuCopies;
#endif
}

// The same for a buffer: only vertex buffers (draw checks scan the index buffers' copies),
// and not dynamic ones nor those locked again after upload.
bool GivesCopyUp(const BufferStorage& storage, GLenum target) {
#ifdef VEXIL_GLES
  (void)storage, (void)target;
  return false;  // outlines are drawn from the CPU copies
#else
  return target == GL_ARRAY_BUFFER && !(storage.Usage() & D3DUSAGE_DYNAMIC) && !storage.KeepsCopy();
#endif
}

#ifndef VEXIL_GLES
// Reads from GL into client memory even when a pixel-pack buffer is bound elsewhere.
class PackToClientMemory {
 public:
  PackToClientMemory() {
    glGetIntegerv(GL_PIXEL_PACK_BUFFER_BINDING, &bound_);
    if (bound_) glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
  }
  ~PackToClientMemory() {
    if (bound_) glBindBuffer(GL_PIXEL_PACK_BUFFER, static_cast<GLuint>(bound_));
  }

 private:
  GLint bound_ = 0;
};
#endif

}  // namespace

#ifdef VEXIL_GLES
void BgraToUploadRows(D3DFORMAT format, uint8_t* pixels, size_t bytes) {
  const bool opaque = !HasAlpha(format);
  for (size_t i = 0; i + 3 < bytes; i += 4) {
    std::swap(pixels[i], pixels[i + 2]);
    if (opaque) pixels[i + 3] = 255;
  }
}
#endif

GLuint GlDevice::TextureOf(Texture* texture) {
  if (texture->gpuName) return texture->gpuName;
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  auto& levels = texture->Levels();
  // Render targets are cleared black when they are created (AllocateGpuObjects); the other
  // textures upload their CPU copies before they are sampled.
  for (size_t i = 0; i < levels.size(); ++i) {
    glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(i), GL_RGBA8,
                 static_cast<GLsizei>(levels[i].width), static_cast<GLsizei>(levels[i].height), 0,
                 gl_compat::kUploadFormat, GL_UNSIGNED_BYTE, nullptr);
  }
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels.size()) - 1);
  SetSwizzleForFormat(texture->Format());
  texture->gpuName = name;
  unitTexture_.fill(~0u);  // the active unit's binding changed behind the cache
  return name;
}

void GlDevice::UploadDirtyLevels(Texture* texture) {
  if (!texture->dirtyLevels) return;
  auto& levels = texture->Levels();
  std::vector<uint8_t> converted;
  const D3DFORMAT format = texture->Format();
#ifdef VEXIL_GLES
  const bool direct = false;
#else
  const bool direct = format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8;
#endif
  for (size_t i = 0; i < levels.size() && i < 32; ++i) {
    if (!(texture->dirtyLevels & (1u << i))) continue;
    const Texture::Level& l = levels[i];
    const uint8_t* pixels = l.bytes.data();
    if (!direct) {
      converted.resize(static_cast<size_t>(l.width) * l.height * 4);
      for (UINT y = 0; y < l.height; ++y) {
        RowToBgra8(format, l.bytes.data() + static_cast<size_t>(y) * l.pitch,
                   converted.data() + static_cast<size_t>(y) * l.width * 4, l.width);
      }
#ifdef VEXIL_GLES
      BgraToUploadRows(format, converted.data(), converted.size());
#endif
      pixels = converted.data();
    }
    glTexSubImage2D(GL_TEXTURE_2D, static_cast<GLint>(i), 0, 0, static_cast<GLsizei>(l.width),
                    static_cast<GLsizei>(l.height), gl_compat::kUploadFormat, GL_UNSIGNED_BYTE,
                    pixels);
  }
  texture->dirtyLevels = 0;
  // The GPU holds every level now: the CPU copies need not stay (a lock reads them back).
  if (GivesCopiesUp(texture)) {
    for (Texture::Level& l : levels) {
      if (l.locked || l.gpuOnly) continue;
      FreeCopy(&l.bytes);
      l.gpuOnly = true;
    }
  }
}

HRESULT GlDevice::ReadBackTextureLevel(Texture* texture, UINT level) {
#ifdef VEXIL_GLES
  (void)texture, (void)level;
  return D3DERR_INVALIDCALL;  // copies are never given up there
#else
  if (!texture->gpuName || level >= texture->Levels().size()) return D3DERR_INVALIDCALL;
  Texture::Level& l = texture->Levels()[level];
  if (l.bytes.size() < static_cast<size_t>(l.width) * l.height * 4) return D3DERR_INVALIDCALL;
  ctx_->MakeCurrent();
  for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
  }
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, texture->gpuName);
  unitTexture_[0] = ~0u;
  PackToClientMemory pack;
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glGetTexImage(GL_TEXTURE_2D, static_cast<GLint>(level), GL_BGRA, GL_UNSIGNED_BYTE,
                l.bytes.data());
  return glGetError() == GL_NO_ERROR ? D3D_OK : D3DERR_DRIVERINTERNALERROR;
#endif
}

HRESULT GlDevice::ReadBackBuffer(ResourceCore* owner, uint8_t* bytes, UINT size) {
#ifdef VEXIL_GLES
  (void)owner, (void)bytes, (void)size;
  return D3DERR_INVALIDCALL;  // copies are never given up there
#else
  if (!owner->gpuName) return D3DERR_INVALIDCALL;
  ctx_->MakeCurrent();
  for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
  }
  // The copy-read binding point leaves the vertex input and index bindings alone.
  glBindBuffer(GL_COPY_READ_BUFFER, owner->gpuName);
  glGetBufferSubData(GL_COPY_READ_BUFFER, 0, size, bytes);
  glBindBuffer(GL_COPY_READ_BUFFER, 0);
  return glGetError() == GL_NO_ERROR ? D3D_OK : D3DERR_DRIVERINTERNALERROR;
#endif
}

GLuint GlDevice::ColorTextureOf(Surface* surface, GLint* level) {
  *level = 0;
  if (surface->Kind() == SurfaceKind::kTextureLevel) {
    *level = static_cast<GLint>(surface->Level());
    return TextureOf(surface->Container());
  }
  if (surface->gpuName) return surface->gpuName;
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, static_cast<GLsizei>(surface->Desc().Width),
               static_cast<GLsizei>(surface->Desc().Height), 0, gl_compat::kUploadFormat,
               GL_UNSIGNED_BYTE, nullptr);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  surface->gpuName = name;
  unitTexture_.fill(~0u);
  return name;
}

DepthFormat GlDepthFormat(D3DFORMAT format) {
  switch (format) {
    // A 16-bit depth buffer as asked: it halves a software rasteriser's depth traffic, and the
    // pictures keep the precision the demo was made with.
    case D3DFMT_D16:
    case D3DFMT_D16_LOCKABLE:
      return {GL_DEPTH_COMPONENT16, GL_DEPTH_ATTACHMENT, 16};
    case D3DFMT_D24X8:
    case D3DFMT_D32:
    case D3DFMT_D32F_LOCKABLE:
      return {GL_DEPTH_COMPONENT24, GL_DEPTH_ATTACHMENT, 24};
    default:  // the formats with stencil bits
      return {GL_DEPTH24_STENCIL8, GL_DEPTH_STENCIL_ATTACHMENT, 24};
  }
}

GLuint GlDevice::DepthBufferOf(Surface* surface) {
  if (surface->gpuName) return surface->gpuName;
  GLuint name = 0;
  glGenRenderbuffers(1, &name);
  glBindRenderbuffer(GL_RENDERBUFFER, name);
  glRenderbufferStorage(GL_RENDERBUFFER, GlDepthFormat(surface->Desc().Format).internalFormat,
                        static_cast<GLsizei>(surface->Desc().Width),
                        static_cast<GLsizei>(surface->Desc().Height));
  surface->gpuName = name;
  return name;
}

HRESULT GlDevice::AllocateGpuObjects(ResourceCore* resource) {
  ctx_->MakeCurrent();
  // Errors of earlier calls must not be taken for this allocation's (a bounded drain: a lost
  // context may report an error for ever).
  for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
  }
  // The storage is made now and cleared to black, depth 1 and stencil 0 through a framebuffer
  // of its own: a GPU out of memory says so here (GL_OUT_OF_MEMORY, or a framebuffer that is
  // not complete) rather than at the first draw.
  GLuint fbo = 0;
  glGenFramebuffers(1, &fbo);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo);
  glDisable(GL_SCISSOR_TEST);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glDepthMask(GL_TRUE);
  glStencilMask(0xff);
  glClearColor(0, 0, 0, 1);
  gl_compat::ClearDepth(1.0f);
  glClearStencil(0);
  bool ok = true;
  auto clearAttached = [&ok](GLbitfield bits) {
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
      ok = false;
      return;
    }
    glClear(bits);
  };
  if (auto* texture = dynamic_cast<Texture*>(resource)) {
    const GLuint name = TextureOf(texture);
    gl_compat::DrawBuffer(GL_COLOR_ATTACHMENT0);
    for (size_t i = 0; ok && i < texture->Levels().size(); ++i) {
      glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, name,
                             static_cast<GLint>(i));
      clearAttached(GL_COLOR_BUFFER_BIT);
    }
  } else if (auto* surface = dynamic_cast<Surface*>(resource)) {
    if (surface->Kind() == SurfaceKind::kDepthStencil) {
      glFramebufferRenderbuffer(GL_FRAMEBUFFER, GlDepthFormat(surface->Desc().Format).attachment,
                                GL_RENDERBUFFER, DepthBufferOf(surface));
      gl_compat::DrawBuffer(GL_NONE);
      glReadBuffer(GL_NONE);
      clearAttached(GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    } else if (surface->Kind() == SurfaceKind::kColor) {
      GLint level = 0;
      glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                             ColorTextureOf(surface, &level), level);
      gl_compat::DrawBuffer(GL_COLOR_ATTACHMENT0);
      clearAttached(GL_COLOR_BUFFER_BIT);
    }
  }
  if (glGetError() != GL_NO_ERROR) ok = false;
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glDeleteFramebuffers(1, &fbo);
  currentFbo_ = ~0u;
  State().dirty |= kDirtyTargets;
  InvalidateShadow();
  if (!ok) {
    FreeGpuObjects(resource);
    return D3DERR_OUTOFVIDEOMEMORY;
  }
  return D3D_OK;
}

GLuint GlDevice::FramebufferFor(Surface* color, Surface* depth) {
  GLint level = 0;
  // New GPU objects get defined contents (black, depth 1, stencil 0) on first attachment.
  const bool freshColor = color->Kind() == SurfaceKind::kTextureLevel
                              ? color->Container()->gpuName == 0
                              : color->gpuName == 0;
  const bool freshDepth = depth && depth->gpuName == 0;
  const GLuint colorTexture = ColorTextureOf(color, &level);
  const GLuint depthBuffer = depth ? DepthBufferOf(depth) : 0;
  for (const FboEntry& f : framebuffers_) {
    if (f.colorTexture == colorTexture && f.level == level && f.depthBuffer == depthBuffer) {
      return f.fbo;
    }
  }
  GLuint fbo = 0;
  glGenFramebuffers(1, &fbo);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colorTexture, level);
  if (depthBuffer) {
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GlDepthFormat(depth->Desc().Format).attachment,
                              GL_RENDERBUFFER, depthBuffer);
  }
  const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
  if (status != GL_FRAMEBUFFER_COMPLETE) {
    std::fprintf(stderr, "vexil d3d9: render target framebuffer incomplete (0x%x)\n", status);
  }
  if (freshColor || freshDepth) {
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    glStencilMask(0xff);
    glClearColor(0, 0, 0, 1);
    gl_compat::ClearDepth(1.0f);
    glClearStencil(0);
    glClear((freshColor ? GL_COLOR_BUFFER_BIT : 0) |
            (freshDepth ? GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT : 0));
    InvalidateShadow();
  }
  framebuffers_.push_back({colorTexture, level, depthBuffer, fbo});
  currentFbo_ = ~0u;  // the binding changed behind ApplyTargets
  State().dirty |= kDirtyTargets;
  return fbo;
}

GLuint GlDevice::BufferOf(ResourceCore* owner, BufferStorage& storage, GLenum target) {
  const GLenum usage = (storage.Usage() & D3DUSAGE_DYNAMIC) || storage.discardPending
                           ? GL_DYNAMIC_DRAW
                           : GL_STATIC_DRAW;
  // Binding an element buffer changes the vertex array's state: remember which one is bound.
  const auto bind = [this, target, owner] {
    glBindBuffer(target, owner->gpuName);
    if (target == GL_ELEMENT_ARRAY_BUFFER) elementBuffer_ = owner->gpuName;
  };
  if (!owner->gpuName) {
    glGenBuffers(1, &owner->gpuName);
    bind();
    glBufferData(target, storage.Size(), storage.Data(), usage);
    storage.dirtyBegin = storage.dirtyEnd = 0;
    storage.discardPending = false;
    if (GivesCopyUp(storage, target)) storage.DropCopy();
    return owner->gpuName;
  }
  if (storage.dirtyEnd > storage.dirtyBegin) {
    bind();
    if (storage.dirtyBegin == 0 && storage.dirtyEnd == storage.Size()) {
      // Orphan: the driver hands out fresh storage instead of waiting for draws in flight.
      glBufferData(target, storage.Size(), storage.Data(), GL_DYNAMIC_DRAW);
    } else if (storage.discardPending) {
      // D3DLOCK_DISCARD gave up the old contents: fresh storage, and only what was written
      // goes across (a large buffer refilled in part each frame stays cheap).
      glBufferData(target, storage.Size(), nullptr, GL_DYNAMIC_DRAW);
      glBufferSubData(target, storage.dirtyBegin, storage.dirtyEnd - storage.dirtyBegin,
                      storage.Data() + storage.dirtyBegin);
    } else {
      glBufferSubData(target, storage.dirtyBegin, storage.dirtyEnd - storage.dirtyBegin,
                      storage.Data() + storage.dirtyBegin);
    }
    storage.dirtyBegin = storage.dirtyEnd = 0;
  }
  storage.discardPending = false;
  if (!storage.GpuOnly() && GivesCopyUp(storage, target)) storage.DropCopy();
  return owner->gpuName;
}

void GlDevice::FreeGpuObjects(ResourceCore* resource) {
  if (!resource->gpuName) return;
  ctx_->MakeCurrent();
  const GLuint name = resource->gpuName;
  // Framebuffers that used the object go with it; GL may hand the name out again.
  for (size_t i = 0; i < framebuffers_.size();) {
    const bool uses = resource->gpuObject == ResourceCore::GpuObject::kTexture
                          ? framebuffers_[i].colorTexture == name
                          : resource->gpuObject == ResourceCore::GpuObject::kRenderbuffer &&
                                framebuffers_[i].depthBuffer == name;
    if (uses) {
      if (currentFbo_ == framebuffers_[i].fbo) currentFbo_ = ~0u;
      glDeleteFramebuffers(1, &framebuffers_[i].fbo);
      framebuffers_[i] = framebuffers_.back();
      framebuffers_.pop_back();
    } else {
      ++i;
    }
  }
  switch (resource->gpuObject) {
    case ResourceCore::GpuObject::kRenderbuffer:
      glDeleteRenderbuffers(1, &name);
      break;
    case ResourceCore::GpuObject::kTexture:
      glDeleteTextures(1, &name);
      for (auto& unit : unitTexture_) {
        if (unit == name) unit = ~0u;
      }
      break;
    case ResourceCore::GpuObject::kBuffer:
      glDeleteBuffers(1, &name);
      if (inputBuffer_ == name) inputBuffer_ = ~0u;
      if (elementBuffer_ == name) elementBuffer_ = ~0u;
      break;
    case ResourceCore::GpuObject::kNone:
      break;
  }
  resource->gpuName = 0;
  State().dirty |= kDirtyTargets;
}

bool GlDevice::SamplerKey::operator==(const SamplerKey& o) const {
  return std::memcmp(this, &o, sizeof(*this)) == 0;
}

GLuint GlDevice::SamplerFor(DWORD stage) {
  const auto& s = State().sampler[stage];
  SamplerKey key;
  std::memset(&key, 0, sizeof key);
  key.address[0] = s[D3DSAMP_ADDRESSU];
  key.address[1] = s[D3DSAMP_ADDRESSV];
  key.address[2] = s[D3DSAMP_ADDRESSW];
  key.border = s[D3DSAMP_BORDERCOLOR];
  key.mag = s[D3DSAMP_MAGFILTER];
  key.min = s[D3DSAMP_MINFILTER];
  key.mip = s[D3DSAMP_MIPFILTER];
  key.anisotropy = s[D3DSAMP_MAXANISOTROPY];
  key.lodBias = s[D3DSAMP_MIPMAPLODBIAS];
  key.maxMipLevel = s[D3DSAMP_MAXMIPLEVEL];
  auto it = samplers_.find(key);
  if (it != samplers_.end()) return it->second;

  GLuint sampler = 0;
  glGenSamplers(1, &sampler);
  const GLenum wrap[3] = {GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T, GL_TEXTURE_WRAP_R};
  for (int i = 0; i < 3; ++i) {
    glSamplerParameteri(sampler, wrap[i],
                        static_cast<GLint>(gl_tables::Lookup(gl_tables::kAddress, key.address[i])));
  }
  const bool linearMin = key.min >= D3DTEXF_LINEAR;
  GLenum minFilter;
  if (key.mip == D3DTEXF_NONE) {
    minFilter = linearMin ? GL_LINEAR : GL_NEAREST;
  } else if (key.mip == D3DTEXF_POINT) {
    minFilter = linearMin ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
  } else {
    minFilter = linearMin ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
  }
  glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(minFilter));
  glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER,
                      key.mag >= D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST);
  const float border[4] = {((key.border >> 16) & 0xff) / 255.0f,
                           ((key.border >> 8) & 0xff) / 255.0f, (key.border & 0xff) / 255.0f,
                           (key.border >> 24) / 255.0f};
#ifdef VEXIL_GLES
  // GL ES 3.0 has neither border colours nor a level-of-detail bias on samplers.
  (void)border;
#else
  glSamplerParameterfv(sampler, GL_TEXTURE_BORDER_COLOR, border);
  float bias;
  std::memcpy(&bias, &key.lodBias, 4);
  glSamplerParameterf(sampler, GL_TEXTURE_LOD_BIAS, bias);
#endif
  glSamplerParameterf(sampler, GL_TEXTURE_MIN_LOD, static_cast<float>(key.maxMipLevel));
  if (anisotropy_ && (key.min == D3DTEXF_ANISOTROPIC || key.mag == D3DTEXF_ANISOTROPIC)) {
    glSamplerParameterf(sampler, 0x84FE /* GL_TEXTURE_MAX_ANISOTROPY */,
                        static_cast<float>(key.anisotropy > 0 ? key.anisotropy : 1));
  }
  samplers_.emplace(key, sampler);
  return sampler;
}

}  // namespace vexil::d3d9
