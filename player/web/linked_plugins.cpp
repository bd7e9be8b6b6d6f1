// The plug-in libraries linked into the browser player, registered under the file names the
// engine looks for ("scenecore.dll" and "effectpack.dll" in a script map to these).
#include <cstdint>

#include "system/dynlib.h"

class CDataProvider;

extern "C" {
bool scenecore_GetName(int32_t index, char* name, uint8_t* kind);
CDataProvider* scenecore_CreateInstance(const char* name, uint8_t kind);
void scenecore_FreeInstance(CDataProvider* object);
bool effectpack_GetName(int32_t index, char* name, uint8_t* kind);
CDataProvider* effectpack_CreateInstance(const char* name, uint8_t kind);
void effectpack_FreeInstance(CDataProvider* object);
}

namespace {

template <typename Function>
void* Address(Function* function) {
  return reinterpret_cast<void*>(function);
}

[[maybe_unused]] const bool kRegistered = [] {
  vexil::sys::RegisterLinkedLibrary("libscenecore.so",
                                    {{"GetName", Address(scenecore_GetName)},
                                     {"CreateInstance", Address(scenecore_CreateInstance)},
                                     {"FreeInstance", Address(scenecore_FreeInstance)}});
  vexil::sys::RegisterLinkedLibrary("libeffectpack.so",
                                    {{"GetName", Address(effectpack_GetName)},
                                     {"CreateInstance", Address(effectpack_CreateInstance)},
                                     {"FreeInstance", Address(effectpack_FreeInstance)}});
  return true;
}();

}  // namespace
