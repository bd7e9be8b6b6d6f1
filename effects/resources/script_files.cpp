// Lookups of script-named files with the script's folder as their home.
#include "script_files.h"

#include "scenecore.h"

namespace effects {

const char kScriptFolderText[] = "the script's folder";

vexil::sys::FileLookup FindScriptFile(const CDataProvider* owner, const char* name) {
  const CWidgetManager* widgets = owner ? owner->GetWidgetManager() : nullptr;
  const std::string folder = widgets ? widgets->GetScriptFolder() : std::string();
  return vexil::sys::LookUpDemoFile(name ? name : "", {vexil::sys::FolderPrefix(folder)},
                                    kScriptFolderText);
}

void ReportFileLookup(const CDataProvider* owner, const std::string& subject,
                      const vexil::sys::FileLookup& lookup, const std::string& homesText) {
  const CWidgetManager* widgets = owner ? owner->GetWidgetManager() : nullptr;
  if (!widgets) return;
  const vexil::sys::FileLookupReport report =
      vexil::sys::DescribeFileLookup(subject, lookup, homesText);
  const std::string where = "line " + std::to_string(owner->GetScriptLine()) + ": ";
  if (!report.problem.empty()) widgets->Report(where + report.problem);
  if (!report.note.empty()) widgets->Report(where + "note: " + report.note);
}

void ReportUnusableFile(const CDataProvider* owner, const vexil::sys::FileLookup& lookup,
                        const std::string& problem) {
  if (lookup.found()) ReportForCheck(owner, problem);
}

void ReportForCheck(const CDataProvider* owner, const std::string& problem) {
  const CWidgetManager* widgets = owner ? owner->GetWidgetManager() : nullptr;
  if (!widgets) return;
  widgets->Report("line " + std::to_string(owner->GetScriptLine()) + ": " + problem);
}

}  // namespace effects
