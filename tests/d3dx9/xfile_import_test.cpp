// .x import without a device: the generated cube must come back with the file's coordinates,
// UVs, winding and materials untouched, grouped by material, with closed adjacency; frame
// transforms apply in row-vector order; bad files fail with clear codes.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "d3dx9/d3dx9math.h"
#include "d3dx9/xfile_import.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace fs = std::filesystem;

namespace {

struct Vertex112 {
  D3DXVECTOR3 p, n;
  float u, v;
};

class XFileImportTest : public ::testing::Test {
 protected:
  // Runs the mesh generator with `args` (words split at spaces) into cube.x.
  std::string Generate(const std::string& args) {
    const std::string out = dir_ + "/cube.x";
    const vexil::test::RunResult run = vexil::test::RunProgram(
        vexil::test::BuiltProgram("vexil-xmeshgen"), vexil::test::Words(out + " " + args));
    EXPECT_EQ(0, run.status) << run.err;
    return out;
  }
  std::string Write(const std::string& name, const std::string& text) {
    const std::string path = dir_ + "/" + name;
    std::ofstream(path) << text;
    return path;
  }
  void CheckCube(const d3dx::MeshData& mesh);
  static Vertex112 VertexAt(const d3dx::MeshData& m, uint32_t i) {
    Vertex112 v;
    std::memcpy(&v, &m.vertices[static_cast<size_t>(i) * m.stride], sizeof v);
    return v;
  }

