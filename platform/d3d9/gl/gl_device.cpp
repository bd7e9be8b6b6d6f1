// GL device life cycle, clearing, presenting (blit flipped into the window or hand the
// pixels to the frame reader) and reading targets back.
#include "d3d9/gl/gl_device.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <string>

#include "d3d9/gl/gl_debug.h"
#include "d3d9/gl/heap_policy.h"
#include "system/video.h"
#include "system/window.h"

#ifdef __EMSCRIPTEN__
#include <emscripten.h>

#include "system/browser.h"

// WebGL 2 takes flat colours from a triangle's last vertex unless the browser offers
// WEBGL_provoking_vertex; false when it does not.
EM_JS(int, vexil_use_first_provoking_vertex, (), {
  var ext = GLctx && GLctx.getExtension("WEBGL_provoking_vertex");
  if (!ext) return 0;
  ext.provokingVertexWEBGL(ext.FIRST_VERTEX_CONVENTION_WEBGL);
  return 1;
});

// The page counts the presented frames (Module.vexilFramesPresented: the demo runs) and may
// ask for the next one (its tests compare frames with native captures): then
// Module.vexilFrameWanted is set, and Module.vexilTakeFrame receives the top-down RGBA pixels.
EM_JS(int, vexil_page_wants_frame, (), {
  Module.vexilFramesPresented = (Module.vexilFramesPresented || 0) + 1;
  return Module.vexilFrameWanted ? 1 : 0;
});
EM_JS(void, vexil_page_take_frame, (const uint8_t* rgba, int width, int height), {
  Module.vexilFrameWanted = false;
  if (Module.vexilTakeFrame) {
    Module.vexilTakeFrame(HEAPU8.slice(rgba, rgba + width * height * 4), width, height);
  }
});
#endif

