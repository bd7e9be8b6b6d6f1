// Draw calls through the null device: recording with the state in effect, the UP variants,
// and rejection of draws that would read past their buffers.
#include <cstring>

#include "null_fixture.h"

namespace {

struct Vertex142 {
  float x, y, z;
  DWORD color;
  float u, v;
};

class NullDrawTest : public NullDeviceTest {
 protected:
  void SetUp() override {
    NullDeviceTest::SetUp();
    ASSERT_EQ(D3D_OK, dev_->CreateVertexBuffer(4 * sizeof(Vertex142), D3DUSAGE_WRITEONLY, 0x142,
                                               D3DPOOL_MANAGED, &vb_, nullptr));
    ASSERT_EQ(D3D_OK, dev_->CreateIndexBuffer(6 * 2, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                                              D3DPOOL_MANAGED, &ib_, nullptr));
    WORD* idx = nullptr;
    ib_->Lock(0, 0, reinterpret_cast<void**>(&idx), 0);
    const WORD quad[6] = {0, 1, 2, 2, 1, 3};
    std::memcpy(idx, quad, sizeof quad);
    ib_->Unlock();
  }
  void TearDown() override {
    vb_->Release();
    ib_->Release();
    NullDeviceTest::TearDown();
  }
  IDirect3DVertexBuffer9* vb_ = nullptr;
  IDirect3DIndexBuffer9* ib_ = nullptr;
};

TEST_F(NullDrawTest, DrawsAreRecordedWithTheirState) {
  IDirect3DTexture9* tex = nullptr;
  dev_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex, nullptr);
  VexilNullClearRecordedCalls(dev_);
  dev_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff00ff00, 1.0f, 0);
  dev_->BeginScene();
  dev_->SetTexture(0, tex);
  dev_->SetFVF(0x142);
  dev_->SetStreamSource(0, vb_, 0, sizeof(Vertex142));
  EXPECT_EQ(D3D_OK, dev_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2));
  dev_->SetIndices(ib_);
  EXPECT_EQ(D3D_OK, dev_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2));
  dev_->EndScene();
  dev_->Present(nullptr, nullptr, nullptr, nullptr);

  const auto* calls = VexilNullRecordedCalls(dev_);
  ASSERT_NE(nullptr, calls);
  ASSERT_EQ(6u, calls->size());
  EXPECT_EQ(VEXIL_CALL_CLEAR, (*calls)[0].kind);
  EXPECT_EQ(0xff00ff00u, (*calls)[0].clearColor);
  EXPECT_EQ(DWORD(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER), (*calls)[0].clearFlags);
  EXPECT_EQ(VEXIL_CALL_BEGINSCENE, (*calls)[1].kind);
  const VexilRecordedCall& strip = (*calls)[2];
  EXPECT_EQ(VEXIL_CALL_DRAW, strip.kind);
  EXPECT_EQ(D3DPT_TRIANGLESTRIP, strip.primitiveType);
  EXPECT_EQ(2u, strip.primitiveCount);
  EXPECT_EQ(0x142u, strip.fvf);
  EXPECT_EQ(24u, strip.stride);
  EXPECT_EQ(vb_, strip.stream0);
  EXPECT_EQ(static_cast<IDirect3DBaseTexture9*>(tex), strip.texture0);
  EXPECT_EQ(320u, strip.viewport.Width);
  EXPECT_EQ(VEXIL_CALL_DRAWINDEXED, (*calls)[3].kind);
  EXPECT_EQ(ib_, (*calls)[3].indices);
  EXPECT_EQ(4u, (*calls)[3].numVertices);
  EXPECT_EQ(VEXIL_CALL_ENDSCENE, (*calls)[4].kind);
  EXPECT_EQ(VEXIL_CALL_PRESENT, (*calls)[5].kind);
  dev_->SetTexture(0, nullptr);
  tex->Release();
}

TEST_F(NullDrawTest, DrawsPastTheBuffersAreRejected) {
  dev_->SetFVF(0x142);
  dev_->SetStreamSource(0, vb_, 0, sizeof(Vertex142));
  dev_->SetIndices(ib_);
  VexilNullClearRecordedCalls(dev_);
  EXPECT_EQ(D3DERR_INVALIDCALL, dev_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 1, 2))
      << "vertex 4 does not exist";
  EXPECT_EQ(D3DERR_INVALIDCALL, dev_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2));
  EXPECT_EQ(D3DERR_INVALIDCALL, dev_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 3, 2))
      << "indices 3..8 run past the index buffer";
  EXPECT_EQ(D3DERR_INVALIDCALL, dev_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 1, 0, 4, 0, 2))
      << "base vertex 1 makes index 3 reach vertex 4";
  EXPECT_EQ(D3DERR_INVALIDCALL, dev_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, -1, 0, 4, 0, 2))
      << "index 0 with base -1 is below the buffer";
  dev_->SetStreamSource(0, vb_, 0, 12);
  EXPECT_EQ(D3DERR_INVALIDCALL, dev_->DrawPrimitive(D3DPT_POINTLIST, 0, 1))
      << "stride smaller than the vertex format";
  dev_->SetStreamSource(0, vb_, 0, sizeof(Vertex142));
  dev_->SetFVF(D3DFVF_XYZB2);
  EXPECT_EQ(D3DERR_INVALIDCALL, dev_->DrawPrimitive(D3DPT_POINTLIST, 0, 1))
      << "blend weights are not drawable";
  dev_->SetFVF(0x142);
  EXPECT_EQ(D3DERR_INVALIDCALL, dev_->DrawPrimitive(D3DPRIMITIVETYPE(7), 0, 1));
  EXPECT_EQ(D3D_OK, dev_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 0)) << "nothing to draw";
  EXPECT_TRUE(VexilNullRecordedCalls(dev_)->empty());
  EXPECT_EQ(D3D_OK, dev_->DrawPrimitive(D3DPT_POINTLIST, 0, 4));
  EXPECT_EQ(D3D_OK, dev_->DrawPrimitive(D3DPT_LINESTRIP, 0, 3));
  EXPECT_EQ(2u, VexilNullRecordedCalls(dev_)->size());
}

TEST_F(NullDrawTest, UserPointerDrawsUnbindStreamAndIndices) {
  const Vertex142 verts[3] = {};
  const WORD idx[3] = {0, 1, 2};
  dev_->SetFVF(0x142);
  dev_->SetStreamSource(0, vb_, 0, sizeof(Vertex142));
  dev_->SetIndices(ib_);
  EXPECT_EQ(D3D_OK, dev_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 3, 1, idx, D3DFMT_INDEX16,
                                                 verts, sizeof(Vertex142)));
  IDirect3DVertexBuffer9* stream = vb_;
  UINT offset = 1, stride = 1;
  dev_->GetStreamSource(0, &stream, &offset, &stride);
  EXPECT_EQ(nullptr, stream);
  IDirect3DIndexBuffer9* indices = ib_;
  dev_->GetIndices(&indices);
  EXPECT_EQ(nullptr, indices);
  const WORD bad[3] = {0, 1, 3};
  EXPECT_EQ(D3DERR_INVALIDCALL,
            dev_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 3, 1, bad, D3DFMT_INDEX16, verts,
                                         sizeof(Vertex142)))
      << "index 3 lies outside the vertices given";
  EXPECT_EQ(D3D_OK, dev_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, verts, sizeof(Vertex142)));
  EXPECT_TRUE(VexilNullRecordedCalls(dev_)->back().userPointer);
}

}  // namespace
