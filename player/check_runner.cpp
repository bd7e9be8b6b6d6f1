// Collecting and printing the findings of a check.
#include "check_runner.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "script_check.h"

namespace vexil {

namespace {

// The line number a finding starts with ("line 12: ..."), 0 for findings about the whole file.
int FindingLine(const std::string& finding) {
  return finding.rfind("line ", 0) == 0 ? std::atoi(finding.c_str() + 5) : 0;
}

// A note ("line N: note: ...") says what the player had to guess; it is no finding.
bool IsNote(const std::string& finding) {
  const std::string::size_type colon = finding.find(": ");
  return colon != std::string::npos && finding.compare(colon + 2, 6, "note: ") == 0;
}

}  // namespace

void CheckRunner::Listen(CWidgetManager* widgets) {
  widgets->SetReporter([this](const std::string& message) {
    if (libraries_loaded_) findings_.push_back(message);
  });
}

bool CheckRunner::Finish(TiXmlElement* root, DemoParts* demo, const std::string& script_folder) {
  ScriptChecker checker(&demo->timeline, &demo->resourceManager, &demo->textureManager,
                        script_folder);
  checker.CheckScript(root);
  for (const std::string& finding : checker.findings()) findings_.push_back(finding);
  // In script order, whichever step found them.
  std::stable_sort(
      findings_.begin(), findings_.end(),
      [](const std::string& a, const std::string& b) { return FindingLine(a) < FindingLine(b); });
  bool failed = false;
  for (const std::string& finding : findings_) {
    std::printf("%s\n", finding.c_str());
    failed = failed || !IsNote(finding);
  }
  return failed;
}

}  // namespace vexil
