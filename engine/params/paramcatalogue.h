// The catalogue of parameter types that the engine core library serves through the plug-in
// protocol (all of kind 1). The library's GetName/CreateInstance/FreeInstance forward here.
#pragma once

#include <cstdint>

class CDataProvider;

// Number of entries; indexes run from 0 to ParamCatalogueCount() - 1.
int32_t ParamCatalogueCount();
// Writes entry `index`'s type name (at most 12 characters plus terminator) and kind 1;
// false, with nothing written, outside the table.
bool ParamCatalogueGetName(int32_t index, char* name, uint8_t* kind);
// A new parameter of the named type (any case), or null for another kind or an unknown name.
CDataProvider* ParamCatalogueCreate(const char* name, uint8_t kind);
// Destroys an object made by ParamCatalogueCreate; null is ignored.
void ParamCatalogueFree(CDataProvider* object);