namespace vexil::d3d9 {

// ---- Direct3D object ------------------------------------------------------------------------

GlDirect3D::~GlDirect3D() {
  vexil::sys::QuitVideo();
}

HRESULT GlDirect3D::MakeDevice(HWND window, const D3DPRESENT_PARAMETERS& params,
                               IDirect3DDevice9** ppDevice) {
  SDL_Window* sdlWindow = static_cast<SDL_Window*>(window);
  int width = static_cast<int>(params.BackBufferWidth);
  int height = static_cast<int>(params.BackBufferHeight);
  if ((width == 0 || height == 0) && sdlWindow) {
    // A windowed D3D9 device takes the window's client size when none is given.
    int w = 0, h = 0;
    SDL_GetWindowSize(sdlWindow, &w, &h);
    if (width == 0) width = w;
    if (height == 0) height = h;
  }
  if (width <= 0) width = static_cast<int>(desktop_.Width);
  if (height <= 0) height = static_cast<int>(desktop_.Height);
  std::string error;
  std::unique_ptr<GlContext> context = GlContext::Create(sdlWindow, width, height, &error);
  if (!context) {
    std::fprintf(stderr, "vexil d3d9: %s\n", error.c_str());
    return D3DERR_NOTAVAILABLE;
  }
  auto* device = new (std::nothrow) GlDevice(this, params, static_cast<UINT>(width),
                                             static_cast<UINT>(height), std::move(context));
  if (!device) return E_OUTOFMEMORY;
  HRESULT hr = device->Init();
  if (FAILED(hr)) {
    device->Release();
    return hr;
  }
  if (!params.Windowed && sdlWindow) device->EnterFullscreen(params);
  *ppDevice = device;
  return D3D_OK;
}

// ---- Device -----------------------------------------------------------------------------------

GlDevice::GlDevice(IDirect3D9* direct3d, const D3DPRESENT_PARAMETERS& params, UINT width,
                   UINT height, std::unique_ptr<GlContext> context)
    : Device(direct3d, params, width, height), ctx_(std::move(context)) {}

void GlDevice::EnterFullscreen(const D3DPRESENT_PARAMETERS& params) {
  // Like a full-screen D3D9 device: switch the display to the back buffer's size (and the
  // asked refresh rate); when the display has no such mode, cover the desktop instead and
  // let Present scale the picture.
  std::string error;
  fullscreen_ = vexil::sys::EnterFullscreen(
      ctx_->Window(), static_cast<int>(BackBufferSurface()->Desc().Width),
      static_cast<int>(BackBufferSurface()->Desc().Height),
      static_cast<int>(params.FullScreen_RefreshRateInHz), &error);
  if (!fullscreen_) {
    std::fprintf(stderr, "vexil d3d9: cannot go full screen (%s); staying in a window\n",
                 error.c_str());
  }
}

GlDevice::~GlDevice() {
  // Releasing a full-screen D3D9 device gives the desktop its mode back.
  if (fullscreen_) vexil::sys::LeaveFullscreen(ctx_->Window());
  ctx_->MakeCurrent();
  readRing_.Release();
  Shutdown();
  programs_.Clear();
  for (auto& f : framebuffers_) glDeleteFramebuffers(1, &f.fbo);
  for (auto& s : samplers_) glDeleteSamplers(1, &s.second);
  glDeleteBuffers(3, blockBuffers_);
  const GLuint buffers[2] = {userVertexBuffer_, userIndexBuffer_};
  glDeleteBuffers(2, buffers);
  glDeleteVertexArrays(1, &vao_);
}

HRESULT GlDevice::Init() {
  ctx_->MakeCurrent();
  InstallGlDebugOutput(*ctx_);
  anisotropy_ = ctx_->HasExtension("GL_EXT_texture_filter_anisotropic") ||
                ctx_->HasExtension("GL_ARB_texture_filter_anisotropic");
  glGenVertexArrays(1, &vao_);
  glBindVertexArray(vao_);
  glGenBuffers(3, blockBuffers_);
  // The blocks start as their zero-filled copies here, which later uploads compare with.
  Upload(kFfpTransformsBlock, &transforms_, sizeof(transforms_));
  Upload(kFfpVertexBlock, &vertexConstants_, sizeof(vertexConstants_));
  Upload(kFfpPixelBlock, &pixelConstants_, sizeof(pixelConstants_));
  for (unsigned i = 0; i < 3; ++i) glBindBufferBase(GL_UNIFORM_BUFFER, i, blockBuffers_[i]);
  glGenBuffers(1, &userVertexBuffer_);
  glGenBuffers(1, &userIndexBuffer_);
  // D3D's flat shading takes a triangle's first vertex.
#ifdef __EMSCRIPTEN__
  if (!vexil_use_first_provoking_vertex()) {
    std::fprintf(stderr,
                 "vexil d3d9: the browser lacks WEBGL_provoking_vertex; flat-shaded "
                 "triangles take the colour of their last vertex\n");
  }
#elif !defined(VEXIL_GLES)
  glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
#endif
#ifndef VEXIL_GLES
  // GL ES always takes point sizes from the program, and its sprites' origin is fixed at the
  // upper left (the program turns the coordinate over there).
  glEnable(GL_PROGRAM_POINT_SIZE);
  // Targets are stored top row first, so a sprite's top-left is at the window's lower left.
  glPointParameteri(GL_POINT_SPRITE_COORD_ORIGIN, GL_LOWER_LEFT);
#endif
  glFrontFace(GL_CCW);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);

  HRESULT hr = InitCommon();
  if (FAILED(hr)) return hr;
#ifndef __EMSCRIPTEN__
  // In a browser the page's animation frames pace the presents.
  const D3DPRESENT_PARAMETERS& pp = PresentParams();
  if (!ctx_->OwnsWindow()) {
    ctx_->SetSwapInterval(
        pp.PresentationInterval == static_cast<UINT>(D3DPRESENT_INTERVAL_IMMEDIATE) ? 0 : 1);
  }
#endif
  // The back buffer starts black rather than undefined.
  State().dirty = kDirtyAll;
  ApplyTargets();
  glDisable(GL_SCISSOR_TEST);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  InvalidateShadow();
  if (glGetError() != GL_NO_ERROR) {
    std::fprintf(stderr, "vexil d3d9: OpenGL reported an error while setting up the device\n");
  }
  return D3D_OK;
}

