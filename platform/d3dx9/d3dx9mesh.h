// D3DX meshes: ID3DXMesh (vertex, index and attribute buffers with an attribute table,
// drawn per material with DrawSubset) and loading from DirectX .x files (text or binary).
#pragma once

#include "d3d9/d3d9.h"
#include "d3dx9/d3dx9buffer.h"
#include "d3dx9/d3dx9err.h"

// Creation options. The pool bits are accepted and behave alike; D3DXMESH_32BIT selects
// 32-bit indices (loading picks them by itself when a mesh has more than 65535 vertices).
#define D3DXMESH_32BIT 0x001
#define D3DXMESH_DONOTCLIP 0x002
#define D3DXMESH_POINTS 0x004
#define D3DXMESH_RTPATCHES 0x008
#define D3DXMESH_NPATCHES 0x4000
#define D3DXMESH_VB_SYSTEMMEM 0x010
#define D3DXMESH_VB_MANAGED 0x020
#define D3DXMESH_VB_WRITEONLY 0x040
#define D3DXMESH_VB_DYNAMIC 0x080
#define D3DXMESH_VB_SOFTWAREPROCESSING 0x8000
#define D3DXMESH_IB_SYSTEMMEM 0x100
#define D3DXMESH_IB_MANAGED 0x200
#define D3DXMESH_IB_WRITEONLY 0x400
#define D3DXMESH_IB_DYNAMIC 0x800
#define D3DXMESH_IB_SOFTWAREPROCESSING 0x10000
#define D3DXMESH_VB_SHARE 0x1000
#define D3DXMESH_USEHWONLY 0x2000
#define D3DXMESH_SYSTEMMEM 0x110
#define D3DXMESH_MANAGED 0x220
#define D3DXMESH_WRITEONLY 0x440
#define D3DXMESH_DYNAMIC 0x880
#define D3DXMESH_SOFTWAREPROCESSING 0x18000

// A material as a .x file gives it; pTextureFilename is null when the material names none.
// The strings live inside the same ID3DXBuffer as the array.
struct D3DXMATERIAL {
  D3DMATERIAL9 MatD3D;
  LPSTR pTextureFilename;
};

enum D3DXEFFECTDEFAULTTYPE {
  D3DXEDT_STRING = 1,
  D3DXEDT_FLOATS = 2,
  D3DXEDT_DWORD = 3,
  D3DXEDT_FORCEDWORD = 0x7fffffff
};

struct D3DXEFFECTDEFAULT {
  LPSTR pParamName;
  D3DXEFFECTDEFAULTTYPE Type;
  DWORD NumBytes;
  LPVOID pValue;
};

// .x files loaded here carry no effect instances: each material gets an empty one.
struct D3DXEFFECTINSTANCE {
  LPSTR pEffectFilename;
  DWORD NumDefaults;
  D3DXEFFECTDEFAULT* pDefaults;
};

// Faces [FaceStart, FaceStart + FaceCount) use material AttribId and touch only vertices
// [VertexStart, VertexStart + VertexCount).
struct D3DXATTRIBUTERANGE {
  DWORD AttribId;
  DWORD FaceStart;
  DWORD FaceCount;
  DWORD VertexStart;
  DWORD VertexCount;
};

class ID3DXBaseMesh : public IUnknown {
 public:
  // Draws the faces whose attribute is attribId as an indexed triangle list, with the
  // mesh's FVF, stream 0 and index buffer set on the device (left set afterwards, as D3DX).
  virtual HRESULT DrawSubset(DWORD attribId) = 0;
  virtual DWORD GetNumFaces() = 0;
  virtual DWORD GetNumVertices() = 0;
  virtual DWORD GetFVF() = 0;
  virtual DWORD GetNumBytesPerVertex() = 0;
  virtual DWORD GetOptions() = 0;
  virtual HRESULT GetDevice(IDirect3DDevice9** ppDevice) = 0;
  virtual HRESULT GetVertexBuffer(IDirect3DVertexBuffer9** ppVB) = 0;
  virtual HRESULT GetIndexBuffer(IDirect3DIndexBuffer9** ppIB) = 0;
  virtual HRESULT LockVertexBuffer(DWORD flags, LPVOID* ppData) = 0;
  virtual HRESULT UnlockVertexBuffer() = 0;
  virtual HRESULT LockIndexBuffer(DWORD flags, LPVOID* ppData) = 0;
  virtual HRESULT UnlockIndexBuffer() = 0;
  // With a null table, *pAttribTableSize receives the number of entries.
  virtual HRESULT GetAttributeTable(D3DXATTRIBUTERANGE* pAttribTable, DWORD* pAttribTableSize) = 0;
};

class ID3DXMesh : public ID3DXBaseMesh {
 public:
  // One attribute (material index) per face. Unlocking rebuilds the attribute table.
  virtual HRESULT LockAttributeBuffer(DWORD flags, DWORD** ppData) = 0;
  virtual HRESULT UnlockAttributeBuffer() = 0;
};

typedef ID3DXBaseMesh* LPD3DXBASEMESH;
typedef ID3DXMesh* LPD3DXMESH;

// An empty mesh (zeroed vertices, indices and attributes) of the given layout.
HRESULT D3DXCreateMeshFVF(DWORD numFaces, DWORD numVertices, DWORD options, DWORD fvf,
                          IDirect3DDevice9* pDevice, ID3DXMesh** ppMesh);

// Loads every mesh of a .x file into one ID3DXMesh: frame transforms applied, polygons
// split into fans, coordinates, UVs and winding exactly as stored (left-handed, v down).
// The FVF holds position plus whatever the file gives (normals, vertex colours, one UV set).
// Each optional out-buffer: adjacency (3 DWORDs per face, 0xFFFFFFFF for an open edge),
// materials (D3DXMATERIAL array; a grey default when the file has none), effect instances.
// A missing file gives D3DERR_NOTAVAILABLE, an unreadable one D3DXERR_INVALIDDATA.
HRESULT D3DXLoadMeshFromXA(LPCSTR pFilename, DWORD options, IDirect3DDevice9* pDevice,
                           ID3DXBuffer** ppAdjacency, ID3DXBuffer** ppMaterials,
                           ID3DXBuffer** ppEffectInstances, DWORD* pNumMaterials,
                           ID3DXMesh** ppMesh);

#define D3DXLoadMeshFromX D3DXLoadMeshFromXA
