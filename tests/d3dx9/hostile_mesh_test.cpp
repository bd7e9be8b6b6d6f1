// .x files as an attacker would make them: indices far out of range, frames nested hundreds of
// thousands deep, counts that lie, every single changed byte of a valid binary file. Each is
// refused with a reason (or loads as something sane); none crashes, hangs or allocates for
// what is not there.
#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "d3dx9/media_limits.h"
#include "d3dx9/xfile_import.h"
#include "d3dx9/xfile_mszip.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace {

const char kTriangle[] = R"(xof 0303txt 0032
Mesh Tri {
 3;
 0.0;0.0;0.0;,
 0.0;1.0;0.0;,
 1.0;0.0;0.0;;
 1;
 3;0,1,2;;
 MeshNormals {
  1;
  0.0;0.0;-1.0;;
  1;
  3;0,0,0;;
 }
}
)";

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  EXPECT_NE(std::string::npos, at) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

HRESULT Import(const std::string& bytes, std::string* error, d3dx::MeshData* mesh = nullptr) {
  d3dx::MeshData local;
  return d3dx::ImportXFileMemory(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                                 mesh ? mesh : &local, error);
}

std::string NestedFrames(int depth) {
  std::string text = "xof 0303txt 0032\n";
  text.reserve(text.size() + depth * 10 + 200);
  for (int i = 0; i < depth; ++i) text += "Frame F {\n";
  text += std::string(kTriangle).substr(17);
  for (int i = 0; i < depth; ++i) text += "}\n";
  return text;
}

TEST(HostileMeshes, BrokenFilesAreRefusedWithAReason) {
  struct Case {
    const char* name;
    std::string bytes;
    const char* reason;
  };
  const std::vector<Case> cases = {
      {"face index far out of range", Replace(kTriangle, "3;0,1,2;;", "3;0,1,2000000000;;"),
       "face 0 uses vertex 2000000000 of 3"},
      {"normal index far out of range in the normals",
       Replace(kTriangle, "3;0,0,0;;", "3;0,0,4000000000;;"), "uses normal 4000000000 of 1"},
      {"normals' faces differ from the faces", Replace(kTriangle, "3;0,0,0;;", "4;0,0,0,0;;"),
       "do not match"},
      {"vertex count past the limit", Replace(kTriangle, " 3;\n 0.0", " 4000000000;\n 0.0"),
       "4000000000 vertices is more than the limit of 4194304"},
      {"face count past the limit", Replace(kTriangle, " 1;\n 3;0,1,2", " 99999999;\n 3;0,1,2"),
       "99999999 faces is more than the limit"},
      {"vertex count larger than the data", Replace(kTriangle, " 3;\n 0.0", " 3000;\n 0.0"),
       "a number expected"},
      {"a polygon of four billion corners", Replace(kTriangle, "3;0,1,2;;", "4000000000;0,1,2;;"),
       "more than the limit of 4194304 triangles"},
      {"frames nested 300000 deep", NestedFrames(300000), "frames nested more than 256 deep"},
      {"a material reference to nothing",
       Replace(kTriangle, " MeshNormals {",
               " MeshMaterialList { 1; 1; 0;; { Nowhere } }\n MeshNormals {"),
       "no material named \"Nowhere\""},
      {"a material list naming more materials than it holds",
       Replace(kTriangle, " MeshNormals {", " MeshMaterialList { 5; 1; 0;; }\n MeshNormals {"),
       "names 5 materials and holds 0"},
      {"unterminated object", std::string(kTriangle).substr(0, 60), "number expected"},
      {"unterminated string",
       "xof 0303txt 0032\nMaterial M { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; "
       "TextureFilename { \"never ends",
       "string without its closing quote"},
      {"compressed, with no block", "xof 0303tzip0032\x10\x00\x00\x00", "cut short"},
      {"compressed, a block that does not inflate",
       std::string("xof 0303bzip0032\x40\x00\x00\x00\x10\x00\x10\x00"
                   "CK\xff\xff\xff",
                   29),
       "does not inflate"},
      {"no header", "Mesh {}", "not a .x file"},
      {"binary token out of the table", std::string("xof 0303bin 0032\x63\x00", 18),
       "unknown binary token 99"},
      {"binary name longer than the file",
       std::string("xof 0303bin 0032\x01\x00\xff\xff\xff\x7f", 22), "ends inside a token"},
      {"binary list longer than the file",
       std::string("xof 0303bin 0032\x01\x00\x04\x00\x00\x00Mesh\x0a\x00\x06\x00\xff\xff\xff\xff",
                   34),
       "ends inside a token"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string error;
    EXPECT_TRUE(FAILED(Import(c.bytes, &error)));
    EXPECT_NE(std::string::npos, error.find(c.reason)) << "error: " << error;
  }
}

TEST(HostileMeshes, UnknownObjectsNestedDeeplyAreSkippedWithoutRecursion) {
  // Animation data nested 300000 deep is skipped as a block; the mesh after it loads.
  std::string text = "xof 0303txt 0032\n";
  for (int i = 0; i < 300000; ++i) text += "Animation {";
  for (int i = 0; i < 300000; ++i) text += "}";
  text += std::string(kTriangle).substr(17);
  std::string error;
  d3dx::MeshData mesh;
  ASSERT_EQ(S_OK, Import(text, &error, &mesh)) << error;
  EXPECT_EQ(3u, mesh.numVertices);
  EXPECT_EQ(1u, mesh.attributes.size());
}

TEST(HostileMeshes, VerticesUsedWithTwoNormalsAreSplit) {
  // One quad as two triangles sharing an edge, each with its own face normal.
  const std::string text = R"(xof 0303txt 0032
Mesh Q {
 4; 0;0;0;, 0;1;0;, 1;1;0;, 1;0;0;;
 2; 3;0,1,2;, 3;0,2,3;;
 MeshNormals { 2; 0;0;-1;, 0;0;1;; 2; 3;0,0,0;, 3;1,1,1;; }
})";
  std::string error;
  d3dx::MeshData mesh;
  ASSERT_EQ(S_OK, Import(text, &error, &mesh)) << error;
  EXPECT_EQ(6u, mesh.numVertices) << "the file's 4, then copies of 0 and 2 for the second normal";
  ASSERT_EQ(6u, mesh.indices.size());
  EXPECT_EQ((std::vector<uint32_t>{0, 1, 2, 4, 5, 3}), mesh.indices);
}