HRESULT GlDevice::SetFrameReader(VexilFrameReader reader, void* user) {
  // Frames read for the previous reader are not the new one's.
  ctx_->MakeCurrent();
  readRing_.Discard();
  frameReader_ = reader;
  frameReaderUser_ = user;
  return D3D_OK;
}

HRESULT GlDevice::SetFrameReaderDepth(UINT depth, UINT* granted) {
  ctx_->MakeCurrent();
  const UINT wanted = ReadbackRing::Supported() ? std::min(depth, ReadbackRing::kMaxDepth) : 0;
  if (wanted != readDepth_) {
    // The frames in flight are handed over first, so none is lost or reordered, and the ring
    // keeps only the buffers the new depth turns through.
    while (readRing_.InFlight() > 0) CollectOldestFrame();
    readRing_.SetBufferCount(wanted + 1);
    readDepth_ = wanted;
  }
  *granted = wanted;
  return D3D_OK;
}

HRESULT GlDevice::FlushFrameReader() {
  ctx_->MakeCurrent();
  while (readRing_.InFlight() > 0) CollectOldestFrame();
  return D3D_OK;
}

void GlDevice::CollectOldestFrame() {
  readRing_.CollectOldest(
      [](const uint8_t* rgba, UINT width, UINT height, void* user) {
        auto* self = static_cast<GlDevice*>(user);
        if (self->frameReader_) self->frameReader_(rgba, width, height, self->frameReaderUser_);
      },
      this);
}

void GlDevice::InvalidateShadow() {
  shadow_ = GlShadow{};
  State().dirty |= kDirtyRenderState | kDirtyScissor | kDirtyViewport;
}

HRESULT GlDevice::DoClear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                          DWORD stencil) {
  ctx_->MakeCurrent();
  ApplyTargets();
  StateMirror& s = State();
  // D3D9 clears the viewport, further limited by the rectangles and an enabled scissor.
  const D3DVIEWPORT9& vp = s.viewport;
  LONG left = static_cast<LONG>(vp.X), top = static_cast<LONG>(vp.Y);
  LONG right = left + static_cast<LONG>(vp.Width), bottom = top + static_cast<LONG>(vp.Height);
  if (s.render[D3DRS_SCISSORTESTENABLE]) {
    left = std::max(left, s.scissor.left), top = std::max(top, s.scissor.top);
    right = std::min(right, s.scissor.right), bottom = std::min(bottom, s.scissor.bottom);
  }
  // The write masks and scissor the clear needs are recorded in the shadow; a mask it had to
  // open has the next draw apply its render states again.
  GLbitfield bits = 0;
  if (flags & D3DCLEAR_TARGET) {
    bits |= GL_COLOR_BUFFER_BIT;
    if (shadow_.colorMask != 0xf) {
      glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
      shadow_.colorMask = 0xf;
      s.dirty |= kDirtyRenderState;
    }
    glClearColor(((color >> 16) & 0xff) / 255.0f, ((color >> 8) & 0xff) / 255.0f,
                 (color & 0xff) / 255.0f, targetHasAlpha_ ? (color >> 24) / 255.0f : 1.0f);
  }
  if (flags & D3DCLEAR_ZBUFFER) {
    bits |= GL_DEPTH_BUFFER_BIT;
    if (shadow_.depthMask != 1) {
      glDepthMask(GL_TRUE);
      shadow_.depthMask = 1;
      s.dirty |= kDirtyRenderState;
    }
    gl_compat::ClearDepth(z);
  }
  if (flags & D3DCLEAR_STENCIL) {
    bits |= GL_STENCIL_BUFFER_BIT;
    glStencilMask(0xff);
    s.dirty |= kDirtyRenderState;  // the stencil write mask is not in the shadow
    glClearStencil(static_cast<GLint>(stencil & 0xff));
  }
  const D3DSURFACE_DESC& target = RenderTarget()->Desc();
  auto clearRect = [&](LONG l, LONG t, LONG r, LONG b) {
    l = std::max(l, left), t = std::max(t, top), r = std::min(r, right), b = std::min(b, bottom);
    if (l >= r || t >= b) return;
    // The whole target (the usual clear) needs no scissor.
    const bool whole = l == 0 && t == 0 && r == static_cast<LONG>(target.Width) &&
                       b == static_cast<LONG>(target.Height);
    const int scissor = whole ? 0 : 1;
    if (scissor != shadow_.scissor) {
      scissor ? glEnable(GL_SCISSOR_TEST) : glDisable(GL_SCISSOR_TEST);
      shadow_.scissor = scissor;
    }
    if (scissor) glScissor(l, t, r - l, b - t);  // targets are stored top row first: no y flip
    glClear(bits);
  };
  if (count == 0) {
    clearRect(left, top, right, bottom);
  } else {
    for (DWORD i = 0; i < count; ++i) clearRect(rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2);
  }
  // The next draw sets its own scissor rectangle again.
  s.dirty |= kDirtyScissor;
  return D3D_OK;
}

