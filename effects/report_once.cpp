// Once-only problem reports of the effects.
#include "report_once.h"

#include <cstdio>

namespace effects {

void ReportOnce::Say(const char* effect, const std::string& text) {
  if (m_said) return;
  m_said = true;
  std::fprintf(stderr, "%s: %s\n", effect, text.c_str());
}

}  // namespace effects