// Every byte of a valid binary cube changed, one at a time, to a few values: each import ends
// in a mesh or an error, never in a crash (run under AddressSanitizer in CI).
TEST(HostileMeshes, EveryChangedByteOfABinaryFileIsSafe) {
  vexil::test::ScratchDir dir;
  const std::string path = dir.File("cube.x");
  ASSERT_EQ(0,
            vexil::test::RunProgram(vexil::test::BuiltProgram("vexil-xmeshgen"), {path, "--binary"})
                .status);
  const std::string original = vexil::test::ReadFile(path);
  ASSERT_GT(original.size(), 100u);
  int loaded = 0, refused = 0;
  for (size_t i = 16; i < original.size(); ++i) {
    for (unsigned char value : {0x00, 0x01, 0x07, 0x0b, 0x7f, 0xff}) {
      std::string changed = original;
      changed[i] = static_cast<char>(value);
      std::string error;
      d3dx::MeshData mesh;
      if (SUCCEEDED(Import(changed, &error, &mesh))) {
        ++loaded;
        for (uint32_t index : mesh.indices) ASSERT_LT(index, mesh.numVertices);
        for (DWORD a : mesh.attributes) ASSERT_LT(a, mesh.materials.size());
      } else {
        ++refused;
        EXPECT_FALSE(error.empty());
      }
    }
  }
  EXPECT_GT(loaded, 0);
  EXPECT_GT(refused, 0);
}

// MSZIP as the DirectX writer makes it: blocks of at most 32 KB, each deflated with the output
// before it as dictionary.
std::string Compress(const std::string& file) {
  std::string out = file.substr(0, 16);
  out.replace(8, 4, file.compare(8, 4, "txt ") == 0 ? "tzip" : "bzip");
  const uint32_t total = static_cast<uint32_t>(file.size());
  out.append(reinterpret_cast<const char*>(&total), 4);
  const std::string payload = file.substr(16);
  for (size_t at = 0; at < payload.size(); at += 32768) {
    const std::string chunk = payload.substr(at, 32768);
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    if (at > 0) {
      const size_t history = std::min<size_t>(at, 32768);
      deflateSetDictionary(&z, reinterpret_cast<const Bytef*>(payload.data() + at - history),
                           static_cast<uInt>(history));
    }
    std::string packed(deflateBound(&z, chunk.size()), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(chunk.data()));
    z.avail_in = static_cast<uInt>(chunk.size());
    z.next_out = reinterpret_cast<Bytef*>(packed.data());
    z.avail_out = static_cast<uInt>(packed.size());
    deflate(&z, Z_FINISH);
    packed.resize(packed.size() - z.avail_out);
    deflateEnd(&z);
    const uint16_t sizes[2] = {static_cast<uint16_t>(chunk.size()),
                               static_cast<uint16_t>(packed.size() + 2)};
    out.append(reinterpret_cast<const char*>(sizes), 4);
    out += "CK" + packed;
  }
  return out;
}

TEST(HostileMeshes, CompressedFilesLoadAsTheirUncompressedForm) {
  // Many meshes, so that the text runs over several 32 KB blocks.
  std::string text = "xof 0303txt 0032\n";
  while (text.size() < 100000) text += std::string(kTriangle).substr(17);
  std::string error;
  d3dx::MeshData plain, packed;
  ASSERT_EQ(S_OK, Import(text, &error, &plain)) << error;
  ASSERT_EQ(S_OK, Import(Compress(text), &error, &packed)) << error;
  EXPECT_EQ(plain.numVertices, packed.numVertices);
  EXPECT_EQ(plain.vertices, packed.vertices);
  EXPECT_EQ(plain.indices, packed.indices);

  // The uncompressed size is bounded: a small file cannot expand without end.
  const std::string bomb = Compress("xof 0303txt 0032" + std::string(200000, ' '));
  std::vector<unsigned char> out;
  EXPECT_FALSE(d3dx::InflateXFile(reinterpret_cast<const unsigned char*>(bomb.data()), bomb.size(),
                                  100000, &out, &error));
  EXPECT_NE(std::string::npos, error.find("more than the limit of 100000 bytes")) << error;
}

TEST(HostileMeshes, PathsThatAreNotFilesAreRefused) {
  for (const char* path : {"/dev/zero", "/dev/urandom", "/tmp"}) {
    SCOPED_TRACE(path);
    d3dx::MeshData mesh;
    std::string error;
    EXPECT_EQ(D3DERR_NOTAVAILABLE, d3dx::ImportXFile(path, &mesh, &error));
    EXPECT_NE(std::string::npos, error.find("not a regular file")) << error;
  }
}

}  // namespace