HRESULT GlDevice::DoPresent() {
  ctx_->MakeCurrent();
  Surface* back = BackBufferSurface();
  const UINT w = back->Desc().Width, h = back->Desc().Height;
  if (frameReader_ && readDepth_ > 0) {
    // This frame's read starts now; the frame readDepth_ presents back is handed over.
    if (readRing_.InFlight() > readDepth_) CollectOldestFrame();
    const GLuint fbo = FramebufferFor(back, nullptr);
    readRing_.Begin(fbo, w, h, back->Desc().Format == D3DFMT_X8R8G8B8);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, currentFbo_ == ~0u ? 0 : currentFbo_);
    if (readRing_.InFlight() > readDepth_) CollectOldestFrame();
  } else if (frameReader_) {
    if (SUCCEEDED(ReadGpuSurface(back, &frameBytes_))) {
      frameReader_(frameBytes_.data(), w, h, frameReaderUser_);
    }
  }
#ifdef __EMSCRIPTEN__
  if (vexil_page_wants_frame() && SUCCEEDED(ReadGpuSurface(back, &frameBytes_))) {
    vexil_page_take_frame(frameBytes_.data(), static_cast<int>(w), static_cast<int>(h));
  }
#endif
  if (!ctx_->OwnsWindow()) {
    GLuint fbo = FramebufferFor(back, nullptr);
    int dw = 0, dh = 0;
    ctx_->DrawableSize(&dw, &dh);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glDisable(GL_SCISSOR_TEST);
    shadow_.scissor = 0;
    if (shadow_.colorMask != 0xf) {
      glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
      shadow_.colorMask = 0xf;
      State().dirty |= kDirtyRenderState;
    }
    // The one flip of the frame: our row 0 is the top, the window's is the bottom.
    const bool sameSize = dw == static_cast<int>(w) && dh == static_cast<int>(h);
    glBlitFramebuffer(0, 0, static_cast<GLint>(w), static_cast<GLint>(h), 0, dh, dw, 0,
                      GL_COLOR_BUFFER_BIT, sameSize ? GL_NEAREST : GL_LINEAR);
    ctx_->Swap();
#ifdef __EMSCRIPTEN__
    // The browser shows the frame, runs its events and the sound once this returns to it.
    vexil::sys::WaitForBrowserFrame();
#endif
    currentFbo_ = ~0u;
    State().dirty |= kDirtyTargets | kDirtyScissor;
  } else {
    glFlush();
  }
  return D3D_OK;
}

