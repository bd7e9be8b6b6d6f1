// Collecting and printing the findings of a check.
#include "check_runner.h"

#include <algorithm>
#include <cstdio>

#include "script_check.h"

namespace vexil {

void CheckRunner::Listen(CWidgetManager* widgets) {
  widgets->SetReporter([this](const CScriptFinding& finding) {
    if (libraries_loaded_) findings_.push_back(finding);
  });
}

bool CheckRunner::Finish(TiXmlElement* root, DemoParts* demo, const std::string& script_path,
                         const std::string& script_folder, bool display_open, bool quiet) {
  ScriptChecker checker(&demo->timeline, &demo->resourceManager, &demo->textureManager,
                        script_folder);
  checker.CheckScript(root, display_open);
  for (const CScriptFinding& finding : checker.findings()) findings_.push_back(finding);
  // In script order, whichever step found them.
  std::stable_sort(
      findings_.begin(), findings_.end(),
      [](const CScriptFinding& a, const CScriptFinding& b) { return a.line < b.line; });
  bool failed = false;
  int notes = 0;
  for (const CScriptFinding& finding : findings_) {
    std::printf("%s\n", finding.Printed().c_str());
    failed = failed || !finding.IsNote();
    notes += finding.IsNote() ? 1 : 0;
  }
  if (!failed && !quiet) std::printf("%s\n", checker.Summary(script_path, notes).c_str());
  return failed;
}

}  // namespace vexil