  vexil::test::ScratchDir scratch_;
  const std::string& dir_ = scratch_.path();
};

TEST_F(XFileImportTest, CubeKeepsLayoutCoordinatesAndMaterials) {
  for (const char* format : {"", "--binary"}) {
    SCOPED_TRACE(*format ? "binary .x" : "text .x");
    d3dx::MeshData mesh;
    std::string error;
    ASSERT_EQ(S_OK, d3dx::ImportXFile(
                        Generate(std::string("--offset 1 2 3 --texture wall.png ") + format), &mesh,
                        &error))
        << error;
    CheckCube(mesh);
  }
}

void XFileImportTest::CheckCube(const d3dx::MeshData& mesh) {
  EXPECT_EQ(static_cast<DWORD>(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1), mesh.fvf);
  ASSERT_EQ(32u, mesh.stride);
  EXPECT_EQ(24u, mesh.numVertices) << "4 corners for each of 6 faces";
  ASSERT_EQ(12u, mesh.attributes.size()) << "6 quads split into 12 triangles";
  ASSERT_EQ(2u, mesh.materials.size());

  const D3DMATERIAL9& m0 = mesh.materials[0].material;
  EXPECT_FLOAT_EQ(1.0f, m0.Diffuse.r);
  EXPECT_FLOAT_EQ(0.5f, m0.Diffuse.g);
  EXPECT_FLOAT_EQ(0.25f, m0.Diffuse.b);
  EXPECT_FLOAT_EQ(1.0f, m0.Diffuse.a);
  EXPECT_FLOAT_EQ(20.0f, m0.Power);
  EXPECT_FLOAT_EQ(0.8f, m0.Specular.g);
  EXPECT_FLOAT_EQ(0.1f, m0.Emissive.r);
  EXPECT_FLOAT_EQ(0.0f, m0.Ambient.r) << ".x materials have no ambient colour";
  EXPECT_EQ("wall.png", mesh.materials[0].textureFile);
  EXPECT_FLOAT_EQ(0.5f, mesh.materials[1].material.Diffuse.a) << "face colour alpha kept";
  EXPECT_FLOAT_EQ(0.2f, mesh.materials[1].material.Emissive.b);
  EXPECT_TRUE(mesh.materials[1].textureFile.empty());

  for (size_t f = 0; f < 12; ++f)
    EXPECT_EQ(f < 6 ? 0u : 1u, mesh.attributes[f]) << "faces grouped by material, face " << f;

  // The file's first vertex: (2, 3, 2) on the +x face with UV (0, 0). A right-handed reader
  // would give z = -2 and v = 1.
  bool found = false;
  for (uint32_t i = 0; i < mesh.numVertices; ++i) {
    const Vertex112 v = VertexAt(mesh, i);
    EXPECT_GE(v.p.z, 2.0f) << "z must not be negated";
    EXPECT_LE(v.p.z, 4.0f);
    if (v.p == D3DXVECTOR3(2, 3, 2) && v.n == D3DXVECTOR3(1, 0, 0)) {
      found = true;
      EXPECT_EQ(0.0f, v.u);
      EXPECT_EQ(0.0f, v.v) << "v must not be flipped";
    }
  }
  EXPECT_TRUE(found);

  // Direct3D front faces: (v1 - v0) x (v2 - v0) points out, along the stored normal.
  for (size_t f = 0; f < 12; ++f) {
    const Vertex112 a = VertexAt(mesh, mesh.indices[f * 3]);
    const Vertex112 b = VertexAt(mesh, mesh.indices[f * 3 + 1]);
    const Vertex112 c = VertexAt(mesh, mesh.indices[f * 3 + 2]);
    D3DXVECTOR3 e1 = b.p - a.p, e2 = c.p - a.p, cross;
    D3DXVec3Cross(&cross, &e1, &e2);
    EXPECT_GT(D3DXVec3Dot(&cross, &a.n), 0.0f) << "winding of face " << f;
  }
}

TEST_F(XFileImportTest, ClosedCubeHasFullSymmetricAdjacencyAndTwoRanges) {
  d3dx::MeshData mesh;
  std::string error;
  ASSERT_EQ(S_OK, d3dx::ImportXFile(Generate(""), &mesh, &error)) << error;
  const std::vector<DWORD> adj = d3dx::ComputeAdjacency(mesh);
  ASSERT_EQ(36u, adj.size());
  for (size_t f = 0; f < 12; ++f) {
    for (int e = 0; e < 3; ++e) {
      const DWORD other = adj[f * 3 + e];
      ASSERT_LT(other, 12u) << "split vertices at the cube's edges must not open it";
      EXPECT_NE(f, other);
      const DWORD* back = &adj[other * 3];
      EXPECT_TRUE(back[0] == f || back[1] == f || back[2] == f) << "symmetric";
    }
  }

  const auto table = d3dx::BuildAttributeTable(mesh.attributes, mesh.indices);
  ASSERT_EQ(2u, table.size());
  EXPECT_EQ(0u, table[0].AttribId);
  EXPECT_EQ(0u, table[0].FaceStart);
  EXPECT_EQ(6u, table[0].FaceCount);
  EXPECT_EQ(1u, table[1].AttribId);
  EXPECT_EQ(6u, table[1].FaceStart);
  EXPECT_EQ(6u, table[1].FaceCount);
  for (const auto& r : table) {
    for (DWORD f = r.FaceStart; f < r.FaceStart + r.FaceCount; ++f)
      for (int k = 0; k < 3; ++k) {
        EXPECT_GE(mesh.indices[f * 3 + k], r.VertexStart);
        EXPECT_LT(mesh.indices[f * 3 + k], r.VertexStart + r.VertexCount);
      }
  }
}

// The generator's torus knot, as the demo loads it: one textured material, a tube that closes
// on itself (no open edge where the rings or the points around meet again), faces turned out,
// and normals along the winding, or against it with --inward-normals.
TEST_F(XFileImportTest, TorusKnotIsAClosedTubeFacingOutwards) {
  for (const char* variant : {"", "--inward-normals", "--binary"}) {
    SCOPED_TRACE(*variant ? variant : "text, outward normals");
    d3dx::MeshData mesh;
    std::string error;
    ASSERT_EQ(S_OK, d3dx::ImportXFile(
                        Generate(std::string("--torus-knot 2 3 --texture knot.png ") + variant),
                        &mesh, &error))
        << error;
    EXPECT_EQ(257u * 17u, mesh.numVertices) << "256 rings and the first again, 16 points and one";
    ASSERT_EQ(256u * 16u * 2u, mesh.attributes.size());
    ASSERT_EQ(1u, mesh.materials.size());
    EXPECT_EQ("knot.png", mesh.materials[0].textureFile);

    float largest = 0.0f;
    for (uint32_t i = 0; i < mesh.numVertices; ++i) {
      const Vertex112 v = VertexAt(mesh, i);
      largest = std::max({largest, std::fabs(v.p.x), std::fabs(v.p.y), std::fabs(v.p.z)});
      EXPECT_NEAR(1.0f, D3DXVec3Length(&v.n), 1e-4f) << "unit normals, vertex " << i;
    }
    EXPECT_NEAR(25.0f, largest, 1e-3f) << "sized for the mesh viewer's k = 25 / 25 = 1";

    const float sense = std::string(variant) == "--inward-normals" ? -1.0f : 1.0f;
    for (size_t f = 0; f < mesh.attributes.size(); ++f) {
      const Vertex112 a = VertexAt(mesh, mesh.indices[f * 3]);
      const Vertex112 b = VertexAt(mesh, mesh.indices[f * 3 + 1]);
      const Vertex112 c = VertexAt(mesh, mesh.indices[f * 3 + 2]);
      D3DXVECTOR3 e1 = b.p - a.p, e2 = c.p - a.p, cross;
      D3DXVec3Cross(&cross, &e1, &e2);
      ASSERT_GT(sense * D3DXVec3Dot(&cross, &a.n), 0.0f) << "winding against normal, face " << f;
    }
    for (DWORD neighbour : d3dx::ComputeAdjacency(mesh)) {
      ASSERT_NE(0xFFFFFFFFu, neighbour) << "an open edge: the tube does not close";
    }
  }
}

TEST_F(XFileImportTest, FrameTransformsApplyInnerFirst) {
  const std::string path = Write("frames.x", R"(xof 0303txt 0032
Frame Outer {
 FrameTransformMatrix { 1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0,0.0,10.0,0.0,0.0,1.0;; }
 Frame Inner {
  FrameTransformMatrix { 2.0,0.0,0.0,0.0,0.0,2.0,0.0,0.0,0.0,0.0,2.0,0.0,0.0,0.0,0.0,1.0;; }
  Mesh Tri {
   3;
   0.0;0.0;1.0;,
   0.0;1.0;1.0;,
   1.0;0.0;1.0;;
   1;
   3;0,1,2;;
  }
 }
}
)");
  d3dx::MeshData mesh;
  std::string error;
  ASSERT_EQ(S_OK, d3dx::ImportXFile(path, &mesh, &error)) << error;
  EXPECT_EQ(static_cast<DWORD>(D3DFVF_XYZ), mesh.fvf) << "no normals or UVs in the file";
  ASSERT_EQ(3u, mesh.numVertices);
  ASSERT_EQ(1u, mesh.attributes.size());
  EXPECT_GE(mesh.materials.size(), 1u) << "a file without materials still gets one";
  D3DXVECTOR3 p[3];
  for (int i = 0; i < 3; ++i) std::memcpy(&p[i], &mesh.vertices[mesh.indices[i] * mesh.stride], 12);
  EXPECT_EQ(D3DXVECTOR3(10, 0, 2), p[0]) << "scaled by the inner frame, then moved";
  EXPECT_EQ(D3DXVECTOR3(10, 2, 2), p[1]);
  EXPECT_EQ(D3DXVECTOR3(12, 0, 2), p[2]);
}

TEST_F(XFileImportTest, MissingAndBrokenFilesFail) {
  d3dx::MeshData mesh;
  std::string error;
  EXPECT_EQ(D3DERR_NOTAVAILABLE, d3dx::ImportXFile(dir_ + "/none.x", &mesh, &error));
  EXPECT_EQ(D3DERR_NOTAVAILABLE, d3dx::ImportXFile(dir_, &mesh, &error)) << "a directory";
  EXPECT_EQ(D3DXERR_INVALIDDATA,
            d3dx::ImportXFile(Write("junk.x", "this is no mesh"), &mesh, &error));
  EXPECT_FALSE(error.empty());
  const HRESULT truncated = d3dx::ImportXFile(
      Write("cut.x", "xof 0303txt 0032\nMesh M {\n 3;\n 0.0;0.0;0.0;,\n"), &mesh, &error);
  EXPECT_TRUE(FAILED(truncated)) << "a truncated mesh is not a success";
}

TEST_F(XFileImportTest, MeshesSavedOnWindowsReadAsWithLineFeedsAndAscii) {
  const std::string lf =
      "xof 0303txt 0032\n"
      "Mesh {\n 3;\n 0.0;0.0;0.0;,\n 0.0;1.0;0.0;,\n 1.0;0.0;0.0;;\n 1;\n 3;0,1,2;;\n"
      " MeshTextureCoords {\n  3;\n  0.0;1.0;,\n  0.0;0.0;,\n  1.0;1.0;;\n }\n"
      " MeshMaterialList {\n  1;\n  1;\n  0;;\n  Material {\n   1.0;0.5;0.25;1.0;;\n   2.0;\n"
      "   0.0;0.0;0.0;;\n   0.0;0.0;0.0;;\n   TextureFilename {\n    \"TEX\\\\Tete.png\";\n"
      "   }\n  }\n }\n}\n";
  std::string windows;
  for (char c : lf) windows += c == '\n' ? std::string("\r\n") : std::string(1, c);
  windows.replace(windows.find("Tete"), 4, "T\xEAte");  // Windows-1252
  d3dx::MeshData a, b;
  std::string error;
  ASSERT_EQ(S_OK, d3dx::ImportXFileMemory(reinterpret_cast<const unsigned char*>(lf.data()),
                                          lf.size(), &a, &error))
      << error;
  ASSERT_EQ(S_OK, d3dx::ImportXFileMemory(reinterpret_cast<const unsigned char*>(windows.data()),
                                          windows.size(), &b, &error))
      << error;
  EXPECT_EQ(a.vertices, b.vertices);
  EXPECT_EQ(a.indices, b.indices);
  ASSERT_EQ(1u, b.materials.size());
  EXPECT_EQ(0.5f, b.materials[0].material.Diffuse.g);
  EXPECT_EQ("TEX\\\\T\xEAte.png", b.materials[0].textureFile)
      << "the name's bytes as written, for the file lookup";
}

}  // namespace
