// What a script check says about one place in a script: its line, whether it is a finding (the
// script does something the player skips or gets wrong) or a note (what the player had to
// guess, which is no fault), and the text. Printed as "line N: text" or "line N: note: text".
#pragma once

#include <string>

enum class EFindingSeverity { Finding, Note };

struct CScriptFinding {
  int line = 0;  // 0: about the script as a whole
  EFindingSeverity severity = EFindingSeverity::Finding;
  std::string text;

  bool IsNote() const { return severity == EFindingSeverity::Note; }
  std::string Printed() const {
    std::string printed = line > 0 ? "line " + std::to_string(line) + ": " : std::string();
    if (IsNote()) printed += "note: ";
    return printed + text;
  }
};
