// ID3DXMesh on the null device: a generated cube loaded with D3DXLoadMeshFromXA, its
// buffers, bounding box (as the mesh viewer computes it), per-material draws and failures.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "d3dx9/d3dx9.h"
#include "null_device_fixture.h"
#include "support/run_program.h"

namespace {

class D3DXMeshTest : public D3DXNullDeviceTest {
 protected:
  std::string Cube(const std::string& args = "--offset 1 2 3") {
    const std::string out = File("cube.x");
    const vexil::test::RunResult run = vexil::test::RunProgram(
        vexil::test::BuiltProgram("vexil-xmeshgen"), vexil::test::Words(out + " " + args));
    EXPECT_EQ(0, run.status) << run.err;
    return out;
  }
  std::vector<VexilRecordedCall> Draws() {
    std::vector<VexilRecordedCall> draws;
    for (const auto& c : Calls())
      if (c.kind == VEXIL_CALL_DRAWINDEXED || c.kind == VEXIL_CALL_DRAW) draws.push_back(c);
    return draws;
  }
};

TEST_F(D3DXMeshTest, LoadsCubeWithMaterialsAndBuffers) {
  ID3DXMesh* mesh = nullptr;
  ID3DXBuffer* materials = nullptr;
  ID3DXBuffer* adjacency = nullptr;
  ID3DXBuffer* effects = nullptr;
  DWORD count = 0;
  ASSERT_EQ(D3D_OK, D3DXLoadMeshFromXA(Cube().c_str(), D3DXMESH_SYSTEMMEM, dev_, &adjacency,
                                       &materials, &effects, &count, &mesh));
  ASSERT_NE(nullptr, mesh);
  EXPECT_EQ(24u, mesh->GetNumVertices());
  EXPECT_EQ(12u, mesh->GetNumFaces());
  EXPECT_EQ(0x112u, mesh->GetFVF());
  EXPECT_EQ(32u, mesh->GetNumBytesPerVertex());
  EXPECT_EQ(static_cast<DWORD>(D3DXMESH_SYSTEMMEM), mesh->GetOptions());

  ASSERT_EQ(2u, count);
  ASSERT_GE(materials->GetBufferSize(), 2 * sizeof(D3DXMATERIAL));
  const auto* mats = static_cast<const D3DXMATERIAL*>(materials->GetBufferPointer());
  ASSERT_NE(nullptr, mats[0].pTextureFilename);
  EXPECT_STREQ("cube.png", mats[0].pTextureFilename);
  EXPECT_EQ(nullptr, mats[1].pTextureFilename) << "no texture name gives a null pointer";
  EXPECT_FLOAT_EQ(0.5f, mats[0].MatD3D.Diffuse.g);
  EXPECT_FLOAT_EQ(20.0f, mats[0].MatD3D.Power);
  EXPECT_EQ(36u * sizeof(DWORD), adjacency->GetBufferSize());
  EXPECT_EQ(2u * sizeof(D3DXEFFECTINSTANCE), effects->GetBufferSize());
  materials->Release();
  adjacency->Release();
  effects->Release();

  // The mesh viewer's size factor: bounding box over the locked vertices.
  void* data = nullptr;
  ASSERT_EQ(D3D_OK, mesh->LockVertexBuffer(D3DLOCK_READONLY, &data));
  D3DXVECTOR3 lo, hi;
  ASSERT_EQ(S_OK, D3DXComputeBoundingBox(static_cast<D3DXVECTOR3*>(data), mesh->GetNumVertices(),
                                         D3DXGetFVFVertexSize(mesh->GetFVF()), &lo, &hi));
  ASSERT_EQ(D3D_OK, mesh->UnlockVertexBuffer());
  EXPECT_EQ(D3DXVECTOR3(0, 1, 2), lo);
  EXPECT_EQ(D3DXVECTOR3(2, 3, 4), hi);

  IDirect3DIndexBuffer9* ib = nullptr;
  ASSERT_EQ(D3D_OK, mesh->GetIndexBuffer(&ib));
  D3DINDEXBUFFER_DESC desc;
  ASSERT_EQ(D3D_OK, ib->GetDesc(&desc));
  EXPECT_EQ(D3DFMT_INDEX16, desc.Format) << "small meshes use 16-bit indices";
  EXPECT_EQ(36u * 2, desc.Size);
  ib->Release();
  EXPECT_EQ(0u, mesh->Release());
}

TEST_F(D3DXMeshTest, DrawSubsetDrawsEachMaterialsFaces) {
  ID3DXMesh* mesh = nullptr;
  ASSERT_EQ(D3D_OK, D3DXLoadMeshFromXA(Cube().c_str(), D3DXMESH_MANAGED, dev_, nullptr, nullptr,
                                       nullptr, nullptr, &mesh));
  IDirect3DVertexBuffer9* vb = nullptr;
  ASSERT_EQ(D3D_OK, mesh->GetVertexBuffer(&vb));
  VexilNullClearRecordedCalls(dev_);
  ASSERT_EQ(D3D_OK, mesh->DrawSubset(0));
  ASSERT_EQ(D3D_OK, mesh->DrawSubset(1));
  ASSERT_EQ(D3D_OK, mesh->DrawSubset(7)) << "an unused attribute draws nothing";
  std::vector<VexilRecordedCall> draws = Draws();
  ASSERT_EQ(2u, draws.size());
  EXPECT_EQ(D3DPT_TRIANGLELIST, draws[0].primitiveType);
  EXPECT_EQ(6u, draws[0].primitiveCount);
  EXPECT_EQ(0u, draws[0].startIndex);
  EXPECT_EQ(6u, draws[1].primitiveCount);
  EXPECT_EQ(18u, draws[1].startIndex) << "material 1 starts after six faces";
  EXPECT_EQ(0x112u, draws[0].fvf);
  EXPECT_EQ(32u, draws[0].stride);
  EXPECT_EQ(vb, draws[0].stream0);
  for (const auto& d : draws) {
    EXPECT_LE(d.minVertexIndex + d.numVertices, 24u);
    EXPECT_GT(d.numVertices, 0u);
  }

  DWORD size = 0;
  ASSERT_EQ(D3D_OK, mesh->GetAttributeTable(nullptr, &size));
  EXPECT_EQ(2u, size);

  // Rewriting the attributes regroups the draws.
  DWORD* attributes = nullptr;
  ASSERT_EQ(D3D_OK, mesh->LockAttributeBuffer(0, &attributes));
  for (int i = 0; i < 12; ++i) attributes[i] = 1;
  ASSERT_EQ(D3D_OK, mesh->UnlockAttributeBuffer());
  VexilNullClearRecordedCalls(dev_);
  mesh->DrawSubset(0);
  mesh->DrawSubset(1);
  draws = Draws();
  ASSERT_EQ(1u, draws.size());
  EXPECT_EQ(12u, draws[0].primitiveCount);
  vb->Release();
  mesh->Release();
}

TEST_F(D3DXMeshTest, CreateMeshFVFGivesEmptyBuffersOfTheLayout) {
  ID3DXMesh* mesh = nullptr;
  ASSERT_EQ(D3D_OK,
            D3DXCreateMeshFVF(2, 70000, D3DXMESH_32BIT | D3DXMESH_MANAGED, 0x152, dev_, &mesh));
  EXPECT_EQ(36u, mesh->GetNumBytesPerVertex());
  IDirect3DIndexBuffer9* ib = nullptr;
  mesh->GetIndexBuffer(&ib);
  D3DINDEXBUFFER_DESC desc;
  ib->GetDesc(&desc);
  EXPECT_EQ(D3DFMT_INDEX32, desc.Format);
  ib->Release();
  mesh->Release();
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXCreateMeshFVF(2, 70000, 0, 0x152, dev_, &mesh))
      << "more than 65536 vertices need 32-bit indices";
  EXPECT_EQ(nullptr, mesh);
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXCreateMeshFVF(0, 3, 0, 0x152, dev_, &mesh));
}

