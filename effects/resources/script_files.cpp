// Lookups of script-named files with the script's folder as their home.
#include "script_files.h"

#include "scenecore.h"

namespace effects {

const char kScriptFolderText[] = "the script's folder";

std::string ScriptFolderOf(const CDataProvider* owner) {
  const CWidgetManager* widgets = owner ? owner->GetWidgetManager() : nullptr;
  return vexil::sys::FolderPrefix(widgets ? widgets->GetScriptFolder() : std::string());
}

vexil::sys::FileLookup FindScriptFile(const CDataProvider* owner, const char* name) {
  const std::string home = ScriptFolderOf(owner);
  return vexil::sys::LookUpDemoFile(name ? name : "", {home}, kScriptFolderText, home);
}

void ReportFileLookup(const CDataProvider* owner, const std::string& subject,
                      const vexil::sys::FileLookup& lookup, const std::string& homesText) {
  const CWidgetManager* widgets = owner ? owner->GetWidgetManager() : nullptr;
  if (!widgets) return;
  const vexil::sys::FileLookupReport report =
      vexil::sys::DescribeFileLookup(subject, lookup, homesText);
  const int line = owner->GetScriptLine();
  if (!report.problem.empty()) widgets->Report(line, report.problem);
  if (!report.note.empty()) widgets->Note(line, report.note);
}

void ReportUnusableFile(const CDataProvider* owner, const vexil::sys::FileLookup& lookup,
                        const std::string& problem) {
  if (lookup.found()) ReportForCheck(owner, problem);
}

void ReportForCheck(const CDataProvider* owner, const std::string& problem) {
  const CWidgetManager* widgets = owner ? owner->GetWidgetManager() : nullptr;
  if (!widgets) return;
  widgets->Report(owner->GetScriptLine(), problem);
}

}  // namespace effects
