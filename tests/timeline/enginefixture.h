// A null device of 320x240 with an automatic depth buffer, wired into a CDemoDevice with a
// widget manager (the timeline test plug-in loaded), a texture manager, a resource manager
// and a timeline, as the player wires them; plus helpers to parse script text.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "d3d9/null/d3d9_null.h"
#include "scenecore.h"
#include "support/test_device.h"
#include "timelinelog.h"

class EngineTest : public ::testing::Test {
 protected:
  static constexpr UINT kBackWidth = 320;
  static constexpr UINT kBackHeight = 240;
  // The display size written into the device holder; in a window it may differ from the
  // back buffer, which is what lets tests tell the two apart.
  static constexpr int32_t kDisplayWidth = 640;
  static constexpr int32_t kDisplayHeight = 480;

  void SetUp() override {
    TimelineLog().clear();
    d3d_ = VexilCreateNullDirect3D9();
    ASSERT_NE(nullptr, d3d_);
    ASSERT_EQ(D3D_OK, vexil::test::CreateTestDevice(d3d_, kBackWidth, kBackHeight, &dev_));
    widgets_ = new CWidgetManager;
    ASSERT_TRUE(widgets_->Load("test_plugin_timeline.dll")) << widgets_->GetLastError();
    textures_ = new CTextureManager;
    resources_ = new CResourceManager;
    timeline_ = new CTimeline;
    holder_.SetD3D(d3d_);
    holder_.SetD3DDevice(dev_);
    holder_.SetWidgetManager(widgets_);
    holder_.SetTextureManager(textures_);
    holder_.SetResourceManager(resources_);
    holder_.m_width = kDisplayWidth;
    holder_.m_height = kDisplayHeight;
    resources_->SetDemoDevice(&holder_);
    timeline_->SetDemoDevice(&holder_);
  }

  void TearDown() override {
    // The player's shutdown order: textures, resources, timeline, then the widget manager
    // that destroys the objects, then the device.
    delete textures_;
    delete resources_;
    delete timeline_;
    delete widgets_;
    holder_.SetD3DDevice(nullptr);
    if (dev_) {
      EXPECT_EQ(0u, dev_->Release()) << "something still holds the device";
    }
    if (d3d_) {
      EXPECT_EQ(0u, d3d_->Release());
    }
  }

  // Parses `xml` and hands its root element to `handler`.
  static void ParseWith(CXmlHandler* handler, const std::string& xml) {
    TiXmlDocument document;
    document.Parse(xml.c_str());
    ASSERT_FALSE(document.Error()) << document.ErrorDesc() << " in " << xml;
    handler->Parse(document.RootElement());
  }

  // Registers a render-target texture (with a D16 depth-stencil surface of its size when
  // `withDepth`) under `name` and returns it; the texture manager owns it.
  IDirect3DTexture9* AddRenderTarget(const char* name, UINT width, UINT height, bool withDepth) {
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(D3D_OK, dev_->CreateTexture(width, height, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                          D3DPOOL_DEFAULT, &texture, nullptr));
    IDirect3DSurface9* depth = nullptr;
    if (withDepth) {
      EXPECT_EQ(D3D_OK,
                dev_->CreateDepthStencilSurface(width, height, D3DFMT_D16, D3DMULTISAMPLE_NONE, 0,
                                                TRUE, &depth, nullptr));
    }
    textures_->AddTexture(name, texture, depth);
    return texture;
  }

  // Level 0 of a texture, without keeping a reference.
  static IDirect3DSurface9* Level0(IDirect3DTexture9* texture) {
    IDirect3DSurface9* surface = nullptr;
    texture->GetSurfaceLevel(0, &surface);
    surface->Release();
    return surface;
  }

  IDirect3DSurface9* BackBuffer() const {
    IDirect3DSurface9* surface = nullptr;
    dev_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface);
    surface->Release();
    return surface;
  }
  IDirect3DSurface9* CurrentTarget() const {
    IDirect3DSurface9* surface = nullptr;
    dev_->GetRenderTarget(0, &surface);
    if (surface) surface->Release();
    return surface;
  }
  IDirect3DSurface9* CurrentDepth() const {
    IDirect3DSurface9* surface = nullptr;
    dev_->GetDepthStencilSurface(&surface);
    if (surface) surface->Release();
    return surface;
  }

  int PresentCount() const {
    int count = 0;
    for (const VexilRecordedCall& call : *VexilNullRecordedCalls(dev_)) {
      if (call.kind == VEXIL_CALL_PRESENT) ++count;
    }
    return count;
  }

  static std::vector<std::string> TakeLog() {
    std::vector<std::string> log;
    log.swap(TimelineLog());
    return log;
  }

  IDirect3D9* d3d_ = nullptr;
  IDirect3DDevice9* dev_ = nullptr;
  CDemoDevice holder_;
  CWidgetManager* widgets_ = nullptr;
  CTextureManager* textures_ = nullptr;
  CResourceManager* resources_ = nullptr;
  CTimeline* timeline_ = nullptr;
};