TEST_F(D3DXMeshTest, FailuresLeaveEveryOutputNull) {
  ID3DXMesh* mesh = nullptr;
  ID3DXBuffer* materials = nullptr;
  DWORD count = 99;
  EXPECT_EQ(D3DERR_NOTAVAILABLE,
            D3DXLoadMeshFromXA(File("none.x").c_str(), D3DXMESH_SYSTEMMEM, dev_, nullptr,
                               &materials, nullptr, &count, &mesh));
  EXPECT_EQ(nullptr, mesh);
  EXPECT_EQ(nullptr, materials);
  EXPECT_EQ(0u, count);
  std::ofstream(File("junk.x")) << "xof 0303txt 0032\nGarbage {";
  EXPECT_TRUE(FAILED(D3DXLoadMeshFromXA(File("junk.x").c_str(), D3DXMESH_SYSTEMMEM, dev_, nullptr,
                                        &materials, nullptr, &count, &mesh)));
  EXPECT_EQ(nullptr, mesh);

  const std::string cube = Cube();
  ASSERT_EQ(D3D_OK, VexilNullFailNext(dev_, VEXIL_FAIL_CREATEINDEXBUFFER, 1));
  EXPECT_TRUE(FAILED(D3DXLoadMeshFromXA(cube.c_str(), D3DXMESH_SYSTEMMEM, dev_, nullptr, &materials,
                                        nullptr, &count, &mesh)))
      << "a device that cannot make the index buffer fails the load";
  EXPECT_EQ(nullptr, mesh);
  EXPECT_EQ(nullptr, materials);
}

}  // namespace
