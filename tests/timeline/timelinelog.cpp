// The one log instance, in a library of its own so the plug-in and the tests share it.
#include "timelinelog.h"

std::vector<std::string>& TimelineLog() {
  static std::vector<std::string> log;
  return log;
}

void TimelineLogAdd(const std::string& event) {
  TimelineLog().push_back(event);
}
