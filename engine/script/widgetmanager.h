// CWidgetManager: loads plug-in libraries, creates objects by type name through them and
// owns both. Objects are freed in creation order before any library is unloaded.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "params/synccontext.h"
#include "script/linkedlist.h"
#include "script/plugin.h"
#include "script/script_finding.h"

class CDataProvider;

// One loaded plug-in library with its three entry points.
struct CPluginLibrary {
  PFN_PLUGIN_CREATEINSTANCE create = nullptr;
  PFN_PLUGIN_FREEINSTANCE free = nullptr;
  PFN_PLUGIN_GETNAME getName = nullptr;
  void* module = nullptr;  // platform loader handle
  std::string path;        // the file the loader opened
};

class CWidgetManager {
 public:
  CWidgetManager();
  virtual ~CWidgetManager();
  CWidgetManager(const CWidgetManager&) = delete;
  CWidgetManager& operator=(const CWidgetManager&) = delete;

  // Loads a plug-in library and enters it after those already loaded. Scripts name
  // libraries the Windows way: "NAME.dll" (any case of the extension) means "libNAME.so".
  // A name is a file name alone: it is looked for in the folder that holds the engine core
  // library, then in the script's folder (both without regard to letter case), and nowhere
  // else; a name with a folder or ".." in it is refused. The file's symbol table must define
  // the three exports before it is loaded, so a library that is no plug-in never runs any of
  // its code. At most 64 libraries are loaded (scenecore counts). False, with the reason in
  // GetLastError, when no candidate loads.
  bool Load(const char* name);

  // The folder of the script being played, searched after the engine's folder; "" for none.
  void SetScriptFolder(const std::string& folder) { m_scriptFolder = folder; }
  // Also where the files named by an absolute Windows path are looked for ("" for none).
  const std::string& GetScriptFolder() const { return m_scriptFolder; }

  // Creates an object of the named type (compared without regard to case) through the
  // first loaded library whose catalogue lists the name; the lowest index wins within a
  // library. Null when no catalogue lists it, when the listed entry is of another kind
  // than `kind`, or when the library makes nothing. The manager owns the new object.
  CDataProvider* CreateInstance(const char* type, uint8_t kind);

  int GetLibraryCount() const { return m_libraries.GetCount(); }
  const CPluginLibrary* GetLibrary(int index) const { return m_libraries.Get(index); }
  int GetObjectCount() const { return m_objects.GetCount(); }
  // Why the most recent Load failed ("" after a success).
  const std::string& GetLastError() const { return m_lastError; }
  // True when the most recent Load failed because the name or the file was refused (a folder
  // in the name, a file that is no plug-in), not because no such library exists.
  bool LastLoadRefused() const { return m_lastRefused; }
  // Why the most recent CreateInstance made nothing ("" after a success).
  const std::string& GetCreateError() const { return m_createError; }

  // Script checking: the reporter receives, with its script line, everything the engine skips
  // silently while a script is read (objects whose type cannot be made, values no object has,
  // parameters that do not fit, keys out of time order, resource names that cannot be found,
  // modules that never play). Without a reporter nothing is said.
  using Reporter = std::function<void(const CScriptFinding& finding)>;
  void SetReporter(Reporter reporter) { m_reporter = std::move(reporter); }
  void Report(const CScriptFinding& finding) const {
    if (m_reporter) m_reporter(finding);
  }
  void Report(int line, const std::string& text) const {
    Report(CScriptFinding{line, EFindingSeverity::Finding, text});
  }
  void Note(int line, const std::string& text) const {
    Report(CScriptFinding{line, EFindingSeverity::Note, text});
  }
  bool IsReporting() const { return static_cast<bool>(m_reporter); }

  // The demo's tempo and sync tracks, which parameters made through this manager read.
  CSyncContext& GetSync() { return m_sync; }
  const CSyncContext& GetSync() const { return m_sync; }

  // Folder of the engine core library (where the plug-ins shipped with it live).
  static std::string GetEngineFolder();
  // File names Load tries for `name`, in order, with `scriptFolder` as the script's folder;
  // none for a name that is refused.
  static std::vector<std::string> GetCandidates(const char* name,
                                                const std::string& scriptFolder = "");
  // Why a library name is refused whatever the files (empty, a folder in it, ".."); "" when
  // it may be looked for.
  static std::string RefuseName(const char* name);

 private:
  CLinkedList<CPluginLibrary> m_libraries;
  CLinkedPairList<CPluginLibrary, CDataProvider> m_objects;
  std::string m_lastError;
  bool m_lastRefused = false;
  std::string m_createError;
  std::string m_scriptFolder;
  Reporter m_reporter;
  CSyncContext m_sync;
};
