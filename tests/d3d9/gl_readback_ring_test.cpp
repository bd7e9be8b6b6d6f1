// Frames read back with frames in flight: the same bytes, in the same order, as when every
// frame is read during its own Present, none lost at the end, and whole frames of a back
// buffer larger than the window it is shown in.
#include <SDL.h>

#include <vector>

#include "gl_fixture.h"
#include "support/test_device.h"

namespace {

struct Frames {
  std::vector<std::vector<uint8_t>> pixels;
  UINT width = 0, height = 0;
  int unreadable = 0;
};

void Collect(const uint8_t* rgba, UINT width, UINT height, void* user) {
  auto* frames = static_cast<Frames*>(user);
  if (!rgba) {
    ++frames->unreadable;
    return;
  }
  frames->width = width;
  frames->height = height;
  frames->pixels.emplace_back(rgba, rgba + static_cast<size_t>(width) * height * 4);
}

// Frame i: a background and a bar whose colours and place depend on i, so that frames
// handed over in the wrong order or twice cannot pass for the right ones.
void DrawFrame(IDirect3DDevice9* dev, int i) {
  dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER,
             D3DCOLOR_XRGB(20 * i, 255 - 30 * i, 7 * i), 1.0f, 0);
  const float left = -1.0f + 0.25f * static_cast<float>(i);
  const DWORD color = D3DCOLOR_ARGB(0x80, 255, 16 * i, 128);
  const VertexXyzColorTex bar[4] = {{left, 0.5f, 0.5f, color, 0, 0},
                                    {left + 0.3f, 0.5f, 0.5f, color, 1, 0},
                                    {left, -0.8f, 0.5f, color, 0, 1},
                                    {left + 0.3f, -0.8f, 0.5f, color, 1, 1}};
  dev->SetFVF(0x142);
  dev->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, bar, sizeof(bar[0]));
}

class ReadbackRingTest : public GlDeviceTest {
 protected:
  // Renders `count` frames with up to `depth` in flight and returns what the reader got,
  // checking after every Present that exactly the frames `granted` presents back arrived.
  Frames Render(int count, UINT depth) {
    Frames frames;
    UINT granted = 99;
    EXPECT_EQ(D3D_OK, VexilSetFrameReader(dev_, Collect, &frames));
    EXPECT_EQ(D3D_OK, VexilSetFrameReaderDepth(dev_, depth, &granted));
    EXPECT_LE(granted, depth);
    UseClipSpace();
    for (int i = 0; i < count; ++i) {
      DrawFrame(dev_, i);
      EXPECT_EQ(D3D_OK, dev_->Present(nullptr, nullptr, nullptr, nullptr));
      const int due = i + 1 - static_cast<int>(granted);
      EXPECT_EQ(static_cast<size_t>(due > 0 ? due : 0), frames.pixels.size()) << "frame " << i;
    }
    EXPECT_EQ(D3D_OK, VexilFlushFrameReader(dev_));
    EXPECT_EQ(D3D_OK, VexilSetFrameReader(dev_, nullptr, nullptr));
    return frames;
  }
};

TEST_F(ReadbackRingTest, FramesInFlightArriveAsTheSynchronousReadGivesThem) {
  const Frames sync = Render(6, 0);
  ASSERT_EQ(6u, sync.pixels.size());
  EXPECT_NE(sync.pixels[0], sync.pixels[1]) << "the frames differ, or the test proves nothing";
  for (UINT depth : {1u, 2u, 3u}) {
    const Frames ring = Render(6, depth);
    EXPECT_EQ(0, ring.unreadable);
    EXPECT_EQ(kWidth, ring.width);
    EXPECT_EQ(kHeight, ring.height);
    ASSERT_EQ(sync.pixels.size(), ring.pixels.size()) << "depth " << depth;
    for (size_t i = 0; i < sync.pixels.size(); ++i) {
      EXPECT_TRUE(sync.pixels[i] == ring.pixels[i]) << "frame " << i << " at depth " << depth;
    }
  }
  // The bar of frame 0 is at the left edge, its background green.
  EXPECT_EQ(255, sync.pixels[0][(24 * kWidth + 2) * 4 + 0]);
  EXPECT_EQ(255, sync.pixels[0][(2 * kWidth + 60) * 4 + 1]);
  EXPECT_EQ(255, sync.pixels[0][3]) << "an opaque back buffer reads back with alpha 255";
}

