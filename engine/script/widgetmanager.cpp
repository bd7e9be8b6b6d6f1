// Plug-in library loading, creation of objects by type name, and ordered shutdown.
#include "script/widgetmanager.h"

#include <strings.h>

#include <algorithm>
#include <cstring>

#include "params/dataprovider.h"
#include "system/dynlib.h"

namespace {

// Any object of this library will do: its address tells where libscenecore.so was loaded from.
const char kEngineAnchor = 0;

constexpr int32_t kMaxCatalogueEntries = 1 << 20;
// Every object a script names walks the catalogues of all libraries: a script that loads a
// library many thousands of times would make building it take hours.
constexpr int kMaxLibraries = 64;

bool EndsWithDll(const std::string& text) {
  return text.size() > 4 && strcasecmp(text.c_str() + text.size() - 4, ".dll") == 0;
}

std::string Quote(const char* text) {
  return std::string("\"") + (text ? text : "") + "\"";
}

std::string KindName(uint8_t kind) {
  switch (kind) {
    case PLUGIN_KIND_MODULE:
      return "module";
    case PLUGIN_KIND_PARAM:
      return "parameter";
    case PLUGIN_KIND_RESOURCE:
      return "resource";
  }
  return "kind " + std::to_string(kind) + " object";
}

}  // namespace

CWidgetManager::CWidgetManager() = default;

CWidgetManager::~CWidgetManager() {
  // Every object goes before any library is unloaded: its code lives in the library.
  for (const auto& entry : m_objects) {
    CPluginLibrary* library = entry.first;
    CDataProvider* object = entry.second;
    object->Free();
    library->free(object);
  }
  m_objects.Clear();
  for (CPluginLibrary* library : m_libraries) {
    vexil::sys::DynLibClose(library->module);
    delete library;
  }
  m_libraries.Clear();
}

std::string CWidgetManager::GetEngineFolder() {
  return vexil::sys::DynLibFolderOf(&kEngineAnchor);
}

std::string CWidgetManager::RefuseName(const char* name) {
  if (!name || !*name) return "no library name given";
  const std::string given = name;
  if (given.find_first_of("/\\") != std::string::npos || given.find("..") != std::string::npos) {
    return "library " + Quote(name) +
           " is refused: a script names a library by its file name alone (no folder, no \"..\"), "
           "and it is loaded only from the program's library folder or the script's folder";
  }
  return {};
}

std::vector<std::string> CWidgetManager::GetCandidates(const char* name,
                                                       const std::string& scriptFolder) {
  std::vector<std::string> candidates;
  if (!RefuseName(name).empty()) return candidates;
  const std::string given = name;
  const std::string file =
      EndsWithDll(given) ? "lib" + given.substr(0, given.size() - 4) + ".so" : given;
  auto add = [&candidates](const std::string& candidate) {
    if (!candidate.empty() &&
        std::find(candidates.begin(), candidates.end(), candidate) == candidates.end()) {
      candidates.push_back(candidate);
    }
  };
  // The program's own libraries first, then what the demo ships beside its script; scripts
  // written for case-blind file systems may spell the name in any case (the name as written
  // wins). A file that really carries the name it was given (a plug-in named "x.dll") comes
  // after the mapped name. Only files that exist are candidates.
  const std::string engine = GetEngineFolder();
  for (const std::string& wanted : {file, given}) {
    if (!engine.empty()) add(vexil::sys::DynLibFindIgnoringCase(engine, wanted));
    if (!scriptFolder.empty()) add(vexil::sys::DynLibFindIgnoringCase(scriptFolder, wanted));
  }
  return candidates;
}

bool CWidgetManager::Load(const char* name) {
  m_lastError = RefuseName(name);
  m_lastRefused = !m_lastError.empty() && name && *name;
  if (!m_lastError.empty()) return false;
  if (m_libraries.GetCount() >= kMaxLibraries) {
    m_lastError = "library " + Quote(name) + " is refused: " + std::to_string(kMaxLibraries) +
                  " libraries, the limit, are loaded already";
    m_lastRefused = true;
    return false;
  }
  for (const std::string& candidate : GetCandidates(name, m_scriptFolder)) {
    // Only a plug-in is loaded: the file's own symbol table must define the three exports
    // before the loader runs any of its code (a foreign library's initialisers never run).
    std::string why;
    if (!vexil::sys::DynLibDefinesFunctions(candidate,
                                            {"GetName", "CreateInstance", "FreeInstance"}, &why)) {
      m_lastError = candidate + ": not a plug-in library: " + why;
      m_lastRefused = true;
      return false;
    }
    void* module = vexil::sys::DynLibOpen(candidate.c_str());
    if (!module) {
      m_lastError = vexil::sys::DynLibLastError();
      return false;
    }
    auto create = reinterpret_cast<PFN_PLUGIN_CREATEINSTANCE>(
        vexil::sys::DynLibSymbol(module, "CreateInstance"));
    auto release =
        reinterpret_cast<PFN_PLUGIN_FREEINSTANCE>(vexil::sys::DynLibSymbol(module, "FreeInstance"));
    auto getName =
        reinterpret_cast<PFN_PLUGIN_GETNAME>(vexil::sys::DynLibSymbol(module, "GetName"));
    if (!create || !release || !getName) {
      // Its table said otherwise; it takes no further part, so it need not stay mapped either.
      vexil::sys::DynLibClose(module);
      m_lastError = candidate +
                    ": not a plug-in library (needs GetName, CreateInstance and "
                    "FreeInstance)";
      m_lastRefused = true;
      return false;
    }
    auto* library = new CPluginLibrary;
    library->create = create;
    library->free = release;
    library->getName = getName;
    library->module = module;
    library->path = candidate;
    m_libraries.Append(library);
    return true;
  }
  m_lastError = "no library " + Quote(name) + " in the program's library folder" +
                (m_scriptFolder.empty() ? std::string() : " or the script's folder");
  return false;
}

CDataProvider* CWidgetManager::CreateInstance(const char* type, uint8_t kind) {
  m_createError.clear();
  if (!type) {
    m_createError = "no type given";
    return nullptr;
  }
  for (CPluginLibrary* library : m_libraries) {
    char entry[PLUGIN_NAME_SIZE];
    uint8_t entryKind = 0;
    // A catalogue ends at its first false answer; the bound only stops a broken library
    // that never says false from hanging the player.
    for (int32_t index = 0; index < kMaxCatalogueEntries; ++index) {
      entry[0] = '\0';
      if (!library->getName(index, entry, &entryKind)) break;
      entry[PLUGIN_NAME_SIZE - 1] = '\0';  // a name of 260 characters or more stops here
      if (strcasecmp(entry, type) != 0) continue;
      // The first entry of that name decides. An entry of another kind would hand the
      // caller an object it cannot use (a module where a parameter is expected).
      if (entryKind != kind) {
        m_createError = Quote(type) + " is a " + KindName(entryKind) + " type, not a " +
                        KindName(kind) + " type";
        return nullptr;
      }
      CDataProvider* object = library->create(type, entryKind);
      if (!object) {
        m_createError = "the library that lists " + Quote(type) + " does not make it";
        return nullptr;
      }
      object->SetWidgetManager(this);
      m_objects.Append(library, object);
      return object;
    }
  }
  m_createError =
      "unknown " + KindName(kind) + " type " + Quote(type) + ": no loaded library offers it";
  return nullptr;
}