HRESULT GlDevice::ReadGpuSurface(Surface* surface, std::vector<uint8_t>* rgba) {
  ctx_->MakeCurrent();
  const D3DSURFACE_DESC& d = surface->Desc();
  GLuint fbo = FramebufferFor(surface, nullptr);
  if (!fbo) return D3DERR_INVALIDCALL;
  try {
    rgba->resize(static_cast<size_t>(d.Width) * d.Height * 4);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo);
  // Rows come out bottom-up in GL terms, which is our top row first.
  glReadPixels(0, 0, static_cast<GLsizei>(d.Width), static_cast<GLsizei>(d.Height), GL_RGBA,
               GL_UNSIGNED_BYTE, rgba->data());
  glBindFramebuffer(GL_READ_FRAMEBUFFER, currentFbo_ == ~0u ? 0 : currentFbo_);
  if (d.Format == D3DFMT_X8R8G8B8) {
    for (size_t i = 3; i < rgba->size(); i += 4) (*rgba)[i] = 255;
  }
  return glGetError() == GL_NO_ERROR ? D3D_OK : D3DERR_DRIVERINTERNALERROR;
}

HRESULT GlDevice::WriteGpuSurface(Surface* surface) {
  ctx_->MakeCurrent();
  const D3DSURFACE_DESC& d = surface->Desc();
  GLint level = 0;
  const GLuint texture = ColorTextureOf(surface, &level);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, texture);
  unitTexture_[0] = ~0u;
#ifdef VEXIL_GLES
  std::vector<uint8_t> rows(surface->Bytes().begin(), surface->Bytes().end());
  BgraToUploadRows(d.Format, rows.data(), rows.size());
  const uint8_t* pixels = rows.data();
#else
  const uint8_t* pixels = surface->Bytes().data();
#endif
  glTexSubImage2D(GL_TEXTURE_2D, level, 0, 0, static_cast<GLsizei>(d.Width),
                  static_cast<GLsizei>(d.Height), gl_compat::kUploadFormat, GL_UNSIGNED_BYTE,
                  pixels);
  return glGetError() == GL_NO_ERROR ? D3D_OK : D3DERR_DRIVERINTERNALERROR;
}

}  // namespace vexil::d3d9

IDirect3D9* Direct3DCreate9(UINT sdkVersion) {
  using vexil::d3d9::GlDirect3D;
  if (sdkVersion != 31 && sdkVersion != 32) return nullptr;
  vexil::d3d9::KeepFreedHeapForReuse();
  std::string error;
  if (!vexil::sys::InitVideo(&error)) {
    std::fprintf(stderr, "vexil d3d9: %s\n", error.c_str());
    return nullptr;
  }
  std::vector<D3DDISPLAYMODE> modes;
  const int count = SDL_GetNumDisplayModes(0);
  for (int i = 0; i < count; ++i) {
    SDL_DisplayMode m;
    if (SDL_GetDisplayMode(0, i, &m) != 0 || SDL_BITSPERPIXEL(m.format) < 24) continue;
    D3DDISPLAYMODE d{static_cast<UINT>(m.w), static_cast<UINT>(m.h),
                     static_cast<UINT>(m.refresh_rate ? m.refresh_rate : 60), D3DFMT_X8R8G8B8};
    modes.push_back(d);
  }
  SDL_DisplayMode desktop{};
  D3DDISPLAYMODE desk{1024, 768, 60, D3DFMT_X8R8G8B8};
  if (SDL_GetDesktopDisplayMode(0, &desktop) == 0) {
    desk = {static_cast<UINT>(desktop.w), static_cast<UINT>(desktop.h),
            static_cast<UINT>(desktop.refresh_rate ? desktop.refresh_rate : 60), D3DFMT_X8R8G8B8};
  }
  if (modes.empty()) modes.push_back(desk);
  // D3D9 lists modes from the smallest up; SDL lists them largest first.
  std::sort(modes.begin(), modes.end(), [](const D3DDISPLAYMODE& a, const D3DDISPLAYMODE& b) {
    if (a.Width != b.Width) return a.Width < b.Width;
    if (a.Height != b.Height) return a.Height < b.Height;
    return a.RefreshRate < b.RefreshRate;
  });
  modes.erase(std::unique(modes.begin(), modes.end(),
                          [](const D3DDISPLAYMODE& a, const D3DDISPLAYMODE& b) {
                            return a.Width == b.Width && a.Height == b.Height &&
                                   a.RefreshRate == b.RefreshRate;
                          }),
              modes.end());
  return new (std::nothrow) GlDirect3D(std::move(modes), desk);
}