TEST_F(ReadbackRingTest, RendersOfOneAndTwoFramesLoseNoFrameAtTheEnd) {
  for (int count : {1, 2}) {
    const Frames sync = Render(count, 0);
    const Frames ring = Render(count, 2);
    ASSERT_EQ(static_cast<size_t>(count), ring.pixels.size());
    EXPECT_TRUE(sync.pixels == ring.pixels) << count << " frames";
  }
}

TEST_F(ReadbackRingTest, ADepthChangeOrANewReaderKeepsOrDropsTheFramesInFlight) {
  Frames frames;
  UINT granted = 0;
  ASSERT_EQ(D3D_OK, VexilSetFrameReader(dev_, Collect, &frames));
  ASSERT_EQ(D3D_OK, VexilSetFrameReaderDepth(dev_, 2, &granted));
  if (granted < 2) GTEST_SKIP() << "this GL reads frames synchronously";
  UseClipSpace();
  for (int i = 0; i < 2; ++i) {
    DrawFrame(dev_, i);
    dev_->Present(nullptr, nullptr, nullptr, nullptr);
  }
  EXPECT_TRUE(frames.pixels.empty());
  // Another depth: the frames in flight are handed over at once, in order.
  ASSERT_EQ(D3D_OK, VexilSetFrameReaderDepth(dev_, 1, &granted));
  EXPECT_EQ(2u, frames.pixels.size());
  DrawFrame(dev_, 2);
  dev_->Present(nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(2u, frames.pixels.size());
  // A new reader does not get the frames read for the last one.
  Frames other;
  ASSERT_EQ(D3D_OK, VexilSetFrameReader(dev_, Collect, &other));
  ASSERT_EQ(D3D_OK, VexilFlushFrameReader(dev_));
  EXPECT_TRUE(other.pixels.empty());
  EXPECT_EQ(2u, frames.pixels.size());
  VexilSetFrameReader(dev_, nullptr, nullptr);
}

// A device on a window of its own, smaller than the back buffer (as a 4K render on a small
// display): the frames handed over are the whole back buffer, not the window.
TEST(ReadbackRingWindowTest, ABackBufferLargerThanItsWindowIsReadWhole) {
  IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
  ASSERT_NE(nullptr, d3d);
  SDL_Window* window =
      SDL_CreateWindow("ring", 0, 0, 40, 30, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  ASSERT_NE(nullptr, window) << SDL_GetError();
  D3DPRESENT_PARAMETERS pp{};
  pp.BackBufferWidth = 640;
  pp.BackBufferHeight = 360;
  pp.BackBufferFormat = D3DFMT_X8R8G8B8;
  pp.BackBufferCount = 1;
  pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
  pp.Windowed = TRUE;
  pp.EnableAutoDepthStencil = TRUE;
  pp.AutoDepthStencilFormat = D3DFMT_D16;
  pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
  IDirect3DDevice9* dev = nullptr;
  ASSERT_EQ(D3D_OK, d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                      D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &dev));
  // Default transforms and states: the frames' clear colours alone set them apart.
  std::vector<std::vector<uint8_t>> expected;
  Frames frames;
  ASSERT_EQ(D3D_OK, VexilSetFrameReader(dev, Collect, &frames));
  ASSERT_EQ(D3D_OK, VexilSetFrameReaderDepth(dev, 2, nullptr));
  for (int i = 0; i < 4; ++i) {
    DrawFrame(dev, i);
    IDirect3DSurface9* back = nullptr;
    ASSERT_EQ(D3D_OK, dev->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back));
    std::vector<uint8_t> rgba;
    ASSERT_EQ(D3D_OK, VexilReadSurfaceRGBA(back, &rgba, nullptr, nullptr));
    back->Release();
    expected.push_back(rgba);
    ASSERT_EQ(D3D_OK, dev->Present(nullptr, nullptr, nullptr, nullptr));
  }
  ASSERT_EQ(D3D_OK, VexilFlushFrameReader(dev));
  VexilSetFrameReader(dev, nullptr, nullptr);
  EXPECT_EQ(640u, frames.width);
  EXPECT_EQ(360u, frames.height);
  ASSERT_EQ(expected.size(), frames.pixels.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_TRUE(expected[i] == frames.pixels[i]) << "frame " << i;
  }
  EXPECT_EQ(0u, dev->Release());
  SDL_DestroyWindow(window);
  EXPECT_EQ(0u, d3d->Release());
}

}  // namespace
