// A problem an effect meets with its settings, told once on stderr (not once per frame); the
// effect then draws what it soundly can and the demo goes on.
#pragma once

#include <string>

namespace effects {

class ReportOnce {
 public:
  // Prints "<effect>: <text>" the first time; later calls print nothing.
  void Say(const char* effect, const std::string& text);
  bool Said() const { return m_said; }

 private:
  bool m_said = false;
};

}  // namespace effects
