// The plug-in protocol: every plug-in library exports GetName, CreateInstance and
// FreeInstance with these signatures and offers objects of three kinds.
#pragma once

#include <cstdint>

class CDataProvider;

// Kind of a catalogue entry (one byte).
enum : uint8_t {
  PLUGIN_KIND_MODULE = 0,
  PLUGIN_KIND_PARAM = 1,
  PLUGIN_KIND_RESOURCE = 2,
};

// Size of the name buffer a caller hands to GetName: names have at most 259 characters.
constexpr int PLUGIN_NAME_SIZE = 260;

// bool GetName(index, name buffer of PLUGIN_NAME_SIZE chars, kind): true when `index` names
// an entry; then its type name and kind are written.
typedef bool (*PFN_PLUGIN_GETNAME)(int32_t index, char* name, uint8_t* kind);
// New object of the named type and kind, or null when the library offers no such entry.
typedef CDataProvider* (*PFN_PLUGIN_CREATEINSTANCE)(const char* name, uint8_t kind);
// Destroys an object made by the same library's CreateInstance; null is ignored.
typedef void (*PFN_PLUGIN_FREEINSTANCE)(CDataProvider* object);

// Marks the three exports of a plug-in library: plain C names, visible outside the library.
#define VEXIL_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))

// A program that links its plug-in libraries in (the browser build: no dynamic loader) needs
// each library's three exports under names of their own. There the library's sources are
// compiled with VEXIL_LINKED_PLUGIN set to its name, and its exports' declarations, marked
// with this, link as "<name>_GetName" and so on; elsewhere the names stay plain.
#ifdef VEXIL_LINKED_PLUGIN
#define VEXIL_PLUGIN_STRING_(text) #text
#define VEXIL_PLUGIN_STRING(text) VEXIL_PLUGIN_STRING_(text)
#define VEXIL_PLUGIN_LINK_NAME(function) \
  __asm__(VEXIL_PLUGIN_STRING(VEXIL_LINKED_PLUGIN) "_" #function)
#else
#define VEXIL_PLUGIN_LINK_NAME(function)
#endif
