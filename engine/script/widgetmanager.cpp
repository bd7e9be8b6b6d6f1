// Plug-in library loading, creation of objects by type name, and ordered shutdown.
#include "script/widgetmanager.h"

#include <strings.h>

#include <algorithm>
#include <cstring>

#include "params/dataprovider.h"
#include "system/dynlib.h"
#include "system/file_lookup.h"

namespace {

// Any object of this library will do: its address tells where libscenecore.so was loaded from.
const char kEngineAnchor = 0;

constexpr int32_t kMaxCatalogueEntries = 1 << 20;

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

std::vector<std::string> CWidgetManager::GetCandidates(const char* name,
                                                       const std::string& scriptFolder) {
  std::vector<std::string> candidates;
  if (!name || !*name) return candidates;
  const std::string given = name;
  // Scripts written on Windows separate folders with backslashes.
  std::string slashed = given;
  std::replace(slashed.begin(), slashed.end(), '\\', '/');
  const std::string::size_type slash = slashed.rfind('/');
  const bool bare = slash == std::string::npos;
  const std::string folder = bare ? std::string() : slashed.substr(0, slash + 1);
  const std::string base = bare ? slashed : slashed.substr(slash + 1);
  std::string file = given;
  if (EndsWithDll(base)) file = folder + "lib" + base.substr(0, base.size() - 4) + ".so";
  auto add = [&candidates](const std::string& candidate) {
    if (!candidate.empty() &&
        std::find(candidates.begin(), candidates.end(), candidate) == candidates.end()) {
      candidates.push_back(candidate);
    }
  };

  if (bare) {
    // The program's own libraries first, then what the demo ships beside its script; scripts
    // written for case-blind file systems may spell the name in any case.
    const std::string engine = GetEngineFolder();
    if (!engine.empty()) {
      add(engine + "/" + file);
      add(vexil::sys::DynLibFindIgnoringCase(engine, file));
    }
    if (!scriptFolder.empty()) add(vexil::sys::DynLibFindIgnoringCase(scriptFolder, file));
  }
  add(file);  // the loader's own search path for a bare name; the path itself otherwise
  if (!bare) {
    // A path in any letter case, as on the system the demo was made on.
    const vexil::sys::FileLookup lookup = vexil::sys::LookUpFile(file);
    if (lookup.kind == vexil::sys::FileKind::kRegular &&
        lookup.path.find('/') != std::string::npos) {
      add(lookup.path);
    }
  }
  // A file that really carries the name it was given (a plug-in named "x.dll") comes last.
  add(given);
  return candidates;
}

bool CWidgetManager::Load(const char* name) {
  m_lastError.clear();
  std::string errors;
  for (const std::string& candidate : GetCandidates(name, m_scriptFolder)) {
    void* module = vexil::sys::DynLibOpen(candidate.c_str());
    if (!module) {
      if (!errors.empty()) errors += "; ";
      errors += vexil::sys::DynLibLastError();
      continue;
    }
    auto create = reinterpret_cast<PFN_PLUGIN_CREATEINSTANCE>(
        vexil::sys::DynLibSymbol(module, "CreateInstance"));
    auto release =
        reinterpret_cast<PFN_PLUGIN_FREEINSTANCE>(vexil::sys::DynLibSymbol(module, "FreeInstance"));
    auto getName =
        reinterpret_cast<PFN_PLUGIN_GETNAME>(vexil::sys::DynLibSymbol(module, "GetName"));
    if (!create || !release || !getName) {
      // Not a plug-in: it takes no further part, so it need not stay mapped either.
      vexil::sys::DynLibClose(module);
      m_lastError = candidate +
                    ": not a plug-in library (needs GetName, CreateInstance and "
                    "FreeInstance)";
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
  m_lastError = errors.empty() ? std::string("no library name given") : errors;
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
