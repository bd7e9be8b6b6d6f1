// Writes a mesh of vexil-xmeshgen as a DirectX .x file: text ("xof 0303txt 0032") or binary
// ("xof 0303bin 0032"), with materials, one frame, normals, texture coordinates and the
// material list.
#pragma once

#include <cstdio>

#include "mesh.h"

namespace xmeshgen {

bool WriteText(FILE* f, const Mesh& mesh);
bool WriteBinary(FILE* f, const Mesh& mesh);

}  // namespace xmeshgen
