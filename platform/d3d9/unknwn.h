// The reference-counted base of every Direct3D and D3DX object: AddRef and Release as in
// COM. Objects are destroyed by their last Release, never by delete from outside.
#pragma once

#include "d3d9/windef.h"

class IUnknown {
 public:
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  virtual ~IUnknown() = default;
};

#define SAFE_RELEASE(p) \
  do {                  \
    if (p) {            \
      (p)->Release();   \
      (p) = nullptr;    \
    }                   \
  } while (0)
